// ListBox: a single-selection list that reports selection and double click.
#include "platform/win32/tk_internal.h"

namespace win32::tkw {
namespace {

struct ListBoxNative final : CtlNative {
    using CtlNative::CtlNative;
    tk::ListBox& list() { return static_cast<tk::ListBox&>(ctl); }

    void create(HWND parent) override {
        createWindow(parent, L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, WS_EX_CLIENTEDGE);
        fill();
    }
    void fill() {
        quiet = true;
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
        for (const Str& s : list().items()) SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wz(s)));
        SendMessageW(hwnd, LB_SETCURSEL, WPARAM(list().listIndex()), 0);
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
        quiet = false;
    }
    void update(tk::Prop p) override {
        if (!hwnd) return;
        if (p == tk::Prop::Items) fill();
        else if (p == tk::Prop::ListIndex) SendMessageW(hwnd, LB_SETCURSEL, WPARAM(list().listIndex()), 0);
        else if (p != tk::Prop::Text) CtlNative::update(p);
    }
    void command(int code) override {
        if (quiet) return;
        if (code == LBN_SELCHANGE) list().userSelect(int(SendMessageW(hwnd, LB_GETCURSEL, 0, 0)));
        else if (code == LBN_DBLCLK) ctl.userDblClick();
        else if (code == LBN_SETFOCUS) ctl.userFocus();
    }
};

}  // namespace

std::unique_ptr<CtlNative> makeListBox(Toolkit& tk, tk::Control& c) { return std::make_unique<ListBoxNative>(tk, c); }

}  // namespace win32::tkw
