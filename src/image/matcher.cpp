#include "image/matcher.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TOVIRAK_SSE2 1
#endif

namespace image {

namespace {

// Each of red, green and blue of screen pixel s within tol of colour c (the
// top byte of either is not looked at).
inline bool near(uint32_t s, uint32_t c, int tol) {
    const unsigned range = unsigned(2 * tol);
    return unsigned(redOf(s) - redOf(c) + tol) <= range && unsigned(greenOf(s) - greenOf(c) + tol) <= range &&
           unsigned(blueOf(s) - blueOf(c) + tol) <= range;
}

#ifdef TOVIRAK_SSE2
// Per 32-bit lane: all ones where the pixel is within the tolerance. The
// limit's top byte is 255, so the top bytes never make a difference.
inline __m128i nearMask(__m128i pixels, __m128i colour, __m128i limit) {
    const __m128i diff = _mm_or_si128(_mm_subs_epu8(pixels, colour), _mm_subs_epu8(colour, pixels));
    return _mm_cmpeq_epi32(_mm_subs_epu8(diff, limit), _mm_setzero_si128());
}

inline __m128i limitOf(int tol) {
    const uint32_t t = uint32_t(tol);
    return _mm_set1_epi32(int(0xFF000000u | t << 16 | t << 8 | t));
}
#endif

// Calls hit(x) in order for each x below n where row[x] is within tol of
// colour, until hit returns true; returns that x, or -1.
template <class Hit>
int32_t scanRow(const uint32_t* row, int32_t n, uint32_t colour, int tol, Hit&& hit) {
    int32_t x = 0;
#ifdef TOVIRAK_SSE2
    const __m128i c = _mm_set1_epi32(int(colour)), limit = limitOf(tol);
    for (; x + 8 <= n; x += 8) {
        const __m128i a = nearMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)), c, limit);
        const __m128i b = nearMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x + 4)), c, limit);
        int mask = _mm_movemask_ps(_mm_castsi128_ps(a)) | _mm_movemask_ps(_mm_castsi128_ps(b)) << 4;
        while (mask) {
            const int i = __builtin_ctz(unsigned(mask));
            if (hit(x + i)) return x + i;
            mask &= mask - 1;
        }
    }
#endif
    for (; x < n; ++x)
        if (near(row[x], colour, tol) && hit(x)) return x;
    return -1;
}

// counts[x] += 1 for each x below n where row[x] is within tol of colour.
void countRow(const uint32_t* row, int32_t n, uint32_t colour, int tol, int32_t* counts) {
    int32_t x = 0;
#ifdef TOVIRAK_SSE2
    const __m128i c = _mm_set1_epi32(int(colour)), limit = limitOf(tol);
    for (; x + 4 <= n; x += 4) {
        auto* at = reinterpret_cast<__m128i*>(counts + x);
        const __m128i m = nearMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)), c, limit);
        _mm_storeu_si128(at, _mm_sub_epi32(_mm_loadu_si128(at), m));
    }
#endif
    for (; x < n; ++x) counts[x] += near(row[x], colour, tol) ? 1 : 0;
}

bool fits(const ScreenPixels& screen, int32_t w, int32_t h) {
    const int32_t W = screen.rect.width(), H = screen.rect.height();
    return w > 0 && h > 0 && W >= w && H >= h && screen.pixels.size() == size_t(W) * size_t(H);
}

// How many of the image's opaque pixels share roughly the colour of each:
// a histogram of 16 levels a channel, summed over the bins the tolerance
// reaches. Few means distinctive.
class ColourCounts {
public:
    ColourCounts(const Image& img, int tol) : radius_((tol + 15) / 16) {
        for (uint32_t p : img.pixels)
            if (isOpaque(p)) ++sums_[index(bin(redOf(p)) + 1, bin(greenOf(p)) + 1, bin(blueOf(p)) + 1)];
        // Running sums along each axis in turn: a box sum is then 8 look-ups.
        for (int r = 1; r <= 16; ++r)
            for (int g = 1; g <= 16; ++g)
                for (int b = 1; b <= 16; ++b) sums_[index(r, g, b)] += sums_[index(r, g, b - 1)];
        for (int r = 1; r <= 16; ++r)
            for (int g = 1; g <= 16; ++g)
                for (int b = 1; b <= 16; ++b) sums_[index(r, g, b)] += sums_[index(r, g - 1, b)];
        for (int r = 1; r <= 16; ++r)
            for (int g = 1; g <= 16; ++g)
                for (int b = 1; b <= 16; ++b) sums_[index(r, g, b)] += sums_[index(r - 1, g, b)];
    }

    uint32_t around(uint32_t p) const {
        auto lo = [&](int c) { return std::max(bin(c) - radius_, 0); };
        auto hi = [&](int c) { return std::min(bin(c) + radius_, 15) + 1; };
        const int r0 = lo(redOf(p)), r1 = hi(redOf(p)), g0 = lo(greenOf(p)), g1 = hi(greenOf(p));
        const int b0 = lo(blueOf(p)), b1 = hi(blueOf(p));
        return sums_[index(r1, g1, b1)] - sums_[index(r0, g1, b1)] - sums_[index(r1, g0, b1)] -
               sums_[index(r1, g1, b0)] + sums_[index(r0, g0, b1)] + sums_[index(r0, g1, b0)] +
               sums_[index(r1, g0, b0)] - sums_[index(r0, g0, b0)];
    }

private:
    static int bin(int channel) { return channel >> 4; }
    static size_t index(int r, int g, int b) { return (size_t(r) * 17 + size_t(g)) * 17 + size_t(b); }
    int radius_;
    std::array<uint32_t, 17 * 17 * 17> sums_{};
};

constexpr size_t kRareProbes = 6;
constexpr size_t kProbePool = 256;
constexpr int32_t kProbeSpacing = 3;  // neighbours look alike: probes keep apart
constexpr int32_t kGrid = 4;          // and a probe in each cell of a 4 x 4 grid

// Equally rare pixels in a scattered order, so that even the probes of a
// plain image lie all over it, not along its first row (a mix of the
// bits, as hash tables use).
uint32_t scatter(int32_t x, int32_t y) {
    uint32_t h = uint32_t(x) * 0x9E3779B1u + uint32_t(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    return h ^ (h >> 12);
}

}  // namespace

std::optional<int> parseTolerance(StrView text) {
    const Str t = trim(text);
    if (t.empty()) return kDefaultTolerance;
    if (t.size() > 3) return std::nullopt;
    int v = 0;
    for (char16_t c : t) {
        if (c < u'0' || c > u'9') return std::nullopt;
        v = v * 10 + (c - u'0');
    }
    if (v > kMaxTolerance) return std::nullopt;
    return v;
}

Pattern::Pattern(const Image& img, int tolerance)
    : width_(img.width), height_(img.height), tol_(std::clamp(tolerance, 0, kMaxTolerance)) {
    if (img.empty() || img.pixels.size() != size_t(img.width) * size_t(img.height)) {
        width_ = height_ = 0;
        return;
    }
    for (int32_t y = 0; y < height_; ++y) {
        for (int32_t x = 0; x < width_;) {
            if (!isOpaque(img.at(x, y))) {
                ++x;
                continue;
            }
            Run run{x, y, 0, colours_.size()};
            for (; x < width_ && isOpaque(img.at(x, y)); ++x, ++run.length) colours_.push_back(img.at(x, y));
            runs_.push_back(run);
        }
    }
    opaque_ = colours_.size();
    if (opaque_ == 0) return;

    // The rarest colours first, then one pixel from each cell of a grid over
    // the image: a place where a plain image meets an edge is then dropped
    // after a few comparisons, not after most of a row by row compare.
    const ColourCounts counts(img, tol_);
    struct Candidate {
        uint32_t score;
        int32_t x, y;
    };
    std::vector<Candidate> all;
    all.reserve(opaque_);
    for (const Run& r : runs_)
        for (int32_t i = 0; i < r.length; ++i) all.push_back({counts.around(colours_[r.first + size_t(i)]), r.dx + i, r.dy});
    const size_t pool = std::min(kProbePool, all.size());
    std::partial_sort(all.begin(), all.begin() + std::ptrdiff_t(pool), all.end(), [](const Candidate& a, const Candidate& b) {
        return a.score != b.score ? a.score < b.score : scatter(a.x, a.y) < scatter(b.x, b.y);
    });
    auto add = [&](int32_t x, int32_t y) {
        const bool apart = std::all_of(probes_.begin(), probes_.end(), [&](const Probe& p) {
            return std::abs(p.dx - x) >= kProbeSpacing || std::abs(p.dy - y) >= kProbeSpacing;
        });
        if (apart) probes_.push_back({x, y, img.at(x, y)});
    };
    for (size_t i = 0; i < pool && probes_.size() < kRareProbes; ++i) add(all[i].x, all[i].y);
    for (int32_t gy = 0; gy < kGrid; ++gy)
        for (int32_t gx = 0; gx < kGrid; ++gx) {
            // The cell's middle, or the first opaque pixel of the cell.
            const int32_t x0 = width_ * gx / kGrid, x1 = width_ * (gx + 1) / kGrid;
            const int32_t y0 = height_ * gy / kGrid, y1 = height_ * (gy + 1) / kGrid;
            if (x1 <= x0 || y1 <= y0) continue;
            const int32_t mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
            if (isOpaque(img.at(mx, my))) {
                add(mx, my);
                continue;
            }
            bool done = false;
            for (int32_t y = y0; y < y1 && !done; ++y)
                for (int32_t x = x0; x < x1 && !done; ++x)
                    if (isOpaque(img.at(x, y))) {
                        add(x, y);
                        done = true;
                    }
        }
}

bool Pattern::matchesAt(const uint32_t* topLeft, int32_t stride, Probe& miss) const {
    for (const Probe& p : probes_)
        if (!near(topLeft[ptrdiff_t(p.dy) * stride + p.dx], p.colour, tol_)) {
            miss = p;
            return false;
        }
#ifdef TOVIRAK_SSE2
    const __m128i limit = limitOf(tol_);
#endif
    for (const Run& r : runs_) {
        const uint32_t* s = topLeft + ptrdiff_t(r.dy) * stride + r.dx;
        const uint32_t* c = colours_.data() + r.first;
        int32_t i = 0;
#ifdef TOVIRAK_SSE2
        for (; i + 4 <= r.length; i += 4) {
            const __m128i m = nearMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)),
                                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i)), limit);
            const int lanes = _mm_movemask_ps(_mm_castsi128_ps(m));
            if (lanes != 0xF) {
                i += __builtin_ctz(unsigned(~lanes));
                miss = {r.dx + i, r.dy, c[i]};
                return false;
            }
        }
#endif
        for (; i < r.length; ++i)
            if (!near(s[i], c[i], tol_)) {
                miss = {r.dx + i, r.dy, c[i]};
                return false;
            }
    }
    return true;
}

std::optional<os::Point> Pattern::find(const ScreenPixels& screen) const {
    if (opaque_ == 0 || !fits(screen, width_, height_)) return std::nullopt;
    const int32_t W = screen.rect.width(), H = screen.rect.height();
    const int32_t places = W - width_ + 1;
    const Probe& first = probes_.front();
    Probe miss = first;
    const uint32_t* pixels = screen.pixels.data();
    for (int32_t y = 0; y + height_ <= H; ++y) {
        const uint32_t* row = pixels + size_t(y) * size_t(W);
        const int32_t x = scanRow(row + ptrdiff_t(first.dy) * W + first.dx, places, first.colour, tol_, [&](int32_t at) {
            // The pixel that failed last is likely to fail again nearby
            // (the edge of a text line a plain image meets): it goes first.
            if (!near(row[at + ptrdiff_t(miss.dy) * W + miss.dx], miss.colour, tol_)) return false;
            return matchesAt(row + at, W, miss);
        });
        if (x >= 0) return os::Point{screen.rect.left + x, screen.rect.top + y};
    }
    return std::nullopt;
}

size_t Pattern::matchingPixels(const ScreenPixels& screen, int32_t x, int32_t y) const {
    const int32_t W = screen.rect.width();
    const uint32_t* topLeft = screen.pixels.data() + size_t(y - screen.rect.top) * size_t(W) + size_t(x - screen.rect.left);
    size_t n = 0;
    for (const Run& r : runs_) {
        const uint32_t* s = topLeft + ptrdiff_t(r.dy) * W + r.dx;
        for (int32_t i = 0; i < r.length; ++i) n += near(s[i], colours_[r.first + size_t(i)], tol_) ? 1 : 0;
    }
    return n;
}

std::optional<os::Point> findImage(const ScreenPixels& screen, const Image& img, int tolerance) {
    return Pattern(img, tolerance).find(screen);
}

// The ranking pass of the partial search, on a sample of the pattern.
struct PartialSearch {
    static constexpr size_t kSample = 128;
    static constexpr size_t kKept = 16;

    const Pattern& pattern;
    const ScreenPixels& screen;

    std::vector<Pattern::Probe> sample() const {
        std::vector<Pattern::Probe> out;
        const size_t step = std::max<size_t>(1, pattern.opaque_ / kSample);
        size_t k = 0;
        for (const Pattern::Run& r : pattern.runs_)
            for (int32_t i = 0; i < r.length; ++i, ++k)
                if (k % step == 0 && out.size() < kSample)
                    out.push_back({r.dx + i, r.dy, pattern.colours_[r.first + size_t(i)]});
        return out;
    }

    std::optional<PartialMatch> run(std::chrono::steady_clock::time_point deadline) const {
        const int32_t W = screen.rect.width(), H = screen.rect.height();
        const int32_t places = W - pattern.width_ + 1;
        const std::vector<Pattern::Probe> probes = sample();
        struct Place {
            int32_t count, x, y;
        };
        std::vector<Place> kept;  // best sample counts, earliest first among equals
        std::vector<int32_t> counts(size_t(places), 0);
        bool complete = true;
        for (int32_t y = 0; y + pattern.height_ <= H; ++y) {
            std::fill(counts.begin(), counts.end(), 0);
            const uint32_t* row = screen.pixels.data() + size_t(y) * size_t(W);
            for (const Pattern::Probe& p : probes)
                countRow(row + ptrdiff_t(p.dy) * W + p.dx, places, p.colour, pattern.tol_, counts.data());
            for (int32_t x = 0; x < places; ++x) {
                if (kept.size() == kKept && counts[size_t(x)] <= kept.back().count) continue;
                const Place place{counts[size_t(x)], x, y};
                auto at = std::upper_bound(kept.begin(), kept.end(), place,
                                           [](const Place& a, const Place& b) { return a.count > b.count; });
                kept.insert(at, place);
                if (kept.size() > kKept) kept.pop_back();
            }
            if (std::chrono::steady_clock::now() >= deadline && y + pattern.height_ < H) {
                complete = false;
                break;
            }
        }
        std::sort(kept.begin(), kept.end(), [](const Place& a, const Place& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
        PartialMatch best;
        best.opaque = pattern.opaque_;
        best.complete = complete;
        bool any = false;
        for (const Place& p : kept) {
            const os::Point at{screen.rect.left + p.x, screen.rect.top + p.y};
            const size_t n = pattern.matchingPixels(screen, at.x, at.y);
            if (!any || n > best.matching) {
                best.at = at;
                best.matching = n;
                any = true;
            }
        }
        if (!any) return std::nullopt;
        return best;
    }
};

std::optional<PartialMatch> bestPartialMatch(const ScreenPixels& screen, const Image& img, int tolerance,
                                             std::chrono::milliseconds budget) {
    const auto deadline = std::chrono::steady_clock::now() + budget;
    const Pattern pattern(img, tolerance);
    if (pattern.opaqueCount() == 0 || !fits(screen, pattern.width(), pattern.height())) return std::nullopt;
    return PartialSearch{pattern, screen}.run(deadline);
}

}  // namespace image
