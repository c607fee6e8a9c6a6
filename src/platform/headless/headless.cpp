#include "platform/headless/headless.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace headless {

namespace {
std::string u8(const Str& s) { return toUtf8(s); }

std::string fmt(const char* f, long long a = 0, long long b = 0, long long c = 0, long long d = 0) {
    char buf[160];
    std::snprintf(buf, sizeof buf, f, a, b, c, d);
    return buf;
}

char16_t fold(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; }
}  // namespace

bool NoCase::operator()(const Str& a, const Str& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return fold(x) < fold(y); });
}

Platform::Platform() {
    folders.insert(resolve(curDir));
    folders.insert(resolve(progDir));
}

// ---------------------------------------------------------------------------
// Clock and timers

void Platform::advance(int64_t ms) {
    const int64_t target = nowMs + ms;
    runPosted();
    for (;;) {
        tk::Timer* next = nullptr;
        int64_t due = 0;
        for (auto& [t, d] : timers)
            if (d <= target && (!next || d < due)) {
                next = t;
                due = d;
            }
        if (!next) break;
        if (due > nowMs) nowMs = due;
        // Like a GUI timer: a late tick is not repeated, the next one comes
        // one interval after this one.
        timers[next] = nowMs + next->interval();
        next->fire();
        runPosted();
    }
    if (nowMs < target) nowMs = target;
}

void Platform::fireDue() {
    // Each timer at most once: a tick that sleeps moves time on, and the
    // real loop would not come back to the same timer within one pass.
    std::set<tk::Timer*> fired;
    for (;;) {
        tk::Timer* next = nullptr;
        int64_t due = 0;
        for (auto& [t, d] : timers)
            if (d <= nowMs && !fired.count(t) && (!next || d < due)) {
                next = t;
                due = d;
            }
        if (!next) return;
        fired.insert(next);
        timers[next] = nowMs + next->interval();
        next->fire();
    }
}

void Platform::runPosted() {
    // Only what waits now: a call that posts again runs at the next turn.
    for (size_t n = posted.size(); n > 0 && !posted.empty(); --n) {
        auto call = std::move(posted.front());
        posted.pop_front();
        call();
    }
}

bool Platform::timerRunning(const std::string& name) const {
    for (auto& [t, d] : timers)
        if (t->name() == name) return true;
    return false;
}

// ---------------------------------------------------------------------------
// Keyboard

void Platform::press(int vk) { keyEvent(vk, false, false); }

void Platform::press(int vk, StrView typed) { keyEvent(vk, false, false, false, typed); }

void Platform::release(int vk) { keyEvent(vk, true, false); }

namespace {
// The keys a keyboard sends with the E0 prefix (those the tests type).
bool extendedKey(int vk) {
    return vk == 0xA3 || vk == 0xA5 || (vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x2E || vk == 0x6F;
}

// Raw input's name of a key: the modifiers generically.
int genericKey(int vk) {
    if (vk == 0xA0 || vk == 0xA1) return 0x10;
    if (vk == 0xA2 || vk == 0xA3) return 0x11;
    if (vk == 0xA4 || vk == 0xA5) return 0x12;
    return vk;
}
}  // namespace


// What a press types on the US layout with the modifiers down now, as the
// system's translation answers: Ctrl turns a letter into its control
// character and leaves other keys without one.
static Str typedOnUsLayout(Os& os, int vk, const std::set<int>& down) {
    auto held = [&](int generic, int left, int right) {
        return down.count(generic) || down.count(left) || down.count(right);
    };
    const bool shift = held(0x10, 0xA0, 0xA1), ctrl = held(0x11, 0xA2, 0xA3);
    if (ctrl) return vk >= 'A' && vk <= 'Z' ? Str(1, char16_t(vk - 'A' + 1)) : Str();
    if (vk == 0x08 || vk == 0x09 || vk == 0x0D || vk == 0x1B) return Str(1, char16_t(vk));
    for (char16_t c = 0x20; c < 0x7F; ++c)
        if (os.vkKeyScan(c) == (vk | (shift ? 0x100 : 0))) return Str(1, c);
    return Str();
}

void Platform::keyEvent(int vk, bool up, bool injected, bool own, StrView typed) {
    os::RawKey e;
    // The hook tells the left key for the generic modifiers, as the system does.
    e.vk = uint16_t(vk == 0x10 ? 0xA0 : vk == 0x11 ? 0xA2 : vk == 0x12 ? 0xA4 : vk);
    e.scan = uint16_t(os.mapVirtualKey(e.vk, 0));
    e.extended = extendedKey(e.vk);
    e.up = up;
    e.injected = injected;
    e.time = uint32_t(nowMs);
    if (!up && !injected) {
        const Str t = typed.empty() ? typedOnUsLayout(os, vk, down) : Str(typed);
        for (size_t i = 0; i < t.size() && i < std::size(e.typed); ++i) e.typed[i] = t[i];
    }
    bool swallowed = false;
    // A copy: an observer may remove itself.
    auto observers = keyObservers;
    for (auto& o : observers)
        if (!injected || o.injectedToo) swallowed = o.observer(e) || swallowed;
    if (swallowed) return;
    passed.emplace_back(vk, up);
    if (up) {
        down.erase(vk);
    } else {
        down.insert(vk);
        pressedSinceQuery.insert(vk);
    }
    if (own || keyWatchers.empty()) return;
    os::RawKey raw = e;
    raw.vk = uint16_t(genericKey(e.vk));
    raw.injected = false;
    pendingRawInput.push_back(raw);
    if (!holdRawInput) deliverRawInput();
}

void Platform::deliverRawInput() {
    auto keys = std::move(pendingRawInput);
    pendingRawInput.clear();
    for (const os::RawKey& k : keys) {
        auto watchers = keyWatchers;
        for (auto& w : watchers) w.watcher(k);
    }
}

void Platform::tellOwnKey(int vk, int scan, uint32_t flags) {
    if (vk == 0 || (flags & os::k::KEYEVENTF_UNICODE)) return;
    os::RawKey e;
    e.vk = uint16_t(vk);
    e.scan = uint16_t(scan);
    e.up = (flags & os::k::KEYEVENTF_KEYUP) != 0;
    e.extended = (flags & os::k::KEYEVENTF_EXTENDEDKEY) != 0;
    e.injected = true;
    e.time = uint32_t(nowMs);
    auto watchers = keyWatchers;
    for (auto& w : watchers) w.watcher(e);
}

void Platform::mouseEvent(os::RawMouse::Kind kind, os::Point pt, bool injected) {
    os::RawMouse e;
    e.kind = kind;
    e.pt = pt;
    e.injected = injected;
    e.time = uint32_t(nowMs);
    auto observers = mouseObservers;
    for (auto& o : observers)
        if (!injected || o.injectedToo) o.observer(e);
    if (kind != os::RawMouse::Wheel && kind != os::RawMouse::HWheel) cursor = pt;
}

void Platform::mouseDown(int button, os::Point pt) {
    mouseEvent(button == 1 ? os::RawMouse::RightDown : button == 2 ? os::RawMouse::MiddleDown : os::RawMouse::LeftDown, pt);
}

void Platform::mouseUp(int button, os::Point pt) {
    mouseEvent(button == 1 ? os::RawMouse::RightUp : button == 2 ? os::RawMouse::MiddleUp : os::RawMouse::LeftUp, pt);
}

// ---------------------------------------------------------------------------
// Desktop

os::WindowHandle Platform::addWindow(const Str& title, const Str& cls, os::ThreadId thread) {
    Window w;
    w.handle = nextHandle++;
    w.title = title;
    w.className = cls;
    w.thread = thread;
    windows.insert(windows.begin(), w);
    return w.handle;
}

void Platform::removeWindow(os::WindowHandle h) {
    windows.erase(std::remove_if(windows.begin(), windows.end(), [&](const Window& w) { return w.handle == h; }),
                  windows.end());
    if (foreground == h) foreground = 0;
}

Window* Platform::window(os::WindowHandle h) {
    for (auto& w : windows)
        if (w.handle == h) return &w;
    return nullptr;
}

void Platform::activate(os::WindowHandle h) {
    const os::WindowHandle previous = foreground;
    if (Window* w = window(h)) {
        Window copy = *w;
        windows.erase(std::remove_if(windows.begin(), windows.end(), [&](const Window& x) { return x.handle == h; }),
                      windows.end());
        windows.insert(windows.begin(), copy);
        foreground = h;
        return;
    }
    for (auto& [f, fh] : formHandles)
        if (fh == h) {
            tk::Form* form = const_cast<tk::Form*>(f);
            if (std::find(openForms.begin(), openForms.end(), form) != openForms.end()) {
                openForms.erase(std::remove(openForms.begin(), openForms.end(), form), openForms.end());
                openForms.insert(openForms.begin(), form);
            }
            foreground = h;
            if (previous != h) form->userWindowActivated(previous);
            return;
        }
}

const Platform::Marker* Platform::markerShown() const {
    for (auto it = markers.rbegin(); it != markers.rend(); ++it)
        if (it->until > nowMs) return &*it;
    return nullptr;
}

std::vector<os::WindowHandle> Platform::zOrder() const {
    // Top-most windows first, then the program's shown forms above the
    // other windows, then hidden forms at the bottom.
    std::vector<os::WindowHandle> out;
    for (auto& w : windows)
        if (w.topmost) out.push_back(w.handle);
    for (auto* f : openForms) out.push_back(formHandles.at(f));
    for (auto& w : windows)
        if (!w.topmost) out.push_back(w.handle);
    for (auto& [f, h] : formHandles)
        if (std::find(openForms.begin(), openForms.end(), f) == openForms.end()) out.push_back(h);
    return out;
}

os::Rect Platform::primaryMonitor() const {
    for (auto& m : monitors)
        if (m.left == 0 && m.top == 0) return m;
    return monitors.empty() ? os::Rect{} : monitors.front();
}

os::ScreenPixels& Platform::screenCanvas() {
    const os::Rect v = virtualScreen();
    if (screen.rect != v || screen.pixels.size() != size_t(v.width()) * size_t(v.height())) {
        screen.rect = v;
        screen.pixels.assign(size_t(v.width()) * size_t(v.height()), screenBackground);
    }
    return screen;
}

void Platform::paintScreen(const os::Rect& r, uint32_t colour) {
    os::ScreenPixels& s = screenCanvas();
    for (int32_t y = std::max(r.top, s.rect.top); y < std::min(r.bottom, s.rect.bottom); ++y)
        for (int32_t x = std::max(r.left, s.rect.left); x < std::min(r.right, s.rect.right); ++x)
            s.pixels[size_t(y - s.rect.top) * size_t(s.rect.width()) + size_t(x - s.rect.left)] = colour;
}

void Platform::paintScreen(os::Point at, int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    os::ScreenPixels& s = screenCanvas();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t sx = at.x + x, sy = at.y + y;
            if (sx < s.rect.left || sx >= s.rect.right || sy < s.rect.top || sy >= s.rect.bottom) continue;
            s.pixels[size_t(sy - s.rect.top) * size_t(s.rect.width()) + size_t(sx - s.rect.left)] =
                pixels[size_t(y) * size_t(width) + size_t(x)];
        }
}

os::Rect Platform::virtualScreen() const {
    if (monitors.empty()) return {};
    os::Rect r = monitors.front();
    for (auto& m : monitors) {
        r.left = std::min(r.left, m.left);
        r.top = std::min(r.top, m.top);
        r.right = std::max(r.right, m.right);
        r.bottom = std::max(r.bottom, m.bottom);
    }
    return r;
}

os::Point Platform::onDesktop(os::Point pt) const {
    os::Point best = pt;
    int64_t bestDistance = -1;
    for (auto& m : monitors) {
        if (m.width() <= 0 || m.height() <= 0) continue;
        const os::Point in{std::clamp(pt.x, m.left, m.right - 1), std::clamp(pt.y, m.top, m.bottom - 1)};
        const int64_t ddx = int64_t(in.x) - pt.x, ddy = int64_t(in.y) - pt.y;
        const int64_t distance = ddx * ddx + ddy * ddy;
        if (bestDistance < 0 || distance < bestDistance) {
            best = in;
            bestDistance = distance;
        }
    }
    return best;
}

std::string Platform::traceText(size_t from) const {
    std::string s;
    for (size_t i = from; i < trace.size(); ++i) {
        if (!s.empty()) s += '\n';
        s += trace[i];
    }
    return s;
}

// ---------------------------------------------------------------------------
// Files

Str Platform::resolve(const Str& path) const {
    Str p = path;
    for (auto& c : p)
        if (c == u'/') c = u'\\';
    bool absolute = p.size() >= 2 && p[1] == u':';
    if (!absolute) p = curDir + u"\\" + p;
    // Collapse doubled separators (a root folder plus "\name").
    Str out;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] == u'\\' && !out.empty() && out.back() == u'\\') continue;
        out += p[i];
    }
    while (out.size() > 3 && out.back() == u'\\') out.pop_back();
    return out;
}

void Platform::putFile(const Str& path, const std::string& bytes) { files[resolve(path)] = bytes; }

std::string* Platform::file(const Str& path) {
    auto it = files.find(resolve(path));
    return it == files.end() ? nullptr : &it->second;
}

void Platform::maybeFail(FileFailure::Kind k) {
    int n = ++callCounts[int(k)];
    for (auto it = failures.begin(); it != failures.end(); ++it) {
        if (it->kind == k && it->nth == n) {
            int number = it->number;
            failures.erase(it);
            err::raise(number);
        }
    }
}

namespace {
class MemFile final : public os::OutFile {
public:
    MemFile(Platform& p, Str key, bool append) : p_(p), key_(std::move(key)) {
        if (append) {
            auto it = p_.files.find(key_);
            if (it != p_.files.end()) buf_ = it->second;
        }
        p_.files[key_] = buf_;
    }
    ~MemFile() override {
        try {
            close();
        } catch (...) {
        }
    }
    void write(std::string_view bytes) override {
        if (closed_) err::raise(err::BadFileName);
        p_.maybeFail(FileFailure::Write);
        if (p_.diskFree >= 0) {
            if (int64_t(bytes.size()) > p_.diskFree) {
                // A full disk takes what fits, then fails.
                buf_.append(bytes.substr(0, size_t(p_.diskFree)));
                p_.diskFree = 0;
                p_.files[key_] = buf_;
                err::raise(err::DiskFull);
            }
            p_.diskFree -= int64_t(bytes.size());
        }
        buf_.append(bytes);
        p_.files[key_] = buf_;  // visible at once, like an unbuffered write
    }
    void flush() override {
        if (closed_) return;
        p_.maybeFail(FileFailure::Flush);
    }
    void close() override {
        if (closed_) return;
        closed_ = true;
        p_.maybeFail(FileFailure::Close);
    }

private:
    Platform& p_;
    Str key_;
    std::string buf_;
    bool closed_ = false;
};

Str parentOf(const Str& key) {
    auto pos = key.rfind(u'\\');
    if (pos == Str::npos) return Str();
    Str parent = key.substr(0, pos);
    if (parent.size() == 2) parent += u'\\';
    return parent;
}
}  // namespace

// ---------------------------------------------------------------------------
// Toolkit backend

void Toolkit::createForm(tk::Form& f) {
    p_.formHandles[&f] = p_.nextHandle++;
    f.native = &f;  // from now on geometry changes reach the "window"
}

void Toolkit::destroyForm(tk::Form& f) {
    p_.openForms.erase(std::remove(p_.openForms.begin(), p_.openForms.end(), &f), p_.openForms.end());
    p_.formHandles.erase(&f);
}

void Toolkit::createControl(tk::Control& c) { c.native = &c; }

void Toolkit::update(tk::Control& c, tk::Prop p) {
    if (c.kind() == tk::Kind::Form && p == tk::Prop::Geometry) {
        // A moved or sized form reports back like a real window would, with a
        // client area smaller by a fixed frame, caption and menu bar.
        auto& f = static_cast<tk::Form&>(c);
        f.userMoveResize(f.left(), f.top(), f.width(), f.height(), std::max(0.0, f.width() - 120),
                         std::max(0.0, f.height() - 690));
    }
    if (c.kind() == tk::Kind::Form && p == tk::Prop::WindowState) {
        auto& f = static_cast<tk::Form&>(c);
        if (f.windowState() == tk::WindowState::Minimized) f.userMoveResize(f.left(), f.top(), f.width(), f.height(), 0, 0);
    }
}

void Toolkit::focus(tk::Control&) {}

void Toolkit::showForm(tk::Form& f) {
    auto& v = p_.openForms;
    v.erase(std::remove(v.begin(), v.end(), &f), v.end());
    v.insert(v.begin(), &f);
    const os::WindowHandle previous = p_.foreground;
    p_.foreground = p_.formHandles[&f];
    f.userMoveResize(f.left(), f.top(), f.width(), f.height(), std::max(0.0, f.width() - 120),
                     std::max(0.0, f.height() - 690));
    if (previous != p_.foreground) f.userWindowActivated(previous);
    f.userActivate();
}

void Toolkit::hideForm(tk::Form& f) {
    auto& v = p_.openForms;
    v.erase(std::remove(v.begin(), v.end(), &f), v.end());
    const os::WindowHandle hidden = p_.formHandles[&f];
    if (p_.foreground == hidden) {
        p_.foreground = v.empty() ? 0 : p_.formHandles[v.front()];
        // The form below comes back to the front, as after a closed dialog.
        if (!v.empty()) v.front()->userWindowActivated(hidden);
    }
}

void Toolkit::runModal(tk::Form& f) {
    p_.modalsShown.push_back(f.name());
    if (!p_.modalScripts.empty()) {
        auto script = std::move(p_.modalScripts.front());
        p_.modalScripts.pop_front();
        script(f);
    }
    if (f.isShown()) f.close();
    if (f.isShown()) f.hide();  // a script that left it open: treat as dismissed
}

void Toolkit::endModal(tk::Form&) {}

void Toolkit::repaint(tk::Form& f) {
    ++repaints;
    if (onRepaint) onRepaint(f);
}

uint64_t Toolkit::nativeHandle(const tk::Form& f) const {
    auto it = p_.formHandles.find(&f);
    return it == p_.formHandles.end() ? 0 : it->second;
}

void Toolkit::timerChanged(tk::Timer& t) {
    t.native = nullptr;
    if (t.running()) p_.timers[&t] = p_.nowMs + t.interval();
    else p_.timers.erase(&t);
}

int Toolkit::messageBox(const Str& text, int style, const Str& title) {
    int buttons = style & 7;
    int answer;
    if (!p_.answers.empty()) {
        answer = p_.answers.front();
        p_.answers.pop_front();
    } else {
        // The default button.
        int def = (style >> 8) & 3;
        static const int first[] = {tk::mb::IdOK, tk::mb::IdOK, tk::mb::IdAbort, tk::mb::IdYes, tk::mb::IdYes, tk::mb::IdRetry};
        static const int second[] = {tk::mb::IdOK, tk::mb::IdCancel, tk::mb::IdRetry, tk::mb::IdNo, tk::mb::IdNo, tk::mb::IdCancel};
        static const int third[] = {tk::mb::IdOK, tk::mb::IdCancel, tk::mb::IdIgnore, tk::mb::IdCancel, tk::mb::IdNo, tk::mb::IdCancel};
        int b = buttons > 5 ? 0 : buttons;
        answer = def == 0 ? first[b] : def == 1 ? second[b] : third[b];
    }
    p_.shown.push_back({text, style, title, answer});
    p_.log("MessageBox(" + u8(title) + ")");
    return answer;
}

tk::SnapshotDrag Toolkit::dragOnSnapshot(const os::ScreenPixels& snapshot) {
    p_.snapshotsShown.push_back(snapshot.rect);
    p_.log("SnapshotOverlay");
    if (p_.snapshotDrags.empty()) return {};
    tk::SnapshotDrag d = p_.snapshotDrags.front();
    p_.snapshotDrags.pop_front();
    return d;
}

void Toolkit::setCapture(tk::Form& f) {
    captureForm = &f;
    p_.log("SetCapture");
}

void Toolkit::releaseCapture() {
    captureForm = nullptr;
    p_.log("ReleaseCapture");
}

void Toolkit::doEvents() {
    // As the real loop: timers that are due, then the messages waiting
    // (posted calls, the user's actions), then timers due after those.
    p_.fireDue();
    p_.runPosted();
    if (p_.onDoEvents) p_.onDoEvents();
    p_.fireDue();
}

void Toolkit::post(std::function<void()> call) { p_.posted.push_back(std::move(call)); }

bool Toolkit::blockSessionEnd(tk::Form& f, const Str& reason) {
    p_.log("ShutdownBlockReasonCreate(" + u8(reason) + ")");
    if (!p_.blockSessionEndWorks) return false;
    p_.sessionEndBlocks[nativeHandle(f)] = reason;
    return true;
}

void Toolkit::unblockSessionEnd(tk::Form& f) {
    p_.log("ShutdownBlockReasonDestroy");
    p_.sessionEndBlocks.erase(nativeHandle(f));
}

// ---------------------------------------------------------------------------
// OS services

void Os::keybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uintptr_t extra) {
    p_.log(fmt("keybd_event(%lld,%lld,%lld,%lld)", vk, scan, flags, (long long)extra));
    if (p_.blockInput) return;
    // Extra information of the caller's own: not marked as ours.
    const bool own = extra == 0;
    p_.keyEvent(vk, (flags & os::k::KEYEVENTF_KEYUP) != 0, true, own);
    if (own) p_.tellOwnKey(vk, scan, flags);
}

uint32_t Os::sendInput(const std::vector<os::KeyInput>& records) {
    std::string s = "SendInput(";
    for (size_t i = 0; i < records.size(); ++i) {
        if (i) s += ';';
        if (records[i].flags & os::k::KEYEVENTF_UNICODE)
            s += fmt("U+%04llX,%lld", records[i].scan, records[i].flags);
        else
            s += fmt("%lld,%lld,%lld", records[i].vk, records[i].scan, records[i].flags);
    }
    p_.log(s + ")");
    if (p_.blockInput) return 0;
    for (auto& r : records) {
        if (r.flags & os::k::KEYEVENTF_UNICODE) continue;
        p_.keyEvent(r.vk, (r.flags & os::k::KEYEVENTF_KEYUP) != 0, true, true);
    }
    for (auto& r : records) p_.tellOwnKey(r.vk, r.scan, r.flags);
    return uint32_t(records.size());
}

uint32_t Os::mapVirtualKey(uint32_t code, uint32_t mapType) {
    // The set-1 scan codes of a US keyboard; the generic modifiers give the
    // left key's, as the system's layouts do.
    if (mapType != 0) return 0;
    static const char* row = "QWERTYUIOP";
    if (code >= 'A' && code <= 'Z') {
        for (int i = 0; row[i]; ++i)
            if (uint32_t(row[i]) == code) return 0x10 + uint32_t(i);
        static const char* row2 = "ASDFGHJKL";
        for (int i = 0; row2[i]; ++i)
            if (uint32_t(row2[i]) == code) return 0x1E + uint32_t(i);
        static const char* row3 = "ZXCVBNM";
        for (int i = 0; row3[i]; ++i)
            if (uint32_t(row3[i]) == code) return 0x2C + uint32_t(i);
    }
    if (code >= '1' && code <= '9') return 0x02 + (code - '1');
    if (code == '0') return 0x0B;
    if (code >= 0x70 && code <= 0x79) return 0x3B + (code - 0x70);  // F1..F10
    static const uint8_t numpad[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    if (code >= 0x60 && code <= 0x69) return numpad[code - 0x60];
    switch (code) {
        case 0x03: return 0x46;  // Break
        case 0x08: return 0x0E;
        case 0x09: return 0x0F;
        case 0x0D: return 0x1C;
        case 0x10: case 0xA0: return 0x2A;
        case 0xA1: return 0x36;
        case 0x11: case 0xA2: case 0xA3: return 0x1D;
        case 0x12: case 0xA4: case 0xA5: return 0x38;
        case 0x13: return 0x45;
        case 0x14: return 0x3A;
        case 0x1B: return 0x01;
        case 0x20: return 0x39;
        case 0x21: return 0x49;
        case 0x22: return 0x51;
        case 0x23: return 0x4F;
        case 0x24: return 0x47;
        case 0x25: return 0x4B;
        case 0x26: return 0x48;
        case 0x27: return 0x4D;
        case 0x28: return 0x50;
        case 0x2C: return 0x54;  // SysRq, as the system answers for PrintScreen
        case 0x2D: return 0x52;
        case 0x2E: return 0x53;
        case 0x6A: return 0x37;
        case 0x6B: return 0x4E;
        case 0x6D: return 0x4A;
        case 0x6E: return 0x53;
        case 0x6F: return 0x35;
        case 0x7A: return 0x57;
        case 0x7B: return 0x58;
        case 0x90: return 0x45;
        case 0x91: return 0x46;
        case 0xBA: return 0x27;
        case 0xBB: return 0x0D;
        case 0xBC: return 0x33;
        case 0xBD: return 0x0C;
        case 0xBE: return 0x34;
        case 0xBF: return 0x35;
        case 0xC0: return 0x29;
        case 0xDB: return 0x1A;
        case 0xDC: return 0x2B;
        case 0xDD: return 0x1B;
        case 0xDE: return 0x28;
        default: return 0;
    }
}

bool Os::sendMessageKey(os::WindowHandle h, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    // lParam in hex: its fields are bit ranges (scan code, extended bit...).
    p_.log(fmt("SendMessage(%lld,%lld,%lld,0x%llX)", (long long)h, msg, (long long)wParam, (long long)lParam));
    Window* w = p_.window(h);
    return w && !w->hung;
}

void Os::mouseEvent(uint32_t flags, int32_t dx, int32_t dy, uint32_t data, uintptr_t extra) {
    p_.log(fmt("mouse_event(%lld,%lld,%lld,%lld)", flags, dx, dy, data));
    constexpr uint32_t absoluteMove = os::k::MOUSEEVENTF_MOVE | os::k::MOUSEEVENTF_ABSOLUTE;
    if ((flags & absoluteMove) == absoluteMove) {
        // As the system maps it: 65536 steps over the primary monitor, or
        // over the virtual desktop with MOUSEEVENTF_VIRTUALDESK, rounded down.
        const os::Rect area = flags & os::k::MOUSEEVENTF_VIRTUALDESK ? p_.virtualScreen() : p_.primaryMonitor();
        auto map = [](int32_t d, int32_t origin, int32_t extent) {
            const int64_t v = int64_t(d) * extent;
            return int32_t(origin + (v >= 0 ? v / 65536 : -((-v + 65535) / 65536)));
        };
        p_.cursor = p_.onDesktop({map(dx, area.left, area.width()), map(dy, area.top, area.height())});
    }
}

bool Os::setCursorPos(int32_t x, int32_t y) {
    p_.log(fmt("SetCursorPos(%lld,%lld)", x, y));
    p_.cursor = p_.onDesktop({x, y});
    return true;
}

os::Point Os::getCursorPos() { return p_.cursor; }

int16_t Os::getAsyncKeyState(int vk) {
    int16_t r = 0;
    if (p_.down.count(vk)) r = int16_t(r | int16_t(0x8000));
    if (p_.pressedSinceQuery.erase(vk)) r = int16_t(r | 1);
    return r;
}

int Os::vkKeyScan(char16_t c) {
    // A US layout: letters, digits, blanks and the ASCII symbols.
    if (c >= u'a' && c <= u'z') return c - u'a' + 'A';
    if (c >= u'A' && c <= u'Z') return 0x100 | c;
    if (c >= u'0' && c <= u'9') return c;
    if (c == u' ') return 0x20;
    if (c == u'\t') return 0x09;
    if (c == u'\r' || c == u'\n') return 0x0D;
    static const std::u16string plain = u"-=[]\\;',./`";
    static const int plainVk[] = {0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF, 0xC0};
    static const std::u16string shifted = u"_+{}|:\"<>?~!@#$%^&*()";
    static const int shiftedVk[] = {0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF, 0xC0,
                                    '1',  '2',  '3',  '4',  '5',  '6',  '7',  '8',  '9',  '0'};
    auto p = plain.find(c);
    if (p != Str::npos) return plainVk[p];
    p = shifted.find(c);
    if (p != Str::npos) return 0x100 | shiftedVk[p];
    return -1;
}

bool Os::inputOnOtherDesktop() { return p_.blockInput; }

int32_t Os::integrityLevel(os::WindowHandle h) {
    if (h == 0) return p_.ownIntegrity;
    ++p_.integrityQueries;
    if (Window* w = p_.window(h)) return w->integrity;
    for (auto& [f, fh] : p_.formHandles)
        if (fh == h) return p_.ownIntegrity;
    return -1;
}

uint32_t Os::windowProcessId(os::WindowHandle h) {
    if (Window* w = p_.window(h)) return w->pid;
    for (auto& [f, fh] : p_.formHandles)
        if (fh == h) return p_.ownPid;
    return 0;
}

int Os::addKeyObserver(os::KeyObserver observer, bool injectedToo) {
    if (p_.hooksRefused || !observer) return 0;
    const int id = p_.nextObserverId++;
    p_.keyObservers.push_back({id, std::move(observer), injectedToo});
    return id;
}

void Os::removeKeyObserver(int id) {
    auto& v = p_.keyObservers;
    v.erase(std::remove_if(v.begin(), v.end(), [&](const Platform::KeyObserverEntry& o) { return o.id == id; }), v.end());
}

int Os::addMouseObserver(os::MouseObserver observer, bool injectedToo) {
    if (p_.hooksRefused || p_.mouseHookRefused || !observer) return 0;
    const int id = p_.nextObserverId++;
    p_.mouseObservers.push_back({id, std::move(observer), injectedToo});
    return id;
}

void Os::removeMouseObserver(int id) {
    auto& v = p_.mouseObservers;
    v.erase(std::remove_if(v.begin(), v.end(), [&](const Platform::MouseObserverEntry& o) { return o.id == id; }),
            v.end());
}

os::InputSettings Os::inputSettings() { return p_.inputSettings; }

os::WindowHandle Os::getWindow(os::WindowHandle h, int cmd) {
    auto z = p_.zOrder();
    if (z.empty()) return 0;
    if (cmd == os::k::GW_HWNDFIRST) return z.front();
    auto it = std::find(z.begin(), z.end(), h);
    if (it == z.end() || ++it == z.end()) return 0;
    return *it;
}

bool Os::isWindow(os::WindowHandle h) {
    if (h == 0) return false;
    if (p_.window(h)) return true;
    for (auto& [f, fh] : p_.formHandles)
        if (fh == h) return true;
    return false;
}

Str Os::getWindowText(os::WindowHandle h) {
    if (Window* w = p_.window(h)) return w->title.substr(0, 255);
    for (auto& [f, fh] : p_.formHandles)
        if (fh == h) return f->text().substr(0, 255);
    return Str();
}

Str Os::getClassName(os::WindowHandle h) {
    if (Window* w = p_.window(h)) return w->className.substr(0, 255);
    for (auto& [f, fh] : p_.formHandles)
        if (fh == h) return u"TovirakForm";
    return Str();
}

os::WindowHandle Os::windowFromPoint(os::Point pt) {
    if (p_.windowAt) return p_.windowAt(pt);
    if (p_.pointWindow) return p_.pointWindow;
    auto z = p_.zOrder();
    return z.empty() ? 0 : z.front();
}

os::WindowHandle Os::getForegroundWindow() { return p_.foreground; }

os::WindowHandle Os::topLevelWindow(os::WindowHandle h) {
    auto it = p_.topLevelOf.find(h);
    return it == p_.topLevelOf.end() ? h : it->second;
}

bool Os::setForegroundWindow(os::WindowHandle h) {
    p_.log(fmt("SetForegroundWindow(%lld)", (long long)h));
    if (Window* w = p_.window(h)) {
        Window copy = *w;
        p_.windows.erase(std::remove_if(p_.windows.begin(), p_.windows.end(),
                                        [&](const Window& x) { return x.handle == h; }),
                         p_.windows.end());
        p_.windows.insert(p_.windows.begin(), copy);
        p_.foreground = h;
        return true;
    }
    for (auto& [f, fh] : p_.formHandles)
        if (fh == h) {
            // The system activates the form's window: it hears of it.
            p_.activate(h);
            return true;
        }
    return false;
}

os::ThreadId Os::getWindowThreadProcessId(os::WindowHandle h) {
    if (Window* w = p_.window(h)) return w->thread;
    return 1;
}

bool Os::attachThreadInput(os::ThreadId attach, os::ThreadId attachTo, bool on) {
    p_.log(fmt("AttachThreadInput(%lld,%lld,%lld)", attach, attachTo, on ? 1 : 0));
    return true;
}

bool Os::setWindowPos(os::WindowHandle h, int64_t insertAfter, int x, int y, int cx, int cy, uint32_t flags) {
    p_.log(fmt("SetWindowPos(%lld,%lld,%lld,%lld,", (long long)h, insertAfter, x, y) + fmt("%lld,%lld,%lld)", cx, cy, flags));
    if (Window* w = p_.window(h)) {
        if (!(flags & os::k::SWP_NOMOVE)) {
            w->x = x;
            w->y = y;
        }
        if (!(flags & os::k::SWP_NOZORDER)) {
            if (insertAfter == os::k::HWND_TOPMOST) w->topmost = true;
            if (insertAfter == os::k::HWND_NOTOPMOST) w->topmost = false;
        }
    }
    return true;
}

void Os::appActivate(const Str& title) {
    p_.log("AppActivate(" + u8(title) + ")");
    for (auto h : p_.zOrder())
        if (getWindowText(h) == title) {
            setForegroundWindow(h);
            return;
        }
}

os::Rect Os::windowRect(os::WindowHandle h) {
    if (Window* w = p_.window(h)) return {w->x, w->y, w->x + w->cx, w->y + w->cy};
    for (auto& [f, fh] : p_.formHandles)
        if (fh == h) {
            const double tpp = p_.toolkit.twipsPerPixelX();
            const auto px = [&](double twips) { return int32_t(std::lround(twips / tpp)); };
            return {px(f->left()), px(f->top()), px(f->left() + f->width()), px(f->top() + f->height())};
        }
    return {};
}

os::WindowStyle Os::windowStyle(os::WindowHandle h) {
    if (Window* w = p_.window(h)) return w->style;
    for (auto& [f, fh] : p_.formHandles)
        if (fh == h) return {f->visible(), f->windowState() == tk::WindowState::Minimized, false, false};
    return {};
}

bool Os::clientOrigin(os::WindowHandle h, os::Point& out) {
    if (Window* w = p_.window(h)) {
        out = {w->x + w->clientX, w->y + w->clientY};
        return true;
    }
    return false;
}

int Os::windowDpi(os::WindowHandle h) {
    const os::Rect m = monitorOfWindow(h);
    for (size_t i = 0; i < p_.monitors.size() && i < p_.monitorDpis.size(); ++i)
        if (p_.monitors[i] == m) return p_.monitorDpis[i];
    return 96;
}

bool Os::restoreWindow(os::WindowHandle h) {
    Window* w = p_.window(h);
    if (!w) return false;
    if (w->style.minimized) {
        p_.log(fmt("ShowWindow(%lld,SW_RESTORE)", (long long)h));
        w->style.minimized = false;
    }
    return true;
}

void Os::showPointMarker(os::Point pt, uint32_t ms) {
    p_.log(fmt("PointMarker(%lld,%lld,%lld)", pt.x, pt.y, ms));
    hideShown();
    Platform::Marker m;
    m.point = pt;
    m.until = p_.nowMs + ms;
    p_.markers.push_back(m);
}

void Os::showFrameMarker(const os::Rect& r, uint32_t ms) {
    p_.log(fmt("FrameMarker(%lld,%lld,%lld,%lld", r.left, r.top, r.right, r.bottom) + fmt(",%lld)", ms));
    hideShown();
    Platform::Marker m;
    m.frame = true;
    m.rect = r;
    m.until = p_.nowMs + ms;
    p_.markers.push_back(m);
}

void Os::hideMarkers() {
    if (p_.markerShown()) p_.log("HideMarkers");
    hideShown();
}

void Os::hideShown() {
    for (auto& m : p_.markers)
        if (m.until > p_.nowMs) m.until = p_.nowMs;
}

int32_t Os::screenWidth() { return p_.primaryMonitor().width(); }
int32_t Os::screenHeight() { return p_.primaryMonitor().height(); }
os::Rect Os::virtualScreen() { return p_.virtualScreen(); }

bool Os::captureScreen(const os::Rect& r, os::ScreenPixels& out) {
    ++p_.captures;
    const os::ScreenPixels& canvas = p_.screenCanvas();
    const os::Rect& v = canvas.rect;
    const os::Rect c{std::max(r.left, v.left), std::max(r.top, v.top), std::min(r.right, v.right),
                     std::min(r.bottom, v.bottom)};
    if (p_.captureRefused || c.width() <= 0 || c.height() <= 0) {
        out.rect = {};
        out.pixels.clear();
        return false;
    }
    out.rect = c;
    out.pixels.resize(size_t(c.width()) * size_t(c.height()));
    for (int32_t y = c.top; y < c.bottom; ++y) {
        const uint32_t* from = &canvas.pixels[size_t(y - v.top) * size_t(v.width()) + size_t(c.left - v.left)];
        // The top byte is not a colour: the system leaves anything there.
        for (int32_t x = 0; x < c.width(); ++x)
            out.pixels[size_t(y - c.top) * size_t(c.width()) + size_t(x)] = from[x] | 0x5A000000u;
    }
    return true;
}

os::Rect Os::monitorOfWindow(os::WindowHandle h) {
    if (Window* w = p_.window(h)) return monitorOfRect({w->x, w->y, w->x + w->cx, w->y + w->cy});
    for (auto& [f, fh] : p_.formHandles)
        if (fh == h) {
            // Twips to pixels as the toolkit counts them.
            const double tpp = p_.toolkit.twipsPerPixelX();
            const auto px = [&](double twips) { return int32_t(std::lround(twips / tpp)); };
            return monitorOfRect({px(f->left()), px(f->top()), px(f->left() + f->width()), px(f->top() + f->height())});
        }
    return p_.primaryMonitor();
}

os::Rect Os::monitorOfRect(const os::Rect& r) {
    // The largest overlap wins; without any, the nearest monitor.
    const os::Rect* best = nullptr;
    int64_t bestArea = 0;
    for (auto& m : p_.monitors) {
        const int64_t w = std::min(r.right, m.right) - std::max(r.left, m.left);
        const int64_t h = std::min(r.bottom, m.bottom) - std::max(r.top, m.top);
        if (w > 0 && h > 0 && w * h > bestArea) {
            best = &m;
            bestArea = w * h;
        }
    }
    if (best) return *best;
    const os::Point nearest = p_.onDesktop({r.left, r.top});
    for (auto& m : p_.monitors)
        if (nearest.x >= m.left && nearest.x < m.right && nearest.y >= m.top && nearest.y < m.bottom) return m;
    return p_.primaryMonitor();
}

void Os::startProgram(const Str& commandLine, int showStyle) {
    p_.log("Shell(" + u8(commandLine) + "," + std::to_string(showStyle) + ")");
    if (p_.startFailures.count(commandLine)) err::raise(err::FileNotFound);
    p_.started.push_back(commandLine);
}

bool Os::playSound(const Str& file, uint32_t flags) {
    p_.log("PlaySound(" + u8(file) + "," + std::to_string(flags) + ")");
    return true;
}

void Os::beep() {
    ++p_.beeps;
    p_.log("Beep");
}

bool Os::isWindowsNT() { return p_.nt; }

bool Os::enableShutdownPrivilege() {
    p_.log("AdjustTokenPrivileges(SeShutdownPrivilege)");
    return true;
}

bool Os::exitWindowsEx(uint32_t flags) {
    // Recorded only: a test never switches anything off.
    p_.log("ExitWindowsEx(" + std::to_string(flags) + ")");
    p_.exitRequests.push_back(flags);
    return true;
}

void Os::endProcess() {
    p_.log("End");
    throw ProcessEnded{};
}

void Os::sleep(uint32_t ms) {
    p_.log("Sleep(" + std::to_string(ms) + ")");
    // Time passes, but no timer fires: the UI thread is blocked.
    p_.nowMs += ms;
}

DateTime Os::now() { return p_.startTime.addSeconds(p_.nowMs / 1000); }

int64_t Os::monotonicMs() { return p_.nowMs; }

bool Os::fileExists(const Str& path) { return p_.files.count(p_.resolve(path)) != 0; }

bool Os::fileInfo(const Str& path, os::DirEntry& out) {
    Str key = p_.resolve(path);
    auto pos = key.rfind(u'\\');
    out.name = pos == Str::npos ? key : key.substr(pos + 1);
    out.hidden = out.system = false;
    if (p_.files.count(key)) {
        out.isDir = false;
        return true;
    }
    if (p_.folders.count(key)) {
        out.isDir = true;
        return true;
    }
    return false;
}

std::string Os::readFile(const Str& path) {
    p_.maybeFail(FileFailure::Read);
    std::string* f = p_.file(path);
    if (!f) err::raise(err::FileNotFound);
    if (p_.locked.count(p_.resolve(path))) err::raise(err::PermissionDenied);
    return *f;
}

std::unique_ptr<os::OutFile> Os::createFile(const Str& path) {
    Str key = p_.resolve(path);
    p_.maybeFail(FileFailure::Create);
    Str parent = parentOf(key);
    if (!parent.empty() && !p_.folders.count(parent)) err::raise(err::PathNotFound);
    if (p_.readOnly.count(key) || p_.locked.count(key) || p_.readOnly.count(parent))
        err::raise(err::PermissionDenied);
    return std::make_unique<MemFile>(p_, key, false);
}

std::unique_ptr<os::OutFile> Os::appendFile(const Str& path) {
    Str key = p_.resolve(path);
    p_.maybeFail(FileFailure::Append);
    Str parent = parentOf(key);
    if (!parent.empty() && !p_.folders.count(parent)) err::raise(err::PathNotFound);
    if (p_.readOnly.count(key) || p_.locked.count(key) || p_.readOnly.count(parent))
        err::raise(err::PermissionDenied);
    return std::make_unique<MemFile>(p_, key, true);
}

void Os::replaceFile(const Str& source, const Str& target) {
    Str s = p_.resolve(source), t = p_.resolve(target);
    p_.log("Replace(" + u8(source) + "," + u8(target) + ")");
    p_.maybeFail(FileFailure::Replace);
    if (!p_.files.count(s)) err::raise(err::FileNotFound);
    if (p_.readOnly.count(t) || p_.locked.count(t)) err::raise(err::PermissionDenied);
    p_.files[t] = p_.files[s];
    p_.files.erase(s);
}

void Os::removeFile(const Str& path) { p_.files.erase(p_.resolve(path)); }

std::vector<os::DirEntry> Os::listFolder(const Str& folder) {
    Str key = p_.resolve(folder);
    if (key.size() >= 2 && p_.notReadyDrives.count(key.substr(0, 2))) err::raise(err::DiskNotReady);
    if (!p_.folders.count(key)) err::raise(err::PathNotFound);
    Str prefix = key.back() == u'\\' ? key : key + u"\\";
    std::vector<os::DirEntry> out;
    auto childName = [&](const Str& k) -> Str {
        if (k.size() <= prefix.size() || k.compare(0, prefix.size(), prefix) != 0) return Str();
        Str rest = k.substr(prefix.size());
        return rest.find(u'\\') == Str::npos ? rest : Str();
    };
    for (auto& d : p_.folders) {
        Str n = childName(d);
        if (!n.empty()) out.push_back({n, true, false, false});
    }
    for (auto& [k, v] : p_.files) {
        Str n = childName(k);
        if (!n.empty()) out.push_back({n, false, false, false});
    }
    return out;
}

std::vector<Str> Os::drives() { return p_.driveList; }
Str Os::currentFolder() { return p_.curDir; }
Str Os::programFolder() { return p_.progDir; }
Str Os::commandLine() { return p_.cmdLine; }
int Os::versionMajor() {
    if (p_.versionFailure) err::raise(p_.versionFailure);
    return p_.verMajor;
}
int Os::versionMinor() { return p_.verMinor; }

int Os::addKeyWatcher(os::KeyWatcher watcher) {
    if (p_.rawInputRefused || !watcher) return 0;
    const int id = p_.nextObserverId++;
    p_.keyWatchers.push_back({id, std::move(watcher)});
    return id;
}

void Os::removeKeyWatcher(int id) {
    auto& v = p_.keyWatchers;
    v.erase(std::remove_if(v.begin(), v.end(), [&](const Platform::KeyWatcherEntry& w) { return w.id == id; }), v.end());
}

}  // namespace headless
