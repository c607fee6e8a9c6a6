// PNG in and out of the image type, through stb (the PNG codec only).
#pragma once

#include <string>
#include <string_view>

#include "image/image.h"
#include "platform/text.h"

namespace image {

// Decodes a PNG file's bytes. The size in the header is read first: a
// picture wider or taller than maxSide is refused before anything is
// decoded. Throws RtError with a Japanese description on any failure.
// (maxSide is larger than kMaxSide only for pictures that are no image of
// a document, such as the benchmark's screenshot; at most kMaxDecodeSide.)
constexpr int32_t kMaxDecodeSide = 16384;
Image decodePng(std::string_view bytes, int32_t maxSide = kMaxSide);

// Encodes as an 8-bit RGBA PNG. Throws RtError when the image is empty or
// exceeds kMaxSide.
std::string encodePng(const Image& img);

}  // namespace image
