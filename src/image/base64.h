// Base64 (RFC 4648, standard alphabet, padded) for images inside documents.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace image {

std::string base64Encode(std::string_view bytes);

// Strict: only the alphabet, no blanks or line breaks, padding exactly as
// the encoder writes it and the bits it leaves over zero, so every text it
// accepts is the one the encoder makes of the result. nullopt otherwise.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace image
