// Line: no window of its own; the form draws it between its end points.
#include "platform/win32/tk_internal.h"

namespace win32::tkw {
namespace {

struct LineNative final : CtlNative {
    using CtlNative::CtlNative;
    tk::Line& line() { return static_cast<tk::Line&>(ctl); }

    void invalidateForm() {
        if (FormNative* fn = formNative(*ctl.form()); fn && fn->hwnd) InvalidateRect(fn->hwnd, nullptr, TRUE);
    }
    void create(HWND) override { invalidateForm(); }
    void update(tk::Prop) override { invalidateForm(); }
    void paint(HDC dc) override {
        if (!ctl.visible()) return;
        int x1 = tk.px(line().x1), y1 = tk.px(line().y1), x2 = tk.px(line().x2), y2 = tk.px(line().y2);
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, ctl.foreColor()));
        HGDIOBJ old = SelectObject(dc, pen.get());
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
        SetPixel(dc, x2, y2, ctl.foreColor());  // LineTo leaves out the end point
        SelectObject(dc, old);
    }
};

}  // namespace

std::unique_ptr<CtlNative> makeLine(Toolkit& tk, tk::Control& c) { return std::make_unique<LineNative>(tk, c); }

}  // namespace win32::tkw
