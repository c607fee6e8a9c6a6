// The key latch: presses of the hot keys caught as they happen, so that a
// quick tap is never missed. The key state's "pressed since the last query"
// bit is shared by every program, and any other program that asks for the
// same key consumes it: a tap between two ticks or two wait slices was then
// invisible. The latch observes the keyboard through the services' low-level
// hook (it never swallows a key) and keeps one flag per watched key until
// the program asks or clears it. Keys other programs inject count as the
// key state counts them. The key state is still read, so either counts;
// where the hook cannot be installed the key state alone answers.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/os.h"

class KeyLatch {
public:
    explicit KeyLatch(os::Services& services) : os_(services) {}
    ~KeyLatch();
    KeyLatch(const KeyLatch&) = delete;
    KeyLatch& operator=(const KeyLatch&) = delete;

    // Starts observing the keyboard; false when the hook cannot be had.
    // Calling it again once it runs does nothing.
    bool start();
    bool active() const { return observer_ != 0; }

    // The keys whose presses are latched from now on (virtual-key codes;
    // entries outside 1..255 are ignored). Replaces the previous set.
    void watch(const std::vector<int>& keys);

    // Whether vk counts as pressed: a press latched since the last clear or
    // the last question about vk, or the key state (down now, or pressed
    // since the previous query). Both are consumed. A key asked about that
    // is not watched is watched from now on.
    bool pressed(int vk);

    // Forgets every latched press.
    void clear();

    // Called on the hook thread each time a press of a watched key is
    // latched (so a waiting program can wake at once); it must return
    // within microseconds. Set it before start().
    void setNotify(std::function<void()> notify) { notify_ = std::move(notify); }

private:
    // Called on the hook thread for every typed key: two atomic operations.
    void observe(const os::RawKey& k);

    os::Services& os_;
    int observer_ = 0;
    std::array<std::atomic<bool>, 256> watched_{};
    std::array<std::atomic<bool>, 256> latched_{};
    std::function<void()> notify_;
};
