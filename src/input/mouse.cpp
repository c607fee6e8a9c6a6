#include "input/mouse.h"

#include <algorithm>

#include "platform/text.h"

namespace mouse {

namespace {
// ⌈offset × 65536 ÷ extent⌉ is the smallest value the system's floor maps
// back to offset; it stays below 65536 for every offset inside the extent.
int32_t axis(int32_t pixel, int32_t origin, int32_t extent) {
    if (extent <= 0) err::raise(err::DivisionByZero);
    const int64_t offset = std::clamp<int64_t>(int64_t(pixel) - origin, 0, int64_t(extent) - 1);
    return int32_t(std::min<int64_t>((offset * 65536 + extent - 1) / extent, 65535));
}
}  // namespace

Normalised normalise(os::Point p, const os::Rect& desktop) {
    return {axis(p.x, desktop.left, desktop.width()), axis(p.y, desktop.top, desktop.height())};
}

}  // namespace mouse
