#include "settings/digits.h"

bool MF_NumericChk(StrView str_In) {
    if (str_In.empty()) return false;
    // Every byte of the ANSI form, converted once: a double-byte character
    // has no byte that is an ASCII digit, and a character without an ANSI
    // form becomes "?".
    for (unsigned char b : toCp932(str_In))
        if (b < '0' || b > '9') return false;
    return true;
}

long MF_LenByte(StrView str_In) { return cp932Length(str_In); }

Str MF_MidByte(StrView str_In, long lng_Start, long lng_Len) {
    if (lng_Start < 1) err::raise(err::InvalidCall);
    std::string bytes = toCp932(str_In);
    if (size_t(lng_Start - 1) >= bytes.size()) return Str();
    std::string part = lng_Len < 0 ? bytes.substr(size_t(lng_Start - 1)) : bytes.substr(size_t(lng_Start - 1), size_t(lng_Len));
    return fromCp932(part);
}

Str MF_StrConv(StrView str_In, int int_Conv) {
    switch (int_Conv) {
        case strconv::FromUnicode: {
            std::string bytes = toCp932(str_In);
            Str out;
            out.reserve(bytes.size());
            for (unsigned char b : bytes) out += char16_t(b);
            return out;
        }
        case strconv::ToUnicode: {
            std::string bytes;
            bytes.reserve(str_In.size());
            for (char16_t c : str_In) {
                if (c > 0xFF) err::raise(err::InvalidCall);
                bytes += char(c);
            }
            return fromCp932(bytes);
        }
        default:
            err::raise(err::InvalidCall);
    }
}
