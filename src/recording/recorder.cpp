// The recorder.
#include "recording/recorder.h"

namespace {
constexpr uint16_t VK_CONTROL = 0x11, VK_MENU = 0x12, VK_K = 'K';
constexpr uint16_t VK_SHIFT = 0x10;

bool isCtrl(uint16_t vk) { return vk == VK_CONTROL || vk == 0xA2 || vk == 0xA3; }
bool isAlt(uint16_t vk) { return vk == VK_MENU || vk == 0xA4 || vk == 0xA5; }
}  // namespace

Recorder::Recorder(tk::Backend& toolkit, os::Services& services)
    : tk_(toolkit), os_(services), link_(std::make_shared<Link>()) {
    link_->owner = this;
}

Recorder::~Recorder() {
    stop();
    dropKeyObserver();
    link_->owner = nullptr;
}

bool Recorder::start(uint32_t ownProcess, std::function<void()> onEndKey) {
    if (recording_) return true;
    dropKeyObserver();
    recording::TurnerSettings settings;
    settings.input = os_.inputSettings();
    settings.chars = recording::layoutCharacters([this](char16_t c) { return os_.vkKeyScan(c); },
                                                 // MAPVK_VK_TO_CHAR
                                                 [this](uint32_t vk) { return os_.mapVirtualKey(vk, 2); });
    // A modifier already down (the Ctrl of the Ctrl+K that started this)
    // counts until its release is seen.
    settings.shift = (os_.getAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
    settings.ctrl = (os_.getAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
    settings.alt = (os_.getAsyncKeyState(VK_MENU) & 0x8000) != 0;

    ownProcess_ = ownProcess;
    ctrlHeld_ = settings.ctrl;
    altHeld_ = settings.alt;
    endKeyDown_ = false;
    buttonsHeld_ = 0;
    ending_ = false;
    ++session_;
    turner_ = std::make_unique<recording::StepTurner>(std::move(settings));
    onEndKey_ = std::move(onEndKey);
    unrecordable_ = 0;

    // Injected input counts too: an on-screen keyboard or a remote session
    // types that way, and the program itself injects nothing meanwhile.
    keyObserver_ = os_.addKeyObserver([this](const os::RawKey& k) { return observeKey(k); }, true);
    if (keyObserver_) mouseObserver_ = os_.addMouseObserver([this](const os::RawMouse& m) { return observeMouse(m); }, true);
    if (!keyObserver_ || !mouseObserver_) {
        if (keyObserver_) os_.removeKeyObserver(keyObserver_);
        keyObserver_ = 0;
        turner_.reset();
        onEndKey_ = nullptr;
        return false;
    }
    recording_ = true;
    return true;
}

void Recorder::stop() {
    if (!recording_) return;
    // After these return no observer runs any more; events already posted
    // arrive after this and are dropped. The K of the Ctrl+K that ended the
    // recording may still be down: the key observer stays to take its
    // release too, and goes then.
    os_.removeMouseObserver(mouseObserver_);
    mouseObserver_ = 0;
    if (!endKeyDown_) dropKeyObserver();
    recording_ = false;
    onEndKey_ = nullptr;
}

void Recorder::dropKeyObserver() {
    if (keyObserver_) os_.removeKeyObserver(keyObserver_);
    keyObserver_ = 0;
}

std::vector<MacroStep> Recorder::takeSteps(bool minutes) {
    if (!turner_ || recording_) return {};
    std::vector<MacroStep> steps = turner_->finish(minutes);
    unrecordable_ = turner_->unrecordable();
    inputMethodSeen_ = turner_->inputMethodSeen();
    turner_.reset();
    return steps;
}

// ---------------------------------------------------------------------------
// The hook side: a few system calls that wait for no window, and a post.

bool Recorder::observeKey(const os::RawKey& k) {
    if (isCtrl(k.vk)) ctrlHeld_ = !k.up;
    if (isAlt(k.vk)) altHeld_ = !k.up;
    // The one key taken from the programs: the K of Ctrl+K, with its repeats
    // and its release, ends the recording wherever it is pressed. AltGr
    // (Ctrl and Alt) is a character, not this.
    if (k.vk == VK_K && (endKeyDown_ || (!k.up && ctrlHeld_ && !altHeld_))) {
        endKeyDown_ = !k.up;
        if (!k.up && !ending_.exchange(true)) requestEnd();
        if (k.up) {
            // Its release lets the key observer go, if the recording is over.
            tk_.post([link = link_, session = session_] {
                Recorder* r = link->owner;
                if (r && !r->recording_ && r->session_ == session) r->dropKeyObserver();
            });
        }
        return true;
    }
    if (ending_) return false;
    if (!k.up && k.vk == os::k::VK_PAUSE) {
        ending_ = true;
        requestEnd();
        return false;
    }
    recording::InputEvent e;
    e.kind = k.up ? recording::InputEvent::KeyUp : recording::InputEvent::KeyDown;
    e.time = k.time;
    e.vk = k.vk;
    for (char16_t c : k.typed)
        if (c) e.text += c;
    e.dead = k.dead;
    if (!k.up) noteWindow(os_.getForegroundWindow(), e);
    hand(std::move(e));
    return false;
}

bool Recorder::observeMouse(const os::RawMouse& m) {
    if (ending_) return false;
    using R = os::RawMouse;
    using E = recording::InputEvent;
    E e;
    e.time = m.time;
    e.pt = m.pt;
    switch (m.kind) {
        case R::Move:
            // Moves matter only for telling a drag from a click.
            if (buttonsHeld_ == 0) return false;
            e.kind = E::Move;
            break;
        case R::LeftDown: case R::RightDown: case R::MiddleDown:
            ++buttonsHeld_;
            e.kind = E::ButtonDown;
            e.button = m.kind == R::LeftDown ? 0 : m.kind == R::RightDown ? 1 : 2;
            noteWindow(os_.topLevelWindow(os_.windowFromPoint(m.pt)), e);
            break;
        case R::LeftUp: case R::RightUp: case R::MiddleUp:
            if (buttonsHeld_ > 0) --buttonsHeld_;
            e.kind = E::ButtonUp;
            e.button = m.kind == R::LeftUp ? 0 : m.kind == R::RightUp ? 1 : 2;
            // Where a drag ends.
            noteWindow(os_.topLevelWindow(os_.windowFromPoint(m.pt)), e);
            break;
        case R::ExtraDown:
        case R::Wheel:
        case R::HWheel:
            e.kind = m.kind == R::ExtraDown ? E::ExtraButton : E::Wheel;
            noteWindow(os_.topLevelWindow(os_.windowFromPoint(m.pt)), e);
            break;
        case R::ExtraUp:
            return false;
    }
    hand(std::move(e));
    return false;
}

void Recorder::noteWindow(os::WindowHandle h, recording::InputEvent& e) {
    e.window = h;
    e.own = h != 0 && os_.windowProcessId(h) == ownProcess_;
    // Read now, as the window is at this moment (a title changes with the
    // document it shows); never for the program's own windows, whose title
    // would be asked of the user-interface thread. The desktop and the
    // taskbar count as untitled: nothing to search for.
    if (!h || e.own || os_.windowStyle(h).shell) return;
    e.title = os_.getWindowText(h);
    if (e.kind == recording::InputEvent::ButtonDown || e.kind == recording::InputEvent::ButtonUp) {
        anchor::Frame f;
        if (os_.clientOrigin(h, f.clientOrigin)) {
            f.dpi = os_.windowDpi(h);
            e.frame = f;
        }
    }
}

void Recorder::hand(recording::InputEvent e) {
    tk_.post([link = link_, session = session_, e = std::move(e)] {
        if (link->owner) link->owner->accept(session, e);
    });
}

void Recorder::requestEnd() {
    tk_.post([link = link_, session = session_] {
        Recorder* r = link->owner;
        if (r && r->recording_ && r->session_ == session && r->onEndKey_) {
            auto onEnd = r->onEndKey_;  // it stops the recorder, which drops its own copy
            onEnd();
        }
    });
}

void Recorder::accept(uint32_t session, const recording::InputEvent& e) {
    if (!recording_ || session != session_ || !turner_) return;
    turner_->feed(e);
}
