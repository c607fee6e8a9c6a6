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
        if (auto* tk = reinterpret_cast<Toolkit*>(GetWindowLongPtrW(h, GWLP_USERDATA))) tk->runOnePosted();
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}
}  // namespace

void Toolkit::post(std::function<void()> call) {
    if (!postWindow) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = postProc;
        wc.hInstance = instance;
        wc.lpszClassName = kPostClass;
        RegisterClassExW(&wc);  // fails harmlessly when already registered
        postWindow = CreateWindowExW(0, kPostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
        if (!postWindow) err::raise(err::OutOfMemory, u"ウィンドウを作成できません");
        SetWindowLongPtrW(postWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    posted.push_back(std::move(call));
    if (!PostMessageW(postWindow, kRunPosted, 0, 0)) {
        posted.pop_back();
        err::raise(err::OutOfMemory, u"メッセージを送れません");
    }
}

void Toolkit::runOnePosted() {
    if (posted.empty()) return;
    auto call = std::move(posted.front());
    posted.pop_front();
    try {
        call();
    } catch (...) {
        reportCurrentException("posted call");
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
