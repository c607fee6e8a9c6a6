// How the display follows a run: steps faster than a display frame are
// shown once a frame with the latest step's state, slower ones at every
// step as before, and the last step is always shown when the run stops
// (by the button, its limit or an error) or waits.
#include "playback/display_throttle.h"
#include "playback_fixture.h"

TEST(DisplayThrottle, ShowsEveryTickAtAFrameAndMoreAndOncePerFrameBelow) {
    DisplayThrottle t;
    t.begin(16);
    for (int64_t at : {0, 1, 2, 3, 40})
        EXPECT_TRUE(t.showNow(at)) << at;
    t.begin(15);
    EXPECT_TRUE(t.showNow(100));  // the first tick of a run
    EXPECT_FALSE(t.showNow(115));
    EXPECT_TRUE(t.showNow(116));
    EXPECT_FALSE(t.showNow(131));
    t.begin(1);  // a new run starts afresh
    EXPECT_TRUE(t.showNow(132));
}

TEST(DisplayThrottle, KeepsOnlyTheLatestStateUntilItIsTakenOrATickIsShown) {
    DisplayThrottle t;
    t.begin(1);
    EXPECT_TRUE(t.showNow(0));
    EXPECT_FALSE(t.take());
    t.keep({u"実行中 2", 2});
    t.keep({u"実行中 3", 3});
    auto kept = t.take();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->progress, u"実行中 3");
    EXPECT_EQ(kept->row, 3);
    EXPECT_FALSE(t.take());
    t.keep({u"実行中 4", 4});
    EXPECT_TRUE(t.showNow(20));  // a shown tick is newer than anything kept
    EXPECT_FALSE(t.take());
    t.keep({u"実行中 5", 5});
    t.begin(1);
    EXPECT_FALSE(t.take());
}

class RunDisplayTest : public PlaybackTest {
protected:
    // One picture of the screen: the status line and the first step shown.
    struct Picture {
        Str status;
        int32_t top = 0;
        size_t traceAt = 0;  // injected events before it
        friend bool operator==(const Picture& a, const Picture& b) { return a.status == b.status && a.top == b.top; }
    };
    std::vector<Picture> pictures;

    void SetUp() override {
        PlaybackTest::SetUp();
        p.toolkit.onRepaint = [this](tk::Form&) {
            pictures.push_back({status(), app->grid.scrollBar()->value(), p.trace.size()});
        };
    }
    // n rows of left clicks where the cursor stands; the grid can scroll
    // to every row.
    void clicks(int n) {
        rows(std::vector<std::pair<Str, Str>>(size_t(n), {u"左ｸﾘｯｸ", u""}));
        app->grid.scrollBar()->setRange(1, n);
    }
    bool shown(const Str& status, int32_t top) const {
        for (const auto& pic : pictures)
            if (pic == Picture{status, top}) return true;
        return false;
    }
    static Str progress(int row) { return u"実行中 " + toStr((long long)row); }
};

TEST_F(RunDisplayTest, StepsFasterThanAFrameAreShownOncePerFrameWithTheLatestStep) {
    clicks(40);
    interval(u"0.001");
    run();
    pictures.clear();
    p.advance(1);
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 1);
    EXPECT_TRUE(shown(progress(1), 1));
    const size_t afterFirst = pictures.size();
    // Fifteen steps within the frame: executed, not shown.
    p.advance(15);
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 16);
    EXPECT_EQ(pictures.size(), afterFirst);
    EXPECT_EQ(status(), progress(1));
    EXPECT_EQ(app->grid.scrollBar()->value(), 1);
    // A frame after the last picture the step of that moment is shown.
    p.advance(1);
    EXPECT_EQ(status(), progress(17));
    EXPECT_EQ(app->grid.scrollBar()->value(), 17);
    EXPECT_TRUE(shown(progress(17), 17));
    // Over a second every step runs and about sixty pictures are painted
    // (each shown step paints the status line and the window).
    pictures.clear();
    p.advance(1000);
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 1017);
    EXPECT_GE(pictures.size(), 2u * 60);
    EXPECT_LE(pictures.size(), 2u * 64);
}

TEST_F(RunDisplayTest, AtAFrameAndMoreEveryStepIsShownAsBefore) {
    for (const Str& each : {Str(u"0.016"), Str(u"0.5")}) {
        clicks(10);
        interval(each);
        run();
        const uint32_t ms = app->player.timer().interval();
        for (int row = 1; row <= 8; ++row) {
            pictures.clear();
            p.advance(ms);
            // The status line's repaint, then the window's.
            EXPECT_EQ(pictures, (std::vector<Picture>{{progress(row), row}, {progress(row), row}})) << row;
        }
        app->controls.startButton->press();
    }
    // Just below a frame the steps are shown every other tick.
    clicks(10);
    interval(u"0.015");
    run();
    pictures.clear();
    p.advance(15 * 6);
    EXPECT_TRUE(shown(progress(1), 1));
    EXPECT_FALSE(shown(progress(2), 2));
    EXPECT_TRUE(shown(progress(3), 3));
    EXPECT_FALSE(shown(progress(4), 4));
    EXPECT_TRUE(shown(progress(5), 5));
}

TEST_F(RunDisplayTest, TheLastStepIsShownWhenTheButtonStopsTheRun) {
    clicks(40);
    interval(u"0.001");
    run();
    p.advance(5);
    ASSERT_EQ(status(), progress(1));  // steps 2 to 5 are not shown yet
    pictures.clear();
    app->controls.startButton->press();
    EXPECT_TRUE(shown(progress(5), 5));
    EXPECT_EQ(status(), u"待機中");
    EXPECT_EQ(app->grid.scrollBar()->value(), 5);
}

TEST_F(RunDisplayTest, TheLastStepIsShownWhenAStopKeyPauseOrTheTargetWindowEndsTheRun) {
    const os::WindowHandle target = p.addWindow(u"Untitled - Notepad", u"Notepad");
    app->document.settings.targetWindowSearch = u"Notepad";
    app->hotKeys.setStopKeys({0, VK_F12});
    for (int how = 0; how < 3; ++how) {
        clicks(40);
        interval(u"0.001");
        run();
        ASSERT_TRUE(running()) << how;
        p.advance(5);
        ASSERT_EQ(status(), progress(1)) << how;
        pictures.clear();
        if (how == 0) p.tap(VK_F12);
        if (how == 1) p.tap(VK_PAUSE);
        if (how == 2) p.window(target)->title = u"Closed";
        p.advance(1);  // the tick that stops, before its step
        EXPECT_FALSE(running()) << how;
        EXPECT_TRUE(shown(progress(5), 5)) << how;
        EXPECT_EQ(status(), u"待機中") << how;
        EXPECT_EQ(app->grid.scrollBar()->value(), 5) << how;
        EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 5) << how;
    }
}

TEST_F(RunDisplayTest, TheLastStepIsShownWhenTheCountEndsTheRun) {
    clicks(5);
    app->grid.scrollBar()->setRange(1, 10);
    interval(u"0.001");
    app->document.settings.stopTimerEnabled = true;
    app->document.settings.timerHours = -1;
    app->document.settings.timerMinutes = 1;
    run();
    pictures.clear();
    p.advance(10);
    EXPECT_FALSE(running());
    EXPECT_EQ(countEvent("mouse_event(2,0,0,0)"), 5);
    EXPECT_TRUE(shown(u"実行中 5　残り1回", 5));
    EXPECT_EQ(status(), u"待機中");
    EXPECT_EQ(app->grid.scrollBar()->value(), 5);
}

TEST_F(RunDisplayTest, TheFailingStepIsShownUnderItsError) {
    p.startFailures.insert(u"missing.exe");
    rows({{u"左ｸﾘｯｸ", u""}, {u"左ｸﾘｯｸ", u""}, {u"左ｸﾘｯｸ", u""}, {u"EXE実行", u"missing.exe"}, {u"左ｸﾘｯｸ", u""}});
    app->grid.scrollBar()->setRange(1, 5);
    interval(u"0.001");
    run();
    pictures.clear();
    p.advance(10);
    EXPECT_FALSE(running());
    EXPECT_TRUE(shown(progress(4), 4));
    EXPECT_EQ(status(), u"[tim_Timer_Timer]" + err::describeNumber(err::FileNotFound) + u" ステップ：EXE実行");
    EXPECT_EQ(app->grid.scrollBar()->value(), 4);
}

TEST_F(RunDisplayTest, TheStepThatWaitsIsShownBeforeItWaits) {
    rows({{u"左ｸﾘｯｸ", u""}, {u"ｷｰ入力", u"VK_A(300)"}, {u"左ｸﾘｯｸ", u""}, {u"待機", u"2"}, {u"左ｸﾘｯｸ", u""}});
    app->grid.scrollBar()->setRange(1, 10);
    interval(u"0.001");
    run();
    pictures.clear();
    // Row 2 comes within the frame of row 1, and holds its key 300 ms: it
    // is on the screen before the hold.
    p.advance(2);
    size_t hold = 0;
    while (hold < p.trace.size() && p.trace[hold] != "Sleep(50)") ++hold;  // the hold's first slice
    ASSERT_LT(hold, p.trace.size());
    bool before = false;
    for (const auto& pic : pictures) before = before || (pic == Picture{progress(2), 2} && pic.traceAt <= hold);
    EXPECT_TRUE(before);
    // Row 3 is shown (a frame has passed), row 4 waits within its frame:
    // the wait shows row 4 throughout.
    std::vector<Picture> inWait;
    p.onDoEvents = [&] { inWait.push_back({status(), app->grid.scrollBar()->value()}); };
    p.advance(2);
    p.onDoEvents = nullptr;
    EXPECT_EQ(inWait, (std::vector<Picture>{{progress(4), 4}, {progress(4), 4}}));
}
