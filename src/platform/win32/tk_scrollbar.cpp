// ScrollBar: a vertical scroll bar with 32-bit positions. The native control
// counts 0..span (scaled down when the span is too wide for it); Min may be
// above Max, then the value runs backwards.
#include <algorithm>
#include <cstdlib>

#include "platform/win32/tk_internal.h"

namespace win32::tkw {
namespace {

struct ScrollNative final : CtlNative {
    using CtlNative::CtlNative;
    tk::ScrollBar& bar() { return static_cast<tk::ScrollBar&>(ctl); }

    int64_t span() { return std::llabs(int64_t(bar().max()) - bar().min()); }
    int64_t scale() { return std::max<int64_t>(1, (span() + 0x3FFFFFFE) / 0x3FFFFFFF); }
    int64_t offsetOf(int32_t v) { return std::llabs(int64_t(v) - bar().min()); }
    int32_t valueAt(int64_t offset) {
        offset = std::clamp<int64_t>(offset, 0, span());
        return int32_t(bar().min() <= bar().max() ? bar().min() + offset : bar().min() - offset);
    }
    void create(HWND parent) override {
        createWindow(parent, L"SCROLLBAR", SBS_VERT | WS_TABSTOP);
        applyRange();
    }
    void applyRange() {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
        si.nMin = 0;
        si.nMax = int(span() / scale());
        si.nPage = 0;
        si.nPos = int(offsetOf(bar().value()) / scale());
        SetScrollInfo(hwnd, SB_CTL, &si, TRUE);
    }
    void applyValue() {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_POS;
        si.nPos = int(offsetOf(bar().value()) / scale());
        SetScrollInfo(hwnd, SB_CTL, &si, TRUE);
    }
    void update(tk::Prop p) override {
        if (!hwnd) return;
        if (p == tk::Prop::ScrollRange) applyRange();
        else if (p == tk::Prop::ScrollValue) applyValue();
        else if (p != tk::Prop::Text) CtlNative::update(p);
    }
    // The scroll bar holds its own message loop while an arrow or the thumb
    // is held down: the program's timers go on meanwhile.
    std::unique_ptr<ForeignLoopTimers> held;

    void scroll(int code) override {
        if (code == SB_ENDSCROLL) held.reset();
        else if (!held) held = std::make_unique<ForeignLoopTimers>();
        int64_t at = offsetOf(bar().value());
        bool live = false, always = false;
        switch (code) {
        case SB_LINEUP: at -= 1; break;
        case SB_LINEDOWN: at += 1; break;
        case SB_PAGEUP:
        case SB_PAGEDOWN:
            // A click in the trough: one large change, as the toolkit defines it.
            bar().userPage(code == SB_PAGEDOWN);
            if (hwnd) applyValue();
            return;
        case SB_TOP: at = 0; break;
        case SB_BOTTOM: at = span(); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 32-bit tracking position, not the 16-bit one in wParam.
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_TRACKPOS;
            GetScrollInfo(hwnd, SB_CTL, &si);
            at = int64_t(si.nTrackPos) * scale();
            live = code == SB_THUMBTRACK;
            always = !live;
            break;
        }
        default:
            return;  // SB_ENDSCROLL
        }
        int32_t v = valueAt(at);
        if (!always && !live && v == bar().value()) return;  // arrow at the end: nothing moves
        bar().userScroll(v, !live);
        if (!live && hwnd) applyValue();
    }
};

}  // namespace

std::unique_ptr<CtlNative> makeScrollBar(Toolkit& tk, tk::Control& c) { return std::make_unique<ScrollNative>(tk, c); }

}  // namespace win32::tkw
