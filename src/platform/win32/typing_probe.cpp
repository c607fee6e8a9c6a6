// The typing target of the Windows-side tests (see typing_probe.h).
#include "platform/win32/typing_probe.h"
#include "platform/win32/os_wide.h"

#include <windows.h>

namespace win32::probe {

namespace {
const wchar_t* kTargetClass = L"TovirakTypingTarget";

LRESULT CALLBACK targetProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    if (msg == WM_CHAR) {
        if (auto* t = reinterpret_cast<TypingTarget*>(GetWindowLongPtrW(h, GWLP_USERDATA)))
            t->received(char16_t(wp), int64_t(GetTickCount64()));
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}
}  // namespace

TypingTarget::TypingTarget(const Str& title) {
    registerPlainClass(kTargetClass, targetProc);
    HWND h = CreateWindowExW(0, kTargetClass, wide(title), WS_OVERLAPPEDWINDOW, 600, 400, 300, 200, nullptr, nullptr,
                             GetModuleHandleW(nullptr), this);
    if (h) ShowWindow(h, SW_SHOWNOACTIVATE);
    hwnd_ = fromHwnd(h);
}

TypingTarget::~TypingTarget() {
    if (hwnd_ && IsWindow(toHwnd(hwnd_))) {
        SetWindowLongPtrW(toHwnd(hwnd_), GWLP_USERDATA, 0);
        DestroyWindow(toHwnd(hwnd_));
    }
}

void TypingTarget::received(char16_t c, int64_t ms) {
    if (typed_.empty()) firstMs_ = ms;
    lastMs_ = ms;
    typed_ += c;
}

}  // namespace win32::probe
