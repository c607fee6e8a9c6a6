// The step executor on the virtual clock: timing, stop conditions, every
// action family, the advance with passes, waits and the error exit.
#include "playback/progress.h"
#include "playback_fixture.h"

using Rows = std::vector<std::pair<Str, Str>>;
using Lines = std::vector<std::string>;

namespace {
const std::string kLeftClick[] = {"mouse_event(2,0,0,0)", "mouse_event(4,0,0,0)"};
}

class ExecutorTest : public PlaybackTest {};

// ---------------------------------------------------------------------------
// Timing

TEST_F(ExecutorTest, ShortIntervalRunsOneStepPerTickFromTheFirstTick) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    ASSERT_TRUE(running());
    EXPECT_EQ(app->player.timer().interval(), 1000u);
    EXPECT_FALSE(app->player.state().longInterval);
    p.advance(999);
    EXPECT_EQ(countEvent(kLeftClick[0]), 0);
    p.advance(1);
    EXPECT_EQ(countEvent(kLeftClick[0]), 1);
    p.advance(3000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 4);

    // Sub-second intervals are the timer interval itself.
    app->controls.startButton->press();
    interval(u"0.002");
    run();
    EXPECT_EQ(app->player.timer().interval(), 2u);
    p.advance(1000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 500);
}

TEST_F(ExecutorTest, LongIntervalsCountSecondsOnAOneSecondTimer) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1.5");
    run();
    EXPECT_EQ(app->player.timer().interval(), 1000u);
    EXPECT_TRUE(app->player.state().longInterval);
    // Steps at 1 s (first tick), 3 s, 5 s: every second tick.
    p.advance(1000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 1);
    p.advance(1000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 1);
    p.advance(1000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 2);
    p.advance(2000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 3);
    app->controls.startButton->press();

    // "2" minutes: the first tick, then every 120th.
    interval(u"2", u"分");
    run();
    p.advance(1000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 1);
    p.advance(119999);
    EXPECT_EQ(countEvent(kLeftClick[0]), 1);
    p.advance(1);
    EXPECT_EQ(countEvent(kLeftClick[0]), 2);
    p.advance(120000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 3);
}

// ---------------------------------------------------------------------------
// Advance, passes and the stop limit

TEST_F(ExecutorTest, CountModeRunsTheRowsTwiceShowingThePassesLeft) {
    rows({{u"ｷｰ入力", u"VK_A"}, {u"ｷｰ入力", u"VK_B"}, {u"ｷｰ入力", u"VK_C"}});
    interval(u"0.1");
    app->document.settings.stopTimerEnabled = true;
    app->document.settings.timerHours = -1;
    app->document.settings.timerMinutes = 2;
    run();
    std::vector<Str> statuses;
    for (int i = 0; i < 6; ++i) {
        p.advance(100);
        statuses.push_back(status());
    }
    EXPECT_EQ(statuses, (std::vector<Str>{u"実行中 1　残り2回", u"実行中 2　残り2回", u"実行中 3　残り2回",
                                          u"実行中 1　残り1回", u"実行中 2　残り1回", u"実行中 3　残り1回"}));
    Lines downs;
    for (auto& l : events())
        if (l.rfind("keybd_event", 0) == 0 && l.find(",0,0)") != std::string::npos) downs.push_back(l);
    EXPECT_EQ(downs, (Lines{"keybd_event(65,30,0,0)", "keybd_event(66,48,0,0)", "keybd_event(67,46,0,0)",
                            "keybd_event(65,30,0,0)", "keybd_event(66,48,0,0)", "keybd_event(67,46,0,0)"}));
    ASSERT_TRUE(running());
    EXPECT_EQ(app->player.state().passesLeft, 0);
    const size_t before = events().size();
    p.advance(100);  // the seventh tick stops
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"待機中");
    EXPECT_EQ(events().size(), before);
    EXPECT_TRUE(p.exitRequests.empty());
}

TEST_F(ExecutorTest, CountModeWithPowerOffSavesAndRequestsPowerOffButStaysOpen) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    app->document.settings.stopTimerEnabled = true;
    app->document.settings.timerHours = -1;
    app->document.settings.timerMinutes = 1;
    app->document.settings.powerOff = true;
    run();
    p.advance(1000);
    EXPECT_EQ(status(), u"実行中 1　残り1回(電源Off有効)");
    p.files.erase(p.resolve(u"TOVIRAK.TVK"));
    EXPECT_NO_THROW(p.advance(1000));
    EXPECT_FALSE(running());
    EXPECT_NE(p.file(u"TOVIRAK.TVK"), nullptr);
    EXPECT_EQ(p.exitRequests, (std::vector<uint32_t>{12}));
}

TEST_F(ExecutorTest, WithoutALimitPassesGoOnAndTheCountStaysMinusOne) {
    rows({{u"左ｸﾘｯｸ", u""}, {u"右ｸﾘｯｸ", u""}});
    interval(u"0.01");
    run();
    p.advance(10 * 1001);
    EXPECT_TRUE(running());
    EXPECT_EQ(app->player.state().passesLeft, -1);
    EXPECT_EQ(countEvent("mouse_event(8,0,0,0)"), 500);
    EXPECT_EQ(status(), u"実行中 1");
}

TEST_F(ExecutorTest, TimeLimitStopsAtTheFirstTickAtOrAfterTheStopTime) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    app->document.settings.stopTimerEnabled = true;
    app->document.settings.timerHours = 0;
    app->document.settings.timerMinutes = 1;
    run();
    p.advance(1000);
    EXPECT_EQ(status(), u"実行中 1　残り59");
    p.advance(58000);
    EXPECT_EQ(status(), u"実行中 1　残り1");
    EXPECT_TRUE(running());
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"待機中");
    EXPECT_EQ(countEvent(kLeftClick[0]), 59);
    EXPECT_TRUE(p.exitRequests.empty());
}

TEST_F(ExecutorTest, TimeLimitWithPowerOffSavesRequestsPowerOffAndEnds) {
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    app->document.settings.stopTimerEnabled = true;
    app->document.settings.timerHours = 0;
    app->document.settings.timerMinutes = 1;
    app->document.settings.powerOff = true;
    run();
    p.advance(1000);
    EXPECT_EQ(status(), u"実行中 1　残り59(電源Off有効)");
    p.advance(58000);
    p.files.erase(p.resolve(u"TOVIRAK.TVK"));
    EXPECT_THROW(p.advance(1000), headless::ProcessEnded);
    EXPECT_NE(p.file(u"TOVIRAK.TVK"), nullptr);
    EXPECT_EQ(p.exitRequests, (std::vector<uint32_t>{12}));
    EXPECT_EQ(p.trace.back(), "End");
}

TEST(ProgressText, FormsOfTheRemainingTime) {
    ProgressInput in;
    in.runRow = 3;
    EXPECT_EQ(progressText(in), u"実行中 3");
    in.stopTimerEnabled = true;
    EXPECT_EQ(progressText(in), u"実行中 3");  // 0 h 0 min: no limit
    in.timerHH = -1;
    in.timerMM = 10;
    in.restCount = 10;
    EXPECT_EQ(progressText(in), u"実行中 3　残り10回");
    in.powerOff = true;
    EXPECT_EQ(progressText(in), u"実行中 3　残り10回(電源Off有効)");
    in.powerOff = false;

    in.timerHH = 2;
    in.timerMM = 0;
    in.now = DateTime{2026, 12, 31, 23, 0, 0};
    auto left = [&](long long s) {
        in.stopTime = in.now.addSeconds(s);
        return progressText(in);
    };
    EXPECT_EQ(left(3600 + 5 * 60 + 3), u"実行中 3　残り1:05:03");
    EXPECT_EQ(left(5 * 60 + 3), u"実行中 3　残り5:03");
    EXPECT_EQ(left(10 * 60), u"実行中 3　残り10:00");
    EXPECT_EQ(left(7), u"実行中 3　残り7");
    EXPECT_EQ(left(0), u"実行中 3　残り0");
    EXPECT_EQ(left(3600), u"実行中 3　残り1:00:00");
    EXPECT_EQ(left(25 * 3600 + 1), u"実行中 3　残り25:00:01");  // across midnight
    in.powerOff = true;
    EXPECT_EQ(left(59), u"実行中 3　残り59(電源Off有効)");

    // Power-off alone, without a limit in force, is not mentioned.
    in.stopTimerEnabled = false;
    EXPECT_EQ(progressText(in), u"実行中 3");
    // A time limit without its stop time cannot be shown.
    in.stopTimerEnabled = true;
    in.stopTime.reset();
    EXPECT_THROW(progressText(in), RtError);
}

// ---------------------------------------------------------------------------
// Stop conditions before the step

TEST_F(ExecutorTest, PauseOrAnyStopKeyStopsAtTheNextTickWithoutAStep) {
    app->hotKeys.setStopKeys({0, VK_F11, VK_F12});
    rows({{u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    for (int key : {VK_PAUSE, VK_F11, VK_F12}) {
        run();
        p.advance(1000);
        ASSERT_EQ(countEvent(kLeftClick[0]), 1);
        p.tap(key);  // pressed and released between two ticks still counts
        p.advance(1000);
        EXPECT_FALSE(running()) << key;
        EXPECT_EQ(status(), u"待機中");
        EXPECT_EQ(countEvent(kLeftClick[0]), 1) << key;
        EXPECT_EQ(app->controls.startButton->text(), u"実行");
    }
}

TEST_F(ExecutorTest, VanishedTargetWindowStopsTheRun) {
    auto h = p.addWindow(u"Untitled - Notepad", u"Notepad");
    app->document.settings.targetWindowSearch = u"Notepad";
    rows({{u"ｷｰ入力_真", u"VK_A"}});
    interval(u"1");
    run();
    ASSERT_TRUE(running());
    EXPECT_EQ(app->player.state().targetTitle, u"Untitled - Notepad");
    p.advance(1000);
    EXPECT_EQ(app->player.state().targetWindow, h);
    EXPECT_EQ(countEvent("SendMessage(" + std::to_string(h) + ",646,65,0x1E0001)"), 1);
    p.removeWindow(h);
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"待機中");
}

TEST_F(ExecutorTest, WindowChecksHoldTheRowUntilTheyPass) {
    rows({{u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"Report"}, {u"ｳｨﾝﾄﾞｳ不在ﾁｪｯｸ", u"Report"}, {u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    p.advance(5000);
    EXPECT_EQ(app->player.state().row, 1);
    EXPECT_EQ(status(), u"実行中 1 「Report」を待っています (4秒)");
    auto h = p.addWindow(u"Monthly Report", u"Doc");
    p.advance(1000);
    EXPECT_EQ(app->player.state().row, 2);
    p.advance(3000);
    EXPECT_EQ(app->player.state().row, 2);
    EXPECT_EQ(status(), u"実行中 2 「Report」が閉じるのを待っています (2秒)");
    p.removeWindow(h);
    p.advance(2000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 1);
    EXPECT_EQ(app->player.state().row, 1);
}

// ---------------------------------------------------------------------------
// Mouse actions

TEST_F(ExecutorTest, ModifierClicksDoubleClicksAndTheMinusOnePoint) {
    rows({{u"ｼﾌﾄ左ｸﾘｯｸ", u"100,200"},
          {u"Ctrl右ｸﾘｯｸ", u"-1,-1"},
          {u"Alt中ｸﾘｯｸ", u""},
          {u"左Wｸﾘｯｸ", u"-1,5"},
          {u"ﾏｳｽｶｰｿﾙ移動", u"1919,1079"}});
    interval(u"1");
    run();
    p.advance(1000);
    // Over the desktop of 1920 x 1080: ⌈100 × 65536 ÷ 1920⌉, ⌈200 × 65536 ÷ 1080⌉.
    EXPECT_EQ(events(true), (Lines{"keybd_event(16,42,0,0)", "SetCursorPos(100,200)", "mouse_event(49153,3414,12137,0)",
                                   "mouse_event(2,0,0,0)", "mouse_event(4,0,0,0)", "keybd_event(16,42,2,0)"}));
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"keybd_event(17,29,0,0)", "mouse_event(8,0,0,0)", "mouse_event(16,0,0,0)",
                                   "keybd_event(17,29,2,0)"}));
    p.advance(1000);  // an empty command text is "-1","-1" after the checks
    EXPECT_EQ(events(true), (Lines{"keybd_event(18,56,0,0)", "mouse_event(32,0,0,0)", "mouse_event(64,0,0,0)",
                                   "keybd_event(18,56,2,0)"}));
    p.advance(1000);  // -1 with another Y is a point, here left of the desktop: its edge
    EXPECT_EQ(events(true), (Lines{"SetCursorPos(-1,5)", "mouse_event(49153,0,304,0)", "mouse_event(2,0,0,0)",
                                   "mouse_event(4,0,0,0)", "mouse_event(2,0,0,0)", "mouse_event(4,0,0,0)"}));
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"SetCursorPos(1919,1079)", "mouse_event(49153,65502,65476,0)"}));
    EXPECT_EQ(p.cursor, (os::Point{1919, 1079}));
    EXPECT_EQ(app->player.state().heldButtons, 0u);
}

TEST_F(ExecutorTest, DragHoldsTheButtonAcrossRowsUntilAClickOrTheStop) {
    rows({{u"左ﾄﾞﾗｯｸﾞ", u"10,20"}, {u"ﾏｳｽｶｰｿﾙ移動", u"30,40"}, {u"左ｸﾘｯｸ", u"50,60"}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_EQ(app->player.state().heldButtons, 4u);
    p.advance(2000);
    EXPECT_EQ(app->player.state().heldButtons, 0u);
    Lines seq;
    for (auto& l : events())
        if (l.rfind("SetCursorPos", 0) == 0 || l == "mouse_event(2,0,0,0)" || l == "mouse_event(4,0,0,0)") seq.push_back(l);
    // The click ends the drag at its point: a release, with no second press
    // that would collapse what the drag selected.
    EXPECT_EQ(seq, (Lines{"SetCursorPos(10,20)", "mouse_event(2,0,0,0)", "SetCursorPos(30,40)", "SetCursorPos(50,60)",
                          "mouse_event(4,0,0,0)"}));

    // Stopping while the drag holds the button releases it once.
    p.advance(1000);
    EXPECT_EQ(app->player.state().heldButtons, 4u);
    events(true);
    app->controls.startButton->press();
    EXPECT_EQ(events(), (Lines{"mouse_event(4,0,0,0)"}));
    EXPECT_EQ(app->player.state().heldButtons, 0u);
}

TEST_F(ExecutorTest, ADoubleClickAfterADragReleasesThereAndClicksOnce) {
    rows({{u"右ﾄﾞﾗｯｸﾞ", u"10,20"}, {u"ｼﾌﾄ右Wｸﾘｯｸ", u"50,60"}, {u"右Wｸﾘｯｸ", u"70,80"}});
    interval(u"1");
    run();
    p.advance(1000);
    events(true);
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"keybd_event(16,42,0,0)", "SetCursorPos(50,60)", "mouse_event(49153,1707,3641,0)",
                                   "mouse_event(16,0,0,0)", "mouse_event(8,0,0,0)", "mouse_event(16,0,0,0)",
                                   "keybd_event(16,42,2,0)"}));
    EXPECT_EQ(app->player.state().heldButtons, 0u);
    // Nothing held: a double click is two clicks as ever.
    p.advance(1000);
    EXPECT_EQ(countEvent("mouse_event(8,0,0,0)"), 2);
}

TEST_F(ExecutorTest, AClickOfAnotherButtonKeepsTheHeldDragRemembered) {
    rows({{u"右ﾄﾞﾗｯｸﾞ", u""}, {u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    p.advance(2000);
    EXPECT_EQ(app->player.state().heldButtons, 16u);
    events(true);
    app->controls.startButton->press();
    EXPECT_EQ(events(), (Lines{"mouse_event(16,0,0,0)"}));
}

TEST_F(ExecutorTest, CoordinateOverflowEndsInTheErrorExitReleasingTheModifier) {
    rows({{u"ｼﾌﾄ左ｸﾘｯｸ", u"10,99999999999"}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"[tim_Timer_Timer]" + err::describeNumber(err::Overflow) + u" ステップ：ｼﾌﾄ左ｸﾘｯｸ");
    EXPECT_EQ(events(), (Lines{"keybd_event(16,42,0,0)", "keybd_event(16,42,2,0)"}));
    EXPECT_EQ(app->controls.startButton->text(), u"実行");
}

TEST_F(ExecutorTest, PointsOffTheDesktopGoToItsNearestEdge) {
    // Any 32-bit point is sent; the move stays inside the desktop, where
    // the system puts the cursor for SetCursorPos too.
    rows({{u"ﾏｳｽｶｰｿﾙ移動", u"40000,-2147483648"}, {u"ﾏｳｽｶｰｿﾙ移動", u"-2147483648,2147483647"}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"SetCursorPos(40000,-2147483648)", "mouse_event(49153,65502,0,0)"}));
    EXPECT_EQ(p.cursor, (os::Point{1919, 0}));
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"SetCursorPos(-2147483648,2147483647)", "mouse_event(49153,0,65476,0)"}));
    EXPECT_EQ(p.cursor, (os::Point{0, 1079}));
    EXPECT_TRUE(running());
}

// ---------------------------------------------------------------------------
// Key input

TEST_F(ExecutorTest, KeyListsByKeybdEventWithModifiersAndHolds) {
    rows({{u"ｷｰ入力", u"^VK_C"}, {u"ﾊﾟｽﾜｰﾄﾞ入力", u"VK_A(500),+%VK_B"}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"keybd_event(17,29,0,0)", "keybd_event(67,46,0,0)", "keybd_event(67,46,2,0)",
                                   "keybd_event(17,29,2,0)"}));
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"keybd_event(65,30,0,0)", "Sleep(500)", "keybd_event(65,30,2,0)",
                                   "keybd_event(16,42,0,0)", "keybd_event(18,56,0,0)", "keybd_event(66,48,0,0)",
                                   "keybd_event(66,48,2,0)", "keybd_event(18,56,2,0)", "keybd_event(16,42,2,0)"}));
}

TEST_F(ExecutorTest, KeyListsBySendInputAndByMessagesToTheTarget) {
    auto h = p.addWindow(u"Game", u"GameClass");
    app->document.settings.targetWindowSearch = u"Game";
    // The modifier marks may stand anywhere in an item, after the name too.
    rows({{u"ｷｰ入力_改", u"VK_B+(20)"}, {u"ｷｰ入力_真", u"VK_A^,VK_RETURN"}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"SendInput(16,42,0)", "SendInput(66,48,0)", "Sleep(20)", "SendInput(66,48,2)",
                                   "SendInput(16,42,2)"}));
    p.advance(1000);
    const std::string hs = std::to_string(h);
    EXPECT_EQ(events(true), (Lines{"SendMessage(" + hs + ",260,17,0x1D0001)", "SendMessage(" + hs + ",646,65,0x1E0001)",
                                   "SendMessage(" + hs + ",261,17,0xC01D0001)", "SendMessage(" + hs + ",260,13,0x1C0001)",
                                   "SendMessage(" + hs + ",261,13,0xC01C0001)"}));
}

TEST_F(ExecutorTest, ShiftedHeldKeyGoesAsTheKeyboardWouldSendIt) {
    // Shift down, A down, 300 ms, A up, Shift up: one record per SendInput
    // call, each with the key's scan code and no extended flag; by messages
    // an upper-case A between Shift's press and release.
    auto h = p.addWindow(u"Game", u"GameClass");
    app->document.settings.targetWindowSearch = u"Game";
    rows({{u"ｷｰ入力_改", u"+VK_A(300)"}, {u"ｷｰ入力_真", u"+VK_A"}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"SendInput(16,42,0)", "SendInput(65,30,0)", "Sleep(300)", "SendInput(65,30,2)",
                                   "SendInput(16,42,2)"}));
    p.advance(1000);
    const std::string hs = std::to_string(h);
    EXPECT_EQ(events(true), (Lines{"SendMessage(" + hs + ",260,16,0x2A0001)", "SendMessage(" + hs + ",646,65,0x1E0001)",
                                   "SendMessage(" + hs + ",261,16,0xC02A0001)"}));
}

TEST_F(ExecutorTest, TextWithoutTheVkPrefixGoesToTheKeystrokeSender) {
    // "vk_" in lower case is keystroke text, not a key list; so is a "VK_"
    // that is not at the start.
    rows({{u"ｷｰ入力", u"^vk_a(500)"}, {u"ｷｰ入力", u"ab{ENTER}VK_A(500)"}});
    interval(u"1");
    run();
    p.advance(2000);
    Lines ev = events();
    EXPECT_EQ(std::count(ev.begin(), ev.end(), "Sleep(500)"), 0);
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].rfind("SendInput(", 0), 0u);
    EXPECT_NE(ev[1].find("13,28,0"), std::string::npos);  // Enter in the batch
    EXPECT_TRUE(running());

    // A refused text stops the run after the sender's own message.
    p.blockInput = true;
    const size_t shown = p.shown.size();
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"待機中");
    EXPECT_EQ(p.shown.size(), shown + 1);
}

TEST_F(ExecutorTest, UnsupportedKeyStopsTheRunAndSendsNothing) {
    rows({{u"ｷｰ入力", u"^VK_A,VK_LWIN"}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_FALSE(running());
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"「VK_LWIN」は、サポートされていないキーです。");
    EXPECT_TRUE(events().empty());
}

// ---------------------------------------------------------------------------
// Waits

TEST_F(ExecutorTest, WaitRunsInOneSecondSlicesAndTheNextStepComesAnIntervalLater) {
    rows({{u"待機", u"3"}, {u"左ｸﾘｯｸ", u""}, {u"待機", u"1.5"}});
    interval(u"1");
    run();
    int slices = 0;
    p.onDoEvents = [&] {
        ++slices;
        EXPECT_FALSE(app->player.timer().enabled());  // no tick inside the wait
    };
    p.advance(1000);
    EXPECT_EQ(slices, 3);
    EXPECT_EQ(p.nowMs, 4000);
    EXPECT_TRUE(app->player.timer().enabled());
    p.advance(999);
    EXPECT_EQ(countEvent(kLeftClick[0]), 0);
    p.advance(1);
    EXPECT_EQ(countEvent(kLeftClick[0]), 1);
    p.advance(1000);  // 1.5 s waits two slices
    EXPECT_EQ(slices, 5);
    EXPECT_EQ(countEvent("Sleep(1000)"), 5);
    EXPECT_TRUE(running());
}

TEST_F(ExecutorTest, PauseDuringAWaitStopsTheRun) {
    rows({{u"待機", u"10"}, {u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    int slices = 0;
    p.onDoEvents = [&] {
        if (++slices == 2) p.tap(VK_PAUSE);
    };
    p.advance(1000);
    EXPECT_EQ(slices, 2);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"待機中");
    p.advance(20000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 0);
}

TEST_F(ExecutorTest, StopButtonDuringAWaitEndsItAtTheNextSlice) {
    rows({{u"待機", u"10"}, {u"左ｸﾘｯｸ", u""}});
    interval(u"1");
    run();
    int slices = 0;
    p.onDoEvents = [&] {
        if (++slices == 1) app->controls.startButton->press();
    };
    p.advance(1000);
    EXPECT_EQ(slices, 1);
    EXPECT_FALSE(running());
    EXPECT_EQ(app->player.state().row, 0);  // not advanced after the stop
    EXPECT_EQ(status(), u"待機中");
    EXPECT_FALSE(p.timerRunning("tim_Timer"));
    p.advance(20000);
    EXPECT_EQ(countEvent(kLeftClick[0]), 0);
}

TEST_F(ExecutorTest, StopAndNewStartDuringAWaitBeginTheNewRunAtRowOneOncePerTick) {
    rows({{u"待機", u"2"}, {u"EXE実行", u"x"}, {u"EXE実行", u"y"}});
    interval(u"1");
    run();
    int slices = 0;
    int deepest = 0, depth = 0;
    p.onDoEvents = [&] {
        deepest = std::max(deepest, ++depth);
        if (++slices == 1) {
            // Both clicks of a double click on the start/stop button,
            // then time passes in the same message processing, so the new
            // run's first tick is due before the old wait has returned.
            app->controls.startButton->press();
            app->controls.startButton->press();
            p.nowMs += 1500;
        }
        --depth;
    };
    p.advance(1000);  // the old tick's wait, with the restart inside it
    EXPECT_TRUE(running());
    EXPECT_EQ(app->player.state().row, 1);
    EXPECT_TRUE(p.started.empty());
    EXPECT_EQ(deepest, 1);  // no tick ran inside the old one's wait
    p.advance(1000);  // the new run's first tick: its wait, 2 slices
    EXPECT_EQ(app->player.state().row, 2);
    EXPECT_TRUE(p.started.empty());
    p.advance(1000);
    EXPECT_EQ(p.started, (std::vector<Str>{u"x"}));
    EXPECT_EQ(app->player.state().row, 3);
    p.advance(1000);
    EXPECT_EQ(p.started, (std::vector<Str>{u"x", u"y"}));
    EXPECT_EQ(app->player.state().row, 1);
    EXPECT_EQ(deepest, 1);
}

TEST_F(ExecutorTest, OversizedWaitEndsInTheErrorExit) {
    // 2147484 s is more milliseconds than 32 bits hold.
    rows({{u"待機", u"2147484"}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_FALSE(running());
    const Str expected = u"[tim_Timer_Timer]" + err::describeNumber(err::Overflow) + u" ステップ：待機";
    EXPECT_EQ(status(), expected);
    EXPECT_NE(fileBytes(p.progDir + u"\\TOVIRAK_ERROR.LOG").find(toCp932(expected)), std::string::npos);
    EXPECT_EQ(countEvent("Sleep(1000)"), 0);
}

// ---------------------------------------------------------------------------
// Programs, sounds, the end step and the error exit

TEST_F(ExecutorTest, ProgramSoundAndWindowActivation) {
    auto h = p.addWindow(u"Calc Window", u"Calc");
    p.addWindow(u"Other", u"X");
    rows({{u"EXE実行", u"notepad.exe a.txt"}, {u"PlaySound", u"C:\\ding.wav"}, {u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"Calc"},
          {u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"Nowhere"}, {u"左ｸﾘｯｸ", u""}});
    p.putFile(u"C:\\ding.wav", "RIFF");
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_EQ(p.started, (std::vector<Str>{u"notepad.exe a.txt"}));
    EXPECT_EQ(countEvent("Shell(notepad.exe a.txt,1)"), 1);
    p.advance(1000);
    EXPECT_NE(p.traceText().find("PlaySound(C:\\ding.wav"), std::string::npos);
    p.advance(1000);
    EXPECT_EQ(p.foreground, h);
    p.advance(1000);  // no such window: the run goes on
    EXPECT_TRUE(running());
    EXPECT_EQ(app->player.state().row, 5);
}

TEST_F(ExecutorTest, FailingStepLeavesTheErrorOnTheStatusLine) {
    p.startFailures.insert(u"missing.exe");
    rows({{u"EXE実行", u"missing.exe"}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"[tim_Timer_Timer]" + err::describeNumber(err::FileNotFound) + u" ステップ：EXE実行");
    EXPECT_EQ(app->controls.startButton->text(), u"実行");
    EXPECT_TRUE(p.timerRunning("tim_Start"));
}

TEST_F(ExecutorTest, EndStepSavesAndEndsWithOrWithoutPowerOff) {
    rows({{u"左ｸﾘｯｸ", u""}, {u"終了", u""}});
    interval(u"1");
    run();
    p.advance(1000);
    p.files.erase(p.resolve(u"TOVIRAK.TVK"));
    EXPECT_THROW(p.advance(1000), headless::ProcessEnded);
    EXPECT_NE(p.file(u"TOVIRAK.TVK"), nullptr);
    EXPECT_TRUE(p.exitRequests.empty());

    // Again with power-off on: the request comes before the end.
    app->document.settings.powerOff = true;
    app->player.stop(false);
    run();
    p.advance(1000);
    EXPECT_THROW(p.advance(1000), headless::ProcessEnded);
    EXPECT_EQ(p.exitRequests, (std::vector<uint32_t>{12}));
}

TEST_F(ExecutorTest, EndStepReleasesAButtonAnEarlierDragHolds) {
    rows({{u"右ﾄﾞﾗｯｸﾞ", u"10,20"}, {u"終了", u""}});
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_EQ(app->player.state().heldButtons, 16u);
    events(true);
    EXPECT_THROW(p.advance(1000), headless::ProcessEnded);
    EXPECT_EQ(events(), (Lines{"mouse_event(16,0,0,0)"}));
    EXPECT_EQ(app->player.state().heldButtons, 0u);
    // Released before the end: the button is up when the save is written.
    const std::string t = p.traceText();
    EXPECT_LT(t.find("mouse_event(16,0,0,0)"), t.find("Replace(TOVIRAK.TVK.tmp~,TOVIRAK.TVK)"));
}

TEST_F(ExecutorTest, CurrentRowScrollsTheGridWhenItCan) {
    std::vector<std::pair<Str, Str>> many(12, {u"左ｸﾘｯｸ", u""});
    rows(many);
    app->grid.scrollBar()->setRange(1, 10);
    interval(u"1");
    run();
    p.advance(1000);
    EXPECT_EQ(app->grid.scrollBar()->value(), 1);
    p.advance(4000);
    EXPECT_EQ(app->grid.scrollBar()->value(), 5);
    p.advance(5000);  // row 10 is past max - 1: the grid stays
    EXPECT_EQ(app->grid.scrollBar()->value(), 9);
    EXPECT_EQ(status(), u"実行中 10");
}
