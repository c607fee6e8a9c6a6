// The key latch.
#include "latch/key_latch.h"

namespace {
constexpr int VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12;
constexpr int VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4,
              VK_RMENU = 0xA5;
// Set-1 make codes of the left and right Shift, and of Ctrl and Alt (the
// right ones come with the E0 prefix).
constexpr uint16_t kLeftShift = 0x2A, kRightShift = 0x36, kCtrl = 0x1D, kAlt = 0x38;

// The hot keys may name the generic modifier, which either side presses.
int genericOf(int vk) {
    switch (vk) {
        case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
        case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
        case VK_LMENU: case VK_RMENU: return VK_MENU;
        default: return 0;
    }
}
}  // namespace

int latch::sidedKey(int vk, uint16_t scan, bool extended) {
    switch (vk) {
        case VK_SHIFT:
            if (scan == kLeftShift) return VK_LSHIFT;
            if (scan == kRightShift) return VK_RSHIFT;
            return vk;
        case VK_CONTROL:
            if (extended) return VK_RCONTROL;
            return scan == kCtrl ? VK_LCONTROL : vk;
        case VK_MENU:
            if (extended) return VK_RMENU;
            return scan == kAlt ? VK_LMENU : vk;
        default:
            return vk;
    }
}

KeyLatch::~KeyLatch() {
    if (watcher_) os_.removeKeyWatcher(watcher_);
    if (observer_) os_.removeKeyObserver(observer_);
}

bool KeyLatch::start() {
    if (active()) return true;
    watcher_ = os_.addKeyWatcher([this](const os::RawKey& k) { observe(k); });
    if (watcher_) return true;
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
    const int vk = latch::sidedKey(k.vk & 0xFF, k.scan, k.extended);
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
