// Which other program's window had the front before one of ours. An
// activation names the window it takes the front from only when the system
// knows it (Wine names none when another process hands us the front), so
// the backend also follows the front: the system's foreground events where
// they come, and the window that takes the front whenever we lose it.
#include "platform/win32/tk_internal.h"

namespace win32::tkw {

namespace {

bool ours(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid == GetCurrentProcessId();
}

// The toolkit whose front is followed (one per program).
Toolkit* g_watching = nullptr;

void CALLBACK foregroundChanged(HWINEVENTHOOK, DWORD, HWND h, LONG object, LONG, DWORD, DWORD) {
    if (g_watching && object == OBJID_WINDOW && h && IsWindow(h) && !ours(h)) g_watching->foreignFront = h;
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
    if (to && !ours(to)) foreignFront = to;
}

HWND Toolkit::frontBefore(HWND named) const {
    if (named && !ours(named)) return named;
    return foreignFront && IsWindow(foreignFront) ? foreignFront : nullptr;
}

}  // namespace win32::tkw
