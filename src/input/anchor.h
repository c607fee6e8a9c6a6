// Points anchored to a window: a command "x,y,text" names, after its point,
// the top-level window the point belongs to. The point is then relative to
// the top left corner of that window's client area, and stored at 96 dots
// per inch, so that it names the same spot of the window wherever the
// window stands and whatever scale factor its monitor has. The text side
// and the arithmetic, without any window.
#pragma once

#include <cstdint>

#include "platform/geometry.h"
#include "platform/text.h"

namespace anchor {

// The parts of a command: what stands before its first comma, between its
// first and second comma, and everything after the second comma (which may
// hold commas of its own). count says how many of them the command has.
struct CommandParts {
    Str first;
    Str second;
    Str third;
    int count = 1;  // 1, 2 or 3
    bool hasThird() const { return count == 3; }
};
CommandParts splitCommand(StrView command);

// The window search text of a third part: its part before its first comma,
// without blanks at both ends. It is searched as the window steps search
// their text (a part of the title, top-level windows only). Empty when the
// third part names no window.
Str searchText(StrView third);

// The text that finds a window with this title again: the title's longest
// part between commas, without blanks at its ends (the search stops at the
// first comma of its text). Empty when nothing is left.
Str titleSearchText(StrView title);

// The resolution a stored point is written at: 100 % scaling.
inline constexpr int kStoredDpi = 96;

// Where a window's client area is and how its monitor scales.
struct Frame {
    os::Point clientOrigin;  // screen pixels
    int dpi = kStoredDpi;    // effective DPI of the monitor that holds the window
};

// The screen pixel of stored point (x, y): client pixels are stored × DPI
// ÷ 96, each rounded to the nearest (half to even). RtError 6 when the
// result does not fit 32 bits.
os::Point toScreen(double x, double y, const Frame& frame);
// The stored point of a screen pixel: client pixels × 96 ÷ DPI, rounded.
os::Point toStored(os::Point screen, const Frame& frame);
// The command text "x,y,text" of a screen pixel anchored to the window that
// search text finds.
Str storedCommand(os::Point screen, const Frame& frame, StrView search);

}  // namespace anchor
