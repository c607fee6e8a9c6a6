// Recording through the main window: the menu item and Ctrl+K, the hooks
// fed by the headless keyboard and mouse, the steps put into the document,
// the status line, and what recording shuts out meanwhile.
#include "editor_fixture.h"

namespace {
constexpr int VK_CONTROL = 0x11, VK_SHIFT = 0x10, VK_PAUSE = 0x13, VK_F11 = 0x7A, VK_RETURN = 13;
}

class RecordingTest : public EditorTest {
protected:
    os::WindowHandle notepad = 0;

    void SetUp() override {
        EditorTest::SetUp();
        notepad = p.addWindow(u"無題 - メモ帳", u"Notepad");
        // Its client area at the screen's corner: a point in it is written
        // with the numbers of the screen point.
        p.window(notepad)->clientX = p.window(notepad)->clientY = 0;
        p.foreground = notepad;
        p.pointWindow = notepad;
    }
    bool recording() const { return app->recording.recorder().recording(); }
    void startByShortcut() { ASSERT_TRUE(ctrl('K')); }
    // Ctrl+K pressed on the keyboard in whatever program has the front; the
    // message loop then runs what the hooks handed over.
    void endByKeyboard() {
        p.press(VK_CONTROL);
        p.tap('K');
        p.release(VK_CONTROL);
        p.advance(10);
    }
    void type(const char* s) {
        for (; *s; ++s) {
            p.tap(*s >= 'a' && *s <= 'z' ? *s - 'a' + 'A' : *s);
            p.advance(50);
        }
    }
    std::vector<std::string> stepRows() {
        std::vector<std::string> r;
        for (int32_t i = 1; i < app->document.steps.count(); ++i)
            r.push_back(toUtf8(app->document.steps.at(i).action) + "|" + toUtf8(app->document.steps.at(i).command));
        return r;
    }
    bool rowVisible(const Str& number) {
        for (int r = 1; r <= app->grid.rowsShown(); ++r)
            if (rowShown(r) && no(r) == number) return true;
        return false;
    }
};

TEST_F(RecordingTest, CtrlKRecordsClicksAndKeysUntilCtrlKInAnyProgram) {
    app->document.setChanged(false);
    const size_t keyObservers = p.keyObservers.size();
    startByShortcut();
    EXPECT_TRUE(recording());
    EXPECT_EQ(status(), u"記録中 (Ctrl+Kで終了)");
    EXPECT_EQ(app->statusLine.label().foreColor(), tk::rgb(255, 255, 0));  // the running colours
    EXPECT_EQ(p.keyObservers.size(), keyObservers + 1);
    EXPECT_EQ(p.mouseObservers.size(), 1u);
    // The guidance of a control the user clicks in does not replace it.
    app->controls.intervalBox->userFocus();
    EXPECT_EQ(status(), u"記録中 (Ctrl+Kで終了)");

    p.click({50, 60});
    p.advance(100);
    p.press(VK_SHIFT);
    type("h");
    p.release(VK_SHIFT);
    type("i");
    p.tap(VK_RETURN);
    p.advance(100);
    endByKeyboard();

    EXPECT_FALSE(recording());
    // The ending Ctrl+K reached no program; nothing else was taken away.
    EXPECT_EQ(p.pressedSinceQuery.count('K'), 0u);
    EXPECT_EQ(p.pressedSinceQuery.count('H'), 1u);
    EXPECT_EQ(p.keyObservers.size(), keyObservers);
    EXPECT_TRUE(p.mouseObservers.empty());
    EXPECT_EQ(stepRows(), (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳", "左ｸﾘｯｸ|50,60,無題 - メモ帳", "ｷｰ入力|Hi{ENTER}"}));
    EXPECT_EQ(app->document.steps.at(2).comment, u"記録: メモ帳 でクリック");
    EXPECT_EQ(app->document.steps.count(), 4);
    EXPECT_EQ(status(), u"3ステップを記録しました");
    EXPECT_EQ(app->statusLine.label().foreColor(), tk::rgb(255, 255, 0));
    EXPECT_TRUE(app->document.changed());
    // The grid shows them.
    EXPECT_EQ(action(1), u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ");
    EXPECT_EQ(command(3), u"Hi{ENTER}");
    // Nothing was injected meanwhile.
    for (auto& line : p.trace) {
        EXPECT_NE(line.rfind("keybd_event", 0), 0u) << line;
        EXPECT_NE(line.rfind("mouse_event", 0), 0u) << line;
        EXPECT_NE(line.rfind("SendInput", 0), 0u) << line;
    }
}

TEST_F(RecordingTest, StepsGoAfterTheLastPlayableRowAndLaterRowsMoveDown) {
    load(4);
    app->document.steps.at(3).action.clear();  // row 3 ends the playable rows; row 4 is kept
    size(6000, heightFor(4));
    app->grid.redraw();
    startByShortcut();
    p.click({7, 8});
    p.advance(1600);
    p.click({300, 8});
    p.advance(100);
    endByKeyboard();
    EXPECT_EQ(stepRows(), (std::vector<std::string>{"左ｸﾘｯｸ|1,2", "左ｸﾘｯｸ|2,4", "ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳",
                                                    "左ｸﾘｯｸ|7,8,無題 - メモ帳", "待機|2", "左ｸﾘｯｸ|300,8,無題 - メモ帳", "|3,6", "左ｸﾘｯｸ|4,8"}));
    EXPECT_EQ(app->document.steps.at(7).comment, u"c3");
    EXPECT_EQ(app->document.steps.count(), 9);
    EXPECT_TRUE(app->document.steps.at(9).blank());
    EXPECT_TRUE(rowVisible(u"3"));
    EXPECT_EQ(status(), u"4ステップを記録しました");
}

TEST_F(RecordingTest, AFarDownInsertionScrollsToItsFirstRowAndMinutesWriteWaitsInMinutes) {
    load(60);
    size(6000, heightFor(4));
    app->grid.scrollBar()->setValue(1);
    app->controls.unitBox->setText(u"分");
    startByShortcut();
    p.click({1, 1});
    p.advance(2000);
    p.click({200, 1});
    p.advance(100);
    endByKeyboard();
    EXPECT_EQ(toUtf8(app->document.steps.at(63).action) + "|" + toUtf8(app->document.steps.at(63).command), "待機|0.033");
    EXPECT_TRUE(rowVisible(u"61"));
    EXPECT_EQ(app->document.steps.count(), 61 + 4);
}

TEST_F(RecordingTest, NothingRecordedChangesNothingAndLeftOutOperationsAreCounted) {
    load(2);
    app->document.setChanged(false);
    startByShortcut();
    endByKeyboard();
    EXPECT_EQ(status(), u"記録されたステップはありません");
    EXPECT_EQ(app->document.steps.count(), 3);
    EXPECT_FALSE(app->document.changed());

    startByShortcut();
    p.mouseEvent(os::RawMouse::Wheel, {5, 5});
    endByKeyboard();
    EXPECT_EQ(status(), u"記録されたステップはありません（記録できない操作 1件）");

    startByShortcut();
    p.click({5, 5});
    p.mouseEvent(os::RawMouse::Wheel, {5, 5});
    p.press(0x5B);  // the Windows key
    p.release(0x5B);
    endByKeyboard();
    EXPECT_EQ(status(), u"2ステップを記録しました（記録できない操作 2件）");

    // Keys the input method took: what it composed is not in the steps.
    startByShortcut();
    p.tap(0xE5);  // VK_PROCESSKEY
    endByKeyboard();
    EXPECT_EQ(status(), u"記録されたステップはありません（記録できない操作 1件）（日本語入力は記録されません）");
}

TEST_F(RecordingTest, TheHooksTellWhatEachKeyTypedAndALoneAltIsRecordedByItself) {
    startByShortcut();
    type("a");
    p.press(0xDF, u"é");  // a key of another layout
    p.release(0xDF);
    p.tap(0x12);  // Alt alone: the hook tells the left Alt
    type("e");
    p.advance(100);
    endByKeyboard();
    EXPECT_EQ(stepRows(), (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳", "ｷｰ入力|aé", "ｷｰ入力_改|VK_MENU",
                                                    "ｷｰ入力|e"}));
}

TEST_F(RecordingTest, TheEndingCtrlKReachesNoProgramThoughItsKIsReleasedAfterTheEnd) {
    startByShortcut();
    const size_t keyObservers = p.keyObservers.size();
    p.click({5, 5});
    p.passed.clear();
    p.press(VK_CONTROL);
    p.press('K');
    p.press('K');  // a repeat
    p.advance(10);  // the end runs while K is still down
    EXPECT_FALSE(recording());
    EXPECT_EQ(p.keyObservers.size(), keyObservers);
    p.release('K');
    p.release(VK_CONTROL);
    p.advance(10);
    EXPECT_EQ(p.passed, (std::vector<std::pair<int, bool>>{{VK_CONTROL, false}, {VK_CONTROL, true}}));
    // Its release let the recorder's keyboard observer go.
    EXPECT_EQ(p.keyObservers.size(), keyObservers - 1);
    EXPECT_EQ(stepRows(), (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳", "左ｸﾘｯｸ|5,5,無題 - メモ帳"}));
    // A new recording does not wait for a release that never came.
    startByShortcut();
    p.press(VK_CONTROL);
    p.press('K');
    p.advance(10);
    startByShortcut();
    EXPECT_EQ(p.keyObservers.size(), keyObservers);
    endByKeyboard();
    p.release('K');
    p.release(VK_CONTROL);
}

TEST_F(RecordingTest, TheMenuItemAndThePauseKeyEndItToo) {
    app->menu.record->userClick();
    ASSERT_TRUE(recording());
    p.click({5, 5});
    p.advance(10);
    app->menu.record->userClick();
    EXPECT_FALSE(recording());
    EXPECT_EQ(app->document.steps.count(), 3);

    startByShortcut();
    p.click({9, 9});
    p.press(VK_PAUSE);
    p.advance(10);
    EXPECT_FALSE(recording());
    EXPECT_EQ(app->document.steps.count(), 5);
    // Pause is not taken from the programs.
    EXPECT_EQ(p.down.count(VK_PAUSE), 1u);
    p.release(VK_PAUSE);
}

TEST_F(RecordingTest, InputToTheProgramsOwnWindowsIsNeitherRecordedNorBlocked) {
    startByShortcut();
    const os::WindowHandle own = app->form->nativeHandle();
    p.pointWindow = own;
    p.foreground = own;
    p.click({3, 3});
    type("ab");
    p.advance(100);
    EXPECT_EQ(p.pressedSinceQuery.count('A'), 1u);
    p.pointWindow = notepad;
    p.foreground = notepad;
    p.click({4, 4});
    endByKeyboard();
    EXPECT_EQ(stepRows(), (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳", "左ｸﾘｯｸ|4,4,無題 - メモ帳"}));
}

TEST_F(RecordingTest, AClickOnAChildWindowGoesToItsTopLevelWindow) {
    const os::WindowHandle edit = 0x9999;
    p.topLevelOf[edit] = notepad;
    p.pointWindow = edit;
    startByShortcut();
    p.click({4, 4});
    endByKeyboard();
    EXPECT_EQ(stepRows(), (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳", "左ｸﾘｯｸ|4,4,無題 - メモ帳"}));
}

// The hooks read where the window stands and how its monitor scales at
// each press: a window moved between two clicks on one of its spots gives
// the same point twice, on a 150 % monitor the point is written at 96 DPI,
// and a title that changed meanwhile is the title written.
TEST_F(RecordingTest, EachClickIsWrittenInItsWindowAsTheWindowStoodThen) {
    p.monitors = {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
    p.monitorDpis = {96, 144};
    headless::Window& w = *p.window(notepad);
    w.x = 100;
    w.y = 50;
    w.clientX = 8;
    w.clientY = 31;
    startByShortcut();
    p.click({158, 101});
    p.advance(100);
    w.x = 400;
    w.y = 300;
    p.click({458, 351});
    p.advance(100);
    w.x = 2000;
    w.y = 100;
    w.title = u"メモ.txt - メモ帳";
    p.click({2008 + 75, 131 + 30});
    endByKeyboard();
    EXPECT_EQ(stepRows(), (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳", "左ｸﾘｯｸ|50,20,無題 - メモ帳",
                                                    "左ｸﾘｯｸ|50,20,無題 - メモ帳", "左ｸﾘｯｸ|50,20,メモ.txt - メモ帳"}));
}

// The desktop has a title on Windows ("Program Manager"), but nothing to
// search for: a click there is a screen point with no activation.
TEST_F(RecordingTest, TheDesktopCountsAsAWindowWithoutATitle) {
    const os::WindowHandle desktop = p.addWindow(u"Program Manager", u"Progman");
    p.window(desktop)->style.shell = true;
    startByShortcut();
    p.pointWindow = desktop;
    p.click({4, 4});
    p.pointWindow = notepad;
    p.click({40, 40});
    endByKeyboard();
    EXPECT_EQ(stepRows(), (std::vector<std::string>{"左ｸﾘｯｸ|4,4", "ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳", "左ｸﾘｯｸ|40,40,無題 - メモ帳"}));
}

TEST_F(RecordingTest, HooksThatCannotBeInstalledStopItWithAMessage) {
    const Str before = status();
    p.hooksRefused = true;
    startByShortcut();
    EXPECT_FALSE(recording());
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"キーボードとマウスの操作を監視できないため、記録を開始できません。");
    EXPECT_EQ(status(), before);

    // Keyboard yes, mouse no: the keyboard observer goes again.
    p.hooksRefused = false;
    p.mouseHookRefused = true;
    const size_t keyObservers = p.keyObservers.size();
    startByShortcut();
    EXPECT_FALSE(recording());
    EXPECT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.keyObservers.size(), keyObservers);
}

TEST_F(RecordingTest, NothingStartsARunWhileRecordingNorAfterItFromAKeyPressedMeanwhile) {
    load(1);
    app->controls.intervalBox->setText(u"1");
    app->hotKeys.setStartKeys({0, VK_F11});
    app->hotKeys.forgetPresses();
    startByShortcut();
    EXPECT_TRUE(app->form->userShortcut(tk::key::F5, 0));
    app->controls.startButton->press();
    p.tap(VK_F11);
    p.advance(100);
    EXPECT_EQ(app->player.state().row, 0);
    EXPECT_TRUE(recording());
    endByKeyboard();
    p.advance(100);
    EXPECT_EQ(app->player.state().row, 0);
    // The key recorded as a key: F11 has a name in braces.
    EXPECT_EQ(toUtf8(app->document.steps.at(3).command), "{F11}");
}

TEST_F(RecordingTest, RowsCannotBeTriedOrShownWhileRecording) {
    load(1);
    app->grid.commandBox(1)->userFocus();
    ASSERT_TRUE(app->form->findMenu("mnu_RunRow")->effectivelyEnabled());
    startByShortcut();
    EXPECT_FALSE(app->form->findMenu("mnu_RunRow")->effectivelyEnabled());
    EXPECT_FALSE(app->form->findMenu("mnu_ShowRow")->effectivelyEnabled());
    const size_t before = p.trace.size();
    app->rowTrial.runRow();  // even when called directly, nothing is tried
    EXPECT_TRUE(recording());
    EXPECT_EQ(p.traceText(before).find("SetCursorPos"), std::string::npos);
    endByKeyboard();
    EXPECT_TRUE(app->form->findMenu("mnu_RunRow")->effectivelyEnabled());
    EXPECT_TRUE(app->form->findMenu("mnu_ShowRow")->effectivelyEnabled());
}

TEST_F(RecordingTest, TheItemIsDisabledWhileAMacroRuns) {
    load(1);
    app->controls.intervalBox->setText(u"1");
    app->controls.startButton->press();
    ASSERT_NE(app->player.state().row, 0);
    EXPECT_FALSE(app->menu.record->effectivelyEnabled());
    EXPECT_FALSE(ctrl('K'));
    app->menu.record->userClick();
    EXPECT_FALSE(recording());
    app->controls.startButton->press();
    EXPECT_TRUE(app->menu.record->effectivelyEnabled());
}

TEST_F(RecordingTest, ClosingWhileRecordingKeepsTheStepsThenClosesAsUsual) {
    app->document.setChanged(false);
    startByShortcut();
    p.click({11, 12});
    p.advance(10);
    p.answers.push_back(tk::mb::IdNo);  // do not save the document itself
    EXPECT_TRUE(app->form->close());
    EXPECT_FALSE(recording());
    // The save question came, and the working state holds the steps.
    ASSERT_FALSE(p.shown.empty());
    EXPECT_NE(p.shown.back().text.find(u"変更されています"), Str::npos);
    EXPECT_NE(fromCp932(fileBytes(u"C:\\work\\TOVIRAK.TVK")).find(u"\"左ｸﾘｯｸ\",\"11,12,無題 - メモ帳\""), Str::npos);
}

// New and Open end the recording before their save question, so the
// question covers the recorded steps: cancelled, they stay in the document;
// saved, the file holds them.
TEST_F(RecordingTest, NewAndOpenWhileRecordingInsertTheStepsBeforeTheSaveQuestion) {
    app->document.setChanged(false);
    for (tk::MenuItem* item : {app->menu.newDocument, app->menu.open}) {
        SCOPED_TRACE(item->name());
        startByShortcut();
        p.click({11, 12});
        p.advance(10);
        p.answers.push_back(tk::mb::IdCancel);
        const size_t shown = p.shown.size();
        item->userClick();
        EXPECT_FALSE(recording());
        ASSERT_EQ(p.shown.size(), shown + 1);
        EXPECT_NE(p.shown.back().text.find(u"変更されています"), Str::npos);
        EXPECT_EQ(stepRows().back(), "左ｸﾘｯｸ|11,12,無題 - メモ帳");
        EXPECT_EQ(status(), u"2ステップを記録しました");
    }

    app->document.setPath(u"C:\\work\\rec.TVK");
    startByShortcut();
    p.click({21, 22});
    p.advance(10);
    p.answers.push_back(tk::mb::IdYes);
    EXPECT_TRUE(ctrl('N'));
    EXPECT_FALSE(recording());
    EXPECT_NE(fromCp932(fileBytes(u"C:\\work\\rec.TVK")).find(u"\"左ｸﾘｯｸ\",\"21,22,無題 - メモ帳\""), Str::npos);
    EXPECT_TRUE(stepRows().empty());  // and then the new document
}

// While recording, other texts have their moment on the status line, and
// then it says again that a recording is going on.
TEST_F(RecordingTest, TheRecordingStatusComesBackAfterAnotherText) {
    app->document.setPath(u"C:\\work\\rec.TVK");
    startByShortcut();
    p.click({11, 12});
    p.advance(10);
    EXPECT_TRUE(ctrl('S'));
    EXPECT_EQ(status(), u"書き込み完了！！！");
    p.advance(1900);
    EXPECT_EQ(status(), u"書き込み完了！！！");
    p.advance(200);
    EXPECT_EQ(status(), u"記録中 (Ctrl+Kで終了)");
    EXPECT_EQ(app->statusLine.label().foreColor(), tk::rgb(255, 255, 0));
    // An error too, though it stays in the log.
    app->statusLine.show(StatusMode::Error, u"[x]y");
    p.advance(1000);
    app->statusLine.show(StatusMode::Warning, u"z");  // a new text has its own two seconds
    p.advance(1500);
    EXPECT_EQ(status(), u"z");
    p.advance(600);
    EXPECT_EQ(status(), u"記録中 (Ctrl+Kで終了)");
    // After the end, the end's text stays.
    app->statusLine.show(StatusMode::Status, u"書き込み完了！！！");
    endByKeyboard();
    EXPECT_EQ(status(), u"2ステップを記録しました");
    p.advance(5000);
    EXPECT_EQ(status(), u"2ステップを記録しました");
    app->statusLine.show(StatusMode::Guidance, u"g");
    EXPECT_EQ(status(), u"g");
}

TEST_F(RecordingTest, ASessionEndWhileRecordingKeepsTheSteps) {
    app->document.setChanged(false);
    startByShortcut();
    p.click({11, 12});
    p.advance(10);
    EXPECT_FALSE(app->form->userQueryEndSession(0));  // changed now: held for the question
    EXPECT_FALSE(recording());
    EXPECT_NE(fromCp932(fileBytes(u"C:\\work\\TOVIRAK.TVK")).find(u"\"左ｸﾘｯｸ\",\"11,12,無題 - メモ帳\""), Str::npos);
}

// Tens of thousands of events: handed over one by one as posted calls, they
// are turned into steps as they come, and the insertion is linear.
TEST_F(RecordingTest, ALongRecordingOfManyThousandEvents) {
    startByShortcut();
    const int clicks = 10000;
    for (int i = 0; i < clicks; ++i) {
        p.click({i % 2 ? 100 : 500, 200});
        p.nowMs += 1200;  // no timer needs to tick
    }
    for (int i = 0; i < 20000; ++i) p.moveMouse({i % 800, 300});  // moves with no button held
    EXPECT_LE(p.posted.size(), size_t(2 * clicks));
    endByKeyboard();
    // The activation, the clicks and a wait of a second between each two.
    EXPECT_EQ(app->document.steps.count(), 1 + clicks + (clicks - 1) + 1);
    EXPECT_EQ(toUtf8(app->document.steps.at(2 * clicks).command), "100,200,無題 - メモ帳");
    EXPECT_EQ(status(), toStr((long long)(2 * clicks)) + u"ステップを記録しました");
}

// The system's double-click and repeat settings reach the turning of events.
TEST_F(RecordingTest, TheUsersDoubleClickTimeAndRepeatDelayCount) {
    p.inputSettings.doubleClickMs = 900;
    p.inputSettings.keyRepeatDelayMs = 1000;
    startByShortcut();
    p.click({40, 40});
    p.advance(700);
    p.click({40, 40});
    p.advance(100);
    p.press('W');
    p.advance(700);
    p.release('W');
    endByKeyboard();
    EXPECT_EQ(stepRows(), (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳", "左Wｸﾘｯｸ|40,40,無題 - メモ帳", "ｷｰ入力|w"}));
}
