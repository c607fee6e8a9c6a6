// What a window really receives from each key route: a window of our own logs
// every key message's virtual key, scan code and extended bit while the main
// window plays one-row macros through its own tick, by keybd_event
// ("ｷｰ入力"), SendInput ("ｷｰ入力_改"), window messages ("ｷｰ入力_真") and the
// keystroke sender. Keys must arrive as a keyboard sends them: Shift and Ctrl
// as the left keys, End and the arrows as extended keys (not keypad keys),
// Enter as the main Enter.
#include "harness.h"
#include "input/windows.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "input/input_gate.h"
#include "main_window.h"
#include "notepad.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace probe = win32::probe;

constexpr uint32_t WM_KEYDOWN = 0x100, WM_SYSKEYDOWN = 0x104, WM_IME_CHAR = 0x286;

// One row played through the executor's tick; the key messages the log
// window got from it.
struct App : wt::MainWindow {
    App() : wt::MainWindow(false) {}

    std::string play(probe::KeyLogWindow& log, const Str& action, const Str& text) {
        log.take();
        const std::string why = playRow(action, text);
        if (!why.empty()) return why;
        probe::pump(300);
        return render(log.take());
    }

    // "d10.2A.0" a key going down (virtual key, scan code, extended bit),
    // "u..." going up, "c..." a character message.
    static std::string render(const std::vector<probe::KeyMessage>& log) {
        std::string s;
        for (const auto& m : log) {
            char kind = m.message == WM_IME_CHAR ? 'c' : (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) ? 'd' : 'u';
            char buf[32];
            std::snprintf(buf, sizeof buf, "%c%02X.%02X.%d", kind, unsigned(m.wParam), unsigned(m.scan()),
                          m.extended() ? 1 : 0);
            if (!s.empty()) s += ' ';
            s += buf;
        }
        return s;
    }
};

const Str kList = u"+VK_END,^VK_C,%VK_F4,VK_RETURN,VK_LEFT,VK_NUMPAD1,VK_RCONTROL";

// Shift+End, Ctrl+C, Alt+F4, Enter, Left, keypad 1, right Ctrl.
const std::string kKeyboard =
    "d10.2A.0 d23.4F.1 u23.4F.1 u10.2A.0 "
    "d11.1D.0 d43.2E.0 u43.2E.0 u11.1D.0 "
    "d12.38.0 d73.3E.0 u73.3E.0 u12.38.0 "
    "d0D.1C.0 u0D.1C.0 d25.4B.1 u25.4B.1 d61.4F.0 u61.4F.0 d11.1D.1 u11.1D.1";

}  // namespace

TEST(KeyFidelity, KeyListsArriveAsAKeyboardSendsThemByEveryRoute) {
    App a;
    probe::KeyLogWindow log(u"TOVIRAK key log");
    ASSERT_TRUE(log.handle() != 0);

    ASSERT_TRUE(log.bringToFront());
    EXPECT_EQ(a.play(log, u"ｷｰ入力", kList), kKeyboard);
    ASSERT_TRUE(log.bringToFront());
    EXPECT_EQ(a.play(log, u"ﾊﾟｽﾜｰﾄﾞ入力", kList), kKeyboard);
    ASSERT_TRUE(log.bringToFront());
    EXPECT_EQ(a.play(log, u"ｷｰ入力_改", kList), kKeyboard);

    // Messages to the target window, whatever has the front: letters and
    // digits as a character without a release, every other key as itself
    // (right Ctrl keeps its own code), now with the scan code and extended
    // bit in lParam.
    bringToFront(a.app->statusLine, *a.os, a.app->form->nativeHandle(), a.app->form->nativeHandle());
    a.app->document.settings.targetWindowSearch = u"TOVIRAK key log";
    EXPECT_EQ(a.play(log, u"ｷｰ入力_真", kList),
              "d10.2A.0 d23.4F.1 u23.4F.1 u10.2A.0 "
              "d11.1D.0 c43.2E.0 u11.1D.0 "
              "d12.38.0 d73.3E.0 u73.3E.0 u12.38.0 "
              "d0D.1C.0 u0D.1C.0 d25.4B.1 u25.4B.1 d61.4F.0 u61.4F.0 dA3.1D.1 uA3.1D.1");
    a.app->document.settings.targetWindowSearch.clear();
    // Alt+F4 went to the log window, which handles it itself.
    EXPECT_TRUE(probe::isWindow(log.handle()));
}

TEST(KeyFidelity, KeystrokeTextArrivesAsAKeyboardSendsIt) {
    App a;
    probe::KeyLogWindow log(u"TOVIRAK key log");
    ASSERT_TRUE(log.bringToFront());
    EXPECT_EQ(a.play(log, u"ｷｰ入力", u"+{END}^c{ENTER}{LEFT}"),
              "d10.2A.0 d23.4F.1 u23.4F.1 u10.2A.0 d11.1D.0 d43.2E.0 u43.2E.0 u11.1D.0 "
              "d0D.1C.0 u0D.1C.0 d25.4B.1 u25.4B.1");
}

// The integrity check answers for a real program: Notepad runs at our level
// and takes our input; so does our own window.
TEST(KeyFidelity, NotepadIsNotReportedAsBlocked) {
    auto os = win32::makeServices(1, 0);
    wt::Notepad np(*os);
    ASSERT_TRUE(np.window != 0);
    InputGate gate(*os);
    wt::note("integrity levels: ours " + std::to_string(os->integrityLevel(0)) + ", Notepad's " +
             std::to_string(os->integrityLevel(np.window)));
    EXPECT_EQ(os->windowProcessId(np.window), probe::processIdOf(np.window));
    EXPECT_FALSE(gate.blocked(np.window));
    probe::KeyLogWindow own(u"TOVIRAK own window");
    EXPECT_FALSE(gate.blocked(own.handle()));
    EXPECT_FALSE(os->inputOnOtherDesktop());
}
