// The step grid: what the visible rows show, growth, row insert and delete,
// Enter scrolling, the password mask and very long macros.
#include <chrono>

#include "editor_fixture.h"

using GridTest = EditorTest;

TEST_F(GridTest, FreshModelShowsOneEmptyRowAndCannotScroll) {
    size(6000, heightFor(5));
    ASSERT_EQ(app->grid.rowsShown(), 5);
    EXPECT_EQ(app->document.steps.count(), 1);
    EXPECT_TRUE(rowShown(1));
    EXPECT_EQ(no(1), u"1");
    EXPECT_EQ(action(1), u"");
    EXPECT_EQ(app->grid.actionList(1)->listIndex(), 0);
    EXPECT_EQ(command(1), u"");
    EXPECT_EQ(comment(1), u"");
    for (int r = 2; r <= 5; ++r) EXPECT_TRUE(rowHidden(r)) << r;
    EXPECT_EQ(app->grid.scrollBar()->min(), 1);
    EXPECT_EQ(app->grid.scrollBar()->max(), 1);
    EXPECT_FALSE(app->document.changed());
}

TEST_F(GridTest, ShortMacroHidesRowsBelowTheLastStepWithTheirLines) {
    size(6000, heightFor(5));
    load(2);  // steps 1, 2 and the input row 3
    EXPECT_EQ(app->grid.scrollBar()->max(), 1);
    for (int r = 1; r <= 3; ++r) EXPECT_TRUE(rowShown(r)) << r;
    EXPECT_TRUE(rowHidden(4));
    EXPECT_TRUE(rowHidden(5));
    EXPECT_EQ(no(2), u"2");
    EXPECT_EQ(action(2), u"左ｸﾘｯｸ");
    EXPECT_EQ(command(2), u"2,4");
    EXPECT_EQ(comment(2), u"c2");
    EXPECT_EQ(action(3), u"");
    // Filling the grid does not count as an edit.
    EXPECT_FALSE(app->document.changed());
    EXPECT_FALSE(app->grid.filling());
    EXPECT_FALSE(app->grid.filling());
}

TEST_F(GridTest, ScrollingShowsStepPPlusRowMinusOne) {
    size(6000, heightFor(4));
    load(30);
    EXPECT_EQ(app->grid.scrollBar()->max(), 31 - 4 + 1);
    app->grid.scrollBar()->userScroll(10, true);
    EXPECT_EQ(no(1), u"10");
    EXPECT_EQ(no(4), u"13");
    EXPECT_EQ(command(4), u"13,26");
    // The live drag redraws as well.
    app->grid.scrollBar()->userScroll(28, false);
    EXPECT_EQ(no(4), u"31");
    EXPECT_EQ(action(4), u"");
    EXPECT_FALSE(app->document.changed());
}

TEST_F(GridTest, AClickInTheTroughTurnsOnePageOfVisibleRows) {
    size(6000, heightFor(4));
    load(100000);
    app->grid.scrollBar()->userPage(true);
    EXPECT_EQ(P(), 5);  // the step after the last one seen, not 10,001
    EXPECT_EQ(no(1), u"5");
    app->grid.scrollBar()->userPage(true);
    EXPECT_EQ(P(), 9);
    app->grid.scrollBar()->userPage(false);
    EXPECT_EQ(P(), 5);
    // The page follows the window's height.
    size(6000, heightFor(7));
    app->grid.scrollBar()->userPage(true);
    EXPECT_EQ(P(), 12);
    // No further than the ends.
    app->grid.scrollBar()->userScroll(app->grid.scrollBar()->max() - 2, true);
    app->grid.scrollBar()->userPage(true);
    EXPECT_EQ(P(), app->grid.scrollBar()->max());
    EXPECT_EQ(no(7), u"100001");
    app->grid.scrollBar()->userScroll(3, true);
    app->grid.scrollBar()->userPage(false);
    EXPECT_EQ(P(), 1);
    EXPECT_FALSE(app->document.changed());
}

TEST_F(GridTest, InsertAtAScrolledRowAsksForTheStepAndShiftsTheRest) {
    size(6000, heightFor(4));
    load(20);
    app->grid.scrollBar()->setValue(5);
    const int32_t before = app->document.steps.count();
    app->grid.actionList(2)->userFocus();
    p.answers = {tk::mb::IdYes};
    EXPECT_TRUE(ctrl('I'));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"6行目を挿入します。");
    EXPECT_EQ(p.shown[0].title, u"TOVIRAK");
    EXPECT_EQ(p.shown[0].style & 7, tk::mb::YesNo);
    EXPECT_EQ(app->document.steps.count(), before + 1);
    EXPECT_EQ(app->document.steps.at(6), MacroStep{});
    EXPECT_EQ(app->document.steps.at(7).command, u"6,12");
    EXPECT_EQ(app->document.steps.at(21).command, u"20,40");
    EXPECT_EQ(app->document.steps.at(5).command, u"5,10");
    EXPECT_TRUE(app->document.changed());
    // The grid shows it at once and the focus stays.
    EXPECT_EQ(no(2), u"6");
    EXPECT_EQ(action(2), u"");
    EXPECT_EQ(command(3), u"6,12");
    EXPECT_EQ(focused(), app->grid.actionList(2));
}

TEST_F(GridTest, InsertOrDeleteAnsweredNoChangesNothing) {
    size(6000, heightFor(4));
    load(5);
    app->grid.commentBox(3)->userFocus();
    p.answers = {tk::mb::IdNo, tk::mb::IdNo};
    app->grid.insertRowAtCaret();
    app->grid.deleteRowAtCaret();
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[0].text, u"3行目を挿入します。");
    EXPECT_EQ(p.shown[1].text, u"3行目を削除します。");
    EXPECT_EQ(app->document.steps.count(), 6);
    EXPECT_EQ(app->document.steps.at(3).command, u"3,6");
    EXPECT_FALSE(app->document.changed());
}

TEST_F(GridTest, DeleteOfTheInputRowDoesNothingOtherRowsAreRemoved) {
    size(6000, heightFor(4));
    load(3);
    app->grid.actionList(4)->userFocus();  // step 4, the input row
    EXPECT_TRUE(ctrl('D'));
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(app->document.steps.count(), 4);

    app->grid.commandBox(2)->userFocus();
    p.answers = {tk::mb::IdYes};
    EXPECT_TRUE(ctrl('D'));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"2行目を削除します。");
    EXPECT_EQ(app->document.steps.count(), 3);
    EXPECT_EQ(app->document.steps.at(2).command, u"3,6");
    EXPECT_EQ(app->document.steps.at(3), MacroStep{});
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(command(2), u"3,6");
    EXPECT_TRUE(rowHidden(4));
}

TEST_F(GridTest, DeleteNearTheEndPullsTheScrollPositionBack) {
    size(6000, heightFor(3));
    load(10);
    app->grid.scrollBar()->setValue(app->grid.scrollBar()->max());  // 9: shows 9, 10, 11
    app->grid.actionList(1)->userFocus();
    p.answers = {tk::mb::IdYes};
    app->grid.deleteRowAtCaret();
    EXPECT_EQ(app->document.steps.count(), 10);
    EXPECT_EQ(app->grid.scrollBar()->max(), 8);
    EXPECT_EQ(P(), 8);
    EXPECT_EQ(no(1), u"8");
    EXPECT_EQ(command(2), u"10,20");
    EXPECT_EQ(action(3), u"");
}

TEST_F(GridTest, InsertOrDeleteOutsideTheRowsDoesNothing) {
    size(6000, heightFor(3));
    load(5);
    for (tk::Control* c : std::initializer_list<tk::Control*>{app->controls.intervalBox, app->controls.startButton, app->grid.scrollBar()}) {
        c->userFocus();
        app->statusLine.show(StatusMode::Status, u"x");
        app->grid.insertRowAtCaret();
        app->grid.deleteRowAtCaret();
        EXPECT_EQ(status(), u"x");
    }
    app->form->setActiveControl(nullptr);
    app->grid.insertRowAtCaret();
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(app->document.steps.count(), 6);
    EXPECT_FALSE(app->document.changed());
}

TEST_F(GridTest, EnterOnTheLastVisibleCommentScrollsWhileStepsFollow) {
    size(6000, heightFor(3));
    load(4);  // steps 1..5 with the input row
    app->grid.commentBox(3)->userFocus();
    EXPECT_TRUE(keyPress(13));
    EXPECT_EQ(P(), 2);
    EXPECT_EQ(focused(), app->grid.actionList(3));
    EXPECT_EQ(no(3), u"4");
    app->grid.commentBox(3)->userFocus();
    EXPECT_TRUE(keyPress(13));
    EXPECT_EQ(P(), 3);
    EXPECT_EQ(no(3), u"5");
    // The last step is on the last row: Enter moves on like Tab instead.
    app->grid.commentBox(3)->userFocus();
    EXPECT_TRUE(keyPress(13));
    EXPECT_EQ(P(), 3);
    EXPECT_EQ(focused(), app->grid.scrollBar());
    EXPECT_FALSE(app->document.changed());
}

TEST_F(GridTest, EnterOnAnUpperCommentNeverScrolls) {
    size(6000, heightFor(3));
    load(10);
    app->grid.commentBox(2)->userFocus();
    EXPECT_EQ(app->grid.focusedStep(), 2);  // the caret in an upper row
    EXPECT_EQ(P(), 1);
    EXPECT_TRUE(keyPress(13));
    EXPECT_EQ(P(), 1);
    EXPECT_EQ(focused(), app->grid.actionList(3));
}

TEST_F(GridTest, PasswordMaskFollowsTheStepShown) {
    size(6000, heightFor(2));
    load(4);
    app->document.steps.at(2).action = u"ﾊﾟｽﾜｰﾄﾞ入力";
    app->document.steps.at(2).command = u"secret";
    app->grid.redraw();
    EXPECT_EQ(app->grid.commandBox(1)->passwordChar(), 0);
    EXPECT_EQ(app->grid.commandBox(2)->passwordChar(), u'*');
    EXPECT_EQ(command(2), u"secret");
    app->grid.scrollBar()->setValue(2);
    EXPECT_EQ(app->grid.commandBox(1)->passwordChar(), u'*');
    EXPECT_EQ(app->grid.commandBox(2)->passwordChar(), 0);
    app->grid.scrollBar()->setValue(3);
    EXPECT_EQ(app->grid.commandBox(1)->passwordChar(), 0);
}

TEST_F(GridTest, UnknownActionStopsTheRedrawAndReleasesTheLocks) {
    size(6000, heightFor(3));
    load(5);
    app->document.steps.at(2).action = u"ダンス";
    app->document.steps.at(3).command = u"changed";
    app->grid.redraw();
    EXPECT_EQ(status().substr(0, 19), u"[scr_Detail_Scroll]");
    EXPECT_FALSE(app->grid.filling());
    EXPECT_FALSE(app->grid.filling());
    EXPECT_EQ(action(2), u"");
    EXPECT_EQ(command(3), u"3,6");  // rows below keep what they showed
    // The model is not written back by the failed fill.
    EXPECT_EQ(app->document.steps.at(2).action, u"ダンス");
    EXPECT_FALSE(app->document.changed());
}

TEST_F(GridTest, GrowthKeepsStepsAndTheScrollRange) {
    size(6000, heightFor(3));
    load(3);
    EXPECT_TRUE(app->grid.resizeSteps(1, false));
    EXPECT_EQ(app->document.steps.count(), 5);
    EXPECT_EQ(app->grid.scrollBar()->max(), 3);
    EXPECT_EQ(app->document.steps.at(3).command, u"3,6");
    EXPECT_EQ(app->document.steps.at(5), MacroStep{});
    EXPECT_TRUE(app->grid.resizeSteps(-2, false));
    EXPECT_EQ(app->document.steps.count(), 3);
    EXPECT_EQ(app->grid.scrollBar()->max(), 1);
    // Never below one row.
    EXPECT_FALSE(app->grid.resizeSteps(-3, false));
    EXPECT_EQ(app->document.steps.count(), 3);
    EXPECT_EQ(status().substr(0, 12), u"[MF_ArryAdd]");
}

// Positions beyond 16 bits: a macro of 100,000 steps scrolls to its end,
// and editing, inserting and deleting work there.
TEST_F(GridTest, HundredThousandStepsScrollAndEditAtTheEnd) {
    size(6000, heightFor(6));
    load(100000);
    EXPECT_EQ(app->grid.scrollBar()->max(), 100001 - 6 + 1);
    app->grid.scrollBar()->userScroll(app->grid.scrollBar()->max(), true);
    EXPECT_EQ(no(1), u"99996");
    EXPECT_EQ(no(5), u"100000");
    EXPECT_EQ(command(5), u"100000,200000");
    EXPECT_EQ(action(6), u"");

    app->grid.commentBox(6)->userFocus();
    app->grid.commentBox(6)->userTyped(u"last");
    EXPECT_EQ(app->document.steps.at(100001).comment, u"last");
    EXPECT_EQ(app->document.steps.count(), 100002);

    app->grid.actionList(1)->userFocus();
    p.answers = {tk::mb::IdYes, tk::mb::IdYes};
    app->grid.insertRowAtCaret();
    EXPECT_EQ(p.shown.back().text, u"99996行目を挿入します。");
    EXPECT_EQ(app->document.steps.at(99997).command, u"99996,199992");
    app->grid.deleteRowAtCaret();
    EXPECT_EQ(p.shown.back().text, u"99996行目を削除します。");
    EXPECT_EQ(app->document.steps.at(99996).command, u"99996,199992");
    EXPECT_EQ(app->document.steps.count(), 100002);

    // A redraw touches only the visible rows, wherever the grid stands.
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) app->grid.scrollBar()->setValue(1 + (i % 2) * 99990);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
    EXPECT_EQ(no(1), u"99991");
    RecordProperty("redraw_1000_ms", int(ms.count()));
}
