// The screen as image steps see it, on the real system under Wine: a
// capture holds the exact pixels of a window of known colours at its place
// and finds a piece of it there; the frozen-screen overlay covers the
// desktop above every window, returns the rectangle dragged on it with
// xdotool (Shift included) and cancels on Esc; files dropped on a control
// reach it.
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "harness.h"
#include "xdotool.h"
#include "image/matcher.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/screen_probe.h"
#include "platform/win32/tk_testing.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace probe = win32::probe;

// A picture with a different colour at every pixel, so a shifted or
// mirrored copy cannot pass for it.
std::vector<uint32_t> knownPixels(int w, int h) {
    std::vector<uint32_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px.push_back(uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | uint32_t((x ^ y) & 0xFF));
    return px;
}

using Xdotool = wt::XdotoolInBackground;

tk::Backend& toolkit() {
    static std::unique_ptr<tk::Backend> b = win32::makeToolkit(nullptr);
    return *b;
}

// A pick on the frozen screen, ended by WM_CLOSE after 20 s whatever
// happens, so a test whose input does not arrive fails instead of hanging.
// check runs once while the overlay shows.
tk::ScreenPick pickWithin20s(const os::ScreenPixels& shot, const std::function<void()>& check) {
    probe::LaterCall look(500, check);
    probe::LaterCall stop(20000, [] {
        if (auto h = probe::snapshotOverlay()) probe::postClose(h);
    });
    return tk::pickScreenRect(toolkit(), shot);
}

}  // namespace

TEST(ScreenCapture, HoldsTheRealPixelsOfAWindowAtItsPlace) {
    auto os = win32::makeServices(1, 0);
    const os::Rect where{210, 170, 210 + 96, 170 + 64};
    probe::PictureWindow picture(where, knownPixels(96, 64));
    probe::pump(300);

    os::ScreenPixels shot;
    ASSERT_TRUE(os->captureScreen({200, 160, 320, 250}, shot));
    EXPECT_EQ(shot.rect, (os::Rect{200, 160, 320, 250}));
    int wrong = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x)
            wrong += (shot.at(where.left + x, where.top + y) & 0xFFFFFF) != picture.pixels()[size_t(y) * 96 + size_t(x)];
    EXPECT_EQ(wrong, 0);

    // A piece of it is found where it is, on a capture of the whole desktop.
    const os::Rect desk = os->virtualScreen();
    ASSERT_TRUE(os->captureScreen(desk, shot));
    EXPECT_EQ(shot.rect, desk);
    const image::Image piece = image::cut(shot, {where.left + 30, where.top + 20, where.left + 60, where.top + 44});
    const auto t0 = std::chrono::steady_clock::now();
    const auto at = image::findImage(shot, piece, 0);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(at, (os::Point{where.left + 30, where.top + 20}));

    // Captures of the whole desktop, as a search takes one every time.
    std::vector<double> times;
    for (int i = 0; i < 20; ++i) {
        const auto c0 = std::chrono::steady_clock::now();
        os->captureScreen(desk, shot);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - c0).count());
    }
    std::sort(times.begin(), times.end());
    wt::note("capture of " + std::to_string(desk.width()) + "x" + std::to_string(desk.height()) + ": median " +
             std::to_string(times[10]) + " ms; search " + std::to_string(ms) + " ms");

    // Clipped to the desktop; nothing when nothing of it is there.
    ASSERT_TRUE(os->captureScreen({desk.left - 50, desk.top - 40, desk.left + 10, desk.top + 20}, shot));
    EXPECT_EQ(shot.rect, (os::Rect{desk.left, desk.top, desk.left + 10, desk.top + 20}));
    EXPECT_FALSE(os->captureScreen({desk.right, desk.top, desk.right + 10, desk.top + 10}, shot));
    EXPECT_TRUE(shot.pixels.empty());
}

TEST(SnapshotOverlay, ReturnsTheRectangleDraggedWithShiftAndCoversTheDesktop) {
    auto os = win32::makeServices(1, 0);
    const os::Rect desk = os->virtualScreen();
    os::ScreenPixels shot;
    ASSERT_TRUE(os->captureScreen(desk, shot));
    probe::Rect shown{};
    bool topmost = false, underCentre = false;
    Xdotool x("sleep 1.5; /usr/bin/xdotool mousemove 300 200 sleep 0.2 mousedown 1 sleep 0.2 mousemove 350 240 "
              "sleep 0.2 mousemove 420 265 sleep 0.2 keydown shift sleep 0.2 mouseup 1 sleep 0.2 keyup shift",
              os->currentFolder());
    const tk::ScreenPick pick = pickWithin20s(shot, [&] {
        const os::WindowHandle h = probe::snapshotOverlay();
        shown = probe::windowRect(h);
        topmost = probe::isTopmost(h);
        underCentre = os->topLevelWindow(os->windowFromPoint({desk.left + desk.width() / 2, desk.top + desk.height() / 2})) == h;
    });
    EXPECT_EQ(shown.left, desk.left);
    EXPECT_EQ(shown.top, desk.top);
    EXPECT_EQ(shown.right, desk.right);
    EXPECT_EQ(shown.bottom, desk.bottom);
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(underCentre);
    EXPECT_TRUE(pick.chosen);
    EXPECT_EQ(pick.rect, (os::Rect{300, 200, 421, 266}));
    EXPECT_TRUE(pick.shift);
    EXPECT_EQ(probe::snapshotOverlay(), os::WindowHandle(0));
}

TEST(SnapshotOverlay, EscAndASlipCancel) {
    auto os = win32::makeServices(1, 0);
    os::ScreenPixels shot;
    ASSERT_TRUE(os->captureScreen(os->virtualScreen(), shot));
    {
        Xdotool x("sleep 1.5; /usr/bin/xdotool mousemove 500 300 key Escape", os->currentFolder());
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(pickWithin20s(shot, [] {}).chosen);
        EXPECT_TRUE(std::chrono::steady_clock::now() - t0 < std::chrono::seconds(10));  // Esc, not the safety stop
    }
    {
        // 3 x 3 pixels: taken as a slip of the hand.
        Xdotool x("sleep 1.5; /usr/bin/xdotool mousemove 500 300 mousedown 1 mousemove 502 302 mouseup 1",
                  os->currentFolder());
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(pickWithin20s(shot, [] {}).chosen);
        EXPECT_TRUE(std::chrono::steady_clock::now() - t0 < std::chrono::seconds(10));
    }
}

TEST(DroppedFiles, ReachTheControlThatAcceptsThem) {
    tk::Form form(toolkit(), "frmDrop");
    form.move(1500, 1500, 6000, 3000);
    auto& box = form.add<tk::TextBox>("txt_ZahyoCmd", 1);
    box.move(300, 300, 3000, 400);
    auto& combo = form.add<tk::ComboBox>("cmb_Cmd", 1, tk::ComboBox::DropDownCombo);
    combo.move(300, 1200, 3000, 400);
    std::vector<Str> onBox, onCombo;
    box.onFilesDropped = [&](const std::vector<Str>& p) { onBox = p; };
    combo.onFilesDropped = [&](const std::vector<Str>& p) { onCombo = p; };
    form.show();
    toolkit().doEvents();

    // Nothing accepts files yet: the system finds no window to drop on.
    EXPECT_FALSE(win32::tktest::dropFiles(box, {u"C:\\a.png"}, toolkit()));
    box.setAcceptsFiles(true);
    ASSERT_TRUE(win32::tktest::dropFiles(box, {u"C:\\画像\\a.png", u"Z:\\tmp\\b.png"}, toolkit()));
    EXPECT_TRUE(onBox == (std::vector<Str>{u"C:\\画像\\a.png", u"Z:\\tmp\\b.png"}));
    // A combo's edit field passes the drop to the combo, as the system does.
    combo.setAcceptsFiles(true);
    ASSERT_TRUE(win32::tktest::dropFiles(combo, {u"C:\\c.png"}, toolkit()));
    EXPECT_TRUE(onCombo == (std::vector<Str>{u"C:\\c.png"}));
    box.setAcceptsFiles(false);
    EXPECT_FALSE(win32::tktest::dropFiles(box, {u"C:\\d.png"}, toolkit()));
    form.close();
}
