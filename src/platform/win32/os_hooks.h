// The low-level input hooks of the services: one thread per process, of
// their own, with its own message loop, on which the system calls the hook
// procedures. The user-interface thread sleeps inside waits and key hold
// times, and the system silently removes a low-level hook whose thread does
// not answer in time, so the hooks never live there. The thread starts with
// the first hook and lives as long as the process. Free of <windows.h>.
#pragma once

#include "platform/os.h"

namespace win32::hooks {

// See os::Services. The keyboard hook is installed with the first observer
// and stays in place; later hooks (the mouse's) join the same thread.
int addKeyObserver(os::KeyObserver observer, bool injectedToo);
void removeKeyObserver(int id);
// The mouse hook joins the same thread with the first observer and leaves
// it with the last, so that no mouse move waits for it when nobody listens.
int addMouseObserver(os::MouseObserver observer, bool injectedToo);
void removeMouseObserver(int id);

}  // namespace win32::hooks
