// End-to-end benchmark: TOVIRAK.exe (beside this program) started as a user
// starts it, measured from outside.
//   start   process start to the main window shown: with no document, with a
//           100,000-step TOVIRAK.TVK, with a TOVIRAK.TVK whose window shows
//           twenty grid rows, and for comparison Notepad and this
//           program showing one empty window (the floor: a program of the
//           same size that does nothing else), one start of each in turn
//           per round;
//   rate    a one-step macro "ｷｰ入力_改" «VK_Z» played with "/RUN" into a
//           window of this program that counts its key presses, the window
//           named as the document's target (so every tick checks it), in
//           count mode; keys arrived per second between the 500th and the
//           2,500th key, at 1, 2, 5 and 10 ms;
//   cost    what each part of one tick costs, measured in this process on
//           the main window itself (window check, status, grid, repaint,
//           injection, the whole tick), and the injection again with a
//           low-level keyboard hook in the process (the latch's way where
//           raw input cannot be had, and the recorder's) and after it.
// Every program runs with the key latch watching, as the program starts it
// at its first activation. The machine's load (1 minute) is printed before
// each run of the rate part.
//
// (The idle program's CPU is measured from outside Wine by
// scripts/e2e-bench.sh, with the Wine server's share.)
//
// Arguments choose the parts (default: all, in the order above); "window"
// alone makes this program the empty one.
// E2E_BENCH_PASSES (default 3000) and E2E_BENCH_STARTS (start-ups of each
// kind, default 5) set the lengths.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "input/delivery.h"
#include "platform/win32/bench_probe.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace bench = win32::bench;
namespace probe = win32::probe;

const Str kCounterTitle = u"Key counter (bench)";

int envInt(const char* name, int fallback) {
    const char* s = std::getenv(name);
    return s && std::atoi(s) > 0 ? std::atoi(s) : fallback;
}

void writeFile(os::Services& os, const Str& path, const Str& text) {
    auto f = os.createFile(path);
    f->write(toCp932(text));
    f->close();
}

struct DocSettings {
    Str height = u"4275", width = u"3690";  // the window, in twips
    Str interval = u"0.001";
    Str windowTitle;
    Str startKey, stopKey;
    int passes = 0;  // 0: no stop limit
};

Str document(const DocSettings& s, const std::vector<std::pair<Str, Str>>& rows) {
    Str t = u"Ver=1.0\r\nTop=0\r\nHeight=" + s.height + u"\r\nLeft=0\r\nWidth=" + s.width + u"\r\n";
    t += u"KankakuTime=" + s.interval + u"\r\nKankakuTimeTani=1\r\n";
    t += u"WindowTitle=" + s.windowTitle + u"\r\nStartHotKey=" + s.startKey + u"\r\nStopHotKey=" + s.stopKey + u"\r\n";
    if (s.passes > 0)
        t += u"TimerHH=-1\r\nTimerMM=" + toStr((long long)s.passes) + u"\r\nTimerEnabled=True\r\n";
    else
        t += u"TimerHH=0\r\nTimerMM=0\r\nTimerEnabled=False\r\n";
    t += u"TimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n";
    for (auto& [action, command] : rows) t += u"\"" + action + u"\",\"" + command + u"\",\"\"\r\n";
    return t;
}

// Dispatches this thread's messages until pred holds or ms have passed.
template <class F>
bool pumpUntil(F&& pred, double ms) {
    const double end = bench::counterMs() + ms;
    for (;;) {
        probe::pump(1);
        if (pred()) return true;
        if (bench::counterMs() >= end) return false;
    }
}

// A program started in a fresh folder of its own, closed as the user
// closes it (killed when it does not end).
struct Started {
    os::Services& os;
    Str dir;
    std::unique_ptr<probe::Process> process;
    double startedAt = 0;

    Started(os::Services& s, const Str& commandLine, const std::vector<std::pair<Str, Str>>& files)
        : os(s), dir(probe::makeTempFolder(u"tvk_bench_")) {
        for (auto& [name, text] : files) writeFile(os, dir + u"\\" + name, text);
        startedAt = bench::counterMs();
        process = std::make_unique<probe::Process>(commandLine, dir);
    }
    ~Started() {
        if (os::WindowHandle h = bench::shownWindowOf(process->id())) probe::postClose(h);
        if (process->wait(15000) == -1) process->kill();
        probe::removeTree(dir);
    }
    // Seconds from the process start to its first visible window; -1 when
    // none came within 30 s. Polled every millisecond.
    double secondsToWindow() {
        for (;;) {
            if (bench::shownWindowOf(process->id())) return (bench::counterMs() - startedAt) / 1000;
            if (bench::counterMs() - startedAt > 30000 || process->wait(0) != -1) return -1;
            probe::pump(1);
        }
    }
};

double median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Str exePath(os::Services& os, StrView name = u"TOVIRAK.exe") {
    Str p = u"\"";
    p += os.programFolder();
    p += u"\\";
    p += name;
    p += u"\"";
    return p;
}

// ---------------------------------------------------------------------------
void startUp(os::Services& os) {
    const int runs = envInt("E2E_BENCH_STARTS", 5);
    Str big = document({}, {});
    big.reserve(size_t(100000) * 24 + big.size());
    for (int i = 0; i < 100000; ++i) big += u"\"ｷｰ入力\",\"VK_A\",\"\"\r\n";
    // A window 1,000 pixels high, as a user may leave it: twenty grid rows.
    DocSettings tall;
    tall.height = u"15000";
    tall.width = u"9000";
    struct Kind {
        const char* name;
        Str commandLine;
        std::vector<std::pair<Str, Str>> files;
    };
    const std::vector<Kind> kinds = {
        {"no document", exePath(os) + u" /NOMSG", {}},
        {"100,000-step TOVIRAK.TVK", exePath(os) + u" /NOMSG", {{u"TOVIRAK.TVK", big}}},
        {"TOVIRAK.TVK, 20 rows shown", exePath(os) + u" /NOMSG",
         {{u"TOVIRAK.TVK", document(tall, {{u"ｷｰ入力", u"VK_A"}})}}},
        {"Notepad", u"notepad.exe", {}},
        {"empty window (floor)", exePath(os, u"e2e_bench.exe") + u" window", {}},
    };
    std::printf("start-up, process start to the main window shown (%d rounds after one unmeasured; load %.2f):\n", runs,
                bench::loadAverage());
    // The kinds in turn, one start of each per round, so that every kind
    // meets the same moments of the machine: the first starts after Wine
    // has booted share it with Wine's own processes still starting.
    std::vector<std::vector<double>> t(kinds.size());
    for (int round = 0; round <= runs; ++round) {
        for (size_t k = 0; k < kinds.size(); ++k) {
            Started s(os, kinds[k].commandLine, kinds[k].files);
            const double secs = s.secondsToWindow();
            t[k].push_back(round > 0 ? secs : -1);
        }
    }
    for (size_t k = 0; k < kinds.size(); ++k) {
        std::vector<double> v;
        for (double secs : t[k])
            if (secs >= 0) v.push_back(secs);
        std::sort(v.begin(), v.end());
        std::printf("  %-28s median %.3f s, min %.3f s, max %.3f s\n", kinds[k].name, median(v), v.empty() ? -1 : v.front(),
                    v.empty() ? -1 : v.back());
    }
    // Each round's no-document start against its empty window.
    std::vector<double> above;
    for (size_t r = 0; r < t.front().size(); ++r)
        if (t.front()[r] >= 0 && t.back()[r] >= 0) above.push_back(t.front()[r] - t.back()[r]);
    std::printf("  no document above the empty window, median of the rounds: %+.3f s\n", median(above));
    std::fflush(stdout);
}

// ---------------------------------------------------------------------------
// Keys arrived per second between the 500th and the 2,500th key (scaled for
// shorter runs); all runs are at least 3,000 passes unless told otherwise.
double rateOf(const std::vector<double>& stamps, int passes) {
    const size_t from = size_t(passes) / 6, to = size_t(passes) * 5 / 6;
    if (stamps.size() < to || to <= from) return -1;
    return double(to - from) * 1000.0 / (stamps[to - 1] - stamps[from - 1]);
}

bool rates(os::Services& os) {
    const int passes = envInt("E2E_BENCH_PASSES", 3000);
    bench::KeyCounter counter(kCounterTitle);
    // Under Wine without a window manager each process hears of the X
    // server's focus changes late, and a window that hears it has lost the
    // focus while it is in front takes the front from every window: keys
    // then reach none. So the counting window is not in front when the
    // program starts (its focus would go to the program's window, and the
    // news come after the run has brought it back); another one is.
    bench::KeyCounter starter(u"Start (bench)");
    std::printf("one-step macro \"ｷｰ入力_改\" VK_Z into a counting window named as the target, %d passes:\n", passes);
    std::printf("  %-9s %10s %10s %8s %9s %10s %8s\n", "interval", "keys/s", "limit", "arrived", "run (s)", "CPU (%)",
                "load");
    bool ok = true;
    for (int ms : {1, 2, 5, 10}) {
        DocSettings d;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%.3f", ms / 1000.0);
        d.interval = fromUtf8(buf);
        d.windowTitle = kCounterTitle;
        d.passes = passes;
        // A run whose keys reach no window (see above) is started once more.
        double rate = -1;
        for (int attempt = 0; attempt < 2 && rate < 0; ++attempt) {
            counter.reset();
            starter.bringToFront();
            const double load = bench::loadAverage();
            Started s(os, exePath(os) + u" /RUN /NOMSG rate.TVK", {{u"rate.TVK", document(d, {{u"ｷｰ入力_改", u"VK_Z"}})}});
            // The run brings the counting window to the front and types into it.
            const auto& st = counter.stamps();
            if (!pumpUntil([&] { return st.size() >= 1; }, 20000)) {
                const os::WindowHandle fg = os.getForegroundWindow();
                std::printf("  %6d ms   no key arrived (the front window: \"%s\"; load %.2f)%s\n", ms,
                            toUtf8(os.getWindowText(fg)).c_str(), load, attempt == 0 ? "; started again" : "");
                std::fflush(stdout);
                continue;
            }
            const double first = st.front(), cpu0 = bench::processCpuMs(s.process->id());
            // Done when every pass has typed, or nothing came for 2 s.
            size_t seen = 0;
            double lastChange = bench::counterMs();
            pumpUntil([&] {
                if (st.size() != seen) {
                    seen = st.size();
                    lastChange = bench::counterMs();
                }
                return st.size() >= size_t(passes) || bench::counterMs() - lastChange > 2000;
            }, double(passes) * ms * 10 + 30000);
            const double cpu1 = bench::processCpuMs(s.process->id());
            const double wall = st.back() - first;
            rate = rateOf(st, passes);
            std::printf("  %6d ms %10.1f %10.0f %8zu %9.2f %10.1f %8.2f\n", ms, rate, 1000.0 / ms, st.size(),
                        wall / 1000, wall > 0 && cpu0 >= 0 ? (cpu1 - cpu0) * 100 / wall : -1.0, load);
            std::fflush(stdout);
            // Keys lost on the way do not count as a run to repeat.
            if (rate < 0) break;
        }
        if ((ms == 1 && rate < 900) || (ms == 2 && rate < 490)) ok = false;
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Mean milliseconds of one call of f over n calls, this thread's messages
// (the injected keys, paints) dispatched between the calls, outside the
// measured time.
template <class F>
double perCall(int n, F&& f) {
    double total = 0;
    for (int i = 0; i < n; ++i) {
        const double t = bench::counterMs();
        f(i);
        total += bench::counterMs() - t;
        if (i % 8 == 7) probe::pump(0);
    }
    return total / n;
}

void costs(tk::Backend& toolkit, os::Services& os) {
    const int n = 2000;
    bench::KeyCounter counter(kCounterTitle);
    counter.bringToFront();
    probe::pump(100);
    // The same keys before the latch watches.
    const double bare = perCall(n, [&](int) {
        sendInputKey(os, 0x5A, false);
        sendInputKey(os, 0x5A, true);
    });
    MainWindow app(toolkit, os);
    app.form->onLoad = nullptr;  // no document, no command line
    app.form->show();            // the first activation starts the latch
    app.document.settings.stayBehind = true;
    probe::pump(200);
    app.document.steps.resize(2);
    app.document.steps.at(1) = MacroStep{u"ｷｰ入力_改", u"VK_Z", Str()};
    app.controls.intervalBox->setText(u"0.001");
    app.document.settings.targetWindowSearch = kCounterTitle;
    app.document.settings.stopTimerEnabled = true;
    app.document.settings.timerHours = -1;
    app.document.settings.timerMinutes = 30000;
    app.startOrStop();
    if (app.player.state().row != 1) {
        std::printf("cost: the run did not start: %s\n", toUtf8(app.statusLine.text()).c_str());
        return;
    }
    app.player.timer().setEnabled(false);  // the ticks are called below
    counter.bringToFront();
    probe::pump(100);
    std::printf("what one tick costs, in ms (mean of %d calls; the one-step macro into the counting window):\n", n);

    Str ignored;
    const double walk = perCall(n, [&](int) { findTargetWindow(app.statusLine, os, app.form->nativeHandle(), app.player.state().targetTitle, &ignored); });
    // The tick's own check, where it asks the window found last first.
    const double kept = perCall(n, [&](int) { app.player.targetWindow().find(app.player.state().targetTitle, app.form->nativeHandle()); });
    const double status = perCall(n, [&](int i) {
        app.statusLine.show(StatusMode::Status, u"実行中 1　残り" + toStr((long long)(30000 - i)) + u"回");
    });
    const double gridStill = perCall(n, [&](int) {
        if (app.player.state().row <= app.grid.scrollBar()->max() - 1) app.grid.scrollBar()->setValue(app.player.state().row);
    });
    const double repaint = perCall(n, [&](int) { app.form->repaint(); });
    auto injectOnce = [&](int) { app.player.executor().execute(PlanRow{u"ｷｰ入力_改", u"VK_Z", Str()}, app.player.state()); };
    const double inject = perCall(n, injectOnce);
    app.player.state().passesLeft = 30000;
    const double tick = perCall(n, [&](int) { app.player.tick(); });
    // With a low-level keyboard hook in the process, which every key waits
    // for, and once it has gone again.
    const int hook = os.addKeyObserver([](const os::RawKey&) { return false; }, true);
    const double hooked = perCall(n, injectOnce);
    os.removeKeyObserver(hook);
    probe::pump(100);
    const double unhooked = perCall(n, injectOnce);
    probe::pump(200);
    const size_t keys = counter.stamps().size();

    std::printf("  window check, walk of all top-level windows   %8.4f\n", walk);
    std::printf("  window check, the window found last asked    %8.4f\n", kept);
    std::printf("  status line (new text, painted)               %8.4f\n", status);
    std::printf("  grid (one-step macro: the grid stays)         %8.4f\n", gridStill);
    std::printf("  repaint of the window (nothing left to paint) %8.4f\n", repaint);
    std::printf("  injection (\"ｷｰ入力_改\" VK_Z, down and up)       %8.4f\n", inject);
    std::printf("  (the same two SendInput calls before the latch  %8.4f)\n", bare);
    std::printf("  whole tick, calls back to back                %8.4f\n", tick);
    std::printf("  injection with a low-level keyboard hook      %8.4f%s\n", hooked, hook ? "" : " (no hook)");
    std::printf("  injection once the hook has gone              %8.4f\n", unhooked);

    // The grid following the run through a longer macro: each step scrolls
    // it by one row, which rewrites and repaints every visible row.
    app.player.stop(false);
    app.document.steps.resize(61);
    for (int r = 1; r <= 60; ++r) app.document.steps.at(r) = MacroStep{u"ｷｰ入力_改", u"VK_Z", u"row"};
    app.grid.scrollBar()->setRange(1, 60 - app.grid.rowsShown() + 1);
    app.player.setRunLock(true);
    app.player.timer().setEnabled(false);
    const double gridMove = perCall(n / 4, [&](int i) {
        app.grid.scrollBar()->setValue(1 + i % 2);
        app.form->repaint();
    });
    app.player.setRunLock(false);
    std::printf("  grid moving by one row, with its repaint (%d visible rows) %8.4f\n", app.grid.rowsShown(), gridMove);
    std::printf("  (%zu keys reached the counting window)\n", keys);
    std::fflush(stdout);
    app.form->onQueryUnload = nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::set<std::string> parts;
    for (int i = 1; i < argc; ++i) parts.insert(toUtf8(Str(reinterpret_cast<const char16_t*>(argv[i]))));
    auto want = [&](const char* p) { return parts.empty() || parts.count(p) > 0; };
    if (parts.count("window")) return bench::runEmptyWindow();

    auto services = win32::makeServices(TOVIRAK_VERSION_MAJOR, TOVIRAK_VERSION_MINOR);
    if (!services->fileExists(services->programFolder() + u"\\TOVIRAK.exe")) {
        std::printf("TOVIRAK.exe is not beside the benchmark\n");
        return 2;
    }
    bool ok = true;
    if (want("start")) startUp(*services);
    if (want("rate")) ok = rates(*services);
    // Last: it starts the latch, and a hook, in this process.
    if (want("cost")) {
        auto toolkit = win32::makeToolkit(bench::moduleHandle());
        costs(*toolkit, *services);
    }
    if (want("rate"))
        std::printf("minimum rates (900 keys/s at 1 ms, 490 at 2 ms): %s\n", ok ? "met" : "MISSED");
    return ok ? 0 : 1;
}
