// What a run holds while it goes, owned by the player. The step executor
// reads and writes the parts a step touches; a row tried alone runs with
// the same state at row 0.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/os.h"
#include "platform/text.h"
#include "playback/waiting.h"

struct RunState {
    // The row the next tick executes, from 1; 0 while no run goes.
    int32_t row = 0;
    // Counts the runs started, so a tick still inside a wait knows when its
    // run has been stopped and another started.
    uint32_t generation = 0;
    // A wait in progress ends at its next slice (set by a stop).
    bool stopRequested = false;
    // Mouse buttons a drag step holds down (release flags): every end of a
    // run releases them.
    uint32_t heldButtons = 0;
    // A tick is executing: a tick that fires inside a wait is skipped.
    bool inTick = false;

    // The target window: its whole title as found at the start (empty when
    // the document names none), and the window found at the last tick,
    // where key messages go.
    Str targetTitle;
    os::WindowHandle targetWindow = 0;

    // Intervals above a second, or in minutes, tick every second and count
    // seconds up to the interval, which is read once at the start.
    bool longInterval = false;
    double intervalSeconds = 0;
    int32_t secondsCounted = 0;

    // The stop limit: passes left in count mode (-1: none), or the time at
    // which a timed run stops.
    int16_t passesLeft = -1;
    std::optional<DateTime> stopTime;

    // How long a row may wait for what it waits for (seconds, 0: no limit),
    // read at the start.
    int32_t waitLimitSeconds = 0;
    // The row the run waits on: since the first tick on it (monotonic ms),
    // what for, and the whole seconds the status line shows.
    struct RowWait {
        int32_t row = 0;
        int64_t sinceMs = 0;
        WaitReason reason;
        int64_t shownSeconds = 0;
    };
    std::optional<RowWait> waiting;
};
