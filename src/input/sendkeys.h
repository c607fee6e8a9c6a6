// The keystroke sender: keystroke text in the SendKeys notation ("abc",
// "+(ab)", "^{HOME}", "{TAB 3}", "~") turned into key events and injected
// into the foreground window. The parser is pure; the layout question
// ("which key types this character?") is passed in.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/os.h"
#include "platform/text.h"

namespace sendkeys {

// One key event: a virtual key going down or up, or one UTF-16 unit typed
// as a Unicode character (characters the layout cannot type: kana, kanji).
struct KeyEvent {
    uint16_t vk = 0;       // 0 for a Unicode event
    char16_t unit = 0;     // the UTF-16 unit of a Unicode event
    bool up = false;
    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

// Layout question as VkKeyScan answers it: low byte the virtual key, bits
// 8..10 Shift, Ctrl, Alt; -1 when the layout cannot type the character.
using LayoutFn = std::function<int(char16_t)>;

// Limits that keep hostile text from exhausting the stack or the memory.
constexpr int kMaxDepth = 64;          // nested round brackets
constexpr long kMaxRepeat = 10000;     // count of "{KEY n}"
constexpr size_t kMaxEvents = 200000;  // events of one text

// Parses text; RtError 5 when it is malformed (unclosed or unmatched
// bracket or brace, unknown key name, bad count, a modifier with no key,
// a lone "[" or "]") or exceeds the limits above.
std::vector<KeyEvent> parse(StrView text, const LayoutFn& layout);

// The input records of the events, as one SendInput batch carries them.
std::vector<os::KeyInput> toRecords(const std::vector<KeyEvent>& events, os::Services& os);

// Parses and sends text to the foreground window in one SendInput batch, so
// that no real keystroke can interleave with it. RtError 5 for malformed
// text; RtError 70 when the system refuses the input. wait is accepted for
// the notation's sake: the batch is in the input queue when this returns.
void send(os::Services& os, StrView text, bool wait);

}  // namespace sendkeys
