// Images inside documents: the PNG decoder, the image key line and base64,
// each with the round trips they promise. The first byte picks the part:
// 'P' the rest is a PNG file, 'L' an image key line (UTF-8), anything else
// base64 text.
#include <string_view>

#include "fuzz_util.h"
#include "image/base64.h"
#include "image/document_images.h"
#include "image/matcher.h"
#include "image/png.h"

namespace {

void checkDecoded(const image::Image& img) {
    FUZZ_CHECK(img.width > 0 && img.height > 0 && img.width <= image::kMaxSide && img.height <= image::kMaxSide, Str());
    FUZZ_CHECK(img.pixels.size() == size_t(img.width) * size_t(img.height), Str());
    // Written again, it reads back the same (small ones: encoding a large
    // picture would cost the fuzzer most of its time).
    if (img.pixels.size() <= 64 * 64) FUZZ_CHECK(image::decodePng(image::encodePng(img)) == img, Str());
    // On a screen that shows exactly its pixels it is found there, at the
    // only place, unless nothing of it is opaque.
    os::ScreenPixels screen{{-3, -5, img.width - 3, img.height - 5}, img.pixels};
    const auto at = image::findImage(screen, img, 0);
    FUZZ_CHECK(at.has_value() == image::hasOpaquePixel(img), Str());
    if (at) FUZZ_CHECK(*at == (os::Point{-3, -5}), Str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] == 'P') {
        try {
            checkDecoded(image::decodePng(rest));
        } catch (const RtError& e) {
            FUZZ_CHECK(!e.description.empty(), Str());
        }
        return 0;
    }
    if (data[0] == 'L') {
        const Str line = fromUtf8(rest);
        const size_t eq = line.find(u'=');
        if (eq == Str::npos) return 0;
        const Str key = trim(StrView(line).substr(0, eq)), value = trim(StrView(line).substr(eq + 1));
        try {
            const image::NamedImage img = image::parseImageLine(key, value);
            FUZZ_CHECK(image::isValidName(img.name) && key == Str(image::kKeyPrefix) + img.name, key);
            // Written back, the line is the one read.
            FUZZ_CHECK(image::imageLine(img.name, img.image) == key + u"=" + value, key);
            checkDecoded(img.image.pixels);
        } catch (const RtError& e) {
            FUZZ_CHECK(!e.description.empty(), key);
        }
        return 0;
    }
    const auto bytes = image::base64Decode(rest);
    if (bytes) FUZZ_CHECK(image::base64Encode(*bytes) == rest, Str());
    FUZZ_CHECK(image::base64Decode(image::base64Encode(rest)) == std::string(rest), Str());
    return 0;
}
