// Searching a real screen for an image: a 1920 x 1080 screenshot of
// Notepad, TOVIRAK and a dialog under Wine (bench/data/ui-1920x1080.png,
// made by scripts/bench-screenshot.sh), searched for 48 x 48 patches of
// itself at tolerance 32.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "image/matcher.h"
#include "image/png.h"

namespace {

constexpr int32_t kSide = 48;
constexpr int kTolerance = 32;

// Top-left corners of the patches (see the screenshot): lines of Notepad's
// Japanese and English text, Notepad's title and menu bar at the top, and
// plain desktop background.
constexpr os::Point kTextPatch{220, 250};
constexpr os::Point kTopPatch{20, 20};
constexpr os::Point kPlainPatch{1800, 1000};
constexpr os::Point kWhitePatch{700, 600};  // Notepad's empty page

const os::ScreenPixels& screen() {
    static const os::ScreenPixels s = [] {
        os::ScreenPixels out;
        std::ifstream in(TOVIRAK_SOURCE_DIR "bench/data/ui-1920x1080.png", std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        try {
            // Larger than a document's image may be.
            const image::Image img = image::decodePng(bytes, 1920);
            out.rect = {0, 0, img.width, img.height};
            out.pixels = img.pixels;
        } catch (const RtError&) {
        }
        return out;
    }();
    return s;
}

image::Image patch(os::Point at) { return image::cut(screen(), {at.x, at.y, at.x + kSide, at.y + kSide}); }

bool ready(benchmark::State& state) {
    if (screen().rect.width() == 1920 && screen().rect.height() == 1080) return true;
    state.SkipWithError("bench/data/ui-1920x1080.png could not be read");
    return false;
}

void search(benchmark::State& state, const image::Image& img, std::optional<os::Point> expected) {
    const image::Pattern pattern(img, kTolerance);
    for (auto _ : state) {
        auto at = pattern.find(screen());
        benchmark::DoNotOptimize(at);
        if (at != expected) {
            state.SkipWithError("the search found something else");
            break;
        }
    }
}

// The worst case: nothing matches, so every place is looked at.
void BM_ImageAbsent(benchmark::State& state) {
    if (!ready(state)) return;
    image::Image img = patch(kTextPatch);
    img.pixels[size_t(kSide / 2) * kSide + kSide / 2] ^= 0x808080;  // 128 off in each channel
    search(state, img, std::nullopt);
}

void BM_ImageFoundNearTop(benchmark::State& state) {
    if (!ready(state)) return;
    search(state, patch(kTopPatch), image::findImage(screen(), patch(kTopPatch), kTolerance));
}

// Plain background: most places pass the first check, so this is the slow
// kind of image; it is found at the first place of such background.
void BM_ImageUniform(benchmark::State& state) {
    if (!ready(state)) return;
    const image::Image img = patch(kPlainPatch);
    search(state, img, image::findImage(screen(), img, kTolerance));
}

// A white patch: the bars above Notepad's page are within 32 of white, so
// many places pass the first comparisons there.
void BM_ImageWhite(benchmark::State& state) {
    if (!ready(state)) return;
    const image::Image img = patch(kWhitePatch);
    search(state, img, image::findImage(screen(), img, kTolerance));
}

// The same with its centre pixel altered: absent, and that one pixel is
// what sets it apart.
void BM_ImageUniformAbsent(benchmark::State& state) {
    if (!ready(state)) return;
    image::Image img = patch(kPlainPatch);
    img.pixels[size_t(kSide / 2) * kSide + kSide / 2] ^= 0x808080;
    search(state, img, std::nullopt);
}

void BM_ImagePrepare(benchmark::State& state) {
    if (!ready(state)) return;
    const image::Image img = patch(kTextPatch);
    for (auto _ : state) benchmark::DoNotOptimize(image::Pattern(img, kTolerance).probes().size());
}

// What "not found" shows the user: the closest place and its share.
void BM_ImageBestPartial(benchmark::State& state) {
    if (!ready(state)) return;
    image::Image img = patch(kTextPatch);
    img.pixels[size_t(kSide / 2) * kSide + kSide / 2] ^= 0x808080;
    for (auto _ : state) {
        auto best = image::bestPartialMatch(screen(), img, kTolerance);
        // The text repeats from line to line, so another place may come as
        // close; none may come closer than the patch's own 2303 of 2304.
        if (!best || best->matching != size_t(kSide * kSide - 1) || !best->complete) {
            state.SkipWithError("the closest place is not as close as the patch's own");
            break;
        }
        state.counters["x"] = best->at.x;
        state.counters["y"] = best->at.y;
        state.counters["percent"] = best->percent();
    }
}

}  // namespace

BENCHMARK(BM_ImageAbsent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageFoundNearTop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageUniform)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageWhite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageUniformAbsent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImagePrepare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageBestPartial)->Unit(benchmark::kMillisecond);
