// Shared fonts and brushes of the toolkit.
#include <cmath>

#include "platform/win32/tk_internal.h"

namespace win32::tkw {

static bool hasNonAscii(const Str& s) {
    for (char16_t c : s)
        if (c >= 0x80) return true;
    return false;
}

HFONT GdiCache::font(const tk::Font& f, int dpi) {
    // The point size becomes the height of the character cell, not of the
    // em: the Japanese faces the program names have no internal leading, so
    // on Windows the two are the same, and the boxes of the layout were made
    // to hold one such cell. A stand-in face with a taller ascent and descent
    // (the fonts that replace them elsewhere) is scaled down to the same cell
    // instead of spilling out of its box.
    int height = int(std::lround(f.size * dpi / 72.0));
    if (height == 0) height = 1;
    FontKey key{f.name, height, f.bold, f.italic};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    // The program's Japanese face names need the Shift-JIS character set to
    // be matched (and substituted sensibly where the face is missing).
    BYTE charset = hasNonAscii(f.name) ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
    HFONT h = CreateFontW(height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, f.italic, FALSE, FALSE, charset,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          wz(f.name));
    if (!h) h = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));  // stock: deleting it is a no-op
    return fonts_.emplace(std::move(key), GdiObject<HFONT>(h)).first->second.get();
}

HBRUSH GdiCache::brush(COLORREF c) {
    auto it = brushes_.find(c);
    if (it != brushes_.end()) return it->second.get();
    return brushes_.emplace(c, GdiObject<HBRUSH>(CreateSolidBrush(c))).first->second.get();
}

Str windowText(HWND h) {
    int n = GetWindowTextLengthW(h);
    if (n <= 0) return Str();
    std::wstring buf(size_t(n) + 1, L'\0');
    int got = GetWindowTextW(h, buf.data(), n + 1);
    return fromWide(buf.data(), size_t(got > 0 ? got : 0));
}

}  // namespace win32::tkw
