// Command buttons, check boxes, option buttons and frames: the BUTTON class.
// Check and option buttons are not automatic: a click asks the toolkit core,
// which decides the value (and clears the other options of its group).
#include "platform/win32/tk_internal.h"

namespace win32::tkw {
namespace {

bool multiLine(const Str& s) { return s.find(u'\n') != Str::npos; }

struct ButtonNative final : CtlNative {
    using CtlNative::CtlNative;

    DWORD style() const {
        switch (ctl.kind()) {
        case tk::Kind::CheckBox:
            return BS_CHECKBOX | BS_NOTIFY | WS_TABSTOP;
        case tk::Kind::OptionButton:
            return BS_RADIOBUTTON | BS_NOTIFY | WS_TABSTOP;
        case tk::Kind::Frame:
            return BS_GROUPBOX;
        default: {
            DWORD s = BS_NOTIFY | WS_TABSTOP;
            s |= static_cast<tk::Button&>(ctl).isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            if (multiLine(ctl.text())) s |= BS_MULTILINE;
            return s;
        }
        }
    }

    void create(HWND parent) override {
        createWindow(parent, L"BUTTON", style());
        applyValue();
    }

    // A group box paints only its edge and caption; the form clips its
    // children, so the inside is filled here with the frame's colour.
    bool erase(HDC dc) override {
        if (ctl.kind() != tk::Kind::Frame) return false;
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, tk.gdi.brush(ctl.backColor()));
        return true;
    }

    void applyValue() {
        bool on = false;
        if (ctl.kind() == tk::Kind::CheckBox) on = static_cast<tk::CheckBox&>(ctl).checked();
        else if (ctl.kind() == tk::Kind::OptionButton) on = static_cast<tk::OptionButton&>(ctl).value();
        else return;
        SendMessageW(hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    void update(tk::Prop p) override {
        if (!hwnd) return;
        if (p == tk::Prop::Value) {
            applyValue();
            return;
        }
        if ((p == tk::Prop::Text || p == tk::Prop::Caption) && ctl.kind() == tk::Kind::Button) {
            // A caption with a line break needs the multi-line style.
            LONG_PTR s = GetWindowLongPtrW(hwnd, GWL_STYLE);
            LONG_PTR want = multiLine(ctl.text()) ? (s | BS_MULTILINE) : (s & ~LONG_PTR(BS_MULTILINE));
            if (want != s) SetWindowLongPtrW(hwnd, GWL_STYLE, want);
        }
        CtlNative::update(p);
    }

    void command(int code) override {
        if (code == BN_SETFOCUS) {
            ctl.userFocus();
            return;
        }
        if (code != BN_CLICKED) return;
        switch (ctl.kind()) {
        case tk::Kind::CheckBox: {
            auto& cb = static_cast<tk::CheckBox&>(ctl);
            cb.setChecked(!cb.checked());  // raises Click
            break;
        }
        case tk::Kind::OptionButton: {
            auto& ob = static_cast<tk::OptionButton&>(ctl);
            if (!ob.value()) ob.setValue(true);  // raises Click
            else applyValue();
            break;
        }
        case tk::Kind::Button:
            ctl.userClick();
            break;
        default:
            break;
        }
    }
};

}  // namespace

std::unique_ptr<CtlNative> makeButton(Toolkit& tk, tk::Control& c) { return std::make_unique<ButtonNative>(tk, c); }

}  // namespace win32::tkw
