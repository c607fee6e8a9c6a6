// CP932 codec from baked-in tables (tools/gen_cp932.py), so files read and
// written the same on every machine whatever its code page.
#include <algorithm>

#include "platform/text.h"

namespace {

#include "cp932_table.inc"

constexpr char16_t kUndefined = 0x30FB;  // what Windows substitutes when decoding

bool isLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

int leadIndex(unsigned char b) { return b <= 0x9F ? b - 0x81 : b - 0xE0 + 31; }

// Index among the 188 trail bytes, or -1.
int trailIndex(unsigned char b) {
    if (b >= 0x40 && b <= 0x7E) return b - 0x40;
    if (b >= 0x80 && b <= 0xFC) return b - 0x80 + 63;
    return -1;
}

// CP932 code of c (one byte when < 0x100), or -1.
long encodeUnit(char16_t c) {
    if (c < 0x80) return c;  // ASCII is itself; documents are mostly ASCII
    const unsigned int key = static_cast<unsigned int>(c) << 16;
    const unsigned int* end = kCp932Encode + sizeof kCp932Encode / sizeof kCp932Encode[0];
    const unsigned int* it = std::lower_bound(kCp932Encode, end, key);
    if (it == end || (*it >> 16) != c) return -1;
    return static_cast<long>(*it & 0xFFFF);
}

// Calls emit(code) per UTF-16 unit, code -1 for one that has no CP932 form.
// As in Windows, a surrogate pair is two such units (two default characters).
template <class Emit>
void encodeEach(StrView s, Emit emit) {
    for (char16_t c : s) emit(encodeUnit(c));
}

}  // namespace

std::string toCp932(StrView s, bool* lossless) {
    std::string out;
    out.reserve(s.size() * 2);
    bool ok = true;
    encodeEach(s, [&](long code) {
        if (code < 0) {
            out.push_back('?');
            ok = false;
        } else if (code >= 0x100) {
            out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
        } else {
            out.push_back(static_cast<char>(code));
        }
    });
    if (lossless) *lossless = ok;
    return out;
}

bool fitsCp932(StrView s) {
    bool ok = true;
    encodeEach(s, [&](long code) { ok = ok && code >= 0; });
    return ok;
}

long cp932Length(StrView s) {
    long total = 0;
    encodeEach(s, [&](long code) { total += code >= 0x100 ? 2 : 1; });
    return total;
}

Str fromCp932(std::string_view bytes) {
    Str out;
    appendFromCp932(bytes, out);
    return out;
}

void appendFromCp932(std::string_view bytes, Str& out) {
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (!isLead(b)) {
            const char16_t c = kCp932Single[b];
            out.push_back(c != 0 || b == 0 ? c : kUndefined);
            continue;
        }
        // As Windows reads it: a lead byte takes the next byte whatever it
        // is, except a NUL or the end of the text, and an undefined pair is
        // one undefined character.
        if (i + 1 >= n || bytes[i + 1] == 0) {
            out.push_back(kUndefined);
            continue;
        }
        const int t = trailIndex(static_cast<unsigned char>(bytes[i + 1]));
        const char16_t c = t < 0 ? 0 : kCp932Pairs[leadIndex(b) * 188 + t];
        out.push_back(c != 0 ? c : kUndefined);
        ++i;
    }
}
