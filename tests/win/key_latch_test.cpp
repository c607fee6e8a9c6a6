// Stop-key taps that the key state alone would miss. Another program polls
// the stop key's state as fast as it can, as other tools do, and so takes
// the key state's "pressed since the last query" bit before the player asks;
// a 20 ms tap between two ticks, or inside a "待機", must still stop the run
// each time. The taps come from the X server, as a real keyboard's would.
#include "harness.h"
#include "program.h"

#include <memory>
#include <string>

#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

constexpr int VK_F12 = 0x7B;

template <class F>
bool waitFor(F&& pred, uint32_t ms) {
    return probe::waitFor(pred, ms, 10);
}

void xdotool(const Str& args, const Str& dir) { probe::Process p(u"Z:\\usr\\bin\\xdotool " + args, dir); }

}  // namespace

TEST(KeyLatch, TwentyStopKeyTapsReadFirstByAnotherProgramEachStopTheRun) {
    auto os = win32::makeServices(1, 0);
    wt::Program prog(*os, u"tvk_latch_");
    // One long wait: the first tick comes half a second after the start, so
    // a tap right after the start falls between ticks, a later one inside
    // the wait.
    prog.writeDocument(u"latch.TVK",
                       u"Ver=1.0\r\nTop=0\r\nHeight=4275\r\nLeft=0\r\nWidth=3690\r\n"
                       u"KankakuTime=0.5\r\nKankakuTimeTani=1\r\nWindowTitle=\r\n"
                       u"StartHotKey=VK_F11\r\nStopHotKey=VK_F12\r\nTimerHH=0\r\nTimerMM=0\r\n"
                       u"TimerEnabled=False\r\nTimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n"
                       u"\"待機\",\"60\",\"\"\r\n");
    prog.start(u"/NOMSG latch.TVK");
    const os::WindowHandle main = prog.waitMainWindow();
    ASSERT_TRUE(main != 0);
    // Without a window manager the X focus follows the pointer: keys from
    // the X server reach Wine through the window under it.
    const probe::Rect r = probe::windowRect(main);
    os->setCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // The program forgets hot-key presses when its window is first
    // activated: the first tap waits until that has happened.
    ASSERT_TRUE(waitFor([&] { return os->getForegroundWindow() == main; }, 5000));
    probe::pump(300);
    probe::Process poller(u"\"" + os->programFolder() + u"\\win_tests.exe\" --poll-stop-key", prog.dir);

    int stopped = 0;
    for (int tap = 0; tap < 20; ++tap) {
        xdotool(u"key F11", prog.dir);
        if (!waitFor([&] { return startsWith(prog.status(), u"実行中"); }, 5000)) {
            wt::note("tap " + std::to_string(tap) + ": the run did not start; status " + wt::utf8(prog.status()));
            continue;
        }
        // Even taps come before the first tick, half a second after the
        // start; odd ones after it, inside the wait. (The status is not
        // read meanwhile: while the player sleeps in a wait slice, reading
        // it waits for the slice's end.)
        if (tap % 2 == 1) probe::pump(800);
        xdotool(u"keydown F12 sleep 0.02 keyup F12", prog.dir);
        // The next tick is at most half a second away, the next wait slice
        // a second.
        if (waitFor([&] { return prog.status() == u"待機中"; }, 4000)) {
            ++stopped;
        } else {
            wt::note("tap " + std::to_string(tap) + " did not stop the run; status " + wt::utf8(prog.status()));
            xdotool(u"key F12", prog.dir);
            waitFor([&] { return prog.status() == u"待機中"; }, 3000);
        }
    }
    poller.kill();
    std::string seen;
    try {
        seen = os->readFile(prog.dir + u"\\taps-seen.txt");
    } catch (const RtError&) {
    }
    // Under Wine a window's thread takes its keys from the X server only
    // while it reads its messages, so a tap during a wait slice reaches the
    // key state just before the player asks; between ticks the polling
    // program takes it first.
    wt::note(std::to_string(stopped) + " of 20 taps stopped the run; the polling program took " +
             (seen.empty() ? std::string("none") : seen) + " of them first");
    EXPECT_EQ(stopped, 20);
    EXPECT_EQ(prog.closeAndWait(prog.mainWindow()), 0L);
}

// The other program: polls the stop key as fast as it can for two minutes at
// most, and writes how many taps it saw into its working folder.
static int pollStopKey() {
    auto os = win32::makeServices(1, 0);
    const Str path = os->currentFolder() + u"\\taps-seen.txt";
    const int64_t end = os->monotonicMs() + 120000;
    long seen = 0;
    bool wasDown = false;
    while (os->monotonicMs() < end) {
        const int16_t s = os->getAsyncKeyState(VK_F12);
        const bool down = (s & 0x8000) != 0;
        if ((s & 1) || (down && !wasDown)) {
            ++seen;
            auto f = os->createFile(path);
            f->write(std::to_string(seen));
            f->close();
        }
        wasDown = down;
    }
    return 0;
}
[[maybe_unused]] static const bool pollStopKeyMode = wt::registerMode("--poll-stop-key", pollStopKey);
