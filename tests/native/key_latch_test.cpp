// The key latch: stop, Pause and start keys are never missed because another
// program read the key state first, a press while idle does not reach the
// next run, and with neither raw input nor the hook the key state alone
// answers as before. Raw input names Shift, Ctrl and Alt generically: the
// latch tells the sides from the make code and the E0 flag.
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

TEST_F(KeyLatchTest, WithNeitherWatchTheKeyStateAloneAnswersAsBefore) {
    // A platform that refuses raw input and the hook: the window starts
    // without a latch.
    app.reset();
    p.rawInputRefused = true;
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

TEST_F(KeyLatchTest, RawInputFirstTheHookWhereItCannotBeHadAndGoneWithItsOwner) {
    const size_t watchers = p.keyWatchers.size(), observers = p.keyObservers.size();
    {
        KeyLatch latch(p.os);
        latch.start();
        latch.start();  // once only
        EXPECT_EQ(p.keyWatchers.size(), watchers + 1);
        EXPECT_EQ(p.keyObservers.size(), observers);  // no hook for the keys to wait for
    }
    EXPECT_EQ(p.keyWatchers.size(), watchers);
    p.rawInputRefused = true;
    {
        KeyLatch latch(p.os);
        ASSERT_TRUE(latch.start());
        EXPECT_TRUE(latch.active());
        EXPECT_EQ(p.keyObservers.size(), observers + 1);
        EXPECT_TRUE(p.keyObservers.back().injectedToo);
        latch.watch({VK_F12});
        tapSeenElsewhere(VK_F12);
        EXPECT_TRUE(latch.pressed(VK_F12));
    }
    EXPECT_EQ(p.keyObservers.size(), observers);
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

TEST_F(KeyLatchTest, AMacroThatTypesItsOwnStopKeyStopsAtTheNextTickWhateverReadsTheKeyState) {
    // The program's own keys latch as they are sent, as the key state shows
    // them: no report of the system is needed (none ever comes here), and
    // another program that reads the key state first changes nothing.
    p.holdRawInput = true;
    app->hotKeys.setStopKeys({0, VK_F12});
    rows({{u"ｷｰ入力_改", u"VK_F12"}, {u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    p.advance(1000);
    ASSERT_EQ(countEvent("SendInput(123,88,0)"), 1);
    p.queryByOtherProgram(VK_F12);
    EXPECT_EQ(p.os.getAsyncKeyState(VK_F12), 0);
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_EQ(countEvent(kClick), 0);
    EXPECT_TRUE(p.pendingRawInput.empty());
}

TEST(KeySides, ShiftCtrlAndAltToldLeftFromRightByMakeCodeAndE0) {
    using latch::sidedKey;
    constexpr int SHIFT = 0x10, CONTROL = 0x11, MENU = 0x12;
    EXPECT_EQ(sidedKey(SHIFT, 0x2A, false), 0xA0);
    EXPECT_EQ(sidedKey(SHIFT, 0x36, false), 0xA1);
    EXPECT_EQ(sidedKey(CONTROL, 0x1D, false), 0xA2);
    EXPECT_EQ(sidedKey(CONTROL, 0x1D, true), 0xA3);
    EXPECT_EQ(sidedKey(MENU, 0x38, false), 0xA4);
    EXPECT_EQ(sidedKey(MENU, 0x38, true), 0xA5);
    // Injected without a scan code: the E0 flag still names the right Ctrl
    // and Alt; otherwise the side is unknown and the key stays generic.
    EXPECT_EQ(sidedKey(CONTROL, 0, true), 0xA3);
    EXPECT_EQ(sidedKey(MENU, 0, true), 0xA5);
    for (int vk : {SHIFT, CONTROL, MENU}) EXPECT_EQ(sidedKey(vk, 0, false), vk) << vk;
    EXPECT_EQ(sidedKey(SHIFT, 0x1D, false), SHIFT);  // a make code of another key
    // Keys already sided (the hook's, the program's own) and all other keys
    // are left as they are.
    for (int vk : {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x7B, 0x13, 0x2D, 0x41})
        EXPECT_EQ(sidedKey(vk, 0x36, true), vk) << vk;
}

TEST(KeyLatchRawInput, StopKeysNamingOneSideLatchOnlyThatSideAndTheGenericKeyEither) {
    headless::Platform p;
    KeyLatch latch(p.os);
    ASSERT_TRUE(latch.start());
    ASSERT_TRUE(p.keyObservers.empty());  // raw input, no hook
    constexpr int LSHIFT = 0xA0, RSHIFT = 0xA1, LCONTROL = 0xA2, RCONTROL = 0xA3, LMENU = 0xA4, RMENU = 0xA5;
    latch.watch({RSHIFT, RCONTROL, LMENU, 0x11});
    auto tapOnly = [&](int vk) {  // typed, its key state read by another program
        p.tap(vk);
        p.queryByOtherProgram(vk);
    };
    tapOnly(LSHIFT);
    EXPECT_FALSE(latch.pressed(RSHIFT));
    tapOnly(RSHIFT);
    EXPECT_TRUE(latch.pressed(RSHIFT));
    tapOnly(LCONTROL);
    EXPECT_FALSE(latch.pressed(RCONTROL));
    EXPECT_TRUE(latch.pressed(0x11));
    tapOnly(RCONTROL);
    EXPECT_TRUE(latch.pressed(RCONTROL));
    EXPECT_TRUE(latch.pressed(0x11));
    tapOnly(RMENU);
    EXPECT_FALSE(latch.pressed(LMENU));
    tapOnly(LMENU);
    EXPECT_TRUE(latch.pressed(LMENU));
}

TEST(KeyLatchRawInput, OwnKeysLatchAsTheyAreSentOtherProgramsKeysWhenTheirReportComes) {
    headless::Platform p;
    KeyLatch latch(p.os);
    int notified = 0;
    latch.setNotify([&] { ++notified; });
    constexpr int F12 = 0x7B, RSHIFT = 0xA1;
    latch.watch({F12, RSHIFT});
    ASSERT_TRUE(latch.start());
    p.holdRawInput = true;  // the system's reports wait
    // Ours: latched before the call returns, and never reported again.
    p.os.sendInput({{F12, 0x58, 0}, {F12, 0x58, os::k::KEYEVENTF_KEYUP}});
    EXPECT_EQ(notified, 1);
    p.os.keybdEvent(0x10, 0x36, 0, 0);  // the generic Shift as the right one
    p.os.keybdEvent(0x10, 0x36, os::k::KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(notified, 2);
    EXPECT_TRUE(p.pendingRawInput.empty());
    p.queryByOtherProgram(F12);
    EXPECT_TRUE(latch.pressed(F12));
    EXPECT_TRUE(latch.pressed(RSHIFT));
    // Another program's: latched when the report reaches the watch.
    p.keyEvent(F12, false, true);
    p.keyEvent(F12, true, true);
    p.queryByOtherProgram(F12);
    EXPECT_FALSE(latch.pressed(F12));
    EXPECT_EQ(notified, 2);
    p.deliverRawInput();
    EXPECT_EQ(notified, 3);
    EXPECT_TRUE(latch.pressed(F12));
    // A key sent with extra information of the caller's own is not marked
    // as ours: it comes back as a report like any other program's.
    p.os.keybdEvent(F12, 0x58, 0, 7);
    EXPECT_EQ(notified, 3);
    p.deliverRawInput();
    EXPECT_EQ(notified, 4);
}
