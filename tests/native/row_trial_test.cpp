// Trying one row from the editor: Ctrl+T runs the focused row once in the
// window the user came from and comes back; Ctrl+P shows where a row acts
// without sending anything.
#include "playback_fixture.h"

using Lines = std::vector<std::string>;

namespace {
constexpr int VK_A = 0x41;
}

class RowTrialTest : public PlaybackTest {
protected:
    os::WindowHandle notepad = 0;

    void SetUp() override {
        PlaybackTest::SetUp();
        notepad = p.addWindow(u"Untitled - Notepad", u"Notepad");
        // The user worked in Notepad, then came to the program.
        p.activate(notepad);
        p.activate(self());
    }
    os::WindowHandle self() { return app->form->nativeHandle(); }
    // One row, the caret in its command box.
    void row(const Str& action, const Str& command) {
        rows({{action, command}});
        app->grid.redraw();
        app->grid.commandBox(1)->userFocus();
    }
    bool ctrl(char k) {
        mark = p.trace.size();
        return app->form->userShortcut(k, tk::CtrlMask);
    }
    // The windows given the front since the shortcut, in order.
    std::vector<os::WindowHandle> fronts() {
        std::vector<os::WindowHandle> out;
        for (size_t i = mark; i < p.trace.size(); ++i)
            if (p.trace[i].rfind("SetForegroundWindow(", 0) == 0) {
                const auto h = os::WindowHandle(std::stoull(p.trace[i].substr(20)));
                if (out.empty() || out.back() != h) out.push_back(h);
            }
        return out;
    }
    Lines injected() {
        Lines out;
        for (auto& l : events())
            if (l.rfind("Sleep", 0) != 0) out.push_back(l);
        return out;
    }
    // Nothing of a run is left locked or changed.
    void expectIdle() {
        EXPECT_FALSE(running());
        EXPECT_FALSE(app->rowTrial.running());
        EXPECT_TRUE(app->menu.tool->enabled());
        EXPECT_TRUE(app->controls.intervalBox->enabled());
        EXPECT_TRUE(app->controls.startButton->enabled());
        EXPECT_TRUE(app->grid.commandBox(1)->enabled());
        EXPECT_TRUE(p.timerRunning("tim_Start"));
        EXPECT_FALSE(p.timerRunning("tim_Timer"));
        EXPECT_EQ(app->controls.startButton->text(), u"開\r\n始");
    }
};

// ---------------------------------------------------------------------------
// Run this row

TEST_F(RowTrialTest, AKeyRowTypesIntoTheWindowTheUserCameFromAndTheProgramComesBack) {
    row(u"ｷｰ入力", u"VK_A,+VK_B");
    // The start key is the key the row types: it must not start a run.
    app->hotKeys.setStartKeys({0, VK_A});
    app->hotKeys.forgetPresses();
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{notepad, self()}));
    // The keys went while Notepad was in front.
    size_t typed = 0, back = 0;
    for (size_t i = mark; i < p.trace.size(); ++i) {
        if (p.trace[i] == "keybd_event(65,30,0,0)") typed = i;
        if (p.trace[i] == "SetForegroundWindow(" + std::to_string(self()) + ")" && !back) back = i;
    }
    EXPECT_GT(typed, 0u);
    EXPECT_LT(typed, back);
    EXPECT_EQ(injected(), (Lines{"keybd_event(65,30,0,0)", "keybd_event(65,30,2,0)", "keybd_event(16,42,0,0)",
                                 "keybd_event(66,48,0,0)", "keybd_event(66,48,2,0)", "keybd_event(16,42,2,0)"}));
    EXPECT_EQ(p.foreground, self());
    EXPECT_EQ(status(), u"1行目を実行しました");
    EXPECT_EQ(app->form->activeControl(), app->grid.commandBox(1));
    expectIdle();
    p.advance(100);
    EXPECT_FALSE(running());
    // The next try goes to Notepad again.
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{notepad, self()}));
}

TEST_F(RowTrialTest, AClickRowClicksThereAndADragRowIsReleasedAfterwards) {
    p.pointWindow = notepad;
    row(u"左ｸﾘｯｸ", u"300,200");
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{notepad, self()}));
    Lines ev = injected();
    ASSERT_EQ(ev.size(), 4u);
    EXPECT_EQ(ev[0], "SetCursorPos(300,200)");
    EXPECT_EQ(ev[2], "mouse_event(2,0,0,0)");
    EXPECT_EQ(ev[3], "mouse_event(4,0,0,0)");
    EXPECT_EQ(status(), u"1行目を実行しました");

    row(u"右ﾄﾞﾗｯｸﾞ", u"10,20");
    ASSERT_TRUE(ctrl('T'));
    ev = injected();
    ASSERT_EQ(ev.size(), 4u);
    EXPECT_EQ(ev[2], "mouse_event(8,0,0,0)");
    EXPECT_EQ(ev[3], "mouse_event(16,0,0,0)");  // released as a stop releases it
    EXPECT_EQ(app->player.state().heldButtons, 0u);
    expectIdle();
}

TEST_F(RowTrialTest, AClickOnTheProgramsOwnWindowIsRefused) {
    row(u"左ｸﾘｯｸ", u"300,200");  // the program's window lies over every point here
    ASSERT_TRUE(ctrl('T'));
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"TOVIRAKのウィンドウ上はクリックできません。");
    EXPECT_TRUE(injected().empty());
    EXPECT_EQ(p.foreground, self());
    expectIdle();
}

TEST_F(RowTrialTest, AWaitLocksWhatARunLocksAndAStopKeyEndsIt) {
    row(u"待機", u"5");
    app->hotKeys.setStopKeys({0, VK_F12});
    app->hotKeys.forgetPresses();
    int slices = 0;
    bool locked = true;
    p.onDoEvents = [&] {
        ++slices;
        locked = locked && !app->menu.tool->enabled() && !app->menu.file->enabled() && !app->controls.startButton->enabled() &&
                 !app->controls.settingsButton->enabled() && !app->grid.commandBox(1)->enabled() && !p.timerRunning("tim_Start");
        // F5, Ctrl+T and the start button do nothing meanwhile.
        locked = locked && !app->form->userShortcut(tk::key::F5, 0) && !app->form->userShortcut('T', tk::CtrlMask);
        app->controls.startButton->press();
        if (slices == 2) p.tap(VK_F12);
    };
    const int64_t start = p.nowMs;
    ASSERT_TRUE(ctrl('T'));
    p.onDoEvents = nullptr;
    EXPECT_TRUE(locked);
    EXPECT_EQ(slices, 2);
    EXPECT_EQ(p.nowMs - start, 2000);
    // A wait sends nothing and needs no other window.
    EXPECT_EQ(fronts(), std::vector<os::WindowHandle>{});
    EXPECT_EQ(status(), u"待機中");
    expectIdle();

    // Without a stop key it waits its time.
    row(u"待機", u"2");
    const int64_t again = p.nowMs;
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(p.nowMs - again, 2000);
    EXPECT_EQ(status(), u"1行目を実行しました");
}

TEST_F(RowTrialTest, AnInvalidRowShowsTheRunsMessageAndSendsNothing) {
    row(u"左ｸﾘｯｸ", u"abc,1");
    app->grid.commentBox(1)->userFocus();
    ASSERT_TRUE(ctrl('T'));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"Ｘ軸の値が不正です");
    // The caret goes to the command box, as for a run.
    EXPECT_EQ(app->form->activeControl(), app->grid.commandBox(1));
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(fronts(), std::vector<os::WindowHandle>{});

    row(u"ｷｰ入力_改", u"abc");
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(p.shown.back().text, u"ｷｰ入力_改 と ｷｰ入力_真の場合は、VK_??による指定しかできません。");
    // Only the row is checked: a wrong interval does not stop it.
    interval(u"abc");
    row(u"ｷｰ入力", u"");
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(p.shown.back().text, u"コマンドが設定されていません");
    EXPECT_TRUE(events().empty());
    expectIdle();
}

TEST_F(RowTrialTest, AnUnsupportedKeyIsReportedAsInARunAndNothingIsSent) {
    row(u"ｷｰ入力", u"VK_A,VK_QQ");
    ASSERT_TRUE(ctrl('T'));
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"「VK_QQ」は、サポートされていないキーです。");
    EXPECT_TRUE(injected().empty());
    EXPECT_EQ(status(), u"待機中");
    EXPECT_EQ(p.foreground, self());
    EXPECT_FALSE(app->rowTrial.running());
    EXPECT_TRUE(app->menu.tool->enabled());
    EXPECT_TRUE(p.timerRunning("tim_Start"));
}

TEST_F(RowTrialTest, TheEndRowIsNotExecuted) {
    row(u"終了", u"");
    p.files.erase(p.resolve(u"TOVIRAK.TVK"));
    EXPECT_NO_THROW(ctrl('T'));
    EXPECT_EQ(status(), u"1行目の終了は実行しません");
    EXPECT_EQ(p.file(u"TOVIRAK.TVK"), nullptr);
    EXPECT_EQ(p.traceText(mark).find("End"), std::string::npos);
    expectIdle();
}

TEST_F(RowTrialTest, AFailingStepIsReportedAsARunReportsIt) {
    p.startFailures.insert(u"missing.exe");
    row(u"EXE実行", u"missing.exe");
    ASSERT_TRUE(ctrl('T'));
    EXPECT_TRUE(startsWith(status(), u"[tim_Timer_Timer]")) << toUtf8(status());
    EXPECT_TRUE(endsWith(status(), u" ステップ：EXE実行")) << toUtf8(status());
    EXPECT_NE(p.file(p.progDir + u"\\TOVIRAK_ERROR.LOG"), nullptr);
    expectIdle();
}

TEST_F(RowTrialTest, TheTargetWindowWinsAndIsRequiredWhenSet) {
    const os::WindowHandle target = p.addWindow(u"Target window", u"T");
    p.activate(self());
    app->document.settings.targetWindowSearch = u"Target";
    row(u"ｷｰ入力_真", u"VK_A");
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{target, self()}));
    EXPECT_EQ(injected(), (Lines{"SendMessage(" + std::to_string(target) + ",646,65,0x1E0001)"}));

    // No such window: refused as a run start refuses, with the settings.
    p.removeWindow(target);
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(p.shown.back().text, u"対象ウィンドウが存在しません。");
    EXPECT_EQ(p.modalsShown, std::vector<std::string>{"frm_Setting"});
    EXPECT_TRUE(injected().empty());
    expectIdle();
}

TEST_F(RowTrialTest, AfterAFastRunATriedRowLooksForTheTargetAfreshAndShowsItsStatusAtOnce) {
    const os::WindowHandle first = p.addWindow(u"Target window", u"T");
    p.activate(self());
    app->document.settings.targetWindowSearch = u"Target";
    row(u"ｷｰ入力_真", u"VK_A");
    interval(u"0.001");
    // A run at 1 ms, whose display follows once a frame, keeps the window
    // it found.
    run();
    p.advance(20);
    ASSERT_EQ(app->player.state().targetWindow, first);
    app->controls.startButton->press();
    ASSERT_FALSE(running());
    // That window no longer matches; another one does.
    p.window(first)->title = u"Closed";
    const os::WindowHandle second = p.addWindow(u"Target window 2", u"T");
    p.activate(self());
    app->grid.commandBox(1)->userFocus();
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(injected(), (Lines{"SendMessage(" + std::to_string(second) + ",646,65,0x1E0001)"}));
    EXPECT_EQ(status(), u"1行目を実行しました");
    // Nothing of the run's display comes back later.
    p.advance(100);
    EXPECT_EQ(status(), u"1行目を実行しました");
    EXPECT_FALSE(running());
    EXPECT_TRUE(p.timerRunning("tim_Start"));
}

TEST_F(RowTrialTest, KeysAreRefusedWhenNoOtherWindowIsKnown) {
    row(u"ｷｰ入力", u"abc");
    p.removeWindow(notepad);
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(status(), u"入力先のウィンドウが見つかりません");
    EXPECT_TRUE(events().empty());
    expectIdle();
}

// Right after start the program has not yet left the front to any window:
// the window just behind it takes the keys, once the user agrees.
class ColdStartTrialTest : public RowTrialTest {
protected:
    os::WindowHandle behind = 0;

    void SetUp() override {
        PlaybackTest::SetUp();
        // Z order from the bottom up: Notepad, then what stands above it
        // and must be passed over, then an always-on-top window above the
        // program, which is not behind it.
        behind = p.addWindow(u"無題 - メモ帳", u"Notepad");
        p.window(p.addWindow(u"Program Manager", u"Progman"))->style.shell = true;
        p.window(p.addWindow(u"", u"Untitled"))->cx = 0;
        p.addWindow(u"", u"NoTitle");
        p.window(p.addWindow(u"Zero size", u"Tiny"))->cy = 0;
        p.window(p.addWindow(u"Minimised", u"Min"))->style.minimized = true;
        p.window(p.addWindow(u"Hidden", u"Hidden"))->style.visible = false;
        p.window(p.addWindow(u"Palette", u"Tool"))->style.toolWindow = true;
        p.window(p.addWindow(u"Program's own", u"Own"))->pid = p.ownPid;
        p.window(p.addWindow(u"On top", u"Top"))->topmost = true;
        p.foreground = self();
    }
    std::string asked(size_t i) { return i < p.shown.size() ? toUtf8(p.shown[i].text) : "(nothing asked)"; }
};

TEST_F(ColdStartTrialTest, KeysGoToTheWindowBehindOnceTheUserSaysYes) {
    row(u"ｷｰ入力", u"VK_A");
    p.answers = {tk::mb::IdYes};
    ASSERT_TRUE(ctrl('T'));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(asked(0), "「無題 - メモ帳」に送りますか？");
    EXPECT_EQ(p.shown[0].style, tk::mb::YesNo | tk::mb::Question | tk::mb::DefaultButton2);
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{behind, self()}));
    EXPECT_EQ(injected(), (Lines{"keybd_event(65,30,0,0)", "keybd_event(65,30,2,0)"}));
    EXPECT_EQ(status(), u"1行目を実行しました");
    expectIdle();
    // Asked once: the next try goes there at once.
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{behind, self()}));
}

TEST_F(ColdStartTrialTest, NoIsTheDefaultAndSendsNothingAndTheQuestionComesAgain) {
    row(u"左ｸﾘｯｸ", u"300,200");
    p.pointWindow = behind;
    ASSERT_TRUE(ctrl('T'));  // no answer scripted: the default button
    EXPECT_EQ(asked(0), "「無題 - メモ帳」に送りますか？");
    EXPECT_EQ(p.shown[0].answer, tk::mb::IdNo);
    EXPECT_TRUE(fronts().empty());
    EXPECT_TRUE(injected().empty());
    EXPECT_EQ(status(), u"待機中");
    expectIdle();
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(p.shown.size(), 2u);
    EXPECT_TRUE(injected().empty());
}

TEST_F(ColdStartTrialTest, OnlyRowsThatSendAskAndATargetWindowOrAWindowLeftComesFirst) {
    // A cursor move sends nothing to a window: no question.
    row(u"ﾏｳｽｶｰｿﾙ移動", u"10,20");
    ASSERT_TRUE(ctrl('T'));
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(status(), u"1行目を実行しました");

    // The document's target window, found wherever it stands.
    const os::WindowHandle target = p.addWindow(u"Target window", u"T");
    p.window(target)->topmost = true;
    app->document.settings.targetWindowSearch = u"Target";
    row(u"ｷｰ入力", u"VK_A");
    ASSERT_TRUE(ctrl('T'));
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{target, self()}));

    // Once the program has left the front to a window, that one.
    app->document.settings.targetWindowSearch.clear();
    const os::WindowHandle left = p.addWindow(u"Left", u"L");
    p.activate(left);
    p.activate(self());
    ASSERT_TRUE(ctrl('T'));
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{left, self()}));
}

TEST_F(ColdStartTrialTest, AnotherWindowBehindIsAskedForAfresh) {
    row(u"ｷｰ入力", u"VK_A");
    p.answers = {tk::mb::IdYes};
    ASSERT_TRUE(ctrl('T'));
    ASSERT_EQ(p.shown.size(), 1u);
    // The window agreed to closes; the one behind now is a console.
    p.removeWindow(behind);
    const os::WindowHandle console = p.addWindow(u"C:\\Windows\\system32\\cmd.exe", u"ConsoleWindowClass");
    p.activate(self());
    p.answers = {tk::mb::IdYes};
    ASSERT_TRUE(ctrl('T'));
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(asked(1), "「C:\\Windows\\system32\\cmd.exe」に送りますか？");
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{console, self()}));
}

TEST_F(RowTrialTest, TheItemsAreEnabledOnlyInAGridRowAndNeverDuringARun) {
    auto* runItem = app->form->findMenu("mnu_RunRow");
    auto* showItem = app->form->findMenu("mnu_ShowRow");
    ASSERT_NE(runItem, nullptr);
    ASSERT_NE(showItem, nullptr);
    EXPECT_EQ(runItem->shortcut(), (tk::Shortcut{'T', tk::CtrlMask}));
    EXPECT_EQ(showItem->shortcut(), (tk::Shortcut{'P', tk::CtrlMask}));
    row(u"ｷｰ入力", u"VK_A");
    EXPECT_TRUE(runItem->effectivelyEnabled());
    EXPECT_TRUE(showItem->effectivelyEnabled());
    app->controls.intervalBox->userFocus();
    EXPECT_FALSE(runItem->effectivelyEnabled());
    EXPECT_FALSE(showItem->effectivelyEnabled());
    EXPECT_FALSE(ctrl('T'));
    EXPECT_TRUE(events().empty());

    app->grid.actionList(1)->userFocus();
    interval(u"10");
    app->controls.startButton->press();
    ASSERT_TRUE(running());
    EXPECT_FALSE(runItem->effectivelyEnabled());
    EXPECT_FALSE(ctrl('T'));
    EXPECT_FALSE(ctrl('P'));
}

// ---------------------------------------------------------------------------
// Show where a row acts

TEST_F(RowTrialTest, AMouseRowShowsAMarkerAtItsPointForTwoSeconds) {
    row(u"左ｸﾘｯｸ", u"300,200");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(p.traceText(mark), "PointMarker(300,200,2000)");
    ASSERT_NE(p.markerShown(), nullptr);
    EXPECT_FALSE(p.markerShown()->frame);
    EXPECT_EQ(p.markerShown()->point, (os::Point{300, 200}));
    EXPECT_EQ(status(), u"300,200 で左ｸﾘｯｸします");
    EXPECT_EQ(p.foreground, self());
    p.advance(1999);
    EXPECT_NE(p.markerShown(), nullptr);
    p.advance(1);
    EXPECT_EQ(p.markerShown(), nullptr);

    row(u"左ｸﾘｯｸ", u"");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"現在のカーソル位置で実行します");
    EXPECT_EQ(p.markerShown(), nullptr);
}

TEST_F(RowTrialTest, AWindowRowOutlinesTheWindowFoundAndShowsItsTitle) {
    p.window(notepad)->x = 40;
    p.window(notepad)->y = 30;
    row(u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"Notepad");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(p.traceText(mark), "FrameMarker(40,30,680,510,2000)");
    EXPECT_EQ(status(), u"Untitled - Notepad");

    row(u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"Calculator");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"対象ウィンドウが見つかりません");
    // Nothing was activated by the search.
    EXPECT_EQ(p.foreground, self());
    EXPECT_EQ(fronts(), std::vector<os::WindowHandle>{});
}

TEST_F(RowTrialTest, KeyAndOtherRowsAreDescribedOnTheStatusLineWithoutSendingAnything) {
    row(u"ｷｰ入力", u"+VK_END,^VK_C");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"Shift+End → Ctrl+C");
    row(u"EXE実行", u"notepad.exe");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"notepad.exe を起動します");
    // A malformed text: the run's message, on the status line only.
    row(u"ｷｰ入力", u"VK_A,VK_QQ");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"「VK_QQ」は、サポートされていないキーです。");
    row(u"待機", u"x");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"待機時間の値が不正です");
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(p.markerShown(), nullptr);
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(fronts(), std::vector<os::WindowHandle>{});
    expectIdle();
}

TEST_F(RowTrialTest, TryingARowTakesAMarkerAway) {
    p.pointWindow = notepad;
    row(u"左ｸﾘｯｸ", u"300,200");
    ASSERT_TRUE(ctrl('P'));
    ASSERT_NE(p.markerShown(), nullptr);
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(p.markerShown(), nullptr);
    EXPECT_EQ(status(), u"1行目を実行しました");
}

// ---------------------------------------------------------------------------
// Rows whose point lies in a window

class AnchoredTrialTest : public RowTrialTest {
protected:
    void SetUp() override {
        RowTrialTest::SetUp();
        editor = p.addWindow(u"notes.txt - Editor", u"Edit", 5);
        p.window(editor)->x = 200;
        p.window(editor)->y = 100;
        p.activate(self());
        // The program's window covers the screen's top left corner.
        p.windowAt = [this](os::Point pt) { return pt.x < 220 && pt.y < 150 ? self() : editor; };
    }
    os::WindowHandle editor = 0;
};

TEST_F(AnchoredTrialTest, CtrlPMarksThePointWhereTheWindowHasItOrSaysTheWindowIsNotThere) {
    row(u"左ｸﾘｯｸ", u"40,25,notes.txt");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(p.traceText(mark), "PointMarker(248,156,2000)");
    EXPECT_EQ(status(), u"「notes.txt」の 40,25 → 248,156 で左ｸﾘｯｸします");
    EXPECT_EQ(p.foreground, self());  // nothing activated

    row(u"左ｸﾘｯｸ", u"40,25,draft.txt");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"「draft.txt」を含むウィンドウが見つかりません");
    EXPECT_EQ(p.traceText(mark).find("PointMarker"), std::string::npos);
}

TEST_F(AnchoredTrialTest, CtrlTClicksInTheNamedWindowAndMapsThePointBeforeTheOwnWindowCheck) {
    row(u"左ｸﾘｯｸ", u"40,25,notes.txt");
    ASSERT_TRUE(ctrl('T'));
    // The named window, not the one the user came from, gets the click.
    EXPECT_EQ(fronts(), (std::vector<os::WindowHandle>{editor, self()}));
    Lines ev = injected();
    ASSERT_EQ(ev.size(), 4u);
    EXPECT_EQ(ev[0], "SetCursorPos(248,156)");
    EXPECT_EQ(status(), u"1行目を実行しました");
    expectIdle();

    // 10,10 would be a point beside the program; in the window it is on it.
    row(u"左ｸﾘｯｸ", u"-4,-20,notes.txt");
    ASSERT_TRUE(ctrl('T'));
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"TOVIRAKのウィンドウ上はクリックできません。");
    EXPECT_TRUE(injected().empty());

    p.removeWindow(editor);
    row(u"左ｸﾘｯｸ", u"40,25,notes.txt");
    const size_t asked = p.shown.size();
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(status(), u"「notes.txt」を含むウィンドウが見つかりません");
    EXPECT_TRUE(injected().empty());
    EXPECT_EQ(p.shown.size(), asked);
    expectIdle();
}
