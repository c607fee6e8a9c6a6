// The low-level input hooks of the services: one thread per process, of
// their own, with its own message loop, on which the system calls the hook
// procedures and posts raw input. The user-interface thread sleeps inside
// waits and key hold times, and the system silently removes a low-level hook
// whose thread does not answer in time, so the hooks never live there. The
// thread starts when first needed and lives as long as the process. Free of
// <windows.h>.
#pragma once

#include "platform/os.h"

namespace win32::hooks {

// See os::Services. Each hook joins the thread with its first observer and
// leaves it with its last, so that no key or mouse move waits for it when
// nobody listens.
int addKeyObserver(os::KeyObserver observer, bool injectedToo);
void removeKeyObserver(int id);
int addMouseObserver(os::MouseObserver observer, bool injectedToo);
void removeMouseObserver(int id);

// Runs call(context) on the hook thread, starting the thread when needed,
// and returns its result; false when there is no thread.
bool callOnThread(bool (*call)(void*), void* context);
// Has call(context) run on the hook thread without waiting for it; nothing
// happens when the thread has never started.
void postToThread(void (*call)(void*), void* context);

}  // namespace win32::hooks
