// The target window kept between ticks.
#include "input/window_cache.h"

#include "input/window_search.h"

bool windowPassesSearch(os::Services& os, os::WindowHandle h, StrView titlePart, StrView classPart, Str* title) {
    Str t = trim(MF_NullDel(os.getWindowText(h)));
    // The class matters only when the search names one.
    if (!windowMatches(t, classPart.empty() ? Str() : trim(MF_NullDel(os.getClassName(h))), titlePart, classPart))
        return false;
    if (title) *title = std::move(t);
    return true;
}

void WindowCache::clear() {
    search_.clear();
    titlePart_.clear();
    classPart_.clear();
    kept_ = 0;
}

os::WindowHandle WindowCache::recheck(const Str& search) {
    if (kept_ == 0 || search != search_) return 0;
    if (os_.isWindow(kept_) && windowPassesSearch(os_, kept_, titlePart_, classPart_)) return kept_;
    kept_ = 0;
    return 0;
}

void WindowCache::keep(const Str& search, os::WindowHandle h) {
    if (search != search_) {
        search_ = search;
        MS_Kanma_Bunkatu(trim(MF_NullDel(search)), titlePart_, classPart_);
    }
    kept_ = h;
}
