// What a run holds down between two of its events: the keys of a key list
// during their hold and the buttons of a drag. They are kept in the run
// state, so that every end of a run (a stop, "終了", the end of a tried
// row, the session end, an error exit) lets go of them, keys first.
#pragma once

#include <cstdint>

#include "input/delivery.h"
#include "platform/os.h"
#include "playback/run_state.h"

// Presses vk by route and keeps it as held.
void pressHeldKey(os::Services& os, RunState& state, KeyRoute route, uint8_t vk, os::WindowHandle window);
// Releases the held keys, the last pressed first, each by its route.
void releaseHeldKeys(os::Services& os, RunState& state);
// Releases the held keys, then the buttons a drag holds.
void releaseHeldInput(os::Services& os, RunState& state);
