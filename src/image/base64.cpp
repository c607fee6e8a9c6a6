#include "image/base64.h"

#include <array>
#include <cstdint>

namespace image {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of each byte in the alphabet, -1 for the others.
constexpr std::array<int8_t, 256> kValues = [] {
    std::array<int8_t, 256> v{};
    v.fill(-1);
    for (int i = 0; i < 64; ++i) v[static_cast<unsigned char>(kAlphabet[i])] = int8_t(i);
    return v;
}();

}  // namespace

std::string base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t n = uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]);
        out += kAlphabet[n >> 18];
        out += kAlphabet[(n >> 12) & 63];
        out += kAlphabet[(n >> 6) & 63];
        out += kAlphabet[n & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t n = uint32_t(uint8_t(bytes[i])) << 16;
        if (rest == 2) n |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        out += kAlphabet[n >> 18];
        out += kAlphabet[(n >> 12) & 63];
        out += rest == 2 ? kAlphabet[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    size_t padding = 0;
    if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const size_t digits = last ? 4 - padding : 4;
        uint32_t n = 0;
        for (size_t k = 0; k < 4; ++k) {
            int v = 0;
            if (k < digits) {
                v = kValues[static_cast<unsigned char>(text[i + k])];
                if (v < 0) return std::nullopt;
            }
            n = n << 6 | uint32_t(v);
        }
        out += char(n >> 16);
        if (digits >= 3) out += char((n >> 8) & 0xFF);
        if (digits == 4) out += char(n & 0xFF);
        // Bits below the last whole byte must be zero: one text per value.
        if (digits == 3 && (n & 0xFF) != 0) return std::nullopt;
        if (digits == 2 && (n & 0xFFFF) != 0) return std::nullopt;
    }
    return out;
}

}  // namespace image
