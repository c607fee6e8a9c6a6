// The key-list parser: any text either parses into consistent arrays, stops
// at an unsupported item with everything before it complete, or fails with
// an overflow of a hold time. A parsed list written back in canonical form
// parses to the same arrays.
#include <algorithm>

#include "fuzz_app.h"
#include "fuzz_util.h"
#include "input/keys.h"

namespace {

std::vector<StrView> splitItems(StrView text) {
    std::vector<StrView> items;
    for (size_t start = 0;;) {
        const size_t p = text.find(u',', start);
        items.push_back(text.substr(start, p == StrView::npos ? StrView::npos : p - start));
        if (p == StrView::npos) break;
        start = p + 1;
    }
    return items;
}

Str nameOf(int16_t code) {
    for (auto& [name, c] : keys::table())
        if (c == code) return name;
    return Str();
}

bool sameArrays(const KeyArrays& a, const KeyArrays& b) {
    return a.code == b.code && a.wait == b.wait && a.shift == b.shift && a.ctrl == b.ctrl && a.alt == b.alt;
}

void check(const Str& text) {
    KeyArrays out;
    Str bad;
    bool ok = false;
    int error = 0;
    try {
        ok = keys::parseKeyList(text, out, bad);
    } catch (const RtError& e) {
        error = e.number;
    }
    const size_t size = out.code.size();
    FUZZ_CHECK(size >= 1 && out.wait.size() == size && out.shift.size() == size && out.ctrl.size() == size &&
                   out.alt.size() == size,
               text);
    FUZZ_CHECK(out.code[0] == 0 && out.wait[0] == 0 && !out.shift[0] && !out.ctrl[0] && !out.alt[0], text);
    if (trim(text).empty()) {
        FUZZ_CHECK(size == 1 && ok && error == 0, text);
        return;
    }
    const auto items = splitItems(text);
    FUZZ_CHECK(size == items.size() + 1, text);
    if (error != 0) {
        // Only a hold time can overflow, and only one with both brackets.
        FUZZ_CHECK(error == err::Overflow, text);
        return;
    }
    size_t failed = 0;  // index of the unsupported item, 0 when none
    if (!ok) {
        for (size_t k = 1; k < size && !failed; ++k)
            if (out.code[k] == 0) failed = k;
        FUZZ_CHECK(failed != 0, text);
        FUZZ_CHECK(bad == trim(items[failed - 1]), text);
        for (size_t k = failed + 1; k < size; ++k)
            FUZZ_CHECK(out.code[k] == 0 && out.wait[k] == 0 && !out.shift[k] && !out.ctrl[k] && !out.alt[k], text);
    }
    const size_t lastDone = failed ? failed : size - 1;
    for (size_t k = 1; k <= lastDone; ++k) {
        const StrView item = items[k - 1];
        FUZZ_CHECK(out.shift[k] == (item.find(u'+') != StrView::npos), text);
        FUZZ_CHECK(out.ctrl[k] == (item.find(u'^') != StrView::npos), text);
        FUZZ_CHECK(out.alt[k] == (item.find(u'%') != StrView::npos), text);
        const bool brackets = item.find(u'(') != StrView::npos && item.find(u')') != StrView::npos;
        if (!brackets) FUZZ_CHECK(out.wait[k] == 0, text);
        if (k < lastDone || !failed) {
            FUZZ_CHECK(out.code[k] >= 1 && out.code[k] <= 254 && !nameOf(out.code[k]).empty(), text);
        }
    }
    if (!ok) return;

    // Canonical form: marks, the name, the hold time; parses the same.
    Str canon;
    for (size_t k = 1; k < size; ++k) {
        if (k > 1) canon += u',';
        if (out.shift[k]) canon += u'+';
        if (out.ctrl[k]) canon += u'^';
        if (out.alt[k]) canon += u'%';
        canon += nameOf(out.code[k]);
        if (out.wait[k] != 0) canon += u"(" + toStr((long long)out.wait[k]) + u")";
    }
    KeyArrays again;
    Str bad2;
    FUZZ_CHECK(keys::parseKeyList(canon, again, bad2), canon);
    FUZZ_CHECK(sameArrays(out, again), canon);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 8192) return 0;
    const Str text = fuzz::asText(data, size);
    check(text);
    // Through the main window too (a sample of the inputs, as it is slower):
    // an unsupported item shows its message and nothing escapes.
    size_t h = 0;
    for (size_t i = 0; i < size; ++i) h = h * 31 + data[i];
    if (h % 8 != 0) return 0;
    auto& a = fuzz::app();
    a.app->hotKeyCodes(text);
    KeyArrays pure;
    Str bad;
    bool ok = true;
    try {
        ok = keys::parseKeyList(text, pure, bad);
    } catch (const RtError&) {
        FUZZ_CHECK(a.status().find(u"[MS_HotKey_StrToArry]") != Str::npos, a.status());
    }
    if (!ok) {
        FUZZ_CHECK(!a.p.shown.empty() && a.p.shown.back().text == u"「" + bad + u"」は、サポートされていないキーです。",
                   text);
    }
    a.forget();
    return 0;
}
