// Probes for the Windows-side backend tests (see tk_testing.h).
#include "platform/win32/tk_testing.h"

#include "platform/win32/tk_internal.h"

#include <shlobj.h>  // DROPFILES

#include <algorithm>
#include <string>

namespace win32::tkw {
std::function<void(const Str&)>& failureSink();  // tk_toolkit.cpp
}  // namespace win32::tkw

namespace win32::tktest {

using namespace win32::tkw;

namespace {
HWND hwndOf(const tk::Control& c) {
    if (c.kind() == tk::Kind::Form) {
        FormNative* fn = formNative(static_cast<const tk::Form&>(c));
        return fn ? fn->hwnd : nullptr;
    }
    CtlNative* n = ctlNative(c);
    return n ? n->hwnd : nullptr;
}
// The edit window that takes typing (a combo's edit field).
HWND editOf(const tk::Control& c) {
    HWND h = hwndOf(c);
    if (c.kind() == tk::Kind::ComboBox) {
        COMBOBOXINFO ci{};
        ci.cbSize = sizeof ci;
        if (GetComboBoxInfo(h, &ci) && ci.hwndItem) return ci.hwndItem;
    }
    return h;
}
}  // namespace

void typeChars(tk::Control& c, const Str& s) {
    HWND h = editOf(c);
    for (char16_t ch : s) SendMessageW(h, WM_CHAR, WPARAM(ch), 1);
}

void replaceSelection(tk::Control& c, const Str& s) {
    SendMessageW(editOf(c), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wz(s)));
}

Str nativeText(const tk::Control& c) { return windowText(hwndOf(c)); }

void click(tk::Control& c) { SendMessageW(hwndOf(c), BM_CLICK, 0, 0); }

void pick(tk::ListControl& c, int i) {
    HWND h = hwndOf(c);
    bool combo = c.kind() == tk::Kind::ComboBox;
    SendMessageW(h, combo ? CB_SETCURSEL : LB_SETCURSEL, WPARAM(i), 0);
    int id = GetDlgCtrlID(h);
    SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(h));
}

void dblClick(tk::ListBox& c) {
    HWND h = hwndOf(c);
    SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), LBN_DBLCLK), reinterpret_cast<LPARAM>(h));
}

void scroll(tk::ScrollBar& s, int code) {
    HWND h = hwndOf(s);
    SendMessageW(GetParent(h), WM_VSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(h));
}

namespace {
void sendMouse(DWORD flags, int x, int y) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = LONG((x * 65535LL + w / 2) / (w - 1));
    in.mi.dy = LONG((y * 65535LL + h / 2) / (h - 1));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof in);
}
}  // namespace

void dragThumb(tk::ScrollBar& s, double fraction, tk::Backend& backend) {
    HWND h = hwndOf(s);
    SCROLLBARINFO sbi{};
    sbi.cbSize = sizeof sbi;
    GetScrollBarInfo(h, OBJID_CLIENT, &sbi);
    RECT r = sbi.rcScrollBar;
    int x = (r.left + r.right) / 2;
    int arrow = sbi.dxyLineButton;
    int thumbY = r.top + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2;
    int thumbH = sbi.xyThumbBottom - sbi.xyThumbTop;
    int trackTop = r.top + arrow + thumbH / 2;
    int trackBottom = r.bottom - arrow - thumbH / 2;
    int y = trackTop + int((trackBottom - trackTop) * fraction + 0.5);
    sendMouse(0, x, thumbY);
    sendMouse(MOUSEEVENTF_LEFTDOWN, x, thumbY);
    sendMouse(0, x, (thumbY + y) / 2);
    sendMouse(0, x, y);
    sendMouse(MOUSEEVENTF_LEFTUP, x, y);
    for (int i = 0; i < 20; ++i) {
        backend.doEvents();
        Sleep(5);
    }
}

int nativeScrollPos(tk::ScrollBar& s) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    GetScrollInfo(hwndOf(s), SB_CTL, &si);
    return si.nPos;
}

int nativeScrollMax(tk::ScrollBar& s) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    GetScrollInfo(hwndOf(s), SB_CTL, &si);
    return si.nMax;
}

DropInfo measureDrop(tk::ComboBox& c) {
    DropInfo d;
    HWND h = hwndOf(c);
    d.itemHeight = int(SendMessageW(h, CB_GETITEMHEIGHT, 0, 0));
    d.droppedWidth = int(SendMessageW(h, CB_GETDROPPEDWIDTH, 0, 0));
    SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
    d.opened = SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0) != 0;
    COMBOBOXINFO ci{};
    ci.cbSize = sizeof ci;
    if (GetComboBoxInfo(h, &ci) && ci.hwndList) {
        RECT r;
        GetClientRect(ci.hwndList, &r);
        d.listHeight = r.bottom - r.top;
    }
    SendMessageW(h, CB_SHOWDROPDOWN, FALSE, 0);
    return d;
}

void pressKey(tk::Control& focus, int vk, int shift, tk::Backend& backend) {
    HWND target = editOf(focus);
    BYTE saved[256], keys[256];
    GetKeyboardState(saved);
    std::copy(saved, saved + 256, keys);
    auto set = [&](int k, bool down) { keys[k] = down ? 0x80 : 0; };
    set(VK_SHIFT, shift & tk::ShiftMask);
    set(VK_CONTROL, shift & tk::CtrlMask);
    set(VK_MENU, shift & tk::AltMask);
    set(vk, true);
    SetKeyboardState(keys);
    UINT down = (shift & tk::AltMask) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    LPARAM lp = 1 | (LPARAM(MapVirtualKeyW(UINT(vk), MAPVK_VK_TO_VSC)) << 16);
    PostMessageW(target, down, WPARAM(vk), lp);
    backend.doEvents();
    backend.doEvents();  // the character TranslateMessage posted
    set(vk, false);
    SetKeyboardState(keys);
    PostMessageW(target, (shift & tk::AltMask) ? WM_SYSKEYUP : WM_KEYUP, WPARAM(vk), lp | (LPARAM(3) << 30));
    backend.doEvents();
    SetKeyboardState(saved);
}

bool nativeFocus(const tk::Control& c) {
    HWND f = GetFocus();
    HWND h = hwndOf(c);
    return f && (f == h || GetParent(f) == h);
}

void nativeSetFocus(tk::Control& c) { SetFocus(hwndOf(c)); }

bool nativeEnabled(const tk::Control& c) { return IsWindowEnabled(hwndOf(c)); }
bool nativeVisible(const tk::Control& c) { return IsWindowVisible(hwndOf(c)); }

void formPixels(const tk::Form& f, int& outerW, int& outerH, int& clientW, int& clientH) {
    RECT w, c;
    GetWindowRect(hwndOf(f), &w);
    GetClientRect(hwndOf(f), &c);
    outerW = w.right - w.left;
    outerH = w.bottom - w.top;
    clientW = c.right;
    clientH = c.bottom;
}

void controlPixels(const tk::Control& c, int& w, int& h) {
    RECT r;
    GetWindowRect(hwndOf(c), &r);
    w = r.right - r.left;
    h = r.bottom - r.top;
}

void controlOrigin(const tk::Control& c, int& x, int& y) {
    RECT r;
    GetWindowRect(hwndOf(c), &r);
    POINT pt{r.left, r.top};
    ScreenToClient(GetParent(hwndOf(c)), &pt);
    x = pt.x;
    y = pt.y;
}

TextLine textLine(const tk::Control& c, const Str& sample) {
    TextLine t;
    HWND h = hwndOf(c);
    RECT client{};
    GetClientRect(h, &client);
    t.bandTop = 0;
    t.bandBottom = t.boxHeight = client.bottom;
    if (c.kind() == tk::Kind::TextBox) {
        RECT fr{};
        SendMessageW(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
        t.bandTop = fr.top;
        t.bandBottom = fr.bottom;
    } else if (c.kind() == tk::Kind::ComboBox) {
        COMBOBOXINFO ci{};
        ci.cbSize = sizeof ci;
        if (GetComboBoxInfo(h, &ci)) {
            t.bandTop = ci.rcItem.top;
            t.bandBottom = ci.rcItem.bottom;
            t.boxHeight = ci.rcItem.bottom + ci.rcItem.top;  // the field with an equal frame below
        }
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    t.cellHeight = tm.tmHeight;
    // The sample drawn black on white with a cell's room above and below.
    SIZE ext{};
    GetTextExtentPoint32W(dc, wz(sample), int(sample.size()), &ext);
    const int w = ext.cx + 2 * tm.tmHeight + 8, hgt = 3 * tm.tmHeight;
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, hgt);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    RECT all{0, 0, w, hgt};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, tm.tmHeight, tm.tmHeight, wz(sample), int(sample.size()));
    bool inked = false;
    for (int y = 0; y < hgt; ++y)
        for (int x = 0; x < w; ++x)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                if (!inked) t.inkTop = y - tm.tmHeight;
                inked = true;
                t.inkBottom = y - tm.tmHeight;
                break;
            }
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return t;
}

void dpiChanged(tk::Form& f, int dpi) {
    HWND h = hwndOf(f);
    RECT r;
    GetWindowRect(h, &r);
    auto* fn = formNative(f);
    double k = double(dpi) / fn->tk.dpi;
    RECT s{r.left, r.top, r.left + int((r.right - r.left) * k + 0.5), r.top + int((r.bottom - r.top) * k + 0.5)};
    SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&s));
}

bool drawnAbove(const tk::Control& a, const tk::Control& b) {
    HWND hb = hwndOf(b);
    for (HWND w = GetWindow(hwndOf(a), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == hb) return true;
    return false;
}

void closeBox(tk::Form& f) { SendMessageW(hwndOf(f), WM_CLOSE, 0, 0); }

void selection(const tk::Control& c, int& start, int& end) {
    DWORD s = 0, e = 0;
    SendMessageW(editOf(c), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = int(s);
    end = int(e);
}

void mouseUp(tk::Form& f, int button, int x, int y) {
    UINT msg = button == 2 ? WM_RBUTTONUP : button == 4 ? WM_MBUTTONUP : WM_LBUTTONUP;
    SendMessageW(hwndOf(f), msg, 0, MAKELPARAM(x, y));
}

bool dropFiles(tk::Control& c, const std::vector<Str>& paths, tk::Backend& backend) {
    HWND h = editOf(c);
    RECT r{};
    GetWindowRect(h, &r);
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    HWND target = WindowFromPoint(at);
    while (target && !(GetWindowLongPtrW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) target = GetParent(target);
    if (!target) return false;
    // DROPFILES, then the paths, each ended by a NUL, and one more NUL.
    std::wstring list;
    for (const Str& p : paths) list.append(p.begin(), p.end()).push_back(L'\0');
    list.push_back(L'\0');
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    if (!mem) return false;
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    ScreenToClient(target, &at);
    df->pt = at;
    df->fNC = FALSE;
    df->fWide = TRUE;
    std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(df + 1));
    GlobalUnlock(mem);
    if (!PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0)) {
        GlobalFree(mem);
        return false;
    }
    backend.doEvents();
    return true;
}

void clickScreen(int x, int y, tk::Backend& backend) {
    sendMouse(0, x, y);
    sendMouse(MOUSEEVENTF_LEFTDOWN, x, y);
    sendMouse(MOUSEEVENTF_LEFTUP, x, y);
    for (int i = 0; i < 10; ++i) {
        backend.doEvents();
        Sleep(5);
    }
}

void chooseMenu(tk::MenuItem& m) {
    auto* mn = static_cast<MenuNative*>(m.native);
    if (mn && mn->id) SendMessageW(mn->window, WM_COMMAND, MAKEWPARAM(mn->id, 0), 0);
}

bool menuGrayed(const tk::MenuItem& m) {
    auto* mn = static_cast<MenuNative*>(m.native);
    if (!mn) return false;
    UINT st = mn->id ? GetMenuState(mn->parentMenu, mn->id, MF_BYCOMMAND)
                     : GetMenuState(mn->parentMenu, UINT(mn->position), MF_BYPOSITION);
    return st != UINT(-1) && (st & (MF_GRAYED | MF_DISABLED));
}

Str menuText(const tk::MenuItem& m) {
    auto* mn = static_cast<MenuNative*>(m.native);
    if (!mn) return Str();
    wchar_t buf[256];
    int n = mn->id ? GetMenuStringW(mn->parentMenu, mn->id, buf, 256, MF_BYCOMMAND)
                   : GetMenuStringW(mn->parentMenu, UINT(mn->position), buf, 256, MF_BYPOSITION);
    return fromWide(buf, size_t(n > 0 ? n : 0));
}

void setFailureSink(std::function<void(const Str&)> sink) { failureSink() = std::move(sink); }

}  // namespace win32::tktest
