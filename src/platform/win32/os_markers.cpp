// Markers: shaped, click-through windows above all others.
#include "platform/win32/os_markers.h"

#include <windows.h>

#include <vector>

namespace win32::markers {

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr int kArm = 16;     // the cross reaches this far from its centre
constexpr int kBar = 3;      // thickness of the cross and of the frame
constexpr int kHole = 4;     // the cross leaves its centre free, so a click there reaches the window below
constexpr COLORREF kRed = RGB(255, 0, 0);

std::vector<HWND> g_markers;  // the ones showing

const wchar_t* className() { return reinterpret_cast<const wchar_t*>(kClassName); }

// A picture marker holds its bitmap (a DIB section) in the window's user
// data; the others hold nothing and are red wherever their region lets.
HBITMAP pictureOf(HWND h) { return reinterpret_cast<HBITMAP>(GetWindowLongPtrW(h, GWLP_USERDATA)); }

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
        const HDC dc = reinterpret_cast<HDC>(wp);
        if (HBITMAP picture = pictureOf(h)) {
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, picture);
            BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
            return 1;
        }
        HBRUSH red = CreateSolidBrush(kRed);
        FillRect(dc, &rc, red);
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
        if (HBITMAP picture = pictureOf(h)) DeleteObject(picture);
        std::erase(g_markers, h);
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
// window takes it over; none: the whole rectangle) or showing picture (the
// window takes it over), shown beside the others for ms milliseconds.
void add(const RECT& rect, HRGN region, HBITMAP picture, uint32_t ms) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    registerClass(instance);
    // Layered and transparent: the system passes every click through to the
    // window below. Tool window: no taskbar button. No-activate: showing it
    // leaves the front where it is.
    const DWORD ex = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;
    HWND h = CreateWindowExW(ex, className(), L"", WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    if (!h) {
        if (region) DeleteObject(region);
        if (picture) DeleteObject(picture);
        return;
    }
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
    // A layered window shows nothing until it is given its opacity.
    SetLayeredWindowAttributes(h, 0, 255, LWA_ALPHA);
    if (region) SetWindowRgn(h, region, FALSE);
    g_markers.push_back(h);
    SetTimer(h, kTimerId, ms, nullptr);
    SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// A bitmap of the pixels (0x..RRGGBB, row by row), or none.
HBITMAP bitmapOf(const os::ScreenPixels& picture) {
    const int w = picture.rect.width(), h = picture.rect.height();
    if (w <= 0 || h <= 0 || picture.pixels.size() != size_t(w) * size_t(h)) return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down, as the pixels
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp && !bits) DeleteObject(bmp);
    if (!bmp || !bits) return nullptr;
    CopyMemory(bits, picture.pixels.data(), picture.pixels.size() * sizeof(uint32_t));
    return bmp;
}

// The region of a cross centred in a square of side 2 * kArm + 1.
HRGN crossRegion() {
    const int side = 2 * kArm + 1;
    const int a = kArm - kBar / 2, b = a + kBar;  // the bars' band
    HRGN cross = CreateRectRgn(0, a, side, b);
    HRGN vertical = CreateRectRgn(a, 0, b, side);
    HRGN hole = CreateRectRgn(kArm - kHole, kArm - kHole, kArm + kHole + 1, kArm + kHole + 1);
    CombineRgn(cross, cross, vertical, RGN_OR);
    CombineRgn(cross, cross, hole, RGN_DIFF);
    DeleteObject(vertical);
    DeleteObject(hole);
    return cross;
}

void addPoint(os::Point p, uint32_t ms) {
    add(RECT{p.x - kArm, p.y - kArm, p.x + kArm + 1, p.y + kArm + 1}, crossRegion(), nullptr, ms);
}

void addFrame(const os::Rect& r, uint32_t ms) {
    if (r.width() <= 2 * kBar || r.height() <= 2 * kBar) return;
    HRGN frame = CreateRectRgn(0, 0, r.width(), r.height());
    HRGN inside = CreateRectRgn(kBar, kBar, r.width() - kBar, r.height() - kBar);
    CombineRgn(frame, frame, inside, RGN_DIFF);
    DeleteObject(inside);
    add(RECT{r.left, r.top, r.right, r.bottom}, frame, nullptr, ms);
}

}  // namespace

void showPoint(os::Point p, uint32_t ms) {
    hide();
    addPoint(p, ms);
}

void showFrame(const os::Rect& r, uint32_t ms) {
    hide();
    addFrame(r, ms);
}

void showSet(const os::MarkerSet& set, uint32_t ms) {
    hide();
    for (const os::Rect& r : set.frames) addFrame(r, ms);
    for (const os::Point& p : set.points) addPoint(p, ms);
    for (const os::ScreenPixels& picture : set.pictures) {
        const os::Rect& r = picture.rect;
        if (HBITMAP bmp = bitmapOf(picture)) add(RECT{r.left, r.top, r.right, r.bottom}, nullptr, bmp, ms);
    }
}

void hide() {
    // Destroying one takes it out of the list.
    while (!g_markers.empty()) {
        const HWND h = g_markers.back();
        DestroyWindow(h);
        std::erase(g_markers, h);
    }
}

}  // namespace win32::markers
