// Layout of the main window: rows by height, columns by width, rows created
// once, drop-down size, tab order, colours and fonts.
#include "editor_fixture.h"

class LayoutTest : public EditorTest {
protected:
    int countNamed(const std::string& name) const {
        int n = 0;
        for (auto* c : app->form->controls()) n += c->name() == name;
        return n;
    }
};

TEST_F(LayoutTest, HeightDecidesTheRowCount) {
    size(6000, 4800);
    EXPECT_EQ(app->grid.rowsShown(), 4);
    EXPECT_EQ(app->grid.scrollBar()->height(), 4 * 624);
    size(6000, 2400);
    EXPECT_EQ(app->grid.rowsShown(), 1);
    size(6000, 100);
    EXPECT_EQ(app->grid.rowsShown(), 1);
    size(6000, 4800);
    app->form->setWindowState(tk::WindowState::Minimized);
    size(6000, 4800);  // the minimised window reports its new client size
    EXPECT_EQ(app->grid.rowsShown(), 1);
    app->form->setWindowState(tk::WindowState::Normal);
    size(6000, 4801);
    EXPECT_EQ(app->grid.rowsShown(), 4);
}

TEST_F(LayoutTest, RowsStopAtTheScreensHeight) {
    // 1080 pixels of 15 twips hold 26 row pitches of 624 twips; a window
    // sized far beyond the screen creates no rows that could never be seen.
    size(6000, 983025 * 15.0);
    EXPECT_EQ(app->grid.rowsShown(), 26);
    EXPECT_EQ(app->grid.rowsMade(), 26);
}

TEST_F(LayoutTest, WidthSixThousandPlacesTheColumns) {
    size(6000, 4800);
    load(10);
    for (int r = 1; r <= 4; ++r) {
        const size_t i = size_t(r);
        EXPECT_EQ(app->grid.numberLabel(i)->left(), 40);
        EXPECT_EQ(app->grid.numberLabel(i)->width(), 410);
        EXPECT_EQ(app->grid.actionList(i)->left(), 460);
        EXPECT_EQ(app->grid.actionList(i)->width(), 1640);
        EXPECT_EQ(app->grid.commandBox(i)->left(), 2110);
        EXPECT_EQ(app->grid.commandBox(i)->width(), 3512);
        EXPECT_EQ(app->grid.setButton(i)->left(), 40);
        EXPECT_EQ(app->grid.setButton(i)->width(), 420);
        EXPECT_EQ(app->grid.commentBox(i)->left(), 460);
        EXPECT_EQ(app->grid.commentBox(i)->width(), 5162);
        // Rows keep their pitch.
        EXPECT_EQ(app->grid.numberLabel(i)->top(), 1248 + 624 * (r - 1));
        EXPECT_EQ(app->grid.actionList(i)->top(), 1248 + 624 * (r - 1));
        EXPECT_EQ(app->grid.commentBox(i)->top(), 1536 + 624 * (r - 1));
        EXPECT_EQ(app->grid.rowLine(i + 1)->y1, 1224 + 624 * r);
    }
    EXPECT_EQ(app->grid.scrollBar()->left(), 5652);
    EXPECT_EQ(app->grid.scrollBar()->top(), 1224);
    EXPECT_EQ(app->grid.scrollBar()->width(), 228);
    EXPECT_EQ(app->statusLine.label().width(), 5850);
    for (int r = 1; r <= 5; ++r) {
        EXPECT_EQ(app->grid.rowLine(size_t(r))->x1, 0);
        EXPECT_EQ(app->grid.rowLine(size_t(r))->x2, 5652);
    }
}

TEST_F(LayoutTest, NarrowAndWideWindowsKeepSaneColumns) {
    for (double w : {0.0, 100.0, 400.0, 700.0, 1200.0}) {
        size(w, 4800);
        for (int r = 1; r <= 4; ++r) {
            const size_t i = size_t(r);
            for (tk::Control* c : {(tk::Control*)app->grid.numberLabel(i), (tk::Control*)app->grid.actionList(i), (tk::Control*)app->grid.commandBox(i),
                                   (tk::Control*)app->grid.setButton(i), (tk::Control*)app->grid.commentBox(i)}) {
                EXPECT_GE(c->left(), 1) << c->name() << " at W=" << w;
                EXPECT_GE(c->width(), 1) << c->name() << " at W=" << w;
            }
        }
        EXPECT_GE(app->statusLine.label().width(), 1);
        EXPECT_EQ(status().find(u"[Form_Resize]"), Str::npos);
    }
    size(40000, 4800);
    EXPECT_EQ(app->grid.numberLabel(1)->width(), 410);
    EXPECT_EQ(app->grid.actionList(1)->width(), 1640);
    EXPECT_EQ(app->grid.commandBox(1)->width(), 40000 - 2110 - 150 - 228);
}

TEST_F(LayoutTest, RowsAreCreatedOnceAndHiddenWhenShrinking) {
    EXPECT_EQ(app->grid.rowsMade(), 3);  // the design size shows three rows
    size(6000, heightFor(2));
    load(10);
    EXPECT_EQ(app->grid.rowsMade(), 3);
    EXPECT_TRUE(rowHidden(3));
    size(6000, heightFor(5));
    EXPECT_EQ(app->grid.rowsMade(), 5);
    EXPECT_EQ(countNamed("cmb_Cmd"), 5);
    EXPECT_EQ(countNamed("lin_Line"), 6);
    for (int r = 1; r <= 5; ++r) EXPECT_TRUE(rowShown(r)) << r;
    EXPECT_EQ(no(5), u"5");
    EXPECT_EQ(app->grid.scrollBar()->max(), 11 - 5 + 1);

    size(6000, heightFor(2));
    EXPECT_EQ(app->grid.rowsShown(), 2);
    for (int r = 3; r <= 5; ++r) EXPECT_TRUE(rowHidden(r)) << r;
    EXPECT_EQ(app->grid.scrollBar()->max(), 10);

    size(6000, heightFor(5));
    EXPECT_EQ(countNamed("cmb_Cmd"), 5);
    EXPECT_EQ(countNamed("txt_Comment"), 5);
    EXPECT_EQ(app->grid.rowsMade(), 5);
    for (int r = 1; r <= 5; ++r) EXPECT_TRUE(rowShown(r)) << r;
}

TEST_F(LayoutTest, GrowingAtTheEndPullsThePositionBack) {
    size(6000, heightFor(3));
    load(10);
    app->grid.scrollBar()->setValue(9);  // 9, 10, 11
    size(6000, heightFor(6));
    EXPECT_EQ(app->grid.scrollBar()->max(), 6);
    EXPECT_EQ(P(), 6);
    EXPECT_EQ(no(1), u"6");
    EXPECT_EQ(no(6), u"11");
}

TEST_F(LayoutTest, CreatedRowsCopyRowOne) {
    size(6000, heightFor(3));
    for (int r = 2; r <= 3; ++r) {
        const size_t i = size_t(r);
        EXPECT_EQ(app->grid.actionList(i)->listCount(), 34);
        EXPECT_EQ(app->grid.actionList(i)->items(), app->grid.actionList(1)->items());
        EXPECT_EQ(app->grid.actionList(i)->style(), tk::ComboBox::DropDownList);
        EXPECT_EQ(app->grid.actionList(i)->backColor(), tk::rgb(128, 255, 255));
        EXPECT_EQ(app->grid.commandBox(i)->backColor(), tk::rgb(128, 255, 255));
        EXPECT_EQ(app->grid.commentBox(i)->backColor(), tk::rgb(128, 255, 255));
        EXPECT_EQ(app->grid.commandBox(i)->font(), (tk::Font{u"ＭＳ ゴシック", 9, false, false}));
        EXPECT_EQ(app->grid.commentBox(i)->font(), (tk::Font{u"ＭＳ Ｐゴシック", 9, false, true}));
        EXPECT_EQ(app->grid.numberLabel(i)->font(), (tk::Font{u"ＭＳ ゴシック", 9, false, false}));
        EXPECT_EQ(app->grid.setButton(i)->font(), (tk::Font{u"ＭＳ Ｐゴシック", 7.5, false, false}));
        EXPECT_EQ(app->grid.setButton(i)->text(), u"set");
        EXPECT_FALSE(app->grid.setButton(i)->tabStop());
        EXPECT_EQ(app->grid.setButton(i)->index(), r);
    }
    // Every action list drops down with all its entries.
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(app->grid.actionList(size_t(r))->dropRows, 34);
        EXPECT_EQ(app->grid.actionList(size_t(r))->dropWidthPx, 100);
    }
    // New rows answer their own events.
    load(5);
    pick(3, u"待機");
    EXPECT_EQ(app->document.steps.at(3).action, u"待機");
}

TEST_F(LayoutTest, TabOrderRunsRowByRowWithTheScrollBarLast) {
    size(6000, heightFor(2));
    load(10);
    size(6000, heightFor(3));
    std::vector<tk::Control*> want = {app->controls.intervalBox, app->controls.unitBox, app->controls.startButton, app->controls.endButton, app->controls.settingsButton};
    for (int r = 1; r <= 3; ++r) {
        want.push_back(app->grid.actionList(size_t(r)));
        want.push_back(app->grid.commandBox(size_t(r)));
        want.push_back(app->grid.commentBox(size_t(r)));
    }
    want.push_back(app->grid.scrollBar());
    std::vector<tk::Control*> got{app->controls.intervalBox};
    for (tk::Control* c = app->form->nextInTabOrder(app->controls.intervalBox); c && c != app->controls.intervalBox;
         c = app->form->nextInTabOrder(c))
        got.push_back(c);
    EXPECT_EQ(got, want);
}
