// TextBox: a single-line edit. Only the user's typing raises Change; the
// text the program sets itself is written under the quiet flag.
#include "platform/win32/tk_internal.h"

namespace win32::tkw {
namespace {

struct TextBoxNative final : CtlNative {
    using CtlNative::CtlNative;
    tk::TextBox& box() { return static_cast<tk::TextBox&>(ctl); }

    void create(HWND parent) override {
        createWindow(parent, L"EDIT", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
        applyPassword();
    }
    void applyPassword() {
        SendMessageW(hwnd, EM_SETPASSWORDCHAR, WPARAM(box().passwordChar()), 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    void update(tk::Prop p) override {
        if (p == tk::Prop::PasswordChar) {
            if (hwnd) applyPassword();
            return;
        }
        CtlNative::update(p);
    }
    void command(int code) override {
        if (code == EN_CHANGE && !quiet) ctl.userTyped(windowText(hwnd));
        else if (code == EN_SETFOCUS) ctl.userFocus();
    }
};

}  // namespace

std::unique_ptr<CtlNative> makeTextBox(Toolkit& tk, tk::Control& c) { return std::make_unique<TextBoxNative>(tk, c); }

}  // namespace win32::tkw
