// The turning of recorded input into steps.
#include "recording/step_turner.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>

#include "input/anchor.h"
#include "input/keys.h"

namespace recording {

namespace {

constexpr int ShiftBit = 1, CtrlBit = 2, AltBit = 4;
constexpr uint16_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12;
constexpr uint16_t VK_SPACE = 0x20, VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_PACKET = 0xE7, VK_NONAME = 0xFC;
constexpr uint32_t kPauseMs = 1000;  // a gap this long becomes a wait

struct Named {
    uint16_t vk;
    StrView name;
};

// Keys the notation names in braces (F1 to F16 are added by number).
constexpr Named kNamed[] = {
    {8, u"BACKSPACE"}, {3, u"BREAK"},    {20, u"CAPSLOCK"},  {46, u"DELETE"},     {40, u"DOWN"},
    {35, u"END"},      {13, u"ENTER"},   {27, u"ESC"},       {47, u"HELP"},       {36, u"HOME"},
    {45, u"INSERT"},   {37, u"LEFT"},    {144, u"NUMLOCK"},  {34, u"PGDN"},       {33, u"PGUP"},
    {44, u"PRTSC"},    {39, u"RIGHT"},   {145, u"SCROLLLOCK"}, {9, u"TAB"},       {38, u"UP"},
    {107, u"ADD"},     {109, u"SUBTRACT"}, {106, u"MULTIPLY"}, {111, u"DIVIDE"},
};

int modifierBit(uint16_t vk) {
    switch (vk) {
        case VK_SHIFT: case 0xA0: case 0xA1: return ShiftBit;
        case VK_CONTROL: case 0xA2: case 0xA3: return CtrlBit;
        case VK_MENU: case 0xA4: case 0xA5: return AltBit;
        default: return 0;
    }
}

uint16_t genericOf(int bit) { return bit == ShiftBit ? VK_SHIFT : bit == CtrlBit ? VK_CONTROL : VK_MENU; }

// Keys that switch or drive the input method (VK_PROCESSKEY: a key it took).
// Not the JP keyboard's 英数 key (0xF0), which with Shift is Caps Lock.
bool inputMethodKey(uint16_t vk) {
    return (vk >= 0x15 && vk <= 0x1A) || (vk >= 0x1C && vk <= 0x1F) || vk == 0xE5 || (vk >= 0xF1 && vk <= 0xF4);
}

Str marks(int mods) {
    Str m;
    if (mods & ShiftBit) m += u'+';
    if (mods & CtrlBit) m += u'^';
    if (mods & AltBit) m += u'%';
    return m;
}

// "{c}": the notation's way to type c whatever it means to it.
Str braced(char16_t c) {
    Str b(3, u'{');
    b[1] = c;
    b[2] = u'}';
    return b;
}

// A character as the notation types it: its own special characters in
// braces, and the double quote too, so that no keystroke text can hold the
// quote-comma-quote that separates a document line's fields.
Str literal(char16_t c) {
    static constexpr StrView special = u"+^%~(){}[]\"";
    if (special.find(c) != StrView::npos) return braced(c);
    return Str(1, c);
}

// Text a key typed that the notation can type back: no control characters.
bool printable(StrView t) {
    if (t.empty()) return false;
    for (char16_t c : t)
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;
    return true;
}

Str literalText(StrView t) {
    Str r;
    for (char16_t c : t) r += literal(c);
    return r;
}

// The key-list name of each key, empty when the table has none. No
// keyboard sends VK_NONAME: it stands for a character nobody could read
// (Wine gives it to what the X server's input method composed).
const std::array<Str, 256>& listNames() {
    static const std::array<Str, 256> names = [] {
        std::array<Str, 256> n;
        for (auto& [name, code] : keys::table())
            if (code > 0 && code < 256 && code != VK_NONAME && n[size_t(code)].empty()) n[size_t(code)] = name;
        return n;
    }();
    return names;
}

// A modifier pressed by itself as a key-list item: the left key by the
// generic name, as the player presses it.
Str loneName(uint16_t vk, int bit) {
    const bool right = vk == 0xA1 || vk == 0xA3 || vk == 0xA5;
    return listNames()[right ? vk : genericOf(bit)];
}

// The player trims a key text and takes one that begins with "VK_" (behind
// modifier marks) for a key list: such a text is written so that it stays
// keystrokes and keeps its blanks.
Str playableText(Str t) {
    const size_t p = t.find_first_not_of(u"+^%");
    if (p != Str::npos && t.compare(p, 3, u"VK_") == 0) t.replace(p, 1, braced(u'V'));
    if (!t.empty() && isBlankChar(t.front())) t.replace(0, 1, braced(t.front()));
    if (!t.empty() && isBlankChar(t.back())) {
        const char16_t c = t.back();
        t.pop_back();
        t += braced(c);
    }
    return t;
}

bool within(os::Point p, os::Point centre, int32_t width, int32_t height) {
    return int64_t(std::abs(int64_t(p.x) - centre.x)) * 2 <= width && int64_t(std::abs(int64_t(p.y) - centre.y)) * 2 <= height;
}

// Milliseconds from a to b on the system's wrapping clock; 0 when b is earlier.
uint32_t elapsed(uint32_t a, uint32_t b) {
    const int32_t d = int32_t(b - a);
    return d > 0 ? uint32_t(d) : 0;
}

Str xy(os::Point p) { return toStr((long long)p.x) + u"," + toStr((long long)p.y); }

StrView buttonChar(int button) { return button == 1 ? u"右" : button == 2 ? u"中" : u"左"; }
// The button as the comments name it: a left click is just a click.
StrView buttonWord(int button) { return button == 1 ? u"右" : button == 2 ? u"中" : u""; }

Str clickAction(int button, int mods) {
    Str prefix = mods == ShiftBit ? u"ｼﾌﾄ" : mods == CtrlBit ? u"Ctrl" : mods == AltBit ? u"Alt" : u"";
    return prefix + Str(buttonChar(button)) + u"ｸﾘｯｸ";
}

Str modWord(int mods) { return mods == ShiftBit ? u"Shift+" : mods == CtrlBit ? u"Ctrl+" : mods == AltBit ? u"Alt+" : u""; }

// Seconds with up to three decimals ("1.5").
Str secondsText(uint32_t ms) { return toStr(double(ms) / 1000); }

}  // namespace

CharTable layoutCharacters(const std::function<int(char16_t)>& vkKeyScan,
                           const std::function<uint32_t(uint32_t)>& vkToChar) {
    CharTable t;
    for (char16_t c = 0x20; c <= 0x7E; ++c) {
        const int s = vkKeyScan ? vkKeyScan(c) : -1;
        if (s < 0 || (s & 0xFF) == 0xFF || (s >> 8) > 7) continue;
        t.emplace(uint16_t(s), c);  // the first character of a key and state wins
    }
    if (vkToChar) {
        for (uint32_t vk = 1; vk < 255; ++vk) {
            if (t.count(uint16_t(vk)) || (vk >= 'A' && vk <= 'Z')) continue;
            const uint32_t r = vkToChar(vk);
            const char16_t c = char16_t(r & 0xFFFF);
            if ((r & 0x80000000u) || c < 0x21 || c > 0x7E) continue;
            t.emplace(uint16_t(vk), c);
        }
    }
    return t;
}

Str notationOf(uint16_t vk, StrView typed, int mods, const CharTable& chars) {
    if (vk == VK_PACKET) return printable(typed) ? literalText(typed) : Str();
    for (const Named& n : kNamed)
        if (n.vk == vk) return marks(mods) + u"{" + Str(n.name) + u"}";
    if (vk >= 112 && vk <= 127) return marks(mods) + u"{F" + toStr((long long)(vk - 111)) + u"}";
    // Keypad digits type their digit whichever the layout.
    if (vk >= 0x60 && vk <= 0x69) return marks(mods) + Str(1, char16_t(u'0' + (vk - 0x60)));
    // What the key typed, unless Ctrl or Alt alone made it a command ("^c");
    // both together (AltGr) type characters. A space is a key like Enter,
    // whose marks stay.
    const int command = mods & (CtrlBit | AltBit);
    if (vk != VK_SPACE && printable(typed) && (command == 0 || command == (CtrlBit | AltBit))) return literalText(typed);
    auto find = [&](int m) -> char16_t {
        auto it = chars.find(uint16_t(vk | (m << 8)));
        return it == chars.end() ? 0 : it->second;
    };
    // The character of the whole state (Shift gives "A", AltGr its "@"),
    // else Ctrl and Alt as marks before the character, else every mark.
    if (char16_t c = find(mods)) return literal(c);
    if (char16_t c = find(mods & ShiftBit)) return marks(mods & ~ShiftBit) + literal(c);
    if (char16_t c = find(0)) return marks(mods) + literal(c);
    return Str();
}

Str spotText(const InputEvent& e) {
    const Str search = e.own || !e.frame ? Str() : anchor::titleSearchText(e.title);
    if (search.empty()) return xy(e.pt);
    return anchor::storedCommand(e.pt, *e.frame, search);
}

StepTurner::StepTurner(TurnerSettings settings) : s_(std::move(settings)) {
    if (s_.shift) down_[VK_SHIFT] = true;
    if (s_.ctrl) down_[VK_CONTROL] = true;
    if (s_.alt) down_[VK_MENU] = true;
}

int StepTurner::mods() const {
    int m = 0;
    if (down_[VK_SHIFT] || down_[0xA0] || down_[0xA1]) m |= ShiftBit;
    if (down_[VK_CONTROL] || down_[0xA2] || down_[0xA3]) m |= CtrlBit;
    if (down_[VK_MENU] || down_[0xA4] || down_[0xA5]) m |= AltBit;
    return m;
}

bool StepTurner::winHeld() const { return down_[VK_LWIN] || down_[VK_RWIN]; }

bool StepTurner::anyHeld() const { return recorded_.any() || press_.has_value(); }

void StepTurner::feed(const InputEvent& e) {
    if (!e.own && e.window && !e.title.empty()) titles_[e.window] = e.title;
    switch (e.kind) {
        case InputEvent::KeyDown: keyDown(e); break;
        case InputEvent::KeyUp: keyUp(e); break;
        case InputEvent::ButtonDown: buttonDown(e); break;
        case InputEvent::ButtonUp: buttonUp(e); break;
        case InputEvent::Move:
            if (press_ && !press_->dragging && !within(e.pt, press_->pt, s_.input.dragWidth, s_.input.dragHeight))
                press_->dragging = true;
            break;
        case InputEvent::Wheel:
        case InputEvent::ExtraButton: leftOut(e); break;
    }
}

void StepTurner::leftOut(const InputEvent& e) {
    if (!e.own) ++unrecordable_;
}

// ---------------------------------------------------------------------------
// Keys

void StepTurner::keyDown(const InputEvent& e) {
    const uint16_t vk = uint16_t(e.vk & 0xFF);
    if (int bit = modifierBit(vk)) {
        modifierDown(e, vk, bit);
        return;
    }
    lone_.reset();
    if (down_[vk]) {
        // The key's own repeats: its hold says it all. A key that types
        // something else with the same modifiers is pressed anew, its
        // release lost on the way (Wine loses it for a key that xdotool
        // maps to one character for a moment).
        const auto it = pressed_.find(vk);
        if (it == pressed_.end() || (it->second.text == e.text && it->second.mods == mods())) return;
        InputEvent up;
        up.kind = InputEvent::KeyUp;
        up.time = e.time;
        up.vk = vk;
        keyUp(up);
    }
    down_[vk] = true;
    pressed_[vk] = {e.text, mods()};
    if (e.own) {
        ownDown_[vk] = true;
        return;
    }
    if (inputMethodKey(vk)) inputMethodSeen_ = true;
    if (e.dead) {
        if (deadKey_) ++unrecordable_;
        deadKey_ = vk;
        return;
    }
    const int m = mods();
    if (deadKey_) settleDead(vk, e.text, m);
    // The Windows key, and what it does with a key: no action can do that.
    if (vk == VK_LWIN || vk == VK_RWIN || winHeld()) {
        ++unrecordable_;
        return;
    }
    KeyPress k;
    k.vk = vk;
    k.down = e.time;
    k.notation = notationOf(vk, e.text, m, s_.chars);
    if (const Str& name = listNames()[vk]; !name.empty()) k.item = marks(m) + name;
    if (k.notation.empty() && k.item.empty()) {
        ++unrecordable_;
        return;
    }
    addKey(std::move(k), e.window);
    recorded_[vk] = true;
}

void StepTurner::addKey(KeyPress k, os::WindowHandle window) {
    resolvePending();
    if (run_ && run_->keys.size() >= kMaxRunKeys) flushRun(k.down);
    beginAction(k.down, window, true);
    if (!run_) run_ = Run{window, {}};
    run_->keys.push_back(std::move(k));
}

void StepTurner::settleDead(uint16_t vk, StrView text, int mods) {
    deadKey_ = 0;
    // The accent reached the text (a composed letter, or the accent and the
    // letter) unless the key typed what it types by itself.
    const auto plain = s_.chars.find(uint16_t(vk | (mods << 8)));
    const bool alone = plain != s_.chars.end() && text == StrView(&plain->second, 1);
    if (!printable(text) || alone) ++unrecordable_;
}

bool StepTurner::otherKeyHeld() const {
    for (size_t vk = 0; vk < down_.size(); ++vk)
        if (down_[vk] && !modifierBit(uint16_t(vk))) return true;
    return false;
}

void StepTurner::modifierDown(const InputEvent& e, uint16_t vk, int bit) {
    const bool repeat = down_[vk];
    down_[vk] = true;
    if (repeat) return;
    // Pressed while no other key or button is: it may be pressed for
    // itself (a lone Alt opens the menu bar), which its release tells.
    if (e.own || otherKeyHeld() || press_) {
        lone_.reset();
        return;
    }
    lone_ = Lone{vk, mods() & ~bit, e.time, e.window};
}

void StepTurner::modifierUp(const InputEvent& e, uint16_t vk, int bit) {
    // Either key of the pair, and the pair as one when it was held at the start.
    down_[vk] = false;
    down_[genericOf(bit)] = false;
    if (!lone_) return;
    const Lone l = *lone_;
    lone_.reset();
    if (l.vk != vk) {
        // Modifiers only, let go in another order (Alt+Shift): no key list says that.
        ++unrecordable_;
        return;
    }
    KeyPress k;
    k.vk = vk;
    k.down = l.down;
    k.released = true;
    k.hold = elapsed(l.down, e.time);
    k.item = marks(l.marks) + loneName(vk, bit);
    k.alone = true;
    addKey(std::move(k), l.window);
    touchEnd(e.time);
}

void StepTurner::keyUp(const InputEvent& e) {
    const uint16_t vk = uint16_t(e.vk & 0xFF);
    if (int bit = modifierBit(vk)) {
        modifierUp(e, vk, bit);
        return;
    }
    down_[vk] = false;
    ownDown_[vk] = false;
    pressed_.erase(vk);
    if (!recorded_[vk]) return;
    recorded_[vk] = false;
    touchEnd(e.time);
    if (!run_) return;
    for (auto it = run_->keys.rbegin(); it != run_->keys.rend(); ++it) {
        if (it->vk != vk || it->released) continue;
        it->released = true;
        it->hold = elapsed(it->down, e.time);
        break;
    }
}

void StepTurner::flushRun(uint32_t now) {
    if (!run_) return;
    Run r = std::move(*run_);
    run_.reset();
    Str text;
    auto emitText = [&] {
        if (text.empty()) return;
        emit(actions::KeyInput, playableText(std::move(text)), comment(r.window, u"キー入力"));
        text.clear();
    };
    for (KeyPress& k : r.keys) {
        // A key still down when the run ends has been held this long so far.
        const uint32_t hold = k.released ? k.hold : elapsed(k.down, now);
        const bool held = hold > s_.input.keyRepeatDelayMs;
        if (held && !k.item.empty()) {
            emitText();
            emit(actions::KeyInputKai, k.item + u"(" + toStr((long long)hold) + u")",
                 comment(r.window, u"キーを押し続ける (" + secondsText(hold) + u"秒)"));
            continue;
        }
        // Held, but only the notation can name it: pressed once, the hold is lost.
        if (held) ++unrecordable_;
        if (!k.notation.empty()) {
            text += k.notation;
        } else {
            emitText();
            emit(k.alone ? actions::KeyInputKai : actions::KeyInput, k.item, comment(r.window, u"キー入力"));
        }
    }
    emitText();
}

// ---------------------------------------------------------------------------
// Mouse

void StepTurner::buttonDown(const InputEvent& e) {
    const uint8_t bit = uint8_t(1u << e.button);
    lone_.reset();
    if (e.own || press_) {
        // A second button while one is held is a chord no action plays.
        if (!e.own) ++unrecordable_;
        ignoreUp_ |= bit;
        return;
    }
    if (deadKey_) settleDead(deadKey_, u"", 0);
    Press p;
    p.button = e.button;
    p.pt = e.pt;
    p.spot = spotText(e);
    p.frame = e.frame;
    p.down = e.time;
    p.window = e.window;
    p.mods = mods();
    p.win = winHeld();
    if (pending_ && pending_->button == e.button && pending_->window == e.window &&
        elapsed(pending_->down, e.time) <= s_.input.doubleClickMs &&
        within(e.pt, pending_->pt, s_.input.doubleClickWidth, s_.input.doubleClickHeight)) {
        p.second = true;
    } else {
        resolvePending();
        beginAction(e.time, e.window, false, keepApart(e));
    }
    press_ = p;
    lastPress_ = p;
}

uint32_t StepTurner::keepApart(const InputEvent& e) const {
    // Played one interval after the last press, this one could fall inside
    // the double-click time; unless the user made a double click, a wait
    // keeps the two apart whatever the interval.
    if (!lastPress_ || lastPress_->button != e.button) return 0;
    if (!within(e.pt, lastPress_->pt, s_.input.doubleClickWidth, s_.input.doubleClickHeight)) return 0;
    if (elapsed(lastPress_->down, e.time) < s_.input.doubleClickMs) return 0;
    return s_.input.doubleClickMs + 100;
}

void StepTurner::buttonUp(const InputEvent& e) {
    const uint8_t bit = uint8_t(1u << e.button);
    if (ignoreUp_ & bit) {
        ignoreUp_ = uint8_t(ignoreUp_ & ~bit);
        return;
    }
    // A release whose press came before the recording began is no click.
    if (!press_ || press_->button != e.button) return;
    Press p = *press_;
    press_.reset();
    if (!within(e.pt, p.pt, s_.input.dragWidth, s_.input.dragHeight)) p.dragging = true;
    if (p.dragging) {
        if (p.second) {
            // The first click stays a click; the drag is an action of its own.
            resolvePending();
            beginAction(p.down, p.window, false);
        }
        if (p.mods || p.win) {
            ++unrecordable_;
        } else {
            // The executor's drag idiom: press at the start, move, and a
            // click of the same button at the end, whose release ends it.
            const Str b(buttonWord(p.button));
            // Its end goes where it was let go, also in another window;
            // no activation comes between while the button is held.
            const Str end = dragEnd(p, e);
            emit(Str(buttonChar(p.button)) + u"ﾄﾞﾗｯｸﾞ", p.spot, comment(p.window, b + u"ドラッグ開始"));
            emit(actions::MouseMove, end, u"記録: ドラッグ先へ移動");
            emit(clickAction(p.button, 0), end, u"記録: ドラッグ終了 (ボタンを離す)");
        }
    } else if (p.second) {
        const Press first = *pending_;
        pending_.reset();
        if (first.mods || first.win || p.mods || p.win) {
            ++unrecordable_;
        } else {
            emit(Str(buttonChar(p.button)) + u"Wｸﾘｯｸ", first.spot,
                 comment(first.window, Str(buttonWord(p.button)) + u"ダブルクリック"));
        }
    } else {
        pending_ = p;
    }
    touchEnd(e.time);
}

Str StepTurner::dragEnd(const Press& p, const InputEvent& release) const {
    // A drag that moved the window it began in (by its title bar, or its
    // left or top edge) ends at a place on the screen: in the window, the
    // end would follow the window and the drag would not move it.
    const bool movedItsWindow = release.window == p.window && release.frame && p.frame &&
                                release.frame->clientOrigin != p.frame->clientOrigin;
    return movedItsWindow ? xy(release.pt) : spotText(release);
}

void StepTurner::resolvePending() {
    if (!pending_) return;
    const Press c = *pending_;
    pending_.reset();
    if (std::popcount(unsigned(c.mods)) > 1 || c.win) {
        ++unrecordable_;
        return;
    }
    emit(clickAction(c.button, c.mods), c.spot,
         comment(c.window, modWord(c.mods) + Str(buttonWord(c.button)) + u"クリック"));
}

// ---------------------------------------------------------------------------
// Order, pauses and windows

void StepTurner::beginAction(uint32_t t, os::WindowHandle window, bool key, uint32_t minWaitMs) {
    Out w;
    // A pause counts only while nothing recorded is held down: a key held
    // for seconds is its own time.
    if (anyAction_ && !anyHeld()) {
        const uint32_t gap = elapsed(lastEnd_, t);
        // The player waits in whole seconds: the nearest one.
        if (gap >= kPauseMs) w.waitMs = std::min<int64_t>((int64_t(gap) + 500) / 1000, 2147483) * 1000;
    }
    if (minWaitMs > 0 && w.waitMs < int64_t(minWaitMs)) {
        w.waitMs = minWaitMs;
        w.atLeast = true;
    }
    if (w.waitMs > 0) {
        flushRun(t);
        const Str why = w.atLeast ? Str(u"ダブルクリックにならないように待つ")
                                  : u"次の操作まで" + toStr((long long)(w.waitMs / 1000)) + u"秒";
        w.step = MacroStep{Str(actions::Wait), Str(), u"記録: " + why};
        out_.push_back(std::move(w));
    }
    if (!haveWindow_ || window != lastWindow_) {
        flushRun(t);
        haveWindow_ = true;
        lastWindow_ = window;
        auto it = titles_.find(window);
        const Str text = it == titles_.end() ? Str() : anchor::titleSearchText(it->second);
        // A window without a title cannot be searched for; its action still counts.
        if (!text.empty()) emit(actions::WindowActive, text, u"記録: " + windowName(window) + u" を前面へ");
    }
    if (!key) flushRun(t);
    if (!anyAction_ || elapsed(lastEnd_, t) > 0) lastEnd_ = t;
    anyAction_ = true;
}

void StepTurner::touchEnd(uint32_t t) {
    if (elapsed(lastEnd_, t) > 0) lastEnd_ = t;
}

void StepTurner::emit(StrView action, Str text, Str comment) {
    Out o;
    o.step = MacroStep{Str(action), std::move(text), std::move(comment)};
    out_.push_back(std::move(o));
}

Str StepTurner::windowName(os::WindowHandle window) const {
    auto it = titles_.find(window);
    if (it == titles_.end()) return Str();
    Str t = trim(it->second);
    // "Document - Program": the program's name says enough.
    const size_t dash = t.rfind(u" - ");
    if (dash != Str::npos && !trim(StrView(t).substr(dash + 3)).empty()) t = trim(StrView(t).substr(dash + 3));
    if (t.size() > 40) t = t.substr(0, 40) + u"…";
    return t;
}

Str StepTurner::comment(os::WindowHandle window, StrView what) const {
    const Str name = windowName(window);
    return u"記録: " + (name.empty() ? Str(what) : name + u" で" + Str(what));
}

std::vector<MacroStep> StepTurner::finish(bool minutes) {
    resolvePending();
    // A modifier still down is no tap; an accent with no key after it is lost.
    lone_.reset();
    if (deadKey_) settleDead(deadKey_, u"", 0);
    // A button still held at the end is no finished action.
    if (press_) {
        ++unrecordable_;
        press_.reset();
    }
    uint32_t now = lastEnd_;
    if (run_)
        for (const KeyPress& k : run_->keys)
            if (elapsed(now, k.down) > 0) now = k.down;
    flushRun(now);
    std::vector<MacroStep> steps;
    steps.reserve(out_.size());
    for (Out& o : out_) {
        if (o.waitMs >= 0) {
            if (minutes) {
                // Thousandths of a minute. A pause rounds down: the player
                // rounds the wait up to whole seconds, so it waits the same
                // time. A wait that must not be shorter rounds up.
                const int64_t th = o.atLeast ? (o.waitMs + 59) / 60 : o.waitMs / 60;
                Str frac = toStr((long long)(th % 1000));
                o.step.command = toStr((long long)(th / 1000)) + u"." + Str(3 - frac.size(), u'0') + frac;
            } else {
                o.step.command = secondsText(uint32_t(o.waitMs));
            }
        }
        steps.push_back(std::move(o.step));
    }
    out_.clear();
    return steps;
}

}  // namespace recording
