// The input services of the main window against a real program: Wine's
// Notepad is found by its title (and class), brought to the front, typed
// into by each delivery route and moved; the main window's always-on-top
// switch is read back from the system.
#include "harness.h"
#include "notepad.h"

#include <memory>
#include <set>

#include "core/frm_TOVIRAK.h"
#include "input/delivery.h"
#include "input/keys.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace probe = win32::probe;

using wt::topLevelWindows;

// The main window on the real toolkit, shown without its start-up (no
// default document, no first-run notice in a test).
struct App {
    std::unique_ptr<tk::Backend> toolkit = win32::makeToolkit(nullptr);
    std::unique_ptr<os::Services> os = win32::makeServices(1, 0);
    std::unique_ptr<frm_TOVIRAK> app;
    App() {
        app = std::make_unique<frm_TOVIRAK>(*toolkit, *os);
        app->form->onLoad = nullptr;
        app->form->onActivate = nullptr;
        app->form->show();
        probe::pump(200);
    }
    ~App() { app->form->onQueryUnload = nullptr; }
};

using wt::Notepad;

enum class Route { KeybdEvent, SendInput, Message };

// A key list delivered the way the key-input steps deliver it.
void deliver(frm_TOVIRAK& app, Route route, const Str& list, os::WindowHandle target) {
    KeyArrays k;
    Str bad;
    if (!keys::parseKeyList(list, k, bad)) throw RtError(5, u"unsupported " + bad);
    os::Services& os = app.os;
    auto send = [&](int16_t key, bool down) {
        switch (route) {
            case Route::KeybdEvent: sendKeybdEvent(os, uint8_t(key), !down); break;
            case Route::SendInput: MF_SendInputKey(os, key, down ? u"DOWN" : u"UP"); break;
            case Route::Message: MF_SendMessageKey(os, key, down ? u"DOWN" : u"UP", target); break;
        }
    };
    for (int32_t i = 1; i <= k.last(); ++i) {
        size_t x = size_t(i);
        if (k.shift[x]) send(0x10, true);
        if (k.ctrl[x]) send(0x11, true);
        if (k.alt[x]) send(0x12, true);
        send(k.code[x], true);
        if (k.wait[x] > 0) os.sleep(uint32_t(k.wait[x]));
        send(k.code[x], false);
        if (k.alt[x]) send(0x12, false);
        if (k.ctrl[x]) send(0x11, false);
        if (k.shift[x]) send(0x10, false);
    }
}

}  // namespace

TEST(InputWindows, FindActivateAndMoveNotepad) {
    App a;
    Notepad np(*a.os);
    ASSERT_TRUE(np.window != 0);
    Str title = a.os->getWindowText(np.window);
    wt::note("Notepad title: " + wt::utf8(title));

    // By title alone, by title and class, never with a blank after the comma.
    Str full;
    EXPECT_EQ(a.app->MF_WindowActive(title, false, full), np.window);
    EXPECT_EQ(full, title);
    EXPECT_EQ(a.app->MF_WindowActive(title + u",Notepad", false, full), np.window);
    EXPECT_EQ(a.app->MF_WindowActive(title + u", Notepad", false, full), os::WindowHandle(0));
    EXPECT_EQ(a.app->MF_WindowActive(title + u",notepad", false, full), os::WindowHandle(0));

    // Activation: from our own window to Notepad and back.
    a.app->MF_ActiveForm(a.app->form->nativeHandle());
    probe::pump(200);
    EXPECT_EQ(a.app->MF_WindowActive(title + u",Notepad", true, full), np.window);
    EXPECT_TRUE(np.waitForeground());

    // The corner move of the settings dialog: found without activation, then
    // moved to (0, 0) keeping its size.
    auto before = probe::windowRect(np.window);
    os::WindowHandle h = a.app->MF_WindowActive(title, false, full);
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
    a.app->Mbln_TopMost = true;
    a.app->MS_TopMost(true);
    probe::pump(50);
    EXPECT_TRUE(probe::isTopmost(self));
    a.app->MS_TopMost(false);  // dropped around a dialog, whatever the setting
    probe::pump(50);
    EXPECT_FALSE(probe::isTopmost(self));
    a.app->MS_TopMost(true);
    probe::pump(50);
    EXPECT_TRUE(probe::isTopmost(self));
    a.app->Mbln_TopMost = false;
    a.app->MS_TopMost(true);
    probe::pump(50);
    EXPECT_FALSE(probe::isTopmost(self));

    // The screen measure leaves the cursor where it was.
    a.os->setCursorPos(123, 45);
    a.app->MS_GetDispWidth();
    EXPECT_EQ(a.app->Mlng_DispMaxX, a.os->screenWidth() - 1);
    EXPECT_EQ(a.app->Mlng_DispMaxY, a.os->screenHeight() - 1);
    EXPECT_EQ(a.os->getCursorPos(), (os::Point{123, 45}));
}

TEST(InputDelivery, TypeIntoNotepadByEveryRoute) {
    App a;
    Notepad np(*a.os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    auto front = [&] {
        a.app->MF_ActiveForm(np.window);
        return np.waitForeground();
    };

    ASSERT_TRUE(front());
    deliver(*a.app, Route::KeybdEvent, u"VK_A,VK_B+,VK_SPACE", 0);
    EXPECT_EQ(np.waitText(u"aB "), Str(u"aB "));

    ASSERT_TRUE(probe::setControlText(np.edit, u""));
    ASSERT_TRUE(front());
    deliver(*a.app, Route::SendInput, u"VK_C,VK_D+,VK_1", 0);
    EXPECT_EQ(np.waitText(u"cD1"), Str(u"cD1"));

    // Key messages go to one window whatever has the front: letters arrive
    // as upper-case characters, other keys as system key messages.
    ASSERT_TRUE(probe::setControlText(np.edit, u""));
    a.app->MF_ActiveForm(a.app->form->nativeHandle());
    deliver(*a.app, Route::Message, u"VK_E,VK_F+,VK_2", np.edit);
    EXPECT_EQ(np.waitText(u"EF2"), Str(u"EF2"));
    // The step sends to the top-level window it found; what a frame window
    // makes of a character message is up to the program.
    deliver(*a.app, Route::Message, u"VK_G", np.window);
    probe::pump(300);
    wt::note("after a character message to Notepad's frame: \"" + wt::utf8(probe::controlText(np.edit)) + "\"");

    ASSERT_TRUE(probe::setControlText(np.edit, u""));
    ASSERT_TRUE(front());
    bool ret = false;
    a.app->MS_SendKeys(u"ab{ENTER}+(ab)ｱｲｳ漢字{LEFT 2}~", false, ret);
    EXPECT_TRUE(ret);
    EXPECT_EQ(np.waitText(u"ab\r\nABｱｲｳ\r\n漢字"), Str(u"ab\r\nABｱｲｳ\r\n漢字"));
    // No modifier is left held.
    probe::pump(100);
    EXPECT_TRUE((a.os->getAsyncKeyState(0x10) & 0x8000) == 0);
}
