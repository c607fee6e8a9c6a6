// Key names and key lists.
#include "app_fixture.h"
#include "input/keys.h"

namespace {

struct Parsed {
    KeyArrays a;
    Str bad;
    bool ok;
};

Parsed parse(StrView text) {
    Parsed r;
    r.ok = keys::parseKeyList(text, r.a, r.bad);
    return r;
}

}  // namespace

TEST(KeyTable, HoldsExactlyTheSupportedNamesWithTheirCodes) {
    const auto& t = keys::table();
    ASSERT_EQ(t.size(), 127u);
    std::set<Str> names;
    for (auto& [name, code] : t) {
        EXPECT_TRUE(names.insert(name).second) << toUtf8(name);
        EXPECT_GE(code, 1);
        EXPECT_LE(code, 254);
        EXPECT_EQ(keys::codeOf(name), code);
    }
    EXPECT_EQ(keys::codeOf(u"VK_0"), 48);
    EXPECT_EQ(keys::codeOf(u"VK_9"), 57);
    EXPECT_EQ(keys::codeOf(u"VK_A"), 65);
    EXPECT_EQ(keys::codeOf(u"VK_X"), 88);
    EXPECT_EQ(keys::codeOf(u"VK_Z"), 90);
    EXPECT_EQ(keys::codeOf(u"VK_NUMPAD0"), 96);
    EXPECT_EQ(keys::codeOf(u"VK_NUMPAD9"), 105);
    EXPECT_EQ(keys::codeOf(u"VK_F1"), 112);
    EXPECT_EQ(keys::codeOf(u"VK_F17"), 128);
    EXPECT_EQ(keys::codeOf(u"VK_F24"), 135);
    EXPECT_EQ(keys::codeOf(u"VK_SEPARATOR"), 108);
    EXPECT_EQ(keys::codeOf(u"VK_OEM_CLEAR"), 254);
    EXPECT_EQ(keys::codeOf(u"VK_CLEAR"), 12);
    EXPECT_EQ(keys::codeOf(u"VK_RMENU"), 165);
    // The keys a macro switches a Japanese IME with.
    EXPECT_EQ(keys::codeOf(u"VK_KANA"), 0x15);
    EXPECT_EQ(keys::codeOf(u"VK_KANJI"), 0x19);
    EXPECT_EQ(keys::codeOf(u"VK_CONVERT"), 0x1C);
    EXPECT_EQ(keys::codeOf(u"VK_NONCONVERT"), 0x1D);
    for (StrView missing : {u"VK_LWIN", u"VK_RWIN", u"VK_APPS", u"VK_OEM_PLUS", u"VK_JUNJA", u"VK_XBUTTON1",
                            u"VK_SLEEP", u"VK_F25", u"VK_F0", u"VK_NUMPAD10", u"vk_a", u"VK_", u""})
        EXPECT_EQ(keys::codeOf(missing), 0) << toUtf8(missing);
}

TEST(KeyListParser, BlanksCaseAndEmptyLists) {
    for (StrView empty : {u"", u"   ", u"　"}) {
        auto r = parse(empty);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.a.last(), 0);
        EXPECT_EQ(r.a.code.size(), 1u);
    }
    auto r = parse(u" vk_a , VK_b ");
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.a.last(), 2);
    EXPECT_EQ(r.a.code[1], 65);
    EXPECT_EQ(r.a.code[2], 66);
    EXPECT_EQ(r.a.code[0], 0);
    EXPECT_EQ(parse(u"vk_return").a.code[1], 13);
}

TEST(KeyListParser, ModifierMarksStandAnywhereAndRepeat) {
    auto r = parse(u"^+VK_S");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.a.code[1], 83);
    EXPECT_TRUE(r.a.shift[1]);
    EXPECT_TRUE(r.a.ctrl[1]);
    EXPECT_FALSE(r.a.alt[1]);
    r = parse(u"VK_S+");
    EXPECT_EQ(r.a.code[1], 83);
    EXPECT_TRUE(r.a.shift[1]);
    r = parse(u"V%K_%S++");
    EXPECT_EQ(r.a.code[1], 83);
    EXPECT_TRUE(r.a.alt[1]);
    EXPECT_TRUE(r.a.shift[1]);
    EXPECT_FALSE(r.a.ctrl[1]);
    r = parse(u"VK_HOME,+VK_END,VK_DELETE");
    ASSERT_EQ(r.a.last(), 3);
    EXPECT_EQ(r.a.code[1], 36);
    EXPECT_EQ(r.a.code[2], 35);
    EXPECT_EQ(r.a.code[3], 46);
    EXPECT_FALSE(r.a.shift[1]);
    EXPECT_TRUE(r.a.shift[2]);
    EXPECT_FALSE(r.a.shift[3]);
}

TEST(KeyListParser, HoldTimes) {
    EXPECT_EQ(parse(u"VK_A(750)").a.wait[1], 750);
    EXPECT_EQ(parse(u"VK_A(2.5)").a.wait[1], 2);
    EXPECT_EQ(parse(u"VK_A(3.5)").a.wait[1], 4);
    EXPECT_EQ(parse(u"VK_A(x)").a.wait[1], 0);
    EXPECT_EQ(parse(u"VK_A( 1 2)").a.wait[1], 12);
    auto r = parse(u"+VK_TAB(200)");
    EXPECT_EQ(r.a.code[1], 9);
    EXPECT_EQ(r.a.wait[1], 200);
    EXPECT_TRUE(r.a.shift[1]);
    // Brackets in either order: the text after the first "(" is the hold time.
    r = parse(u"VK_A)(5");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.bad, u"VK_A)(5");
    EXPECT_EQ(r.a.wait[1], 5);
    // A single bracket is part of the name.
    r = parse(u"VK_A(100");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.bad, u"VK_A(100");
}

TEST(KeyListParser, UnsupportedItemStopsTheParse) {
    auto r = parse(u"VK_A,");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.bad, u"");
    EXPECT_EQ(r.a.code[1], 65);
    EXPECT_EQ(r.a.last(), 2);

    r = parse(u"VK_A (100)");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.bad, u"VK_A (100)");

    r = parse(u"VK_F17");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.a.code[1], 128);
    EXPECT_FALSE(parse(u"VK_OEM_PLUS").ok);

    // The failing entry keeps its marks and hold time; later ones stay empty.
    r = parse(u"VK_TAB, +vk_lwin(40) ,VK_RETURN");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.bad, u"+vk_lwin(40)");
    ASSERT_EQ(r.a.last(), 3);
    EXPECT_EQ(r.a.code[1], 9);
    EXPECT_EQ(r.a.code[2], 0);
    EXPECT_TRUE(r.a.shift[2]);
    EXPECT_EQ(r.a.wait[2], 40);
    EXPECT_EQ(r.a.code[3], 0);
    EXPECT_EQ(r.a.wait[3], 0);
    EXPECT_FALSE(r.a.shift[3]);

    // VK_X is a letter key like any other.
    r = parse(u"VK_TAB,VK_X,VK_RETURN");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.a.code[2], 88);
}

TEST(KeyListParser, HoldTimeOutOfRangeIsAnOverflow) {
    KeyArrays a;
    Str bad;
    try {
        keys::parseKeyList(u"VK_A(10),VK_B(2147483648)", a, bad);
        FAIL() << "no error";
    } catch (const RtError& e) {
        EXPECT_EQ(e.number, err::Overflow);
    }
    EXPECT_EQ(a.code[1], 65);
    EXPECT_EQ(a.wait[1], 10);
    EXPECT_EQ(parse(u"VK_A(2147483647)").a.wait[1], 2147483647);
}

TEST_F(AppTest, HotKeyParserReportsAnUnsupportedKeyAndStops) {
    start();
    KeyArrays a;
    a.code.assign(5, 7);  // replaced, whatever it held
    Str bad;
    EXPECT_FALSE(keys::readKeyList(app->statusLine, u" VK_F5 ,  Vk_Lwin ", a, bad));
    EXPECT_EQ(bad, u"Vk_Lwin");
    EXPECT_EQ(a.last(), 2);
    EXPECT_EQ(a.code[1], 116);
    EXPECT_TRUE(p.shown.empty());  // the parser tells nothing itself
    // The hot keys tell it and stop, as a run would be stopped.
    EXPECT_EQ(app->hotKeyCodes(u" VK_F5 ,  Vk_Lwin "), (std::vector<int16_t>{0, 116, 0}));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"「Vk_Lwin」は、サポートされていないキーです。");
    EXPECT_EQ(p.shown[0].style, tk::mb::OK);
    EXPECT_EQ(p.shown[0].title, u"TOVIRAK");
    EXPECT_EQ(status(), u"待機中");  // the stop shows the idle text

    app->hotKeyCodes(u"VK_A,");
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[1].text, u"「」は、サポートされていないキーです。");

    EXPECT_TRUE(keys::readKeyList(app->statusLine, u"^VK_C,VK_F12", a, bad));
    EXPECT_EQ(app->hotKeyCodes(u"^VK_C,VK_F12"), (std::vector<int16_t>{0, 67, 123}));
    EXPECT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(a.last(), 2);
    EXPECT_TRUE(a.ctrl[1]);
}

TEST_F(AppTest, HotKeyParserErrorExitKeepsWhatWasParsed) {
    start();
    KeyArrays a;
    Str bad;
    EXPECT_TRUE(keys::readKeyList(app->statusLine, u"VK_A,VK_B(9999999999)", a, bad));
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(status(), u"[MS_HotKey_StrToArry]オーバーフローしました。");
    EXPECT_EQ(a.code[1], 65);
}

TEST_F(AppTest, DocumentHotKeyLinesBecomeTheKeyCodeLists) {
    start();
    p.putFile(u"C:\\work\\hk.TVK", "StartHotKey=VK_F5, vk_f6\r\nStopHotKey=^VK_S(300)\r\n");
    app->macroFile.read(u"C:\\work\\hk.TVK");
    EXPECT_EQ(app->document.settings.startKeys, u"VK_F5, vk_f6");
    EXPECT_EQ(app->hotKeys.startKeys(), (std::vector<int16_t>{0, 116, 117}));
    EXPECT_EQ(app->hotKeys.stopKeys(), (std::vector<int16_t>{0, 83}));
    EXPECT_TRUE(p.shown.empty());

    p.putFile(u"C:\\work\\bad.TVK", "StopHotKey=VK_F1,VK_APPS\r\n");
    app->macroFile.read(u"C:\\work\\bad.TVK");
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"「VK_APPS」は、サポートされていないキーです。");
    EXPECT_EQ(app->hotKeys.stopKeys(), (std::vector<int16_t>{0, 112, 0}));
}
