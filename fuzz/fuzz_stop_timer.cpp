// The stop-timer text of the settings dialog and the byte helpers behind
// it: a text is refused, overflows, or stores numbers that show as a text
// parsing back to the same numbers; OK never stores half a refused text.
#include <cmath>

#include "fuzz_app.h"
#include "fuzz_util.h"
#include "settings/digits.h"
#include "settings/settings_dialog.h"

namespace {

bool allDigits(StrView s) {
    if (s.empty()) return false;
    for (char16_t c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

void checkBytes(const Str& s) {
    FUZZ_CHECK(isAllDigits(s) == allDigits(s), s);
    const long n = ansiLength(s);
    FUZZ_CHECK(n == cp932Length(s), s);
    const Str ansi = fromCp932(toCp932(s));
    FUZZ_CHECK(ansiMid(s, 1) == ansi, s);
    FUZZ_CHECK(ansiMid(s, n + 1).empty() && ansiMid(s, 1, 0).empty(), s);
    FUZZ_CHECK(ansiConvert(ansiConvert(s, strconv::FromUnicode), strconv::ToUnicode) == ansi, s);
    FUZZ_CHECK(long(ansiConvert(s, strconv::FromUnicode).size()) == n, s);
    // Cutting at a character boundary and joining gives the whole text.
    if (!s.empty()) {
        const Str head = s.substr(0, s.size() / 2);
        const long cut = cp932Length(head);
        if (head.empty() || !(head.back() >= 0xD800 && head.back() <= 0xDBFF))
            FUZZ_CHECK(ansiMid(s, 1, cut) + ansiMid(s, cut + 1) == ansi, s);
    }
}

void checkParse(const Str& s) {
    const auto p = stoptimer::parse(s);
    if (!p) return;
    if (s.empty()) {
        FUZZ_CHECK(p->hours == 0 && p->minutes == 0, s);
        return;
    }
    const size_t colon = s.find(u':');
    if (colon == Str::npos) {
        FUZZ_CHECK(allDigits(s) && p->hours == -1 && p->minutes >= 0, s);
    } else {
        FUZZ_CHECK(allDigits(s.substr(0, colon)) && allDigits(s.substr(colon + 1)), s);
        FUZZ_CHECK(p->hours >= 0 && p->minutes >= 0 && p->minutes < 60, s);
    }
    FUZZ_CHECK(p->minutes == std::floor(p->minutes) && p->hours == std::floor(p->hours), s);
    if (p->hours <= 32767 && p->minutes <= 32767) {
        // Shown again when the dialog opens, the text means the same.
        const Str shown = stoptimer::format(int16_t(p->hours), int16_t(p->minutes));
        const auto again = stoptimer::parse(shown);
        FUZZ_CHECK(again && again->hours == p->hours && again->minutes == p->minutes, shown);
    }
}

// Through the dialog: OK stores the pair, or refuses it and keeps the
// members as they were.
void checkDialog(const Str& s) {
    auto& a = fuzz::app();
    MainWindow& m = *a.app;
    m.document.settings.timerHours = 7;
    m.document.settings.timerMinutes = 8;
    SettingsDialog dialog(*m.form, a.p.os, m.statusLine, m.document, m.hotKeys, m.settingsView);
    dialog.Form_Load();
    dialog.txt_StopTimer->setText(s);
    dialog.cmd_Ok_Click();
    const auto p = stoptimer::parse(s);
    const bool fits = p && p->hours >= -32768 && p->hours <= 32767 && p->minutes <= 32767;
    if (fits) {
        FUZZ_CHECK(m.document.settings.timerHours == p->hours && m.document.settings.timerMinutes == p->minutes, s);
    } else {
        FUZZ_CHECK(m.document.settings.timerHours == 7 && m.document.settings.timerMinutes == 8, s);
        FUZZ_CHECK(!a.p.shown.empty(), s);  // "入力エラー" or the overflow
    }
    a.forget();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const Str s = fuzz::asText(data, size);
    checkBytes(s);
    checkParse(s);
    // A dialog per input is slow: take every accepted text and a sample of
    // the refused ones through it.
    size_t h = 0;
    for (size_t i = 0; i < size; ++i) h = h * 31 + data[i];
    if (stoptimer::parse(s) || h % 16 == 0) checkDialog(s);
    return 0;
}
