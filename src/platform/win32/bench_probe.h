// Measuring aids for the benchmarks: process CPU time, a plain GUI timer
// loop to compare against, the module handle, a window that counts the keys
// it is given, and the first window a process shows. Free of <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/os.h"
#include "platform/text.h"

namespace win32::bench {

// User plus kernel CPU time of this process so far, in milliseconds.
double processCpuMs();

// Runs a message loop for the given wall time in which a thread timer made
// by SetTimer with intervalMs calls tick on every WM_TIMER.
void runGuiTimer(uint32_t intervalMs, double seconds, const std::function<void()>& tick);

// Paints what is invalid in a window and its children now, without
// invalidating anything first (to compare with a full repaint).
void flushPaint(uint64_t hwnd);

// The program's module handle (for makeToolkit).
void* moduleHandle();

// User plus kernel CPU time of another process so far, in milliseconds;
// -1 when it cannot be read.
double processCpuMs(uint32_t pid);

// A visible top-level window of the process, 0 while it shows none.
os::WindowHandle shownWindowOf(uint32_t pid);

// Milliseconds on the performance counter (the clock of the stamps below).
double counterMs();

// The machine's load over the last minute, as Linux counts it (read from
// /proc through Wine's Z: drive); -1 where there is no such file.
double loadAverage();

// Does what an empty Win32 program does: shows one window and dispatches
// its messages until it is closed. The floor of start-up time and idle CPU
// that any program pays under the same system.
int runEmptyWindow();

// A top-level window of this thread that stamps every key press it is
// given (WM_KEYDOWN, WM_SYSKEYDOWN) on the performance counter. Its title
// never changes, so a program watching it by title keeps finding it.
class KeyCounter {
public:
    explicit KeyCounter(const Str& title);
    ~KeyCounter();
    KeyCounter(const KeyCounter&) = delete;
    KeyCounter& operator=(const KeyCounter&) = delete;
    os::WindowHandle handle() const { return hwnd_; }
    // Foreground and keyboard focus; false when the system refused.
    bool bringToFront();
    const std::vector<double>& stamps() const { return stamps_; }
    void reset() { stamps_.clear(); }

private:
    os::WindowHandle hwnd_ = 0;
    std::vector<double> stamps_;
    friend struct KeyCounterAccess;
};

}  // namespace win32::bench
