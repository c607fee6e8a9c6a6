// The progress text the executor shows on the status line each step.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/text.h"

struct ProgressInput {
    int32_t runRow = 0;
    bool stopTimerEnabled = false;
    int16_t timerHH = 0;   // -1: count mode
    int16_t timerMM = 0;
    int16_t restCount = -1;
    DateTime now;
    std::optional<DateTime> stopTime;  // time mode
    bool powerOff = false;
};

// "実行中 3", "実行中 3　残り10回", "実行中 3　残り1:05:03(電源Off有効)" ...
// In time mode without a stop time the remaining time cannot be told:
// raises RtError 13 like a date read from an empty text.
Str progressText(const ProgressInput& in);
