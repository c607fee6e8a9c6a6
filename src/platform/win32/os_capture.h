// Copies of what the screen shows, by the system's bitmap calls, into a
// bitmap that is kept for the next capture. Free of <windows.h>.
#pragma once

#include "platform/os.h"

namespace win32::capture {

// r clipped to the virtual desktop into out; false (out empty) when nothing
// is left or the system refuses. User-interface thread only.
bool screen(const os::Rect& r, os::ScreenPixels& out);

}  // namespace win32::capture
