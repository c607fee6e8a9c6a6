// Log off, shut down, restart or power off Windows. One instance serves one
// request; results of the system calls are kept but not reported.
#pragma once

#include <cstdint>

#include "platform/os.h"

class ExitWindows {
public:
    explicit ExitWindows(os::Services& services) : os_(services) {}

    bool Force() const { return lngForce != 0; }
    void Force(bool bolNewForce) { lngForce = bolNewForce ? os::k::EWX_FORCE : 0; }
    int32_t ShutDown() { return DoExitWindows(os::k::EWX_SHUTDOWN); }
    int32_t LogOff() { return DoExitWindows(os::k::EWX_LOGOFF); }
    bool IsWindowsNT();
    int32_t ReBoot() { return DoExitWindows(os::k::EWX_REBOOT); }
    int32_t PowerOff() { return DoExitWindows(os::k::EWX_POWEROFF); }

    int32_t lastResult() const { return lngLastResult; }

private:
    int32_t DoExitWindows(uint32_t flags);

    os::Services& os_;
    uint32_t lngForce = 0;
    int32_t lngLastResult = 0;
};

// Asks Windows to switch the PC off, forced: open programs do not hold it.
void powerOffPC(os::Services& os);
