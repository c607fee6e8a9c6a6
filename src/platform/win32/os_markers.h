// Markers that show where a step acts: a small cross at a point, a frame
// around a window or a match, or a picture beside it. Each is a window of its own above all others that never
// takes the focus or a click and destroys itself when its time is up. They
// live on the thread that shows them, whose message loop runs their timer.
// Free of <windows.h>.
#pragma once

#include <cstdint>

#include "platform/os.h"

namespace win32::markers {

// The window class of the markers (tests look for it).
inline constexpr char16_t kClassName[] = u"TovirakMarker";

void showPoint(os::Point p, uint32_t ms);
void showFrame(const os::Rect& r, uint32_t ms);
// Frames, crosses and pictures together, gone together.
void showSet(const os::MarkerSet& set, uint32_t ms);
void hide();

}  // namespace win32::markers
