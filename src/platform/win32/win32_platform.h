// Entry points of the Win32 backends. This header stays free of <windows.h>
// so that the Windows entry point and tests can include it like any other.
#pragma once

#include <memory>

#include "platform/os.h"
#include "platform/toolkit.h"

namespace win32 {

// The forms toolkit on real windows. instance is the module handle (HINSTANCE)
// of the program.
std::unique_ptr<tk::Backend> makeToolkit(void* instance);

// The operating-system services on the real system. The version numbers are
// the program's own (from its version resource or the build).
std::unique_ptr<os::Services> makeServices(int versionMajor, int versionMinor);

// The window class of the frozen-screen overlay (tests look for it).
inline constexpr char16_t kSnapshotWindowClass[] = u"TovirakSnapshot";

// The program's message loop: runs until the toolkit's quit() was called,
// servicing timers on high-resolution waitable timers. Returns the exit code.
int runMessageLoop(tk::Backend& toolkit);

}  // namespace win32
