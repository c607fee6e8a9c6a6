#include "image/png.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>

// The codecs themselves come from stb, compiled here with the PNG reader
// and writer only. Huge pictures are refused inside the decoder too,
// whatever a caller checked before.
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb_image.h>
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

static_assert(STBI_MAX_DIMENSIONS == image::kMaxDecodeSide, "the decoder's own cap");

namespace image {

namespace {

[[noreturn]] void refuse(const Str& why) { err::raise(err::InvalidCall, why); }

[[noreturn]] void refuseLarger(int32_t side) {
    refuse(u"画像が大きすぎます（" + toStr((long long)side) + u"×" + toStr((long long)side) + u"ピクセルまで）");
}

uint32_t be32(std::string_view bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

// The size a PNG's header chunk gives, read without the decoder; false
// when the bytes do not begin as a PNG does.
bool headerSize(std::string_view bytes, uint32_t& width, uint32_t& height) {
    constexpr std::string_view kStart("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    if (bytes.size() < 24 || bytes.substr(0, 16) != kStart) return false;
    width = be32(bytes, 16);
    height = be32(bytes, 20);
    return true;
}

uint32_t crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (char b : bytes) c = table[(c ^ uint8_t(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void appendBe32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += char((v >> shift) & 0xFF);
}

// The chunks up to IEND, each whole and with its checksum right (the
// decoder looks at neither, and a damaged picture must not read as
// another); empty IDAT chunks are left out, for which the decoder would
// copy from nowhere. A palette of fewer than 256 colours is filled up with
// opaque black: the decoder reads a pixel's colour from its palette by the
// index the pixel holds, and an index past the colours given would read
// memory never written. False when the file is damaged.
bool tidyChunks(std::string_view bytes, std::string& out) {
    out.assign(bytes.substr(0, 8));
    for (size_t at = 8;;) {
        if (bytes.size() - at < 12) return false;
        const uint32_t length = be32(bytes, at);
        if (length > bytes.size() - at - 12) return false;
        const std::string_view type = bytes.substr(at + 4, 4);
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION  // else the fuzzer would hardly get past the checksums
        if (crc32(bytes.substr(at + 4, 4 + size_t(length))) != be32(bytes, at + 8 + length)) return false;
#endif
        constexpr uint32_t kFullPalette = 256 * 3;
        if (type == "PLTE" && length % 3 == 0 && length < kFullPalette) {
            std::string chunk(type);
            chunk.append(bytes.substr(at + 8, length));
            chunk.append(kFullPalette - length, '\0');
            appendBe32(out, kFullPalette);
            out += chunk;
            appendBe32(out, crc32(chunk));
        } else if (length != 0 || type != "IDAT") {
            out.append(bytes.substr(at, 12 + size_t(length)));
        }
        at += 12 + size_t(length);
        if (type == "IEND") return true;
    }
}

void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
}

}  // namespace

Image decodePng(std::string_view bytes, int32_t maxSide) {
    // Only the header is read first: a PNG that claims to be huge costs
    // nothing.
    uint32_t claimedW = 0, claimedH = 0;
    if (bytes.size() > size_t(INT_MAX) || !headerSize(bytes, claimedW, claimedH)) refuse(u"PNGではありません");
    maxSide = std::clamp(maxSide, int32_t(1), kMaxDecodeSide);
    if (claimedW > uint32_t(maxSide) || claimedH > uint32_t(maxSide)) refuseLarger(maxSide);
    std::string chunks;
    if (!tidyChunks(bytes, chunks)) refuse(u"PNGが壊れています");
    const auto* data = reinterpret_cast<const stbi_uc*>(chunks.data());
    const int length = int(chunks.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels) || width <= 0 || height <= 0)
        refuse(u"PNGが壊れています");
    stbi_uc* rgba = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
    if (!rgba) refuse(u"PNGが壊れています");
    if (width > maxSide || height > maxSide) {  // what the header said, but checked on what came out
        stbi_image_free(rgba);
        refuseLarger(maxSide);
    }
    Image img;
    img.width = width;
    img.height = height;
    const size_t n = size_t(width) * size_t(height);
    img.pixels.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const stbi_uc* p = rgba + 4 * i;
        img.pixels[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    stbi_image_free(rgba);
    return img;
}

std::string encodePng(const Image& img) {
    if (img.empty() || img.pixels.size() != size_t(img.width) * size_t(img.height)) refuse(u"画像がありません");
    if (img.width > kMaxSide || img.height > kMaxSide) refuseLarger(kMaxSide);
    std::string rgba(img.pixels.size() * 4, '\0');
    for (size_t i = 0; i < img.pixels.size(); ++i) {
        const uint32_t p = img.pixels[i];
        rgba[4 * i] = char((p >> 16) & 0xFF);
        rgba[4 * i + 1] = char((p >> 8) & 0xFF);
        rgba[4 * i + 2] = char(p & 0xFF);
        rgba[4 * i + 3] = char(p >> 24);
    }
    std::string out;
    if (!stbi_write_png_to_func(appendBytes, &out, img.width, img.height, 4, rgba.data(), img.width * 4))
        err::raise(err::OutOfMemory, u"PNGを作れません");
    return out;
}

}  // namespace image
