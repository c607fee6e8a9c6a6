// The start hot-key watch and the clearing of stale key presses.
#include "playback_fixture.h"

class HotKeyTest : public PlaybackTest {
protected:
    void SetUp() override {
        PlaybackTest::SetUp();
        rows({{u"左ｸﾘｯｸ", u""}});
        interval(u"1");
    }
};

TEST_F(HotKeyTest, AnyKeyOfTheStartListStartsWithinOnePoll) {
    app->hotKeys.setStartKeys({0, VK_F11, VK_F12});
    for (int key : {VK_F11, VK_F12}) {
        p.tap(key);
        p.advance(HotKeyWatch::SlowPollMs);
        EXPECT_TRUE(running()) << key;
        app->controls.startButton->press();
        EXPECT_FALSE(running());
    }
}

TEST_F(HotKeyTest, EmptyStartListNeverStartsAndTheWatchKeepsTicking) {
    app->hotKeys.setStartKeys({0});
    for (int k = 1; k < 255; ++k) p.tap(k);
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_TRUE(p.timerRunning("tim_Start"));
}

TEST_F(HotKeyTest, PressesBeforeAClearDoNotCount) {
    app->hotKeys.setStartKeys({0, VK_F11});
    app->hotKeys.setStopKeys({0, VK_F12});
    p.tap(VK_F11);
    p.tap(VK_F12);
    p.tap(VK_PAUSE);
    app->hotKeys.forgetPresses();
    EXPECT_EQ(p.os.getAsyncKeyState(VK_F11), 0);
    EXPECT_EQ(p.os.getAsyncKeyState(VK_F12), 0);
    EXPECT_EQ(p.os.getAsyncKeyState(VK_PAUSE), 0);
    p.advance(100);
    EXPECT_FALSE(running());
    // A key held down still reads as pressed after a clear.
    p.press(VK_F11);
    app->hotKeys.forgetPresses();
    p.advance(10);
    EXPECT_TRUE(running());
}

TEST_F(HotKeyTest, SameStartAndStopKeyReleasedBeforeTheFirstTickDoesNotStop) {
    app->hotKeys.setStartKeys({0, VK_F11});
    app->hotKeys.setStopKeys({0, VK_F11});
    p.tap(VK_F11);
    p.advance(HotKeyWatch::SlowPollMs);
    ASSERT_TRUE(running());
    p.advance(1000);
    EXPECT_TRUE(running());
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 1);
    app->controls.startButton->press();

    // Still held at the first tick: the run stops before its first step.
    p.press(VK_F11);
    p.advance(10);
    ASSERT_TRUE(running());
    mark = p.trace.size();
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 0);
}

TEST_F(HotKeyTest, StartKeyDuringARunDoesNothing) {
    app->hotKeys.setStartKeys({0, VK_F11});
    run();
    p.advance(1000);
    p.press(VK_F11);
    p.advance(50);
    app->hotKeys.timer().fire();  // even a stray tick of the watch
    EXPECT_TRUE(running());
    EXPECT_EQ(app->controls.startButton->text(), u"停止");
    EXPECT_EQ(app->player.state().row, 1);
}

TEST_F(HotKeyTest, StartKeyWhileTheSettingsDialogIsOpenDoesNothing) {
    app->hotKeys.setStartKeys({0, VK_F11});
    bool ranInside = true;
    p.modalScripts.push_back([&](tk::Form& f) {
        p.press(VK_F11);
        p.advance(100);
        ranInside = running();
        p.release(VK_F11);
        f.close();
    });
    app->controls.settingsButton->press();
    ASSERT_EQ(p.modalsShown, std::vector<std::string>{"frm_Setting"});
    EXPECT_FALSE(ranInside);
    EXPECT_TRUE(p.timerRunning("tim_Start"));
}

// ---------------------------------------------------------------------------
// The watch wakes when the key latch latches a watched key and otherwise
// polls slowly; when the latch cannot watch it polls every 10 ms as before.

TEST_F(HotKeyTest, ALatchedStartKeyStartsAtOnceAndTheWatchOtherwisePollsSlowly) {
    ASSERT_TRUE(app->hotKeys.latching());
    EXPECT_EQ(app->hotKeys.timer().interval(), HotKeyWatch::SlowPollMs);
    // Keys as the settings dialog stores them (it clears the key states).
    app->hotKeys.setStartKeys({0, VK_F11});
    app->hotKeys.forgetPresses();
    const int64_t due = p.timers.at(&app->hotKeys.timer());
    p.tap(VK_F11);
    p.advance(0);  // the message loop's next turn, long before the next poll
    EXPECT_LT(p.nowMs, due);
    EXPECT_TRUE(running());
    // Every way back to idle polls slowly again.
    app->controls.startButton->press();
    EXPECT_EQ(app->hotKeys.timer().interval(), HotKeyWatch::SlowPollMs);
    app->controls.settingsButton->press();
    EXPECT_EQ(app->hotKeys.timer().interval(), HotKeyWatch::SlowPollMs);
    EXPECT_TRUE(p.timerRunning("tim_Start"));
    // Other keys, and watched keys during a run, wake nothing.
    p.runPosted();
    p.tap('A');
    EXPECT_TRUE(p.posted.empty());
    run();
    p.tap(VK_F11);
    p.advance(0);
    EXPECT_TRUE(running());
    EXPECT_EQ(app->controls.startButton->text(), u"停止");
}

TEST_F(HotKeyTest, AStartKeyAnotherProgramInjectsStartsAtOnce) {
    app->hotKeys.setStartKeys({0, VK_F11});
    app->hotKeys.forgetPresses();
    const int64_t due = p.timers.at(&app->hotKeys.timer());
    p.keyEvent(VK_F11, false, true);
    p.keyEvent(VK_F11, true, true);
    p.advance(0);
    EXPECT_LT(p.nowMs, due);
    EXPECT_TRUE(running());
}

TEST_F(HotKeyTest, TheSlowPollStillSeesAStartKeyTheHookDoesNot) {
    app->hotKeys.setStartKeys({0, VK_F11});
    app->hotKeys.forgetPresses();
    // The key state has a press the hook never reported (a hook the
    // system dropped): the next poll sees it.
    p.pressedSinceQuery.insert(VK_F11);
    const int64_t due = p.timers.at(&app->hotKeys.timer());
    p.advance(due - p.nowMs - 1);
    EXPECT_FALSE(running());
    p.advance(1);
    EXPECT_TRUE(running());
}

class HotKeyWithoutHookTest : public HotKeyTest {
protected:
    void SetUp() override {
        // Neither raw input nor the hook: the latch cannot watch.
        p.rawInputRefused = true;
        p.hooksRefused = true;
        HotKeyTest::SetUp();
    }
};

TEST_F(HotKeyWithoutHookTest, TheWatchKeepsItsTenMillisecondPoll) {
    ASSERT_FALSE(app->hotKeys.latching());
    EXPECT_EQ(app->hotKeys.timer().interval(), HotKeyWatch::PollMs);
    app->hotKeys.setStartKeys({0, VK_F11});
    app->hotKeys.forgetPresses();
    p.tap(VK_F11);
    p.advance(HotKeyWatch::PollMs);
    EXPECT_TRUE(running());
    app->controls.startButton->press();
    EXPECT_EQ(app->hotKeys.timer().interval(), HotKeyWatch::PollMs);
    app->controls.settingsButton->press();
    EXPECT_EQ(app->hotKeys.timer().interval(), HotKeyWatch::PollMs);
    EXPECT_TRUE(p.timerRunning("tim_Start"));
}
