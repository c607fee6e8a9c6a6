#include "settings/digits.h"

bool isAllDigits(StrView text) {
    if (text.empty()) return false;
    // Every byte of the ANSI form, converted once: a double-byte character
    // has no byte that is an ASCII digit, and a character without an ANSI
    // form becomes "?".
    for (unsigned char b : toCp932(text))
        if (b < '0' || b > '9') return false;
    return true;
}

long ansiLength(StrView text) { return cp932Length(text); }

Str ansiMid(StrView text, long start, long length) {
    if (start < 1) err::raise(err::InvalidCall);
    std::string bytes = toCp932(text);
    if (size_t(start - 1) >= bytes.size()) return Str();
    std::string part = length < 0 ? bytes.substr(size_t(start - 1)) : bytes.substr(size_t(start - 1), size_t(length));
    return fromCp932(part);
}

Str ansiConvert(StrView text, int conversion) {
    switch (conversion) {
        case strconv::FromUnicode: {
            std::string bytes = toCp932(text);
            Str out;
            out.reserve(bytes.size());
            for (unsigned char b : bytes) out += char16_t(b);
            return out;
        }
        case strconv::ToUnicode: {
            std::string bytes;
            bytes.reserve(text.size());
            for (char16_t c : text) {
                if (c > 0xFF) err::raise(err::InvalidCall);
                bytes += char(c);
            }
            return fromCp932(bytes);
        }
        default:
            err::raise(err::InvalidCall);
    }
}
