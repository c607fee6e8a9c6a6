// The forms-and-controls toolkit the application is written against.
//
// The application owns every property: a setter stores the value here, then
// tells the backend (which mirrors it in a native window, or nowhere). Events
// are delivered synchronously like the classic forms run time: setting a text
// raises Change, setting a scroll value raises Change, selecting an item by
// code raises Click. Backends report user actions through the user*()
// entry points, which tests call the same way. Geometry is in twips.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/text.h"

namespace tk {

class Form;
class Backend;

enum class Kind { Form, Label, TextBox, ComboBox, Button, ScrollBar, Line, ListBox, CheckBox, OptionButton, Frame };

struct Font {
    Str name = u"ＭＳ Ｐゴシック";
    double size = 9;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const Font&, const Font&) = default;
};

constexpr uint32_t rgb(int r, int g, int b) { return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16); }

// Property that changed, so a backend updates only that.
enum class Prop {
    Text, Visible, Enabled, Geometry, Font, Colors, Items, ListIndex, PasswordChar,
    ScrollRange, ScrollValue, Value, TabOrder, Caption, WindowState, MousePointer, Menu, Line, AcceptFiles
};

// Message box styles and answers (classic values).
namespace mb {
constexpr int OK = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
constexpr int DefaultButton1 = 0, DefaultButton2 = 256, DefaultButton3 = 512;
constexpr int IdOK = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7;
}  // namespace mb

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };
enum class MousePointer { Default = 0, Hourglass = 11 };

// Why the session is ending (the reason bits Windows passes with the
// session-end messages).
namespace session {
constexpr uint32_t CloseApp = 0x00000001;  // an installer or restart needs the program closed
constexpr uint32_t Critical = 0x40000000;  // forced: the answer is not waited for
constexpr uint32_t Logoff = 0x80000000;
}  // namespace session

// Key codes used by the key events (virtual-key codes).
namespace key {
constexpr int Tab = 9, Return = 13, Escape = 27, Space = 32, F1 = 112, F5 = 116;
}
// Shift state bits of key events.
constexpr int ShiftMask = 1, CtrlMask = 2, AltMask = 4;

// ---------------------------------------------------------------------------
class Control {
public:
    Control(Form* form, Kind kind, std::string name, int index);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }  // "txt_ZahyoCmd"
    int index() const { return index_; }               // 0 when not in an array
    Form* form() const { return form_; }

    // Text of text boxes and combo boxes, caption of labels, buttons, check
    // and option buttons, frames and forms.
    const Str& text() const { return text_; }
    virtual void setText(const Str& s);

    bool visible() const { return visible_; }
    void setVisible(bool v);
    bool enabled() const { return enabled_; }
    void setEnabled(bool v);

    double left() const { return left_; }
    double top() const { return top_; }
    double width() const { return width_; }
    double height() const { return height_; }
    void move(double left, double top, double width, double height);
    void setLeft(double v) { move(v, top_, width_, height_); }
    void setTop(double v) { move(left_, v, width_, height_); }
    void setWidth(double v) { move(left_, top_, v, height_); }
    void setHeight(double v) { move(left_, top_, width_, v); }

    const Font& font() const { return font_; }
    void setFont(const Font& f);
    void setFontSize(double size);
    uint32_t foreColor() const { return fore_; }
    uint32_t backColor() const { return back_; }
    void setForeColor(uint32_t c);
    void setBackColor(uint32_t c);

    bool tabStop() const { return tabStop_; }
    void setTabStop(bool v) { tabStop_ = v; }
    // Focus: can this control take it now (visible, enabled, not a label)?
    bool canFocus() const;
    void setFocus();  // RtError 5 when it cannot take the focus
    bool hasFocus() const;

    // Events. Handlers must not throw (each procedure has its own error exit).
    std::function<void()> onGotFocus;
    std::function<void()> onLostFocus;
    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void()> onChange;
    std::function<void(int& keyAscii)> onKeyPress;
    std::function<void(int& keyCode, int shift)> onKeyDown;

    // Files dropped on the control from another program (Explorer), in the
    // order the system lists them. Only a control that accepts files gets
    // them; the system shows a refusing cursor over the others.
    bool acceptsFiles() const { return acceptsFiles_; }
    void setAcceptsFiles(bool v);
    std::function<void(const std::vector<Str>& paths)> onFilesDropped;

    // Entry points for backends and tests: what the user did.
    void userDropFiles(const std::vector<Str>& paths);
    void userFocus();                 // the control received the focus
    void userClick();
    void userDblClick();
    void userTyped(const Str& newText);  // text boxes, editable combos

    // Opaque backend data.
    void* native = nullptr;

protected:
    void notify(Prop p);
    Form* form_;
    Kind kind_;
    std::string name_;
    int index_;
    Str text_;
    bool visible_ = true;
    bool enabled_ = true;
    bool tabStop_ = true;
    bool acceptsFiles_ = false;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    Font font_;
    uint32_t fore_ = 0, back_ = rgb(192, 192, 192);
    friend class Form;
};

// Fields where Enter moves on like Tab: text boxes, combo boxes, option
// and check buttons (a button takes Enter itself).
inline bool takesEnterAsTab(const Control& c) {
    const Kind k = c.kind();
    return k == Kind::TextBox || k == Kind::ComboBox || k == Kind::OptionButton || k == Kind::CheckBox;
}

class Label : public Control {
public:
    Label(Form* f, std::string n, int i) : Control(f, Kind::Label, std::move(n), i) { tabStop_ = false; }
};

class TextBox : public Control {
public:
    TextBox(Form* f, std::string n, int i) : Control(f, Kind::TextBox, std::move(n), i) { back_ = rgb(255, 255, 255); }
    char16_t passwordChar() const { return password_; }
    void setPasswordChar(char16_t c);  // 0 clears the mask
private:
    char16_t password_ = 0;
};

class Button : public Control {
public:
    Button(Form* f, std::string n, int i) : Control(f, Kind::Button, std::move(n), i) {}
    bool isDefault = false;  // Enter presses it when no other button has the focus
    bool isCancel = false;   // Esc presses it
    void press() { if (enabled_ && visible_) userClick(); }
};

class CheckBox : public Control {
public:
    CheckBox(Form* f, std::string n, int i) : Control(f, Kind::CheckBox, std::move(n), i) {}
    bool checked() const { return checked_; }
    void setChecked(bool v);  // raises Click when it changes
private:
    bool checked_ = false;
};

class OptionButton : public Control {
public:
    OptionButton(Form* f, std::string n, int i, int group) : Control(f, Kind::OptionButton, std::move(n), i), group_(group) {}
    bool value() const { return value_; }
    void setValue(bool v);  // selecting clears the other buttons of the group
    int group() const { return group_; }
private:
    bool value_ = false;
    int group_;
};

class Frame : public Control {
public:
    Frame(Form* f, std::string n, int i) : Control(f, Kind::Frame, std::move(n), i) { tabStop_ = false; }
};

// A list of items with a selection: combo boxes and list boxes.
class ListControl : public Control {
public:
    using Control::Control;
    const std::vector<Str>& items() const { return items_; }
    int listCount() const { return int(items_.size()); }
    void addItem(const Str& s);
    // Appends several items at once: one change for the backend to apply.
    void addItems(const std::vector<Str>& items);
    void clear();
    void setItems(std::vector<Str> items);  // replaces all, selection -1
    int listIndex() const { return listIndex_; }
    // Select by index (-1: none). Raises Click when the index changes; for a
    // combo the text follows the item.
    void setListIndex(int i);
    // Select the item whose text equals s exactly; RtError 380 when a
    // drop-down list has no such item.
    void selectText(const Str& s);
    int findExact(const Str& s) const;
    void userSelect(int i);  // the user picked item i
protected:
    std::vector<Str> items_;
    int listIndex_ = -1;
};

class ComboBox : public ListControl {
public:
    enum Style { DropDownCombo = 0, DropDownList = 2 };
    ComboBox(Form* f, std::string n, int i, Style st) : ListControl(f, Kind::ComboBox, std::move(n), i), style_(st) { back_ = rgb(255, 255, 255); }
    Style style() const { return style_; }
    void setText(const Str& s) override;  // drop-down list: selects the item
    // Size of the dropped list: minimum width in pixels and the number of
    // entries it shows without a scroll bar.
    int dropWidthPx = 0;
    int dropRows = 8;
    void setDropSize(int widthPx, int rows);
private:
    Style style_;
};

class ListBox : public ListControl {
public:
    ListBox(Form* f, std::string n, int i) : ListControl(f, Kind::ListBox, std::move(n), i) { back_ = rgb(255, 255, 255); }
};

class ScrollBar : public Control {
public:
    ScrollBar(Form* f, std::string n, int i) : Control(f, Kind::ScrollBar, std::move(n), i) {}
    // 32-bit positions (the native control is scaled when needed).
    int32_t min() const { return min_; }
    int32_t max() const { return max_; }
    int32_t value() const { return value_; }
    // Changing the range clamps the value (raising Change when it moves).
    void setRange(int32_t mn, int32_t mx);
    void setMin(int32_t v) { setRange(v, max_); }
    void setMax(int32_t v) { setRange(min_, v); }
    void setValue(int32_t v);  // RtError 380 outside [min, max]; Change when it moves
    // How far a click in the trough moves (at least 1).
    int32_t largeChange() const { return largeChange_; }
    void setLargeChange(int32_t v) { largeChange_ = v < 1 ? 1 : v; }
    std::function<void()> onScroll;  // thumb dragged (live)
    void userScroll(int32_t v, bool finished);
    // A click in the trough below (down) or above the thumb: one large
    // change towards max or min, no further than the end.
    void userPage(bool down);
private:
    int32_t min_ = 0, max_ = 32767, value_ = 0, largeChange_ = 1;
};

class Line : public Control {
public:
    Line(Form* f, std::string n, int i) : Control(f, Kind::Line, std::move(n), i) { tabStop_ = false; fore_ = 0; }
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    void setPoints(double ax1, double ay1, double ax2, double ay2);
};

// ---------------------------------------------------------------------------
class Timer {
public:
    Timer(Form* f, std::string name);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    const std::string& name() const { return name_; }
    uint32_t interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    // A timer ticks only while enabled with an interval above 0. Setting
    // either restarts the count from now.
    void setInterval(uint32_t ms);
    void setEnabled(bool on);
    bool running() const { return enabled_ && interval_ > 0; }
    std::function<void()> onTick;
    void fire();  // backend: one tick is due
    void* native = nullptr;
private:
    void sync();
    Form* form_;
    std::string name_;
    uint32_t interval_ = 0;
    bool enabled_ = true;
};

// ---------------------------------------------------------------------------
struct Shortcut {
    int key = 0;    // virtual-key code, 0 = none
    int mods = 0;   // CtrlMask ...
    friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

class MenuItem {
public:
    MenuItem(Form* f, std::string name, Str caption, Shortcut sc = {});
    const std::string& name() const { return name_; }
    const Str& caption() const { return caption_; }
    Shortcut shortcut() const { return shortcut_; }
    bool separator() const { return caption_ == u"-"; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool v);
    // Enabled here and in every parent menu.
    bool effectivelyEnabled() const;
    MenuItem* parent() const { return parent_; }
    std::vector<std::unique_ptr<MenuItem>>& children() { return children_; }
    MenuItem& add(std::string name, Str caption, Shortcut sc = {});
    std::function<void()> onClick;
    void userClick();  // no effect unless effectively enabled
    void* native = nullptr;
private:
    Form* form_;
    std::string name_;
    Str caption_;
    Shortcut shortcut_;
    bool enabled_ = true;
    MenuItem* parent_ = nullptr;
    std::vector<std::unique_ptr<MenuItem>> children_;
};

// ---------------------------------------------------------------------------
class Form : public Control {
public:
    Form(Backend& backend, std::string name);
    ~Form() override;

    Backend& backend() const { return backend_; }

    // Children, created at any time; arrays are built by giving an index.
    template <class T, class... A>
    T& add(std::string name, int index = 0, A&&... args) {
        auto c = std::make_unique<T>(this, std::move(name), index, std::forward<A>(args)...);
        T& ref = *c;
        adopt(std::move(c));
        return ref;
    }
    Timer& addTimer(std::string name);
    MenuItem& addMenu(std::string name, Str caption);  // top-level menu
    const std::vector<Control*>& controls() const { return tabOrder_; }
    std::vector<std::unique_ptr<MenuItem>>& menus() { return menus_; }
    MenuItem* findMenu(const std::string& name);
    // Controls added to a loaded form while a batch is open get their native
    // windows when it ends, with every property given meanwhile: each is made
    // once, where and as it is meant to be, instead of being made and then
    // changed property by property (each change a round of window messages).
    // Batches nest; the outermost end creates. The destructor ends a batch
    // left open by an exception.
    class Batch {
    public:
        explicit Batch(Form& f);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        void end();  // creates what is due; may throw as creating does
    private:
        Form& form_;
        bool open_ = true;
    };
    // Tab order: controls in creation order; moveToEnd puts one last.
    void moveToEndOfTabOrder(Control& c);
    Control* nextInTabOrder(Control* from, bool forward = true) const;

    // Caption is text().
    WindowState windowState() const { return state_; }
    void setWindowState(WindowState s);
    MousePointer mousePointer() const { return pointer_; }
    void setMousePointer(MousePointer p);
    bool keyPreview = false;
    Button* defaultButton() const;
    Button* cancelButton() const;

    // left/top/width/height of a form are its outer rectangle in twips;
    // move() places the native window. Client size in twips:
    double clientWidth() const { return clientW_; }
    double clientHeight() const { return clientH_; }

    Control* activeControl() const { return active_; }

    // Lifetime: load (creates the native window), show, modal show, close.
    void show();                 // modeless; raises Load once, then Resize, Activate
    void showModal();            // returns after the form has been closed
    // Close request as from the title bar: QueryUnload may cancel. Returns
    // true when the form closed.
    bool close();
    void hide();
    bool isShown() const { return shown_; }
    bool isModal() const { return modal_; }
    void repaint();              // repaint at once (synchronous)
    uint64_t nativeHandle() const;  // the window handle for the OS services

    std::function<void()> onLoad;
    std::function<void()> onActivate;
    std::function<void()> onResize;
    std::function<void(bool& cancel, int reason)> onQueryUnload;
    std::function<void()> onUnload;
    std::function<void(int button, int shift, double x, double y)> onMouseUp;
    // The session is ending (log-off, shutdown, an installer). The query
    // must answer at once, without asking anything: true lets the session
    // end. A form without a handler lets it end.
    std::function<bool(uint32_t reasons)> onQueryEndSession;
    // After the query: ending true means the session ends now and the
    // process may be ended at any time after the handler returns.
    std::function<void(bool ending, uint32_t reasons)> onEndSession;
    // The form's window came to the front, from another of the program's
    // windows or from another program (Activate tells only the first time
    // a form comes up). previous is the window that had the front before,
    // as far as the system tells (0: unknown).
    std::function<void(uint64_t previous)> onWindowActivated;
    // The focus moved to another control of the form (after its GotFocus).
    std::function<void()> onActiveControlChange;

    // Entry points for backends and tests.
    void userActivate();
    void userWindowActivated(uint64_t previous);
    // The native window was moved or sized (outer rectangle and client size
    // in twips); raises Resize when the size changed.
    void userMoveResize(double left, double top, double outerW, double outerH, double clientW, double clientH);
    bool userClose();  // same as close()
    void userMouseUp(int button, int shift, double x, double y);
    bool userQueryEndSession(uint32_t reasons);
    void userEndSession(bool ending, uint32_t reasons);
    // A key as the window sees it first (key preview), then the control.
    // Returns true when the key was consumed.
    bool userKeyDown(int keyCode, int shift);
    bool userKeyPress(int keyAscii);
    // Shortcut of a menu item (window-wide); true when one handled it.
    bool userShortcut(int keyCode, int shift);
    void setActiveControl(Control* c);  // backend: focus moved (raises GotFocus)
    void setClientSize(double w, double h) { clientW_ = w; clientH_ = h; }

private:
    void adopt(std::unique_ptr<Control> c);
    Backend& backend_;
    std::vector<std::unique_ptr<Control>> owned_;
    std::vector<Control*> tabOrder_;
    std::vector<std::unique_ptr<Timer>> timers_;
    std::vector<std::unique_ptr<MenuItem>> menus_;
    Control* active_ = nullptr;
    WindowState state_ = WindowState::Normal;
    MousePointer pointer_ = MousePointer::Default;
    double clientW_ = 0, clientH_ = 0;
    bool loaded_ = false;
    int batches_ = 0;
    std::vector<Control*> unmade_;  // added during a batch, in order
    void createUnmade();
    bool shown_ = false;
    bool modal_ = false;
    bool closing_ = false;
    friend class Control;
    friend class Timer;
};

// ---------------------------------------------------------------------------
// Choosing a part of the screen on a frozen picture of it.

// What the backend saw: the left button went down at from and came up at
// to (virtual-desktop pixels), or the choice was cancelled (Esc, a right
// click, or the overlay lost the front).
struct SnapshotDrag {
    bool dragged = false;
    os::Point from, to;
    bool shift = false;  // Shift was down when the button came up
};

constexpr int32_t kMinPickSide = 4;  // a smaller rectangle is taken as a slip

struct ScreenPick {
    bool chosen = false;
    os::Rect rect;       // virtual-desktop pixels, both corners of the drag inside
    bool shift = false;  // Shift was down when the button came up
};

// The rectangle a drag chose: the pixels from the press to the release
// point, both inside, clipped to the snapshot; not chosen when cancelled or
// smaller than kMinPickSide on either side.
ScreenPick pickFromDrag(const SnapshotDrag& drag, const os::Rect& snapshot);

// Shows snapshot full-screen above every window (the screen seems to
// freeze) and lets the user drag a rectangle on it; modal.
ScreenPick pickScreenRect(Backend& backend, const os::ScreenPixels& snapshot);

// ---------------------------------------------------------------------------
// What a backend provides. Everything runs on the one UI thread.
class Backend {
public:
    virtual ~Backend() = default;
    virtual void createForm(Form& f) = 0;     // native window for the form (hidden)
    virtual void destroyForm(Form& f) = 0;
    virtual void createControl(Control& c) = 0;
    virtual void destroyControl(Control& c) = 0;
    virtual void update(Control& c, Prop p) = 0;
    virtual void updateMenu(MenuItem& m) = 0;
    virtual void focus(Control& c) = 0;       // move the native focus
    virtual void showForm(Form& f) = 0;       // make visible and activate
    virtual void hideForm(Form& f) = 0;
    // Nested loop until the form is closed (the form calls endModal).
    virtual void runModal(Form& f) = 0;
    virtual void endModal(Form& f) = 0;
    virtual void repaint(Form& f) = 0;
    virtual uint64_t nativeHandle(const Form& f) const = 0;
    virtual void timerChanged(Timer& t) = 0;  // started, stopped or re-armed
    virtual int messageBox(const Str& text, int style, const Str& title) = 0;
    virtual void setCapture(Form& f) = 0;
    virtual void releaseCapture() = 0;
    virtual void doEvents() = 0;              // process pending messages
    // Runs call from the message loop once the current message has been
    // handled (and before later ones), like a posted message. Safe to call
    // from any thread (the input hooks' thread hands events over this way);
    // the call itself always runs on the user-interface thread.
    virtual void post(std::function<void()> call) = 0;
    // Asks the system to hold a session end for the form, showing reason to
    // the user; false when the system refused or does not support it.
    virtual bool blockSessionEnd(Form& f, const Str& reason) = 0;
    virtual void unblockSessionEnd(Form& f) = 0;
    // Height of one entry of a combo's list in pixels, and twips per pixel.
    virtual int comboItemHeight(ComboBox& c) = 0;
    virtual double twipsPerPixelX() = 0;
    virtual double twipsPerPixelY() = 0;
    virtual void quit() = 0;                  // leave the main loop
    // The snapshot over the whole virtual desktop, above every window,
    // until the user has dragged with the left button or pressed Esc.
    // Modal: timers tick meanwhile; the program's forms get no input.
    virtual SnapshotDrag dragOnSnapshot(const os::ScreenPixels& snapshot) = 0;
};

}  // namespace tk
