// The key latch: presses of the hot keys caught as they happen, so that a
// quick tap is never missed. The key state's "pressed since the last query"
// bit is shared by every program, and any other program that asks for the
// same key consumes it: a tap between two ticks or two wait slices was then
// invisible. The latch watches the keyboard through the services' raw input
// (posted to it, never in any key's way), or where that cannot be had
// through their low-level hook (which every key, the program's own among
// them, has to wait for), and keeps one flag per watched key until the
// program asks or clears it. Keys other programs inject count as the key
// state counts them, and so do the program's own, which the services tell
// as they are sent. The key state is still read, so either counts; with
// neither watch the key state alone answers.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/os.h"

namespace latch {

// The key a keyboard event names, Shift, Ctrl and Alt told left from right
// as the hook names them: raw input reports them generically (VK_SHIFT,
// VK_CONTROL, VK_MENU), and the make code (0x2A left Shift, 0x36 right) or
// the E0 prefix (right Ctrl and Alt) tells the side. A generic key whose
// side cannot be told (a program injected it without a scan code) stays
// generic; every other key is returned as it is.
int sidedKey(int vk, uint16_t scan, bool extended);

}  // namespace latch

class KeyLatch {
public:
    explicit KeyLatch(os::Services& services) : os_(services) {}
    ~KeyLatch();
    KeyLatch(const KeyLatch&) = delete;
    KeyLatch& operator=(const KeyLatch&) = delete;

    // Starts watching the keyboard: raw input, else the hook; false when
    // neither can be had. Calling it again once it runs does nothing.
    bool start();
    bool active() const { return watcher_ != 0 || observer_ != 0; }

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

    // Called each time a press of a watched key is latched, on the hooks'
    // thread or, for the program's own keys, on the thread that sent them
    // (so a waiting program can wake at once); it must return within
    // microseconds. Set it before start().
    void setNotify(std::function<void()> notify) { notify_ = std::move(notify); }

private:
    // Called for every key: a few atomic operations.
    void observe(const os::RawKey& k);

    os::Services& os_;
    int watcher_ = 0;   // raw input
    int observer_ = 0;  // the hook, where raw input cannot be had
    std::array<std::atomic<bool>, 256> watched_{};
    std::array<std::atomic<bool>, 256> latched_{};
    std::function<void()> notify_;
};
