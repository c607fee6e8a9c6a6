// Platform-neutral half of the toolkit: properties, synchronous events,
// focus and tab order. Backends only mirror what is decided here.
#include "platform/toolkit.h"

#include <algorithm>

namespace tk {

// ---------------------------------------------------------------------------
Control::Control(Form* form, Kind kind, std::string name, int index)
    : form_(form), kind_(kind), name_(std::move(name)), index_(index) {
    if (kind == Kind::Label || kind == Kind::Button || kind == Kind::CheckBox || kind == Kind::OptionButton ||
        kind == Kind::Frame) {
        font_.name = u"ＭＳ Ｐゴシック";
    }
}

Control::~Control() = default;

void Control::notify(Prop p) {
    if (native && form_) form_->backend().update(*this, p);
}

void Control::setText(const Str& s) {
    if (s == text_) return;
    text_ = s;
    notify(Prop::Text);
    if (kind_ == Kind::TextBox || kind_ == Kind::ComboBox) {
        if (onChange) onChange();
    }
}

void Control::setVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    if (!v && form_ && form_->active_ == this) form_->active_ = nullptr;
    notify(Prop::Visible);
}

void Control::setEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    notify(Prop::Enabled);
}

void Control::move(double l, double t, double w, double h) {
    if (l == left_ && t == top_ && w == width_ && h == height_) return;
    left_ = l;
    top_ = t;
    width_ = w;
    height_ = h;
    notify(Prop::Geometry);
}

void Control::setFont(const Font& f) {
    if (f == font_) return;
    font_ = f;
    notify(Prop::Font);
}

void Control::setFontSize(double size) {
    Font f = font_;
    f.size = size;
    setFont(f);
}

void Control::setForeColor(uint32_t c) {
    if (c == fore_) return;
    fore_ = c;
    notify(Prop::Colors);
}

void Control::setBackColor(uint32_t c) {
    if (c == back_) return;
    back_ = c;
    notify(Prop::Colors);
}

bool Control::canFocus() const {
    if (kind_ == Kind::Label || kind_ == Kind::Line || kind_ == Kind::Frame || kind_ == Kind::Form) return false;
    return visible_ && enabled_ && form_ && form_->visible();
}

void Control::setFocus() {
    if (!canFocus()) err::raise(err::InvalidCall);
    form_->backend().focus(*this);
    form_->setActiveControl(this);
}

bool Control::hasFocus() const { return form_ && form_->active_ == this; }

void Control::userFocus() {
    if (form_) form_->setActiveControl(this);
}

void Control::setAcceptsFiles(bool v) {
    if (v == acceptsFiles_) return;
    acceptsFiles_ = v;
    notify(Prop::AcceptFiles);
}

void Control::userDropFiles(const std::vector<Str>& paths) {
    if (acceptsFiles_ && !paths.empty() && onFilesDropped) onFilesDropped(paths);
}

void Control::userClick() {
    if (onClick) onClick();
}

void Control::userDblClick() {
    if (onDblClick) onDblClick();
}

void Control::userTyped(const Str& newText) {
    if (newText == text_) return;
    text_ = newText;  // the native control already shows it
    if (onChange) onChange();
}

// ---------------------------------------------------------------------------
void TextBox::setPasswordChar(char16_t c) {
    if (c == password_) return;
    password_ = c;
    notify(Prop::PasswordChar);
}

void CheckBox::setChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    notify(Prop::Value);
    if (onClick) onClick();
}

void OptionButton::setValue(bool v) {
    if (v == value_) return;
    value_ = v;
    notify(Prop::Value);
    if (v && form_) {
        for (Control* c : form_->controls()) {
            if (c != this && c->kind() == Kind::OptionButton) {
                auto* o = static_cast<OptionButton*>(c);
                if (o->group_ == group_ && o->value_) {
                    o->value_ = false;
                    o->notify(Prop::Value);
                }
            }
        }
        if (onClick) onClick();
    }
}

// ---------------------------------------------------------------------------
void ListControl::addItem(const Str& s) {
    items_.push_back(s);
    notify(Prop::Items);
}

void ListControl::addItems(const std::vector<Str>& items) {
    if (items.empty()) return;
    items_.insert(items_.end(), items.begin(), items.end());
    notify(Prop::Items);
}

void ListControl::clear() {
    items_.clear();
    listIndex_ = -1;
    notify(Prop::Items);
}

void ListControl::setItems(std::vector<Str> items) {
    items_ = std::move(items);
    listIndex_ = -1;
    notify(Prop::Items);
}

int ListControl::findExact(const Str& s) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == s) return int(i);
    return -1;
}

void ListControl::setListIndex(int i) {
    if (i < -1 || i >= int(items_.size())) err::raise(err::InvalidProperty);
    if (i == listIndex_) return;
    listIndex_ = i;
    notify(Prop::ListIndex);
    if (kind_ == Kind::ComboBox) {
        Str t = i >= 0 ? items_[size_t(i)] : Str();
        if (t != text_) {
            text_ = t;
            notify(Prop::Text);
            if (static_cast<ComboBox*>(this)->style() == ComboBox::DropDownCombo && onChange) onChange();
        }
    }
    if (onClick) onClick();
}

void ListControl::selectText(const Str& s) {
    int i = findExact(s);
    if (i < 0) {
        if (kind_ == Kind::ComboBox && static_cast<ComboBox*>(this)->style() == ComboBox::DropDownCombo) {
            Control::setText(s);
            return;
        }
        err::raise(err::InvalidProperty);
    }
    setListIndex(i);
}

void ListControl::userSelect(int i) {
    if (i < -1 || i >= int(items_.size())) return;
    if (i == listIndex_) {
        if (onClick) onClick();  // picking the same entry again still clicks
        return;
    }
    setListIndex(i);
}

void ComboBox::setText(const Str& s) {
    if (style_ == DropDownList) {
        selectText(s);
        return;
    }
    int i = findExact(s);
    if (i != listIndex_) {
        listIndex_ = i;
        notify(Prop::ListIndex);
    }
    Control::setText(s);
}

void ComboBox::setDropSize(int widthPx, int rows) {
    dropWidthPx = widthPx;
    dropRows = rows;
    notify(Prop::Items);
}

// ---------------------------------------------------------------------------
void ScrollBar::setRange(int32_t mn, int32_t mx) {
    if (mn == min_ && mx == max_) return;
    min_ = mn;
    max_ = mx;
    notify(Prop::ScrollRange);
    int32_t lo = std::min(mn, mx), hi = std::max(mn, mx);
    if (value_ < lo) setValue(lo);
    else if (value_ > hi) setValue(hi);
}

void ScrollBar::setValue(int32_t v) {
    int32_t lo = std::min(min_, max_), hi = std::max(min_, max_);
    if (v < lo || v > hi) err::raise(err::InvalidProperty);
    if (v == value_) return;
    value_ = v;
    notify(Prop::ScrollValue);
    if (onChange) onChange();
}

void ScrollBar::userScroll(int32_t v, bool finished) {
    int32_t lo = std::min(min_, max_), hi = std::max(min_, max_);
    v = std::clamp(v, lo, hi);
    if (!finished) {
        if (v == value_) return;
        value_ = v;
        if (onScroll) onScroll();
        return;
    }
    if (v == value_) {
        // The thumb was dragged here live: the final position still counts
        // as a change.
        if (onChange) onChange();
        return;
    }
    value_ = v;
    if (onChange) onChange();
}

void ScrollBar::userPage(bool down) {
    // Towards max when the range runs upwards, towards min when it runs
    // backwards (min above max).
    const int64_t step = (min_ <= max_) == down ? int64_t(largeChange_) : -int64_t(largeChange_);
    const int64_t lo = std::min(min_, max_), hi = std::max(min_, max_);
    const int32_t v = int32_t(std::clamp<int64_t>(int64_t(value_) + step, lo, hi));
    if (v == value_) return;  // at the end: nothing moves
    userScroll(v, true);
}

void Line::setPoints(double ax1, double ay1, double ax2, double ay2) {
    if (ax1 == x1 && ay1 == y1 && ax2 == x2 && ay2 == y2) return;
    x1 = ax1;
    y1 = ay1;
    x2 = ax2;
    y2 = ay2;
    notify(Prop::Line);
}

// ---------------------------------------------------------------------------
Timer::Timer(Form* f, std::string name) : form_(f), name_(std::move(name)) {}

Timer::~Timer() {
    // Disarm, so the backend never fires a timer that is gone.
    if (form_ && running()) {
        enabled_ = false;
        form_->backend().timerChanged(*this);
    }
}

void Timer::sync() {
    if (form_) form_->backend().timerChanged(*this);
}

void Timer::setInterval(uint32_t ms) {
    interval_ = ms;
    sync();
}

void Timer::setEnabled(bool on) {
    enabled_ = on;
    sync();
}

void Timer::fire() {
    if (running() && onTick) onTick();
}

// ---------------------------------------------------------------------------
MenuItem::MenuItem(Form* f, std::string name, Str caption, Shortcut sc)
    : form_(f), name_(std::move(name)), caption_(std::move(caption)), shortcut_(sc) {}

void MenuItem::setEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    if (form_) form_->backend().updateMenu(*this);
}

bool MenuItem::effectivelyEnabled() const {
    for (const MenuItem* m = this; m; m = m->parent_)
        if (!m->enabled_) return false;
    return true;
}

MenuItem& MenuItem::add(std::string name, Str caption, Shortcut sc) {
    children_.push_back(std::make_unique<MenuItem>(form_, std::move(name), std::move(caption), sc));
    children_.back()->parent_ = this;
    return *children_.back();
}

void MenuItem::userClick() {
    if (!effectivelyEnabled() || separator()) return;
    if (onClick) onClick();
}

// ---------------------------------------------------------------------------
Form::Form(Backend& backend, std::string name) : Control(nullptr, Kind::Form, std::move(name), 0), backend_(backend) {
    form_ = this;
    visible_ = false;
}

Form::~Form() {
    timers_.clear();
    if (loaded_) backend_.destroyForm(*this);
}

void Form::adopt(std::unique_ptr<Control> c) {
    Control* raw = c.get();
    owned_.push_back(std::move(c));
    tabOrder_.push_back(raw);
    if (!loaded_) return;
    unmade_.push_back(raw);
    if (batches_ == 0) createUnmade();
}

Form::Batch::Batch(Form& f) : form_(f) { ++form_.batches_; }

Form::Batch::~Batch() {
    if (!open_) return;
    try {
        end();
    } catch (...) {
        // Already on the way out of an error: what cannot be made stays
        // without a window, as a failed creation leaves it.
    }
}

void Form::Batch::end() {
    if (!open_) return;
    open_ = false;
    if (--form_.batches_ == 0) form_.createUnmade();
}

void Form::createUnmade() {
    // One at a time off the front, so that a failure leaves the rest listed.
    while (!unmade_.empty()) {
        Control* c = unmade_.front();
        unmade_.erase(unmade_.begin());
        backend_.createControl(*c);
    }
}

Timer& Form::addTimer(std::string name) {
    timers_.push_back(std::make_unique<Timer>(this, std::move(name)));
    return *timers_.back();
}

MenuItem& Form::addMenu(std::string name, Str caption) {
    menus_.push_back(std::make_unique<MenuItem>(this, std::move(name), std::move(caption)));
    return *menus_.back();
}

MenuItem* Form::findMenu(const std::string& name) {
    std::vector<MenuItem*> todo;
    for (auto& m : menus_) todo.push_back(m.get());
    while (!todo.empty()) {
        MenuItem* m = todo.back();
        todo.pop_back();
        if (m->name() == name) return m;
        for (auto& c : m->children()) todo.push_back(c.get());
    }
    return nullptr;
}

void Form::moveToEndOfTabOrder(Control& c) {
    auto it = std::find(tabOrder_.begin(), tabOrder_.end(), &c);
    if (it == tabOrder_.end()) return;
    tabOrder_.erase(it);
    tabOrder_.push_back(&c);
    if (loaded_) backend_.update(c, Prop::TabOrder);
}

Control* Form::nextInTabOrder(Control* from, bool forward) const {
    const size_t n = tabOrder_.size();
    if (n == 0) return nullptr;
    size_t start = 0;
    auto it = std::find(tabOrder_.begin(), tabOrder_.end(), from);
    if (it != tabOrder_.end()) start = size_t(it - tabOrder_.begin());
    else start = forward ? n - 1 : 0;
    for (size_t step = 1; step <= n; ++step) {
        size_t i = forward ? (start + step) % n : (start + n - step) % n;
        Control* c = tabOrder_[i];
        if (c->tabStop() && c->canFocus()) return c;
    }
    return nullptr;
}

void Form::setWindowState(WindowState s) {
    if (s == state_) return;
    state_ = s;
    if (loaded_) backend_.update(*this, Prop::WindowState);
}

void Form::setMousePointer(MousePointer p) {
    if (p == pointer_) return;
    pointer_ = p;
    if (loaded_) backend_.update(*this, Prop::MousePointer);
}

Button* Form::defaultButton() const {
    for (Control* c : tabOrder_)
        if (c->kind() == Kind::Button && static_cast<Button*>(c)->isDefault) return static_cast<Button*>(c);
    return nullptr;
}

Button* Form::cancelButton() const {
    for (Control* c : tabOrder_)
        if (c->kind() == Kind::Button && static_cast<Button*>(c)->isCancel) return static_cast<Button*>(c);
    return nullptr;
}

void Form::show() {
    if (!loaded_) {
        loaded_ = true;
        backend_.createForm(*this);
        for (Control* c : tabOrder_) backend_.createControl(*c);
        if (onLoad) onLoad();
        if (closing_) return;  // Load ended the program
    }
    if (!shown_) {
        shown_ = true;
        visible_ = true;
        backend_.showForm(*this);
    }
}

void Form::showModal() {
    modal_ = true;
    show();
    if (closing_ || !shown_) {
        modal_ = false;
        return;
    }
    backend_.runModal(*this);
    modal_ = false;
}

bool Form::close() {
    if (!loaded_ || closing_) return !loaded_;
    bool cancel = false;
    if (onQueryUnload) onQueryUnload(cancel, 0);
    if (cancel) return false;
    closing_ = true;
    if (onUnload) onUnload();
    for (auto& t : timers_) t->setEnabled(false);
    shown_ = false;
    visible_ = false;
    backend_.hideForm(*this);
    if (modal_) backend_.endModal(*this);
    return true;
}

void Form::hide() {
    if (!shown_) return;
    shown_ = false;
    visible_ = false;
    backend_.hideForm(*this);
}

void Form::repaint() {
    if (loaded_) backend_.repaint(*this);
}

uint64_t Form::nativeHandle() const { return loaded_ ? backend_.nativeHandle(*this) : 0; }

void Form::userActivate() {
    // A window that is still loading (a z-order change during Load can
    // activate it early) gets its Activate only once it is shown.
    if (!shown_) return;
    if (onActivate) onActivate();
}

void Form::userWindowActivated(uint64_t previous) {
    if (shown_ && onWindowActivated) onWindowActivated(previous);
}

void Form::userMoveResize(double l, double t, double outerW, double outerH, double cw, double ch) {
    bool sized = outerW != width_ || outerH != height_ || cw != clientW_ || ch != clientH_;
    left_ = l;
    top_ = t;
    width_ = outerW;
    height_ = outerH;
    clientW_ = cw;
    clientH_ = ch;
    if (sized && onResize) onResize();
}

bool Form::userClose() { return close(); }

bool Form::userQueryEndSession(uint32_t reasons) { return onQueryEndSession ? onQueryEndSession(reasons) : true; }

void Form::userEndSession(bool ending, uint32_t reasons) {
    if (onEndSession) onEndSession(ending, reasons);
}

void Form::userMouseUp(int button, int shift, double x, double y) {
    if (onMouseUp) onMouseUp(button, shift, x, y);
}

static bool shortcutIn(std::vector<std::unique_ptr<MenuItem>>& items, int keyCode, int shift) {
    for (auto& m : items) {
        if (m->shortcut().key == keyCode && m->shortcut().mods == shift && !m->separator()) {
            if (m->effectivelyEnabled()) {
                m->userClick();
                return true;
            }
            return false;
        }
        if (shortcutIn(m->children(), keyCode, shift)) return true;
    }
    return false;
}

bool Form::userShortcut(int keyCode, int shift) { return shortcutIn(menus_, keyCode, shift); }

bool Form::userKeyDown(int keyCode, int shift) {
    int code = keyCode;
    if (keyPreview && onKeyDown) {
        onKeyDown(code, shift);
        if (code == 0) return true;
    }
    if (active_ && active_->onKeyDown) {
        active_->onKeyDown(code, shift);
        if (code == 0) return true;
    }
    return false;
}

bool Form::userKeyPress(int keyAscii) {
    int k = keyAscii;
    if (keyPreview && onKeyPress) {
        onKeyPress(k);
        if (k == 0) return true;
    }
    if (active_ && active_->onKeyPress) {
        active_->onKeyPress(k);
        if (k == 0) return true;
    }
    return false;
}

void Form::setActiveControl(Control* c) {
    if (c == active_) return;
    Control* old = active_;
    active_ = c;
    if (old && old->onLostFocus) old->onLostFocus();
    if (c && c->onGotFocus) c->onGotFocus();
    if (onActiveControlChange) onActiveControlChange();
}

ScreenPick pickFromDrag(const SnapshotDrag& drag, const os::Rect& snapshot) {
    ScreenPick pick;
    if (!drag.dragged) return pick;
    const os::Rect r{std::max(std::min(drag.from.x, drag.to.x), snapshot.left),
                     std::max(std::min(drag.from.y, drag.to.y), snapshot.top),
                     std::min(std::max(drag.from.x, drag.to.x) + 1, snapshot.right),
                     std::min(std::max(drag.from.y, drag.to.y) + 1, snapshot.bottom)};
    if (r.width() < kMinPickSide || r.height() < kMinPickSide) return pick;
    pick.chosen = true;
    pick.rect = r;
    pick.shift = drag.shift;
    return pick;
}

ScreenPick pickScreenRect(Backend& backend, const os::ScreenPixels& snapshot) {
    return pickFromDrag(backend.dragOnSnapshot(snapshot), snapshot.rect);
}

}  // namespace tk
