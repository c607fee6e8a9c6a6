// The keystroke notation: any text either fails with error 5 or yields a
// bounded list of events in which every modifier press has its release,
// every key goes down and up again, and nothing stays held at the end.
#include <map>

#include "fuzz_util.h"
#include "input/sendkeys.h"

namespace {

// A fixed, layout-like answer: letters and digits as their keys, capitals
// with Shift, some punctuation needing Ctrl or Alt, kana and the rest
// untypable; a few odd answers the real VkKeyScan can give too.
int layout(char16_t c) {
    if (c >= u'a' && c <= u'z') return c - u'a' + 'A';
    if (c >= u'A' && c <= u'Z') return 0x100 | c;
    if (c >= u'0' && c <= u'9') return c;
    switch (c) {
    case u' ': return 0x20;
    case u'!': return 0x131;
    case u'@': return 0x632;        // Ctrl+Alt, as on some European layouts
    case u'\t': return 0x09;
    case u'\r': return 0x0D;
    case u'.': return 0xBE;
    case u'|': return 0x7DC;        // Shift+Ctrl+Alt
    case u'\\': return 0x8DC;       // bits beyond Alt: not typable as such
    case u'`': return 0x1FF;        // no key
    default: return -1;
    }
}

bool isModifier(uint16_t vk) { return vk == 16 || vk == 17 || vk == 18; }

void check(const Str& text) {
    std::vector<sendkeys::KeyEvent> events;
    try {
        events = sendkeys::parse(text, layout);
    } catch (const RtError& e) {
        FUZZ_CHECK(e.number == err::InvalidCall, text);
        return;
    }
    FUZZ_CHECK(events.size() <= sendkeys::kMaxEvents, text);
    std::map<uint16_t, int> held;  // modifier -> presses not yet released
    for (size_t i = 0; i < events.size(); ++i) {
        const auto& e = events[i];
        if (e.vk == 0) {
            // A Unicode character: down, then up at once, same unit.
            FUZZ_CHECK(!e.up && i + 1 < events.size(), text);
            const auto& u = events[i + 1];
            FUZZ_CHECK(u.vk == 0 && u.up && u.unit == e.unit, text);
            ++i;
        } else if (isModifier(e.vk)) {
            int& n = held[e.vk];
            n += e.up ? -1 : 1;
            FUZZ_CHECK(n >= 0 && n <= 1, text);  // never released unpressed, never pressed twice
        } else {
            // An ordinary key is tapped: down and up in a row.
            FUZZ_CHECK(!e.up && i + 1 < events.size(), text);
            const auto& u = events[i + 1];
            FUZZ_CHECK(u.vk == e.vk && u.up, text);
            FUZZ_CHECK(e.vk <= 0xFE, text);
            ++i;
        }
    }
    for (auto& [vk, n] : held) FUZZ_CHECK(n == 0, text);

    // Text without any mark of the notation is typed as it stands.
    bool plain = true;
    for (char16_t c : text)
        if (Str(u"+^%~(){}[]").find(c) != Str::npos) plain = false;
    if (plain) {
        size_t keys = 0;
        for (const auto& e : events)
            if (!e.up && !isModifier(e.vk)) ++keys;
        FUZZ_CHECK(keys == text.size(), text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 16384) return 0;
    check(fuzz::asText(data, size));
    return 0;
}
