// The frozen screen: a picture of the whole virtual desktop in a window
// above all others, on which the user drags a rectangle.
#include "platform/win32/win32_platform.h"
#include "platform/win32/tk_internal.h"

#include <windowsx.h>

#include <algorithm>

namespace win32::tkw {

namespace {

const wchar_t* snapshotClass() { return reinterpret_cast<const wchar_t*>(kSnapshotWindowClass); }

constexpr COLORREF kFrameColour = RGB(255, 0, 0);
constexpr int kFrame = 2;  // pixels of the frame around the rectangle

struct Overlay {
    os::Rect screen;            // where the window lies: the snapshot's rectangle
    HDC picture = nullptr;      // memory DC holding the snapshot
    bool pressed = false;
    POINT from{}, to{};         // client pixels
    bool done = false;
    bool activated = false;
    tk::SnapshotDrag result;

    RECT frame() const {
        return RECT{std::min(from.x, to.x) - kFrame, std::min(from.y, to.y) - kFrame,
                    std::max(from.x, to.x) + 1 + kFrame, std::max(from.y, to.y) + 1 + kFrame};
    }
    os::Point onScreen(POINT p) const { return {screen.left + p.x, screen.top + p.y}; }
    void finish(bool dragged, bool shift) {
        result.dragged = dragged;
        result.from = onScreen(from);
        result.to = onScreen(to);
        result.shift = shift;
        done = true;
    }
};

void paint(Overlay& o, HWND h) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    const RECT& r = ps.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, o.picture, r.left, r.top, SRCCOPY);
    if (o.pressed) {
        HBRUSH red = CreateSolidBrush(kFrameColour);
        RECT f = o.frame();
        for (int i = 0; i < kFrame; ++i) {
            FrameRect(dc, &f, red);
            InflateRect(&f, -1, -1);
        }
        DeleteObject(red);
    }
    EndPaint(h, &ps);
}

LRESULT CALLBACK overlayProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* o = reinterpret_cast<Overlay*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!o) return DefWindowProcW(h, msg, wp, lp);
    const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(*o, h);
        return 0;
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS)));
        return TRUE;
    case WM_LBUTTONDOWN:
        o->pressed = true;
        o->from = o->to = at;
        SetCapture(h);
        {
            RECT f = o->frame();
            InvalidateRect(h, &f, FALSE);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (o->pressed) {
            RECT before = o->frame();
            o->to = at;
            RECT after = o->frame();
            InvalidateRect(h, &before, FALSE);
            InvalidateRect(h, &after, FALSE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (o->pressed) {
            o->to = at;
            o->pressed = false;
            o->finish(true, (wp & MK_SHIFT) != 0);
            ReleaseCapture();
        }
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE) o->finish(false, false);
        return 0;
    case WM_RBUTTONUP:
        o->finish(false, false);
        return 0;
    case WM_ACTIVATE:
        // Another window taking the front (Alt+Tab) ends the choice: the
        // overlay must not stay over a desktop the user went back to.
        if (LOWORD(wp) == WA_INACTIVE) {
            if (o->activated && !o->done) o->finish(false, false);
        } else {
            o->activated = true;
        }
        break;
    case WM_CLOSE:
        o->finish(false, false);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

bool registerOverlayClass(HINSTANCE instance) {
    static bool done = false;
    if (done) return true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = overlayProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
    wc.lpszClassName = snapshotClass();
    done = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return done;
}

}  // namespace

tk::SnapshotDrag Toolkit::dragOnSnapshot(const os::ScreenPixels& shot) {
    const int w = shot.rect.width(), h = shot.rect.height();
    if (w <= 0 || h <= 0 || shot.pixels.size() != size_t(w) * size_t(h) || !registerOverlayClass(instance)) return {};

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC picture = CreateCompatibleDC(nullptr);
    GdiObject<HBITMAP> bitmap(picture ? CreateDIBSection(picture, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr);
    if (!bitmap.get() || !bits) {
        if (picture) DeleteDC(picture);
        return {};
    }
    std::copy(shot.pixels.begin(), shot.pixels.end(), static_cast<uint32_t*>(bits));
    HGDIOBJ old = SelectObject(picture, bitmap.get());

    Overlay o;
    o.screen = shot.rect;
    o.picture = picture;
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, snapshotClass(), L"TOVIRAK", WS_POPUP,
                                  shot.rect.left, shot.rect.top, w, h, nullptr, nullptr, instance, &o);
    if (window) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(window);
        UpdateWindow(window);
        if (!pump([&] { return o.done; })) PostQuitMessage(quitCode);  // cancelled; the loop outside quits
        if (GetCapture() == window) ReleaseCapture();
        DestroyWindow(window);
    }
    SelectObject(picture, old);
    DeleteDC(picture);
    return o.result;
}

}  // namespace win32::tkw
