// Screen capture: one BitBlt from the screen into a 32-bit top-down DIB
// section, then the rows into the caller's buffer.
#include "platform/win32/os_capture.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace win32::capture {

namespace {

// The bitmap grows to the largest capture asked for and then stays, so a
// search that captures every 100 ms allocates nothing.
struct Bitmap {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    const uint32_t* bits = nullptr;
    int width = 0, height = 0;

    ~Bitmap() { release(); }
    void release() {
        if (dc && old) SelectObject(dc, old);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
        dc = nullptr;
        bitmap = nullptr;
        old = nullptr;
        bits = nullptr;
        width = height = 0;
    }

    bool hold(int w, int h) {
        if (dc && w <= width && h <= height) return true;
        const int newW = std::max(w, width), newH = std::max(h, height);
        release();
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = newW;
        info.bmiHeader.biHeight = -newH;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0) : nullptr;
        if (!bitmap || !p) {
            release();
            return false;
        }
        old = SelectObject(dc, bitmap);
        bits = static_cast<const uint32_t*>(p);
        width = newW;
        height = newH;
        return true;
    }
};

Bitmap g_bitmap;

}  // namespace

bool screen(const os::Rect& r, os::ScreenPixels& out) {
    const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const os::Rect c{std::max(r.left, vx), std::max(r.top, vy),
                     std::min(r.right, vx + GetSystemMetrics(SM_CXVIRTUALSCREEN)),
                     std::min(r.bottom, vy + GetSystemMetrics(SM_CYVIRTUALSCREEN))};
    out.rect = {};
    if (c.width() <= 0 || c.height() <= 0 || !g_bitmap.hold(c.width(), c.height())) {
        out.pixels.clear();
        return false;
    }
    HDC screenDc = GetDC(nullptr);
    // CAPTUREBLT: layered windows too, as the user sees them.
    const bool copied = screenDc && BitBlt(g_bitmap.dc, 0, 0, c.width(), c.height(), screenDc, c.left, c.top,
                                           SRCCOPY | CAPTUREBLT);
    if (screenDc) ReleaseDC(nullptr, screenDc);
    GdiFlush();
    if (!copied) {
        out.pixels.clear();
        return false;
    }
    out.rect = c;
    out.pixels.resize(size_t(c.width()) * size_t(c.height()));
    const size_t rowBytes = size_t(c.width()) * sizeof(uint32_t);
    for (int y = 0; y < c.height(); ++y)
        std::memcpy(out.pixels.data() + size_t(y) * size_t(c.width()), g_bitmap.bits + size_t(y) * size_t(g_bitmap.width),
                    rowBytes);
    return true;
}

}  // namespace win32::capture
