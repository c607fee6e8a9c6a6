// Window search texts.
#include "input/window_search.h"

Str MF_NullDel(StrView str_In) {
    Str out;
    out.reserve(str_In.size());
    for (char16_t c : str_In)
        if (c != 0) out.push_back(c);
    return out;
}

void MS_Kanma_Bunkatu(StrView str_In, Str& str_Before, Str& str_After) {
    str_Before.clear();
    str_After.clear();
    size_t p = str_In.find(u',');
    if (p == StrView::npos) {
        str_Before = Str(str_In);
        return;
    }
    str_Before = Str(str_In.substr(0, p));
    str_After = Str(str_In.substr(p + 1));
}

bool windowMatches(StrView title, StrView className, StrView titlePart, StrView classPart) {
    if (title.empty()) return false;
    if (!classPart.empty() && classPart != className) return false;
    return title.find(titlePart) != StrView::npos;
}
