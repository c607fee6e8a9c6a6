// The hook thread and the low-level keyboard hook.
#include "platform/win32/os_hooks.h"
#include "platform/win32/os_typed.h"

#include <windows.h>

#include <atomic>
#include <vector>

namespace win32::hooks {
namespace {

// A thread message asking the hook thread to install a hook: wParam the
// hook kind, lParam the request; and one asking it to remove the mouse hook.
constexpr UINT kInstallMessage = WM_APP + 1;
constexpr UINT kRemoveMouseMessage = WM_APP + 2;

struct InstallRequest {
    HANDLE done = nullptr;
    bool ok = false;
};

struct KeyEntry {
    int id;
    os::KeyObserver observer;
    bool injectedToo;
};

struct MouseEntry {
    int id;
    os::MouseObserver observer;
    bool injectedToo;
};

// Process-wide: the system calls a hook procedure without a context.
// Observers are added and removed on the user-interface thread and called
// on the hook thread, under the lock.
SRWLOCK g_lock = SRWLOCK_INIT;
std::vector<KeyEntry> g_keyObservers;
std::vector<MouseEntry> g_mouseObservers;
std::atomic<int> g_injectedWanted{0};
std::atomic<int> g_injectedMouseWanted{0};
int g_nextId = 1;
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;
HHOOK g_keyboard = nullptr;  // set and read on the hook thread only
HHOOK g_mouse = nullptr;     // likewise

// Tells every observer that wants the event; true when one of them takes
// it from the programs after us.
template <class Entry, class Event>
bool tell(const std::vector<Entry>& observers, const Event& e) {
    bool swallow = false;
    AcquireSRWLockShared(&g_lock);
    for (const Entry& o : observers) {
        if (e.injected && !o.injectedToo) continue;
        try {
            swallow = o.observer(e) || swallow;
        } catch (...) {
            // Nothing may unwind into the system's call.
        }
    }
    ReleaseSRWLockShared(&g_lock);
    return swallow;
}

LRESULT CALLBACK keyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool injected = (k->flags & LLKHF_INJECTED) != 0;
        // Injected keys (the program's own among them) pass at once unless
        // an observer asked for them: the hook stays cheap while a macro types.
        if (!injected || g_injectedWanted.load(std::memory_order_relaxed) > 0) {
            os::RawKey e;
            e.vk = static_cast<uint16_t>(k->vkCode);
            e.scan = static_cast<uint16_t>(k->scanCode);
            e.up = (k->flags & LLKHF_UP) != 0;
            e.extended = (k->flags & LLKHF_EXTENDED) != 0;
            e.injected = injected;
            e.time = k->time;
            typed::read(e);
            if (tell(g_keyObservers, e)) return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

os::RawMouse::Kind mouseKind(WPARAM message) {
    switch (message) {
        case WM_LBUTTONDOWN: return os::RawMouse::LeftDown;
        case WM_LBUTTONUP: return os::RawMouse::LeftUp;
        case WM_RBUTTONDOWN: return os::RawMouse::RightDown;
        case WM_RBUTTONUP: return os::RawMouse::RightUp;
        case WM_MBUTTONDOWN: return os::RawMouse::MiddleDown;
        case WM_MBUTTONUP: return os::RawMouse::MiddleUp;
        case WM_XBUTTONDOWN: return os::RawMouse::ExtraDown;
        case WM_XBUTTONUP: return os::RawMouse::ExtraUp;
        case WM_MOUSEWHEEL: return os::RawMouse::Wheel;
        case WM_MOUSEHWHEEL: return os::RawMouse::HWheel;
        default: return os::RawMouse::Move;
    }
}

LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        const bool injected = (m->flags & LLMHF_INJECTED) != 0;
        if (!injected || g_injectedMouseWanted.load(std::memory_order_relaxed) > 0) {
            os::RawMouse e;
            e.kind = mouseKind(wParam);
            // The program is aware of each monitor's DPI, so these are the
            // coordinates SetCursorPos takes.
            e.pt = {m->pt.x, m->pt.y};
            e.injected = injected;
            e.time = m->time;
            if (tell(g_mouseObservers, e)) return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool install(int kind) {
    if (kind == WH_KEYBOARD_LL) {
        if (!g_keyboard) g_keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardProc, GetModuleHandleW(nullptr), 0);
        return g_keyboard != nullptr;
    }
    if (kind == WH_MOUSE_LL) {
        if (!g_mouse) g_mouse = SetWindowsHookExW(WH_MOUSE_LL, mouseProc, GetModuleHandleW(nullptr), 0);
        return g_mouse != nullptr;
    }
    return false;
}

DWORD WINAPI hookThread(void* ready) {
    MSG m;
    // The first call gives the thread its message queue before anyone posts.
    PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(static_cast<HANDLE>(ready));
    // The system calls the hook procedures from inside GetMessage.
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (!m.hwnd && m.message == kInstallMessage) {
            auto* request = reinterpret_cast<InstallRequest*>(m.lParam);
            request->ok = install(static_cast<int>(m.wParam));
            SetEvent(request->done);
            continue;
        }
        if (!m.hwnd && m.message == kRemoveMouseMessage) {
            // Only when nobody asked for the mouse again meanwhile.
            AcquireSRWLockShared(&g_lock);
            const bool unused = g_mouseObservers.empty();
            ReleaseSRWLockShared(&g_lock);
            if (unused && g_mouse) {
                UnhookWindowsHookEx(g_mouse);
                g_mouse = nullptr;
            }
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}

bool startThread() {
    if (g_thread) return true;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return false;
    DWORD id = 0;
    HANDLE t = CreateThread(nullptr, 0, hookThread, ready, 0, &id);
    if (t) {
        WaitForSingleObject(ready, INFINITE);
        g_thread = t;
        g_threadId = id;
    }
    CloseHandle(ready);
    return t != nullptr;
}

bool installOnThread(int kind) {
    InstallRequest request;
    request.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!request.done) return false;
    bool ok = false;
    if (PostThreadMessageW(g_threadId, kInstallMessage, static_cast<WPARAM>(kind),
                           reinterpret_cast<LPARAM>(&request))) {
        // The thread does nothing else; it answers at once.
        WaitForSingleObject(request.done, INFINITE);
        ok = request.ok;
    }
    CloseHandle(request.done);
    return ok;
}

}  // namespace

int addKeyObserver(os::KeyObserver observer, bool injectedToo) {
    if (!observer || !startThread() || !installOnThread(WH_KEYBOARD_LL)) return 0;
    AcquireSRWLockExclusive(&g_lock);
    const int id = g_nextId++;
    g_keyObservers.push_back({id, std::move(observer), injectedToo});
    if (injectedToo) g_injectedWanted.fetch_add(1);
    ReleaseSRWLockExclusive(&g_lock);
    return id;
}

void removeKeyObserver(int id) {
    // Taking the lock waits for a call in progress on the hook thread.
    AcquireSRWLockExclusive(&g_lock);
    for (auto it = g_keyObservers.begin(); it != g_keyObservers.end(); ++it) {
        if (it->id != id) continue;
        if (it->injectedToo) g_injectedWanted.fetch_sub(1);
        g_keyObservers.erase(it);
        break;
    }
    ReleaseSRWLockExclusive(&g_lock);
}

int addMouseObserver(os::MouseObserver observer, bool injectedToo) {
    if (!observer || !startThread()) return 0;
    // Registered before the hook is asked for, so that a removal request
    // still on its way to the thread leaves the hook in place.
    AcquireSRWLockExclusive(&g_lock);
    const int id = g_nextId++;
    g_mouseObservers.push_back({id, std::move(observer), injectedToo});
    if (injectedToo) g_injectedMouseWanted.fetch_add(1);
    ReleaseSRWLockExclusive(&g_lock);
    if (!installOnThread(WH_MOUSE_LL)) {
        removeMouseObserver(id);
        return 0;
    }
    return id;
}

void removeMouseObserver(int id) {
    AcquireSRWLockExclusive(&g_lock);
    for (auto it = g_mouseObservers.begin(); it != g_mouseObservers.end(); ++it) {
        if (it->id != id) continue;
        if (it->injectedToo) g_injectedMouseWanted.fetch_sub(1);
        g_mouseObservers.erase(it);
        break;
    }
    const bool last = g_mouseObservers.empty();
    ReleaseSRWLockExclusive(&g_lock);
    // The hook belongs to its thread, which removes it.
    if (last && g_threadId) PostThreadMessageW(g_threadId, kRemoveMouseMessage, 0, 0);
}

}  // namespace win32::hooks
