// Points, rectangles and pixels of the screen, shared by the two ports.
// Kept apart from os.h, whose constants must be read before <windows.h>,
// so that the toolkit can use them from any file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace os {

struct Point {
    int32_t x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Screen rectangle in pixels; right and bottom lie just outside it.
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The pixels of a rectangle of the virtual desktop, row by row from the
// top, each 0x..RRGGBB: the top byte is not a colour and may hold anything.
// A capture reuses the vector's memory, so a caller that keeps one object
// between captures does not allocate again.
struct ScreenPixels {
    Rect rect;  // where they lie on the virtual desktop (may be negative)
    std::vector<uint32_t> pixels;
    // The pixel at virtual-desktop point (x, y), which must lie in rect.
    uint32_t at(int32_t x, int32_t y) const {
        return pixels[size_t(y - rect.top) * size_t(rect.width()) + size_t(x - rect.left)];
    }
};

}  // namespace os
