// Finding and activating top-level windows by a search text, the
// always-on-top switch of the program's own window and the screen measure.
// Failures go to the sink under the procedure names users know; nothing
// here shows a text of its own.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/error_sink.h"
#include "platform/os.h"

// The first top-level window, walking the Z order from the top (own is any
// top-level window), that the search text names: a title part, or a title
// part and a class joined by ",". 0 when none. Its cleaned title goes to
// *fullTitle when given and a window is found. A failure is reported as
// "MF_WindowActive" and gives 0.
os::WindowHandle findTargetWindow(ErrorSink& sink, os::Services& os, os::WindowHandle own, StrView search,
                                  Str* fullTitle = nullptr);

// The same, and the window found is brought to the front. 0 when the search
// text is empty or names no window (nothing is activated; the caller tells
// the user); nullopt when it failed (reported).
std::optional<os::WindowHandle> activateTargetWindow(ErrorSink& sink, os::Services& os, os::WindowHandle own,
                                                     StrView search, Str* fullTitle = nullptr);

// Brings window h to the front, also from a program in the background
// (attached to the input of the thread that has the front). Reported as
// "MF_ActiveForm".
void bringToFront(ErrorSink& sink, os::Services& os, os::WindowHandle own, os::WindowHandle h);

// Puts the program's window own above all others, or back among them.
// Reported as "MS_TopMost".
void setTopMost(ErrorSink& sink, os::Services& os, os::WindowHandle own, bool topMost);

// The largest screen coordinates of the primary screen, in pixels.
struct ScreenMeasure {
    int32_t maxX = 0;
    int32_t maxY = 0;
};
// Measures into screen, without touching the cursor. Reported as
// "MS_GetDispWidth".
void measureScreen(ErrorSink& sink, os::Services& os, ScreenMeasure& screen);
