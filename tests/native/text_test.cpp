#include "platform/text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

// Runs f, expecting an RtError; returns it for inspection.
template <class F>
RtError catchRt(F f) {
    try {
        f();
    } catch (const RtError& e) {
        return e;
    }
    ADD_FAILURE() << "no RtError thrown";
    return RtError(-1, u"");
}

std::string bytes(std::initializer_list<unsigned char> b) { return std::string(b.begin(), b.end()); }

}  // namespace

// ---------------------------------------------------------------------------
// Errors

TEST(Errors, DescriptionsAreJapaneseAndUnknownNumbersGetTheGenericText) {
    EXPECT_EQ(err::describeNumber(err::Overflow), u"オーバーフローしました。");
    EXPECT_EQ(err::describeNumber(err::PermissionDenied), u"書き込みできません。");
    EXPECT_EQ(err::describeNumber(err::InvalidProperty), u"プロパティの値が不正です。");
    EXPECT_EQ(err::describeNumber(12345), u"アプリケーション定義またはオブジェクト定義のエラーです。");
    EXPECT_EQ(err::describeNumber(0), err::describeNumber(12345));
}

TEST(Errors, RaiseCarriesNumberAndDescription) {
    RtError e = catchRt([] { err::raise(err::FileNotFound); });
    EXPECT_EQ(e.number, 53);
    EXPECT_EQ(e.description, u"ファイルが見つかりません。");
    e = catchRt([] { err::raise(70, u"独自の説明"); });
    EXPECT_EQ(e.number, 70);
    EXPECT_EQ(e.description, u"独自の説明");
}

TEST(Errors, CurrentExceptionIsTranslated) {
    auto check = [](auto thrower, const Str& description, int number) {
        try {
            thrower();
        } catch (...) {
            EXPECT_EQ(describeCurrentException(), description);
            EXPECT_EQ(currentErrorNumber(), number);
        }
    };
    check([] { err::raise(err::DiskFull); }, u"ディスクの空き容量が不足しています。", 61);
    check([] { throw std::bad_alloc(); }, err::describeNumber(7), 7);
    check([] { throw std::out_of_range("x"); }, err::describeNumber(9), 9);
    check([] { (void)Str(u"abc").at(10); }, err::describeNumber(9), 9);
    check([] { throw std::runtime_error("ファイル \xff 壊れ"); }, u"ファイル \uFFFD 壊れ", 0);
    check([] { throw 42; }, err::describeNumber(0), 0);
    // Outside a handler there is nothing to describe, but it must not crash.
    EXPECT_EQ(currentErrorNumber(), 0);
    EXPECT_FALSE(describeCurrentException().empty());
}

// ---------------------------------------------------------------------------
// Rounding and integer conversion

TEST(Rounding, TiesGoToEven) {
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(2.5000001), 3.0);
    EXPECT_EQ(roundHalfEven(-0.4), 0.0);
    EXPECT_EQ(roundHalfEven(4503599627370497.0), 4503599627370497.0);  // already whole
    EXPECT_EQ(roundHalfEven(2251799813685248.5), 2251799813685248.0);
}

TEST(Rounding, CintRangeIsCheckedAfterRounding) {
    EXPECT_EQ(cint(32767.0), 32767);
    EXPECT_EQ(cint(32767.4), 32767);
    EXPECT_EQ(cint(-32768.0), -32768);
    EXPECT_EQ(cint(-32768.5), -32768);  // ties to the even -32768
    EXPECT_EQ(cint(2.5), 2);
    EXPECT_EQ(cint(3.5), 4);
    for (double v : {32767.5, 32768.0, -32768.6, -32769.0, 1e300, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()}) {
        const RtError e = catchRt([v] { cint(v); });
        EXPECT_EQ(e.number, err::Overflow) << v;
        EXPECT_EQ(e.description, u"オーバーフローしました。");
    }
}

TEST(Rounding, ClngLimits) {
    EXPECT_EQ(clng(2147483647.0), 2147483647);
    EXPECT_EQ(clng(2147483647.4), 2147483647);
    EXPECT_EQ(clng(-2147483648.0), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(clng(-2147483648.5), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(clng(-0.5), 0);
    EXPECT_EQ(catchRt([] { clng(2147483647.5); }).number, err::Overflow);
    EXPECT_EQ(catchRt([] { clng(-2147483649.0); }).number, err::Overflow);
    EXPECT_EQ(catchRt([] { clng(std::nan("")); }).number, err::Overflow);
}

TEST(Rounding, FromTextGoesThroughCdbl) {
    EXPECT_EQ(cint(u" 12.5 "), 12);
    EXPECT_EQ(clng(u"-1E3"), -1000);
    EXPECT_EQ(catchRt([] { cint(u"abc"); }).number, err::TypeMismatch);
    EXPECT_EQ(catchRt([] { cint(u""); }).number, err::TypeMismatch);
    EXPECT_EQ(catchRt([] { cint(u"40000"); }).number, err::Overflow);
}

// ---------------------------------------------------------------------------
// Numeric text

TEST(Numbers, IsNumericAcceptsTheLenientForms) {
    for (const char16_t* s : {u"0", u" -1.5E+3 ", u"1.", u".5", u"+7", u"\t42\t", u"1e5", u"1D-2", u"2.5d+1", u"007",
                              u"-0", u"1e0000"}) {
        EXPECT_TRUE(isNumeric(s)) << toUtf8(s);
    }
}

TEST(Numbers, IsNumericRejects) {
    for (const char16_t* s : {u"", u" ", u"1e", u"1e+", u"+", u"-", u".", u"１２", u"1,000", u"1.2.3", u"--1",
                              u"- 1", u"1 2", u"e5", u"0x10", u"1e5.0", u"\u30001", u"12a", u"inf", u"nan"}) {
        EXPECT_FALSE(isNumeric(s)) << toUtf8(s);
    }
}

TEST(Numbers, CdblValues) {
    EXPECT_EQ(cdbl(u" -1.5E+3 "), -1500.0);
    EXPECT_EQ(cdbl(u"1."), 1.0);
    EXPECT_EQ(cdbl(u".5"), 0.5);
    EXPECT_EQ(cdbl(u"1D-2"), 0.01);
    EXPECT_EQ(cdbl(u"0.1"), 0.1);  // correctly rounded
    EXPECT_EQ(cdbl(u"1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(cdbl(u"4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(cdbl(u"1e-400"), 0.0);
    EXPECT_EQ(cdbl(u"0e999999999999"), 0.0);
    EXPECT_EQ(cdbl(u"1e-99999999999999999999"), 0.0);
    // Digits far beyond double precision still round correctly.
    Str longText = u"0." + Str(2000, u'3');
    EXPECT_EQ(cdbl(longText), 1.0 / 3.0);
    EXPECT_EQ(cdbl(Str(500, u'0') + u"1" + Str(400, u'0') + u"e-400"), 1.0);
}

TEST(Numbers, CdblErrors) {
    EXPECT_EQ(catchRt([] { cdbl(u"1e"); }).number, err::TypeMismatch);
    EXPECT_EQ(catchRt([] { cdbl(u"１２"); }).description, u"型が一致しません。");
    EXPECT_EQ(catchRt([] { cdbl(u"1e309"); }).number, err::Overflow);
    EXPECT_EQ(catchRt([] { cdbl(u"-1.8e308"); }).number, err::Overflow);
    EXPECT_EQ(catchRt([] { cdbl(u"1e999999999999999999"); }).number, err::Overflow);
    EXPECT_EQ(catchRt([] { cdbl(Str(400, u'9')); }).number, err::Overflow);
}

TEST(Numbers, ValReadsTheLeadingNumber) {
    EXPECT_EQ(val(u" 12 34x"), 1234.0);
    EXPECT_EQ(val(u"1e"), 1.0);
    EXPECT_EQ(val(u"1e+"), 1.0);
    EXPECT_EQ(val(u"-.5"), -0.5);
    EXPECT_EQ(val(u"\t\n 2.5e 2abc"), 250.0);
    EXPECT_EQ(val(u"- 3"), -3.0);
    EXPECT_EQ(val(u"1.5.3"), 1.5);
    EXPECT_EQ(val(u"3D1"), 30.0);
    EXPECT_EQ(val(u"12,345"), 12.0);
    EXPECT_EQ(val(u"１２"), 0.0);
    EXPECT_EQ(val(u"abc"), 0.0);
    EXPECT_EQ(val(u""), 0.0);
    EXPECT_EQ(val(u"."), 0.0);
    EXPECT_EQ(val(u"+-1"), 0.0);
    EXPECT_EQ(val(u"\u3000" u"5"), 0.0);  // only ASCII blanks are skipped
    EXPECT_EQ(val(u"\r5"), 0.0);
}

TEST(Numbers, ValNeverThrowsOnExtremes) {
    EXPECT_EQ(val(u"1e999999999999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(val(u"-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(val(u"1e-999999999999999999999"), 0.0);
    EXPECT_EQ(val(Str(400, u'9')), std::numeric_limits<double>::infinity());
}

TEST(Numbers, ValIsLinearOnHugeText) {
    // A megabyte of text is plenty to tell linear from quadratic work.
    const auto start = std::chrono::steady_clock::now();
    Str digits(1'000'000, u'1');
    EXPECT_EQ(val(digits), std::numeric_limits<double>::infinity());
    Str spaced;
    spaced.reserve(1'000'002);
    spaced += u"7";
    for (int i = 0; i < 500'000; ++i) spaced += u" \n";
    spaced += u"x";
    EXPECT_EQ(val(spaced), 7.0);
    Str fraction = u"0." + Str(1'000'000, u'0') + u"5e1000000";
    EXPECT_EQ(val(fraction), 0.5);
    Str blanks(1'000'000, u' ');
    EXPECT_EQ(val(blanks), 0.0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// ---------------------------------------------------------------------------
// Exact decimals

TEST(Decimals, WholeAfterShiftIsExact) {
    auto whole = [](const char16_t* s, long places) { return parseDecimal(s).value().wholeAfterShift(places); };
    EXPECT_FALSE(whole(u"0.0005", 3));
    EXPECT_TRUE(whole(u"0.0005", 4));
    EXPECT_TRUE(whole(u"2147483.647", 3));
    EXPECT_FALSE(whole(u"2147483.6475", 3));
    EXPECT_TRUE(whole(u"1e-3", 3));
    EXPECT_FALSE(whole(u"1.5e-3", 3));
    EXPECT_TRUE(whole(u"12.3000", 1));
    EXPECT_TRUE(whole(u"0.1", 1));    // 0.1 is not exact in binary, but is here
    EXPECT_TRUE(whole(u"1200", -2));  // negative places divide
    EXPECT_FALSE(whole(u"1250", -2));
    EXPECT_TRUE(whole(u"0", -1000));
    EXPECT_TRUE(whole(u"1e999999999", 0));
    EXPECT_FALSE(whole(u"1e-999999999", 3));
    EXPECT_TRUE(whole(u"1e99999999999999999999", -1000));
}

TEST(Decimals, ParseNormalises) {
    auto d = parseDecimal(u" -0012.3000 ").value();
    EXPECT_TRUE(d.negative);
    EXPECT_EQ(d.digits, "123");
    EXPECT_EQ(d.scale, 1);

    d = parseDecimal(u"0.00500e2").value();
    EXPECT_EQ(d.digits, "5");
    EXPECT_EQ(d.scale, 1);

    d = parseDecimal(u"1200").value();
    EXPECT_EQ(d.digits, "12");
    EXPECT_EQ(d.scale, -2);

    d = parseDecimal(u"-0.000").value();
    EXPECT_TRUE(d.isZero());
    EXPECT_FALSE(d.negative);

    // An absurd exponent changes only the scale; nothing is expanded.
    d = parseDecimal(u"1e999999999").value();
    EXPECT_EQ(d.digits, "1");
    EXPECT_EQ(d.scale, -999999999);
    d = parseDecimal(u"1e-99999999999999999999").value();
    EXPECT_EQ(d.digits, "1");
    EXPECT_GT(d.scale, 0);

    EXPECT_FALSE(parseDecimal(u"1e").has_value());
    EXPECT_FALSE(parseDecimal(u"").has_value());
    EXPECT_FALSE(parseDecimal(u"１").has_value());
}

TEST(Decimals, ManuallyBuiltDigitsWithTrailingZeros) {
    Decimal d;
    d.digits = "1500";
    d.scale = 5;  // 0.015
    EXPECT_TRUE(d.wholeAfterShift(3));
    EXPECT_FALSE(d.wholeAfterShift(2));
}

// ---------------------------------------------------------------------------
// Number to text

TEST(NumberText, Integers) {
    EXPECT_EQ(toStr(0LL), u"0");
    EXPECT_EQ(toStr(-42LL), u"-42");
    EXPECT_EQ(toStr(std::numeric_limits<long long>::min()), u"-9223372036854775808");
}

TEST(NumberText, DoublesPrintLikeCStr) {
    EXPECT_EQ(toStr(2000.0), u"2000");
    EXPECT_EQ(toStr(1500.0), u"1500");
    EXPECT_EQ(toStr(120000.0), u"120000");
    EXPECT_EQ(toStr(0.5), u"0.5");
    EXPECT_EQ(toStr(1.5), u"1.5");
    EXPECT_EQ(toStr(-1.5), u"-1.5");
    EXPECT_EQ(toStr(-0.0), u"0");
    EXPECT_EQ(toStr(0.1 + 0.2), u"0.3");
    EXPECT_EQ(toStr(1.0 / 3.0), u"0.333333333333333");
    EXPECT_EQ(toStr(2.0 / 3.0), u"0.666666666666667");
    EXPECT_EQ(toStr(123456789012345.0), u"123456789012345");
    EXPECT_EQ(toStr(999999999999999.9), u"1E+15");  // rounds up to 15 digits
    EXPECT_EQ(toStr(1e15), u"1E+15");
    EXPECT_EQ(toStr(-1.5e15), u"-1.5E+15");
    EXPECT_EQ(toStr(1.7976931348623157e308), u"1.79769313486232E+308");
    EXPECT_EQ(toStr(0.0001), u"0.0001");
    EXPECT_EQ(toStr(0.00012345), u"0.00012345");
    EXPECT_EQ(toStr(0.00001), u"1E-05");
    EXPECT_EQ(toStr(-2.5e-10), u"-2.5E-10");
    EXPECT_EQ(toStr(4.9406564584124654e-324), u"4.94065645841247E-324");
}

// ---------------------------------------------------------------------------
// String helpers

TEST(Strings, CaseFoldingCoversFullWidthLatinOnly) {
    EXPECT_EQ(ucase(u"abcＡｂｃxyzｚ漢字éあ"), u"ABCＡＢＣXYZＺ漢字éあ");
    EXPECT_EQ(lcase(u"ABCＡｂＣXYZＺ漢字É"), u"abcａｂｃxyzｚ漢字É");
    EXPECT_EQ(ucase(u"@[`{＠［｀｛"), u"@[`{＠［｀｛");  // neighbours of the letter ranges
}

TEST(Strings, TrimRemovesHalfAndFullWidthSpaces) {
    EXPECT_TRUE(isBlankChar(u' '));
    EXPECT_TRUE(isBlankChar(u'\u3000'));
    EXPECT_FALSE(isBlankChar(u'\t'));
    EXPECT_EQ(trim(u" \u3000a b\u3000 "), u"a b");
    EXPECT_EQ(ltrim(u" \u3000a "), u"a ");
    EXPECT_EQ(rtrim(u" a\u3000 "), u" a");
    EXPECT_EQ(trim(u"\ta\t"), u"\ta\t");
    EXPECT_EQ(trim(u"\u3000 \u3000"), u"");
    EXPECT_EQ(ltrim(u""), u"");
}

TEST(Strings, InstrIsOneBased) {
    EXPECT_EQ(instr(u"abcabc", u"bc"), 2);
    EXPECT_EQ(instr(u"abcabc", u"bc", 3), 5);
    EXPECT_EQ(instr(u"abcabc", u"bc", 6), 0);
    EXPECT_EQ(instr(u"abcabc", u"x"), 0);
    EXPECT_EQ(instr(u"abc", u"", 1), 1);
    EXPECT_EQ(instr(u"abc", u"", 4), 4);
    EXPECT_EQ(instr(u"abc", u"", 5), 0);
    EXPECT_EQ(instr(u"abc", u"c", 1000000), 0);
    EXPECT_EQ(instr(u"", u""), 1);
    EXPECT_EQ(instr(u"左ドラッグ", u"ドラ"), 2);
    EXPECT_EQ(catchRt([] { instr(u"abc", u"a", 0); }).number, err::InvalidCall);
}

TEST(Strings, MidLeftRightAreSafeOutOfRange) {
    EXPECT_EQ(mid(u"abcdef", 2, 3), u"bcd");
    EXPECT_EQ(mid(u"abcdef", 2), u"bcdef");
    EXPECT_EQ(mid(u"abcdef", 5, 100), u"ef");
    EXPECT_EQ(mid(u"abcdef", 7), u"");
    EXPECT_EQ(mid(u"abcdef", 1000, 2), u"");
    EXPECT_EQ(mid(u"abcdef", 3, 0), u"");
    EXPECT_EQ(catchRt([] { mid(u"abc", 0); }).number, err::InvalidCall);
    EXPECT_EQ(catchRt([] { mid(u"abc", -1, 2); }).number, err::InvalidCall);

    EXPECT_EQ(left(u"abc", 2), u"ab");
    EXPECT_EQ(left(u"abc", 0), u"");
    EXPECT_EQ(left(u"abc", 99), u"abc");
    EXPECT_EQ(right(u"abc", 2), u"bc");
    EXPECT_EQ(right(u"abc", 99), u"abc");
    EXPECT_EQ(right(u"", 1), u"");
    EXPECT_EQ(catchRt([] { left(u"abc", -1); }).number, err::InvalidCall);
    EXPECT_EQ(catchRt([] { right(u"abc", -1); }).number, err::InvalidCall);
}

TEST(Strings, ReplaceAndAffixes) {
    EXPECT_EQ(replaceAll(u"a.b.c", u".", u"::"), u"a::b::c");
    EXPECT_EQ(replaceAll(u"aaa", u"aa", u"b"), u"ba");  // left to right, no overlap
    EXPECT_EQ(replaceAll(u"abc", u"", u"x"), u"abc");
    EXPECT_EQ(replaceAll(u"abc", u"abc", u""), u"");
    EXPECT_EQ(replaceAll(u"xax", u"x", u"xx"), u"xxaxx");  // no rescanning of the replacement
    EXPECT_TRUE(startsWith(u"キー入力", u"キー"));
    EXPECT_TRUE(startsWith(u"abc", u""));
    EXPECT_FALSE(startsWith(u"ab", u"abc"));
    EXPECT_TRUE(endsWith(u"キー入力", u"入力"));
    EXPECT_FALSE(endsWith(u"bc", u"abc"));
    EXPECT_TRUE(endsWith(u"", u""));
}

// ---------------------------------------------------------------------------
// UTF-8

TEST(Utf8, RoundTripsAllPlanes) {
    const Str s(u"aé漢字ｷ😀\0z", 9);
    EXPECT_EQ(fromUtf8(toUtf8(s)), s);
    EXPECT_EQ(toUtf8(u"😀"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(fromUtf8("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
}

TEST(Utf8, InvalidInputBecomesReplacementCharacters) {
    EXPECT_EQ(fromUtf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(fromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");          // overlong
    EXPECT_EQ(fromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(fromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(fromUtf8("\xE6\xBC" "a"), u"\uFFFDa");  // truncated, next char kept
    EXPECT_EQ(fromUtf8("\xE6\xBC"), u"\uFFFD");
    EXPECT_EQ(toUtf8(Str(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(toUtf8(Str(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

// ---------------------------------------------------------------------------
// CP932

TEST(Cp932, MixedTextRoundTrips) {
    bool lossless = false;
    EXPECT_EQ(toCp932(u"ｷｰ入力", &lossless), bytes({0xB7, 0xB0, 0x93, 0xFC, 0x97, 0xCD}));
    EXPECT_TRUE(lossless);

    const Str mixed = u"Abc 123\\~ ｱｲｳﾞﾟ｡｢｣､･ キー入力「左ドラッグ」①Ⅰ㈱～∥－￢ 髙﨑 \t\r\n";
    const std::string encoded = toCp932(mixed, &lossless);
    EXPECT_TRUE(lossless);
    EXPECT_TRUE(fitsCp932(mixed));
    EXPECT_EQ(fromCp932(encoded), mixed);
    EXPECT_EQ(cp932Length(mixed), static_cast<long>(encoded.size()));
}

TEST(Cp932, HalfWidthKatakanaIsSingleByte) {
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const Str c(1, static_cast<char16_t>(0xFF61 + (b - 0xA1)));
        EXPECT_EQ(toCp932(c), std::string(1, static_cast<char>(b)));
        EXPECT_EQ(fromCp932(std::string(1, static_cast<char>(b))), c);
    }
    EXPECT_EQ(cp932Length(u"ｷｰ入力"), 6);
}

TEST(Cp932, DuplicatesEncodeToTheFormWindowsWrites) {
    // Every form of a character held twice or three times decodes to it;
    // encoding writes the one WideCharToMultiByte writes: the JIS rows or
    // NEC row 13 where the character has such a form, otherwise the IBM
    // extensions, never the NEC-selected copies of them (rows ED, EE).
    EXPECT_EQ(fromCp932(bytes({0x81, 0xE6})), u"∵");
    EXPECT_EQ(fromCp932(bytes({0x87, 0x9A})), u"∵");
    EXPECT_EQ(fromCp932(bytes({0xFA, 0x5B})), u"∵");
    EXPECT_EQ(toCp932(u"∵"), bytes({0x81, 0xE6}));
    EXPECT_EQ(fromCp932(bytes({0xEE, 0xF9})), u"￢");
    EXPECT_EQ(toCp932(u"￢"), bytes({0x81, 0xCA}));
    EXPECT_EQ(toCp932(u"Ⅰ"), bytes({0x87, 0x54}));
    EXPECT_EQ(fromCp932(bytes({0xED, 0x40})), u"纊");
    EXPECT_EQ(fromCp932(bytes({0xFA, 0x5C})), u"纊");
    EXPECT_EQ(toCp932(u"纊"), bytes({0xFA, 0x5C}));
    EXPECT_EQ(fromCp932(bytes({0xEE, 0xEF})), u"ⅰ");
    EXPECT_EQ(toCp932(u"ⅰ"), bytes({0xFA, 0x40}));
    EXPECT_EQ(toCp932(u"￤＇＂"), bytes({0xFA, 0x55, 0xFA, 0x56, 0xFA, 0x57}));
    EXPECT_EQ(toCp932(u"黑"), bytes({0xFC, 0x4B}));  // the last of them
    // Nothing is written into the NEC-selected rows at all.
    for (char16_t c = 0x80; c < 0xFFFF; ++c) {
        const std::string b = toCp932(Str(1, c));
        if (b.size() == 2) {
            ASSERT_FALSE(b[0] == char(0xED) || b[0] == char(0xEE)) << int(c);
        }
    }
}

TEST(Cp932, CharactersWithoutAFormBecomeQuestionMarks) {
    bool lossless = true;
    EXPECT_EQ(toCp932(u"a한b", &lossless), "a?b");
    EXPECT_FALSE(lossless);
    lossless = true;
    EXPECT_EQ(toCp932(u"😀", &lossless), "??");  // one mark per UTF-16 unit, as Windows writes it
    EXPECT_FALSE(lossless);
    lossless = true;
    EXPECT_EQ(toCp932(Str(1, char16_t(0xD83D)) + u"x" + Str(1, char16_t(0xDE00)), &lossless), "?x?");
    EXPECT_FALSE(lossless);
    // Encodable only one way (decodes to another character): not lossless.
    lossless = true;
    EXPECT_EQ(toCp932(u"\u301C", &lossless), "?");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(toCp932(u"\u00A5"), "?");

    EXPECT_FALSE(fitsCp932(u"한"));
    EXPECT_FALSE(fitsCp932(u"😀"));
    EXPECT_TRUE(fitsCp932(u""));
    EXPECT_EQ(cp932Length(u"a한😀漢"), 6);
    toCp932(u"😀");  // no out-parameter is fine
}

TEST(Cp932, InvalidSequencesDecodeToMiddleDotAsWindowsReadsThem) {
    const Str dot = u"\u30FB";
    EXPECT_EQ(fromCp932(bytes({0x61, 0x82})), u"a" + dot);  // lead byte at the end
    // A lead byte takes whatever byte follows, except a NUL.
    EXPECT_EQ(fromCp932(bytes({0x82, 0x20, 0x41})), dot + u"A");
    EXPECT_EQ(fromCp932(bytes({0x82, 0x0A, 0x82, 0xA0})), dot + u"あ");
    EXPECT_EQ(fromCp932(bytes({0x82, 0xFD, 0xFD})), dot + u"\uF8F1");
    EXPECT_EQ(fromCp932(bytes({0x82, 0x00, 0x41})), dot + Str(1, u'\0') + u"A");
    EXPECT_EQ(fromCp932(bytes({0x85, 0x40, 0x41})), dot + u"A");  // undefined pair is one character
    EXPECT_EQ(fromCp932(bytes({0x82, 0x60, 0x82})), u"Ａ" + dot);
    EXPECT_EQ(fromCp932(""), u"");
    EXPECT_EQ(fromCp932(std::string(1, '\0')), Str(1, u'\0'));
}

// ---------------------------------------------------------------------------
// Half-width folding

TEST(HalfWidth, Examples) {
    EXPECT_EQ(toHalfWidth(u"キー入力"), u"ｷｰ入力");
    EXPECT_EQ(toHalfWidth(u"左ドラッグ"), u"左ﾄﾞﾗｯｸﾞ");
    EXPECT_EQ(toHalfWidth(u"ＡＢＣ１２３"), u"ABC123");
    EXPECT_EQ(toHalfWidth(u"！～\u3000"), u"!~ ");
    EXPECT_EQ(toHalfWidth(u"ガヴパポ"), u"ｶﾞｳﾞﾊﾟﾎﾟ");
    EXPECT_EQ(toHalfWidth(u"ァィゥェォッャュョ"), u"ｧｨｩｪｫｯｬｭｮ");
    EXPECT_EQ(toHalfWidth(u"ヲン、。「」・゛゜"), u"ｦﾝ､｡｢｣･ﾞﾟ");
}

TEST(HalfWidth, OtherCharactersStay) {
    EXPECT_EQ(toHalfWidth(u"ヮヰヱヵヶヸヹ"), u"ヮヰヱヵヶヸヹ");
    EXPECT_EQ(toHalfWidth(u"ひらがな漢字ｶﾅabc"), u"ひらがな漢字ｶﾅabc");
    EXPECT_EQ(toHalfWidth(u"￥＂\u30A0\u30FD"), u"￥\"\u30A0\u30FD");
}

// ---------------------------------------------------------------------------
// Dates

TEST(Dates, SerialCountsFromYearOne) {
    EXPECT_EQ((DateTime{1, 1, 1, 0, 0, 0}.serial()), 0);
    EXPECT_EQ((DateTime{1, 1, 2, 0, 0, 1}.serial()), 86401);
    EXPECT_EQ((DateTime{1970, 1, 1, 0, 0, 0}.serial()), 719162LL * 86400);
    EXPECT_EQ((DateTime{2000, 3, 1}.serial() - DateTime{2000, 2, 28}.serial()), 2 * 86400);  // leap
    EXPECT_EQ((DateTime{1900, 3, 1}.serial() - DateTime{1900, 2, 28}.serial()), 86400);      // not leap
    EXPECT_EQ((DateTime{9999, 12, 31, 23, 59, 59}.serial() + 1), 3652059LL * 86400);
}

TEST(Dates, FromSerialInvertsSerial) {
    for (DateTime t : {DateTime{1, 1, 1, 0, 0, 0}, DateTime{1899, 12, 30, 0, 0, 0}, DateTime{2000, 2, 29, 23, 59, 59},
                       DateTime{2024, 12, 31, 12, 0, 1}, DateTime{9999, 12, 31, 23, 59, 59}}) {
        EXPECT_EQ(DateTime::fromSerial(t.serial()), t) << toUtf8(formatDateTime(t));
    }
    EXPECT_EQ(DateTime{}.addSeconds(86400), (DateTime{1899, 12, 31, 0, 0, 0}));
    EXPECT_EQ((DateTime{2023, 12, 31, 23, 59, 59}.addSeconds(1)), (DateTime{2024, 1, 1, 0, 0, 0}));
    EXPECT_EQ((DateTime{2024, 3, 1, 0, 0, 0}.addSeconds(-1)), (DateTime{2024, 2, 29, 23, 59, 59}));
}

TEST(Dates, OutOfRangeFieldsCarryOver) {
    EXPECT_EQ(DateTime::fromSerial(DateTime{2023, 13, 1}.serial()), (DateTime{2024, 1, 1}));
    EXPECT_EQ(DateTime::fromSerial(DateTime{2024, 0, 1}.serial()), (DateTime{2023, 12, 1}));
    EXPECT_EQ(DateTime::fromSerial(DateTime{2024, 1, 31, 24, 0, 60}.serial()), (DateTime{2024, 2, 1, 0, 1, 0}));
}

TEST(Dates, FormatUsesTwoDigitFields) {
    EXPECT_EQ(formatDateTime(DateTime{2024, 3, 5, 7, 8, 9}), u"24/03/05 07:08:09");
    EXPECT_EQ(formatDateTime(DateTime{2000, 12, 31, 23, 59, 59}), u"00/12/31 23:59:59");
    EXPECT_EQ(formatDateTime(DateTime{1999, 1, 1, 0, 0, 0}), u"99/01/01 00:00:00");
    EXPECT_EQ(formatDateTime(DateTime{}), u"99/12/30 00:00:00");
}
