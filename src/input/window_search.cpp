// Window search texts.
#include "input/window_search.h"

Str withoutNuls(StrView text) {
    Str out;
    out.reserve(text.size());
    for (char16_t c : text)
        if (c != 0) out.push_back(c);
    return out;
}

void splitAtFirstComma(StrView text, Str& before, Str& after) {
    before.clear();
    after.clear();
    size_t p = text.find(u',');
    if (p == StrView::npos) {
        before = Str(text);
        return;
    }
    before = Str(text.substr(0, p));
    after = Str(text.substr(p + 1));
}

bool windowMatches(StrView title, StrView className, StrView titlePart, StrView classPart) {
    if (title.empty()) return false;
    if (!classPart.empty() && classPart != className) return false;
    return title.find(titlePart) != StrView::npos;
}
