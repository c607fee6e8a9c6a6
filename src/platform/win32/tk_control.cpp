// What every native control shares: creation, the common properties, the
// focus report and colours.
#include "platform/win32/tk_internal.h"

#include <commctrl.h>

#include <string>

namespace win32::tkw {

namespace {

const wchar_t kCtlProp[] = L"TovirakControl";

// Subclass of every control: reports the focus (scroll bars and buttons
// have no reliable notification for it) and detaches at destruction.
LRESULT CALLBACK ctlSubclass(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(h, ctlSubclass, id);
        RemovePropW(h, kCtlProp);
        if (auto* n = reinterpret_cast<CtlNative*>(ref)) n->hwnd = nullptr;
        return DefSubclassProc(h, msg, wp, lp);
    }
    if (msg == WM_ERASEBKGND) {
        try {
            if (reinterpret_cast<CtlNative*>(ref)->erase(reinterpret_cast<HDC>(wp))) return 1;
        } catch (...) {
            reportCurrentException("paint");
        }
    }
    if (msg == WM_DROPFILES) {
        try {
            reinterpret_cast<CtlNative*>(ref)->ctl.userDropFiles(droppedFiles(reinterpret_cast<HDROP>(wp)));
        } catch (...) {
            reportCurrentException("drop");
        }
        return 0;
    }
    LRESULT r = DefSubclassProc(h, msg, wp, lp);
    if (msg == WM_SETFOCUS) {
        try {
            reinterpret_cast<CtlNative*>(ref)->ctl.userFocus();
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
        hwnd = nullptr;
        RemoveWindowSubclass(h, ctlSubclass, 1);
        RemovePropW(h, kCtlProp);
        DestroyWindow(h);
    }
}

CtlNative* CtlNative::from(HWND h) {
    return h ? static_cast<CtlNative*>(GetPropW(h, kCtlProp)) : nullptr;
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
    SetPropW(hwnd, kCtlProp, this);
    SetWindowSubclass(hwnd, ctlSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
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
