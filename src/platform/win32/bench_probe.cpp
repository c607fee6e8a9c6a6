// Measuring aids for the timer benchmark.
#include "platform/win32/bench_probe.h"

#include "platform/win32/os_wide.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>

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

double loadAverage() {
    // A file of the kernel: its size reads 0, so it is read up to its end.
    Handle f(CreateFileW(L"Z:\\proc\\loadavg", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         0, nullptr));
    if (!f.valid()) return -1;
    char buf[64] = {};
    DWORD n = 0;
    if (!ReadFile(f.get(), buf, sizeof buf - 1, &n, nullptr) || n == 0) return -1;
    return std::strtod(buf, nullptr);
}

double processCpuMs(uint32_t pid) {
    Handle p(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME created, exited, kernel, user;
    if (!p.valid() || !GetProcessTimes(p.get(), &created, &exited, &kernel, &user)) return -1;
    return fileTimeMs(kernel) + fileTimeMs(user);
}

namespace {
struct ShownSearch {
    DWORD pid;
    HWND found = nullptr;
};
BOOL CALLBACK shownSearchProc(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<ShownSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == s->pid && IsWindowVisible(h)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

os::WindowHandle shownWindowOf(uint32_t pid) {
    ShownSearch s{pid};
    EnumWindows(shownSearchProc, reinterpret_cast<LPARAM>(&s));
    return fromHwnd(s.found);
}

double counterMs() {
    static const double freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) * 1000.0 / freq;
}

namespace {
LRESULT CALLBACK emptyProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}
}  // namespace

int runEmptyWindow() {
    registerPlainClass(L"TovirakEmptyWindow", emptyProc);
    HWND h = createOwnedWindow(L"TovirakEmptyWindow", L"Empty window (bench)", 200, 130, 250, 300, nullptr);
    if (!h) return 1;
    UpdateWindow(h);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}

struct KeyCounterAccess {
    static std::vector<double>& stamps(KeyCounter& k) { return k.stamps_; }
};

namespace {
const wchar_t kCounterClass[] = L"TovirakKeyCounter";

LRESULT CALLBACK counterProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<KeyCounter*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    switch (msg) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
        if (self) KeyCounterAccess::stamps(*self).push_back(counterMs());
        return 0;
    case WM_KEYUP: case WM_SYSKEYUP:
        return 0;
    default:
        return DefWindowProcW(h, msg, wp, lp);
    }
}
}  // namespace

KeyCounter::KeyCounter(const Str& title) {
    registerPlainClass(kCounterClass, counterProc);
    hwnd_ = fromHwnd(createOwnedWindow(kCounterClass, wide(title), 400, 40, 300, 200, this));
    stamps_.reserve(100000);
}

KeyCounter::~KeyCounter() {
    if (HWND h = toHwnd(hwnd_); h && IsWindow(h)) {
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        DestroyWindow(h);
    }
}

bool KeyCounter::bringToFront() {
    HWND h = toHwnd(hwnd_);
    SetForegroundWindow(h);
    SetActiveWindow(h);
    SetFocus(h);
    return GetForegroundWindow() == h && GetFocus() == h;
}

}  // namespace win32::bench
