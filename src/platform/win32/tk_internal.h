// Internals of the forms toolkit on real windows: the backend object, the
// native half of each control, handle wrappers and the timer service.
// Only the win32 backend files include this.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/toolkit.h"

namespace win32::tkw {

// ---------------------------------------------------------------------------
// Text at the edge.
inline const wchar_t* wz(const Str& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline Str fromWide(const wchar_t* p, size_t n) { return Str(reinterpret_cast<const char16_t*>(p), n); }
Str windowText(HWND h);

// Shows a failure that reached a window procedure or timer dispatch. Call
// inside a catch block.
void reportCurrentException(const char* where);

// ---------------------------------------------------------------------------
// RAII for GDI objects and kernel handles; non-copyable.
template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H h) : h_(h) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = o.h_;
            o.h_ = nullptr;
        }
        return *this;
    }
    void reset() {
        if (h_) DeleteObject(h_);
        h_ = nullptr;
    }
    H get() const { return h_; }

private:
    H h_ = nullptr;
};

class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE h) : h_(h) {}
    ~KernelHandle() {
        if (h_) CloseHandle(h_);
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_ = nullptr;
};

// Fonts and brushes live as long as the backend; controls share them.
class GdiCache {
public:
    HFONT font(const tk::Font& f, int dpi);
    HBRUSH brush(COLORREF c);

private:
    struct FontKey {
        Str name;
        int height;
        bool bold, italic;
        auto operator<=>(const FontKey&) const = default;
    };
    std::map<FontKey, GdiObject<HFONT>> fonts_;
    std::map<COLORREF, GdiObject<HBRUSH>> brushes_;
};

// ---------------------------------------------------------------------------
class Toolkit;

// Native half of a control: one subclass per kind (tk_label.cpp ...).
struct CtlNative {
    CtlNative(Toolkit& tk, tk::Control& c) : tk(tk), ctl(c) {}
    virtual ~CtlNative();
    CtlNative(const CtlNative&) = delete;
    CtlNative& operator=(const CtlNative&) = delete;

    Toolkit& tk;
    tk::Control& ctl;
    HWND hwnd = nullptr;
    WNDPROC ownProc = nullptr;  // the control's own window procedure, behind ours
    bool quiet = false;  // our own change in progress: no user events

    virtual void create(HWND parent) = 0;
    // Mirrors one property; the base handles the common ones.
    virtual void update(tk::Prop p);
    virtual void command(int code) {}                    // WM_COMMAND notification
    virtual void scroll(int code) {}                     // WM_VSCROLL from this control
    virtual HBRUSH ctlColor(HDC dc);                     // WM_CTLCOLOR*
    virtual RECT pixelRect() const;                      // geometry in client pixels
    virtual void paint(HDC dc) {}                        // drawn by the form (lines)
    virtual bool erase(HDC dc) { return false; }          // WM_ERASEBKGND done here

    // Creates the window with the common styles and attaches it.
    void createWindow(HWND parent, const wchar_t* cls, DWORD style, DWORD exStyle = 0);
    void setTextQuietly(const Str& s);
    void applyFont();
    static CtlNative* from(HWND h);  // null for windows that are not our controls
    // Gives the window back its own procedure; hwnd is null afterwards.
    void detach();
};

// The paths of a drop, in the system's order; the drop is finished.
std::vector<Str> droppedFiles(HDROP drop);

// Frames stay at the bottom of the Z order, behind the controls they hold.
void keepFramesBehind(tk::Form& f);

std::unique_ptr<CtlNative> makeLabel(Toolkit&, tk::Control&);
std::unique_ptr<CtlNative> makeTextBox(Toolkit&, tk::Control&);
std::unique_ptr<CtlNative> makeButton(Toolkit&, tk::Control&);  // buttons, checks, options, frames
std::unique_ptr<CtlNative> makeComboBox(Toolkit&, tk::Control&);
std::unique_ptr<CtlNative> makeListBox(Toolkit&, tk::Control&);
std::unique_ptr<CtlNative> makeScrollBar(Toolkit&, tk::Control&);
std::unique_ptr<CtlNative> makeLine(Toolkit&, tk::Control&);

// ---------------------------------------------------------------------------
class ForeignLoopTimers;

// Native half of a form.
struct FormNative {
    FormNative(Toolkit& tk, tk::Form& f) : tk(tk), form(f) {}
    ~FormNative();
    FormNative(const FormNative&) = delete;
    FormNative& operator=(const FormNative&) = delete;

    Toolkit& tk;
    tk::Form& form;
    HWND hwnd = nullptr;
    HMENU menuBar = nullptr;
    std::map<UINT, tk::MenuItem*> menuIds;  // command id -> item, this window only
    UINT nextMenuId = 1000;
    bool reportGeometry = false;  // off while the window is being created
    bool everShown = false;
    // Modal state.
    bool modalRunning = false;
    bool modalDone = false;
    HWND owner = nullptr;
    std::vector<HWND> disabledByModal;
    std::unique_ptr<ForeignLoopTimers> foreignLoop;  // while moving, sizing or in a menu

    static FormNative* from(HWND h);  // our form window (or null)
    void reportMoveResize();
    void reenableOthers();
};

struct MenuNative {
    HWND window = nullptr;       // the form whose menu bar holds it
    HMENU parentMenu = nullptr;  // menu holding this entry
    UINT id = 0;                 // command id (items) ...
    int position = -1;           // ... or position (popups)
    HMENU popup = nullptr;       // own popup when it has children
};

LRESULT CALLBACK formProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
void buildMenuBar(FormNative& fn);
void freeMenus(tk::Form& f);
bool menusComplete(tk::Form& f);

// ---------------------------------------------------------------------------
// Program timers on waitable timers, deadlines on the performance counter.
class TimerService {
public:
    TimerService();
    ~TimerService();
    void changed(tk::Timer& t);
    // Fires every due timer once (in order of registration).
    void fireDue();
    // Waits until a message arrives or the next timer is due.
    void idle();
    bool empty() const { return entries_.empty(); }

private:
    struct Entry {
        tk::Timer* timer;
        KernelHandle handle;
        int64_t due = 0;     // performance-counter ticks
        int64_t period = 0;
        int64_t armed = -1;  // deadline the waitable timer is set to
        bool busy = false;   // its handler is running
        explicit Entry(tk::Timer* t, HANDLE h) : timer(t), handle(h) {}
    };
    Entry* find(tk::Timer* t);
    void arm(Entry& e, int64_t now);
    int64_t now() const;
    bool nextDue(int64_t& due) const;
    void sleepUntil(int64_t due);  // sleeps on the thread, checking the queue between slices
    int64_t freq_ = 1;
    int64_t lateness_ = 0;  // how late waits on the system's timers wake (average, ticks)
    bool finePeriod_ = false;  // timeBeginPeriod(1) in force
    long (__stdcall* delay_)(BOOLEAN, PLARGE_INTEGER) = nullptr;  // precise thread sleep
    std::vector<std::unique_ptr<Entry>> entries_;
};

// ---------------------------------------------------------------------------
class Toolkit final : public tk::Backend {
public:
    explicit Toolkit(HINSTANCE instance);
    ~Toolkit() override;

    void createForm(tk::Form& f) override;
    void destroyForm(tk::Form& f) override;
    void createControl(tk::Control& c) override;
    void destroyControl(tk::Control& c) override;
    void update(tk::Control& c, tk::Prop p) override;
    void updateMenu(tk::MenuItem& m) override;
    void focus(tk::Control& c) override;
    void showForm(tk::Form& f) override;
    void hideForm(tk::Form& f) override;
    void runModal(tk::Form& f) override;
    void endModal(tk::Form& f) override;
    void repaint(tk::Form& f) override;
    uint64_t nativeHandle(const tk::Form& f) const override;
    void timerChanged(tk::Timer& t) override { timers.changed(t); }
    int messageBox(const Str& text, int style, const Str& title) override;
    void setCapture(tk::Form& f) override;
    void releaseCapture() override;
    void doEvents() override;
    void post(std::function<void()> call) override;
    bool blockSessionEnd(tk::Form& f, const Str& reason) override;
    void unblockSessionEnd(tk::Form& f) override;
    int comboItemHeight(tk::ComboBox& c) override;
    double twipsPerPixelX() override { return tpp(); }
    double twipsPerPixelY() override { return tpp(); }
    void quit() override { PostQuitMessage(0); }
    tk::SnapshotDrag dragOnSnapshot(const os::ScreenPixels& snapshot) override;  // tk_snapshot.cpp

    // Message loop: runs until done() or WM_QUIT (then returns true and the
    // quit code is kept; a nested loop posts the quit again for the outer).
    bool pump(const std::function<bool()>& done);
    int quitCode = 0;

    // Geometry helpers.
    double tpp() const { return 1440.0 / dpi; }
    int px(double twips) const;
    double twips(int pixels) const { return pixels * tpp(); }
    int dpi = 96;

    HINSTANCE instance;
    GdiCache gdi;
    TimerService timers;
    tk::Form* mainForm = nullptr;      // the first form: owner of message boxes
    tk::Form* lastActivated = nullptr;

    // Keyboard handling shared by every loop; true when the message is used up.
    bool preprocess(MSG& m);
    void dispatch(MSG& m);

    // Posted calls wait here; a message to postWindow runs those waiting.
    // The window belongs to the user-interface thread (made with the
    // toolkit), so calls posted from other threads still run there.
    void createPostWindow();
    void runPosted();
    SRWLOCK postedLock = SRWLOCK_INIT;  // the win32-threads runtime has no std::mutex
    std::deque<std::function<void()>> posted;
    HWND postWindow = nullptr;

    // The other program's window that had the front last (tk_front.cpp):
    // the system names it with an activation only sometimes, so the
    // backend follows the front itself.
    void watchFront();
    void unwatchFront();
    // One of the program's forms lost the front to window to (null: the
    // system did not say).
    void frontLeftTo(HWND to);
    // The window a form that is being activated takes the front from; named
    // is the one the system gave (may be null or one of ours).
    HWND frontBefore(HWND named) const;
    HWND foreignFront = nullptr;
    HWINEVENTHOOK frontHook = nullptr;

private:
    void moveFocus(tk::Form& f, bool forward);
};

int comboItemHeightOf(CtlNative* n);
FormNative* formNative(const tk::Form& f);
CtlNative* ctlNative(const tk::Control& c);
tk::Form* formOfWindow(HWND h);  // the form holding h (h itself or an ancestor)

// Keeps the program's timers running inside a modal loop that is not ours
// (message boxes, menus, moving or sizing a window).
class ForeignLoopTimers {
public:
    ForeignLoopTimers();
    ~ForeignLoopTimers();
    ForeignLoopTimers(const ForeignLoopTimers&) = delete;
    ForeignLoopTimers& operator=(const ForeignLoopTimers&) = delete;

private:
    UINT_PTR id_ = 0;
};

}  // namespace win32::tkw
