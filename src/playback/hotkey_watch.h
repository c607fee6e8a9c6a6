// The start and stop hot keys: their key lists, the watch that starts a run
// when a start key is pressed while the program is idle, and the Pause and
// stop keys that a run and its waits ask for. Presses are caught by the key
// latch's keyboard hook, which wakes the watch at once; a slow poll catches
// what a hook the system has dropped no longer sees, and without the hook
// the watch polls the key state every 10 ms.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "latch/key_latch.h"
#include "platform/error_sink.h"
#include "platform/os.h"
#include "platform/toolkit.h"

class HotKeyWatch {
public:
    // Adds the watch's timer ("tim_Start") to the window.
    HotKeyWatch(tk::Form& window, os::Services& services, ErrorSink& errors);
    HotKeyWatch(const HotKeyWatch&) = delete;
    HotKeyWatch& operator=(const HotKeyWatch&) = delete;

    static constexpr uint32_t PollMs = 10, SlowPollMs = 250;

    // Virtual-key codes as the key-list parser gives them: entries 1..n,
    // entry 0 unused. Setting a list does not change what the latch watches.
    const std::vector<int16_t>& startKeys() const { return startKeys_; }
    const std::vector<int16_t>& stopKeys() const { return stopKeys_; }
    void setStartKeys(std::vector<int16_t> codes) { startKeys_ = std::move(codes); }
    void setStopKeys(std::vector<int16_t> codes) { stopKeys_ = std::move(codes); }

    // Asked at every poll before any key is looked at (a press stays
    // pending while it is false); called when a start key was pressed.
    std::function<bool()> startAllowed;
    std::function<void()> onStartKey;

    // From now on hot-key taps are latched; without the hook the key state
    // alone is read.
    void beginLatching() { latch_.start(); }
    bool latching() const { return latch_.active(); }
    // The latch watches Pause and the start and stop keys from now on.
    void watchKeys();
    // Presses made so far no longer count.
    void forgetPresses();
    // The watch polls (slowly when the hook wakes it), or not at all (a run,
    // the settings dialog, a tried row).
    void resume();
    void pause();

    // Each question consumes the press it answers.
    bool pausePressed();
    // Any key of the stop list, asked in order until one was pressed.
    bool stopKeyPressed();

    tk::Timer& timer() { return timer_; }

private:
    void poll();
    void wake();

    tk::Backend& tk_;
    os::Services& os_;
    ErrorSink& errors_;
    tk::Timer& timer_;
    KeyLatch latch_;
    std::vector<int16_t> startKeys_{0};
    std::vector<int16_t> stopKeys_{0};
};
