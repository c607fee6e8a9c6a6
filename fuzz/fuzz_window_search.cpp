// The window search text: cleaning, the split at the first comma and the
// parts of an anchored command are lossless, the matching rule is
// consistent, and the Z-order walk over a scripted desktop returns a
// window that matches or nothing at all.
#include <algorithm>

#include "fuzz_app.h"
#include "fuzz_util.h"
#include "input/anchor.h"
#include "input/window_search.h"
#include "input/windows.h"

namespace {

void checkText(const Str& s) {
    const Str clean = withoutNuls(s);
    FUZZ_CHECK(clean.find(char16_t(0)) == Str::npos, s);
    Str expected(s);
    std::erase(expected, char16_t(0));
    FUZZ_CHECK(clean == expected, s);

    Str before, after;
    splitAtFirstComma(s, before, after);
    const size_t comma = s.find(u',');
    if (comma == Str::npos) {
        FUZZ_CHECK(before == s && after.empty(), s);
    } else {
        FUZZ_CHECK(before.find(u',') == Str::npos, s);
        FUZZ_CHECK(before + u"," + after == s, s);
    }
    // The parts of an anchored command put back together give the command.
    const anchor::CommandParts parts = anchor::splitCommand(s);
    FUZZ_CHECK(parts.first.find(u',') == Str::npos && parts.second.find(u',') == Str::npos, s);
    if (parts.count == 1) FUZZ_CHECK(parts.first == s && parts.second.empty() && parts.third.empty(), s);
    if (parts.count == 2) FUZZ_CHECK(parts.first + u"," + parts.second == s && parts.third.empty(), s);
    if (parts.count == 3) FUZZ_CHECK(parts.first + u"," + parts.second + u"," + parts.third == s, s);
    FUZZ_CHECK(parts.count == 1 + int(std::min<size_t>(2, size_t(std::count(s.begin(), s.end(), u',')))), s);
    // The search and a title's search text hold no comma and no blank at
    // their ends, and the title's is found in the title.
    for (const Str& t : {anchor::searchText(s), anchor::titleSearchText(s)}) {
        FUZZ_CHECK(t.find(u',') == Str::npos && trim(t) == t, s);
    }
    FUZZ_CHECK(withoutNuls(s).find(anchor::titleSearchText(s)) != Str::npos, s);

    // The rule: a title always matches its own parts, an empty title never.
    FUZZ_CHECK(!windowMatches(u"", after, before, u""), s);
    if (!before.empty()) {
        FUZZ_CHECK(windowMatches(before, after, before, after), s);
        FUZZ_CHECK(windowMatches(before, after, u"", u""), s);
        FUZZ_CHECK(windowMatches(u"<" + before + u">", after, before, u""), s);
        if (!after.empty()) FUZZ_CHECK(!windowMatches(before, after + u"x", before, after), s);
    }
}

// Input: the search text, then lines "title<TAB>class" of up to eight
// windows put on the desktop (each new one on top).
void checkWalk(const Str& s) {
    auto& a = fuzz::app();
    for (auto& w : std::vector<headless::Window>(a.p.windows)) a.p.removeWindow(w.handle);
    size_t nl = s.find(u'\n');
    const Str search = s.substr(0, nl);
    int count = 0;
    while (nl != Str::npos && count < 8) {
        const size_t next = s.find(u'\n', nl + 1);
        const Str line = s.substr(nl + 1, next == Str::npos ? Str::npos : next - nl - 1);
        const size_t tab = line.find(u'\t');
        a.p.addWindow(line.substr(0, tab), tab == Str::npos ? Str() : line.substr(tab + 1));
        ++count;
        nl = next;
    }
    const Str before = u"\x1F(unchanged)";
    Str full = before;
    const uint64_t h = findTargetWindow(a.app->statusLine, a.p.os, a.app->form->nativeHandle(), search, &full);
    if (h == 0) {
        FUZZ_CHECK(full == before, search);
        return;
    }
    // The window found is on the desktop and its title holds the title part.
    Str title, cls;
    splitAtFirstComma(trim(withoutNuls(search)), title, cls);
    FUZZ_CHECK(!full.empty() && full.find(title) != Str::npos, search);
    FUZZ_CHECK(full == trim(withoutNuls(a.p.os.getWindowText(h))), search);
    a.forget();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 8192) return 0;
    const Str s = fuzz::asText(data, size);
    checkText(s);
    // The walk over a scripted desktop is slower: a sample of the inputs,
    // and every one that describes windows.
    size_t h = 0;
    for (size_t i = 0; i < size; ++i) h = h * 31 + data[i];
    if (h % 4 == 0 || s.find(u'\n') != Str::npos) checkWalk(s);
    return 0;
}
