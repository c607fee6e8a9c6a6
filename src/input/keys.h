// Key names and key lists ("VK_HOME,+VK_END,^VK_C(300)"): the fixed table of
// supported names and the list parser, free of any window so that it can be
// checked on its own.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/error_sink.h"
#include "platform/text.h"

// Result arrays of the key-list parser, entries 1..n (entry 0 unused).
struct KeyArrays {
    std::vector<int16_t> code{0};
    std::vector<int32_t> wait{0};
    std::vector<bool> shift{false};
    std::vector<bool> ctrl{false};
    std::vector<bool> alt{false};
    int32_t last() const { return int32_t(code.size()) - 1; }
};

namespace keys {

// The supported names in table order with their virtual-key codes.
const std::vector<std::pair<Str, int16_t>>& table();

// Code of an upper-case key name, 0 when the name is not supported.
int16_t codeOf(StrView upperName);

// Parses a key list into out (entries 1..n; entry 0 unused). Returns false
// at the first unsupported item and puts that item, trimmed and as typed,
// into unsupported: the entries before it are complete, the failing one
// keeps its modifier flags and hold time with code 0, later ones are empty.
// A hold time outside the 32-bit range raises RtError 6 with out holding
// what was set up to then.
bool parseKeyList(StrView text, KeyArrays& out, Str& unsupported);

// A key list as a run and the hot keys read it: false with the unsupported
// item when parseKeyList finds one, for the caller to tell the user (and
// stop, as an unsupported key always does). A hold time out of range is
// reported to sink under "MS_HotKey_StrToArry" and the list read up to it
// counts (true).
bool readKeyList(ErrorSink& sink, StrView text, KeyArrays& out, Str& unsupported);

// Whether a key-input text is a key list rather than keystroke text: it
// starts with "VK_" (case-sensitive), possibly behind the modifier marks of
// its first item ("^VK_C", "+VK_A(300)"), which the notation allows there.
bool isKeyList(StrView text);

// The message about an unsupported item of a key list (the item as typed).
Str unsupportedKeyMessage(const Str& item);

}  // namespace keys
