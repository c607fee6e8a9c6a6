// The target window kept between ticks.
#include "input/window_cache.h"

#include "input/window_search.h"

namespace {
// A walk that meets more windows than any desktop holds has been sent round
// in a circle by windows moving in the Z order under it: it stops there.
constexpr int kMaxWalk = 100000;
}  // namespace

bool windowPassesSearch(os::Services& os, os::WindowHandle h, StrView titlePart, StrView classPart, Str* title) {
    Str t = trim(withoutNuls(os.getWindowText(h)));
    // The class matters only when the search names one.
    if (!windowMatches(t, classPart.empty() ? Str() : trim(withoutNuls(os.getClassName(h))), titlePart, classPart))
        return false;
    if (title) *title = std::move(t);
    return true;
}

os::WindowHandle findWindow(os::Services& os, os::WindowHandle first, StrView titlePart, StrView classPart,
                            Str* title) {
    os::WindowHandle h = first;
    for (int n = 0; h != 0 && n < kMaxWalk; ++n) {
        if (windowPassesSearch(os, h, titlePart, classPart, title)) return h;
        h = os.getWindow(h, os::k::GW_HWNDNEXT);
    }
    return 0;
}

void WindowCache::clear() {
    title_.clear();
    kept_ = 0;
}

os::WindowHandle WindowCache::find(const Str& title, os::WindowHandle own) {
    const Str text = trim(withoutNuls(title));
    if (kept_ != 0 && text == title_ && os_.isWindow(kept_) && windowPassesSearch(os_, kept_, text, u"")) return kept_;
    // Every call to the system counts here: the top is asked only for a walk.
    title_ = text;
    kept_ = findWindow(os_, os_.getWindow(own, os::k::GW_HWNDFIRST), text, u"");
    return kept_;
}
