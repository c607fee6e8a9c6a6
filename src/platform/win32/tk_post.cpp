// Calls posted to the message loop, and the session-end block. A posted call
// travels as a message to a message-only window of its own, so every loop
// that dispatches messages runs it in turn with the others, also the loops
// of message boxes and menus, and none of the program's forms has to exist.
#include "platform/win32/tk_internal.h"

namespace win32::tkw {

namespace {
const wchar_t kPostClass[] = L"TovirakPosted";
constexpr UINT kRunPosted = WM_APP + 1;

LRESULT CALLBACK postProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRunPosted) {
        if (auto* tk = reinterpret_cast<Toolkit*>(GetWindowLongPtrW(h, GWLP_USERDATA))) tk->runPosted();
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}
}  // namespace

void Toolkit::createPostWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = postProc;
    wc.hInstance = instance;
    wc.lpszClassName = kPostClass;
    RegisterClassExW(&wc);  // fails harmlessly when already registered
    postWindow = CreateWindowExW(0, kPostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (postWindow) SetWindowLongPtrW(postWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Toolkit::post(std::function<void()> call) {
    if (!postWindow) err::raise(err::OutOfMemory, u"ウィンドウを作成できません");
    AcquireSRWLockExclusive(&postedLock);
    posted.push_back(std::move(call));
    ReleaseSRWLockExclusive(&postedLock);
    // A full message queue loses only this message: the call stays queued
    // and runs with the next one, as each message runs all that wait.
    PostMessageW(postWindow, kRunPosted, 0, 0);
}

void Toolkit::runPosted() {
    // Only what waits now, one at a time from the queue, so a call that
    // posts again runs at the next turn and a nested loop (a message box
    // inside a call) takes the next calls in their order.
    AcquireSRWLockExclusive(&postedLock);
    size_t waiting = posted.size();
    ReleaseSRWLockExclusive(&postedLock);
    for (; waiting > 0; --waiting) {
        std::function<void()> call;
        AcquireSRWLockExclusive(&postedLock);
        bool any = !posted.empty();
        if (any) {
            call = std::move(posted.front());
            posted.pop_front();
        }
        ReleaseSRWLockExclusive(&postedLock);
        if (!any) return;
        try {
            call();
        } catch (...) {
            reportCurrentException("posted call");
        }
    }
}

bool Toolkit::blockSessionEnd(tk::Form& f, const Str& reason) {
    FormNative* fn = formNative(f);
    // Wine has the call as a stub that answers FALSE.
    return fn && fn->hwnd && ShutdownBlockReasonCreate(fn->hwnd, wz(reason));
}

void Toolkit::unblockSessionEnd(tk::Form& f) {
    if (FormNative* fn = formNative(f); fn && fn->hwnd) ShutdownBlockReasonDestroy(fn->hwnd);
}

}  // namespace win32::tkw
