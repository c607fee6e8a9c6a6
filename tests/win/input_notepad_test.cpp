// The input services of the main window against a real program: Wine's
// Notepad is found by its title (and class), brought to the front, typed
// into by each delivery route and moved; the main window's always-on-top
// switch is read back from the system.
#include "harness.h"
#include "input/windows.h"
#include "main_window.h"
#include "notepad.h"

#include <memory>
#include <set>

#include "platform/win32/os_probe.h"

namespace {

namespace probe = win32::probe;

using wt::topLevelWindows;

using App = wt::MainWindow;
using wt::Notepad;

}  // namespace

TEST(InputWindows, FindActivateAndMoveNotepad) {
    App a;
    Notepad np(*a.os);
    ASSERT_TRUE(np.window != 0);
    Str title = a.os->getWindowText(np.window);
    wt::note("Notepad title: " + wt::utf8(title));

    // By title alone, by title and class, never with a blank after the comma.
    Str full;
    auto find = [&](const Str& search) {
        return findTargetWindow(a.app->statusLine, *a.os, a.app->form->nativeHandle(), search, &full);
    };
    EXPECT_EQ(find(title), np.window);
    EXPECT_EQ(full, title);
    EXPECT_EQ(find(title + u",Notepad"), np.window);
    EXPECT_EQ(find(title + u", Notepad"), os::WindowHandle(0));
    EXPECT_EQ(find(title + u",notepad"), os::WindowHandle(0));

    // Activation: from our own window to Notepad and back.
    bringToFront(a.app->statusLine, *a.os, a.app->form->nativeHandle(), a.app->form->nativeHandle());
    probe::pump(200);
    EXPECT_EQ(a.app->player.executor().activateWindow(title + u",Notepad", &full), np.window);
    EXPECT_TRUE(np.waitForeground());

    // The corner move of the settings dialog: found without activation, then
    // moved to (0, 0) keeping its size.
    auto before = probe::windowRect(np.window);
    os::WindowHandle h = find(title);
    ASSERT_EQ(h, np.window);
    a.os->setWindowPos(h, 0, 0, 0, 0, 0, os::k::SWP_NOSIZE | os::k::SWP_NOZORDER | os::k::SWP_NOACTIVATE);
    probe::pump(100);
    auto after = probe::windowRect(np.window);
    EXPECT_EQ(after.left, 0);
    EXPECT_EQ(after.top, 0);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST(InputWindows, AlwaysOnTopOnAndOff) {
    App a;
    os::WindowHandle self = a.app->form->nativeHandle();
    ASSERT_TRUE(self != 0);
    a.app->document.settings.topMost = true;
    a.app->keepOnTop(true);
    probe::pump(50);
    EXPECT_TRUE(probe::isTopmost(self));
    a.app->keepOnTop(false);  // dropped around a dialog, whatever the setting
    probe::pump(50);
    EXPECT_FALSE(probe::isTopmost(self));
    a.app->keepOnTop(true);
    probe::pump(50);
    EXPECT_TRUE(probe::isTopmost(self));
    a.app->document.settings.topMost = false;
    a.app->keepOnTop(true);
    probe::pump(50);
    EXPECT_FALSE(probe::isTopmost(self));

    // The screen measure leaves the cursor where it was.
    a.os->setCursorPos(123, 45);
    a.app->player.measureScreen();
    EXPECT_EQ(a.app->player.screen().maxX, a.os->screenWidth() - 1);
    EXPECT_EQ(a.app->player.screen().maxY, a.os->screenHeight() - 1);
    EXPECT_EQ(a.os->getCursorPos(), (os::Point{123, 45}));
}

// One-row macros through the executor's own tick, by each route that types
// into the window in front. (Key messages to a target window are checked
// against a window of our own in the key fidelity tests.)
TEST(InputDelivery, TypeIntoNotepadByEveryRoute) {
    App a(false);
    Notepad np(*a.os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    auto front = [&] {
        bringToFront(a.app->statusLine, *a.os, a.app->form->nativeHandle(), np.window);
        return np.waitForeground();
    };

    ASSERT_TRUE(front());
    EXPECT_EQ(a.playRow(u"ｷｰ入力", u"VK_A,VK_B+,VK_SPACE"), "");
    EXPECT_EQ(np.waitText(u"aB "), Str(u"aB "));

    ASSERT_TRUE(probe::setControlText(np.edit, u""));
    ASSERT_TRUE(front());
    EXPECT_EQ(a.playRow(u"ｷｰ入力_改", u"VK_C,+VK_D,VK_1"), "");
    EXPECT_EQ(np.waitText(u"cD1"), Str(u"cD1"));

    ASSERT_TRUE(probe::setControlText(np.edit, u""));
    ASSERT_TRUE(front());
    EXPECT_EQ(a.playRow(u"ﾊﾟｽﾜｰﾄﾞ入力", u"ab{ENTER}+(ab)ｱｲｳ漢字{LEFT 2}~"), "");
    EXPECT_EQ(np.waitText(u"ab\r\nABｱｲｳ\r\n漢字"), Str(u"ab\r\nABｱｲｳ\r\n漢字"));
    // No modifier is left held.
    probe::pump(100);
    EXPECT_TRUE((a.os->getAsyncKeyState(0x10) & 0x8000) == 0);
}
