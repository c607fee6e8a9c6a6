// More than one monitor: mouse steps and the set button reach every pixel of
// the virtual desktop exactly, a window saved on another monitor comes back
// there, and the layout's row cap follows the monitor the window is on.
#include <cmath>
#include <cstdio>

#include "editor_fixture.h"
#include "input/mouse.h"
#include "playback_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// The primary monitor, one to its left (bottom edges level) and one above
// reaching past both sides: the virtual desktop runs from (-1280, -1440) to
// (2240, 1080), 3520 x 2520 pixels, with gaps that belong to no monitor.
const std::vector<os::Rect> kLeftAndAbove{{0, 0, 1920, 1080}, {-1280, 56, 0, 1080}, {-320, -1440, 2240, 0}};

bool onAMonitor(const std::vector<os::Rect>& monitors, os::Point pt) {
    for (auto& m : monitors)
        if (pt.x >= m.left && pt.x < m.right && pt.y >= m.top && pt.y < m.bottom) return true;
    return false;
}

// Where the system puts a normalised coordinate: origin + ⌊d × extent ÷ 65536⌋.
int32_t systemPixel(int64_t d, int32_t origin, int32_t extent) {
    return origin + int32_t(std::floor(double(d) * extent / 65536.0));
}

}  // namespace

class MonitorsTest : public PlaybackTest {
protected:
    void SetUp() override {
        p.monitors = kLeftAndAbove;
        PlaybackTest::SetUp();
    }
    // The normalised coordinates of the one absolute move in these events.
    static mouse::Normalised sentMove(const Lines& events) {
        mouse::Normalised n{-1, -1};
        int moves = 0;
        for (auto& l : events) {
            unsigned flags = 0;
            int dx = 0, dy = 0;
            if (std::sscanf(l.c_str(), "mouse_event(%u,%d,%d,", &flags, &dx, &dy) == 3 && flags == mouse::kAbsoluteMove) {
                n = {dx, dy};
                ++moves;
            }
        }
        return moves == 1 ? n : mouse::Normalised{-1, -1};
    }
};

TEST_F(MonitorsTest, MouseStepsReachEveryPixelOfARowAndAColumnExactly) {
    const os::Rect desk = p.virtualScreen();
    ASSERT_EQ(desk, (os::Rect{-1280, -1440, 2240, 1080}));
    // A row across the left and the primary monitor and the gap right of
    // it, and a column through the above and the primary monitor: one
    // "ﾏｳｽｶｰｿﾙ移動" step per pixel.
    std::vector<os::Point> points;
    for (int32_t x = desk.left; x < desk.right; ++x) points.push_back({x, 500});
    for (int32_t y = desk.top; y < desk.bottom; ++y) points.push_back({-10, y});
    std::vector<std::pair<Str, Str>> macro;
    for (auto& pt : points) macro.push_back({u"ﾏｳｽｶｰｿﾙ移動", toStr((long long)pt.x) + u"," + toStr((long long)pt.y)});
    rows(macro);
    interval(u"0.001");
    run();

    int wrong = 0, misplaced = 0;
    for (auto& pt : points) {
        p.cursor = {0, 0};
        p.advance(1);
        const mouse::Normalised n = sentMove(events(true));
        const bool exact = n.dx >= 0 && n.dx <= 65535 && n.dy >= 0 && n.dy <= 65535 &&
                           systemPixel(n.dx, desk.left, desk.width()) == pt.x &&
                           systemPixel(n.dy, desk.top, desk.height()) == pt.y;
        if (!exact && ++wrong <= 5) ADD_FAILURE() << pt.x << "," << pt.y << " sent as " << n.dx << "," << n.dy;
        // On a monitor the cursor ends exactly there.
        if (onAMonitor(kLeftAndAbove, pt) && !(p.cursor == pt) && ++misplaced <= 5)
            ADD_FAILURE() << pt.x << "," << pt.y << " put the cursor at " << p.cursor.x << "," << p.cursor.y;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(misplaced, 0);
    EXPECT_TRUE(running());
}

TEST_F(MonitorsTest, MinusOneMinusOneStillClicksWhereTheCursorStands) {
    // (-1, -1) lies on the monitor above, but the pair keeps its meaning;
    // its neighbours are reached.
    rows({{u"左ｸﾘｯｸ", u"-1,-1"}, {u"左ｸﾘｯｸ", u"-1,-2"}, {u"左ｸﾘｯｸ", u"-2,-1"}});
    interval(u"1");
    run();
    p.cursor = {700, 800};
    p.advance(1000);
    EXPECT_EQ(events(true), (Lines{"mouse_event(2,0,0,0)", "mouse_event(4,0,0,0)"}));
    EXPECT_EQ(p.cursor, (os::Point{700, 800}));
    p.advance(1000);
    EXPECT_EQ(p.cursor, (os::Point{-1, -2}));
    p.advance(1000);
    EXPECT_EQ(p.cursor, (os::Point{-2, -1}));
}

TEST_F(MonitorsTest, SetButtonMovesToAPointOnAnotherMonitor) {
    app->document.steps.at(1).action = u"左ｸﾘｯｸ";
    app->document.steps.at(1).command = u"-1280,1079";
    app->grid.redraw();
    app->grid.setButton(1)->press();
    EXPECT_EQ(p.cursor, (os::Point{-1280, 1079}));
    p.cursor = {-300, -1200};
    app->form->userMouseUp(1, 0, 0, 0);
    EXPECT_EQ(app->document.steps.at(1).command, u"-300,-1200");
    app->grid.setButton(1)->press();
    EXPECT_EQ(p.cursor, (os::Point{-300, -1200}));
}

// ---------------------------------------------------------------------------
// The window's place and the layout

class MonitorsWindowTest : public EditorTest {
protected:
    void SetUp() override {
        p.monitors = kLeftAndAbove;
        EditorTest::SetUp();
    }
    void put(const Str& path, StrView text) { p.putFile(path, toCp932(text)); }
    // The user moves and sizes the window, all in pixels of 15 twips.
    void place(int x, int y, int w, int h) {
        app->form->userMoveResize(x * 15.0, y * 15.0, w * 15.0, h * 15.0, w * 15.0 - 120, h * 15.0 - 690);
    }
};

TEST_F(MonitorsWindowTest, AWindowSavedOnAnotherMonitorComesBackThere) {
    for (os::Point at : {os::Point{-1200, 300}, os::Point{-300, -1400}, os::Point{2000, -100}}) {
        place(at.x, at.y, 400, 300);
        app->macroFile.write(u"C:\\work\\m.TVK", MacroFile::Overwrite::Silently);
        place(10, 10, 400, 300);
        app->macroFile.read(u"C:\\work\\m.TVK");
        EXPECT_EQ(app->form->left(), at.x * 15.0) << at.x;
        EXPECT_EQ(app->form->top(), at.y * 15.0) << at.y;
    }
    // The stored numbers are plain negative twips.
    EXPECT_NE(fileBytes(u"C:\\work\\m.TVK").find("\r\nTop=-1500\r\n"), std::string::npos);

    // The desktop's edges decide, as the screen's did: its first pixel is
    // in, the pixel past its last one goes to 0.
    place(10, 10, 400, 300);
    put(u"C:\\work\\t.TVK", u"Top=-21600\r\nLeft=-19200\r\n");
    app->macroFile.read(u"C:\\work\\t.TVK");
    EXPECT_EQ(app->form->top(), -21600);
    EXPECT_EQ(app->form->left(), -19200);
    put(u"C:\\work\\t.TVK", u"Top=16199\r\nLeft=33599\r\n");
    app->macroFile.read(u"C:\\work\\t.TVK");
    EXPECT_EQ(app->form->top(), 16199);
    EXPECT_EQ(app->form->left(), 33599);
    put(u"C:\\work\\t.TVK", u"Top=-21601\r\nLeft=-19201\r\n");
    app->macroFile.read(u"C:\\work\\t.TVK");
    EXPECT_EQ(app->form->top(), 0);
    EXPECT_EQ(app->form->left(), 0);
    put(u"C:\\work\\t.TVK", u"Top=16200\r\nLeft=33600\r\n");
    app->macroFile.read(u"C:\\work\\t.TVK");
    EXPECT_EQ(app->form->top(), 0);
    EXPECT_EQ(app->form->left(), 0);
}

TEST_F(MonitorsWindowTest, RowCapFollowsTheMonitorTheWindowIsOn) {
    // A short monitor left of the primary one and a tall one right of it.
    // The layout runs when the size changes (a move alone keeps the rows).
    p.monitors = {{0, 0, 1920, 1080}, {-1024, 0, 0, 768}, {1920, -540, 3000, 1380}};
    place(100, 0, 400, 4000);  // far taller than any monitor
    EXPECT_EQ(app->grid.rowsShown(), 26);  // ⌈1080 × 15 ÷ 624⌉
    place(-1000, 0, 400, 4001);
    EXPECT_EQ(app->grid.rowsShown(), 19);  // ⌈768 × 15 ÷ 624⌉
    place(2000, -500, 400, 4002);
    EXPECT_EQ(app->grid.rowsShown(), 47);  // ⌈1920 × 15 ÷ 624⌉
    // A window that fits its monitor shows the rows its height holds.
    place(-1000, 0, 400, 700);
    EXPECT_EQ(app->grid.rowsShown(), int32_t(std::floor((700 * 15.0 - 1224 - 750) / 624)));
}
