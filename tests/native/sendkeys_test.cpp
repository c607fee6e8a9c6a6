// The keystroke sender: notation, layout use, limits and the sent batch.
#include <gtest/gtest.h>

#include "app_fixture.h"
#include "input/physical_keys.h"
#include "input/sendkeys.h"

namespace {

// Events as "d65 u65" (key down/up), "e" marks a key the keyboard sends
// with the extended flag, "U+xxxx" a Unicode unit.
std::string render(const std::vector<sendkeys::KeyEvent>& ev) {
    std::string s;
    char buf[32];
    for (auto& e : ev) {
        if (!s.empty()) s += ' ';
        if (e.vk == 0) snprintf(buf, sizeof buf, "%cU+%04X", e.up ? 'u' : 'd', unsigned(e.unit));
        else snprintf(buf, sizeof buf, "%c%u%s", e.up ? 'u' : 'd', unsigned(e.vk), keys::isExtendedKey(e.vk) ? "e" : "");
        s += buf;
    }
    return s;
}

class SendKeysParse : public ::testing::Test {
protected:
    headless::Platform p;  // its US layout answers the layout question
    std::string keys(StrView text) {
        return render(sendkeys::parse(text, [&](char16_t c) { return p.os.vkKeyScan(c); }));
    }
    int errorOf(StrView text) {
        try {
            keys(text);
        } catch (const RtError& e) {
            return e.number;
        }
        return 0;
    }
};

}  // namespace

TEST_F(SendKeysParse, LiteralCharactersWithTheShiftTheLayoutNeeds) {
    EXPECT_EQ(keys(u""), "");
    EXPECT_EQ(keys(u"ab"), "d65 u65 d66 u66");
    EXPECT_EQ(keys(u"A1"), "d16 d65 u65 u16 d49 u49");
    EXPECT_EQ(keys(u"!"), "d16 d49 u49 u16");
    EXPECT_EQ(keys(u" -"), "d32 u32 d189 u189");
}

TEST_F(SendKeysParse, ModifiersApplyToTheNextKeyOrGroup) {
    EXPECT_EQ(keys(u"+a"), "d16 d65 u65 u16");
    EXPECT_EQ(keys(u"+ab"), "d16 d65 u65 u16 d66 u66");
    EXPECT_EQ(keys(u"^c"), "d17 d67 u67 u17");
    EXPECT_EQ(keys(u"%f"), "d18 d70 u70 u18");
    EXPECT_EQ(keys(u"^+%x"), "d16 d17 d18 d88 u88 u18 u17 u16");
    // Shift already held for the group: "A" needs no second press.
    EXPECT_EQ(keys(u"+(aB)"), "d16 d65 u65 d66 u66 u16");
    EXPECT_EQ(keys(u"+(a^(b))c"), "d16 d65 u65 d17 d66 u66 u17 u16 d67 u67");
    EXPECT_EQ(keys(u"(ab)"), "d65 u65 d66 u66");
    EXPECT_EQ(keys(u"+()"), "d16 u16");
    EXPECT_EQ(keys(u"+(+a)"), "d16 d65 u65 u16");
    EXPECT_EQ(keys(u"^~"), "d17 d13 u13 u17");
    EXPECT_EQ(keys(u"+{TAB}"), "d16 d9 u9 u16");
}

TEST_F(SendKeysParse, SpecialKeysInBraces) {
    EXPECT_EQ(keys(u"~"), "d13 u13");
    EXPECT_EQ(keys(u"{ENTER}{enter}{Tab}"), "d13 u13 d13 u13 d9 u9");
    EXPECT_EQ(keys(u"{BS}{BKSP}{BACKSPACE}"), "d8 u8 d8 u8 d8 u8");
    EXPECT_EQ(keys(u"{DEL}{DELETE}{INS}{INSERT}"), "d46e u46e d46e u46e d45e u45e d45e u45e");
    EXPECT_EQ(keys(u"{UP}{DOWN}{LEFT}{RIGHT}"), "d38e u38e d40e u40e d37e u37e d39e u39e");
    EXPECT_EQ(keys(u"{HOME}{END}{PGUP}{PGDN}"), "d36e u36e d35e u35e d33e u33e d34e u34e");
    EXPECT_EQ(keys(u"{BREAK}{CAPSLOCK}{ESC}{HELP}"), "d3e u3e d20 u20 d27 u27 d47 u47");
    EXPECT_EQ(keys(u"{NUMLOCK}{PRTSC}{SCROLLLOCK}"), "d144e u144e d44e u44e d145 u145");
    EXPECT_EQ(keys(u"{ADD}{SUBTRACT}{MULTIPLY}{DIVIDE}"), "d107 u107 d109 u109 d106 u106 d111e u111e");
    EXPECT_EQ(keys(u"{F1}{F10}{F16}"), "d112 u112 d121 u121 d127 u127");
}

TEST_F(SendKeysParse, BracedCharactersAreLiteral) {
    EXPECT_EQ(keys(u"{+}"), "d16 d187 u187 u16");
    EXPECT_EQ(keys(u"{^}{%}"), "d16 d54 u54 u16 d16 d53 u53 u16");
    EXPECT_EQ(keys(u"{~}"), "d16 d192 u192 u16");
    EXPECT_EQ(keys(u"{(}{)}"), "d16 d57 u57 u16 d16 d48 u48 u16");
    EXPECT_EQ(keys(u"{{}{}}"), "d16 d219 u219 u16 d16 d221 u221 u16");
    EXPECT_EQ(keys(u"{[}{]}"), "d219 u219 d221 u221");
    EXPECT_EQ(keys(u"{a}"), "d65 u65");
}

TEST_F(SendKeysParse, CountsRepeat) {
    EXPECT_EQ(keys(u"{TAB 3}"), "d9 u9 d9 u9 d9 u9");
    EXPECT_EQ(keys(u"{x 2}"), "d88 u88 d88 u88");
    EXPECT_EQ(keys(u"{} 2}"), "d16 d221 u221 u16 d16 d221 u221 u16");
    EXPECT_EQ(keys(u"+{LEFT 2}"), "d16 d37e u37e d37e u37e u16");
    EXPECT_EQ(keys(u"{a 0}b"), "d66 u66");
    EXPECT_EQ(sendkeys::parse(u"{a 10000}", [](char16_t) { return 0x41; }).size(), 20000u);
}

TEST_F(SendKeysParse, KanaAndKanjiGoAsUnicode) {
    EXPECT_EQ(keys(u"ｱ漢"), "dU+FF71 uU+FF71 dU+6F22 uU+6F22");
    EXPECT_EQ(keys(u"a字"), "d65 u65 dU+5B57 uU+5B57");
    EXPECT_EQ(keys(u"+ｱ"), "d16 dU+FF71 uU+FF71 u16");
    EXPECT_EQ(keys(u"{漢 2}"), "dU+6F22 uU+6F22 dU+6F22 uU+6F22");
    // A character beyond the BMP: both surrogate units, also in braces.
    EXPECT_EQ(keys(u"😀"), "dU+D83D uU+D83D dU+DE00 uU+DE00");
    EXPECT_EQ(keys(u"{😀}"), "dU+D83D uU+D83D dU+DE00 uU+DE00");
    // A layout answer with a state beyond Shift/Ctrl/Alt (kana lock) is not
    // typable by key.
    auto kanaLayout = [](char16_t) { return 0x841; };
    EXPECT_EQ(render(sendkeys::parse(u"ｱ", kanaLayout)), "dU+FF71 uU+FF71");
    // Ctrl+Alt states are pressed as the layout asks.
    auto altGr = [](char16_t) { return 0x645; };
    EXPECT_EQ(render(sendkeys::parse(u"€", altGr)), "d17 d18 d69 u69 u18 u17");
}

TEST_F(SendKeysParse, MalformedTextIsError5) {
    for (StrView bad : {u"{", u"{TAB", u"{}", u"abc{ENTER", u"{NOPE}", u"{F17}", u"{F0}", u"{F01}", u"{TAB x}",
                        u"{TAB }", u"{TAB 3x}", u"{TAB -1}", u"{TAB  3}", u"{TAB 10001}", u"{TAB 99999999999999999999}",
                        u"(", u"(ab", u"+(a", u")", u"a)", u"(a))", u"+", u"ab^", u"+)", u"}", u"a}", u"[", u"]",
                        u"x[y]", u"{ENTER}}"})
        EXPECT_EQ(errorOf(bad), err::InvalidCall) << toUtf8(bad);
}

TEST_F(SendKeysParse, DeepNestingAndHugeTextsAreRefusedNotCrashing) {
    Str ok = Str(64, u'(') + u"a" + Str(64, u')');
    EXPECT_EQ(keys(ok), "d65 u65");
    Str deep = Str(65, u'(') + u"a" + Str(65, u')');
    EXPECT_EQ(errorOf(deep), err::InvalidCall);
    Str veryDeep(200000, u'(');
    EXPECT_EQ(errorOf(veryDeep), err::InvalidCall);
    Str many;
    for (int i = 0; i < 11; ++i) many += u"{a 10000}";
    EXPECT_EQ(errorOf(many), err::InvalidCall);  // 220000 events
}

TEST(SendKeysSend, OneBatchWithScanCodesAndFlags) {
    headless::Platform p;
    sendkeys::send(p.os, u"+a{LEFT}{PRTSC}ｱ", false);
    ASSERT_EQ(p.trace.size(), 1u);
    // PrintScreen goes as E0 37, not as the layout's SysRq code.
    EXPECT_EQ(p.trace[0],
              "SendInput(16,42,0;65,30,0;65,30,2;16,42,2;37,75,1;37,75,3;44,55,1;44,55,3;U+FF71,4;U+FF71,6)");
    p.clearTrace();
    sendkeys::send(p.os, u"", false);
    EXPECT_TRUE(p.trace.empty());
}

TEST(SendKeysSend, RefusedInputIsError70AndMalformedTextSendsNothing) {
    headless::Platform p;
    p.blockInput = true;
    try {
        sendkeys::send(p.os, u"abc", false);
        FAIL();
    } catch (const RtError& e) {
        EXPECT_EQ(e.number, err::PermissionDenied);
    }
    p.blockInput = false;
    try {
        sendkeys::send(p.os, u"abc{", false);
        FAIL();
    } catch (const RtError& e) {
        EXPECT_EQ(e.number, err::InvalidCall);
        EXPECT_EQ(e.description, err::describeNumber(err::InvalidCall));
    }
    EXPECT_TRUE(p.trace.empty());
}

// Whatever the text, a parse either fails with error 5 or leaves no key
// held: every down has its up, in order, and modifiers nest.
TEST_F(SendKeysParse, RandomTextNeverLeavesAKeyDown) {
    const Str alphabet = u"+^%~(){}[] aA1{}TABENTERF12漢ｱ";
    uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    int parsed = 0;
    for (int n = 0; n < 20000; ++n) {
        Str text;
        size_t len = next() % 12;
        for (size_t i = 0; i < len; ++i) text += alphabet[next() % alphabet.size()];
        std::vector<sendkeys::KeyEvent> ev;
        try {
            ev = sendkeys::parse(text, [&](char16_t c) { return p.os.vkKeyScan(c); });
        } catch (const RtError& e) {
            ASSERT_EQ(e.number, err::InvalidCall) << toUtf8(text);
            continue;
        }
        ++parsed;
        std::vector<std::pair<uint16_t, char16_t>> held;
        for (auto& e : ev) {
            std::pair<uint16_t, char16_t> k{e.vk, e.unit};
            if (!e.up) {
                held.push_back(k);
            } else {
                ASSERT_FALSE(held.empty()) << toUtf8(text);
                ASSERT_EQ(held.back(), k) << toUtf8(text);
                held.pop_back();
            }
        }
        EXPECT_TRUE(held.empty()) << toUtf8(text);
    }
    EXPECT_GT(parsed, 1000);
}
