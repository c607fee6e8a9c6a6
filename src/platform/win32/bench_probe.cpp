// Measuring aids for the timer benchmark.
#include "platform/win32/bench_probe.h"

#include <windows.h>

#include <chrono>

namespace win32::bench {

namespace {
const std::function<void()>* g_tick = nullptr;

void CALLBACK onGuiTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_tick) (*g_tick)();
}

double fileTimeMs(const FILETIME& t) {
    ULARGE_INTEGER u;
    u.LowPart = t.dwLowDateTime;
    u.HighPart = t.dwHighDateTime;
    return double(u.QuadPart) / 10000.0;
}
}  // namespace

double processCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    return fileTimeMs(kernel) + fileTimeMs(user);
}

void runGuiTimer(uint32_t intervalMs, double seconds, const std::function<void()>& tick) {
    g_tick = &tick;
    UINT_PTR id = SetTimer(nullptr, 0, intervalMs, onGuiTimer);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        MsgWaitForMultipleObjectsEx(0, nullptr, DWORD(left), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        // A tick slower than the interval keeps WM_TIMER pending forever:
        // the clock is looked at after every message.
        MSG m;
        while (std::chrono::steady_clock::now() < end && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    KillTimer(nullptr, id);
    g_tick = nullptr;
}

void flushPaint(uint64_t hwnd) {
    RedrawWindow(reinterpret_cast<HWND>(uintptr_t(hwnd)), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void* moduleHandle() { return GetModuleHandleW(nullptr); }

}  // namespace win32::bench
