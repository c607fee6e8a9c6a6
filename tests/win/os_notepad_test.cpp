// Driving another program as a macro does: find Wine's Notepad among the
// top-level windows, bring it to the front and type into it through each
// injection route, then read its edit control back.
#include "harness.h"
#include "notepad.h"

#include <set>

#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace probe = win32::probe;

constexpr uint8_t VK_A = 0x41, VK_B = 0x42, VK_SHIFT = 0x10;
constexpr uint32_t WM_CHAR = 0x0102;

using wt::topLevelWindows;

using wt::Notepad;

}  // namespace

TEST(OsNotepad, FindByTitleAndClassThenTypeThroughEveryRoute) {
    auto os = win32::makeServices(1, 0);
    Notepad np(*os);
    ASSERT_TRUE(np.window != 0);
    EXPECT_EQ(os->getClassName(np.window), Str(u"Notepad"));
    wt::note("Notepad title: " + wt::utf8(os->getWindowText(np.window)));
    // The class search finds the same window.
    os::WindowHandle byClass = 0;
    for (auto h : topLevelWindows(*os))
        if (os->getClassName(h) == u"Notepad" && h == np.window) byClass = h;
    EXPECT_EQ(byClass, np.window);
    ASSERT_TRUE(np.edit != 0);
    ASSERT_TRUE(np.bringToFront());

    // keybd_event
    os->keybdEvent(VK_A, static_cast<uint8_t>(os->mapVirtualKey(VK_A, 0)), 0, 0);
    os->keybdEvent(VK_A, static_cast<uint8_t>(os->mapVirtualKey(VK_A, 0)), os::k::KEYEVENTF_KEYUP, 0);
    os->keybdEvent(VK_B, 0, 0, 0);
    os->keybdEvent(VK_B, 0, os::k::KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(np.waitText(u"ab"), Str(u"ab"));

    // SendInput, one call carrying all records; every record must be taken
    // (a wrong record size makes the system refuse them all).
    ASSERT_TRUE(probe::setControlText(np.edit, u""));
    ASSERT_TRUE(np.bringToFront());
    auto scan = [&](uint16_t vk) { return static_cast<uint16_t>(os->mapVirtualKey(vk, 0)); };
    std::vector<os::KeyInput> recs = {
        {VK_A, scan(VK_A), 0},
        {VK_A, scan(VK_A), os::k::KEYEVENTF_KEYUP},
        {VK_B, scan(VK_B), 0},
        {VK_B, scan(VK_B), os::k::KEYEVENTF_KEYUP},
    };
    EXPECT_EQ(os->sendInput(recs), 4u);
    EXPECT_EQ(np.waitText(u"ab"), Str(u"ab"));

    // Shift held through SendInput gives capitals, and the key state shows it.
    EXPECT_EQ(os->sendInput({{VK_SHIFT, scan(VK_SHIFT), 0}}), 1u);
    probe::pump(100);
    EXPECT_TRUE((os->getAsyncKeyState(VK_SHIFT) & 0x8000) != 0);
    os->sendInput({{VK_A, scan(VK_A), 0}, {VK_A, scan(VK_A), os::k::KEYEVENTF_KEYUP}});
    EXPECT_EQ(os->sendInput({{VK_SHIFT, scan(VK_SHIFT), os::k::KEYEVENTF_KEYUP}}), 1u);
    EXPECT_EQ(np.waitText(u"abA"), Str(u"abA"));
    probe::pump(100);
    EXPECT_TRUE((os->getAsyncKeyState(VK_SHIFT) & 0x8000) == 0);

    // A character message straight to the control of another process.
    EXPECT_TRUE(os->sendMessageKey(np.edit, WM_CHAR, u'c', 1));
    EXPECT_TRUE(os->sendMessageKey(np.edit, WM_CHAR, u'あ', 1));
    EXPECT_EQ(np.text(), Str(u"abAcあ"));
}

TEST(OsNotepad, ClosedWithoutSaving) {
    auto os = win32::makeServices(1, 0);
    os::WindowHandle w;
    {
        Notepad np(*os);
        ASSERT_TRUE(np.window != 0);
        w = np.window;
        probe::setControlText(np.edit, u"unsaved");
    }
    bool gone = false;
    for (int i = 0; i < 50 && !gone; ++i) {
        gone = !probe::isWindow(w);
        if (!gone) probe::pump(100);
    }
    EXPECT_TRUE(gone);
}
