// Shared helpers of the fuzz targets: turning raw bytes into texts and a
// failure check that aborts (libFuzzer then keeps the input as a crash).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace fuzz {

// A broken invariant: print it and abort so the input is saved.
[[noreturn]] inline void fail(const char* what, const Str& detail = Str()) {
    std::fprintf(stderr, "invariant broken: %s [%s]\n", what, toUtf8(detail).c_str());
    std::abort();
}
#define FUZZ_CHECK(cond, detail)                         \
    do {                                                 \
        if (!(cond)) ::fuzz::fail(#cond, (detail));      \
    } while (0)

// Raw bytes as UTF-16 code units (little endian pairs), so lone surrogates
// and NULs reach the code under test.
inline Str asUtf16(const uint8_t* data, size_t size) {
    Str s;
    s.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) s.push_back(char16_t(data[i] | (data[i + 1] << 8)));
    return s;
}

// Seeds are plain UTF-8 text; an input whose first byte is 0x01 is read as
// CP932 bytes and one starting with 0x02 as raw UTF-16 units instead.
inline Str asText(const uint8_t* data, size_t size) {
    if (size == 0) return Str();
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0]) {
    case 0x01: return fromCp932(rest);
    case 0x02: return asUtf16(data + 1, size - 1);
    default: return fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    }
}

}  // namespace fuzz
