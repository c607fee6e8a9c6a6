// The program's CP932 codec against the system's own conversion: every
// UTF-16 code unit encoded, every single byte and byte pair decoded, with
// the same result and the same verdict on what CP932 cannot hold.
#include "harness.h"

#include <cstdio>

#include "platform/win32/cp_probe.h"

namespace {

std::string hex(std::string_view bytes) {
    std::string s;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!s.empty()) s += ' ';
        s += buf;
    }
    return s;
}

std::string units(StrView text) {
    std::string s;
    char buf[8];
    for (char16_t c : text) {
        std::snprintf(buf, sizeof buf, "U+%04X", unsigned(c));
        if (!s.empty()) s += ' ';
        s += buf;
    }
    return s;
}

// Reports the first few differences by name and counts all of them.
struct Differences {
    long count = 0;
    void add(const std::string& what) {
        if (++count <= 20) wt::note(what);
    }
};

}  // namespace

TEST(Cp932System, EveryCodeUnitEncodesAsWindowsWritesIt) {
    Differences d;
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        const Str c(1, char16_t(u));
        const win32::probe::SystemBytes sys = win32::probe::systemToCp932(c);
        bool lossless = true;
        const std::string ours = toCp932(c, &lossless);
        if (ours != sys.bytes || lossless == sys.usedDefault || fitsCp932(c) != lossless ||
            cp932Length(c) != long(ours.size()))
            d.add(units(c) + ": ours " + hex(ours) + (lossless ? "" : " (no form)") + ", Windows " + hex(sys.bytes) +
                  (sys.usedDefault ? " (no form)" : ""));
    }
    // A pair of surrogates is one character without a CP932 form.
    const Str pair = u"\U0001F600";
    bool lossless = true;
    EXPECT_EQ(toCp932(pair, &lossless), win32::probe::systemToCp932(pair).bytes);
    EXPECT_FALSE(lossless);
    EXPECT_EQ(d.count, 0L);
}

TEST(Cp932System, EverySingleByteAndBytePairDecodesAsWindowsReadsIt) {
    Differences d;
    auto check = [&](const std::string& bytes) {
        const Str ours = fromCp932(bytes);
        const Str sys = win32::probe::systemFromCp932(bytes);
        if (ours != sys) d.add(hex(bytes) + ": ours " + units(ours) + ", Windows " + units(sys));
    };
    for (unsigned b = 0; b <= 0xFF; ++b) check(std::string(1, char(b)));
    for (unsigned lead = 0; lead <= 0xFF; ++lead)
        for (unsigned trail = 0; trail <= 0xFF; ++trail) check(std::string{char(lead), char(trail)});
    EXPECT_EQ(d.count, 0L);
}
