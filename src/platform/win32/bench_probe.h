// Measuring aids for the timer benchmark: process CPU time, a plain GUI
// timer loop to compare against, and the module handle. Free of <windows.h>.
#pragma once

#include <cstdint>
#include <functional>

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

}  // namespace win32::bench
