// Points anchored to a window: the parts of a command, the search text, the
// mapping between stored and screen points over monitors of different
// scale factors, and the windows found, restored and brought to the front.
#include "input/anchor.h"
#include "input/anchor_windows.h"
#include "playback/run_plan.h"
#include "playback_fixture.h"

using Lines = std::vector<std::string>;

using anchor::CommandParts;

namespace {
CommandParts parts(StrView s) { return anchor::splitCommand(s); }
}  // namespace

TEST(AnchorText, ACommandSplitsIntoTwoPartsAndEverythingAfterTheSecondComma) {
    EXPECT_EQ(parts(u"").count, 1);
    EXPECT_EQ(parts(u"12").first, u"12");
    EXPECT_EQ(parts(u"12").count, 1);
    const CommandParts two = parts(u"12, 34");
    EXPECT_EQ(two.count, 2);
    EXPECT_EQ(two.first, u"12");
    EXPECT_EQ(two.second, u" 34");
    EXPECT_FALSE(two.hasThird());
    const CommandParts three = parts(u"-5,7,Report, final - Editor,Cls");
    EXPECT_TRUE(three.hasThird());
    EXPECT_EQ(three.first, u"-5");
    EXPECT_EQ(three.second, u"7");
    EXPECT_EQ(three.third, u"Report, final - Editor,Cls");
    // A second comma with nothing after it still makes a third part.
    const CommandParts empty = parts(u"1,2,");
    EXPECT_EQ(empty.count, 3);
    EXPECT_EQ(empty.third, u"");
    EXPECT_EQ(parts(u",,").count, 3);
    EXPECT_EQ(parts(u",").count, 2);
}

TEST(AnchorText, TheSearchIsTheThirdPartBeforeItsCommaAndATitleGivesItsLongestPart) {
    EXPECT_EQ(anchor::searchText(u" - メモ帳 ,Notepad"), u"- メモ帳");
    EXPECT_EQ(anchor::searchText(u"Report, final"), u"Report");
    EXPECT_EQ(anchor::searchText(u"  "), u"");
    EXPECT_EQ(anchor::searchText(u",Notepad"), u"");
    EXPECT_EQ(anchor::titleSearchText(u" a,, bb ,c"), u"bb");
    EXPECT_EQ(anchor::titleSearchText(u",,"), u"");
    EXPECT_EQ(anchor::titleSearchText(u"(無題) - メモ帳"), u"(無題) - メモ帳");
    EXPECT_EQ(anchor::titleSearchText(Str(u"ab\0c,d", 6)), u"abc");
}

TEST(AnchorMapping, StoredPointsAreClientPixelsAt96DotsPerInch) {
    const anchor::Frame at100{{100, 200}, 96};
    EXPECT_EQ(anchor::toScreen(10, 20, at100), (os::Point{110, 220}));
    EXPECT_EQ(anchor::toStored({110, 220}, at100), (os::Point{10, 20}));
    // Negative points lie above or left of the client area (the title bar).
    EXPECT_EQ(anchor::toScreen(-4, -20, at100), (os::Point{96, 180}));

    // 150 %: a stored pixel is one and a half screen pixels, halves to even.
    const anchor::Frame at150{{-1900, 40}, 144};
    EXPECT_EQ(anchor::toScreen(10, 20, at150), (os::Point{-1885, 70}));
    EXPECT_EQ(anchor::toScreen(1, 3, at150), (os::Point{-1898, 44}));  // 1.5 -> 2, 4.5 -> 4
    EXPECT_EQ(anchor::toStored({-1885, 70}, at150), (os::Point{10, 20}));
    EXPECT_EQ(anchor::storedCommand({-1885, 70}, at150, u"- メモ帳"), u"10,20,- メモ帳");
    // Decimals as a document may hold them.
    EXPECT_EQ(anchor::toScreen(10.4, 0.2, at100), (os::Point{110, 200}));

    // Every client pixel survives the way there and back at common scales.
    for (int dpi : {96, 120, 144, 168, 192, 288}) {
        const anchor::Frame f{{-300, 17}, dpi};
        for (int32_t px = -40; px < 400; px += 7) {
            const os::Point stored = anchor::toStored({-300 + px, 17 + px}, f);
            const os::Point back = anchor::toScreen(stored.x, stored.y, f);
            EXPECT_LE(std::abs(back.x - (-300 + px)) * 96, dpi) << dpi << " " << px;
            EXPECT_LE(std::abs(back.y - (17 + px)) * 96, dpi) << dpi << " " << px;
        }
    }
    // A point too far for the screen is the overflow of any coordinate.
    try {
        anchor::toScreen(3e9, 0, at100);
        FAIL();
    } catch (const RtError& e) {
        EXPECT_EQ(e.number, err::Overflow);
    }
    // A DPI no monitor has is taken as 100 %.
    EXPECT_EQ(anchor::toStored({5, 5}, anchor::Frame{{0, 0}, 0}), (os::Point{5, 5}));
}

class AnchorWindowsTest : public AppTest {
protected:
    void SetUp() override {
        // A second monitor at 150 % left of the primary one at 100 %.
        p.monitors = {{0, 0, 1920, 1080}, {-2880, 0, 0, 1620}};
        p.monitorDpis = {96, 144};
        editor = p.addWindow(u"notes.txt - Editor", u"Edit", 5);
        start();
        own = app->form->nativeHandle();
    }
    headless::Window& w() { return *p.window(editor); }
    os::WindowHandle editor = 0, own = 0;
    AnchorWindows anchors{p.os};
};

TEST_F(AnchorWindowsTest, TheSameStoredPointHitsTheSameSpotOfAWindowMovedToAnotherScale) {
    w().x = 300;
    w().y = 100;
    auto found = anchors.find(u"notes.txt", own);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->window, editor);
    EXPECT_EQ(found->frame.clientOrigin, (os::Point{308, 131}));
    EXPECT_EQ(found->frame.dpi, 96);
    EXPECT_EQ(found->rect, (os::Rect{300, 100, 940, 580}));
    // The spot 40,25 of the client area, as the user pointed at it.
    const Str stored = anchor::storedCommand({348, 156}, found->frame, u"notes.txt");
    EXPECT_EQ(stored, u"40,25,notes.txt");

    // Moved to the 150 % monitor, where the program draws it half as large
    // again: the spot lies 60,38 pixels into the client area there.
    w().x = -2000;
    w().y = 300;
    w().clientX = 12;
    w().clientY = 46;
    found = anchors.find(u"notes.txt", own);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->frame.dpi, 144);
    EXPECT_EQ(anchor::toScreen(40, 25, found->frame), (os::Point{-1988 + 60, 346 + 38}));  // 37.5 -> 38
    // Nothing was activated or moved by looking.
    EXPECT_EQ(p.traceText().find("SetForegroundWindow"), std::string::npos);
}

TEST_F(AnchorWindowsTest, PreparingRestoresAMinimisedWindowAndBringsACoveredOneToTheFront) {
    const os::WindowHandle other = p.addWindow(u"Other", u"O", 9);
    p.foreground = other;
    w().style.minimized = true;
    p.clearTrace();
    auto found = anchors.prepare(app->statusLine, u"Editor", own);
    ASSERT_TRUE(found);
    EXPECT_FALSE(w().style.minimized);
    EXPECT_EQ(p.foreground, editor);
    const std::string trace = p.traceText();
    EXPECT_LT(trace.find("ShowWindow(" + std::to_string(editor) + ",SW_RESTORE)"),
              trace.find("SetForegroundWindow(" + std::to_string(editor) + ")"));

    // In front already: nothing is done to it.
    p.clearTrace();
    ASSERT_TRUE(anchors.prepare(app->statusLine, u"Editor", own));
    EXPECT_EQ(p.traceText(), "");

    // Gone: nothing, and no window is touched.
    p.removeWindow(editor);
    EXPECT_FALSE(anchors.prepare(app->statusLine, u"Editor", own));
    EXPECT_FALSE(anchors.find(u"", own));
    EXPECT_EQ(p.traceText().find("SetForegroundWindow"), std::string::npos);
}

TEST_F(AnchorWindowsTest, EachTextKeepsItsOwnWindowAndTheRunsTargetIsLeftAlone) {
    const os::WindowHandle second = p.addWindow(u"draft.txt - Editor", u"Edit", 6);  // on top
    WindowCache& target = app->player.targetWindow();
    EXPECT_EQ(target.find(u"notes.txt - Editor", own), editor);
    EXPECT_EQ(anchors.find(u"Editor", own)->window, second);
    EXPECT_EQ(anchors.find(u"notes", own)->window, editor);
    // Brought on top, notes.txt does not take the place of the window the
    // text "Editor" found first, which still passes.
    p.os.setForegroundWindow(editor);
    EXPECT_EQ(anchors.find(u"Editor", own)->window, second);
    p.removeWindow(second);
    EXPECT_EQ(anchors.find(u"Editor", own)->window, editor);
    anchors.clear();
    EXPECT_EQ(target.find(u"notes.txt - Editor", own), editor);
}

// ---------------------------------------------------------------------------
// Mouse rows that name their window

namespace {
struct Checked {
    Str message;
    PlanRow row;
};
Checked check(StrView action, const Str& command) {
    Checked c;
    c.message = checkRow(action, command, RowCheckContext{}, c.row);
    return c;
}
}  // namespace

TEST(AnchorCheck, OnlyMouseRowsTakeAWindowAndItsPointMustBeWhole) {
    Checked c = check(u"左ｸﾘｯｸ", u"10,-20, - メモ帳 ,Notepad");
    EXPECT_EQ(c.message, u"");
    EXPECT_EQ(c.row.x, u"10");
    EXPECT_EQ(c.row.y, u"-20");
    EXPECT_EQ(c.row.window, u"- メモ帳");
    EXPECT_EQ(check(u"ﾏｳｽｶｰｿﾙ移動", u"-1,-1,Editor").row.x, u"-1");  // a point, not "where the cursor is"
    EXPECT_EQ(check(u"左ｸﾘｯｸ", u"10,20").row.window, u"");
    EXPECT_EQ(check(u"左ｸﾘｯｸ", u"").row.x, u"-1");

    EXPECT_EQ(check(u"左ｸﾘｯｸ", u"10,20,").message, u"ウィンドウタイトルが入力されていません");
    EXPECT_EQ(check(u"右ｸﾘｯｸ", u"10,20, ,Notepad").message, u"ウィンドウタイトルが入力されていません");
    EXPECT_EQ(check(u"左ｸﾘｯｸ", u",20,Editor").message, u"Ｘ軸の値が不正です");
    EXPECT_EQ(check(u"左ｸﾘｯｸ", u"10,,Editor").message, u"Ｙ軸の値が不正です");
    EXPECT_EQ(check(u"左ｸﾘｯｸ", u"10,y,Editor").message, u"Ｙ軸の値が不正です");

    // Other rows split into too many parts keep their error exit.
    for (StrView action : {actions::Exe, actions::WindowActive, actions::Wait, actions::End, actions::PlaySound}) {
        try {
            check(action, u"a,b,c");
            ADD_FAILURE() << toUtf8(action);
        } catch (const RtError& e) {
            EXPECT_EQ(e.number, err::Subscript);
        }
    }
}

class AnchoredStepTest : public PlaybackTest {
protected:
    void SetUp() override {
        p.monitors = {{0, 0, 1920, 1080}, {1920, 0, 4800, 1620}};
        p.monitorDpis = {96, 144};
        editor = p.addWindow(u"notes.txt - Editor", u"Edit", 5);
        w().x = 200;
        w().y = 100;
        PlaybackTest::SetUp();
    }
    headless::Window& w() { return *p.window(editor); }
    os::WindowHandle editor = 0;
};

TEST_F(AnchoredStepTest, TheClickFindsItsWindowBringsItForwardAndLandsOnTheSameSpotWhereverItIs) {
    rows({{u"左ｸﾘｯｸ", u"40,25,notes.txt"}, {u"ｼﾌﾄ右ｸﾘｯｸ", u"-4,-20,notes.txt"}});
    const os::WindowHandle other = p.addWindow(u"Other", u"O", 9);
    p.foreground = other;
    interval(u"1");
    run();
    p.advance(1000);
    const Lines first = events(true);
    // Brought to the front first, then the point in its client area.
    const std::string trace = p.traceText();
    EXPECT_LT(trace.find("SetForegroundWindow(" + std::to_string(editor) + ")"), trace.find("SetCursorPos(248,156)"));
    EXPECT_EQ(first, (Lines{"SetCursorPos(248,156)", "mouse_event(49153,3387,6311,0)", "mouse_event(2,0,0,0)",
                            "mouse_event(4,0,0,0)"}));
    p.advance(1000);
    // The title bar above the client area, with the modifier around it.
    EXPECT_EQ(events(true)[1], "SetCursorPos(204,111)");

    // Minimised, and moved to the monitor at 150 %: restored, and the same
    // spot is half as far again into the client area.
    w().style.minimized = true;
    w().x = 2000;
    w().y = 200;
    p.advance(1000);
    EXPECT_FALSE(w().style.minimized);
    EXPECT_EQ(events(true)[0], "SetCursorPos(2068,269)");  // 2008 + 60, 231 + 37.5 (half to even: 38)
    EXPECT_EQ(app->player.state().row, 2);
}

TEST_F(AnchoredStepTest, AnAbsentWindowHoldsTheRowUnderTheWaitLimit) {
    rows({{u"左ｸﾘｯｸ", u"1,1,draft.txt"}});
    interval(u"0.5");
    app->document.settings.waitLimit = 3;
    run();
    p.advance(1500);
    EXPECT_EQ(status(), u"実行中 1 「draft.txt」を待っています (1秒/上限3秒)");
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 0);
    // It comes in time: the click goes there.
    const os::WindowHandle draft = p.addWindow(u"draft.txt - Editor", u"Edit");
    p.advance(500);
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 1);
    EXPECT_EQ(p.foreground, draft);
    // Gone again: the run stops when the limit runs out, as a failing step.
    p.removeWindow(draft);
    p.advance(3500);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"[tim_Timer_Timer]「draft.txt」を含むウィンドウが3秒待っても現れません ステップ：左ｸﾘｯｸ");
}
