// The screen as the headless platform shows it to captures, the choice of a
// rectangle on the frozen screen, and files dropped on controls.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"

namespace {

struct ScreenTest : ::testing::Test {
    headless::Platform p;
    void SetUp() override { p.monitors = {{0, 0, 100, 80}, {-60, -40, 0, 40}}; }
};

}  // namespace

TEST_F(ScreenTest, CaptureClipsToTheDesktopAndReusesTheBuffer) {
    p.screenBackground = 0x101010;
    p.paintScreen({-60, -40, -50, -30}, 0xFF0000);
    p.paintScreen({95, 75}, 2, 1, {0x00AA00, 0x0000BB});
    os::ScreenPixels s;
    ASSERT_TRUE(p.os.captureScreen({-100, -100, 200, 200}, s));
    EXPECT_EQ(s.rect, (os::Rect{-60, -40, 100, 80}));
    ASSERT_EQ(s.pixels.size(), 160u * 120u);
    EXPECT_EQ(s.at(-60, -40) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(s.at(-50, -30) & 0xFFFFFF, 0x101010u);
    EXPECT_EQ(s.at(95, 75) & 0xFFFFFF, 0x00AA00u);
    EXPECT_EQ(s.at(96, 75) & 0xFFFFFF, 0x0000BBu);

    // A smaller part later: the same memory, the right pixels.
    const uint32_t* memory = s.pixels.data();
    ASSERT_TRUE(p.os.captureScreen({94, 74, 98, 76}, s));
    EXPECT_EQ(s.rect, (os::Rect{94, 74, 98, 76}));
    EXPECT_EQ(s.pixels.data(), memory);
    EXPECT_EQ(s.at(96, 75) & 0xFFFFFF, 0x0000BBu);

    // Nothing of the rectangle on the desktop, or the system refusing.
    EXPECT_FALSE(p.os.captureScreen({200, 200, 300, 300}, s));
    EXPECT_TRUE(s.pixels.empty());
    EXPECT_FALSE(p.os.captureScreen({10, 10, 10, 20}, s));
    p.captureRefused = true;
    EXPECT_FALSE(p.os.captureScreen({0, 0, 10, 10}, s));
    EXPECT_EQ(p.captures, 5);
}

TEST_F(ScreenTest, TheDraggedRectangleOnTheFrozenScreen) {
    const os::Rect shot{-60, -40, 100, 80};
    // Corners inside, either direction of the drag.
    EXPECT_EQ(tk::pickFromDrag({true, {10, 20}, {13, 23}, false}, shot).rect, (os::Rect{10, 20, 14, 24}));
    const tk::ScreenPick back = tk::pickFromDrag({true, {-5, 30}, {-20, 5}, true}, shot);
    EXPECT_TRUE(back.chosen);
    EXPECT_EQ(back.rect, (os::Rect{-20, 5, -4, 31}));
    EXPECT_TRUE(back.shift);
    // Under 4 x 4 is a slip; 4 x 4 is a choice.
    EXPECT_FALSE(tk::pickFromDrag({true, {10, 20}, {12, 40}, false}, shot).chosen);
    EXPECT_FALSE(tk::pickFromDrag({true, {10, 20}, {40, 22}, false}, shot).chosen);
    EXPECT_FALSE(tk::pickFromDrag({true, {10, 20}, {10, 20}, false}, shot).chosen);
    EXPECT_TRUE(tk::pickFromDrag({true, {10, 20}, {13, 23}, false}, shot).chosen);
    // Esc.
    EXPECT_FALSE(tk::pickFromDrag({false, {0, 0}, {50, 50}, true}, shot).chosen);
    // A drag that ran past the snapshot's edge keeps to it (and may get too small).
    EXPECT_EQ(tk::pickFromDrag({true, {90, 70}, {300, 300}, false}, shot).rect, (os::Rect{90, 70, 100, 80}));
    EXPECT_FALSE(tk::pickFromDrag({true, {98, 70}, {300, 300}, false}, shot).chosen);

    // Through the backend: the snapshot is shown, the scripted drag answers,
    // and without a script the user presses Esc.
    os::ScreenPixels s;
    ASSERT_TRUE(p.os.captureScreen(p.virtualScreen(), s));
    p.snapshotDrags.push_back({true, {-30, -30}, {20, 10}, true});
    const tk::ScreenPick pick = tk::pickScreenRect(p.toolkit, s);
    EXPECT_TRUE(pick.chosen && pick.shift);
    EXPECT_EQ(pick.rect, (os::Rect{-30, -30, 21, 11}));
    EXPECT_FALSE(tk::pickScreenRect(p.toolkit, s).chosen);
    EXPECT_EQ(p.snapshotsShown, (std::vector<os::Rect>{shot, shot}));
}

TEST_F(ScreenTest, FilesDroppedReachOnlyControlsThatAcceptThem) {
    tk::Form form(p.toolkit, "frmDrop");
    auto& box = form.add<tk::TextBox>("txt_ZahyoCmd", 1);
    std::vector<std::vector<Str>> got;
    box.onFilesDropped = [&](const std::vector<Str>& paths) { got.push_back(paths); };
    form.show();
    box.userDropFiles({u"C:\\a.png"});
    EXPECT_TRUE(got.empty());
    box.setAcceptsFiles(true);
    EXPECT_TRUE(box.acceptsFiles());
    box.userDropFiles({u"C:\\a.png", u"D:\\画像\\b.png"});
    box.userDropFiles({});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], (std::vector<Str>{u"C:\\a.png", u"D:\\画像\\b.png"}));
    box.setAcceptsFiles(false);
    box.userDropFiles({u"C:\\c.png"});
    EXPECT_EQ(got.size(), 1u);
}
