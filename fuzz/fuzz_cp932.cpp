// The CP932 codec and the text helpers around it: decoding any bytes and
// encoding any UTF-16 text is total, stable and self-consistent.
#include <algorithm>

#include "fuzz_util.h"

namespace {

void checkEncode(const Str& s) {
    bool lossless = false;
    const std::string bytes = toCp932(s, &lossless);
    FUZZ_CHECK(lossless == fitsCp932(s), s);
    FUZZ_CHECK(long(bytes.size()) == cp932Length(s), s);
    if (lossless) FUZZ_CHECK(fromCp932(bytes) == s, s);  // every encodable text comes back
    // Whatever was lost became "?", so the bytes decode to one text that
    // encodes to the very same bytes.
    const Str back = fromCp932(bytes);
    FUZZ_CHECK(toCp932(back) == bytes, back);
}

void checkHelpers(const Str& s) {
    // Folding to half-width is idempotent and at most doubles the length.
    const Str h = toHalfWidth(s);
    FUZZ_CHECK(toHalfWidth(h) == h, s);
    FUZZ_CHECK(h.size() >= s.size() && h.size() <= 2 * s.size(), s);
    FUZZ_CHECK(ucase(s).size() == s.size() && lcase(s).size() == s.size(), s);
    FUZZ_CHECK(ucase(ucase(s)) == ucase(s), s);
    const Str t = trim(s);
    FUZZ_CHECK(trim(t) == t && ltrim(rtrim(s)) == t && rtrim(ltrim(s)) == t, s);
    FUZZ_CHECK(t.empty() || (!isBlankChar(t.front()) && !isBlankChar(t.back())), s);
    // UTF-8 round trip: exact unless the text holds a lone surrogate.
    const Str u = fromUtf8(toUtf8(s));
    FUZZ_CHECK(u.size() == s.size(), s);
    bool wellFormed = true;
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
            ++i;
        else if (c >= 0xD800 && c <= 0xDFFF)
            wellFormed = false;
    }
    if (wellFormed) FUZZ_CHECK(u == s, s);
    // Positions: mid/left/right/instr stay in range for any argument.
    const long n = long(s.size());
    for (long start : {1L, 2L, std::max(1L, n), n + 1, n + 2}) {
        FUZZ_CHECK(long(mid(s, start).size()) == std::max(0L, n - start + 1), s);
        if (n > 0) {
            const long hit = instr(s, s.substr(size_t(n / 2), 8), start);
            FUZZ_CHECK(hit == 0 || (hit >= start && hit <= n + 1), s);
        }
    }
    FUZZ_CHECK(left(s, n + 5) == s && right(s, n + 5) == s, s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 8192) return 0;
    const std::string_view raw(reinterpret_cast<const char*>(data), size);

    // Decoding is total: every byte yields a character or is the trail of
    // the one before, and decode -> encode -> decode is stable.
    const Str decoded = fromCp932(raw);
    FUZZ_CHECK(decoded.size() <= raw.size() && 2 * decoded.size() >= raw.size(), decoded);
    bool lossless = false;
    const std::string again = toCp932(decoded, &lossless);
    FUZZ_CHECK(fromCp932(again) == decoded, decoded);
    checkEncode(decoded);
    checkHelpers(decoded);

    // Any UTF-16 text, lone surrogates and NULs included.
    const Str units = fuzz::asUtf16(data, size);
    checkEncode(units);
    checkHelpers(units);
    checkHelpers(fromUtf8(raw));
    return 0;
}
