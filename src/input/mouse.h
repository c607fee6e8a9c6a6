// Absolute mouse moves: a screen pixel as the normalised coordinates of an
// absolute mouse event over the whole virtual desktop, so that points on
// every monitor, left of and above the primary one included, are reached.
#pragma once

#include <cstdint>

#include "platform/os.h"

namespace mouse {

// Flags of an absolute move over the virtual desktop.
constexpr uint32_t kAbsoluteMove =
    os::k::MOUSEEVENTF_MOVE | os::k::MOUSEEVENTF_ABSOLUTE | os::k::MOUSEEVENTF_VIRTUALDESK;

struct Normalised {
    int32_t dx = 0, dy = 0;
    friend bool operator==(const Normalised&, const Normalised&) = default;
};

// The coordinates (0..65535) that the system maps back to exactly the pixel
// p: it places dx at desktop.left + floor(dx × width ÷ 65536), and likewise
// dy. A point outside the desktop goes to its nearest edge, as SetCursorPos
// takes it there. RtError 11 when the desktop has no size.
Normalised normalise(os::Point p, const os::Rect& desktop);

}  // namespace mouse
