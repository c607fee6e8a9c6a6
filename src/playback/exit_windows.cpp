// Power-off at the end of a timed run.
#include "playback/exit_windows.h"

#include <memory>


bool ExitWindows::IsWindowsNT() {
    const bool nt = os_.isWindowsNT();
    lngLastResult = 1;
    return nt;
}

int32_t ExitWindows::DoExitWindows(uint32_t flags) {
    // NT refuses the request unless the process holds the shutdown privilege.
    if (IsWindowsNT()) lngLastResult = os_.enableShutdownPrivilege() ? 1 : 0;
    lngLastResult = os_.exitWindowsEx(lngForce | flags) ? 1 : 0;
    return 0;
}

void powerOffPC(os::Services& os) {
    // A fresh instance for every request.
    ExitWindows exit(os);
    exit.Force(true);
    if (exit.IsWindowsNT())
        exit.PowerOff();
    else
        exit.ShutDown();
}
