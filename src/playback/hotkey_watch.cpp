// The hot-key watch.
#include "playback/hotkey_watch.h"

HotKeyWatch::HotKeyWatch(tk::Form& window, os::Services& services, ErrorSink& errors)
    : tk_(window.backend()), os_(services), errors_(errors), timer_(window.addTimer("tim_Start")), latch_(services) {
    timer_.onTick = [this] { poll(); };
    // A latched hot key wakes the watch at once instead of at its next poll.
    latch_.setNotify([this] {
        try {
            tk_.post([this] { wake(); });
        } catch (...) {
            // The next poll sees the press.
        }
    });
}

void HotKeyWatch::resume() {
    // With the hook every press of a watched key, typed or injected, wakes
    // the watch; the poll only catches what the hook no longer sees (a hook
    // the system has dropped), and a slow one keeps the idle program quiet.
    timer_.setInterval(latch_.active() ? SlowPollMs : PollMs);
    timer_.setEnabled(true);
}

void HotKeyWatch::pause() {
    timer_.setInterval(0);
    timer_.setEnabled(false);
}

void HotKeyWatch::wake() {
    // Only while the watch is on: not during a run, nor while the settings
    // dialog is open.
    if (timer_.running()) poll();
}

void HotKeyWatch::poll() {
    guarded(errors_, u"tim_Start_Timer", [&] {
        if (startAllowed && !startAllowed()) return;
        // Any one key of the list starts; modifier marks play no part.
        for (size_t i = 1; i < startKeys_.size(); ++i) {
            if (latch_.pressed(startKeys_[i])) {
                if (onStartKey) onStartKey();
                return;
            }
        }
    });
}

void HotKeyWatch::forgetPresses() {
    guarded(errors_, u"MS_HotKeyClear", [&] {
        // Each query consumes the key's pressed-since-last-query bit.
        os_.getAsyncKeyState(os::k::VK_PAUSE);
        for (size_t i = 1; i < startKeys_.size(); ++i) os_.getAsyncKeyState(startKeys_[i]);
        for (size_t i = 1; i < stopKeys_.size(); ++i) os_.getAsyncKeyState(stopKeys_[i]);
        // The latch watches exactly these keys, and forgets their presses too.
        watchKeys();
        latch_.clear();
    });
}

void HotKeyWatch::watchKeys() {
    std::vector<int> watched{os::k::VK_PAUSE};
    for (size_t i = 1; i < startKeys_.size(); ++i) watched.push_back(startKeys_[i]);
    for (size_t i = 1; i < stopKeys_.size(); ++i) watched.push_back(stopKeys_[i]);
    latch_.watch(watched);
}

bool HotKeyWatch::pausePressed() { return latch_.pressed(os::k::VK_PAUSE); }

bool HotKeyWatch::stopKeyPressed() {
    for (size_t i = 1; i < stopKeys_.size(); ++i)
        if (latch_.pressed(stopKeys_[i])) return true;
    return false;
}
