// Keys and buttons a run holds down.
#include "playback/held_input.h"

void pressHeldKey(os::Services& os, RunState& state, KeyRoute route, uint8_t vk, os::WindowHandle window) {
    // Kept before it is sent: a release never misses a key that may be down.
    state.heldKeys.push_back({vk, route, window});
    sendKey(os, route, vk, KeyStroke::Press, window);
}

void releaseHeldKeys(os::Services& os, RunState& state) {
    while (!state.heldKeys.empty()) {
        const RunState::HeldKey k = state.heldKeys.back();
        state.heldKeys.pop_back();
        sendKey(os, k.route, k.vk, KeyStroke::Release, k.window);
    }
}

void releaseHeldInput(os::Services& os, RunState& state) {
    releaseHeldKeys(os, state);
    if (state.heldButtons == 0) return;
    const uint32_t buttons = state.heldButtons;
    state.heldButtons = 0;
    os.mouseEvent(buttons, 0, 0, 0, 0);
}
