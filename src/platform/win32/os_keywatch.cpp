// The keyboard watch: raw input on the hooks' thread.
#include "platform/win32/os_keywatch.h"

#include "platform/win32/os_hooks.h"

#include <windows.h>

#include <atomic>
#include <vector>

namespace win32::keywatch {
namespace {

const wchar_t kWindowClass[] = L"TovirakKeyWatch";

struct Entry {
    int id;
    os::KeyWatcher watcher;
};

// Watchers are added and removed on the user-interface thread and called on
// the hooks' thread or on a sending thread, under the lock.
SRWLOCK g_lock = SRWLOCK_INIT;
std::vector<Entry> g_watchers;
std::atomic<int> g_count{0};  // read by the sending path without the lock
int g_nextId = 1;
HWND g_window = nullptr;      // made and used on the hooks' thread only
bool g_registered = false;    // likewise

void tell(const os::RawKey& k) {
    AcquireSRWLockShared(&g_lock);
    for (const Entry& e : g_watchers) {
        try {
            e.watcher(k);
        } catch (...) {
            // Nothing may unwind into the window procedure.
        }
    }
    ReleaseSRWLockShared(&g_lock);
}

LRESULT CALLBACK watchProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_INPUT) return DefWindowProcW(h, msg, wp, lp);
    RAWINPUT in;
    UINT size = sizeof in;
    if (GetRawInputData(reinterpret_cast<HRAWINPUT>(lp), RID_INPUT, &in, &size, sizeof(RAWINPUTHEADER)) != UINT(-1) &&
        in.header.dwType == RIM_TYPEKEYBOARD) {
        const RAWKEYBOARD& kb = in.data.keyboard;
        // Our own keys were told as they were sent. 0xFF is no key: the
        // keyboard's fake Shift around an extended key.
        if (kb.ExtraInformation != ownMark() && kb.VKey != 0 && kb.VKey != 0xFF) {
            os::RawKey k;
            k.vk = kb.VKey;
            k.scan = kb.MakeCode;
            k.up = (kb.Flags & RI_KEY_BREAK) != 0;
            k.extended = (kb.Flags & RI_KEY_E0) != 0;
            k.time = static_cast<uint32_t>(GetMessageTime());
            tell(k);
        }
    }
    // Frees the input (and is what the system asks of every WM_INPUT).
    return DefWindowProcW(h, msg, wp, lp);
}

RAWINPUTDEVICE keyboard(DWORD flags, HWND target) {
    RAWINPUTDEVICE d{};
    d.usUsagePage = 0x01;  // generic desktop controls
    d.usUsage = 0x06;      // keyboard
    d.dwFlags = flags;
    d.hwndTarget = target;
    return d;
}

// On the hooks' thread, whose message loop dispatches WM_INPUT to the window.
bool registerKeyboard(void*) {
    if (g_registered) return true;
    if (!g_window) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = watchProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        RegisterClassW(&wc);
        g_window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        if (!g_window) return false;
    }
    // Keys for any window, ours or not, in front or not.
    RAWINPUTDEVICE d = keyboard(RIDEV_INPUTSINK, g_window);
    g_registered = RegisterRawInputDevices(&d, 1, sizeof d) != FALSE;
    return g_registered;
}

// Only when nobody asked for the keyboard again meanwhile.
void unregisterIfUnused(void*) {
    if (!g_registered || g_count.load() > 0) return;
    RAWINPUTDEVICE d = keyboard(RIDEV_REMOVE, nullptr);
    if (RegisterRawInputDevices(&d, 1, sizeof d)) g_registered = false;
}

}  // namespace

uint32_t ownMark() {
    // "TVK" beside the process id, which is a multiple of 4: never 0.
    static const uint32_t mark = 0x54564B01u ^ static_cast<uint32_t>(GetCurrentProcessId());
    return mark;
}

void tellOwnKey(uint16_t vk, uint16_t scan, uint32_t flags) {
    if (g_count.load(std::memory_order_relaxed) == 0 || vk == 0 || (flags & KEYEVENTF_UNICODE)) return;
    os::RawKey k;
    k.vk = vk;
    k.scan = scan;
    k.up = (flags & KEYEVENTF_KEYUP) != 0;
    k.extended = (flags & KEYEVENTF_EXTENDEDKEY) != 0;
    k.injected = true;
    k.time = GetTickCount();
    tell(k);
}

int addKeyWatcher(os::KeyWatcher watcher) {
    if (!watcher) return 0;
    // Counted before the registration is asked for, so that a removal
    // still on its way to the thread leaves it in place.
    AcquireSRWLockExclusive(&g_lock);
    const int id = g_nextId++;
    g_watchers.push_back({id, std::move(watcher)});
    g_count.fetch_add(1);
    ReleaseSRWLockExclusive(&g_lock);
    if (hooks::callOnThread(registerKeyboard, nullptr)) return id;
    removeKeyWatcher(id);
    return 0;
}

void removeKeyWatcher(int id) {
    // Taking the lock waits for a call in progress.
    AcquireSRWLockExclusive(&g_lock);
    bool found = false;
    for (auto it = g_watchers.begin(); it != g_watchers.end(); ++it) {
        if (it->id != id) continue;
        g_watchers.erase(it);
        g_count.fetch_sub(1);
        found = true;
        break;
    }
    const bool last = g_watchers.empty();
    ReleaseSRWLockExclusive(&g_lock);
    if (found && last) hooks::postToThread(unregisterIfUnused, nullptr);
}

}  // namespace win32::keywatch
