// Window services against real windows of this process: enumeration,
// placement, the topmost switch, activation by title and the bounded wait of
// key messages. Also the screen, the clock, the cursor and the key tables.
#include "harness.h"
#include "notepad.h"

#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace probe = win32::probe;

std::unique_ptr<os::Services> services() { return win32::makeServices(1, 0); }

// A probe window destroyed at the end of the test.
struct TestWindow {
    os::WindowHandle h;
    TestWindow(const Str& title, int x, int y, int w, int hgt) : h(probe::createWindow(title, x, y, w, hgt)) {}
    ~TestWindow() { probe::destroyWindow(h); }
};

// Walks the top-level windows the way the window search does.
using wt::topLevelWindows;

bool waitForeground(os::Services& os, os::WindowHandle h, uint32_t ms) {
    for (uint32_t waited = 0; waited <= ms; waited += 20) {
        if (os.getForegroundWindow() == h) return true;
        probe::pump(20);
    }
    return false;
}

}  // namespace

TEST(OsWindows, EnumerationFindsWindowByTitleAndClass) {
    auto os = services();
    Str title = u"TOVIRAK 検索テスト ウィンドウ";
    TestWindow w(title, 100, 100, 300, 200);
    ASSERT_TRUE(w.h != 0);
    auto all = topLevelWindows(*os);
    bool found = false;
    for (auto h : all) {
        if (os->getWindowText(h) != title) continue;
        found = true;
        EXPECT_EQ(h, w.h);
        EXPECT_EQ(os->getClassName(h), Str(u"TovirakProbeWindow"));
    }
    EXPECT_TRUE(found);
    // Starting from one of the windows gives the same first window.
    EXPECT_EQ(os->getWindow(w.h, os::k::GW_HWNDFIRST), all.front());
    EXPECT_EQ(os->getWindow(0, os::k::GW_HWNDNEXT), os::WindowHandle(0));
    EXPECT_EQ(os->getWindowThreadProcessId(w.h), os->getCurrentThreadId());

    // Titles are cut at 255 units like the classic 256-unit buffer.
    TestWindow longTitle(Str(300, u'長'), 120, 120, 200, 100);
    EXPECT_EQ(os->getWindowText(longTitle.h), Str(255, u'長'));
    EXPECT_EQ(os->getWindowText(0), Str());
}

// A window closing while the search stands on it must not end the search.
TEST(OsWindows, EnumerationGoesOnPastWindowsClosedDuringTheWalk) {
    auto os = services();
    TestWindow a(u"TOVIRAK walk A", 10, 10, 120, 80);
    TestWindow c(u"TOVIRAK walk C", 30, 30, 120, 80);
    os::WindowHandle b = probe::createWindow(u"TOVIRAK walk B", 20, 20, 120, 80);
    auto all = topLevelWindows(*os);
    size_t bAt = 0;
    while (bAt < all.size() && all[bAt] != b) ++bAt;
    ASSERT_TRUE(bAt < all.size());
    std::vector<os::WindowHandle> rest(all.begin() + bAt + 1, all.end());

    os::WindowHandle h = os->getWindow(0, os::k::GW_HWNDFIRST);
    while (h && h != b) h = os->getWindow(h, os::k::GW_HWNDNEXT);
    ASSERT_EQ(h, b);
    probe::destroyWindow(b);  // closes under the walk
    std::vector<os::WindowHandle> after;
    for (h = os->getWindow(b, os::k::GW_HWNDNEXT); h && after.size() < 20000; h = os->getWindow(h, os::k::GW_HWNDNEXT))
        after.push_back(h);
    // Every window that was behind B is still met, in the same order.
    std::vector<os::WindowHandle> stillThere;
    for (auto w : rest)
        if (probe::isWindow(w)) stillThere.push_back(w);
    EXPECT_EQ(after.size(), stillThere.size());
    EXPECT_TRUE(after == stillThere);
}

TEST(OsWindows, SetWindowPosMovesAndSwitchesTopmost) {
    auto os = services();
    TestWindow w(u"TOVIRAK placement", 200, 150, 320, 240);
    auto before = probe::windowRect(w.h);
    const uint32_t moveOnly = os::k::SWP_NOSIZE | os::k::SWP_NOZORDER | os::k::SWP_NOACTIVATE;
    EXPECT_TRUE(os->setWindowPos(w.h, 0, 0, 0, 0, 0, moveOnly));
    probe::pump(50);
    auto after = probe::windowRect(w.h);
    EXPECT_EQ(after.left, 0);
    EXPECT_EQ(after.top, 0);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);

    const uint32_t zOnly = os::k::SWP_NOSIZE | os::k::SWP_NOMOVE | os::k::SWP_NOACTIVATE;
    EXPECT_FALSE(probe::isTopmost(w.h));
    EXPECT_TRUE(os->setWindowPos(w.h, os::k::HWND_TOPMOST, 0, 0, 0, 0, zOnly));
    EXPECT_TRUE(probe::isTopmost(w.h));
    EXPECT_TRUE(os->setWindowPos(w.h, os::k::HWND_NOTOPMOST, 0, 0, 0, 0, zOnly));
    EXPECT_FALSE(probe::isTopmost(w.h));
    EXPECT_FALSE(os->setWindowPos(0x7FFF0001, 0, 0, 0, 0, 0, moveOnly));  // no such window
}

TEST(OsWindows, WindowFromPointAndCursor) {
    auto os = services();
    TestWindow w(u"TOVIRAK point", 300, 300, 200, 150);
    os->setWindowPos(w.h, os::k::HWND_TOPMOST, 0, 0, 0, 0, os::k::SWP_NOSIZE | os::k::SWP_NOMOVE);
    probe::pump(50);
    auto r = probe::windowRect(w.h);
    os::Point centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    EXPECT_EQ(os->windowFromPoint(centre), w.h);

    EXPECT_TRUE(os->setCursorPos(123, 77));
    EXPECT_EQ(os->getCursorPos(), (os::Point{123, 77}));
    // Absolute moves are in 0..65535 units of the primary screen.
    int sw = os->screenWidth(), sh = os->screenHeight();
    int32_t ax = static_cast<int32_t>((200LL * 65536 + sw - 1) / sw);
    int32_t ay = static_cast<int32_t>((100LL * 65536 + sh - 1) / sh);
    os->mouseEvent(os::k::MOUSEEVENTF_MOVE | os::k::MOUSEEVENTF_ABSOLUTE, ax, ay, 0, 0);
    probe::pump(50);
    auto p = os->getCursorPos();
    EXPECT_TRUE(p.x >= 199 && p.x <= 201);
    EXPECT_TRUE(p.y >= 99 && p.y <= 101);
    if (!(p.x >= 199 && p.x <= 201)) wt::note("cursor at " + std::to_string(p.x) + "," + std::to_string(p.y));
}

TEST(OsWindows, AppActivateBringsExactTitleToFront) {
    auto os = services();
    TestWindow a(u"TOVIRAK 前面 A", 50, 50, 250, 150);
    TestWindow ab(u"TOVIRAK 前面 AB", 80, 80, 250, 150);
    os->appActivate(u"TOVIRAK 前面 AB");
    EXPECT_TRUE(waitForeground(*os, ab.h, 2000));
    os->appActivate(u"TOVIRAK 前面 A");  // exact title only, not a prefix of "AB"
    EXPECT_TRUE(waitForeground(*os, a.h, 2000));
    os->appActivate(u"TOVIRAK no such title");  // silently nothing
    EXPECT_EQ(os->getForegroundWindow(), a.h);
    EXPECT_TRUE(os->setForegroundWindow(ab.h));
    EXPECT_TRUE(waitForeground(*os, ab.h, 2000));
}

TEST(OsWindows, AppActivateRestoresMinimizedWindow) {
    auto os = services();
    TestWindow w(u"TOVIRAK 最小化", 60, 60, 250, 150);
    TestWindow other(u"TOVIRAK other", 90, 90, 250, 150);
    probe::minimize(w.h);
    probe::pump(100);
    ASSERT_TRUE(probe::isMinimized(w.h));
    os->appActivate(u"TOVIRAK 最小化");
    bool restored = false;
    for (int i = 0; i < 100 && !restored; ++i) {
        probe::pump(20);
        restored = !probe::isMinimized(w.h);
    }
    EXPECT_TRUE(restored);
    EXPECT_TRUE(waitForeground(*os, w.h, 2000));
}

TEST(OsWindows, SendMessageKeyWaitsBoundedForHungWindow) {
    auto os = services();
    const uint32_t WM_CHAR = 0x0102;
    TestWindow own(u"TOVIRAK responsive", 10, 10, 100, 100);
    EXPECT_TRUE(os->sendMessageKey(own.h, WM_CHAR, 'a', 1));

    probe::UnresponsiveWindow hung;
    ASSERT_TRUE(hung.handle() != 0);
    int64_t t0 = os->monotonicMs();
    EXPECT_FALSE(os->sendMessageKey(hung.handle(), WM_CHAR, 'a', 1));
    int64_t elapsed = os->monotonicMs() - t0;
    EXPECT_TRUE(elapsed < 6000);
    wt::note("hung window answered false after " + std::to_string(elapsed) + " ms");

    os::WindowHandle gone = probe::createWindow(u"TOVIRAK gone", 0, 0, 50, 50);
    probe::destroyWindow(gone);
    EXPECT_FALSE(os->sendMessageKey(gone, WM_CHAR, 'a', 1));
}

TEST(OsKeyboard, KeyTablesOfTheLayout) {
    auto os = services();
    EXPECT_EQ(os->vkKeyScan(u'a'), 0x41);
    EXPECT_EQ(os->vkKeyScan(u'A'), 0x141);  // Shift + A
    EXPECT_EQ(os->vkKeyScan(u'1'), 0x31);
    EXPECT_EQ(os->vkKeyScan(u' '), 0x20);
    EXPECT_EQ(os->vkKeyScan(u'あ'), -1);
    EXPECT_EQ(os->mapVirtualKey(0x41, 0), 0x1Eu);  // MAPVK_VK_TO_VSC
    EXPECT_EQ(os->mapVirtualKey(0x1E, 1), 0x41u);  // MAPVK_VSC_TO_VK
    EXPECT_FALSE(os->inputOnOtherDesktop());
    EXPECT_EQ(os->sendInput({}), 0u);
}

TEST(OsSystem, ScreenClockAndPrograms) {
    auto os = services();
    EXPECT_TRUE(os->screenWidth() >= 640);
    EXPECT_TRUE(os->screenHeight() >= 480);
    EXPECT_TRUE(os->dpi() >= 72 && os->dpi() <= 480);

    int64_t t0 = os->monotonicMs();
    os->sleep(100);
    int64_t t1 = os->monotonicMs();
    EXPECT_TRUE(t1 - t0 >= 95);
    EXPECT_TRUE(t1 - t0 < 2000);

    DateTime n = os->now();
    EXPECT_TRUE(n.year >= 2024 && n.year < 2100);
    EXPECT_TRUE(n.month >= 1 && n.month <= 12 && n.day >= 1 && n.day <= 31);
    EXPECT_TRUE(n.hour < 24 && n.minute < 60 && n.second < 60);

    EXPECT_EQ(os->versionMajor(), 1);
    EXPECT_EQ(os->versionMinor(), 0);
    EXPECT_TRUE(os->isWindowsNT());
    EXPECT_TRUE(os->enableShutdownPrivilege());  // never followed by exitWindowsEx here

    EXPECT_RTERROR(os->startProgram(u"tovirak_no_such_program_xyz.exe", os::k::SW_SHOWNORMAL), 53);
    EXPECT_RTERROR(os->startProgram(u"C:\\no such folder\\x.exe /a", os::k::SW_SHOWNORMAL), 53);
}
