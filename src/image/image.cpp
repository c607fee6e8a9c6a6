#include "image/image.h"

#include <algorithm>

namespace image {

bool hasOpaquePixel(const Image& img) {
    return std::any_of(img.pixels.begin(), img.pixels.end(), [](uint32_t p) { return isOpaque(p); });
}

Image cut(const ScreenPixels& screen, const os::Rect& r) {
    const os::Rect& s = screen.rect;
    const int32_t left = std::max(r.left, s.left), top = std::max(r.top, s.top);
    const int32_t right = std::min(r.right, s.right), bottom = std::min(r.bottom, s.bottom);
    Image img;
    if (right <= left || bottom <= top) return img;
    img.width = right - left;
    img.height = bottom - top;
    img.pixels.reserve(size_t(img.width) * size_t(img.height));
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x) img.pixels.push_back(screen.at(x, y) | 0xFF000000u);
    return img;
}

}  // namespace image
