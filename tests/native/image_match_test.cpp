// Finding an image on the screen: exact and tolerant matches, transparency,
// every edge and corner of a desktop that reaches into negative
// coordinates, near misses, the first of several matches, and the closest
// partial match; cross-checked against a plain search on random screens.
#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "image/matcher.h"
#include "platform/headless/headless.h"

namespace {

using image::Image;

constexpr uint32_t kOpaque = 0xFF000000u;

// A picture that looks like a user interface: flat areas with text-like
// specks of a few colours, the same for the same seed.
Image uiPicture(int32_t w, int32_t h, uint32_t seed) {
    std::mt19937 rng(seed);
    const uint32_t palette[] = {0xF0F0F0, 0xFFFFFF, 0x202020, 0x3366CC, 0x808080, 0xC0C0C0, 0x990000};
    Image img{w, h, std::vector<uint32_t>(size_t(w) * size_t(h))};
    for (auto& p : img.pixels) p = kOpaque | palette[rng() % 7];
    return img;
}

// Screen pixels captured from a headless desktop painted by the test.
struct Desk {
    headless::Platform p;
    explicit Desk(std::vector<os::Rect> monitors = {{0, 0, 640, 480}}, uint32_t background = 0xF0F0F0) {
        p.monitors = std::move(monitors);
        p.screenBackground = background;
    }
    void put(os::Point at, const Image& img) { p.paintScreen(at, img.width, img.height, img.pixels); }
    os::ScreenPixels capture() {
        os::ScreenPixels s;
        EXPECT_TRUE(p.os.captureScreen(p.virtualScreen(), s));
        return s;
    }
    std::optional<os::Point> find(const Image& img, int tol = 32) { return image::findImage(capture(), img, tol); }
};

uint32_t shifted(uint32_t pixel, int dr, int dg, int db) {
    auto ch = [](int v, int d) { return uint32_t(std::clamp(v + d, 0, 255)); };
    return (pixel & 0xFF000000u) | ch(image::redOf(pixel), dr) << 16 | ch(image::greenOf(pixel), dg) << 8 |
           ch(image::blueOf(pixel), db);
}

// The search by definition: every place in reading order, every pixel; an
// image without an opaque pixel is found nowhere.
std::optional<os::Point> plainSearch(const os::ScreenPixels& s, const Image& img, int tol) {
    if (!image::hasOpaquePixel(img)) return std::nullopt;
    for (int32_t y = s.rect.top; y + img.height <= s.rect.bottom; ++y)
        for (int32_t x = s.rect.left; x + img.width <= s.rect.right; ++x) {
            bool all = true;
            for (int32_t j = 0; j < img.height && all; ++j)
                for (int32_t i = 0; i < img.width && all; ++i) {
                    const uint32_t c = img.at(i, j), v = s.at(x + i, y + j);
                    if (!image::isOpaque(c)) continue;
                    all = std::abs(image::redOf(c) - image::redOf(v)) <= tol &&
                          std::abs(image::greenOf(c) - image::greenOf(v)) <= tol &&
                          std::abs(image::blueOf(c) - image::blueOf(v)) <= tol;
                }
            if (all) return os::Point{x, y};
        }
    return std::nullopt;
}

}  // namespace

TEST(ImageMatch, ExactAndTolerantMatchesInEachChannel) {
    Desk d;
    const Image img = uiPicture(24, 16, 1);
    d.put({200, 150}, img);
    EXPECT_EQ(d.find(img, 0), (os::Point{200, 150}));

    // Each channel pushed by exactly the tolerance still matches; one more does not.
    for (int channel = 0; channel < 3; ++channel)
        for (int sign : {1, -1}) {
            const int t = 20;
            auto moved = [&](int by) {
                Image m = img;
                for (auto& px : m.pixels)
                    px = shifted(px, channel == 0 ? sign * by : 0, channel == 1 ? sign * by : 0, channel == 2 ? sign * by : 0);
                return m;
            };
            Desk e;
            e.put({200, 150}, moved(t));
            EXPECT_EQ(e.find(img, t), (os::Point{200, 150})) << "channel " << channel << " sign " << sign;
            Desk f;
            // Grey 128 has room to move by t + 1 either way.
            f.put({200, 150}, moved(t + 1));
            EXPECT_EQ(f.find(img, t), std::nullopt) << "channel " << channel << " sign " << sign;
        }
}

TEST(ImageMatch, TransparentPixelsAreIgnoredAndHalfAlphaCounts) {
    Desk d;
    Image img = uiPicture(20, 20, 2);
    // A transparent hole in the middle and a transparent border column.
    for (int32_t y = 0; y < 20; ++y) {
        img.pixels[size_t(y) * 20] &= 0x00FFFFFFu;  // alpha 0
        for (int32_t x = 6; x < 14; ++x)
            if (y >= 6 && y < 14) img.pixels[size_t(y) * 20 + size_t(x)] = 0x7F000000u | (img.at(x, y) & 0xFFFFFF);
    }
    Image painted = img;
    for (auto& px : painted.pixels)
        if (!image::isOpaque(px)) px = kOpaque | 0x00FF00;  // whatever lies below
    d.put({33, 44}, painted);
    EXPECT_EQ(d.find(img, 0), (os::Point{33, 44}));

    // Alpha 128 is opaque: that pixel must match.
    Image half = img;
    half.pixels[size_t(10) * 20 + 10] = 0x80000000u | 0x123456;
    EXPECT_EQ(d.find(half, 0), std::nullopt);

    // Nothing opaque: nothing to find.
    Image clear = img;
    for (auto& px : clear.pixels) px &= 0x7FFFFFFFu;
    EXPECT_FALSE(image::hasOpaquePixel(clear));
    EXPECT_EQ(d.find(clear, 255), std::nullopt);
}

TEST(ImageMatch, EveryEdgeAndCornerOfADesktopWithNegativeCoordinates) {
    // A monitor left of and one above the primary one.
    const std::vector<os::Rect> monitors{{0, 0, 800, 600}, {-640, 100, 0, 580}, {-200, -480, 700, 0}};
    const Image img = uiPicture(17, 13, 3);
    const os::Rect v{-640, -480, 800, 600};
    const int32_t w = img.width, h = img.height;
    const os::Point places[] = {
        {v.left, v.top}, {v.right - w, v.top}, {v.left, v.bottom - h}, {v.right - w, v.bottom - h},  // corners
        {50, v.top}, {v.left, 20}, {v.right - w, -100}, {-300, v.bottom - h},                        // edges
        {-1, -1}, {-w + 1, -h + 1},                                                                   // across the origin
    };
    for (os::Point at : places) {
        Desk d(monitors);
        d.put(at, img);
        EXPECT_EQ(d.capture().rect, v);
        EXPECT_EQ(d.find(img), at) << at.x << "," << at.y;
    }
}

TEST(ImageMatch, NearMissesDoNotMatchWhereverThePixelIs) {
    const Image img = uiPicture(30, 20, 4);
    const image::Pattern pattern(img, 32);
    std::vector<os::Point> spots{{0, 0}, {29, 19}, {15, 10}, {29, 0}, {0, 19}};
    for (const auto& probe : pattern.probes()) spots.push_back({probe.dx, probe.dy});
    for (os::Point spot : spots) {
        Desk d({{0, 0, 320, 240}});
        Image shown = img;
        uint32_t& px = shown.pixels[size_t(spot.y) * 30 + size_t(spot.x)];
        // 33 away in one channel only, towards whichever side has room.
        px = shifted(px, 0, image::greenOf(px) > 127 ? -33 : 33, 0);
        d.put({100, 100}, shown);
        EXPECT_EQ(pattern.find(d.capture()), std::nullopt) << spot.x << "," << spot.y;
        // The same pixel 32 away is still within the tolerance.
        Desk e({{0, 0, 320, 240}});
        Image within = img;
        uint32_t& q = within.pixels[size_t(spot.y) * 30 + size_t(spot.x)];
        q = shifted(q, 0, image::greenOf(q) > 127 ? -32 : 32, 0);
        e.put({100, 100}, within);
        EXPECT_EQ(pattern.find(e.capture()), (os::Point{100, 100})) << spot.x << "," << spot.y;
    }
}

TEST(ImageMatch, FirstOfSeveralMatchesInReadingOrder) {
    const Image img = uiPicture(12, 12, 5);
    Desk d;
    d.put({500, 300}, img);
    d.put({100, 400}, img);
    d.put({400, 120}, img);
    d.put({90, 120}, img);
    const auto s = d.capture();
    EXPECT_EQ(image::findImage(s, img, 0), (os::Point{90, 120}));
    // A match one row higher but further right comes first.
    d.put({600, 119}, img);
    EXPECT_EQ(d.find(img, 0), (os::Point{600, 119}));
    // A tolerance of 255 matches everything: the first place of all.
    EXPECT_EQ(d.find(img, 255), (os::Point{0, 0}));
}

TEST(ImageMatch, ImagesAsLargeAsTheScreenOrLarger) {
    Desk d({{0, 0, 40, 30}});
    const Image whole = uiPicture(40, 30, 6);
    d.put({0, 0}, whole);
    EXPECT_EQ(d.find(whole, 0), (os::Point{0, 0}));
    EXPECT_EQ(d.find(uiPicture(41, 30, 6)), std::nullopt);
    EXPECT_EQ(d.find(uiPicture(40, 31, 6)), std::nullopt);
    EXPECT_EQ(d.find(Image{}), std::nullopt);
    EXPECT_EQ(image::bestPartialMatch(d.capture(), uiPicture(41, 1, 6), 32), std::nullopt);
}

TEST(ImageMatch, AgreesWithThePlainSearchOnRandomScreens) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        // Few colours and small sizes: many partial matches and ties.
        const int32_t W = 8 + int32_t(rng() % 40), H = 6 + int32_t(rng() % 20);
        const uint32_t colours[] = {0x000000, 0xFFFFFF, 0x808080, 0x7F7F7F, 0x102030};
        os::ScreenPixels s;
        s.rect = {-int32_t(rng() % 50), -int32_t(rng() % 50), 0, 0};
        s.rect.right = s.rect.left + W;
        s.rect.bottom = s.rect.top + H;
        for (int32_t i = 0; i < W * H; ++i) s.pixels.push_back((rng() & 0xFF000000u) | colours[rng() % (round % 4 + 2)]);
        const int32_t w = 1 + int32_t(rng() % 5), h = 1 + int32_t(rng() % 4);
        const os::Point from{s.rect.left + int32_t(rng() % uint32_t(W - w + 1)), s.rect.top + int32_t(rng() % uint32_t(H - h + 1))};
        Image img{w, h, {}};
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                uint32_t px = kOpaque | (s.at(from.x + x, from.y + y) & 0xFFFFFF);
                if (rng() % 5 == 0) px = kOpaque | colours[rng() % 5];  // often absent then
                if (rng() % 6 == 0) px &= 0x7FFFFFFFu;                  // transparent
                img.pixels.push_back(px);
            }
        const int tol = int(rng() % 3) == 0 ? 0 : int(rng() % 256);
        ASSERT_EQ(image::findImage(s, img, tol), plainSearch(s, img, tol)) << "round " << round;
    }
}

TEST(ImageMatch, BestPartialMatchGivesThePlaceAndTheShare) {
    Desk d;
    const Image img = uiPicture(20, 20, 8);
    Image shown = img;
    // 40 of 400 pixels far off: 90 % match.
    for (int i = 0; i < 40; ++i) {
        uint32_t& px = shown.pixels[size_t(i) * 10];
        px = image::redOf(px) > 127 ? 0xFF000000u : 0xFFFFFFFFu;
    }
    d.put({300, 200}, shown);
    const auto s = d.capture();
    EXPECT_EQ(image::findImage(s, img, 32), std::nullopt);
    const auto best = image::bestPartialMatch(s, img, 32);
    ASSERT_TRUE(best);
    EXPECT_EQ(best->at, (os::Point{300, 200}));
    EXPECT_EQ(best->opaque, 400u);
    EXPECT_EQ(best->matching, 360u);
    EXPECT_EQ(best->percent(), 90);
    EXPECT_TRUE(best->complete);

    // Found whole: 100 %.
    d.put({300, 200}, img);
    const auto exact = image::bestPartialMatch(d.capture(), img, 0);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->at, (os::Point{300, 200}));
    EXPECT_EQ(exact->percent(), 100);

    // One pixel short of all rounds down, never up to 100.
    image::PartialMatch almost{{0, 0}, 999, 1000};
    EXPECT_EQ(almost.percent(), 99);

    // No time at all: an answer from what was seen, marked incomplete.
    const auto hurried = image::bestPartialMatch(s, img, 32, std::chrono::milliseconds(0));
    ASSERT_TRUE(hurried);
    EXPECT_FALSE(hurried->complete);
}

TEST(ImageMatch, ToleranceText) {
    EXPECT_EQ(image::parseTolerance(u""), 32);
    EXPECT_EQ(image::parseTolerance(u"  "), 32);
    EXPECT_EQ(image::parseTolerance(u"0"), 0);
    EXPECT_EQ(image::parseTolerance(u" 255 "), 255);
    EXPECT_EQ(image::parseTolerance(u"007"), 7);
    for (const char16_t* bad : {u"256", u"-1", u"+5", u"1.5", u"1e2", u"３２", u"0x10", u"1000", u"abc", u"3 2"})
        EXPECT_EQ(image::parseTolerance(bad), std::nullopt) << toUtf8(bad);
}
