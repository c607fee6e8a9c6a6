// Key lists that hold their keys: the hold waits in short slices in which
// the window paints and a stop is noticed, the held key repeats as a
// keyboard repeats it, and the keys a hold has down are let go first at
// every end of a run, in reverse order and by the route that pressed them.
#include "input/delivery.h"
#include "playback_fixture.h"

using Lines = std::vector<std::string>;

namespace {
constexpr int VK_LSHIFT = 0xA0, VK_A = 0x41;

// A key event that reached the programs, with the virtual clock's time.
struct Stroke {
    int64_t ms;
    int vk;
    bool up;
};
}  // namespace

class HoldTest : public PlaybackTest {
protected:
    void SetUp() override {
        PlaybackTest::SetUp();
        app->hotKeys.setStopKeys({0, VK_F12});
        p.os.addKeyObserver(
            [this](const os::RawKey& k) {
                if (k.injected) strokes.push_back({p.nowMs, k.vk, k.up});
                return false;
            },
            true);
    }
    // Calls f at every slice of message processing from at (virtual ms) on,
    // once.
    void at(int64_t ms, std::function<void()> f) {
        p.onDoEvents = [this, ms, f, done = false]() mutable {
            slices.push_back(p.nowMs);
            if (!done && p.nowMs >= ms) {
                done = true;
                f();
            }
        };
    }
    std::vector<Stroke> downs(int vk) const {
        std::vector<Stroke> out;
        for (auto& s : strokes)
            if (s.vk == vk && !s.up) out.push_back(s);
        return out;
    }
    // The key events from the first release on, as "vk up/down".
    Lines releases() const {
        Lines out;
        bool from = false;
        for (auto& s : strokes) {
            from = from || s.up;
            if (from) out.push_back(std::to_string(s.vk) + (s.up ? " up" : " down"));
        }
        return out;
    }
    std::vector<Stroke> strokes;
    std::vector<int64_t> slices;
};

TEST_F(HoldTest, AStopKeyEndsAHoldWithinASliceAndItsKeysGoUpInReverseBeforeTheWindowComesBack) {
    rows({{u"ｷｰ入力_改", u"^+VK_A(6000)"}, {u"ｷｰ入力_改", u"VK_B"}});
    interval(u"1");
    run();
    // The hold begins with the first tick, at 1 s; the stop key 2 s later.
    at(3000, [this] { p.tap(VK_F12); });
    p.advance(1000);
    p.onDoEvents = nullptr;
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"待機中");
    // A's repeats (from the delay on) run until the stop key is seen.
    ASSERT_FALSE(strokes.empty());
    const int64_t stopAt = strokes.back().ms;
    EXPECT_GE(stopAt, 3000);
    EXPECT_LE(stopAt, 3000 + StepExecutor::kHoldSliceMs);
    EXPECT_EQ(releases(), (Lines{"65 up", "162 up", "160 up"}));  // A, Ctrl, Shift (the hook names the left keys)
    EXPECT_TRUE(p.down.empty());
    // Up before the program came back to the front.
    const std::string trace = p.traceText();
    EXPECT_LT(trace.find("SendInput(16,42,2)"), trace.find("AppActivate("));
    EXPECT_TRUE(app->player.state().heldKeys.empty());
    // No slice was longer than 50 ms.
    for (size_t i = 1; i < slices.size(); ++i) EXPECT_LE(slices[i] - slices[i - 1], StepExecutor::kHoldSliceMs) << i;
}

TEST_F(HoldTest, PauseTheStopButtonTheSessionEndAndATriedRowEachLetGoOfTheHeldKeys) {
    struct Case {
        const char* name;
        std::function<void()> stop;
    };
    const Case cases[] = {
        {"Pause", [this] { p.tap(VK_PAUSE); }},
        {"stop button", [this] { app->controls.startButton->press(); }},
        {"session end", [this] { app->sessionEnd.query(0); }},
    };
    for (const Case& c : cases) {
        strokes.clear();
        rows({{u"ｷｰ入力", u"+VK_A(5000),VK_B"}});
        interval(u"1");
        run();
        const int64_t stopAt = p.nowMs + 1000 + 1234;
        at(stopAt, c.stop);
        p.advance(1000);
        p.onDoEvents = nullptr;
        EXPECT_FALSE(running()) << c.name;
        EXPECT_EQ(releases(), (Lines{"65 up", "160 up"})) << c.name;  // B never pressed
        EXPECT_LE(strokes.back().ms, stopAt + StepExecutor::kHoldSliceMs) << c.name;
        EXPECT_TRUE(p.down.empty()) << c.name;
    }

    // A tried row: the stop key ends its hold, its keys go up before the
    // program takes the front back.
    const os::WindowHandle np = p.addWindow(u"Untitled - Notepad", u"Notepad");
    p.activate(np);
    p.activate(app->form->nativeHandle());
    rows({{u"ｷｰ入力_改", u"^VK_A(4000)"}});
    app->grid.redraw();
    app->grid.commandBox(1)->userFocus();
    strokes.clear();
    const size_t mark = p.trace.size();
    at(p.nowMs + 500, [this] { p.tap(VK_F12); });
    ASSERT_TRUE(app->form->userShortcut('T', tk::CtrlMask));
    p.onDoEvents = nullptr;
    EXPECT_EQ(releases(), (Lines{"65 up", "162 up"}));
    EXPECT_TRUE(p.down.empty());
    const std::string trace = p.traceText(mark);
    EXPECT_LT(trace.find("SendInput(17,29,2)"),
              trace.find("SetForegroundWindow(" + std::to_string(app->form->nativeHandle()) + ")"));
    EXPECT_EQ(status(), u"待機中");

    // The session end during a tried row's hold lets go of its keys, and
    // the hold presses none of them again.
    strokes.clear();
    at(p.nowMs + 1500, [this] { app->sessionEnd.query(0); });
    ASSERT_TRUE(app->form->userShortcut('T', tk::CtrlMask));
    p.onDoEvents = nullptr;
    EXPECT_EQ(releases(), (Lines{"65 up", "162 up"}));
    EXPECT_TRUE(p.down.empty());
}

TEST_F(HoldTest, TheHeldKeyRepeatsAfterTheKeyboardDelayAtTheKeyboardSpeed) {
    // The slowest keyboard: repeats 2.5 a second (400 ms apart) after 500 ms.
    p.inputSettings.keyRepeatDelayMs = 500;
    p.inputSettings.keyRepeatSpeed = 0;
    rows({{u"ｷｰ入力_改", u"+VK_A(1000)"}});
    interval(u"1");
    run();
    p.advance(1000);
    std::vector<int64_t> times;
    for (auto& s : downs(VK_A)) times.push_back(s.ms - 1000);
    EXPECT_EQ(times, (std::vector<int64_t>{0, 500, 900}));
    ASSERT_FALSE(strokes.empty());
    EXPECT_EQ(strokes.back().ms - 1000, 1000);  // then the one release of A, and Shift's
    EXPECT_EQ(downs(VK_LSHIFT).size(), 1u);
    EXPECT_EQ(releases(), (Lines{"65 up", "160 up"}));
    app->controls.startButton->press();

    // The fastest: about 30 a second after 250 ms, each on its deadline
    // from the press (33.3 ms apart), however the slices fall.
    strokes.clear();
    p.inputSettings.keyRepeatDelayMs = 250;
    p.inputSettings.keyRepeatSpeed = 31;
    EXPECT_EQ(keyRepeatPeriodUs(31), 33333);
    EXPECT_EQ(keyRepeatPeriodUs(0), 400000);
    run();
    const int64_t start = p.nowMs + 1000;
    p.advance(1000);
    const std::vector<Stroke> a = downs(VK_A);
    // 250 + k × 33.3 < 1000 for k = 0..22.
    ASSERT_EQ(a.size(), 1u + 23u);
    EXPECT_EQ(a[0].ms, start);
    for (size_t k = 1; k < a.size(); ++k) {
        const int64_t dueUs = (start + 250) * 1000 + int64_t(k - 1) * 33333;
        EXPECT_EQ(a[k].ms, (dueUs + 999) / 1000) << k;
    }
}

TEST_F(HoldTest, RepeatsByMessagesCarryThePreviousStateBit) {
    auto h = p.addWindow(u"Game", u"GameClass");
    app->document.settings.targetWindowSearch = u"Game";
    p.inputSettings.keyRepeatDelayMs = 250;
    p.inputSettings.keyRepeatSpeed = 0;  // 400 ms
    rows({{u"ｷｰ入力_真", u"VK_RETURN(700),VK_A(300)"}});
    interval(u"1");
    run();
    p.advance(1000);
    const std::string hs = std::to_string(h);
    Lines sent;
    for (auto& l : events())
        if (l.rfind("SendMessage", 0) == 0) sent.push_back(l);
    // Enter: down, repeats at 250 and 650 with bit 30 set, one up; A (a
    // character message) repeats the same way within its 300 ms.
    EXPECT_EQ(sent, (Lines{"SendMessage(" + hs + ",260,13,0x1C0001)", "SendMessage(" + hs + ",260,13,0x401C0001)",
                           "SendMessage(" + hs + ",260,13,0x401C0001)", "SendMessage(" + hs + ",261,13,0xC01C0001)",
                           "SendMessage(" + hs + ",646,65,0x1E0001)", "SendMessage(" + hs + ",646,65,0x401E0001)"}));
}

TEST_F(HoldTest, TheWindowIsServedThroughoutALongHold) {
    rows({{u"ｷｰ入力", u"VK_A(3000)"}});
    interval(u"1");
    run();
    at(0, [] {});
    p.advance(1000);
    p.onDoEvents = nullptr;
    // Messages are processed at least every 50 ms from the press to the release.
    ASSERT_FALSE(slices.empty());
    EXPECT_LE(slices.front() - 1000, StepExecutor::kHoldSliceMs);
    EXPECT_GE(slices.back(), 4000);
    for (size_t i = 1; i < slices.size(); ++i) EXPECT_LE(slices[i] - slices[i - 1], StepExecutor::kHoldSliceMs);
    EXPECT_TRUE(running());
    EXPECT_TRUE(p.down.empty());
}
