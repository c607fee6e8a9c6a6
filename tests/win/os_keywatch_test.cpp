// The keyboard watch (raw input): the keys this program sends are told at
// once and only once; keys another program sends, keys sent with extra
// information of the caller's own, and keys typed on the X server are told
// after the fact, Shift, Ctrl and Alt generically with the make code and
// E0 flag that tell their side; nothing is told after removal.
#include "harness.h"

#include <array>
#include <atomic>
#include <string>

#include "latch/key_latch.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace probe = win32::probe;

constexpr uint16_t VK_F23 = 0x86, VK_F24 = 0x87;

// What the watcher saw, written on the hooks' thread or this one.
struct Seen {
    std::array<os::RawKey, 512> keys;
    std::atomic<int> count{0};
    void add(const os::RawKey& k) {
        const int n = count.load(std::memory_order_relaxed);
        if (n >= int(keys.size())) return;
        keys[size_t(n)] = k;
        count.store(n + 1, std::memory_order_release);
    }
    int presses(int sidedVk) const {
        int n = 0;
        for (int i = 0; i < count.load(std::memory_order_acquire); ++i) {
            const os::RawKey& k = keys[size_t(i)];
            n += !k.up && latch::sidedKey(k.vk, k.scan, k.extended) == sidedVk;
        }
        return n;
    }
};

void xdotool(const Str& args, const Str& dir) { probe::Process p(u"Z:\\usr\\bin\\xdotool " + args, dir); }

}  // namespace

TEST(OsKeyWatch, OwnKeysAtOnceAndOnceOthersAfterTheFactWithTheirSide) {
    auto os = win32::makeServices(1, 0);
    // Keys from the X server reach Wine through the window under the pointer;
    // injected ones are reported only while some window is in front (an
    // earlier test may have left none).
    const os::WindowHandle w = probe::createWindow(u"TOVIRAK key watch", 200, 200, 300, 200);
    ASSERT_TRUE(w != 0);
    os->setForegroundWindow(w);
    probe::pump(200);
    ASSERT_TRUE(os->getForegroundWindow() == w);
    ASSERT_TRUE(os->setCursorPos(350, 300));

    Seen seen;
    const int id = os->addKeyWatcher([&](const os::RawKey& k) { seen.add(k); });
    ASSERT_TRUE(id != 0);

    // Ours, by both routes: told before the calls return, on this thread.
    os->sendInput({{VK_F24, 0, 0}, {VK_F24, 0, os::k::KEYEVENTF_KEYUP}});
    os->keybdEvent(uint8_t(VK_F24), 0, 0, 0);
    os->keybdEvent(uint8_t(VK_F24), 0, os::k::KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(seen.count.load(), 4);
    if (seen.count.load() == 4) EXPECT_TRUE(seen.keys[0].injected && !seen.keys[0].up && seen.keys[1].up);
    // The system's own reports of them are left out.
    probe::pump(300);
    EXPECT_EQ(seen.presses(VK_F24), 2);

    // Extra information of the caller's own: not marked, so reported.
    os->keybdEvent(uint8_t(VK_F23), 0, 0, 7);
    os->keybdEvent(uint8_t(VK_F23), 0, os::k::KEYEVENTF_KEYUP, 7);
    EXPECT_TRUE(probe::waitFor([&] { return seen.presses(VK_F23) == 1; }, 3000, 20));

    // Another program's keys, which carry that program's mark.
    {
        probe::Process other(u"\"" + os->programFolder() + u"\\win_tests.exe\" --send-f23", os->currentFolder());
        EXPECT_EQ(other.wait(10000), 0L);
    }
    EXPECT_TRUE(probe::waitFor([&] { return seen.presses(VK_F23) == 1 + 3; }, 3000, 20));

    // Typed: the right modifiers come generically, the side in make code and E0.
    xdotool(u"key Shift_R Control_R F12", os->currentFolder());
    EXPECT_TRUE(probe::waitFor([&] { return seen.presses(0x7B) >= 1; }, 3000, 20));
    EXPECT_TRUE(seen.presses(0xA1) >= 1);  // VK_RSHIFT
    EXPECT_TRUE(seen.presses(0xA3) >= 1);  // VK_RCONTROL
    std::string typed;
    for (int i = 0; i < seen.count.load(); ++i) {
        const os::RawKey& k = seen.keys[size_t(i)];
        if (k.vk == VK_F23 || k.vk == VK_F24) continue;
        char buf[48];
        std::snprintf(buf, sizeof buf, "%s%02X/%02X%s ", k.up ? "^" : "", k.vk, k.scan, k.extended ? "e" : "");
        typed += buf;
    }
    wt::note("typed: " + typed);

    os->removeKeyWatcher(id);
    const int before = seen.count.load();
    os->sendInput({{VK_F24, 0, 0}, {VK_F24, 0, os::k::KEYEVENTF_KEYUP}});
    xdotool(u"key F12", os->currentFolder());
    probe::pump(300);
    EXPECT_EQ(seen.count.load(), before);

    // A new watcher registers raw input again.
    Seen again;
    const int second = os->addKeyWatcher([&](const os::RawKey& k) { again.add(k); });
    ASSERT_TRUE(second != 0);
    xdotool(u"key F12", os->currentFolder());
    EXPECT_TRUE(probe::waitFor([&] { return again.presses(0x7B) == 1; }, 3000, 20));
    os->removeKeyWatcher(second);
    probe::destroyWindow(w);
}

// The other program: sends F23 three times through the services, as the
// player sends its keys, and ends.
static int sendF23() {
    auto os = win32::makeServices(1, 0);
    for (int i = 0; i < 3; ++i) os->sendInput({{VK_F23, 0, 0}, {VK_F23, 0, os::k::KEYEVENTF_KEYUP}});
    return 0;
}
[[maybe_unused]] static const bool sendF23Mode = wt::registerMode("--send-f23", sendF23);
