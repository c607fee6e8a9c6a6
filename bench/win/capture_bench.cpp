// Capture of the whole virtual desktop under Wine (or Windows), as an image
// search does it before each look: the time of one capture, and of one
// search of the captured screen for a 48 x 48 patch of it that is absent
// (its centre pixel altered) and one that is found.
//   capture_bench [captures]        default 50
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "image/matcher.h"
#include "platform/win32/win32_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s median %7.2f ms  min %7.2f ms  max %7.2f ms  (%zu runs)\n", what, ms[ms.size() / 2], ms.front(),
                ms.back(), ms.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 50;
    auto os = win32::makeServices(1, 0);
    const os::Rect desk = os->virtualScreen();
    os::ScreenPixels shot;
    const auto first = Clock::now();
    if (!os->captureScreen(desk, shot)) {
        std::printf("capture failed\n");
        return 1;
    }
    std::printf("virtual desktop %dx%d at (%d,%d); first capture (bitmap made) %.2f ms\n", desk.width(), desk.height(),
                desk.left, desk.top, msSince(first));
    std::vector<double> capture;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        os->captureScreen(desk, shot);
        capture.push_back(msSince(t0));
    }
    report("capture of the whole screen", capture);

    // A patch of the middle of the screen, where the windows are.
    const int32_t side = 48;
    const os::Point at{desk.left + desk.width() / 3, desk.top + desk.height() / 2};
    const image::Image found = image::cut(shot, {at.x, at.y, at.x + side, at.y + side});
    image::Image absent = found;
    absent.pixels[size_t(side / 2) * side + side / 2] ^= 0x808080;
    const std::pair<const char*, const image::Image*> cases[] = {{"search, absent", &absent}, {"search, found", &found}};
    for (auto [name, img] : cases) {
        const image::Pattern pattern(*img, 32);
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            const auto t0 = Clock::now();
            auto hit = pattern.find(shot);
            ms.push_back(msSince(t0));
            if (hit.has_value() != (img == &found)) std::printf("%s: unexpected result\n", name);
        }
        report(name, ms);
    }
    return 0;
}
