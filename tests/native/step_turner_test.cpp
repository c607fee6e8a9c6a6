// The turning of recorded input into steps, on its own: lists of key and
// mouse events as the hooks see them in, steps out. Keystroke texts are also
// read back by the keystroke sender's parser, to show that playing them
// presses the keys that were pressed.
#include <gtest/gtest.h>

#include <set>

#include "app_fixture.h"
#include "input/sendkeys.h"
#include "recording/step_turner.h"

using recording::InputEvent;
using recording::StepTurner;
using recording::TurnerSettings;

namespace {

constexpr os::WindowHandle kNotepad = 0x100, kPaint = 0x200, kOwn = 0x300;
constexpr int VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_LMENU = 0xA4, VK_RMENU = 0xA5;
constexpr int VK_RETURN = 13, VK_TAB = 9, VK_SPACE = 32, VK_LEFT = 37, VK_F4 = 0x73, VK_F5 = 0x74;

// A user's input, written down as the hooks would see it.
class Script {
public:
    explicit Script(headless::Platform& p) : p_(&p) {}
    std::vector<InputEvent> events;
    uint32_t t = 10000;
    // Non-modifier key presses as made: marks of the modifiers held, then the key code.
    std::vector<std::string> presses;

    Script& wait(uint32_t ms) {
        t += ms;
        return *this;
    }
    // Where the following presses go.
    Script& in(os::WindowHandle w, const Str& title, bool own = false) {
        window_ = w;
        title_ = title;
        own_ = own;
        frame_.reset();
        return *this;
    }
    // Where that window's client area is and the DPI of its monitor, as
    // the hooks read them for the mouse events that follow.
    Script& at(os::Point clientOrigin, int dpi = 96) {
        frame_ = anchor::Frame{clientOrigin, dpi};
        return *this;
    }
    // A press; text is what the hook read that it typed.
    Script& down(int vk, StrView text = {}) {
        InputEvent e = press(InputEvent::KeyDown);
        e.vk = uint16_t(vk);
        e.text = Str(text);
        events.push_back(e);
        const bool modifier = (vk >= 0xA0 && vk <= 0xA5) || (vk >= 0x10 && vk <= 0x12);
        if (modifier) held_.insert(vk);
        else if (!own_) presses.push_back(marks() + std::to_string(vk));
        return *this;
    }
    // A dead key: its accent goes with the next key.
    Script& dead(int vk, StrView accent) {
        down(vk, accent);
        events.back().dead = true;
        presses.pop_back();
        t += 30;
        return up(vk).wait(40);
    }
    Script& up(int vk) {
        InputEvent e;
        e.kind = InputEvent::KeyUp;
        e.time = t;
        e.vk = uint16_t(vk);
        events.push_back(e);
        held_.erase(vk);
        return *this;
    }
    Script& tap(int vk, uint32_t holdMs = 30, StrView text = {}) {
        down(vk, text);
        t += holdMs;
        up(vk);
        t += 40;
        return *this;
    }
    // Typing text on the US layout, Shift pressed where a character needs
    // it; the hook reads each character (unless it cannot read any).
    Script& type(StrView text) {
        for (char16_t c : text) {
            const int s = p_->os.vkKeyScan(c);
            if (s & 0x100) down(VK_LSHIFT);
            tap(s & 0xFF, 30, unread ? StrView() : StrView(&c, 1));
            if (s & 0x100) up(VK_LSHIFT);
        }
        return *this;
    }
    bool unread = false;
    Script& buttonDown(int b, os::Point pt) {
        InputEvent e = press(InputEvent::ButtonDown);
        e.button = b;
        e.pt = pt;
        events.push_back(e);
        return *this;
    }
    Script& buttonUp(int b, os::Point pt) {
        InputEvent e = press(InputEvent::ButtonUp);
        e.button = b;
        e.pt = pt;
        events.push_back(e);
        return *this;
    }
    Script& move(os::Point pt) {
        InputEvent e;
        e.kind = InputEvent::Move;
        e.time = t;
        e.pt = pt;
        events.push_back(e);
        return *this;
    }
    Script& click(os::Point pt, int b = 0) {
        buttonDown(b, pt);
        t += 60;
        buttonUp(b, pt);
        t += 100;
        return *this;
    }
    Script& drag(os::Point from, os::Point to, int b = 0) {
        buttonDown(b, from);
        t += 100;
        move({(from.x + to.x) / 2, (from.y + to.y) / 2});
        t += 100;
        move(to);
        t += 100;
        buttonUp(b, to);
        t += 100;
        return *this;
    }
    Script& wheel() {
        events.push_back(press(InputEvent::Wheel));
        t += 20;
        return *this;
    }
    Script& sideButton() {
        events.push_back(press(InputEvent::ExtraButton));
        t += 60;
        return *this;
    }

private:
    InputEvent press(InputEvent::Kind k) {
        InputEvent e;
        e.kind = k;
        e.time = t;
        e.window = window_;
        e.own = own_;
        if (!own_) e.title = title_;
        if (k == InputEvent::ButtonDown || k == InputEvent::ButtonUp) e.frame = frame_;
        return e;
    }
    std::string marks() const {
        std::string m;
        auto any = [&](int a, int b, int g) { return held_.count(a) || held_.count(b) || held_.count(g); };
        if (any(0xA0, 0xA1, 0x10)) m += '+';
        if (any(0xA2, 0xA3, 0x11)) m += '^';
        if (any(0xA4, 0xA5, 0x12)) m += '%';
        return m;
    }
    headless::Platform* p_;
    os::WindowHandle window_ = kNotepad;
    Str title_ = u"無題 - メモ帳";
    bool own_ = false;
    std::optional<anchor::Frame> frame_;
    std::set<int> held_;
};

class StepTurnerTest : public ::testing::Test {
protected:
    headless::Platform p;
    Script s{p};
    TurnerSettings settings;
    int leftOut = 0;
    bool inputMethod = false;

    void SetUp() override {
        // The US layout of the headless keyboard.
        settings.chars = recording::layoutCharacters([&](char16_t c) { return p.os.vkKeyScan(c); }, nullptr);
    }
    std::vector<MacroStep> steps(bool minutes = false) {
        StepTurner turner(settings);
        for (auto& e : s.events) turner.feed(e);
        auto out = turner.finish(minutes);
        leftOut = turner.unrecordable();
        inputMethod = turner.inputMethodSeen();
        return out;
    }
    // "action|text" per step.
    std::vector<std::string> rows(bool minutes = false) {
        std::vector<std::string> r;
        for (auto& st : steps(minutes)) r.push_back(toUtf8(st.action) + "|" + toUtf8(st.command));
        return r;
    }
    std::vector<std::string> comments() {
        std::vector<std::string> r;
        for (auto& st : steps()) r.push_back(toUtf8(st.comment));
        return r;
    }
    // The characters the keystroke texts type when played, on a layout
    // that has none of them on a key (so that each comes as itself).
    Str typedBack() {
        Str out;
        for (auto& st : steps())
            if (st.action == u"ｷｰ入力")
                for (auto& e : sendkeys::parse(trim(st.command), [](char16_t) { return -1; }))
                    if (!e.up && e.unit) out += e.unit;
        return out;
    }
    // The non-modifier presses that playing the keystroke texts makes.
    std::vector<std::string> played() {
        std::vector<std::string> out;
        for (auto& st : steps()) {
            if (st.action != u"ｷｰ入力") continue;
            std::set<int> held;
            for (auto& e : sendkeys::parse(trim(st.command), [&](char16_t c) { return p.os.vkKeyScan(c); })) {
                if (e.vk >= 0x10 && e.vk <= 0x12) {
                    if (e.up) held.erase(e.vk);
                    else held.insert(e.vk);
                    continue;
                }
                if (e.up) continue;
                std::string m;
                if (held.count(0x10)) m += '+';
                if (held.count(0x11)) m += '^';
                if (held.count(0x12)) m += '%';
                out.push_back(m + std::to_string(e.vk));
            }
        }
        return out;
    }
};

const std::string kActivate = "ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - メモ帳";

}  // namespace

// ---------------------------------------------------------------------------
// Clicks

TEST_F(StepTurnerTest, ClicksOfEachButtonComeAfterTheWindowTheyGoTo) {
    s.click({100, 200}).click({300, 40}, 1).click({5, 6}, 2);
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|100,200", "右ｸﾘｯｸ|300,40", "中ｸﾘｯｸ|5,6"}));
    EXPECT_EQ(comments(), (std::vector<std::string>{"記録: メモ帳 を前面へ", "記録: メモ帳 でクリック",
                                                    "記録: メモ帳 で右クリック", "記録: メモ帳 で中クリック"}));
    EXPECT_EQ(leftOut, 0);
}

TEST_F(StepTurnerTest, ModifierClicksTakeThePrefixedActionAndTwoModifiersAreLeftOut) {
    s.down(VK_LSHIFT).click({10, 10}).up(VK_LSHIFT);
    s.down(VK_LCONTROL).click({20, 20}, 1).up(VK_LCONTROL);
    s.down(VK_LMENU).click({30, 30}, 2).up(VK_LMENU);
    s.down(VK_RSHIFT).click({40, 40}, 2).up(VK_RSHIFT);
    s.down(VK_LSHIFT).down(VK_LCONTROL).click({50, 50}).up(VK_LCONTROL).up(VK_LSHIFT);
    s.click({60, 60});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｼﾌﾄ左ｸﾘｯｸ|10,10", "Ctrl右ｸﾘｯｸ|20,20", "Alt中ｸﾘｯｸ|30,30",
                                                "ｼﾌﾄ中ｸﾘｯｸ|40,40", "左ｸﾘｯｸ|60,60"}));
    EXPECT_EQ(leftOut, 1);
    EXPECT_EQ(comments()[1], "記録: メモ帳 でShift+クリック");

    // A modifier held when the recording began counts until its release.
    settings.ctrl = true;
    s = Script(p);
    s.click({1, 2}).up(VK_LCONTROL).click({30, 40});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "Ctrl左ｸﾘｯｸ|1,2", "左ｸﾘｯｸ|30,40"}));
}

TEST_F(StepTurnerTest, ASecondClickInTheDoubleClickTimeAndRectangleIsADoubleClick) {
    // The system's settings: 500 ms, a 4 x 4 rectangle.
    s.buttonDown(0, {100, 100}).wait(50).buttonUp(0, {100, 100}).wait(100);
    s.buttonDown(0, {102, 98}).wait(50).buttonUp(0, {102, 98});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左Wｸﾘｯｸ|100,100"}));
    EXPECT_EQ(comments()[1], "記録: メモ帳 でダブルクリック");

    // Too late: two clicks, kept apart.
    s = Script(p);
    s.buttonDown(0, {100, 100}).wait(50).buttonUp(0, {100, 100}).wait(460);
    s.click({100, 100});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|100,100", "待機|0.6", "左ｸﾘｯｸ|100,100"}));
    // ... unless the user's double-click time is longer.
    settings.input.doubleClickMs = 900;
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左Wｸﾘｯｸ|100,100"}));

    // Outside the rectangle, or another button, or another window: two clicks.
    settings.input.doubleClickMs = 500;
    s = Script(p);
    s.click({100, 100}).click({103, 100});
    s.click({200, 200}).click({200, 200}, 1);
    s.click({300, 300}).in(kPaint, u"Paint").click({300, 300});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|100,100", "左ｸﾘｯｸ|103,100", "左ｸﾘｯｸ|200,200",
                                                "右ｸﾘｯｸ|200,200", "左ｸﾘｯｸ|300,300", "ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|Paint",
                                                "左ｸﾘｯｸ|300,300"}));
    // A wider rectangle takes the first pair.
    settings.input.doubleClickWidth = 8;
    EXPECT_EQ(rows()[1], "左Wｸﾘｯｸ|100,100");

    // Right and middle double clicks; a third click is a click of its own.
    settings = TurnerSettings{{}, settings.chars};
    s = Script(p);
    s.click({1, 1}, 1).click({1, 1}, 1).wait(600).click({2, 2}, 2).click({2, 2}, 2).click({2, 2}, 2);
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "右Wｸﾘｯｸ|1,1", "中Wｸﾘｯｸ|2,2", "中ｸﾘｯｸ|2,2"}));
}

TEST_F(StepTurnerTest, TwoClicksOnOneSpotThatWereNoDoubleClickGetAWaitThatKeepsThemApart) {
    // Click, type, 0.7 s later the same spot again and type: played at any
    // interval the two presses must stay more than the double-click time
    // (500 ms) apart.
    s.click({100, 100}).type(u"a").wait(530).click({101, 99}).type(u"b");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|100,100", "ｷｰ入力|a", "待機|0.6", "左ｸﾘｯｸ|101,99",
                                                "ｷｰ入力|b"}));
    EXPECT_EQ(comments()[3], "記録: ダブルクリックにならないように待つ");
    // In minutes, rounded up: 0.01 min is 600 ms.
    EXPECT_EQ(rows(true)[3], "待機|0.010");
    // The user's own double-click time.
    settings.input.doubleClickMs = 650;
    EXPECT_EQ(rows()[3], "待機|0.75");
    EXPECT_EQ(rows(true)[3], "待機|0.013");
    // A longer one than the pause that is written anyway: the pause is
    // counted from the typing, the double-click time from the first press.
    settings.input.doubleClickMs = 1500;
    s = Script(p);
    s.click({100, 100}).wait(800).type(u"a").wait(600).click({100, 100});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|100,100", "ｷｰ入力|a", "待機|1.6", "左ｸﾘｯｸ|100,100"}));

    // A pause of its own that is long enough already: one wait.
    settings.input.doubleClickMs = 500;
    s = Script(p);
    s.click({100, 100}).wait(1300).click({100, 100});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|100,100", "待機|1", "左ｸﾘｯｸ|100,100"}));
    // Nothing to keep apart: another spot, another button, a second press
    // that came sooner than the double-click time, a drag's release point.
    s = Script(p);
    s.click({100, 100}).wait(600).click({110, 100});
    s.click({200, 200}).wait(600).click({200, 200}, 1);
    s.click({300, 300}).type(u"x").click({300, 300});
    s.wait(600).drag({400, 400}, {500, 400}).wait(600).click({500, 400});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|100,100", "左ｸﾘｯｸ|110,100", "左ｸﾘｯｸ|200,200",
                                                "右ｸﾘｯｸ|200,200", "左ｸﾘｯｸ|300,300", "ｷｰ入力|x", "左ｸﾘｯｸ|300,300",
                                                "左ﾄﾞﾗｯｸﾞ|400,400", "ﾏｳｽｶｰｿﾙ移動|500,400", "左ｸﾘｯｸ|500,400",
                                                "左ｸﾘｯｸ|500,400"}));
}

TEST_F(StepTurnerTest, ADoubleClickWithAModifierIsLeftOut) {
    s.down(VK_LSHIFT).click({100, 100}).click({100, 100}).up(VK_LSHIFT).click({7, 7});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|7,7"}));
    EXPECT_EQ(leftOut, 1);
}

// ---------------------------------------------------------------------------
// Drags

TEST_F(StepTurnerTest, ADragBeyondTheThresholdBecomesTheExecutorsDragIdiom) {
    s.drag({100, 100}, {400, 250});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ﾄﾞﾗｯｸﾞ|100,100", "ﾏｳｽｶｰｿﾙ移動|400,250", "左ｸﾘｯｸ|400,250"}));
    EXPECT_EQ(comments(), (std::vector<std::string>{"記録: メモ帳 を前面へ", "記録: メモ帳 でドラッグ開始",
                                                    "記録: ドラッグ先へ移動", "記録: ドラッグ終了 (ボタンを離す)"}));
    s = Script(p);
    s.drag({10, 10}, {10, 90}, 1).drag({50, 50}, {80, 50}, 2);
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "右ﾄﾞﾗｯｸﾞ|10,10", "ﾏｳｽｶｰｿﾙ移動|10,90", "右ｸﾘｯｸ|10,90",
                                                "中ﾄﾞﾗｯｸﾞ|50,50", "ﾏｳｽｶｰｿﾙ移動|80,50", "中ｸﾘｯｸ|80,50"}));
}

TEST_F(StepTurnerTest, AMoveAwayAndBackIsStillADragAndASmallOneStaysAClick) {
    // Out and back to the press point: the button was dragged.
    s.buttonDown(0, {100, 100}).wait(50).move({160, 100}).wait(50).move({100, 100}).wait(50).buttonUp(0, {100, 100});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ﾄﾞﾗｯｸﾞ|100,100", "ﾏｳｽｶｰｿﾙ移動|100,100", "左ｸﾘｯｸ|100,100"}));
    // Inside the 4 x 4 drag rectangle: a click where the button went down.
    s = Script(p);
    s.buttonDown(0, {100, 100}).wait(50).move({102, 101}).wait(50).buttonUp(0, {101, 102});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|100,100"}));
    // The user's larger drag rectangle keeps a bigger wobble a click.
    s = Script(p);
    s.buttonDown(0, {100, 100}).wait(50).buttonUp(0, {108, 100});
    EXPECT_EQ(rows()[1], "左ﾄﾞﾗｯｸﾞ|100,100");
    settings.input.dragWidth = 20;
    EXPECT_EQ(rows()[1], "左ｸﾘｯｸ|100,100");
}

TEST_F(StepTurnerTest, ADragWithAModifierIsLeftOutAndASecondPressThatDragsKeepsTheFirstClick) {
    s.down(VK_LCONTROL).drag({1, 1}, {100, 100}).up(VK_LCONTROL);
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate}));
    EXPECT_EQ(leftOut, 1);
    s = Script(p);
    s.click({50, 50}).drag({50, 50}, {90, 90});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|50,50", "左ﾄﾞﾗｯｸﾞ|50,50", "ﾏｳｽｶｰｿﾙ移動|90,90",
                                                "左ｸﾘｯｸ|90,90"}));
}

// ---------------------------------------------------------------------------
// Points in their windows

TEST_F(StepTurnerTest, ClicksAndDoubleClicksAreWrittenInTheClientAreaOfTheirWindowAt96Dpi) {
    s.at({200, 100}).click({230, 120}).click({250, 80}, 1);  // the second on the title bar
    s.wait(600).click({260, 130}).click({260, 130});
    s.in(kPaint, u"Report, final version.txt - Editor").at({-1000, 50}, 144).click({-850, 200});
    s.in(0x400, u"").at({5, 5}).click({7, 7});      // a menu, the desktop or the taskbar
    s.in(kNotepad, u"無題 - メモ帳").click({300, 300});  // its place unknown
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|30,20,無題 - メモ帳", "右ｸﾘｯｸ|50,-20,無題 - メモ帳",
                                                "左Wｸﾘｯｸ|60,30,無題 - メモ帳",
                                                "ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|final version.txt - Editor",
                                                "左ｸﾘｯｸ|100,100,final version.txt - Editor", "左ｸﾘｯｸ|7,7", kActivate,
                                                "左ｸﾘｯｸ|300,300"}));
    EXPECT_EQ(recording::spotText(s.events[0]), u"30,20,無題 - メモ帳");
}

TEST_F(StepTurnerTest, EachPointOfADragIsInTheWindowItLandsOnWithNoActivationWhileTheButtonIsHeld) {
    s.at({200, 100}).drag({230, 120}, {330, 170});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ﾄﾞﾗｯｸﾞ|30,20,無題 - メモ帳",
                                                "ﾏｳｽｶｰｿﾙ移動|130,70,無題 - メモ帳", "左ｸﾘｯｸ|130,70,無題 - メモ帳"}));
    // Into another window: its end is there, and that window is activated
    // only before what is done in it afterwards. A bare move over a window
    // is no event at all.
    s = Script(p);
    s.at({200, 100}).buttonDown(0, {230, 120}).wait(100).move({700, 120}).wait(100);
    s.in(kPaint, u"無題 - ペイント").at({600, 100}).buttonUp(0, {700, 120}).wait(100);
    s.in(kNotepad, u"無題 - メモ帳").at({200, 100}).click({240, 120});
    s.in(kPaint, u"無題 - ペイント").at({600, 100}).click({610, 110});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ﾄﾞﾗｯｸﾞ|30,20,無題 - メモ帳",
                                                "ﾏｳｽｶｰｿﾙ移動|100,20,無題 - ペイント", "左ｸﾘｯｸ|100,20,無題 - ペイント",
                                                "左ｸﾘｯｸ|40,20,無題 - メモ帳", "ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - ペイント",
                                                "左ｸﾘｯｸ|10,10,無題 - ペイント"}));
    // A drag that moved its window (by the title bar) ends where it was let
    // go on the screen; in the moved window it would not move it.
    s = Script(p);
    s.at({200, 100}).buttonDown(0, {250, 80}).wait(100).move({400, 280}).wait(100);
    s.at({350, 300}).buttonUp(0, {400, 280});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ﾄﾞﾗｯｸﾞ|50,-20,無題 - メモ帳", "ﾏｳｽｶｰｿﾙ移動|400,280",
                                                "左ｸﾘｯｸ|400,280"}));
}

// ---------------------------------------------------------------------------
// Keys

TEST_F(StepTurnerTest, AKeyRunIsOneKeystrokeTextWithSpecialCharactersBraced) {
    s.type(u"Hi {50%}").tap(VK_RETURN).type(u"a+b^c~(d)[e]\"f\",g");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|Hi {{}50{%}{}}{ENTER}a{+}b{^}c{~}{(}d{)}{[}e{]}{\"}f{\"},g"}));
    EXPECT_EQ(comments()[1], "記録: メモ帳 でキー入力");
    EXPECT_EQ(played(), s.presses);
}

TEST_F(StepTurnerTest, NamedKeysAndCombinationsTakeTheNotationsMarks) {
    s.tap(VK_TAB).tap(VK_F5).tap(VK_LEFT).tap(8).tap(46).tap(27).tap(0x6B);
    s.down(VK_LCONTROL).tap('C').up(VK_LCONTROL);
    s.down(VK_LMENU).tap(VK_F4).up(VK_LMENU);
    s.down(VK_LSHIFT).tap(VK_TAB).tap(VK_SPACE).up(VK_LSHIFT);
    s.down(VK_LCONTROL).down(VK_LSHIFT).tap('A').tap('1').up(VK_LSHIFT).up(VK_LCONTROL);
    s.down(VK_RMENU).tap('F').up(VK_RMENU);
    s.tap(0x65);  // keypad 5
    EXPECT_EQ(rows(), (std::vector<std::string>{
                          kActivate, "ｷｰ入力|{TAB}{F5}{LEFT}{BACKSPACE}{DELETE}{ESC}{ADD}^c%{F4}+{TAB}+ ^A^!%f5"}));
    // Playing presses the same keys with the same modifiers (the keypad 5
    // comes back as the main 5, which types the same).
    std::vector<std::string> expected = s.presses;
    expected.back() = "53";
    EXPECT_EQ(played(), expected);
}

TEST_F(StepTurnerTest, TextsTheSenderWouldTrimOrTakeForAKeyListAreWrittenToStayKeystrokes) {
    s.type(u" VK_A ");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|{ }VK_A{ }"}));
    EXPECT_EQ(played(), s.presses);
    s = Script(p);
    s.type(u"VK_B");
    EXPECT_EQ(rows()[1], "ｷｰ入力|{V}K_B");
    EXPECT_EQ(played(), s.presses);
    // Shift+Ctrl+V then "K_": the marks stand before a "V".
    s = Script(p);
    s.down(VK_LCONTROL).down(VK_LSHIFT).tap('V').up(VK_LSHIFT).up(VK_LCONTROL).type(u"K_");
    EXPECT_EQ(rows()[1], "ｷｰ入力|^{V}K_");
    EXPECT_EQ(played(), s.presses);
    // Shift+Space at the end keeps its space.
    s = Script(p);
    s.type(u"x").down(VK_LSHIFT).tap(VK_SPACE).up(VK_LSHIFT);
    EXPECT_EQ(rows()[1], "ｷｰ入力|x+{ }");
    EXPECT_EQ(played(), s.presses);
}

TEST_F(StepTurnerTest, KeysOnlyTheKeyListNamesAreKeyListStepsAndUnnamedKeysAreLeftOut) {
    s.type(u"ab").tap(0x80).type(u"c");  // F17
    s.down(VK_LCONTROL).tap(0x83).up(VK_LCONTROL);  // Ctrl+F20
    s.tap(0x19).tap(0x1C).tap(0xF3).tap(0x5D).type(u"d");  // 漢字, 変換, the IME's mode key, the menu key
    s.tap(0x5B);  // Windows key
    s.down(0x5C).tap('R').up(0x5C).type(u"e");  // Windows+R
    s.down(0xE7, u"あ").up(0xE7);  // a character sent as a key
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|ab", "ｷｰ入力|VK_F17", "ｷｰ入力|c", "ｷｰ入力|^VK_F20",
                                                "ｷｰ入力|VK_KANJI", "ｷｰ入力|VK_CONVERT", "ｷｰ入力|deあ"}));
    // Two unnamed keys, two Windows keys, the R pressed with one.
    EXPECT_EQ(leftOut, 5);
}

TEST_F(StepTurnerTest, CharactersAreRecordedAsTheyWereTypedBracedWhereTheNotationNeedsIt) {
    // A JP keyboard: Shift+8 types "(" and Shift+9 ")", which the US
    // layout's table would read as "*" and "("; "^" has a key of its own.
    constexpr int VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_PERIOD = 0xBE, VK_OEM_7 = 0xDE, VK_OEM_8 = 0xDF;
    s.down(VK_LSHIFT).tap('8', 30, u"(").up(VK_LSHIFT).tap('X', 30, u"x");
    s.down(VK_LSHIFT).tap('9', 30, u")").up(VK_LSHIFT).tap(VK_SPACE, 30, u" ");
    s.down(VK_LSHIFT).tap(VK_OEM_COMMA, 30, u"<").up(VK_LSHIFT).tap('Y', 30, u"y");
    s.down(VK_LSHIFT).tap(VK_OEM_PERIOD, 30, u">").tap(VK_OEM_PLUS, 30, u"+").up(VK_LSHIFT);
    s.tap(VK_OEM_7, 30, u"^");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|{(}x{)} <y>{+}{^}"}));
    EXPECT_EQ(typedBack(), u"(x) <y>+^");

    // Characters of no key of the layout (as xdotool types them), a
    // surrogate pair, AltGr's character; Ctrl or Alt alone make commands.
    s = Script(p);
    s.tap(VK_OEM_8, 30, u"é").tap(VK_OEM_8, 30, u"あ").tap(VK_OEM_8, 30, u"\U0001F600");
    s.down(VK_LCONTROL).down(VK_LMENU).tap('Q', 30, u"@").up(VK_LMENU).up(VK_LCONTROL);
    s.down(VK_LCONTROL).tap('C', 30, u"\x03").up(VK_LCONTROL);
    s.down(VK_LMENU).tap('F', 30, u"f").up(VK_LMENU);
    s.tap(0xE7, 30, u"{");  // a character sent as a key
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|éあ\U0001F600@^c%f{{}"}));
    EXPECT_EQ(leftOut, 0);

    // One key for each character, its releases lost (as Wine loses them
    // for the key xdotool maps to each in turn): each press still counts.
    s = Script(p);
    s.down(VK_OEM_8, u"é").wait(50).down(VK_OEM_8, u"あ").wait(50).down(VK_OEM_8, u"い").wait(50).tap(VK_SPACE, 30, u" ");
    s.type(u"ok");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|éあい ok"}));
    EXPECT_EQ(leftOut, 0);
}

TEST_F(StepTurnerTest, AModifierPressedByItselfIsAKeyListOfThatKey) {
    // Type, tap Alt, then the menu's keys: the Alt opens the menu bar.
    s.type(u"ab").tap(VK_LMENU).type(u"ea");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|ab", "ｷｰ入力_改|VK_MENU", "ｷｰ入力|ea"}));
    EXPECT_EQ(leftOut, 0);
    // Each modifier, the right keys by their own names, one held, and one
    // pressed while another is held (Alt+Shift).
    s = Script(p);
    s.tap(VK_LSHIFT).tap(VK_LCONTROL).tap(VK_RMENU).tap(0xA3).tap(VK_RSHIFT, 1200);
    s.down(VK_LMENU).tap(VK_LSHIFT).up(VK_LMENU);
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力_改|VK_SHIFT", "ｷｰ入力_改|VK_CONTROL",
                                                "ｷｰ入力_改|VK_RMENU", "ｷｰ入力_改|VK_RCONTROL",
                                                "ｷｰ入力_改|VK_RSHIFT(1200)", "ｷｰ入力_改|%VK_SHIFT"}));
    // Not by itself: with a key, a click or a held key; in the program's own
    // window; still down at the end. Let go out of order, a pair of
    // modifiers says nothing a key list can: counted.
    s = Script(p);
    s.down(VK_LSHIFT).tap('A', 30, u"A").up(VK_LSHIFT);
    s.down(VK_LCONTROL).click({5, 5}).up(VK_LCONTROL);
    s.down('W', u"w").tap(VK_LSHIFT).up('W');
    s.in(kOwn, u"TOVIRAK", true).tap(VK_LMENU).in(kNotepad, u"無題 - メモ帳");
    s.down(VK_LMENU).down(VK_LSHIFT).up(VK_LMENU).up(VK_LSHIFT);
    s.down(VK_LCONTROL);
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|A", "Ctrl左ｸﾘｯｸ|5,5", "ｷｰ入力|w"}));
    EXPECT_EQ(leftOut, 1);
}

TEST_F(StepTurnerTest, AKeyHeldPastTheRepeatDelayIsOneHeldKeyListStep) {
    // Held 1500 ms with its repeats: the user's delay is 500 ms.
    s.type(u"ab").down('W');
    for (int i = 0; i < 40; ++i) s.wait(33).down('W');
    s.wait(180).up('W').wait(40).type(u"cd");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|ab", "ｷｰ入力_改|VK_W(1500)", "ｷｰ入力|cd"}));
    EXPECT_EQ(comments()[2], "記録: メモ帳 でキーを押し続ける (1.5秒)");

    // With Shift, and an Enter.
    s = Script(p);
    s.down(VK_LSHIFT).tap('W', 1200).up(VK_LSHIFT).tap(VK_RETURN, 700);
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力_改|+VK_W(1200)", "ｷｰ入力_改|VK_RETURN(700)"}));
    // A longer delay makes 700 ms an ordinary keystroke.
    settings.input.keyRepeatDelayMs = 1000;
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力_改|+VK_W(1200)", "ｷｰ入力|{ENTER}"}));

    // A key without a key-list name is pressed once; the hold is left out.
    settings.input.keyRepeatDelayMs = 500;
    s = Script(p);
    s.tap(0xBA, 2000);  // ";"
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|;"}));
    EXPECT_EQ(leftOut, 1);
}

TEST_F(StepTurnerTest, ALongRunIsCutIntoStepsTheSenderTakes) {
    for (size_t i = 0; i < StepTurner::kMaxRunKeys + 3; ++i) s.tap('A', 1);
    auto r = steps();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].command, Str(StepTurner::kMaxRunKeys, u'a'));
    EXPECT_EQ(r[2].command, u"aaa");
}

// ---------------------------------------------------------------------------
// Windows, pauses, the program's own windows

TEST_F(StepTurnerTest, AChangeOfWindowActivatesItFirstAndEndsTheRun) {
    s.type(u"ab").in(kPaint, u"無題 - ペイント").click({10, 20}).type(u"x");
    s.in(kNotepad, u"無題 - メモ帳").type(u"cd");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|ab", "ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|無題 - ペイント", "左ｸﾘｯｸ|10,20",
                                                "ｷｰ入力|x", kActivate, "ｷｰ入力|cd"}));
    EXPECT_EQ(comments()[2], "記録: ペイント を前面へ");
}

TEST_F(StepTurnerTest, ATitleWithCommasIsWrittenAsItsLongestPartAndAnUntitledWindowGetsNoActivation) {
    s.in(kPaint, u"Report, final version.txt - Editor").click({1, 1});
    s.in(0x400, u"").click({2, 2});  // a menu or the taskbar
    s.in(kPaint, u"Report, final version.txt - Editor").click({3, 3});
    EXPECT_EQ(rows(), (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|final version.txt - Editor", "左ｸﾘｯｸ|1,1", "左ｸﾘｯｸ|2,2",
                                                "ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|final version.txt - Editor", "左ｸﾘｯｸ|3,3"}));
    EXPECT_EQ(comments()[2], "記録: クリック");
}

TEST_F(StepTurnerTest, PausesOfASecondOrMoreAreWaitsInWholeSeconds) {
    // Gaps from a release to the next press: 1.4 s, 2.7 s, 0.94 s, 1.04 s.
    s.click({1, 1}).wait(1300).click({2, 2}).wait(2600).type(u"ab").wait(900).type(u"c").wait(1000).type(u"d");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|1,1", "待機|1", "左ｸﾘｯｸ|2,2", "待機|3", "ｷｰ入力|abc",
                                                "待機|1", "ｷｰ入力|d"}));
    EXPECT_EQ(comments()[2], "記録: 次の操作まで1秒");
    // In minutes, rounded down to thousandths: the player rounds up to the
    // same whole seconds (0.016 min = 0.96 s -> 1 s, 0.05 min = 3 s).
    EXPECT_EQ(rows(true)[2], "待機|0.016");
    EXPECT_EQ(rows(true)[4], "待機|0.050");
    s = Script(p);
    s.click({1, 1}).wait(7000).click({2, 2}).wait(60000).click({3, 3}).wait(89900).click({4, 4});
    EXPECT_EQ(rows(true), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|1,1", "待機|0.116", "左ｸﾘｯｸ|2,2", "待機|1.000",
                                                    "左ｸﾘｯｸ|3,3", "待機|1.500", "左ｸﾘｯｸ|4,4"}));
}

TEST_F(StepTurnerTest, TheTimeAKeyIsHeldIsNoPause) {
    s.tap('W', 3000).wait(100).type(u"a");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力_改|VK_W(3000)", "ｷｰ入力|a"}));
    // A key pressed while another is held long: no wait between them.
    s = Script(p);
    s.down('W').wait(1500).tap('D').wait(1500).up('W');
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力_改|VK_W(3070)", "ｷｰ入力|d"}));
}

TEST_F(StepTurnerTest, NothingDoneInTheProgramsOwnWindowsIsRecorded) {
    s.click({1, 1});
    s.in(kOwn, u"TOVIRAK", true).click({5, 5}).type(u"xyz").wheel().sideButton().wait(2900);
    s.in(kNotepad, u"無題 - メモ帳").click({2, 2}).type(u"a");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|1,1", "待機|3", "左ｸﾘｯｸ|2,2", "ｷｰ入力|a"}));
    EXPECT_EQ(leftOut, 0);
}

TEST_F(StepTurnerTest, EveryEventLeftOutCountsOnce) {
    for (int i = 0; i < 3; ++i) s.wheel();  // three notches of one scroll
    s.sideButton();
    s.buttonDown(0, {1, 1}).buttonDown(1, {1, 1}).buttonUp(1, {1, 1}).buttonUp(0, {1, 1});
    s.tap(0xDF, 30, u"\x7f");  // a control character no name stands for
    s.tap(0xFC);                // what Wine tells of a character its X input method made
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "左ｸﾘｯｸ|1,1"}));
    EXPECT_EQ(leftOut, 7);
    EXPECT_FALSE(inputMethod);
}

TEST_F(StepTurnerTest, KeysOfTheInputMethodAreNotedAndAccentsAreCountedWhereTheyAreLost) {
    // 半角/全角 and keys the input method took: what it composes never passes.
    s.type(u"ok").tap(0xF3).tap(0xE5).tap(0xE5).tap(0x19);
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|ok", "ｷｰ入力|VK_KANJI"}));
    EXPECT_EQ(leftOut, 3);
    EXPECT_TRUE(inputMethod);

    // A dead key's accent goes with the next key: composed, or not combined
    // and typed before it, it is recorded; where the key typed only itself,
    // or no key came, it is lost and counted.
    s = Script(p);
    s.dead(0xDE, u"´").tap('E', 30, u"é").dead(0xDE, u"´").tap('X', 30, u"´x");
    s.dead(0xDE, u"´").tap('E', 30, u"e").dead(0xDE, u"´").click({9, 9}).dead(0xDE, u"`");
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|é´xe", "左ｸﾘｯｸ|9,9"}));
    EXPECT_EQ(leftOut, 3);
    EXPECT_FALSE(inputMethod);
}

TEST_F(StepTurnerTest, PressesFromBeforeTheStartAndButtonsHeldAtTheEnd) {
    // Releases whose presses came before the recording began.
    s.buttonUp(0, {1, 1}).up('K').up(VK_LCONTROL).type(u"a");
    // A button still down when the recording ends.
    s.buttonDown(0, {5, 5});
    EXPECT_EQ(rows(), (std::vector<std::string>{kActivate, "ｷｰ入力|a"}));
    EXPECT_EQ(leftOut, 1);
}

TEST(StepTurnerLayout, TheTableTakesTheLayoutsCharactersAndItsUnshiftedKeys) {
    headless::Platform p;
    auto t = recording::layoutCharacters([&](char16_t c) { return p.os.vkKeyScan(c); },
                                         [](uint32_t vk) -> uint32_t {
                                             if (vk == 0xE2) return u'\\';         // a second backslash key
                                             if (vk == 0xBA) return 0x80000000u | u'^';  // a dead key
                                             return vk == 0x41 ? u'A' : 0;
                                         });
    EXPECT_EQ(t.at(0x41), u'a');
    EXPECT_EQ(t.at(0x141), u'A');
    EXPECT_EQ(t.at(0x131), u'!');
    EXPECT_EQ(t.at(0xBA), u';');  // from the scan, not the dead key's answer
    EXPECT_EQ(t.at(0xE2), u'\\');
    EXPECT_EQ(recording::notationOf(0xE2, u"", 0, t), u"\\");
    EXPECT_EQ(recording::notationOf(0xE2, u"", 1, t), u"+\\");
    EXPECT_EQ(recording::notationOf(0xFF, u"", 0, t), u"");
}
