// Trying a row in the built program: with Notepad in front before the
// program was activated, Ctrl+T on a key row types into Notepad and the
// program comes back to the front; Ctrl+P on a click row shows a marker
// window centred on the row's point that goes away by itself.
#include "harness.h"
#include "notepad.h"
#include "program.h"

#include "platform/win32/desk_probe.h"
#include "platform/win32/os_markers.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

constexpr uint8_t VK_CONTROL = 0x11;

using probe::waitFor;

// The user comes to window h: the test shares the input state of the
// window in front for the moment of the call, so the system lets it go.
bool bringToFront(os::Services& os, os::WindowHandle h) {
    const os::ThreadId self = os.getCurrentThreadId();
    const os::ThreadId owner = os.getWindowThreadProcessId(os.getForegroundWindow());
    const bool attached = owner && owner != self && os.attachThreadInput(self, owner, true);
    os.setForegroundWindow(h);
    if (attached) os.attachThreadInput(self, owner, false);
    return waitFor([&] { return os.getForegroundWindow() == h; }, 3000);
}

// A click in the middle of a control, as the user puts the caret there.
void clickInto(os::Services& os, os::WindowHandle control) {
    const probe::Rect r = probe::windowRect(control);
    os.setCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    os.mouseEvent(os::k::MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    os.mouseEvent(os::k::MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    probe::pump(200);
}

void ctrlKey(os::Services& os, uint8_t key) {
    os.keybdEvent(VK_CONTROL, 0, 0, 0);
    os.keybdEvent(key, 0, 0, 0);
    os.keybdEvent(key, 0, os::k::KEYEVENTF_KEYUP, 0);
    os.keybdEvent(VK_CONTROL, 0, os::k::KEYEVENTF_KEYUP, 0);
}

// Types text with the keys the layout has for it, as the user does.
void typeKeys(os::Services& os, StrView text) {
    constexpr uint8_t VK_SHIFT = 0x10;
    for (char16_t c : text) {
        const int k = os.vkKeyScan(c);
        const bool shift = (k & 0x100) != 0;
        if (shift) os.keybdEvent(VK_SHIFT, 0, 0, 0);
        os.keybdEvent(uint8_t(k), 0, 0, 0);
        os.keybdEvent(uint8_t(k), 0, os::k::KEYEVENTF_KEYUP, 0);
        if (shift) os.keybdEvent(VK_SHIFT, 0, os::k::KEYEVENTF_KEYUP, 0);
    }
    probe::pump(200);
}

// A message box of the program on the screen, 0 when there is none.
os::WindowHandle messageBoxOf(os::Services& os, uint32_t pid) {
    for (auto h : wt::topLevelWindows(os))
        if (probe::processIdOf(h) == pid && probe::isVisible(h) && os.getClassName(h) == u"#32770") return h;
    return 0;
}

// The program's marker window on the screen, 0 when there is none.
os::WindowHandle markerOf(os::Services& os, uint32_t pid) {
    for (auto h : wt::topLevelWindows(os))
        if (probe::processIdOf(h) == pid && probe::isVisible(h) && os.getClassName(h) == Str(win32::markers::kClassName))
            return h;
    return 0;
}

}  // namespace

TEST(EndToEndTrial, CtrlTTypesIntoTheWindowLeftAndCtrlPMarksTheClickPoint) {
    auto os = win32::makeServices(1, 0);
    wt::Program prog(*os, u"tvk_trial_");
    prog.writeDocument(u"try.TVK",
                       u"Ver=1.0\r\nTop=0\r\nHeight=4275\r\nLeft=0\r\nWidth=3690\r\nKankakuTime=1\r\n"
                       u"KankakuTimeTani=1\r\nWindowTitle=\r\nStartHotKey=\r\nStopHotKey=\r\nTimerHH=0\r\n"
                       u"TimerMM=0\r\nTimerEnabled=False\r\nTimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n"
                       u"\"ｷｰ入力\",\"VK_Q,VK_W\",\"\"\r\n\"左ｸﾘｯｸ\",\"300,200\",\"\"\r\n");
    prog.start(u"/NOMSG try.TVK");
    const os::WindowHandle main = prog.waitMainWindow();
    ASSERT_TRUE(main != 0);
    const uint32_t pid = prog.process->id();

    // Notepad comes up in front; then the user comes back to the program.
    wt::Notepad np(*os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    ASSERT_TRUE(np.waitForeground() || np.bringToFront());
    ASSERT_TRUE(bringToFront(*os, main));

    const os::WindowHandle keyRow = probe::findChild(main, u"Edit", u"VK_Q,VK_W");
    ASSERT_TRUE(keyRow != 0);
    clickInto(*os, keyRow);
    ctrlKey(*os, 'T');
    const bool typed = waitFor([&] { return np.text() == u"qw"; }, 5000);
    EXPECT_TRUE(typed);
    const bool back = waitFor([&] { return os->getForegroundWindow() == main; }, 3000);
    EXPECT_TRUE(back);
    EXPECT_TRUE(waitFor([&] { return prog.status() == u"1行目を実行しました"; }, 3000));
    if (!typed || !back)
        wt::note("Notepad: \"" + wt::utf8(np.text()) + "\", status: " + wt::utf8(prog.status()) + ", windows: " +
                 prog.windows());

    const os::WindowHandle clickRow = probe::findChild(main, u"Edit", u"300,200");
    ASSERT_TRUE(clickRow != 0);
    clickInto(*os, clickRow);
    ctrlKey(*os, 'P');
    os::WindowHandle marker = 0;
    EXPECT_TRUE(waitFor([&] { return (marker = markerOf(*os, pid)) != 0; }, 2000));
    if (marker) {
        const probe::Rect r = probe::windowRect(marker);
        EXPECT_EQ((r.left + r.right - 1) / 2, 300);
        EXPECT_EQ((r.top + r.bottom - 1) / 2, 200);
        EXPECT_TRUE(r.right - r.left < 100 && r.bottom - r.top < 100);
        EXPECT_TRUE(probe::isTopmost(marker));
    }
    // Nothing was clicked and the program keeps the front.
    EXPECT_EQ(os->getForegroundWindow(), main);
    EXPECT_TRUE(waitFor([&] { return prog.status() == u"300,200 で左ｸﾘｯｸします"; }, 2000));
    probe::pump(3000);
    EXPECT_EQ(markerOf(*os, pid), os::WindowHandle(0));

    EXPECT_EQ(prog.closeAndWait(main), 0L);
}

// The user starts Notepad, then the program, types a row and tries it: the
// program has not left the front to any window yet, so it offers the
// window just behind it, Notepad, and sends there once the user says yes.
TEST(EndToEndTrial, RightAfterStartCtrlTAsksForTheWindowBehindAndTypesThereOnYes) {
    auto os = win32::makeServices(1, 0);
    wt::Notepad np(*os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    ASSERT_TRUE(np.waitForeground() || np.bringToFront());

    wt::Program prog(*os, u"tvk_trial_");
    prog.writeDocument(u"try.TVK",
                       u"Ver=1.0\r\nTop=0\r\nHeight=4275\r\nLeft=0\r\nWidth=3690\r\nKankakuTime=1\r\n"
                       u"KankakuTimeTani=1\r\nWindowTitle=\r\nStartHotKey=\r\nStopHotKey=\r\nTimerHH=0\r\n"
                       u"TimerMM=0\r\nTimerEnabled=False\r\nTimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n"
                       u"\"ｷｰ入力\",\"VK_Q\",\"\"\r\n");
    prog.start(u"/NOMSG try.TVK");
    const os::WindowHandle main = prog.waitMainWindow();
    ASSERT_TRUE(main != 0);
    ASSERT_TRUE(waitFor([&] { return os->getForegroundWindow() == main; }, 5000));
    const uint32_t pid = prog.process->id();

    // The row is finished by hand: ",VK_W" at the end of its command.
    const os::WindowHandle command = probe::findChild(main, u"Edit", u"VK_Q");
    ASSERT_TRUE(command != 0);
    clickInto(*os, command);
    constexpr uint8_t VK_END = 0x23;
    os->keybdEvent(VK_END, 0, 0, 0);
    os->keybdEvent(VK_END, 0, os::k::KEYEVENTF_KEYUP, 0);
    typeKeys(*os, u",VK_W");
    ASSERT_EQ(probe::controlText(command), Str(u"VK_Q,VK_W"));

    ctrlKey(*os, 'T');
    os::WindowHandle box = 0;
    ASSERT_TRUE(waitFor([&] { return (box = messageBoxOf(*os, pid)) != 0; }, 5000));
    const Str question = u"「" + os->getWindowText(np.window) + u"」に送りますか？";
    EXPECT_TRUE(probe::findChild(box, u"Static", question) != 0);
    EXPECT_EQ(probe::defaultButton(box), 7);  // IDNO
    // Nothing was sent while the question stands.
    EXPECT_EQ(np.text(), Str());
    if (!probe::findChild(box, u"Static", question)) wt::note("the box: " + prog.windows());

    typeKeys(*os, u"y");  // はい(&Y)
    const bool typed = waitFor([&] { return np.text() == u"qw"; }, 5000);
    EXPECT_TRUE(typed);
    EXPECT_TRUE(waitFor([&] { return os->getForegroundWindow() == main; }, 3000));
    EXPECT_TRUE(waitFor([&] { return prog.status() == u"1行目を実行しました"; }, 3000));
    if (!typed)
        wt::note("Notepad: \"" + wt::utf8(np.text()) + "\", status: " + wt::utf8(prog.status()) + ", windows: " +
                 prog.windows());

    // The row was changed: closing asks to save it, and "No" ends the program.
    probe::postClose(main);
    ASSERT_TRUE(waitFor([&] { return (box = messageBoxOf(*os, pid)) != 0; }, 5000));
    typeKeys(*os, u"n");  // いいえ(&N)
    EXPECT_EQ(prog.process->wait(15000), 0L);
}
