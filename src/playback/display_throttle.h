// How closely the display follows a run. Steps may come every millisecond,
// and showing each one (status text, the selected row, a repaint) costs
// more than the step itself; the screen shows at most one picture a frame
// anyway. So when the step interval is below a frame, a tick's state is
// shown only when a frame has passed since the last one shown, and kept
// otherwise; the kept state is shown when the run stops or waits. At a
// frame and more every tick is shown.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/text.h"

class DisplayThrottle {
public:
    // About one display frame at 60 pictures a second.
    static constexpr int64_t kFrameMs = 16;

    // What a tick would have shown.
    struct State {
        Str progress;     // the progress text of the status line
        int32_t row = 0;  // the row being executed
    };

    // A run starts with this step timer interval (milliseconds).
    void begin(uint32_t intervalMs);
    // Whether the tick at nowMs (a monotonic clock) is shown; when it is,
    // it counts as the last shown and any kept state is dropped.
    bool showNow(int64_t nowMs);
    // Keeps the state of a tick that was not shown (the latest wins).
    void keep(State s) { kept_ = std::move(s); }
    // The kept state, which is forgotten: shown by the caller.
    std::optional<State> take();

private:
    bool throttled_ = false;
    std::optional<int64_t> lastShown_;
    std::optional<State> kept_;
};
