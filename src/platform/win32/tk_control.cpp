// What every native control shares: creation, the common properties, the
// focus report and colours.
#include "platform/win32/tk_internal.h"

#include <commctrl.h>

#include <string>

namespace win32::tkw {

namespace {

// Every control's window procedure: reports the focus (scroll bars and
// buttons have no reliable notification for it) and detaches at
// destruction; the rest goes to the control's own procedure. The control
// is found in GWLP_USERDATA, which standard controls leave to the program:
// a lookup of a window property, or the system's subclass chain (which
// keeps its data in one), is a call to the Wine server for every message,
// a third of all of them while the main window is made.
LRESULT CALLBACK ctlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* n = reinterpret_cast<CtlNative*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!n) return CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(h, GCLP_WNDPROC)), h, msg, wp, lp);
    const WNDPROC own = n->ownProc;
    if (msg == WM_NCDESTROY) {
        n->detach();
        return CallWindowProcW(own, h, msg, wp, lp);
    }
    if (msg == WM_ERASEBKGND) {
        try {
            if (n->erase(reinterpret_cast<HDC>(wp))) return 1;
        } catch (...) {
            reportCurrentException("paint");
        }
    }
    if (msg == WM_DROPFILES) {
        try {
            n->ctl.userDropFiles(droppedFiles(reinterpret_cast<HDROP>(wp)));
        } catch (...) {
            reportCurrentException("drop");
        }
        return 0;
    }
    LRESULT r = CallWindowProcW(own, h, msg, wp, lp);
    if (msg == WM_SETFOCUS) {
        try {
            n->ctl.userFocus();
        } catch (...) {
            reportCurrentException("focus");
        }
    }
    return r;
}

}  // namespace

std::vector<Str> droppedFiles(HDROP drop) {
    std::vector<Str> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        paths.push_back(fromWide(path.data(), path.size()));
    }
    DragFinish(drop);
    return paths;
}

void keepFramesBehind(tk::Form& f) {
    auto isFrame = [](HWND w) {
        CtlNative* n = CtlNative::from(w);
        return n && n->ctl.kind() == tk::Kind::Frame;
    };
    for (tk::Control* c : f.controls()) {
        if (c->kind() != tk::Kind::Frame) continue;
        CtlNative* n = ctlNative(*c);
        if (!n || !n->hwnd) continue;
        // Only frames may lie below a frame.
        bool behind = true;
        for (HWND w = GetWindow(n->hwnd, GW_HWNDNEXT); w && behind; w = GetWindow(w, GW_HWNDNEXT))
            behind = isFrame(w);
        if (!behind) SetWindowPos(n->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

CtlNative::~CtlNative() {
    if (hwnd) {
        HWND h = hwnd;
        detach();
        DestroyWindow(h);
    }
}

void CtlNative::detach() {
    if (!hwnd) return;
    // Nothing subclasses our controls after us: the control's own
    // procedure goes back in place.
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ownProc));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    hwnd = nullptr;
}

CtlNative* CtlNative::from(HWND h) {
    // Only a window that runs our procedure holds a control in its user data.
    if (!h || GetWindowLongPtrW(h, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(ctlProc)) return nullptr;
    return reinterpret_cast<CtlNative*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}

RECT CtlNative::pixelRect() const {
    int x = tk.px(ctl.left()), y = tk.px(ctl.top());
    return RECT{x, y, x + tk.px(ctl.width()), y + tk.px(ctl.height())};
}

void CtlNative::createWindow(HWND parent, const wchar_t* cls, DWORD style, DWORD exStyle) {
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (ctl.acceptsFiles()) exStyle |= WS_EX_ACCEPTFILES;
    if (ctl.visible()) style |= WS_VISIBLE;
    if (!ctl.enabled()) style |= WS_DISABLED;
    RECT r = pixelRect();
    static int nextId = 100;
    hwnd = CreateWindowExW(exStyle, cls, wz(ctl.text()), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)), tk.instance, nullptr);
    if (!hwnd) err::raise(err::OutOfMemory, u"コントロールを作成できません: " + fromWide(cls, wcslen(cls)));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ownProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ctlProc)));
    applyFont();
}

void CtlNative::setTextQuietly(const Str& s) {
    if (!hwnd) return;
    quiet = true;
    SetWindowTextW(hwnd, wz(s));
    quiet = false;
}

void CtlNative::applyFont() {
    if (hwnd) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(tk.gdi.font(ctl.font(), tk.dpi)), TRUE);
}

HBRUSH CtlNative::ctlColor(HDC dc) {
    SetTextColor(dc, ctl.foreColor());
    SetBkColor(dc, ctl.backColor());
    return tk.gdi.brush(ctl.backColor());
}

void CtlNative::update(tk::Prop p) {
    if (!hwnd) return;
    switch (p) {
    case tk::Prop::Text:
    case tk::Prop::Caption:
        setTextQuietly(ctl.text());
        break;
    case tk::Prop::Visible:
        ShowWindow(hwnd, ctl.visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case tk::Prop::Enabled:
        EnableWindow(hwnd, ctl.enabled());
        break;
    case tk::Prop::Geometry: {
        RECT r = pixelRect();
        MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        break;
    }
    case tk::Prop::Font:
        applyFont();
        break;
    case tk::Prop::Colors:
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case tk::Prop::AcceptFiles:
        DragAcceptFiles(hwnd, ctl.acceptsFiles());
        break;
    case tk::Prop::TabOrder:
        // Z order follows the tab order (last in tab order = bottom).
        SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        keepFramesBehind(*ctl.form());
        break;
    default:
        break;
    }
}

}  // namespace win32::tkw
