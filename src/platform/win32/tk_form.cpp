// Forms: the top-level window class, its window procedure and the form
// operations of the backend (create, show, hide, modal, geometry).
#include <windowsx.h>

#include "platform/win32/tk_internal.h"

namespace win32::tkw {

namespace {

const wchar_t kFormClass[] = L"TovirakForm";
ATOM g_formAtom = 0;

int mouseShift(WPARAM wp) {
    int s = 0;
    if (wp & MK_SHIFT) s |= tk::ShiftMask;
    if (wp & MK_CONTROL) s |= tk::CtrlMask;
    if (GetKeyState(VK_MENU) < 0) s |= tk::AltMask;
    return s;
}

// The control a WM_CTLCOLOR* or notification refers to; a combo's edit
// field speaks for its combo.
CtlNative* controlOf(HWND h) {
    if (CtlNative* n = CtlNative::from(h)) return n;
    return CtlNative::from(GetParent(h));
}

void paintLines(tk::Form& f, HDC dc) {
    for (tk::Control* c : f.controls())
        if (c->kind() == tk::Kind::Line)
            if (CtlNative* n = ctlNative(*c)) n->paint(dc);
}

// The form moved to a monitor of another DPI: every control is placed and
// lettered again from its twips (the toolkit keeps one DPI for all forms).
void rescaleControls(FormNative& fn) {
    for (tk::Control* c : fn.form.controls()) {
        CtlNative* n = ctlNative(*c);
        if (!n) continue;
        n->update(tk::Prop::Font);
        n->update(tk::Prop::Geometry);
    }
    InvalidateRect(fn.hwnd, nullptr, TRUE);
}

LRESULT handle(FormNative& fn, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    tk::Form& f = fn.form;
    Toolkit& tk = fn.tk;
    switch (msg) {
    case WM_CLOSE:
        // The core decides (QueryUnload may refuse) and hides the window.
        f.userClose();
        return 0;
    case WM_QUERYENDSESSION:
        // lParam carries the ENDSESSION_* reason bits.
        return f.userQueryEndSession(uint32_t(lp)) ? TRUE : FALSE;
    case WM_ENDSESSION:
        f.userEndSession(wp != FALSE, uint32_t(lp));
        return 0;
    case WM_ACTIVATE:
        // lParam: the window taking the front from us, or the one we take
        // it from.
        if (LOWORD(wp) == WA_INACTIVE) tk.frontLeftTo(reinterpret_cast<HWND>(lp));
        else if (f.isShown()) f.userWindowActivated(reinterpret_cast<uint64_t>(tk.frontBefore(reinterpret_cast<HWND>(lp))));
        if (LOWORD(wp) != WA_INACTIVE && !HIWORD(wp)) {
            // Activate belongs to switching between the program's forms,
            // not to coming back from another program.
            // A form still loading is not activated yet (a z-order change
            // made by its Load can activate the hidden window).
            if (tk.lastActivated != &f && f.isShown()) {
                tk.lastActivated = &f;
                f.userActivate();
            }
            // Give the focus back to the form's own control, as dialogs do
            // (Activate may have chosen it).
            tk::Control* c = f.activeControl();
            if (!c || !c->canFocus()) c = f.nextInTabOrder(nullptr);
            CtlNative* n = c ? ctlNative(*c) : nullptr;
            if (GetActiveWindow() == h) SetFocus(n && n->hwnd ? n->hwnd : h);
        }
        return 0;
    case WM_SIZE:
        if (wp == SIZE_MINIMIZED) f.setWindowState(tk::WindowState::Minimized);
        else if (wp == SIZE_MAXIMIZED) f.setWindowState(tk::WindowState::Maximized);
        else if (wp == SIZE_RESTORED) f.setWindowState(tk::WindowState::Normal);
        fn.reportMoveResize();
        return 0;
    case WM_MOVE:
        fn.reportMoveResize();
        return 0;
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(h, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, tk.gdi.brush(f.backColor()));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        paintLines(f, dc);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        if (CtlNative* n = controlOf(reinterpret_cast<HWND>(lp)))
            return reinterpret_cast<LRESULT>(n->ctlColor(reinterpret_cast<HDC>(wp)));
        break;
    case WM_COMMAND:
        if (lp) {
            if (CtlNative* n = CtlNative::from(reinterpret_cast<HWND>(lp))) n->command(HIWORD(wp));
            return 0;
        }
        if (HIWORD(wp) == 0) {
            auto it = fn.menuIds.find(LOWORD(wp));
            if (it != fn.menuIds.end()) it->second->userClick();
            return 0;
        }
        break;
    case WM_VSCROLL:
        if (lp) {
            if (CtlNative* n = CtlNative::from(reinterpret_cast<HWND>(lp))) n->scroll(LOWORD(wp));
            return 0;
        }
        break;
    case WM_DROPFILES:
        f.userDropFiles(droppedFiles(reinterpret_cast<HDROP>(wp)));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        int button = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : 4;
        f.userMouseUp(button, mouseShift(wp), tk.twips(GET_X_LPARAM(lp)), tk.twips(GET_Y_LPARAM(lp)));
        return 0;
    }
    case WM_SETCURSOR:
        if (f.mousePointer() == tk::MousePointer::Hourglass) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_DPICHANGED: {
        int d = LOWORD(wp);
        if (d > 0 && d != tk.dpi) {
            tk.dpi = d;
            const RECT* r = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(h, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            rescaleControls(fn);
            fn.reportMoveResize();
        }
        return 0;
    }
    case WM_ENTERSIZEMOVE:
    case WM_ENTERMENULOOP:
        if (!fn.foreignLoop) fn.foreignLoop = std::make_unique<ForeignLoopTimers>();
        break;
    case WM_EXITSIZEMOVE:
    case WM_EXITMENULOOP:
        fn.foreignLoop.reset();
        break;
    default:
        break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

LRESULT CALLBACK formProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* f = static_cast<tk::Form*>(cs->lpCreateParams);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(f));
        if (FormNative* fn = f ? formNative(*f) : nullptr) fn->hwnd = h;
        return DefWindowProcW(h, msg, wp, lp);
    }
    auto* f = reinterpret_cast<tk::Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    FormNative* fn = f ? formNative(*f) : nullptr;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        if (fn) fn->hwnd = nullptr;
        return DefWindowProcW(h, msg, wp, lp);
    }
    if (!fn) return DefWindowProcW(h, msg, wp, lp);
    try {
        return handle(*fn, h, msg, wp, lp);
    } catch (...) {
        reportCurrentException("window");
        return 0;
    }
}

void registerFormClass(HINSTANCE instance) {
    if (g_formAtom) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = formProc;
    wc.hInstance = instance;
    // The program's icon (group 1 of its resources), with its own small
    // image for the title bar and the taskbar rather than the large one
    // shrunk.
    HINSTANCE icons = instance ? instance : GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(icons, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(LoadImageW(icons, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // WM_ERASEBKGND paints the form's colour
    wc.lpszClassName = kFormClass;
    g_formAtom = RegisterClassExW(&wc);
}

FormNative* FormNative::from(HWND h) {
    if (!h || !g_formAtom || GetClassWord(h, GCW_ATOM) != g_formAtom) return nullptr;
    auto* f = reinterpret_cast<tk::Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    return f ? formNative(*f) : nullptr;
}

tk::Form* formOfWindow(HWND h) {
    if (!h) return nullptr;
    FormNative* fn = FormNative::from(GetAncestor(h, GA_ROOT));
    return fn ? &fn->form : nullptr;
}

FormNative::~FormNative() = default;

void FormNative::reportMoveResize() {
    if (!reportGeometry || !hwnd) return;
    RECT wr, cr{0, 0, 0, 0};
    if (IsIconic(hwnd)) {
        // Minimised: the restored rectangle, no client area (as the classic
        // run time reports it).
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        GetWindowPlacement(hwnd, &wp);
        wr = wp.rcNormalPosition;
    } else {
        GetWindowRect(hwnd, &wr);
        GetClientRect(hwnd, &cr);
    }
    form.userMoveResize(tk.twips(wr.left), tk.twips(wr.top), tk.twips(wr.right - wr.left),
                        tk.twips(wr.bottom - wr.top), tk.twips(cr.right), tk.twips(cr.bottom));
}

void FormNative::reenableOthers() {
    for (HWND w : disabledByModal)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    disabledByModal.clear();
}

FormNative* formNative(const tk::Form& f) { return static_cast<FormNative*>(f.native); }
CtlNative* ctlNative(const tk::Control& c) {
    return c.kind() == tk::Kind::Form ? nullptr : static_cast<CtlNative*>(c.native);
}

// ---------------------------------------------------------------------------
void Toolkit::createForm(tk::Form& f) {
    if (f.native) return;
    auto fn = std::make_unique<FormNative>(*this, f);
    f.native = fn.get();
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, w = CW_USEDEFAULT, h = CW_USEDEFAULT;
    if (f.width() > 0 && f.height() > 0) {
        x = px(f.left());
        y = px(f.top());
        w = px(f.width());
        h = px(f.height());
    }
    HWND hwnd = CreateWindowExW(f.acceptsFiles() ? WS_EX_ACCEPTFILES : 0, kFormClass, wz(f.text()), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, w, h,
                                nullptr, nullptr, instance, &f);
    if (!hwnd) {
        f.native = nullptr;
        err::raise(err::OutOfMemory, u"ウィンドウを作成できません");
    }
    fn->hwnd = hwnd;
    if (!mainForm) mainForm = &f;
    buildMenuBar(*fn);
    // Load sees the real client size.
    RECT rc;
    GetClientRect(hwnd, &rc);
    f.setClientSize(twips(rc.right), twips(rc.bottom));
    fn->reportGeometry = true;
    fn.release();
}

void Toolkit::destroyForm(tk::Form& f) {
    FormNative* fn = formNative(f);
    if (!fn) return;
    for (tk::Control* c : f.controls()) destroyControl(*c);
    freeMenus(f);
    fn->reportGeometry = false;
    if (fn->modalRunning) {
        fn->reenableOthers();
        fn->modalDone = true;
    }
    if (fn->hwnd) DestroyWindow(fn->hwnd);
    if (mainForm == &f) mainForm = nullptr;
    if (lastActivated == &f) lastActivated = nullptr;
    f.native = nullptr;
    delete fn;
}

void Toolkit::createControl(tk::Control& c) {
    FormNative* fn = formNative(*c.form());
    if (!fn || c.native) return;
    std::unique_ptr<CtlNative> n;
    switch (c.kind()) {
    case tk::Kind::Label: n = makeLabel(*this, c); break;
    case tk::Kind::TextBox: n = makeTextBox(*this, c); break;
    case tk::Kind::ComboBox: n = makeComboBox(*this, c); break;
    case tk::Kind::ListBox: n = makeListBox(*this, c); break;
    case tk::Kind::ScrollBar: n = makeScrollBar(*this, c); break;
    case tk::Kind::Line: n = makeLine(*this, c); break;
    case tk::Kind::Button:
    case tk::Kind::CheckBox:
    case tk::Kind::OptionButton:
    case tk::Kind::Frame: n = makeButton(*this, c); break;
    case tk::Kind::Form: return;
    }
    c.native = n.get();
    try {
        n->create(fn->hwnd);
    } catch (...) {
        c.native = nullptr;
        throw;
    }
    n.release();
    // New windows go to the bottom of the Z order, below any frame.
    if (c.kind() != tk::Kind::Line) keepFramesBehind(*c.form());
}

void Toolkit::destroyControl(tk::Control& c) {
    if (c.kind() == tk::Kind::Form) return;
    CtlNative* n = ctlNative(c);
    c.native = nullptr;
    delete n;
}

static bool windowStateIs(HWND h, tk::WindowState s) {
    switch (s) {
    case tk::WindowState::Minimized: return IsIconic(h);
    case tk::WindowState::Maximized: return IsZoomed(h);
    default: return !IsIconic(h) && !IsZoomed(h);
    }
}

static int showCommand(tk::WindowState s) {
    switch (s) {
    case tk::WindowState::Minimized: return SW_SHOWMINIMIZED;
    case tk::WindowState::Maximized: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
    }
}

static void updateForm(Toolkit& tk, FormNative& fn, tk::Prop p) {
    tk::Form& f = fn.form;
    HWND h = fn.hwnd;
    if (!h) return;
    switch (p) {
    case tk::Prop::Text:
    case tk::Prop::Caption:
        SetWindowTextW(h, wz(f.text()));
        break;
    case tk::Prop::AcceptFiles:
        DragAcceptFiles(h, f.acceptsFiles());
        break;
    case tk::Prop::Geometry:
        SetWindowPos(h, nullptr, tk.px(f.left()), tk.px(f.top()), tk.px(f.width()), tk.px(f.height()),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case tk::Prop::WindowState:
        if (IsWindowVisible(h) && !windowStateIs(h, f.windowState()))
            ShowWindow(h, f.windowState() == tk::WindowState::Normal ? SW_RESTORE : showCommand(f.windowState()));
        break;
    case tk::Prop::MousePointer: {
        // The program sets the hourglass before long work without messages:
        // change the cursor now when it is over this form.
        POINT pt;
        GetCursorPos(&pt);
        HWND under = WindowFromPoint(pt);
        if (under && GetAncestor(under, GA_ROOT) == h) {
            if (f.mousePointer() == tk::MousePointer::Hourglass) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            else SendMessageW(under, WM_SETCURSOR, WPARAM(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        }
        break;
    }
    case tk::Prop::Visible:
        ShowWindow(h, f.visible() ? SW_SHOW : SW_HIDE);
        break;
    case tk::Prop::Enabled:
        EnableWindow(h, f.enabled());
        break;
    case tk::Prop::Colors:
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        break;
    case tk::Prop::Menu:
        buildMenuBar(fn);
        break;
    default:
        break;
    }
}

void Toolkit::update(tk::Control& c, tk::Prop p) {
    if (c.kind() == tk::Kind::Form) {
        if (FormNative* fn = formNative(static_cast<tk::Form&>(c))) updateForm(*this, *fn, p);
        return;
    }
    if (CtlNative* n = ctlNative(c)) n->update(p);
}

void Toolkit::focus(tk::Control& c) {
    if (CtlNative* n = ctlNative(c); n && n->hwnd) SetFocus(n->hwnd);
}

void Toolkit::showForm(tk::Form& f) {
    FormNative* fn = formNative(f);
    if (!fn || !fn->hwnd) return;
    HWND h = fn->hwnd;
    if (!menusComplete(f)) buildMenuBar(*fn);
    // Default buttons may have been chosen after their windows were made.
    for (tk::Control* c : f.controls()) {
        if (c->kind() != tk::Kind::Button) continue;
        CtlNative* n = ctlNative(*c);
        if (!n || !n->hwnd) continue;
        bool def = static_cast<tk::Button*>(c)->isDefault;
        bool isDef = (GetWindowLongPtrW(n->hwnd, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
        if (def != isDef) SendMessageW(n->hwnd, BM_SETSTYLE, def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
    if (f.isModal()) {
        // Owned by the window it interrupts, so it stays above it.
        HWND owner = GetActiveWindow();
        if (!FormNative::from(owner) || owner == h) owner = mainForm && formNative(*mainForm) ? formNative(*mainForm)->hwnd : nullptr;
        if (owner == h) owner = nullptr;
        fn->owner = owner;
        SetWindowLongPtrW(h, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    }
    if (!fn->everShown) {
        // The first showing always raises Resize (after Load).
        fn->everShown = true;
        f.setClientSize(0, 0);
        fn->reportMoveResize();
    }
    if (lastActivated == &f) lastActivated = nullptr;
    ShowWindow(h, showCommand(f.windowState()));
    // Ask for the front only when showing did not activate the form: once
    // its Activate has run, that handler may have put another window in
    // front on purpose (a run started at the first activation).
    if (lastActivated != &f) SetForegroundWindow(h);
    // Showing a form always ends in its Activate, also when the system did
    // not activate it now (it was already active while hidden, or another
    // program holds the front).
    if (lastActivated != &f) {
        lastActivated = &f;
        f.userActivate();
    }
    UpdateWindow(h);
}

void Toolkit::hideForm(tk::Form& f) {
    FormNative* fn = formNative(f);
    if (!fn || !fn->hwnd) return;
    if (fn->modalRunning) {
        // Give the rest of the program back before hiding, so that the
        // activation goes to the owner and not to another program.
        fn->reenableOthers();
        fn->modalDone = true;
    }
    if (GetCapture() == fn->hwnd) ReleaseCapture();
    ShowWindow(fn->hwnd, SW_HIDE);
    if (lastActivated == &f) lastActivated = nullptr;
}

namespace {
struct DisableArgs {
    HWND keep;
    std::vector<HWND>* disabled;
};
BOOL CALLBACK disableOne(HWND w, LPARAM lp) {
    auto* a = reinterpret_cast<DisableArgs*>(lp);
    if (w != a->keep && FormNative::from(w) && IsWindowVisible(w) && IsWindowEnabled(w)) {
        EnableWindow(w, FALSE);
        a->disabled->push_back(w);
    }
    return TRUE;
}
}  // namespace

void Toolkit::runModal(tk::Form& f) {
    FormNative* fn = formNative(f);
    if (!fn || !fn->hwnd || fn->modalRunning) return;
    fn->modalRunning = true;
    fn->modalDone = false;
    DisableArgs args{fn->hwnd, &fn->disabledByModal};
    EnumThreadWindows(GetCurrentThreadId(), disableOne, reinterpret_cast<LPARAM>(&args));
    bool quitSeen = !pump([&] { return fn->modalDone; });
    // The form may have been destroyed by its own handlers: look it up again.
    fn = formNative(f);
    if (fn) {
        fn->modalRunning = false;
        fn->reenableOthers();
        if (fn->owner && IsWindow(fn->owner) && IsWindowVisible(fn->owner)) SetActiveWindow(fn->owner);
    }
    if (quitSeen) PostQuitMessage(quitCode);  // for the loop outside
}

void Toolkit::endModal(tk::Form& f) {
    FormNative* fn = formNative(f);
    if (!fn) return;
    fn->reenableOthers();
    fn->modalDone = true;
}

void Toolkit::repaint(tk::Form& f) {
    // Paint now whatever is waiting to be painted, children included; what
    // has not changed is not drawn again (the program refreshes on every
    // macro step).
    if (FormNative* fn = formNative(f); fn && fn->hwnd)
        RedrawWindow(fn->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

uint64_t Toolkit::nativeHandle(const tk::Form& f) const {
    FormNative* fn = formNative(f);
    return fn ? uint64_t(reinterpret_cast<uintptr_t>(fn->hwnd)) : 0;
}

void Toolkit::setCapture(tk::Form& f) {
    if (FormNative* fn = formNative(f); fn && fn->hwnd) SetCapture(fn->hwnd);
}

void Toolkit::releaseCapture() { ReleaseCapture(); }

}  // namespace win32::tkw
