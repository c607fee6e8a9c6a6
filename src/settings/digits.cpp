#include "settings/digits.h"

bool MF_NumericChk(StrView str_In) {
    if (str_In.empty()) return false;
    const long n = MF_LenByte(str_In);
    for (long i = 1; i <= n; ++i) {
        Str b = MF_StrConv(MF_MidByte(str_In, i, 1), strconv::FromUnicode);
        // A lone byte that is not a whole character comes back as the
        // replacement character, which is no digit either.
        if (b.size() != 1 || b[0] < u'0' || b[0] > u'9') return false;
    }
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
