#include "playback/image_search.h"

#include <algorithm>

std::optional<ImageSearch::Found> ImageSearch::find(const image::Pattern& pattern, const os::Rect& region) {
    const int64_t start = os_.monotonicMs();
    const os::Rect desk = os_.virtualScreen();
    const bool onDesk = std::max(region.left, desk.left) < std::min(region.right, desk.right) &&
                        std::max(region.top, desk.top) < std::min(region.bottom, desk.bottom);
    std::optional<os::Point> at;
    if (!onDesk) {
        screen_.rect = {};
        screen_.pixels.clear();
    } else if (!os_.captureScreen(region, screen_)) {
        // Nothing seen is not "not there": a wait for the image to go must
        // not end on a screen it could not look at.
        err::raise(err::InvalidCall, u"画面を取り込めません");
    } else {
        at = pattern.find(screen_);
    }
    lastMs_ = os_.monotonicMs() - start;
    if (!at) return std::nullopt;
    return Found{*at, centreOf(pattern, *at)};
}

os::Point centreOf(const image::Pattern& pattern, os::Point at) {
    return {at.x + (pattern.width() - 1) / 2, at.y + (pattern.height() - 1) / 2};
}
