// Pictures the macro looks for on the screen: the image type, its pixel
// format and the caps every image in a document keeps.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/geometry.h"

namespace image {

// A pixel is 0xAARRGGBB. A pixel with alpha below 128 is transparent: a
// search ignores it.
constexpr uint32_t kOpaqueAlpha = 128;
constexpr bool isOpaque(uint32_t pixel) { return (pixel >> 24) >= kOpaqueAlpha; }
constexpr int redOf(uint32_t pixel) { return int((pixel >> 16) & 0xFF); }
constexpr int greenOf(uint32_t pixel) { return int((pixel >> 8) & 0xFF); }
constexpr int blueOf(uint32_t pixel) { return int(pixel & 0xFF); }

// Neither side of an image may exceed this many pixels.
constexpr int32_t kMaxSide = 1024;

struct Image {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;  // row by row from the top, width * height
    uint32_t at(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const Image&, const Image&) = default;
};

// What the screen shows; the search runs on it.
using ScreenPixels = os::ScreenPixels;

bool hasOpaquePixel(const Image& img);

// The part of a capture inside r (virtual-desktop coordinates), every pixel
// opaque; empty when r and the capture do not meet.
Image cut(const ScreenPixels& screen, const os::Rect& r);

}  // namespace image
