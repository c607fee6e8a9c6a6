// ComboBox: drop-down list or drop-down combo. The dropped list is sized so
// that the requested number of entries shows without a scroll bar.
#include "platform/win32/tk_internal.h"

#include <commctrl.h>

#include <algorithm>

namespace win32::tkw {
namespace {

struct ComboNative final : CtlNative {
    using CtlNative::CtlNative;
    tk::ComboBox& combo() { return static_cast<tk::ComboBox&>(ctl); }
    const tk::ComboBox& combo() const { return static_cast<const tk::ComboBox&>(ctl); }
    int closedHeight = 0;  // height of the closed box in pixels

    int itemHeight() const { return hwnd ? int(SendMessageW(hwnd, CB_GETITEMHEIGHT, 0, 0)) : 0; }

    RECT pixelRect() const override {
        RECT r = CtlNative::pixelRect();
        if (hwnd && closedHeight > 0) {
            int rows = combo().dropRows > 0 ? combo().dropRows : 1;
            r.bottom = r.top + closedHeight + rows * itemHeight() + 2;
        }
        return r;
    }

    void measureClosed() {
        if (!hwnd) return;
        COMBOBOXINFO ci{};
        ci.cbSize = sizeof ci;
        RECT wr;
        GetWindowRect(hwnd, &wr);
        closedHeight = wr.bottom - wr.top;
        // Some combo implementations report the dropped height as the window
        // height; the selection field plus its frame is the closed box then.
        if (GetComboBoxInfo(hwnd, &ci)) {
            int field = ci.rcItem.bottom + ci.rcItem.top;  // field plus equal frame above and below
            if (field > 0 && field < closedHeight) closedHeight = field;
        }
    }

    void create(HWND parent) override {
        DWORD style = WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL | CBS_NOINTEGRALHEIGHT;
        style |= combo().style() == tk::ComboBox::DropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
        createWindow(parent, L"COMBOBOX", style);
        measureClosed();
        fill();
    }

    void applyDropSize() {
        appliedDropWidth = combo().dropWidthPx;
        appliedDropRows = combo().dropRows;
        SendMessageW(hwnd, CB_SETDROPPEDWIDTH, WPARAM(combo().dropWidthPx > 0 ? combo().dropWidthPx : 0), 0);
        SendMessageW(hwnd, CB_SETMINVISIBLE, WPARAM(combo().dropRows > 0 ? combo().dropRows : 1), 0);
        RECT r = pixelRect();
        SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void selectNative() {
        SendMessageW(hwnd, CB_SETCURSEL, WPARAM(combo().listIndex()), 0);
        if (combo().style() == tk::ComboBox::DropDownCombo && windowText(hwnd) != ctl.text())
            setTextQuietly(ctl.text());
    }

    void fill() {
        quiet = true;
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
        for (const Str& s : combo().items()) SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wz(s)));
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        quiet = false;
        listed = combo().items();
        selectNative();
        applyDropSize();
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    // Items added one by one (a list filled entry by entry) join the native
    // list without refilling it: refilling at each entry made filling a
    // list of n entries cost n * n / 2 additions.
    void itemsChanged() {
        const auto& items = combo().items();
        if (items.size() < listed.size() || !std::equal(listed.begin(), listed.end(), items.begin())) {
            fill();
            return;
        }
        if (items.size() > listed.size()) {
            quiet = true;
            SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
            for (size_t i = listed.size(); i < items.size(); ++i)
                SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wz(items[i])));
            SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
            quiet = false;
            listed = items;
        }
        // A list set again to the same items may have lost its selection.
        selectNative();
        // The drop size travels with the items (ComboBox::setDropSize).
        if (combo().dropWidthPx != appliedDropWidth || combo().dropRows != appliedDropRows) applyDropSize();
    }
    std::vector<Str> listed;  // what the native list holds
    int appliedDropWidth = -1, appliedDropRows = -1;

    void update(tk::Prop p) override {
        if (!hwnd) return;
        switch (p) {
        case tk::Prop::Items:
            itemsChanged();
            return;
        case tk::Prop::ListIndex:
            quiet = true;
            selectNative();
            quiet = false;
            return;
        case tk::Prop::Text:
            if (combo().style() == tk::ComboBox::DropDownCombo) setTextQuietly(ctl.text());
            else selectNative();
            return;
        case tk::Prop::Font:
            CtlNative::update(p);
            measureClosed();
            applyDropSize();
            return;
        default:
            CtlNative::update(p);
        }
    }

    void command(int code) override {
        if (quiet) return;
        switch (code) {
        case CBN_SELCHANGE:
            combo().userSelect(int(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)));
            break;
        case CBN_EDITCHANGE:
            ctl.userTyped(windowText(hwnd));
            break;
        case CBN_SETFOCUS:
            ctl.userFocus();
            break;
        case CBN_DBLCLK:
            ctl.userDblClick();
            break;
        default:
            break;
        }
    }
};

}  // namespace

std::unique_ptr<CtlNative> makeComboBox(Toolkit& tk, tk::Control& c) { return std::make_unique<ComboNative>(tk, c); }

int comboItemHeightOf(CtlNative* n) { return n && n->hwnd ? int(SendMessageW(n->hwnd, CB_GETITEMHEIGHT, 0, 0)) : 0; }

}  // namespace win32::tkw
