// Markers: shaped, click-through windows above all others.
#include "platform/win32/os_markers.h"

#include <windows.h>

namespace win32::markers {

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr int kArm = 16;     // the cross reaches this far from its centre
constexpr int kBar = 3;      // thickness of the cross and of the frame
constexpr int kHole = 4;     // the cross leaves its centre free, so a click there reaches the window below
constexpr COLORREF kRed = RGB(255, 0, 0);

HWND g_marker = nullptr;  // the one showing

const wchar_t* className() { return reinterpret_cast<const wchar_t*>(kClassName); }

LRESULT CALLBACK markerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;  // clicks go to the window below
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_TIMER:
        if (wp == kTimerId) DestroyWindow(h);
        return 0;
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(h, &rc);
        HBRUSH red = CreateSolidBrush(kRed);
        FillRect(reinterpret_cast<HDC>(wp), &rc, red);
        DeleteObject(red);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(h, &ps);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_NCDESTROY:
        if (g_marker == h) g_marker = nullptr;
        break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

void registerClass(HINSTANCE instance) {
    static bool done = false;
    if (done) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = markerProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = className();
    done = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A marker window over rect, cut to region (in window coordinates; the
// window takes it over), shown for ms milliseconds.
void show(const RECT& rect, HRGN region, uint32_t ms) {
    hide();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    registerClass(instance);
    // Layered and transparent: the system passes every click through to the
    // window below. Tool window: no taskbar button. No-activate: showing it
    // leaves the front where it is.
    const DWORD ex = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;
    HWND h = CreateWindowExW(ex, className(), L"", WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    if (!h) {
        DeleteObject(region);
        return;
    }
    // A layered window shows nothing until it is given its opacity.
    SetLayeredWindowAttributes(h, 0, 255, LWA_ALPHA);
    SetWindowRgn(h, region, FALSE);
    g_marker = h;
    SetTimer(h, kTimerId, ms, nullptr);
    SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

}  // namespace

void showPoint(os::Point p, uint32_t ms) {
    const int side = 2 * kArm + 1;
    RECT rc{p.x - kArm, p.y - kArm, p.x + kArm + 1, p.y + kArm + 1};
    const int a = kArm - kBar / 2, b = a + kBar;  // the bars' band
    HRGN cross = CreateRectRgn(0, a, side, b);
    HRGN vertical = CreateRectRgn(a, 0, b, side);
    HRGN hole = CreateRectRgn(kArm - kHole, kArm - kHole, kArm + kHole + 1, kArm + kHole + 1);
    CombineRgn(cross, cross, vertical, RGN_OR);
    CombineRgn(cross, cross, hole, RGN_DIFF);
    DeleteObject(vertical);
    DeleteObject(hole);
    show(rc, cross, ms);
}

void showFrame(const os::Rect& r, uint32_t ms) {
    if (r.width() <= 2 * kBar || r.height() <= 2 * kBar) return;
    RECT rc{r.left, r.top, r.right, r.bottom};
    HRGN frame = CreateRectRgn(0, 0, r.width(), r.height());
    HRGN inside = CreateRectRgn(kBar, kBar, r.width() - kBar, r.height() - kBar);
    CombineRgn(frame, frame, inside, RGN_DIFF);
    DeleteObject(inside);
    show(rc, frame, ms);
}

void hide() {
    if (g_marker) DestroyWindow(g_marker);
    g_marker = nullptr;
}

}  // namespace win32::markers
