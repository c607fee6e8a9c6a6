// What one row will do, told without doing it: where a mouse row acts, which
// window a window row looks for, how a key row's text will be sent, and a
// line for the other rows. Rows in, texts out; nothing here touches a window.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/os.h"
#include "platform/text.h"

namespace preview {

// The layout question of the keystroke sender (VkKeyScan's answer).
using LayoutFn = std::function<int(char16_t)>;

struct Context {
    LayoutFn layout;        // which key types a character
    bool powerOff = false;  // the settings switch the PC off after the end step
};

struct StepPreview {
    enum class Kind {
        Text,    // only the line in text
        Point,   // a mouse row acting at point; text says what it does there
        Window,  // a window row: the window search text is in search
    };
    Kind kind = Kind::Text;
    Str text;
    // The text is the failure the run would report for this row.
    bool failure = false;
    os::Point point;
    Str search;
};

// One row, its action without blanks at both ends and its run parameters as
// the check of the row left them (the row passed it). RtError as the run
// raises it for a number that does not fit (a coordinate, a wait).
StepPreview previewStep(StrView action, const Str& X, const Str& Y, const Context& ctx);

// How a key list will be sent: "Shift+End → Ctrl+C", a hold as "A(500ms)".
// False with the run's message in out for an unsupported key.
bool describeKeyList(StrView text, Str& out);

// How keystroke text will be sent, in the same form: each key with the
// modifiers held for it, a character the layout cannot type as itself.
// False with the run's message in out for malformed text.
bool describeKeystrokes(StrView text, const LayoutFn& layout, Str& out);

// The display name of a virtual key ("End", "Enter", "F5", "A").
Str keyName(uint16_t vk, const LayoutFn& layout);

}  // namespace preview
