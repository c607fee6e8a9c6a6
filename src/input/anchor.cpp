// Anchored points: the command's parts and the arithmetic of the mapping.
#include "input/anchor.h"

#include <algorithm>

#include "input/window_search.h"

namespace anchor {

namespace {
// A DPI the system cannot have is taken as 100 %.
double scale(int dpi) { return dpi > 0 ? double(dpi) / kStoredDpi : 1.0; }
}  // namespace

CommandParts splitCommand(StrView command) {
    CommandParts p;
    const size_t a = command.find(u',');
    if (a == StrView::npos) {
        p.first = Str(command);
        return p;
    }
    p.first = Str(command.substr(0, a));
    const size_t b = command.find(u',', a + 1);
    if (b == StrView::npos) {
        p.second = Str(command.substr(a + 1));
        p.count = 2;
        return p;
    }
    p.second = Str(command.substr(a + 1, b - a - 1));
    p.third = Str(command.substr(b + 1));
    p.count = 3;
    return p;
}

Str searchText(StrView third) { return trim(third.substr(0, third.find(u','))); }

Str titleSearchText(StrView title) {
    Str best;
    size_t from = 0;
    for (;;) {
        const size_t comma = title.find(u',', from);
        Str part = trim(withoutNuls(title.substr(from, comma == StrView::npos ? StrView::npos : comma - from)));
        if (part.size() > best.size()) best = std::move(part);
        if (comma == StrView::npos) break;
        from = comma + 1;
    }
    return best;
}

os::Point toScreen(double x, double y, const Frame& frame) {
    const double s = scale(frame.dpi);
    const double sx = double(frame.clientOrigin.x) + roundHalfEven(x * s);
    const double sy = double(frame.clientOrigin.y) + roundHalfEven(y * s);
    return {clng(sx), clng(sy)};
}

os::Point toStored(os::Point screen, const Frame& frame) {
    const double s = scale(frame.dpi);
    auto axis = [&](int32_t pixel, int32_t origin) {
        const double v = roundHalfEven((double(pixel) - double(origin)) / s);
        // Offsets of one desktop always fit; a hostile DPI must not overflow.
        return int32_t(std::clamp(v, -2147483648.0, 2147483647.0));
    };
    return {axis(screen.x, frame.clientOrigin.x), axis(screen.y, frame.clientOrigin.y)};
}

Str storedCommand(os::Point screen, const Frame& frame, StrView search) {
    const os::Point p = toStored(screen, frame);
    return toStr((long long)p.x) + u"," + toStr((long long)p.y) + u"," + Str(search);
}

}  // namespace anchor
