// A desk that changes under a macro, through the built program started with
// "/RUN": a key list's long hold is ended by the stop key with its keys let
// go at once, and the window answers throughout the hold; a click anchored
// to Notepad lands on the same character after Notepad has moved; a wait
// for a window that never comes ends at the document's wait limit.
#include "harness.h"
#include "notepad.h"
#include "program.h"
#include "xdotool.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/document_format.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/typing_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

using probe::waitFor;

constexpr int VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_A = 'A', VK_F12 = 0x7B;

// A document of the rows at the interval (seconds), as the program writes it.
Str document(const Str& interval, const std::vector<std::pair<Str, Str>>& rows, const Str& targetWindow = Str(),
             int32_t waitLimit = 0) {
    docfmt::Header h;
    h.ver = u"1.0";
    h.height = 4275;
    h.width = 3690;
    h.interval = interval;
    h.intervalUnit = u"1";
    h.windowTitle = targetWindow;
    h.stopHotKey = u"VK_F12";
    h.waitLimit = waitLimit;
    Str t = docfmt::headerText(h);
    for (auto& [action, command] : rows) t += u"\"" + action + u"\",\"" + command + u"\",\"\"\r\n";
    return t;
}

bool down(os::Services& os, int vk) { return (os.getAsyncKeyState(vk) & 0x8000) != 0; }

}  // namespace

// «^+VK_A(6000)» into a window of the test's own, with the stop key pressed
// on the X server 2 s into the hold: the run ends, and Ctrl, Shift and A
// are up within 200 ms of the stop key's press (the test reads the keys'
// states itself). Until then the program's window answers messages and A
// repeats as a held key does.
TEST(EndToEndSteady, TheStopKeyEndsALongHoldAndItsKeysGoUpAtOnce) {
    auto os = win32::makeServices(1, 0);
    probe::TypingTarget target(u"TOVIRAK hold target");
    ASSERT_TRUE(target.handle() != 0);
    const os::InputSettings keyboard = os->inputSettings();
    wt::note("keyboard delay " + std::to_string(keyboard.keyRepeatDelayMs) + " ms, speed " +
             std::to_string(keyboard.keyRepeatSpeed));

    std::atomic<int64_t> stopKeyAt{0};
    std::atomic<int> aDowns{0};
    const int hook = os->addKeyObserver(
        [&](const os::RawKey& k) {
            if (k.vk == VK_F12 && !k.up && stopKeyAt.load() == 0) stopKeyAt = os->monotonicMs();
            if (k.vk == VK_A && !k.up && k.injected) ++aDowns;
            return false;
        },
        true);
    ASSERT_TRUE(hook != 0);

    wt::Program prog(*os, u"tvk_steady_");
    ASSERT_TRUE(wt::toFront(*os, target.handle(), prog.dir, "^TOVIRAK hold target$"));
    // The program's window comes up after the run has begun and takes the
    // front: the run gives it back to the target before the hold.
    prog.writeDocument(u"hold.TVK", document(u"0.1",
                                             {{u"待機", u"1"},
                                              {u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"TOVIRAK hold target"},
                                              {u"待機", u"1"},
                                              {u"ｷｰ入力_改", u"^+VK_A(6000)"},
                                              {u"ｷｰ入力_改", u"VK_B"}},
                                             u"TOVIRAK hold target"));
    prog.start(u"/RUN /NOMSG hold.TVK");
    const bool holding =
        waitFor([&] { return down(*os, VK_CONTROL) && down(*os, VK_SHIFT) && down(*os, VK_A); }, 20000, 5);
    ASSERT_TRUE(holding);
    const int64_t heldAt = os->monotonicMs();

    // The window answers while the hold goes on: the status line's text is
    // asked for every 100 ms and comes back each time.
    int64_t slowest = 0;
    bool answered = true;
    while (os->monotonicMs() < heldAt + 2000) {
        const int64_t t0 = os->monotonicMs();
        answered = answered && startsWith(prog.status(), u"実行中");
        slowest = std::max(slowest, os->monotonicMs() - t0);
        probe::pump(100);
    }
    wt::note("the window answered within " + std::to_string(slowest) + " ms during the hold");
    EXPECT_TRUE(answered);
    EXPECT_TRUE(slowest < 500);
    EXPECT_TRUE(down(*os, VK_CONTROL) && down(*os, VK_SHIFT) && down(*os, VK_A));

    probe::Process xdotool(u"Z:\\usr\\bin\\xdotool key F12", prog.dir);
    ASSERT_TRUE(waitFor([&] { return stopKeyAt.load() != 0; }, 5000, 1));
    const bool released =
        waitFor([&] { return !down(*os, VK_CONTROL) && !down(*os, VK_SHIFT) && !down(*os, VK_A); }, 3000, 1);
    const int64_t releaseMs = os->monotonicMs() - stopKeyAt.load();
    EXPECT_TRUE(released);
    wt::note("stop key to release: " + std::to_string(releaseMs) + " ms; A went down " + std::to_string(aDowns.load()) +
             " times in the hold");
    EXPECT_TRUE(releaseMs <= 200);
    EXPECT_TRUE(waitFor([&] { return prog.status() == u"待機中"; }, 3000));
    // The keys repeated (after the delay, a few times a second at least).
    EXPECT_TRUE(aDowns.load() >= 3);
    // Ctrl+A (character 1) reached the target, and nothing after the stop.
    probe::pump(300);
    EXPECT_TRUE(!target.typed().empty() && target.typed().find_first_not_of(u'\x01') == Str::npos);
    os->removeKeyObserver(hook);
    EXPECT_EQ(prog.closeAndWait(prog.mainWindow()), 0L);
}

// "左ｸﾘｯｸ" at a point of Notepad's client area, then a letter: played, with
// Notepad here and then moved elsewhere, the click lands at the same offset
// from the client area and the letter in the same place of the text. At
// first the program's own window (at the top left) covers the point: the
// step brings Notepad up over it before the click.
TEST(EndToEndSteady, AnAnchoredClickFollowsNotepadWhenItMoves) {
    auto os = win32::makeServices(1, 0);
    wt::Notepad np(*os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    const Str title = os->getWindowText(np.window);
    std::atomic<int> clickX{-100000}, clickY{-100000};
    const int hook = os->addMouseObserver(
        [&](const os::RawMouse& m) {
            if (m.kind == os::RawMouse::LeftDown && m.injected) {
                clickX = m.pt.x;
                clickY = m.pt.y;
            }
            return false;
        },
        true);
    ASSERT_TRUE(hook != 0);
    const Str text = u"abcdefghijklmnop\r\nqrstuvwxyz";
    const uint32_t moveOnly = os::k::SWP_NOSIZE | os::k::SWP_NOZORDER | os::k::SWP_NOACTIVATE;

    auto playAt = [&](int x, int y, os::Point& offset) -> Str {
        EXPECT_TRUE(os->setWindowPos(np.window, 0, x, y, 0, 0, moveOnly));
        EXPECT_TRUE(probe::setControlText(np.edit, text));
        probe::pump(200);
        wt::Program prog(*os, u"tvk_steady_");
        prog.writeDocument(u"anchored.TVK",
                           document(u"0.2", {{u"待機", u"1"},  // the program's window is up and has taken the front
                                             {u"左ｸﾘｯｸ", u"60,8," + title},
                                             {u"ｷｰ入力", u"Z"},
                                             {u"終了", u""}}));
        clickX = -100000;
        prog.start(u"/RUN /NOMSG anchored.TVK");
        const long code = prog.process->wait(30000);
        EXPECT_EQ(code, 0L);
        if (code == -1) wt::note("status: " + wt::utf8(prog.status()));
        os::Point origin;
        EXPECT_TRUE(os->clientOrigin(np.window, origin));
        offset = {clickX.load() - origin.x, clickY.load() - origin.y};
        wt::note("Notepad at " + std::to_string(x) + "," + std::to_string(y) + ": click at " +
                 std::to_string(offset.x) + "," + std::to_string(offset.y) + " of the client area");
        waitFor([&] { return np.text().size() > text.size(); }, 3000);
        return np.text();
    };
    os::Point before, after;
    const Str here = playAt(20, 30, before);
    const Str there = playAt(420, 310, after);
    os->removeMouseObserver(hook);
    wt::note("Notepad holds \"" + wt::utf8(here) + "\" and then \"" + wt::utf8(there) + "\"");
    EXPECT_EQ(here.size(), text.size() + 1);
    EXPECT_TRUE(here != u"Z" + text);  // inside the first line, not at its start
    EXPECT_EQ(there, here);
    // To the pixel, but for the rounding of the virtual desktop's units.
    EXPECT_TRUE(std::abs(before.x - 60) <= 1 && std::abs(before.y - 8) <= 1);
    EXPECT_TRUE(std::abs(after.x - before.x) <= 1 && std::abs(after.y - before.y) <= 1);
}

// WaitLimit=2 at 0.1 s: a wait for a window that never comes stops the run
// 2 to 3 s after the row was reached, with the failing step's message.
TEST(EndToEndSteady, AWaitForAWindowThatNeverComesEndsAtTheLimit) {
    auto os = win32::makeServices(1, 0);
    wt::Program prog(*os, u"tvk_steady_");
    prog.writeDocument(u"limit.TVK",
                       document(u"0.1", {{u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"TOVIRAK never there"}}, Str(), 2));
    prog.start(u"/RUN /NOMSG limit.TVK");
    ASSERT_TRUE(waitFor([&] { return startsWith(prog.status(), u"実行中 1"); }, 20000, 10));
    const int64_t reached = os->monotonicMs();
    Str status;
    const bool stopped = waitFor(
        [&] {
            status = prog.status();
            return startsWith(status, u"[");
        },
        6000, 10);
    const int64_t took = os->monotonicMs() - reached;
    wt::note("stopped " + std::to_string(took) + " ms after the row was reached: " + wt::utf8(status));
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(took >= 2000 - 20 && took <= 3000);
    EXPECT_EQ(status,
              Str(u"[tim_Timer_Timer]「TOVIRAK never there」を含むウィンドウが2秒待っても現れません ステップ：ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ"));
    EXPECT_EQ(prog.closeAndWait(prog.mainWindow()), 0L);
}
