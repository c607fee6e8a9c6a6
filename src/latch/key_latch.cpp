// The key latch.
#include "latch/key_latch.h"

namespace {
// The hook names the left or right modifier; the hot keys may name the
// generic one (VK_SHIFT, VK_CONTROL, VK_MENU), which either side presses.
int genericOf(int vk) {
    switch (vk) {
        case 0xA0: case 0xA1: return 0x10;
        case 0xA2: case 0xA3: return 0x11;
        case 0xA4: case 0xA5: return 0x12;
        default: return 0;
    }
}
}  // namespace

KeyLatch::~KeyLatch() {
    if (observer_) os_.removeKeyObserver(observer_);
}

bool KeyLatch::start() {
    if (observer_) return true;
    // Injected keys too: the key state counts them (another program typing
    // the start key starts a run), and so they wake the idle watch at once.
    // The program's own keys pass the hook either way; they latch only what
    // the key state would show for them as well.
    observer_ = os_.addKeyObserver([this](const os::RawKey& k) {
        observe(k);
        return false;
    }, true);
    return observer_ != 0;
}

void KeyLatch::observe(const os::RawKey& k) {
    if (k.up) return;
    const int vk = k.vk & 0xFF;
    bool latched = false;
    if (watched_[size_t(vk)].load(std::memory_order_relaxed)) {
        latched_[size_t(vk)].store(true, std::memory_order_relaxed);
        latched = true;
    }
    if (int g = genericOf(vk); g && watched_[size_t(g)].load(std::memory_order_relaxed)) {
        latched_[size_t(g)].store(true, std::memory_order_relaxed);
        latched = true;
    }
    if (latched && notify_) notify_();
}

void KeyLatch::watch(const std::vector<int>& keys) {
    for (auto& w : watched_) w.store(false, std::memory_order_relaxed);
    for (int vk : keys)
        if (vk > 0 && vk < 256) watched_[size_t(vk)].store(true, std::memory_order_relaxed);
}

bool KeyLatch::pressed(int vk) {
    bool latched = false;
    if (vk > 0 && vk < 256) {
        watched_[size_t(vk)].store(true, std::memory_order_relaxed);
        latched = latched_[size_t(vk)].exchange(false, std::memory_order_relaxed);
    }
    // Always asked, so its pressed-since bit is consumed as before.
    const bool state = os_.getAsyncKeyState(vk) != 0;
    return latched || state;
}

void KeyLatch::clear() {
    for (auto& l : latched_) l.store(false, std::memory_order_relaxed);
}
