// Starting and stopping a run: captions, timer states, the editor lock, the
// target window at the start, the menu, focus guidance and "/RUN".
#include "playback_fixture.h"

class RunControlTest : public PlaybackTest {
protected:
    void expectEditorEnabled(bool on) {
        EXPECT_EQ(app->controls.intervalBox->enabled(), on);
        EXPECT_EQ(app->controls.unitBox->enabled(), on);
        EXPECT_EQ(app->controls.endButton->enabled(), on);
        EXPECT_EQ(app->controls.settingsButton->enabled(), on);
        EXPECT_EQ(app->grid.actionList(1)->enabled(), on);
        EXPECT_EQ(app->grid.commandBox(1)->enabled(), on);
        EXPECT_EQ(app->grid.commentBox(1)->enabled(), on);
        EXPECT_EQ(app->grid.setButton(1)->enabled(), on);
        EXPECT_EQ(app->menu.file->enabled(), on);
        EXPECT_EQ(app->menu.tool->enabled(), on);
        // Always usable: the stop button and the grid's scroll bar.
        EXPECT_TRUE(app->controls.startButton->enabled());
        EXPECT_TRUE(app->grid.scrollBar()->enabled());
    }
};

TEST_F(RunControlTest, StartAndStopSwitchCaptionsTimersAndTheEditorLock) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"0.5");
    EXPECT_EQ(app->controls.startButton->text(), u"開\r\n始");
    EXPECT_TRUE(p.timerRunning("tim_Start"));
    run();
    EXPECT_EQ(app->player.state().row, 1);
    EXPECT_EQ(app->controls.startButton->text(), u"停止");
    EXPECT_EQ(status(), u"実行中");
    EXPECT_EQ(app->player.timer().interval(), 500u);
    EXPECT_TRUE(app->player.timer().enabled());
    EXPECT_EQ(app->hotKeys.timer().interval(), 0u);
    EXPECT_FALSE(app->hotKeys.timer().enabled());
    EXPECT_FALSE(app->player.state().stopRequested);
    EXPECT_EQ(app->player.state().secondsCounted, 9999999);
    EXPECT_EQ(app->player.screen().maxX, 1919);
    EXPECT_EQ(app->player.screen().maxY, 1079);
    EXPECT_TRUE(app->grid.scrollBar()->hasFocus());
    EXPECT_EQ(app->player.state().targetTitle, u"");
    expectEditorEnabled(false);

    p.advance(500);
    size_t mark2 = p.trace.size();
    app->controls.startButton->press();
    EXPECT_EQ(app->player.state().row, 0);
    EXPECT_EQ(app->controls.startButton->text(), u"実行");
    EXPECT_EQ(status(), u"待機中");
    EXPECT_EQ(app->player.timer().interval(), 0u);
    EXPECT_FALSE(app->player.timer().enabled());
    EXPECT_EQ(app->hotKeys.timer().interval(), HotKeyWatch::SlowPollMs);  // the hook wakes the watch
    EXPECT_TRUE(app->hotKeys.timer().enabled());
    EXPECT_TRUE(app->player.state().stopRequested);
    EXPECT_FALSE(p.timerRunning("tim_Timer"));
    expectEditorEnabled(true);
    // The program brings itself back to the front.
    EXPECT_NE(p.traceText(mark2).find("AppActivate(TOVIRAK)"), std::string::npos);

    // "実行" starts again.
    run();
    EXPECT_EQ(app->controls.startButton->text(), u"停止");
}

TEST_F(RunControlTest, MenuStartsButNeverStopsARun) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    EXPECT_TRUE(app->form->userShortcut(tk::key::F5, 0));
    EXPECT_TRUE(running());
    // The menu is locked during the run, and the handler ignores it anyway.
    app->form->userShortcut(tk::key::F5, 0);
    app->menu.run->onClick();
    EXPECT_TRUE(running());
    EXPECT_EQ(app->controls.startButton->text(), u"停止");
}

TEST_F(RunControlTest, FailedValidationLeavesEverythingIdle) {
    interval(u"abc");
    rows({{u"左ｸﾘｯｸ", u""}});
    run();
    EXPECT_FALSE(running());
    EXPECT_EQ(app->controls.startButton->text(), u"開\r\n始");
    EXPECT_FALSE(p.timerRunning("tim_Timer"));
    EXPECT_TRUE(p.timerRunning("tim_Start"));
    ASSERT_FALSE(p.shown.empty());
}

TEST_F(RunControlTest, MissingTargetWindowShowsTheMessageAndOpensTheSettings) {
    app->document.settings.targetWindowSearch = u"No Such Window";
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    EXPECT_FALSE(running());
    bool told = false;
    for (auto& m : p.shown) told |= m.text == u"対象ウィンドウが存在しません。" && (m.style & 7) == tk::mb::OK;
    EXPECT_TRUE(told);
    EXPECT_FALSE(p.timerRunning("tim_Timer"));
    EXPECT_EQ(app->controls.startButton->text(), u"開\r\n始");
    EXPECT_EQ(p.modalsShown, std::vector<std::string>{"frm_Setting"});
}

TEST_F(RunControlTest, TargetWindowIsBroughtToTheFrontAndItsFullTitleKept) {
    auto h = p.addWindow(u"Sample Game v1.2", u"GameWnd");
    p.addWindow(u"Editor", u"Edit");
    app->document.settings.targetWindowSearch = u"Sample Game";
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    EXPECT_TRUE(running());
    EXPECT_EQ(app->player.state().targetTitle, u"Sample Game v1.2");
    EXPECT_EQ(p.foreground, h);
}

TEST_F(RunControlTest, DoNotActivateOptionLeavesFocusAndForegroundAlone) {
    app->document.settings.stayBehind = true;
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    app->controls.intervalBox->setFocus();
    run();
    EXPECT_FALSE(app->grid.scrollBar()->hasFocus());
    mark = p.trace.size();
    app->controls.startButton->press();
    EXPECT_EQ(p.traceText(mark).find("AppActivate"), std::string::npos);
}

TEST_F(RunControlTest, NegativeIntervalInSecondsCannotBeGivenToTheTimer) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"-0.5");
    run();
    EXPECT_EQ(status(), u"[MS_Start]" + err::describeNumber(err::InvalidProperty));
    EXPECT_FALSE(running());
    EXPECT_EQ(app->controls.startButton->text(), u"開\r\n始");
    EXPECT_FALSE(p.timerRunning("tim_Timer"));
    EXPECT_TRUE(p.timerRunning("tim_Start"));
    EXPECT_TRUE(app->controls.intervalBox->enabled());

    // In minutes it runs one step per second.
    interval(u"-0.5", u"分");
    run();
    EXPECT_TRUE(running());
    p.advance(3000);
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 3);
}

TEST_F(RunControlTest, StopLimitIsSetUpAtTheStart) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    app->document.settings.timerHours = 1;
    app->document.settings.timerMinutes = 30;
    p.nowMs = 5000;
    run();
    ASSERT_TRUE(app->player.state().stopTime.has_value());
    EXPECT_EQ(*app->player.state().stopTime, (DateTime{2026, 12, 7, 10, 30, 5}));
    EXPECT_EQ(app->player.state().passesLeft, -1);
    app->controls.startButton->press();

    app->document.settings.timerHours = -1;
    app->document.settings.timerMinutes = 7;
    run();
    EXPECT_EQ(app->player.state().passesLeft, 7);
    app->controls.startButton->press();

    app->document.settings.timerHours = 0;
    app->document.settings.timerMinutes = 0;
    run();
    EXPECT_FALSE(app->player.state().stopTime.has_value());
    EXPECT_EQ(app->player.state().passesLeft, -1);
}

TEST_F(RunControlTest, FocusGuidanceOfTheButtons) {
    app->controls.startButton->userFocus();
    EXPECT_EQ(status(), u"開始します。");
    app->controls.endButton->userFocus();
    EXPECT_EQ(status(), u"終了します。");
}

TEST_F(RunControlTest, EndButtonClosesTheWindowAfterSavingTheWorkingState) {
    p.files.erase(p.resolve(u"TOVIRAK.TVK"));
    app->document.setChanged(false);
    app->controls.endButton->press();
    EXPECT_FALSE(app->form->isShown());
    EXPECT_NE(p.file(u"TOVIRAK.TVK"), nullptr);
}

TEST_F(RunControlTest, RunSwitchStartsAtTheFirstActivation) {
    // The working state of a previous session, saved the ordinary way.
    rows({{u"ｷｰ入力", u"VK_X"}});
    interval(u"0.2");
    app->macroFile.write(u"TOVIRAK.TVK", MacroFile::Overwrite::Silently);
    app.reset();
    start(u"/run /NOMSG");
    EXPECT_TRUE(running());
    EXPECT_EQ(app->controls.startButton->text(), u"停止");
    // The watch is re-armed after the start by the activation, but idles.
    mark = p.trace.size();
    p.advance(200);
    EXPECT_EQ(countEvent("keybd_event(88,45,0,0)"), 1);
    EXPECT_TRUE(running());
}

TEST_F(RunControlTest, RunSwitchPlaysTheDocumentNamedOnTheCommandLine) {
    rows({{u"ｷｰ入力", u"VK_Y"}});
    interval(u"0.2");
    app->macroFile.write(u"play.TVK", MacroFile::Overwrite::Silently);
    app.reset();
    p.files.erase(p.resolve(u"TOVIRAK.TVK"));
    start(u"/RUN /NOMSG play.TVK");
    EXPECT_TRUE(running());
    mark = p.trace.size();
    p.advance(200);
    EXPECT_EQ(countEvent("keybd_event(89,21,0,0)"), 1);
}

TEST_F(RunControlTest, TheEditorLockArmsAndDisarmsTheStepTimer) {
    // As designed the step timer is enabled without an interval: it never ticks.
    EXPECT_TRUE(app->player.timer().enabled());
    EXPECT_EQ(app->player.timer().interval(), 0u);
    // A tried row takes the run's lock and gives it back: the step timer
    // follows the lock, and without an interval it never ticked.
    rows({{u"ﾏｳｽｶｰｿﾙ移動", u"5,5"}});
    app->grid.redraw();
    app->grid.commandBox(1)->userFocus();
    ASSERT_TRUE(app->form->userShortcut('T', tk::CtrlMask));
    EXPECT_EQ(status(), u"1行目を実行しました");
    EXPECT_FALSE(app->player.timer().enabled());
    EXPECT_FALSE(p.timerRunning("tim_Timer"));
    // A run's lock arms it with the interval; the stop disarms it.
    interval(u"0.5");
    run();
    EXPECT_TRUE(app->player.timer().enabled());
    EXPECT_TRUE(p.timerRunning("tim_Timer"));
    app->controls.startButton->press();
    EXPECT_FALSE(app->player.timer().enabled());
}

TEST_F(RunControlTest, NothingCanChangeTheIntervalWhileARunGoes) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"2");
    run();
    // The boxes take no input, and neither another document nor the
    // settings can be reached.
    EXPECT_FALSE(app->controls.intervalBox->canFocus());
    EXPECT_FALSE(app->controls.unitBox->canFocus());
    EXPECT_FALSE(app->menu.open->effectivelyEnabled());
    EXPECT_FALSE(app->menu.newDocument->effectivelyEnabled());
    EXPECT_FALSE(app->controls.settingsButton->enabled());
    // So the interval the run started with holds: a step at the first
    // second's tick, then one every two seconds.
    p.advance(1000);
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 1);
    p.advance(2000);
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 2);
    p.advance(2000);
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 3);
}
