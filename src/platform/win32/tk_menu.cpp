// Menu bar of a form, built from the form's menu items. Shortcut keys are
// handled by the key preview of the message loop (so they work inside edit
// boxes); the menu only shows their text after a TAB.
#include "platform/win32/tk_internal.h"

namespace win32::tkw {

namespace {

Str keyName(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return Str(1, char16_t(vk));
    if (vk >= VK_F1 && vk <= VK_F24) {
        int n = vk - VK_F1 + 1;
        Str s = u"F";
        if (n >= 10) s += char16_t(u'0' + n / 10);
        return s + char16_t(u'0' + n % 10);
    }
    switch (vk) {
    case VK_DELETE: return u"Del";
    case VK_INSERT: return u"Ins";
    case VK_BACK: return u"Bksp";
    case VK_RETURN: return u"Enter";
    case VK_ESCAPE: return u"Esc";
    case VK_TAB: return u"Tab";
    case VK_SPACE: return u"Space";
    case VK_HOME: return u"Home";
    case VK_END: return u"End";
    case VK_PRIOR: return u"PgUp";
    case VK_NEXT: return u"PgDn";
    case VK_UP: return u"Up";
    case VK_DOWN: return u"Down";
    case VK_LEFT: return u"Left";
    case VK_RIGHT: return u"Right";
    default: break;
    }
    wchar_t buf[64];
    LONG scan = LONG(MapVirtualKeyW(UINT(vk), MAPVK_VK_TO_VSC)) << 16;
    int n = GetKeyNameTextW(scan, buf, 64);
    return n > 0 ? fromWide(buf, size_t(n)) : Str();
}

Str shortcutText(tk::Shortcut sc) {
    if (!sc.key) return Str();
    Str s;
    if (sc.mods & tk::CtrlMask) s += u"Ctrl+";
    if (sc.mods & tk::ShiftMask) s += u"Shift+";
    if (sc.mods & tk::AltMask) s += u"Alt+";
    return s + keyName(sc.key);
}

void freeItems(std::vector<std::unique_ptr<tk::MenuItem>>& items) {
    for (auto& m : items) {
        delete static_cast<MenuNative*>(m->native);
        m->native = nullptr;
        freeItems(m->children());
    }
}

bool complete(std::vector<std::unique_ptr<tk::MenuItem>>& items) {
    for (auto& m : items)
        if (!m->native || !complete(m->children())) return false;
    return true;
}

void addItems(FormNative& fn, HMENU menu, std::vector<std::unique_ptr<tk::MenuItem>>& items) {
    int pos = 0;
    for (auto& m : items) {
        auto mn = std::make_unique<MenuNative>();
        mn->window = fn.hwnd;
        mn->parentMenu = menu;
        UINT grey = m->enabled() ? 0 : MF_GRAYED;
        if (m->separator()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            mn->position = pos;
        } else if (!m->children().empty()) {
            HMENU pop = CreatePopupMenu();
            addItems(fn, pop, m->children());
            AppendMenuW(menu, MF_POPUP | MF_STRING | grey, reinterpret_cast<UINT_PTR>(pop), wz(m->caption()));
            mn->popup = pop;
            mn->position = pos;
        } else {
            UINT id = fn.nextMenuId++;
            Str text = m->caption();
            Str sc = shortcutText(m->shortcut());
            if (!sc.empty()) text += u"\t" + sc;
            AppendMenuW(menu, MF_STRING | grey, id, wz(text));
            fn.menuIds[id] = m.get();
            mn->id = id;
        }
        m->native = mn.release();
        ++pos;
    }
}

}  // namespace

void freeMenus(tk::Form& f) {
    freeItems(f.menus());
    if (FormNative* fn = formNative(f)) fn->menuIds.clear();
}

bool menusComplete(tk::Form& f) { return complete(f.menus()); }

void buildMenuBar(FormNative& fn) {
    freeMenus(fn.form);
    HMENU old = fn.menuBar;
    fn.menuBar = nullptr;
    if (!fn.form.menus().empty()) {
        fn.menuBar = CreateMenu();
        addItems(fn, fn.menuBar, fn.form.menus());
    }
    SetMenu(fn.hwnd, fn.menuBar);
    if (old) DestroyMenu(old);
    DrawMenuBar(fn.hwnd);
}

void Toolkit::updateMenu(tk::MenuItem& m) {
    auto* mn = static_cast<MenuNative*>(m.native);
    if (!mn) return;
    UINT state = m.enabled() ? MF_ENABLED : MF_GRAYED;
    if (mn->id) EnableMenuItem(mn->parentMenu, mn->id, MF_BYCOMMAND | state);
    else EnableMenuItem(mn->parentMenu, UINT(mn->position), MF_BYPOSITION | state);
    if (!m.parent() && mn->window) DrawMenuBar(mn->window);
}

}  // namespace win32::tkw
