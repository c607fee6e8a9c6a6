// Byte-wise helpers over the ANSI (CP932) form of a text, used by the
// settings dialog to check the stop-timer field.
#pragma once

#include "platform/text.h"

// Conversions of MF_StrConv.
namespace strconv {
constexpr int FromUnicode = 128;  // text -> ANSI bytes, one byte per unit
constexpr int ToUnicode = 64;     // ANSI bytes (one per unit) -> text
}  // namespace strconv

// True when the text is not empty and every byte of its ANSI form is one of
// the ASCII digits "0" to "9".
bool MF_NumericChk(StrView str_In);
// Length in ANSI bytes (a double-byte character counts 2).
long MF_LenByte(StrView str_In);
// Bytes of the ANSI form from the 1-based byte position, lng_Len bytes
// (negative: to the end), turned back into text. A cut through a double-byte
// character yields the codec's replacement character.
Str MF_MidByte(StrView str_In, long lng_Start, long lng_Len = -1);
// 128: the ANSI bytes of the text, each held in one code unit;
// 64: the reverse. Any other conversion fails (error 5).
Str MF_StrConv(StrView str_In, int int_Conv);
