// The key latch: stop, Pause and start keys are never missed because another
// program read the key state first, a press while idle does not reach the
// next run, and without the hook the key state alone answers as before.
#include "latch/key_latch.h"
#include "playback_fixture.h"

namespace {
const std::string kClick = "mouse_event(2,0,0,0)";
}

class KeyLatchTest : public PlaybackTest {
protected:
    static constexpr int VK_SHIFT = 0x10, VK_F5 = 0x74;
    // A tap that another program's poll sees first: the pressed-since bit
    // is gone before this program asks.
    void tapSeenElsewhere(int vk) {
        p.tap(vk);
        p.queryByOtherProgram(vk);
    }
};

TEST_F(KeyLatchTest, TapsReadByAnotherProgramBetweenTicksStillStopTheRun) {
    app->hotKeys.setStopKeys({0, VK_F11, VK_F12});
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    ASSERT_TRUE(app->hotKeys.latching());
    for (int key : {VK_PAUSE, VK_F11, VK_F12}) {
        run();
        p.advance(1000);
        ASSERT_EQ(countEvent(kClick), 1);
        tapSeenElsewhere(key);
        EXPECT_EQ(p.os.getAsyncKeyState(key), 0);  // the key state has lost it
        p.advance(1000);
        EXPECT_FALSE(running()) << key;
        EXPECT_EQ(status(), u"待機中");
        EXPECT_EQ(countEvent(kClick), 1) << key;
    }
}

TEST_F(KeyLatchTest, TapsReadByAnotherProgramInsideAWaitStillStopTheRun) {
    app->hotKeys.setStopKeys({0, VK_F12});
    rows({{u"待機", u"10"}, {u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    for (int key : {VK_PAUSE, VK_F12}) {
        run();
        int slices = 0;
        p.onDoEvents = [&] {
            if (++slices == 3) tapSeenElsewhere(key);
        };
        p.advance(1000);
        EXPECT_EQ(slices, 3) << key;
        EXPECT_FALSE(running()) << key;
        EXPECT_EQ(status(), u"待機中");
        p.onDoEvents = nullptr;
        p.advance(20000);
        EXPECT_EQ(countEvent(kClick), 0);
    }
}

TEST_F(KeyLatchTest, StartKeyReadByAnotherProgramStillStarts) {
    // Keys set by no document or dialog are watched from the watch's next poll.
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    app->hotKeys.setStartKeys({0, VK_F11});
    p.advance(HotKeyWatch::SlowPollMs);
    ASSERT_FALSE(running());
    tapSeenElsewhere(VK_F11);
    p.advance(10);
    EXPECT_TRUE(running());
}

TEST_F(KeyLatchTest, PressesWhileIdleDoNotStopTheNextRun) {
    app->hotKeys.setStopKeys({0, VK_F12});
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    app->controls.startButton->press();  // stop: from here on idle
    ASSERT_FALSE(running());
    p.tap(VK_F12);
    tapSeenElsewhere(VK_PAUSE);
    p.advance(5000);
    run();
    p.advance(3000);
    EXPECT_TRUE(running());
    EXPECT_EQ(countEvent(kClick), 3);
}

TEST_F(KeyLatchTest, WithoutTheHookTheKeyStateAloneAnswersAsBefore) {
    // A platform that refuses the hook: the window starts without it.
    app.reset();
    p.hooksRefused = true;
    start();
    ASSERT_FALSE(app->hotKeys.latching());
    app->hotKeys.setStopKeys({0, VK_F12});
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    p.advance(1000);
    // A tap another program read first is lost, as it always was...
    tapSeenElsewhere(VK_F12);
    p.advance(1000);
    EXPECT_TRUE(running());
    EXPECT_EQ(countEvent(kClick), 2);
    // ...and one nobody else read stops the run.
    p.tap(VK_F12);
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_EQ(countEvent(kClick), 2);
}

TEST_F(KeyLatchTest, TheLatchObservesWithoutSwallowingAndCountsInjectedKeysAsTheKeyStateDoes) {
    KeyLatch latch(p.os);
    ASSERT_TRUE(latch.start());
    latch.watch({VK_SHIFT, VK_F12});
    // The key still reaches the key state (and every program).
    p.press(VK_F12);
    EXPECT_TRUE(p.down.count(VK_F12));
    p.release(VK_F12);
    p.queryByOtherProgram(VK_F12);
    EXPECT_TRUE(latch.pressed(VK_F12));
    EXPECT_FALSE(latch.pressed(VK_F12));  // consumed
    // The hook names the left Shift; the generic key is latched.
    tapSeenElsewhere(VK_SHIFT);
    EXPECT_TRUE(latch.pressed(VK_SHIFT));
    // Injected keys count as the key state counts them, even when another
    // program has read it first.
    p.os.keybdEvent(VK_F12, 0x58, 0, 0);
    p.os.keybdEvent(VK_F12, 0x58, 2, 0);
    p.queryByOtherProgram(VK_F12);
    EXPECT_TRUE(latch.pressed(VK_F12));
    p.os.keybdEvent('A', 0x1E, 0, 0);  // not watched: not latched
    p.os.keybdEvent('A', 0x1E, 2, 0);
    p.queryByOtherProgram('A');
    EXPECT_FALSE(latch.pressed('A'));
    // A key first asked about is watched from then on; before, it was not.
    tapSeenElsewhere(VK_F5);
    EXPECT_FALSE(latch.pressed(VK_F5));
    tapSeenElsewhere(VK_F5);
    EXPECT_TRUE(latch.pressed(VK_F5));
    // A new set replaces the old one; clear forgets what was latched.
    latch.watch({VK_F12});
    tapSeenElsewhere(VK_SHIFT);
    tapSeenElsewhere(VK_F12);
    latch.clear();
    EXPECT_FALSE(latch.pressed(VK_SHIFT));
    EXPECT_FALSE(latch.pressed(VK_F12));
}

TEST_F(KeyLatchTest, GoneWithItsOwnerTheObserverIsRemoved) {
    const size_t before = p.keyObservers.size();
    {
        KeyLatch latch(p.os);
        latch.start();
        latch.start();  // once only
        EXPECT_EQ(p.keyObservers.size(), before + 1);
    }
    EXPECT_EQ(p.keyObservers.size(), before);
    p.tap(VK_F12);  // nothing left to call
}

TEST(KeyLatchNotify, ComesForEachLatchedPressOfAWatchedKeyOnly) {
    headless::Platform p;
    KeyLatch latch(p.os);
    int notified = 0;
    latch.setNotify([&] { ++notified; });
    latch.watch({0x7A, 0x10});  // F11, the generic Shift
    ASSERT_TRUE(latch.start());
    p.tap(0x7B);               // not watched
    EXPECT_EQ(notified, 0);
    p.press(0x7A);
    p.press(0x7A);             // the keyboard repeats a held key
    p.release(0x7A);
    EXPECT_EQ(notified, 2);
    p.tap(0xA1);               // right Shift presses the generic one
    EXPECT_EQ(notified, 3);
    p.keyEvent(0x7A, false, true);  // injected by a program, as the key state counts it
    EXPECT_EQ(notified, 4);
    EXPECT_TRUE(latch.pressed(0x7A));
    EXPECT_TRUE(latch.pressed(0x10));
}
