// The message loops (main, modal, DoEvents) and the keyboard handling they
// share: menu shortcuts first (window-wide, even inside edit boxes), then
// KeyDown / KeyPress of the form and its active control, then Enter, Esc
// and Tab the way dialogs treat them, in the toolkit's own tab order.

// os.h (through win32_platform.h) must be read before <windows.h> defines
// macros with the names of its constants.
#include "platform/win32/win32_platform.h"
#include "platform/win32/tk_internal.h"

namespace win32::tkw {

namespace {

int shiftState() {
    int s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= tk::ShiftMask;
    if (GetKeyState(VK_CONTROL) < 0) s |= tk::CtrlMask;
    if (GetKeyState(VK_MENU) < 0) s |= tk::AltMask;
    return s;
}

bool isModifier(int vk) {
    switch (vk) {
    case VK_SHIFT: case VK_CONTROL: case VK_MENU:
    case VK_LSHIFT: case VK_RSHIFT: case VK_LCONTROL: case VK_RCONTROL: case VK_LMENU: case VK_RMENU:
    case VK_LWIN: case VK_RWIN:
        return true;
    default:
        return false;
    }
}

// Our control holding the keyboard focus (a combo's edit field counts as
// the combo).
CtlNative* focusedControl() {
    HWND f = GetFocus();
    if (CtlNative* n = CtlNative::from(f)) return n;
    return f ? CtlNative::from(GetParent(f)) : nullptr;
}

bool comboDropped(CtlNative* n) {
    return n && n->ctl.kind() == tk::Kind::ComboBox && n->hwnd && SendMessageW(n->hwnd, CB_GETDROPPEDSTATE, 0, 0);
}

// The access key of a caption ("&O" in "&OK"), upper-cased; 0 if none.
char16_t accessKey(const Str& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        char16_t c = caption[i + 1];
        return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
    }
    return 0;
}

// Alt + access key of a control: a button clicks, a check box toggles, an
// option button is chosen, a label or frame gives the focus to the next
// control. True when a control took it (the menu bar gets the rest).
bool accessKeyPressed(tk::Form& f, char16_t key) {
    if (key >= u'a' && key <= u'z') key = char16_t(key - 32);
    const auto& cs = f.controls();
    for (size_t i = 0; i < cs.size(); ++i) {
        tk::Control* c = cs[i];
        if (!c->visible() || !c->enabled() || accessKey(c->text()) != key) continue;
        switch (c->kind()) {
        case tk::Kind::Button:
            if (c->canFocus()) c->setFocus();
            static_cast<tk::Button*>(c)->press();
            return true;
        case tk::Kind::CheckBox: {
            auto* cb = static_cast<tk::CheckBox*>(c);
            if (c->canFocus()) c->setFocus();
            cb->setChecked(!cb->checked());
            return true;
        }
        case tk::Kind::OptionButton:
            if (c->canFocus()) c->setFocus();
            static_cast<tk::OptionButton*>(c)->setValue(true);
            return true;
        case tk::Kind::Label:
        case tk::Kind::Frame:
            for (size_t j = i + 1; j < cs.size(); ++j) {
                if (cs[j]->tabStop() && cs[j]->canFocus()) {
                    cs[j]->setFocus();
                    return true;
                }
            }
            break;
        default:
            break;
        }
    }
    return false;
}

}  // namespace

void Toolkit::moveFocus(tk::Form& f, bool forward) {
    tk::Control* cur = f.activeControl();
    if (CtlNative* n = focusedControl(); n && n->ctl.form() == &f) cur = &n->ctl;
    if (tk::Control* next = f.nextInTabOrder(cur, forward)) next->setFocus();
}

bool Toolkit::preprocess(MSG& m) {
    if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN && m.message != WM_CHAR && m.message != WM_SYSCHAR)
        return false;
    tk::Form* f = formOfWindow(m.hwnd);
    if (!f) return false;
    try {
        if (m.message == WM_SYSCHAR) return accessKeyPressed(*f, char16_t(m.wParam));
        if (m.message == WM_CHAR) {
            int ch = int(m.wParam);
            if (f->userKeyPress(ch)) return true;
            if (ch == '\r' || ch == 27) {
                CtlNative* n = focusedControl();
                if (comboDropped(n)) return false;  // the open list takes Enter and Esc
                if (ch == '\r') {
                    if (n && n->ctl.kind() == tk::Kind::Button) {
                        static_cast<tk::Button&>(n->ctl).press();
                        return true;
                    }
                    if (tk::Button* b = f->defaultButton(); b && b->enabled() && b->visible()) {
                        b->press();
                        return true;
                    }
                } else if (tk::Button* b = f->cancelButton(); b && b->enabled() && b->visible()) {
                    b->press();
                    return true;
                }
            }
            return false;
        }
        int vk = int(m.wParam);
        int shift = shiftState();
        if (!isModifier(vk) && f->userShortcut(vk, shift)) return true;
        if (f->userKeyDown(vk, shift)) return true;
        if (vk == VK_TAB && !(shift & (tk::CtrlMask | tk::AltMask))) {
            moveFocus(*f, !(shift & tk::ShiftMask));
            return true;
        }
    } catch (...) {
        reportCurrentException("keyboard");
        return true;
    }
    return false;
}

void Toolkit::dispatch(MSG& m) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
}

bool Toolkit::pump(const std::function<bool()>& done) {
    for (;;) {
        if (done()) return true;
        timers.fireDue();
        if (done()) return true;  // a tick may have ended this loop
        MSG m;
        if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                quitCode = int(m.wParam);
                return false;
            }
            if (!preprocess(m)) dispatch(m);
            continue;
        }
        timers.idle();
    }
}

void Toolkit::doEvents() {
    timers.fireDue();
    // What is waiting now, not what the handlers keep posting.
    for (int i = 0; i < 10000; ++i) {
        MSG m;
        if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) break;
        if (m.message == WM_QUIT) {
            quitCode = int(m.wParam);
            PostQuitMessage(quitCode);  // for the loop outside
            break;
        }
        if (!preprocess(m)) dispatch(m);
        timers.fireDue();
    }
}

}  // namespace win32::tkw

namespace win32 {

int runMessageLoop(tk::Backend& toolkit) {
    auto* t = dynamic_cast<tkw::Toolkit*>(&toolkit);
    if (!t) return -1;
    t->pump([] { return false; });
    return t->quitCode;
}

}  // namespace win32
