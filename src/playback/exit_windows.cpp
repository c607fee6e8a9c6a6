// Power-off at the end of a timed run.
#include "playback/exit_windows.h"

#include <memory>

#include "core/frm_TOVIRAK.h"

bool clsExitWindows::IsWindowsNT() {
    const bool nt = os_.isWindowsNT();
    lngLastResult = 1;
    return nt;
}

int32_t clsExitWindows::DoExitWindows(uint32_t flags) {
    // NT refuses the request unless the process holds the shutdown privilege.
    if (IsWindowsNT()) lngLastResult = os_.enableShutdownPrivilege() ? 1 : 0;
    lngLastResult = os_.exitWindowsEx(lngForce | flags) ? 1 : 0;
    return 0;
}

void frm_TOVIRAK::MS_PCPowerOff() {
    // A fresh instance for every request, released afterwards.
    auto Gcls_ExitWindows = std::make_unique<clsExitWindows>(os);
    Gcls_ExitWindows->Force(true);
    if (Gcls_ExitWindows->IsWindowsNT())
        Gcls_ExitWindows->PowerOff();
    else
        Gcls_ExitWindows->ShutDown();
    Gcls_ExitWindows.reset();
}
