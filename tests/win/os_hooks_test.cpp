// The low-level mouse hook beside the keyboard's: both report to observers
// on the hooks' own thread, in the order the events happened, injected
// events only to observers that asked for them, and nothing after removal;
// the keyboard's tells what each key typed. Also the input settings and
// top-level windows the recorder asks for.
#include "harness.h"
#include "xdotool.h"

#include <array>
#include <atomic>

#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace probe = win32::probe;

constexpr uint8_t VK_F24 = 0x87;

// What the observers saw, written on the hook thread, read after it.
struct Seen {
    struct Event {
        char what = 0;  // 'k' key, 'm' mouse
        int kind = 0;   // RawMouse::Kind, or 1 for a key release
        int vk = 0;
        os::Point pt;
        bool injected = false;
    };
    std::array<Event, 256> events;
    std::atomic<int> count{0};
    void add(const Event& e) {
        const int n = count.load(std::memory_order_relaxed);
        if (n >= int(events.size())) return;
        events[size_t(n)] = e;
        count.store(n + 1, std::memory_order_release);
    }
};

template <class F>
bool waitFor(F&& pred, uint32_t ms) {
    return probe::waitFor(pred, ms, 20);
}

}  // namespace

TEST(OsHooks, MouseAndKeyEventsReachTheObserversInOrderAndStopAfterRemoval) {
    auto os = win32::makeServices(1, 0);
    // The injected click lands on a window of our own.
    const os::WindowHandle w = probe::createWindow(u"TOVIRAK hook target", 200, 200, 300, 200);
    ASSERT_TRUE(w != 0);
    probe::pump(200);
    const os::Point at{300, 280};
    ASSERT_TRUE(os->setCursorPos(at.x, at.y));

    Seen all, typedOnly;
    const int mouse = os->addMouseObserver([&](const os::RawMouse& m) {
        all.add({'m', m.kind, 0, m.pt, m.injected});
        return false;
    }, true);
    const int mouseTyped = os->addMouseObserver([&](const os::RawMouse& m) {
        typedOnly.add({'m', m.kind, 0, m.pt, m.injected});
        return false;
    }, false);
    const int key = os->addKeyObserver([&](const os::RawKey& k) {
        if (k.vk == VK_F24) all.add({'k', k.up ? 1 : 0, k.vk, {}, k.injected});
        return false;
    }, true);
    ASSERT_TRUE(mouse != 0 && mouseTyped != 0 && key != 0);

    os->mouseEvent(os::k::MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    os->keybdEvent(VK_F24, 0, 0, 0);
    os->keybdEvent(VK_F24, 0, os::k::KEYEVENTF_KEYUP, 0);
    os->mouseEvent(os::k::MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    EXPECT_TRUE(waitFor([&] { return all.count.load(std::memory_order_acquire) >= 4; }, 3000));

    std::string order;
    for (int i = 0; i < all.count.load(std::memory_order_acquire); ++i) {
        const Seen::Event& e = all.events[size_t(i)];
        if (e.what == 'm' && (e.kind == os::RawMouse::LeftDown || e.kind == os::RawMouse::LeftUp)) {
            order += e.kind == os::RawMouse::LeftDown ? "D" : "U";
            EXPECT_EQ(e.pt, at);
            EXPECT_TRUE(e.injected);
        } else if (e.what == 'k') {
            order += e.kind ? "k" : "K";
            EXPECT_TRUE(e.injected);
        }
    }
    EXPECT_EQ(order, std::string("DKkU"));
    // The observer that left injected events out saw none of them.
    EXPECT_EQ(typedOnly.count.load(), 0);

    os->removeMouseObserver(mouse);
    os->removeMouseObserver(mouseTyped);
    os->removeKeyObserver(key);
    const int before = all.count.load();
    os->mouseEvent(os::k::MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    os->mouseEvent(os::k::MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    probe::pump(300);
    EXPECT_EQ(all.count.load(), before);

    // A new observer brings the hook back.
    Seen again;
    const int third = os->addMouseObserver([&](const os::RawMouse& m) {
        again.add({'m', m.kind, 0, m.pt, m.injected});
        return false;
    }, true);
    ASSERT_TRUE(third != 0);
    os->mouseEvent(os::k::MOUSEEVENTF_MOVE, 5, 0, 0, 0);
    EXPECT_TRUE(waitFor([&] { return again.count.load(std::memory_order_acquire) >= 1; }, 3000));
    os->removeMouseObserver(third);
    probe::destroyWindow(w);
}

// Read as each key goes down, by the layout of the window that gets it: the
// JP layout's characters for the keys xdotool presses (Shift+8 is "("),
// characters of no key (xdotool types them through a spare one), and the
// character a VK_PACKET key carries.
TEST(OsHooks, TheKeyboardHookTellsWhatEachKeyTyped) {
    auto os = win32::makeServices(1, 0);
    const Str dir = probe::makeTempFolder(u"tvk_hook_");
    const os::WindowHandle w = probe::createWindow(u"TOVIRAK typing target", 200, 200, 300, 200);
    ASSERT_TRUE(w != 0);
    std::array<char16_t, 64> units{};
    std::atomic<int> count{0};
    const int key = os->addKeyObserver([&](const os::RawKey& k) {
        for (char16_t c : k.typed) {
            const int n = count.load(std::memory_order_relaxed);
            if (c && n < int(units.size())) {
                units[size_t(n)] = c;
                count.store(n + 1, std::memory_order_release);
            }
        }
        return false;
    }, true);
    ASSERT_TRUE(key != 0);
    auto seen = [&] { return Str(units.data(), size_t(count.load(std::memory_order_acquire))); };

    ASSERT_TRUE(wt::toFront(*os, w, dir, "^TOVIRAK typing target$"));
    // Slowly: xdotool gives each character of no key to a spare key for a
    // moment, and a Wine thread that reads the X events after the moment
    // finds the key bare and drops the press.
    const Str typed = u"(x) <y> café あい";
    ASSERT_TRUE(wt::xdotool({"type --delay 150 '" + wt::utf8(typed) + "'"}, *os, dir));
    waitFor([&] { return seen().size() >= typed.size(); }, 3000);
    EXPECT_TRUE(seen() == typed);
    if (seen() != typed) wt::note("the hook read \"" + wt::utf8(seen()) + "\"");

    // (Wine tells the release of such a key as a press too.)
    count = 0;
    os->sendInput({{0, u'ア', os::k::KEYEVENTF_UNICODE}, {0, u'ア', os::k::KEYEVENTF_UNICODE | os::k::KEYEVENTF_KEYUP}});
    EXPECT_TRUE(waitFor([&] { return !seen().empty(); }, 3000));
    EXPECT_TRUE(seen()[0] == u'ア');

    os->removeKeyObserver(key);
    probe::destroyWindow(w);
    probe::removeTree(dir);
}

TEST(OsHooks, InputSettingsAndTopLevelWindows) {
    auto os = win32::makeServices(1, 0);
    const os::InputSettings s = os->inputSettings();
    wt::note("double click " + std::to_string(s.doubleClickMs) + " ms in " + std::to_string(s.doubleClickWidth) + "x" +
             std::to_string(s.doubleClickHeight) + ", drag " + std::to_string(s.dragWidth) + "x" +
             std::to_string(s.dragHeight) + ", repeat delay " + std::to_string(s.keyRepeatDelayMs) + " ms, speed " +
             std::to_string(s.keyRepeatSpeed));
    EXPECT_TRUE(s.doubleClickMs > 0 && s.doubleClickMs <= 5000);
    EXPECT_TRUE(s.doubleClickWidth > 0 && s.doubleClickHeight > 0 && s.dragWidth > 0 && s.dragHeight > 0);
    EXPECT_TRUE(s.keyRepeatDelayMs >= 250 && s.keyRepeatDelayMs <= 1000 && s.keyRepeatDelayMs % 250 == 0);
    EXPECT_TRUE(s.keyRepeatSpeed <= 31u);

    const os::WindowHandle w = probe::createWindow(u"TOVIRAK top level", 10, 10, 100, 100);
    EXPECT_EQ(os->topLevelWindow(w), w);
    EXPECT_EQ(os->topLevelWindow(0), os::WindowHandle(0));
    probe::destroyWindow(w);
}
