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
    EXPECT_EQ(app->Mlng_DispGyo, 4);
    EXPECT_EQ(app->scr_Detail->height(), 4 * 624);
    size(6000, 2400);
    EXPECT_EQ(app->Mlng_DispGyo, 1);
    size(6000, 100);
    EXPECT_EQ(app->Mlng_DispGyo, 1);
    size(6000, 4800);
    app->form->setWindowState(tk::WindowState::Minimized);
    size(6000, 4800);  // the minimised window reports its new client size
    EXPECT_EQ(app->Mlng_DispGyo, 1);
    app->form->setWindowState(tk::WindowState::Normal);
    size(6000, 4801);
    EXPECT_EQ(app->Mlng_DispGyo, 4);
}

TEST_F(LayoutTest, RowsStopAtTheScreensHeight) {
    // 1080 pixels of 15 twips hold 26 row pitches of 624 twips; a window
    // sized far beyond the screen creates no rows that could never be seen.
    size(6000, 983025 * 15.0);
    EXPECT_EQ(app->Mlng_DispGyo, 26);
    EXPECT_EQ(app->Mlng_LoadGyo, 26);
}

TEST_F(LayoutTest, WidthSixThousandPlacesTheColumns) {
    size(6000, 4800);
    load(10);
    for (int r = 1; r <= 4; ++r) {
        const size_t i = size_t(r);
        EXPECT_EQ(app->lbl_No[i]->left(), 40);
        EXPECT_EQ(app->lbl_No[i]->width(), 410);
        EXPECT_EQ(app->cmb_Cmd[i]->left(), 460);
        EXPECT_EQ(app->cmb_Cmd[i]->width(), 1640);
        EXPECT_EQ(app->txt_ZahyoCmd[i]->left(), 2110);
        EXPECT_EQ(app->txt_ZahyoCmd[i]->width(), 3512);
        EXPECT_EQ(app->cmd_Set[i]->left(), 40);
        EXPECT_EQ(app->cmd_Set[i]->width(), 420);
        EXPECT_EQ(app->txt_Comment[i]->left(), 460);
        EXPECT_EQ(app->txt_Comment[i]->width(), 5162);
        // Rows keep their pitch.
        EXPECT_EQ(app->lbl_No[i]->top(), 1248 + 624 * (r - 1));
        EXPECT_EQ(app->cmb_Cmd[i]->top(), 1248 + 624 * (r - 1));
        EXPECT_EQ(app->txt_Comment[i]->top(), 1536 + 624 * (r - 1));
        EXPECT_EQ(app->lin_Line[i + 1]->y1, 1224 + 624 * r);
    }
    EXPECT_EQ(app->scr_Detail->left(), 5652);
    EXPECT_EQ(app->scr_Detail->top(), 1224);
    EXPECT_EQ(app->scr_Detail->width(), 228);
    EXPECT_EQ(app->statusLine.label().width(), 5850);
    for (int r = 1; r <= 5; ++r) {
        EXPECT_EQ(app->lin_Line[size_t(r)]->x1, 0);
        EXPECT_EQ(app->lin_Line[size_t(r)]->x2, 5652);
    }
}

TEST_F(LayoutTest, NarrowAndWideWindowsKeepSaneColumns) {
    for (double w : {0.0, 100.0, 400.0, 700.0, 1200.0}) {
        size(w, 4800);
        for (int r = 1; r <= 4; ++r) {
            const size_t i = size_t(r);
            for (tk::Control* c : {(tk::Control*)app->lbl_No[i], (tk::Control*)app->cmb_Cmd[i], (tk::Control*)app->txt_ZahyoCmd[i],
                                   (tk::Control*)app->cmd_Set[i], (tk::Control*)app->txt_Comment[i]}) {
                EXPECT_GE(c->left(), 1) << c->name() << " at W=" << w;
                EXPECT_GE(c->width(), 1) << c->name() << " at W=" << w;
            }
        }
        EXPECT_GE(app->statusLine.label().width(), 1);
        EXPECT_EQ(status().find(u"[Form_Resize]"), Str::npos);
    }
    size(40000, 4800);
    EXPECT_EQ(app->lbl_No[1]->width(), 410);
    EXPECT_EQ(app->cmb_Cmd[1]->width(), 1640);
    EXPECT_EQ(app->txt_ZahyoCmd[1]->width(), 40000 - 2110 - 150 - 228);
}

TEST_F(LayoutTest, RowsAreCreatedOnceAndHiddenWhenShrinking) {
    EXPECT_EQ(app->Mlng_LoadGyo, 3);  // the design size shows three rows
    size(6000, heightFor(2));
    load(10);
    EXPECT_EQ(app->Mlng_LoadGyo, 3);
    EXPECT_TRUE(rowHidden(3));
    size(6000, heightFor(5));
    EXPECT_EQ(app->Mlng_LoadGyo, 5);
    EXPECT_EQ(countNamed("cmb_Cmd"), 5);
    EXPECT_EQ(countNamed("lin_Line"), 6);
    for (int r = 1; r <= 5; ++r) EXPECT_TRUE(rowShown(r)) << r;
    EXPECT_EQ(no(5), u"5");
    EXPECT_EQ(app->scr_Detail->max(), 11 - 5 + 1);

    size(6000, heightFor(2));
    EXPECT_EQ(app->Mlng_DispGyo, 2);
    for (int r = 3; r <= 5; ++r) EXPECT_TRUE(rowHidden(r)) << r;
    EXPECT_EQ(app->scr_Detail->max(), 10);

    size(6000, heightFor(5));
    EXPECT_EQ(countNamed("cmb_Cmd"), 5);
    EXPECT_EQ(countNamed("txt_Comment"), 5);
    EXPECT_EQ(app->Mlng_LoadGyo, 5);
    for (int r = 1; r <= 5; ++r) EXPECT_TRUE(rowShown(r)) << r;
}

TEST_F(LayoutTest, GrowingAtTheEndPullsThePositionBack) {
    size(6000, heightFor(3));
    load(10);
    app->scr_Detail->setValue(9);  // 9, 10, 11
    size(6000, heightFor(6));
    EXPECT_EQ(app->scr_Detail->max(), 6);
    EXPECT_EQ(P(), 6);
    EXPECT_EQ(no(1), u"6");
    EXPECT_EQ(no(6), u"11");
}

TEST_F(LayoutTest, CreatedRowsCopyRowOne) {
    size(6000, heightFor(3));
    for (int r = 2; r <= 3; ++r) {
        const size_t i = size_t(r);
        EXPECT_EQ(app->cmb_Cmd[i]->listCount(), 31);
        EXPECT_EQ(app->cmb_Cmd[i]->items(), app->cmb_Cmd[1]->items());
        EXPECT_EQ(app->cmb_Cmd[i]->style(), tk::ComboBox::DropDownList);
        EXPECT_EQ(app->cmb_Cmd[i]->backColor(), tk::rgb(128, 255, 255));
        EXPECT_EQ(app->txt_ZahyoCmd[i]->backColor(), tk::rgb(128, 255, 255));
        EXPECT_EQ(app->txt_Comment[i]->backColor(), tk::rgb(128, 255, 255));
        EXPECT_EQ(app->txt_ZahyoCmd[i]->font(), (tk::Font{u"ＭＳ ゴシック", 9, false, false}));
        EXPECT_EQ(app->txt_Comment[i]->font(), (tk::Font{u"ＭＳ Ｐゴシック", 9, false, true}));
        EXPECT_EQ(app->lbl_No[i]->font(), (tk::Font{u"ＭＳ ゴシック", 9, false, false}));
        EXPECT_EQ(app->cmd_Set[i]->font(), (tk::Font{u"ＭＳ Ｐゴシック", 7.5, false, false}));
        EXPECT_EQ(app->cmd_Set[i]->text(), u"set");
        EXPECT_FALSE(app->cmd_Set[i]->tabStop());
        EXPECT_EQ(app->cmd_Set[i]->index(), r);
    }
    // Every action list drops down with all its entries.
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(app->cmb_Cmd[size_t(r)]->dropRows, 31);
        EXPECT_EQ(app->cmb_Cmd[size_t(r)]->dropWidthPx, 100);
    }
    // New rows answer their own events.
    load(5);
    pick(3, u"待機");
    EXPECT_EQ(app->document.steps.at(3).Dousa, u"待機");
}

TEST_F(LayoutTest, TabOrderRunsRowByRowWithTheScrollBarLast) {
    size(6000, heightFor(2));
    load(10);
    size(6000, heightFor(3));
    std::vector<tk::Control*> want = {app->txt_Kankaku, app->cmb_Tani, app->cmd_Kaisi, app->cmd_End, app->cmd_Setting};
    for (int r = 1; r <= 3; ++r) {
        want.push_back(app->cmb_Cmd[size_t(r)]);
        want.push_back(app->txt_ZahyoCmd[size_t(r)]);
        want.push_back(app->txt_Comment[size_t(r)]);
    }
    want.push_back(app->scr_Detail);
    std::vector<tk::Control*> got{app->txt_Kankaku};
    for (tk::Control* c = app->form->nextInTabOrder(app->txt_Kankaku); c && c != app->txt_Kankaku;
         c = app->form->nextInTabOrder(c))
        got.push_back(c);
    EXPECT_EQ(got, want);
}
