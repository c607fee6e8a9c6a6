// The hook thread and the low-level keyboard hook.
#include "platform/win32/os_hooks.h"
#include "platform/win32/os_typed.h"

#include <windows.h>

#include <atomic>
#include <vector>

namespace win32::hooks {
namespace {

// Thread messages to the hook thread: run a call and answer it (lParam the
// request), or run a call nobody waits for (wParam the function, lParam its
// argument).
constexpr UINT kCallMessage = WM_APP + 1;
constexpr UINT kPostMessage = WM_APP + 2;

struct CallRequest {
    bool (*call)(void*) = nullptr;
    void* context = nullptr;
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

// On the hook thread. A hook is installed with the first observer and
// removed with the last: while one is in place, every key or mouse event of
// the system, the program's own among them, waits for this thread.
bool installKeyboard(void*) {
    if (!g_keyboard) g_keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardProc, GetModuleHandleW(nullptr), 0);
    return g_keyboard != nullptr;
}

bool installMouse(void*) {
    if (!g_mouse) g_mouse = SetWindowsHookExW(WH_MOUSE_LL, mouseProc, GetModuleHandleW(nullptr), 0);
    return g_mouse != nullptr;
}

// Only when nobody asked for the hook again meanwhile.
template <class Entry>
void removeUnused(HHOOK& hook, const std::vector<Entry>& observers) {
    AcquireSRWLockShared(&g_lock);
    const bool unused = observers.empty();
    ReleaseSRWLockShared(&g_lock);
    if (unused && hook) {
        UnhookWindowsHookEx(hook);
        hook = nullptr;
    }
}

void removeKeyboardIfUnused(void*) { removeUnused(g_keyboard, g_keyObservers); }
void removeMouseIfUnused(void*) { removeUnused(g_mouse, g_mouseObservers); }

DWORD WINAPI hookThread(void* ready) {
    MSG m;
    // The first call gives the thread its message queue before anyone posts.
    PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(static_cast<HANDLE>(ready));
    // The system calls the hook procedures from inside GetMessage.
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (!m.hwnd && m.message == kCallMessage) {
            auto* request = reinterpret_cast<CallRequest*>(m.lParam);
            request->ok = request->call(request->context);
            SetEvent(request->done);
            continue;
        }
        if (!m.hwnd && m.message == kPostMessage) {
            reinterpret_cast<void (*)(void*)>(m.wParam)(reinterpret_cast<void*>(m.lParam));
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

template <class Entry>
void removeObserver(std::vector<Entry>& observers, std::atomic<int>& injectedWanted, int id,
                    void (*removeIfUnused)(void*)) {
    // Taking the lock waits for a call in progress on the hook thread.
    AcquireSRWLockExclusive(&g_lock);
    bool found = false;
    for (auto it = observers.begin(); it != observers.end(); ++it) {
        if (it->id != id) continue;
        if (it->injectedToo) injectedWanted.fetch_sub(1);
        observers.erase(it);
        found = true;
        break;
    }
    const bool last = observers.empty();
    ReleaseSRWLockExclusive(&g_lock);
    // The hook belongs to its thread, which removes it.
    if (found && last) postToThread(removeIfUnused, nullptr);
}

// Adds an observer before its hook is asked for, so that a removal request
// still on its way to the thread leaves the hook in place.
template <class Entry, class Observer>
int addObserver(std::vector<Entry>& observers, std::atomic<int>& injectedWanted, Observer observer,
                bool injectedToo, bool (*install)(void*), void (*removeIfUnused)(void*)) {
    if (!observer || !startThread()) return 0;
    AcquireSRWLockExclusive(&g_lock);
    const int id = g_nextId++;
    observers.push_back({id, std::move(observer), injectedToo});
    if (injectedToo) injectedWanted.fetch_add(1);
    ReleaseSRWLockExclusive(&g_lock);
    if (callOnThread(install, nullptr)) return id;
    removeObserver(observers, injectedWanted, id, removeIfUnused);
    return 0;
}

}  // namespace

bool callOnThread(bool (*call)(void*), void* context) {
    if (!startThread()) return false;
    CallRequest request;
    request.call = call;
    request.context = context;
    request.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!request.done) return false;
    bool ok = false;
    if (PostThreadMessageW(g_threadId, kCallMessage, 0, reinterpret_cast<LPARAM>(&request))) {
        // The thread does nothing long; it answers at once.
        WaitForSingleObject(request.done, INFINITE);
        ok = request.ok;
    }
    CloseHandle(request.done);
    return ok;
}

void postToThread(void (*call)(void*), void* context) {
    if (g_threadId)
        PostThreadMessageW(g_threadId, kPostMessage, reinterpret_cast<WPARAM>(call), reinterpret_cast<LPARAM>(context));
}

int addKeyObserver(os::KeyObserver observer, bool injectedToo) {
    return addObserver(g_keyObservers, g_injectedWanted, std::move(observer), injectedToo, installKeyboard,
                       removeKeyboardIfUnused);
}

void removeKeyObserver(int id) { removeObserver(g_keyObservers, g_injectedWanted, id, removeKeyboardIfUnused); }

int addMouseObserver(os::MouseObserver observer, bool injectedToo) {
    return addObserver(g_mouseObservers, g_injectedMouseWanted, std::move(observer), injectedToo, installMouse,
                       removeMouseIfUnused);
}

void removeMouseObserver(int id) { removeObserver(g_mouseObservers, g_injectedMouseWanted, id, removeMouseIfUnused); }

}  // namespace win32::hooks
