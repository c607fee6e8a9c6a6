// The turning of recorded input into steps: raw key and mouse events in, in
// the order they happened, ordinary steps out, written with the actions and
// texts the player already plays (clicks, double clicks, the drag idiom,
// keystroke text, held keys as key lists, window activation, waits). Pure:
// what the hooks knew of each event's window comes with the event.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "core/model.h"
#include "input/anchor.h"
#include "platform/os.h"
#include "platform/text.h"

namespace recording {

// One input event as the recorder hands it over.
struct InputEvent {
    enum Kind : uint8_t {
        KeyDown, KeyUp,
        ButtonDown, ButtonUp,  // left, right or middle
        Move,                  // only while a button is held
        Wheel,                 // a turn of either wheel
        ExtraButton,           // a press of a side button
    };
    Kind kind = KeyDown;
    uint32_t time = 0;            // system milliseconds
    uint16_t vk = 0;              // keys: the virtual key (left and right modifiers as themselves)
    // Key presses: what the key typed, as the hook read it (a VK_PACKET
    // key's character too); empty when it typed nothing or nobody could
    // tell. A dead key has dead set and its accent here: the accent goes
    // with the next key.
    Str text;
    bool dead = false;
    int button = 0;               // 0 left, 1 right, 2 middle
    os::Point pt;                 // mouse: screen pixels
    // Presses, and releases of a button: the top-level window they go to
    // (the foreground window for keys, the window under the point for the
    // mouse), whether it is one of the program's own, and its title as it
    // was then (empty for the program's own windows, the desktop and the
    // taskbar).
    os::WindowHandle window = 0;
    bool own = false;
    Str title;
    // Mouse presses and releases: where the window's client area stood and
    // the DPI of its monitor, read when the event happened; none when they
    // could not be read.
    std::optional<anchor::Frame> frame;
};

// The characters the keyboard layout types: key (low byte) and shift state
// (bits 8..10: Shift, Ctrl, Alt) -> character.
using CharTable = std::map<uint16_t, char16_t>;

// The table of a layout, from its answers for each printable ASCII
// character (as VkKeyScan gives them), completed by the unshifted character
// of keys that none of those answers named (as MapVirtualKey gives it; bit
// 31 marks a dead key). Playback types a character with the key VkKeyScan
// names, so a key recorded as its character is the key played.
CharTable layoutCharacters(const std::function<int(char16_t)>& vkKeyScan,
                           const std::function<uint32_t(uint32_t)>& vkToChar);

struct TurnerSettings {
    os::InputSettings input;
    CharTable chars;
    bool shift = false, ctrl = false, alt = false;  // held when recording starts
};

class StepTurner {
public:
    explicit StepTurner(TurnerSettings settings);

    void feed(const InputEvent& e);

    // Ends what is still open (a click that could have become a double
    // click, a run of keys) and gives the steps. Waits are written in
    // minutes when minutes, else in seconds.
    std::vector<MacroStep> finish(bool minutes);

    // Operations that no action can hold, left out, each counted once
    // (every turn of a wheel, side buttons, clicks with two modifiers,
    // double clicks and drags with one, keys nothing can name, accents
    // that did not reach a character...).
    int unrecordable() const { return unrecordable_; }

    // Whether keys of the input method went by: what it composed never
    // passes the hooks.
    bool inputMethodSeen() const { return inputMethodSeen_; }

    // A run of keys becomes a new step after this many presses, which keeps
    // each keystroke text well inside what the sender takes.
    static constexpr size_t kMaxRunKeys = 5000;

private:
    struct KeyPress {
        uint16_t vk = 0;
        uint32_t down = 0;
        bool released = false;
        uint32_t hold = 0;
        Str notation;  // in the keystroke notation; empty when it cannot write it
        Str item;      // as a key-list item with its marks; empty without a name
        bool alone = false;  // a modifier pressed and released by itself
    };
    struct Run {
        os::WindowHandle window = 0;
        std::vector<KeyPress> keys;
    };
    struct Press {
        int button = 0;
        os::Point pt;
        Str spot;  // the point as the step writes it
        std::optional<anchor::Frame> frame;  // of its window, as at the press
        uint32_t down = 0;
        os::WindowHandle window = 0;
        int mods = 0;
        bool win = false;        // a Windows key was held
        bool dragging = false;
        bool second = false;     // the second press of a double click
    };
    struct Out {
        MacroStep step;
        int64_t waitMs = -1;   // a "待機" step: its length
        bool atLeast = false;  // ... which the document's unit must not shorten
    };
    // A modifier that may turn out to be pressed by itself.
    struct Lone {
        uint16_t vk = 0;
        int marks = 0;  // the other modifiers held
        uint32_t down = 0;
        os::WindowHandle window = 0;
    };

    void keyDown(const InputEvent& e);
    void keyUp(const InputEvent& e);
    void buttonDown(const InputEvent& e);
    void buttonUp(const InputEvent& e);
    void leftOut(const InputEvent& e);
    void modifierDown(const InputEvent& e, uint16_t vk, int bit);
    void modifierUp(const InputEvent& e, uint16_t vk, int bit);
    // The accent of a dead key before a key that typed text (empty at a
    // click or the end): lost unless the text carries it.
    void settleDead(uint16_t vk, StrView text, int mods);

    int mods() const;
    bool winHeld() const;
    bool anyHeld() const;
    bool otherKeyHeld() const;  // a key other than Shift, Ctrl and Alt
    // Before a new action: the click waiting for its second, a pause, a
    // change of window; a mouse action also ends the run of keys. A wait of
    // at least minWaitMs goes before it in any case.
    void beginAction(uint32_t t, os::WindowHandle window, bool key, uint32_t minWaitMs = 0);
    void addKey(KeyPress k, os::WindowHandle window);
    // The wait a press needs so that playing it cannot make a double click
    // of it and the last press: 0 when none.
    uint32_t keepApart(const InputEvent& e) const;
    void touchEnd(uint32_t t);
    void resolvePending();
    void flushRun(uint32_t now);

    // A drag's end as its steps write it.
    Str dragEnd(const Press& p, const InputEvent& release) const;
    void emit(StrView action, Str text, Str comment);
    Str comment(os::WindowHandle window, StrView what) const;
    Str windowName(os::WindowHandle window) const;

    TurnerSettings s_;
    std::vector<Out> out_;
    int unrecordable_ = 0;
    std::bitset<256> down_;       // keys held now
    std::bitset<256> recorded_;   // held keys whose press was recorded
    std::bitset<256> ownDown_;    // held keys pressed in the program's own windows
    struct Pressed {
        Str text;
        int mods = 0;
    };
    std::map<uint16_t, Pressed> pressed_;  // what each held key typed, with which modifiers
    std::map<os::WindowHandle, Str> titles_;
    bool anyAction_ = false;
    uint32_t lastEnd_ = 0;        // when the latest action ended
    bool haveWindow_ = false;
    os::WindowHandle lastWindow_ = 0;
    std::optional<Run> run_;
    std::optional<Press> press_;
    std::optional<Press> pending_;  // a click that may get its second
    std::optional<Press> lastPress_;  // the latest press played back
    uint8_t ignoreUp_ = 0;          // buttons whose release is not recorded
    std::optional<Lone> lone_;
    uint16_t deadKey_ = 0;          // a dead key whose accent the next key should carry
    bool inputMethodSeen_ = false;
};

// Where a mouse event lands, as a mouse step writes it: the point in the
// client area of its window at 96 DPI, and the window's longest comma-free
// title part ("120,45,無題 - メモ帳"); a screen point ("812,455") where the
// window has no title or where it stood is not known.
Str spotText(const InputEvent& e);

// A key press in the keystroke notation ("a", "A", "{(}", "é", "^c",
// "+{TAB}", "%{F4}"), empty when the notation cannot write it. typed is what
// the key typed (as InputEvent::text); without it the layout's table
// tells. mods: bits 1 Shift, 2 Ctrl, 4 Alt.
Str notationOf(uint16_t vk, StrView typed, int mods, const CharTable& chars);

}  // namespace recording
