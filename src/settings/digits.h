// Byte-wise helpers over the ANSI (CP932) form of a text, used by the
// settings dialog to check the stop-timer field.
#pragma once

#include "platform/text.h"

// Conversions of ansiConvert.
namespace strconv {
constexpr int FromUnicode = 128;  // text -> ANSI bytes, one byte per unit
constexpr int ToUnicode = 64;     // ANSI bytes (one per unit) -> text
}  // namespace strconv

// True when the text is not empty and every byte of its ANSI form is one of
// the ASCII digits "0" to "9".
bool isAllDigits(StrView text);
// Length in ANSI bytes (a double-byte character counts 2).
long ansiLength(StrView text);
// Bytes of the ANSI form from the 1-based byte position, length bytes
// (negative: to the end), turned back into text. A cut through a double-byte
// character yields the codec's replacement character.
Str ansiMid(StrView text, long start, long length = -1);
// 128: the ANSI bytes of the text, each held in one code unit;
// 64: the reverse. Any other conversion fails (error 5).
Str ansiConvert(StrView text, int conversion);
