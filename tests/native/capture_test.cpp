// Point and window capture with the set buttons.
#include "editor_fixture.h"

class CaptureTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        size(6000, heightFor(4));
        load(3);
    }
    void row(int s, const Str& a, const Str& cmd) {
        app->document.steps.at(s).action = a;
        app->document.steps.at(s).command = cmd;
        app->grid.redraw();
    }
    void releaseAt(int x, int y) {
        p.cursor = {x, y};
        app->form->userMouseUp(1, 0, 0, 0);
    }
    bool traced(const std::string& line) const {
        for (auto& l : p.trace)
            if (l == line) return true;
        return false;
    }
    int mouseEvents() const {
        int n = 0;
        for (auto& l : p.trace) n += l.rfind("mouse_event", 0) == 0;
        return n;
    }
};

TEST_F(CaptureTest, PointCaptureStartsFromTheRowsPointAndStoresTheClick) {
    row(2, u"左ｸﾘｯｸ", u"100,200");
    app->grid.setButton(2)->press();
    // Over the desktop of 1920 x 1080: ⌈100 × 65536 ÷ 1920⌉, ⌈200 × 65536 ÷ 1080⌉.
    EXPECT_TRUE(traced("mouse_event(49153,3414,12137,0)"));
    EXPECT_EQ(p.cursor, (os::Point{100, 200}));
    EXPECT_TRUE(traced("SetCapture"));
    EXPECT_TRUE(app->capture.armed());
    EXPECT_EQ(app->capture.step(), 2);
    EXPECT_EQ(status(), u"");

    releaseAt(300, 400);
    EXPECT_EQ(app->document.steps.at(2).command, u"300,400");
    EXPECT_EQ(command(2), u"300,400");
    EXPECT_TRUE(app->document.changed());  // new coordinates are a change
    EXPECT_EQ(app->document.steps.count(), 4);
    EXPECT_TRUE(traced("ReleaseCapture"));
    EXPECT_FALSE(app->capture.armed());
    EXPECT_EQ(p.toolkit.captureForm, nullptr);

    // An ordinary click afterwards changes nothing.
    releaseAt(1, 1);
    EXPECT_EQ(app->document.steps.at(2).command, u"300,400");
}

TEST_F(CaptureTest, EmptyCommandArmsWithoutMovingTheCursor) {
    row(1, u"ﾏｳｽｶｰｿﾙ移動", u"");
    app->grid.setButton(1)->press();
    EXPECT_EQ(mouseEvents(), 0);
    EXPECT_TRUE(app->capture.armed());
    releaseAt(7, 9);
    EXPECT_EQ(app->document.steps.at(1).command, u"7,9");
}

TEST_F(CaptureTest, LoneNumberMovesToThatXOnTheTopEdge) {
    row(1, u"右ｸﾘｯｸ", u"5");
    app->grid.setButton(1)->press();
    EXPECT_TRUE(traced("mouse_event(49153,171,0,0)"));
    EXPECT_EQ(p.cursor, (os::Point{5, 0}));
    // Leading blanks, trailing junk and halves (ties to even) as the command
    // reader takes them.
    row(1, u"右ｸﾘｯｸ", u" 2.5xyz, 1079");
    app->grid.setButton(1)->press();
    EXPECT_TRUE(traced("mouse_event(49153,69,65476,0)"));
}

TEST_F(CaptureTest, UnusableCoordinatesStillArmTheCapture) {
    row(1, u"左ｸﾘｯｸ", u"99999999999,5");
    app->grid.setButton(1)->press();
    EXPECT_EQ(mouseEvents(), 0);
    EXPECT_TRUE(app->capture.armed());
    EXPECT_EQ(status(), u"");
    releaseAt(10, 20);
    EXPECT_EQ(app->document.steps.at(1).command, u"10,20");
}

TEST_F(CaptureTest, ScreenSizeIsTakenAtTheMomentOfTheClick) {
    p.monitors = {{0, 0, 1025, 769}};
    row(1, u"左ｸﾘｯｸ", u"1024,768");
    app->grid.setButton(1)->press();
    EXPECT_TRUE(traced("mouse_event(49153,65473,65451,0)"));
    EXPECT_EQ(p.cursor, (os::Point{1024, 768}));
    EXPECT_EQ(app->capture.screen().maxX, 1024);
    EXPECT_EQ(app->capture.screen().maxY, 768);
}

TEST_F(CaptureTest, WindowCaptureStoresTitleAndClassOfTheInnermostWindow) {
    row(3, u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"old");
    const os::WindowHandle button = p.addWindow(u"OK", u"Button");
    p.pointWindow = button;
    app->grid.setButton(3)->press();
    EXPECT_EQ(mouseEvents(), 0);  // a window capture does not move the cursor
    releaseAt(50, 60);
    EXPECT_EQ(app->document.steps.at(3).command, u"OK,Button");
    EXPECT_EQ(command(3), u"OK,Button");
    EXPECT_TRUE(app->document.changed());
}

TEST_F(CaptureTest, ChangedCaptureIsAskedAboutAtCloseAndAnUnchangedOneIsNot) {
    // A named, saved document: the capture changes a row as typing would,
    // with the same title.
    p.folders.insert(u"C:\\m");
    row(2, u"左ｸﾘｯｸ", u"100,200");
    app->macroFile.write(u"C:\\m\\朝.TVK", MacroFile::Overwrite::Silently);
    ASSERT_FALSE(app->document.changed());
    const Str title = app->form->text();

    // The same point again: nothing changed, nothing to ask.
    app->grid.setButton(2)->press();
    releaseAt(100, 200);
    EXPECT_FALSE(app->document.changed());
    // The same window text again.
    row(3, u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"OK,Button");
    app->macroFile.write(u"C:\\m\\朝.TVK", MacroFile::Overwrite::Silently);
    p.pointWindow = p.addWindow(u"OK", u"Button");
    app->grid.setButton(3)->press();
    releaseAt(5, 5);
    EXPECT_FALSE(app->document.changed());

    app->grid.setButton(2)->press();
    releaseAt(300, 400);
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(app->form->text(), title);
    // Closing asks; Yes saves the new point into the document.
    p.answers.push_back(tk::mb::IdYes);
    EXPECT_TRUE(app->form->userClose());
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"変更されています。保存しますか？\r\n\r\nC:\\m\\朝.TVK");
    EXPECT_NE(fileBytes(u"C:\\m\\朝.TVK").find(toCp932(u"\"左ｸﾘｯｸ\",\"300,400\"")), std::string::npos);
}

TEST_F(CaptureTest, LineBreakInACapturedTitleBecomesASpace) {
    row(1, u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"");
    p.pointWindow = p.addWindow(u"二行の\r\nタイトル\n", u"Static");
    app->grid.setButton(1)->press();
    releaseAt(5, 5);
    EXPECT_EQ(app->document.steps.at(1).command, u"二行の タイトル ,Static");
    EXPECT_EQ(command(1), u"二行の タイトル ,Static");
}

TEST_F(CaptureTest, WindowWithoutTitleLeavesTheCommandAndEndsTheCapture) {
    row(2, u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"keep");
    p.pointWindow = p.addWindow(u"", u"Edit");
    app->grid.setButton(2)->press();
    releaseAt(50, 60);
    EXPECT_EQ(app->document.steps.at(2).command, u"keep");
    EXPECT_FALSE(app->capture.armed());
    EXPECT_TRUE(traced("ReleaseCapture"));
}

TEST_F(CaptureTest, NonPointActionsIgnoreTheSetButton) {
    for (const Str a : {u"待機", u"ｷｰ入力", u"ｷｰ入力_改", u"ｷｰ入力_真", u"ﾊﾟｽﾜｰﾄﾞ入力", u"EXE実行", u"PlaySound", u""}) {
        row(1, a, u"10,10");
        app->grid.setButton(1)->press();
        EXPECT_FALSE(app->capture.armed()) << toUtf8(a);
        releaseAt(300, 400);
        EXPECT_EQ(app->document.steps.at(1).command, u"10,10") << toUtf8(a);
    }
    EXPECT_EQ(mouseEvents(), 0);
    EXPECT_FALSE(traced("SetCapture"));
}

TEST_F(CaptureTest, EndActionTakesAPointLikeAMouseAction) {
    row(1, u"終了", u"");
    app->grid.setButton(1)->press();
    EXPECT_TRUE(app->capture.armed());
    releaseAt(640, 480);
    EXPECT_EQ(app->document.steps.at(1).command, u"640,480");
}

TEST_F(CaptureTest, CaptureWritesTheStepArmedEvenAfterScrolling) {
    load(20);
    app->grid.scrollBar()->setValue(6);
    app->document.steps.at(7).action = u"中ｸﾘｯｸ";
    app->grid.redraw();
    app->grid.setButton(2)->press();
    EXPECT_EQ(app->capture.step(), 7);
    app->grid.scrollBar()->setValue(1);
    releaseAt(11, 22);
    EXPECT_EQ(app->document.steps.at(7).command, u"11,22");
    EXPECT_EQ(app->document.steps.at(2).command, u"2,4");
}

TEST_F(CaptureTest, ArmedStepDeletedMeanwhileReportsAndEndsTheCapture) {
    row(3, u"左ｸﾘｯｸ", u"");
    app->grid.setButton(4)->press();  // the input row has no action: nothing armed
    EXPECT_FALSE(app->capture.armed());
    app->grid.setButton(3)->press();
    // Two rows deleted from the keyboard while armed: step 3 is gone.
    app->grid.actionList(1)->userFocus();
    p.answers = {tk::mb::IdYes, tk::mb::IdYes};
    app->grid.deleteRowAtCaret();
    app->grid.deleteRowAtCaret();
    ASSERT_EQ(app->document.steps.count(), 2);
    releaseAt(1, 2);
    EXPECT_EQ(status().substr(0, 14), u"[Form_MouseUp]");
    EXPECT_FALSE(app->capture.armed());
    EXPECT_TRUE(traced("ReleaseCapture"));
}

// ---------------------------------------------------------------------------
// Points in a window

class AnchoredCaptureTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        p.monitors = {{0, 0, 1920, 1080}, {1920, 0, 4800, 1620}};
        p.monitorDpis = {96, 144};
        editor = p.addWindow(u"Report, final.txt - Editor", u"Edit", 5);
        child = 0x77;
        p.topLevelOf[child] = editor;
        p.pointWindow = child;  // an edit control inside it is under the cursor
        moveEditor(2000, 200);
    }
    void moveEditor(int x, int y) {
        p.window(editor)->x = x;
        p.window(editor)->y = y;
    }
    void shift(bool down) {
        if (down) p.press(VK_SHIFT);
        else p.release(VK_SHIFT);
    }
    static constexpr int VK_SHIFT = 0x10;
    os::WindowHandle editor = 0, child = 0;
};

TEST_F(AnchoredCaptureTest, ARowThatNamesAWindowStartsAndEndsInThatWindow) {
    // The editor stands on the monitor at 150 %: stored 40,24 lies 60,36
    // pixels into its client area at 2008,231.
    row(2, u"左ｸﾘｯｸ", u"40,24,final.txt");
    app->grid.setButton(2)->press();
    EXPECT_EQ(p.cursor, (os::Point{2068, 267}));
    releaseAt(2008 + 90, 231 + 15);
    EXPECT_EQ(app->document.steps.at(2).command, u"60,10,final.txt");

    // Not there at the release: the command stays and the status says so.
    row(3, u"右ｸﾘｯｸ", u"1,2,draft.txt,Edit");
    app->grid.setButton(3)->press();
    EXPECT_TRUE(app->capture.armed());
    releaseAt(50, 60);
    EXPECT_EQ(app->document.steps.at(3).command, u"1,2,draft.txt,Edit");
    EXPECT_EQ(status(), u"「draft.txt」を含むウィンドウが見つからないため、位置は変わっていません");
    EXPECT_FALSE(app->capture.armed());
}

TEST_F(AnchoredCaptureTest, ShiftAtTheReleaseAnchorsToTheWindowUnderTheCursor) {
    row(1, u"左ｸﾘｯｸ", u"5,5");
    app->grid.setButton(1)->press();
    shift(true);
    releaseAt(2008 + 90, 231 + 15);
    shift(false);
    // Named by the longest comma-free part of its title.
    EXPECT_EQ(app->document.steps.at(1).command, u"60,10,final.txt - Editor");

    // A plain release writes the screen point.
    row(1, u"左ｸﾘｯｸ", u"5,5");
    app->grid.setButton(1)->press();
    releaseAt(2008 + 90, 231 + 15);
    EXPECT_EQ(app->document.steps.at(1).command, u"2098,246");

    // Over a window without a title, or over the program, Shift gives the
    // screen point too.
    p.window(editor)->title = u"";
    row(1, u"左ｸﾘｯｸ", u"5,5");
    app->grid.setButton(1)->press();
    shift(true);
    releaseAt(300, 400);
    EXPECT_EQ(app->document.steps.at(1).command, u"300,400");
    p.window(editor)->title = u"final.txt - Editor";
    p.pointWindow = app->form->nativeHandle();
    row(1, u"左ｸﾘｯｸ", u"5,5");
    app->grid.setButton(1)->press();
    releaseAt(310, 400);
    shift(false);
    EXPECT_EQ(app->document.steps.at(1).command, u"310,400");
}
