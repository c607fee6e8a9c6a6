// Hostile input: documents and texts far outside what a user types, each
// either handled or refused with a clear message, at a cost proportional to
// its size, without exhausting the stack.
#include <chrono>

#include "app_fixture.h"
#include "core/document_format.h"
#include "input/keys.h"
#include "input/sendkeys.h"
#include "input/window_search.h"
#include "settings/digits.h"
#include "settings/settings_dialog.h"

namespace {

const Str kDoc = u"C:\\work\\hostile.TVK";

Str header() {
    return u"Ver=1.0\r\nKankakuTime=1\r\nKankakuTimeTani=1\r\nWindowTitle=\r\nStartHotKey=\r\nStopHotKey=\r\n"
           u"TimerHH=0\r\nTimerMM=0\r\nTimerEnabled=False\r\nTimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n";
}

// A layout that types ASCII letters and digits and nothing else.
int asciiLayout(char16_t c) {
    if (c >= u'a' && c <= u'z') return c - u'a' + 'A';
    if (c >= u'A' && c <= u'Z') return 0x100 | c;
    if (c >= u'0' && c <= u'9') return c;
    return -1;
}

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RtError& e) {
        return e.number;
    }
    return 0;
}

class Hostile : public AppTest {
protected:
    void SetUp() override { start(); }
    void putText(StrView text) { p.putFile(kDoc, toCp932(text)); }
    void read() { app->macroFile.read(kDoc); }
};

// ---------------------------------------------------------------------------
// Documents

TEST_F(Hostile, ASingleLineOfTenMegabytes) {
    const std::string big(10 * 1024 * 1024, 'a');
    const std::string head = toCp932(header());
    // As a step field: read whole.
    p.putFile(kDoc, head + "\"\x83\x4c\x81\x5b\",\"" + big + "\",\"end\"\r\n");
    read();
    EXPECT_EQ(status(), u"読み込み完了！！！");
    ASSERT_EQ(app->document.steps.count(), 2);
    EXPECT_EQ(app->document.steps.at(1).command.size(), big.size());
    EXPECT_EQ(app->document.steps.at(1).comment, u"end");

    // As a header value.
    p.putFile(kDoc, "WindowTitle=" + big + "\r\n");
    read();
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.settings.targetWindowSearch.size(), big.size());

    // As a line that is neither: refused at line 1.
    p.putFile(kDoc, big + "\r\n\"1\",\"2\",\"3\"\r\n");
    read();
    EXPECT_EQ(status(), u"1行目 " + err::describeNumber(err::InvalidCall));
    EXPECT_TRUE(app->document.path().empty());

    // A step line that never closes its fields.
    p.putFile(kDoc, "\"" + big + "\r\n");
    read();
    EXPECT_EQ(status(), u"1行目 " + err::describeNumber(err::InvalidCall));
}

TEST_F(Hostile, ADocumentOfOneMillionSteps) {
    const int32_t n = 1000000;
    // Built as bytes: "待機" and "千" in CP932.
    const std::string plain = "\"\x91\xd2\x8b\x40\",\"1\",\"\"\r\n";
    const std::string marked = "\"\x91\xd2\x8b\x40\",\"2\",\"\x90\xe7\"\r\n";
    std::string steps;
    steps.reserve(size_t(n) * plain.size() + 1000);
    for (int32_t r = 1; r <= n; ++r) steps += r % 1000 == 0 ? marked : plain;
    p.putFile(kDoc, toCp932(header()) + steps);
    const auto t0 = std::chrono::steady_clock::now();
    read();
    const double readSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(status(), u"読み込み完了！！！");
    ASSERT_EQ(app->document.steps.count(), n + 1);
    EXPECT_EQ(app->document.steps.at(n).comment, u"千");
    EXPECT_EQ(app->document.steps.at(n - 1).command, u"1");
    EXPECT_TRUE(app->document.steps.at(n + 1).blank());

    // Written back: the same million step lines.
    app->macroFile.write(u"C:\\work\\million.TVK", MacroFile::Overwrite::Silently);
    EXPECT_EQ(status(), u"書き込み完了！！！");
    const std::string& out = *p.file(u"C:\\work\\million.TVK");
    ASSERT_GE(out.size(), steps.size());
    EXPECT_TRUE(out.compare(out.size() - steps.size(), steps.size(), steps) == 0);
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(readSeconds, 5.0);  // linear: well under a second natively
#else
    (void)readSeconds;
#endif
}

TEST_F(Hostile, AMillionLineBreaksAreRowsNotACrash) {
    // A corrupted file of line ends only: every line is a blank step row.
    // Memory grows with the rows, but it loads, and nothing of it is written
    // back since all rows are blank.
    const std::string breaks(1000000, '\n');
    p.putFile(kDoc, breaks);
    read();
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.steps.count(), 1000001);
    app->macroFile.write(u"C:\\work\\breaks.TVK", MacroFile::Overwrite::Silently);
    const Str written = docfmt::decode(*p.file(u"C:\\work\\breaks.TVK"));
    EXPECT_TRUE(endsWith(written, u"NotActive=False\r\n"));
}

TEST_F(Hostile, ACp932FileWithInvalidByteSequencesKeepsItsLines) {
    // Lead bytes before bytes that cannot be trails, before a quote and
    // before the line ends; undefined pairs, the unused single bytes, a lone
    // lead byte at the end. A lead byte takes the byte after it, as Windows
    // reads the code page, but never a line end.
    std::string bytes = toCp932(header());
    bytes += "\"\x82\x20\",\"a\x81\x7f\",\"b\x9f\xfd\"\r\n";           // 13: leads before non-trails
    bytes += "\"\x85\x40\",\"\x80\xa0\xfd\xfe\xff\",\"\xeb\x40\"\r\n";  // 14: undefined
    bytes += "\"c\x82\",\"d\",\"e\",\"f\"\r\n";                        // 15: a lead takes a quote
    bytes += "WindowTitle=abc\x82\r\n";                                 // 16: lead before CR LF
    bytes += "\"\x88\x9f\",\"\\\",\"\x83\x5c\"\r\n";                    // 17: a 0x5C trail stays in its character
    bytes += "\"g\",\"h\",\"i\x82\n";                                    // 18: lead before a lone LF
    bytes += "\"j\",\"k\",\"l\"\r\n";                                   // 19
    bytes += "\"\xe0";                                                  // 20: cut in the middle of a character
    p.putFile(kDoc, bytes);
    read();
    // The last line has a single field: refused there, everything before
    // it in place. (The status line then shows that the grid cannot select
    // the unknown actions; the log keeps the line.)
    const Str log = fromCp932(*p.file(u"C:\\Program Files\\TOVIRAK\\TOVIRAK_ERROR.LOG"));
    EXPECT_NE(log.find(u" 20行目 " + err::describeNumber(err::InvalidCall)), Str::npos) << toUtf8(log);
    ASSERT_GE(app->document.steps.count(), 6);
    const Str bad(1, char16_t(0x30FB));
    EXPECT_EQ(app->document.steps.at(1).action, toHalfWidth(bad));
    EXPECT_EQ(app->document.steps.at(1).command, u"a" + bad);
    EXPECT_EQ(app->document.steps.at(1).comment, u"b" + bad);
    EXPECT_EQ(app->document.steps.at(2).command.size(), 5u);
    EXPECT_EQ(app->document.steps.at(3).action, toHalfWidth(u"c" + bad + u",\"d"));
    EXPECT_EQ(app->document.steps.at(3).command, u"e");
    EXPECT_EQ(app->document.steps.at(3).comment, u"f");
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"abc" + bad);
    EXPECT_EQ(app->document.steps.at(4).action, u"亜");
    EXPECT_EQ(app->document.steps.at(4).command, u"\\");
    EXPECT_EQ(app->document.steps.at(4).comment, u"ソ");
    EXPECT_EQ(app->document.steps.at(5).comment, u"i");  // the dot stands where the closing quote was
    EXPECT_EQ(app->document.steps.at(6).action, u"j");

    // Without the cut last line the document loads completely.
    bytes.resize(bytes.size() - 2);
    p.putFile(kDoc, bytes);
    read();
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.steps.count(), 7);
}

TEST_F(Hostile, NulAndLoneSurrogatesInEveryTextFieldSurviveASave) {
    const Str nul(1, u'\0');
    const Str lone = Str(1, char16_t(0xD800)) + u"x" + Str(1, char16_t(0xDC01));
    const Str odd = u"a" + nul + lone + u"b";
    app->document.steps.resize(3);
    app->document.steps.at(1) = MacroStep{u"待機" + nul, odd, odd};
    app->document.steps.at(2) = MacroStep{odd, u"1", nul};
    app->document.settings.targetWindowSearch = odd;
    app->document.settings.startKeys = u"VK_A" + nul;
    app->document.settings.stopKeys = lone;
    app->controls.intervalBox->setText(odd);
    app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
    EXPECT_EQ(status(), u"書き込み完了！！！");
    // Not all of it fits CP932: written as UTF-8, lone surrogates as U+FFFD.
    ASSERT_EQ(p.file(kDoc)->substr(0, 3), docfmt::Utf8Bom);

    p.shown.clear();
    read();
    EXPECT_EQ(status(), u"読み込み完了！！！");
    const Str fixed = u"a" + nul + u"\uFFFDx\uFFFD" + u"b";
    EXPECT_EQ(app->document.steps.at(1).action, u"待機" + nul);
    EXPECT_EQ(app->document.steps.at(1).command, fixed);
    EXPECT_EQ(app->document.steps.at(1).comment, fixed);
    EXPECT_EQ(app->document.steps.at(2).action, toHalfWidth(fixed));
    EXPECT_EQ(app->document.steps.at(2).comment, nul);
    EXPECT_EQ(app->document.settings.targetWindowSearch, fixed);
    EXPECT_EQ(app->controls.intervalBox->text(), fixed);
    // Both hot keys are refused by name, one message each.
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[0].text, u"「VK_A" + nul + u"」は、サポートされていないキーです。");
    EXPECT_EQ(p.shown[1].text, u"「\uFFFDx\uFFFD」は、サポートされていないキーです。");

    // A run refuses the interval text with its message, not a failure.
    p.shown.clear();
    EXPECT_FALSE(app->checkRun().has_value());
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(instr(status(), u"[MF_InputChk]"), 0);
}

// ---------------------------------------------------------------------------
// Texts

TEST_F(Hostile, AKeyListOfOneHundredThousandItems) {
    Str list;
    const int n = 100000;
    for (int i = 0; i < n; ++i) {
        if (i) list += u',';
        list += i % 3 == 0 ? u"+VK_A(10)" : i % 3 == 1 ? u" vk_f12 " : u"^%VK_NUMPAD7";
    }
    KeyArrays out;
    Str bad;
    ASSERT_TRUE(keys::parseKeyList(list, out, bad));
    ASSERT_EQ(out.last(), n);
    EXPECT_EQ(out.code[n], 65);
    EXPECT_EQ(out.wait[n], 10);
    EXPECT_EQ(out.code[n - 1], 103);
    EXPECT_TRUE(out.ctrl[n - 1] && out.alt[n - 1] && !out.shift[n - 1]);
    EXPECT_EQ(out.code[n - 2], 123);
    EXPECT_TRUE(out.shift[1] && !out.ctrl[1]);

    // As a hot key of a document, with the last item unsupported: one
    // message naming it, the codes before it kept.
    putText(header() + u"StopHotKey=" + list + u",VK_LWIN\r\n");
    read();
    EXPECT_EQ(status(), u"読み込み完了！！！");
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"「VK_LWIN」は、サポートされていないキーです。");
    ASSERT_EQ(app->hotKeys.stopKeys().size(), size_t(n) + 2);
    EXPECT_EQ(app->hotKeys.stopKeys()[n], 65);
    EXPECT_EQ(app->hotKeys.stopKeys()[n + 1], 0);
}

TEST_F(Hostile, DeeplyNestedKeystrokeBracketsFailWithTheNotationError) {
    for (size_t depth : {size_t(sendkeys::kMaxDepth) + 1, size_t(100000), size_t(1000000)}) {
        SCOPED_TRACE(depth);
        const Str nested = Str(depth, u'(') + u"a" + Str(depth, u')');
        EXPECT_EQ(errorOf([&] { sendkeys::parse(nested, asciiLayout); }), err::InvalidCall);
        // Modifiers on every level, and brackets that never close.
        Str mods;
        for (size_t i = 0; i < depth; ++i) mods += u"+(";
        EXPECT_EQ(errorOf([&] { sendkeys::parse(mods + u"a", asciiLayout); }), err::InvalidCall);
    }
    // At the limit it still works, and every modifier is released.
    const Str deepest = Str(sendkeys::kMaxDepth, u'(') + u"A" + Str(sendkeys::kMaxDepth, u')');
    const auto events = sendkeys::parse(deepest, asciiLayout);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events.front().vk, 16);
    EXPECT_EQ(events.back().vk, 16);
    EXPECT_TRUE(events.back().up);

    // Through the keystroke sender of a run: the message with error 5, and
    // nothing reaches the system.
    p.clearTrace();
    const PlanRow row{u"ｷｰ入力", Str(100000, u'(') + u"a" + Str(100000, u')'), Str(), Str()};
    EXPECT_EQ(app->player.executor().execute(row, app->player.state()), StepOutcome::Stop);
    ASSERT_FALSE(p.shown.empty());
    EXPECT_TRUE(startsWith(p.shown.back().text, u"エラー(SendKeys)\r\n5\r\n"));
    EXPECT_EQ(p.traceText().find("SendInput"), std::string::npos);
}

TEST_F(Hostile, KeystrokeTextsThatWouldFloodTheInputAreRefused) {
    // Repeats and plain text beyond the event limit: error 5, at once.
    Str repeats;
    for (int i = 0; i < 30; ++i) repeats += u"{TAB 10000}";
    EXPECT_EQ(errorOf([&] { sendkeys::parse(repeats, asciiLayout); }), err::InvalidCall);
    EXPECT_EQ(errorOf([&] { sendkeys::parse(Str(10 * 1024 * 1024, u'a'), asciiLayout); }), err::InvalidCall);
    EXPECT_EQ(errorOf([&] { sendkeys::parse(u"{a 99999999999999999999}", asciiLayout); }), err::InvalidCall);
    // An unclosed brace at the end of ten megabytes.
    EXPECT_EQ(errorOf([&] { sendkeys::parse(u"{" + Str(10 * 1024 * 1024, u'x'), asciiLayout); }), err::InvalidCall);
    // Lone surrogates go as the characters they are; NUL too.
    const auto ev = sendkeys::parse(Str(1, char16_t(0xDC00)) + Str(1, u'\0'), asciiLayout);
    ASSERT_EQ(ev.size(), 4u);
    EXPECT_EQ(ev[0].unit, 0xDC00);
    EXPECT_EQ(ev[2].unit, 0);
}

TEST_F(Hostile, HoldTimesAtAndPastTheThirtyTwoBitLimit) {
    KeyArrays out;
    Str bad;
    ASSERT_TRUE(keys::parseKeyList(u"VK_A(2147483647),VK_B(-2147483648),VK_C(2147483647.4)", out, bad));
    EXPECT_EQ(out.wait[1], 2147483647);
    EXPECT_EQ(out.wait[2], -2147483647 - 1);
    EXPECT_EQ(out.wait[3], 2147483647);
    for (StrView past : {u"VK_A(2147483648)", u"VK_A(2147483647.5)", u"VK_A(-2147483649)", u"VK_A(1e400)",
                         u"VK_A(99999999999999999999999)"}) {
        SCOPED_TRACE(toUtf8(past));
        EXPECT_EQ(errorOf([&] { keys::parseKeyList(past, out, bad); }), err::Overflow);
        // Through the main window: its error exit, nothing escapes.
        EXPECT_TRUE(keys::readKeyList(app->statusLine, past, out, bad));
        EXPECT_EQ(status(), u"[MS_HotKey_StrToArry]" + err::describeNumber(err::Overflow));
    }
    // In a document the parser reports it and the reading goes on.
    putText(header() + u"StartHotKey=VK_F5(4294967296)\r\n\"待機\",\"1\",\"\"\r\n");
    read();
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.settings.startKeys, u"VK_F5(4294967296)");
    EXPECT_EQ(app->document.steps.count(), 2);
    const Str log = fromCp932(*p.file(u"C:\\Program Files\\TOVIRAK\\TOVIRAK_ERROR.LOG"));
    EXPECT_NE(log.find(u"[MS_HotKey_StrToArry]" + err::describeNumber(err::Overflow)), Str::npos);
}

TEST_F(Hostile, WaitsAtTheThirtyTwoBitLimitEndOnAStopWithinASecond) {
    // The longest wait a step can hold, ended by the stop button after three
    // seconds of it: the slices stop at once, time does not run on.
    int slices = 0;
    p.onDoEvents = [&] {
        if (++slices == 3) app->player.state().stopRequested = true;
    };
    const int64_t t0 = p.nowMs;
    app->player.state().stopRequested = false;
    app->player.executor().execute(PlanRow{u"待機", u"2147483647", Str(), Str()}, app->player.state());
    EXPECT_EQ(slices, 3);
    EXPECT_EQ(p.nowMs - t0, 3000);
    app->player.state().stopRequested = false;
    p.onDoEvents = nullptr;

    // A wait step past the limit passes the checks (its text is a number)
    // and ends the run through the error exit when it comes to run.
    app->document.steps.resize(2);
    app->document.steps.at(1) = MacroStep{u"待機", u"2147483.648", u""};
    app->controls.intervalBox->setText(u"1");
    app->controls.unitBox->setText(u"秒");
    app->controls.startButton->press();
    ASSERT_NE(app->player.state().row, 0);
    p.advance(1000);
    EXPECT_EQ(app->player.state().row, 0);
    EXPECT_NE(status().find(err::describeNumber(err::Overflow)), Str::npos) << toUtf8(status());
    EXPECT_EQ(p.nowMs - t0, 4000);  // no wait happened
}

TEST_F(Hostile, WindowSearchTextsOfAnySize) {
    p.addWindow(u"無題 - メモ帳", u"Notepad");
    Str full;
    const Str big = Str(1000000, u'x') + u",Notepad";
    EXPECT_EQ(findTargetWindow(app->statusLine, p.os, app->form->nativeHandle(), big, &full), 0u);
    const Str dirty = Str(500000, u'\0') + u"無題" + Str(1, char16_t(0xD800)) + u",Notepad";
    EXPECT_EQ(findTargetWindow(app->statusLine, p.os, app->form->nativeHandle(), dirty, &full), 0u);  // the surrogate is part of the title part
    const Str clean = Str(500000, u'\0') + u" 無題 " + Str(3, u'\0');
    EXPECT_NE(findTargetWindow(app->statusLine, p.os, app->form->nativeHandle(), clean, &full), 0u);
    EXPECT_EQ(full, u"無題 - メモ帳");
    EXPECT_EQ(withoutNuls(Str(1000000, u'\0')), u"");
}

TEST_F(Hostile, StopTimerTextsOfAnySize) {
    // The field has no length limit: a pasted megabyte of digits must be
    // checked in time proportional to its length.
    const Str digits(1000000, u'9');
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(isAllDigits(digits));
    EXPECT_FALSE(isAllDigits(digits + u"x"));
    EXPECT_FALSE(isAllDigits(digits + Str(1, u'\0')));
    const auto parsed = stoptimer::parse(digits + u":" + digits);
    EXPECT_FALSE(parsed);  // minutes of a million digits are not below 60
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(seconds, 20.0);
    // Through the dialog: the overflow description, nothing stored.
    SettingsDialog dialog(*app->form, p.os, app->statusLine, app->document, app->hotKeys, app->settingsView);
    dialog.Form_Load();
    app->document.settings.timerHours = 1;
    app->document.settings.timerMinutes = 2;
    dialog.txt_StopTimer->setText(Str(100000, u'7'));
    p.shown.clear();
    dialog.cmd_Ok_Click();
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, err::describeNumber(err::Overflow));
    EXPECT_EQ(app->document.settings.timerHours, 1);
    EXPECT_EQ(app->document.settings.timerMinutes, 2);
    dialog.txt_StopTimer->setText(Str(1, u'\0'));
    dialog.cmd_Ok_Click();
    EXPECT_EQ(p.shown.back().text, u"入力エラー");
}

}  // namespace
