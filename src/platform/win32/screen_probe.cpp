#include "platform/win32/screen_probe.h"

#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <map>

namespace win32::probe {

struct PictureAccess {
    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* w = reinterpret_cast<PictureWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (msg == WM_NCCREATE) {
            w = static_cast<PictureWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
        }
        if (msg == WM_ERASEBKGND) return 1;
        if (msg == WM_PAINT && w) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            const int height = int(w->pixels_.size()) / w->width_;
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = w->width_;
            info.bmiHeader.biHeight = -height;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            SetDIBitsToDevice(dc, 0, 0, DWORD(w->width_), DWORD(height), 0, 0, 0, UINT(height), w->pixels_.data(), &info,
                              DIB_RGB_COLORS);
            EndPaint(h, &ps);
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }
};

PictureWindow::PictureWindow(os::Rect where, std::vector<uint32_t> pixels)
    : pixels_(std::move(pixels)), width_(where.width()) {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PictureAccess::proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TovirakTestPicture";
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    HWND h = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"TovirakTestPicture", L"picture",
                             WS_POPUP, where.left, where.top, where.width(), where.height(), nullptr, nullptr,
                             GetModuleHandleW(nullptr), this);
    ShowWindow(h, SW_SHOWNOACTIVATE);
    UpdateWindow(h);
    hwnd_ = reinterpret_cast<os::WindowHandle>(h);
}

PictureWindow::~PictureWindow() {
    if (hwnd_) DestroyWindow(reinterpret_cast<HWND>(hwnd_));
}

os::WindowHandle snapshotOverlay() {
    return reinterpret_cast<os::WindowHandle>(
        FindWindowW(reinterpret_cast<const wchar_t*>(kSnapshotWindowClass), nullptr));
}

namespace {

std::map<UINT_PTR, std::function<void()>>& laterCalls() {
    static std::map<UINT_PTR, std::function<void()>> calls;
    return calls;
}

void CALLBACK laterProc(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = laterCalls().find(id);
    if (it == laterCalls().end()) return;
    auto call = std::move(it->second);
    laterCalls().erase(it);
    call();
}

}  // namespace

LaterCall::LaterCall(uint32_t ms, std::function<void()> call) {
    id_ = SetTimer(nullptr, 0, ms, laterProc);
    if (id_) laterCalls()[id_] = std::move(call);
}

LaterCall::~LaterCall() {
    if (!id_) return;
    KillTimer(nullptr, id_);
    laterCalls().erase(id_);
}

os::Point editCharPosition(os::WindowHandle edit, int index) {
    const HWND h = reinterpret_cast<HWND>(edit);
    const LRESULT at = SendMessageW(h, EM_POSFROMCHAR, WPARAM(index), 0);
    POINT pt{short(LOWORD(at)), short(HIWORD(at))};
    ClientToScreen(h, &pt);
    return {pt.x, pt.y};
}

}  // namespace win32::probe
