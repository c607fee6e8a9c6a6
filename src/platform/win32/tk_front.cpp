// Which other program's window had the front before one of ours. An
// activation names the window it takes the front from only when the system
// knows it (Wine names none when another process hands us the front), so
// the backend also follows the front: the system's foreground events where
// they come, and the window that takes the front whenever we lose it.
#include "platform/win32/tk_internal.h"

#include <string>

namespace win32::tkw {

namespace {

bool ours(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid == GetCurrentProcessId();
}

// A window the user works in. The taskbar, the desktop and the task
// switcher take the front for a moment on the way to our window (a click
// on the taskbar button, Alt+Tab); keys sent there would go nowhere.
bool workWindow(HWND h) {
    if (!h || !IsWindow(h) || !IsWindowVisible(h) || h == GetShellWindow() || ours(h)) return false;
    wchar_t cls[64];
    const int n = GetClassNameW(h, cls, 64);
    const std::wstring name(cls, n > 0 ? size_t(n) : 0);
    for (const wchar_t* shell : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"Progman", L"WorkerW",
                                 L"MultitaskingViewFrame", L"ForegroundStaging", L"TaskSwitcherWnd",
                                 L"XamlExplorerHostIslandWindow", L"Windows.UI.Core.CoreWindow"})
        if (name == shell) return false;
    return true;
}

// The toolkit whose front is followed (one per program).
Toolkit* g_watching = nullptr;

void CALLBACK foregroundChanged(HWINEVENTHOOK, DWORD, HWND h, LONG object, LONG, DWORD, DWORD) {
    if (g_watching && object == OBJID_WINDOW && workWindow(h)) g_watching->foreignFront = h;
}

}  // namespace

void Toolkit::watchFront() {
    if (g_watching) return;
    g_watching = this;
    // Out of context: the events come as messages to this thread, which
    // always runs a message loop. Our own windows are left out.
    frontHook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, foregroundChanged, 0, 0,
                                WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

void Toolkit::unwatchFront() {
    if (frontHook) UnhookWinEvent(frontHook);
    frontHook = nullptr;
    if (g_watching == this) g_watching = nullptr;
}

void Toolkit::frontLeftTo(HWND to) {
    // Not named: the new foreground is already set when we hear of it.
    if (!to || ours(to)) to = GetForegroundWindow();
    if (workWindow(to)) foreignFront = to;
}

HWND Toolkit::frontBefore(HWND named) const {
    if (workWindow(named)) return named;
    return foreignFront && IsWindow(foreignFront) ? foreignFront : nullptr;
}

}  // namespace win32::tkw
