// The display throttle of a run.
#include "playback/display_throttle.h"

void DisplayThrottle::begin(uint32_t intervalMs) {
    throttled_ = intervalMs < kFrameMs;
    lastShown_.reset();
    kept_.reset();
}

bool DisplayThrottle::showNow(int64_t nowMs) {
    if (throttled_ && lastShown_ && nowMs - *lastShown_ < kFrameMs) return false;
    lastShown_ = nowMs;
    kept_.reset();
    return true;
}

std::optional<DisplayThrottle::State> DisplayThrottle::take() {
    std::optional<State> s;
    s.swap(kept_);
    return s;
}
