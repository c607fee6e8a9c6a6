// Checks before a run: messages in order, caret and grid moves, run arrays.
#include "app_fixture.h"
#include "playback/run_plan.h"

TEST(StrSplit, PiecesBetweenCommas) {
    std::vector<Str> parts{u"old", u"old", u"old"};
    splitAtCommas(u"1,2", parts);
    EXPECT_EQ(parts, (std::vector<Str>{u"", u"1", u"2"}));
    splitAtCommas(u"abc", parts);
    EXPECT_EQ(parts, (std::vector<Str>{u"", u"abc", u""}));
    splitAtCommas(u",5", parts);
    EXPECT_EQ(parts, (std::vector<Str>{u"", u"", u"5"}));
    splitAtCommas(u"", parts);
    EXPECT_EQ(parts, (std::vector<Str>{u"", u"", u""}));
    splitAtCommas(u" 1 , 2 ", parts);
    EXPECT_EQ(parts, (std::vector<Str>{u"", u" 1 ", u" 2 "}));
    try {
        splitAtCommas(u"a.exe x,y,z", parts);
        FAIL() << "three pieces fitted";
    } catch (const RtError& e) {
        EXPECT_EQ(e.number, err::Subscript);
    }
    EXPECT_EQ(parts[1], u"a.exe x");
    EXPECT_EQ(parts[2], u"y");
    std::vector<Str> five(5);
    splitAtCommas(u"a,b,c,d", five);
    EXPECT_EQ(five, (std::vector<Str>{u"", u"a", u"b", u"c", u"d"}));
}

class CheckTest : public AppTest {
protected:
    void SetUp() override {
        start();
        p.shown.clear();
    }
    void rows(std::initializer_list<std::pair<StrView, StrView>> r) {
        app->document.steps.reset();
        app->document.steps.resize(int32_t(r.size()) + 1);
        int32_t i = 1;
        for (auto& [a, c] : r) app->document.steps.at(i++) = MacroStep{Str(a), Str(c), Str()};
    }
    // Runs the check; returns the one message shown ("" when none).
    Str check(bool expected) {
        size_t before = p.shown.size();
        plan = app->checkRun();
        EXPECT_EQ(plan.has_value(), expected);
        if (p.shown.size() == before) return Str();
        EXPECT_EQ(p.shown.size(), before + 1);
        EXPECT_EQ(p.shown.back().style, tk::mb::OK);
        EXPECT_EQ(p.shown.back().title, u"TOVIRAK");
        return p.shown.back().text;
    }
    // The plan of the last check that passed.
    std::optional<RunPlan> plan;
    std::vector<Str> column(Str PlanRow::*field) const {
        std::vector<Str> v;
        for (const PlanRow& r : plan->rows) v.push_back(r.*field);
        return v;
    }
    std::vector<Str> xs() const { return column(&PlanRow::x); }
    std::vector<Str> ys() const { return column(&PlanRow::y); }
    Str interval(StrView text, bool expected) {
        app->controls.intervalBox->setText(Str(text));
        return check(expected);
    }
};

TEST_F(CheckTest, IntervalMessagesInOrder) {
    rows({{actions::LeftClick, u"1,1"}});
    EXPECT_EQ(interval(u"abc", false), u"実行間隔入力エラー 数値を入力してください。");
    EXPECT_TRUE(app->controls.intervalBox->hasFocus());
    EXPECT_EQ(interval(u"", false), u"実行間隔入力エラー 数値を入力してください。");
    EXPECT_EQ(interval(u"0", false), u"実行間隔入力エラー ゼロ以外を入力してください。");
    EXPECT_EQ(interval(u"0.0000", false), u"実行間隔入力エラー ゼロ以外を入力してください。");
    EXPECT_EQ(interval(u"2147483.648", false), u"実行間隔入力エラー こんな大きい数字は入力しないでください。");
    // Larger by less than a double can tell: still too large.
    EXPECT_EQ(interval(u"2147483.64700000000001", false), u"実行間隔入力エラー こんな大きい数字は入力しないでください。");
    EXPECT_EQ(interval(u"3e9", false), u"実行間隔入力エラー こんな大きい数字は入力しないでください。");
    EXPECT_EQ(interval(u"0.0005", false), u"実行間隔入力エラー 小数点以下は、３桁までで入力してください。");
    EXPECT_EQ(interval(u"1E-4", false), u"実行間隔入力エラー 小数点以下は、３桁までで入力してください。");
    app->controls.endButton->setFocus();
    EXPECT_EQ(interval(u"0.0005", false), u"実行間隔入力エラー 小数点以下は、３桁までで入力してください。");
    EXPECT_TRUE(app->controls.intervalBox->hasFocus());
    for (StrView good : {u"2147483.647", u"0.001", u" 1.5 ", u"-1", u"1e3", u"2147483.6470"})
        EXPECT_EQ(interval(good, true), u"") << toUtf8(good);
}

TEST_F(CheckTest, RunArraysByAction) {
    app->document.settings.targetWindowSearch = u"Target";
    rows({{actions::KeyInput, u"  abc{ENTER} "},
          {actions::KeyInputShin, u" VK_A,VK_B "},
          {actions::Wait, u" 2 ,x"},
          {actions::WindowActive, u" Notepad , Cls"},
          {actions::Exe, u" calc.exe "},
          {actions::PlaySound, u"ding.wav"},
          {actions::End, u" a , b"},
          {actions::LeftClick, u""},
          {actions::RightClick, u" 100, 200"},
          {actions::MouseMove, u"  ,5"}});
    app->controls.intervalBox->setText(u"1");
    EXPECT_EQ(check(true), u"");
    EXPECT_EQ(plan->rows.size(), 10u);
    EXPECT_EQ(xs(), (std::vector<Str>{u"abc{ENTER}", u"VK_A,VK_B", u"2000", u"Notepad", u"calc.exe", u"ding.wav", u" a ",
                                   u"-1", u" 100", u"-1"}));
    EXPECT_EQ(ys(), (std::vector<Str>{u"", u"", u"x", u" Cls", u"", u"", u" b", u"-1", u" 200", u"5"}));
}

TEST_F(CheckTest, KeyListsMayBeginWithModifierMarks) {
    // "+VK_A(300)" and "^VK_C" are key lists: the marks may stand anywhere in
    // an item, its front included.
    app->document.settings.targetWindowSearch = u"Target";
    rows({{actions::KeyInputKai, u"+VK_A(300)"}, {actions::KeyInputShin, u"^%VK_C"}});
    app->controls.intervalBox->setText(u"1");
    EXPECT_EQ(check(true), u"");
    rows({{actions::KeyInputKai, u"+abc"}});
    EXPECT_EQ(check(false), u"ｷｰ入力_改 と ｷｰ入力_真の場合は、VK_??による指定しかできません。");
}

TEST_F(CheckTest, WaitInMillisecondsWithTheUnit) {
    rows({{actions::Wait, u"2"}, {actions::Wait, u"0.5"}, {actions::Wait, u"1.001"}});
    app->controls.intervalBox->setText(u"1");
    app->controls.unitBox->setText(u"分");
    EXPECT_EQ(check(true), u"");
    EXPECT_EQ(xs(), (std::vector<Str>{u"120000", u"30000", u"60060"}));
    app->controls.unitBox->setText(u"秒");
    EXPECT_EQ(check(true), u"");
    EXPECT_EQ(xs(), (std::vector<Str>{u"2000", u"500", u"1001"}));
}

TEST_F(CheckTest, RowMessagesFocusTheFirstCommandBox) {
    struct Case {
        StrView action, text, message;
    };
    const Case cases[] = {
        {actions::KeyInput, u"   ", u"コマンドが設定されていません"},
        {actions::Password, u"", u"コマンドが設定されていません"},
        {actions::KeyInputKai, u"abc", u"ｷｰ入力_改 と ｷｰ入力_真の場合は、VK_??による指定しかできません。"},
        {actions::KeyInputShin, u"vk_a", u"ｷｰ入力_改 と ｷｰ入力_真の場合は、VK_??による指定しかできません。"},
        {actions::KeyInputShin, u"VK_A", u"ｷｰ入力_真の場合は、対象ウィンドウを設定してください。"},
        {actions::Wait, u"", u"待機時間の値が不正です"},
        {actions::Wait, u"abc", u"待機時間の値が不正です"},
        {actions::WindowExists, u" ,x", u"ウィンドウタイトルが入力されていません"},
        {actions::WindowAbsent, u"", u"ウィンドウタイトルが入力されていません"},
        {actions::Exe, u"", u"ＥＸＥファイル名が入力されていません"},
        {actions::PlaySound, u" ", u"音声ファイル名が入力されていません"},
        {actions::LeftDouble, u"abc,1", u"Ｘ軸の値が不正です"},
        {actions::ShiftLeftClick, u"1,y", u"Ｙ軸の値が不正です"},
    };
    app->controls.intervalBox->setText(u"1");
    for (auto& c : cases) {
        rows({{actions::LeftClick, u"1,1"}, {c.action, c.text}});
        app->controls.endButton->setFocus();
        EXPECT_EQ(check(false), c.message) << toUtf8(c.action) << " " << toUtf8(c.text);
        EXPECT_TRUE(app->grid.commandBox(1)->hasFocus());
        EXPECT_EQ(app->grid.scrollBar()->value(), 1);  // everything fits: no scrolling
        // The walk stopped at row 2: row 1 passed.
        auto checked = planRun(app->document);
        ASSERT_TRUE(std::holds_alternative<RunProblem>(checked));
        EXPECT_EQ(std::get<RunProblem>(checked).row, 2);
    }
    // Key inputs pass where the VK_ form is not required, and are not split.
    rows({{actions::KeyInput, u"abc"}, {actions::KeyInputKai, u"VK_A(1),VK_B"}, {actions::Password, u"a,b,c"}});
    EXPECT_EQ(check(true), u"");
}

TEST_F(CheckTest, FailingRowIsScrolledToTheTopWhenTheGridCanScroll) {
    rows({{actions::LeftClick, u"1,1"}, {actions::LeftClick, u"1,1"}, {actions::LeftClick, u"1,1"},
          {actions::LeftClick, u"1,1"}, {actions::LeftClick, u"x"}, {actions::LeftClick, u"1,1"}});
    app->controls.intervalBox->setText(u"1");
    app->grid.scrollBar()->setRange(1, 6);
    EXPECT_EQ(check(false), u"Ｘ軸の値が不正です");
    EXPECT_EQ(app->grid.scrollBar()->value(), 5);
    app->grid.scrollBar()->setValue(2);
    app->grid.scrollBar()->setRange(1, 4);
    EXPECT_EQ(check(false), u"Ｘ軸の値が不正です");
    EXPECT_EQ(app->grid.scrollBar()->value(), 2);  // row 5 is beyond the scroll range
}

TEST_F(CheckTest, WalkEndsAtTheFirstRowWithoutAction) {
    rows({{actions::LeftClick, u"1,1"}, {actions::Wait, u"1"}, {actions::End, u""}, {actions::None, u"junk,,,"},
          {actions::LeftClick, u"bad"}});
    app->controls.intervalBox->setText(u"1");
    EXPECT_EQ(check(true), u"");
    EXPECT_EQ(plan->rows.size(), 3u);
}

TEST_F(CheckTest, NothingToRun) {
    rows({{actions::None, u"1,1"}, {actions::LeftClick, u"1,1"}});
    app->controls.intervalBox->setText(u"1");
    app->grid.scrollBar()->setRange(1, 3);
    app->grid.scrollBar()->setValue(3);
    EXPECT_EQ(check(false), u"処理が設定されていません");
    EXPECT_EQ(app->grid.scrollBar()->value(), 1);
    EXPECT_TRUE(app->grid.actionList(1)->hasFocus());
    app->grid.clear();
    EXPECT_EQ(check(false), u"処理が設定されていません");
}

TEST_F(CheckTest, ThreeCommaPartsEndInTheErrorExit) {
    rows({{actions::LeftClick, u"1,1"}, {actions::Exe, u"a.exe x,y,z"}});
    app->controls.intervalBox->setText(u"1");
    app->controls.endButton->setFocus();
    EXPECT_EQ(check(false), u"");
    EXPECT_EQ(status(), u"[MF_InputChk]インデックスが有効範囲にありません。");
    EXPECT_TRUE(app->controls.endButton->hasFocus());
    EXPECT_NE(fileBytes(u"C:\\Program Files\\TOVIRAK\\TOVIRAK_ERROR.LOG").find(
                  toCp932(u"[MF_InputChk]インデックスが有効範囲にありません。")),
              std::string::npos);
}

TEST_F(CheckTest, StopLimitMustBeComplete) {
    rows({{actions::LeftClick, u"1,1"}});
    app->controls.intervalBox->setText(u"1");
    app->document.settings.stopTimerEnabled = true;
    app->document.settings.timerHours = 0;
    app->document.settings.timerMinutes = 0;
    EXPECT_EQ(check(false), u"停止タイマーが設定されていません");
    app->document.settings.timerHours = -1;
    EXPECT_EQ(check(false), u"実行回数が設定されていません");
    app->document.settings.timerMinutes = 5;
    EXPECT_EQ(check(true), u"");
    app->document.settings.timerHours = 0;
    EXPECT_EQ(check(true), u"");
    app->document.settings.stopTimerEnabled = false;
    app->document.settings.timerHours = 0;
    app->document.settings.timerMinutes = 0;
    EXPECT_EQ(check(true), u"");
}
