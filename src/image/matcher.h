// Finding an image on the screen: every opaque pixel of the image within a
// tolerance of the screen's pixel in each of red, green and blue, the first
// match in reading order (top to bottom, then left to right) winning.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/image.h"
#include "platform/text.h"

namespace image {

constexpr int kDefaultTolerance = 32;
constexpr int kMaxTolerance = 255;

// The tolerance part of a command: empty (or blanks) means
// kDefaultTolerance, else half-width digits for 0 to 255 with blanks
// around them allowed. nullopt for anything else.
std::optional<int> parseTolerance(StrView text);

// An image made ready for searching at one tolerance. Preparing costs about
// one pass over the image; keep the pattern for repeated searches.
class Pattern {
public:
    Pattern(const Image& img, int tolerance);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int tolerance() const { return tol_; }
    size_t opaqueCount() const { return opaque_; }

    // Top-left corner of the first match in reading order, in the screen's
    // (virtual-desktop) coordinates; nullopt when there is none, when the
    // image is larger than the screen or has no opaque pixel.
    std::optional<os::Point> find(const ScreenPixels& screen) const;

    // Opaque pixels of the image that match the screen with the image's
    // top-left corner at (x, y), which must leave the image on the screen.
    size_t matchingPixels(const ScreenPixels& screen, int32_t x, int32_t y) const;

    // A few opaque pixels, the most distinctive first: a place where the
    // first does not match is dropped after one comparison.
    struct Probe {
        int32_t dx = 0, dy = 0;
        uint32_t colour = 0;
    };
    const std::vector<Probe>& probes() const { return probes_; }

private:
    friend struct PartialSearch;
    // Opaque pixels in runs along the rows, compared run by run.
    struct Run {
        int32_t dx = 0, dy = 0, length = 0;
        size_t first = 0;  // index into colours_
    };
    // Whether every opaque pixel matches there; else miss is a pixel that
    // does not.
    bool matchesAt(const uint32_t* topLeft, int32_t stride, Probe& miss) const;

    int32_t width_ = 0, height_ = 0;
    int tol_ = kDefaultTolerance;
    size_t opaque_ = 0;
    std::vector<Probe> probes_;
    std::vector<Run> runs_;
    std::vector<uint32_t> colours_;
};

// One search without keeping the pattern.
std::optional<os::Point> findImage(const ScreenPixels& screen, const Image& img, int tolerance);

// The place where the image comes closest to matching, for a user who
// wonders why it is not found.
struct PartialMatch {
    os::Point at;             // top-left corner, virtual-desktop coordinates
    size_t matching = 0;      // opaque pixels within the tolerance there
    size_t opaque = 0;        // opaque pixels of the image
    bool complete = true;     // false when the time ran out before the whole screen was seen
    double share() const { return opaque ? double(matching) / double(opaque) : 0.0; }
    // Whole per cent, rounded down: 100 only when every pixel matches.
    int percent() const { return opaque ? int(matching * 100 / opaque) : 0; }
};

// Looks at every place for at most budget: a sample of the image's pixels
// ranks the places, the best few are then counted in full. nullopt when
// the image is larger than the screen or has no opaque pixel.
std::optional<PartialMatch> bestPartialMatch(const ScreenPixels& screen, const Image& img, int tolerance,
                                             std::chrono::milliseconds budget = std::chrono::milliseconds(2000));

}  // namespace image
