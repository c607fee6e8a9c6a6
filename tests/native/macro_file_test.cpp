// Macro documents: the line format, reading, writing, and what happens when
// either fails.
#include <random>

#include "app_fixture.h"
#include "core/document_format.h"

namespace {

std::vector<Str> linesOf(StrView text) {
    std::vector<Str> out;
    size_t pos = 0;
    StrView line;
    while (docfmt::nextLine(text, pos, line)) out.emplace_back(line);
    return out;
}

int rtErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RtError& e) {
        return e.number;
    }
    return 0;
}

const Str kLog = u"C:\\Program Files\\TOVIRAK\\TOVIRAK_ERROR.LOG";

}  // namespace

// ---------------------------------------------------------------------------
// The text form, without a window

TEST(DocumentFormat, LinesEndAtCrLfLfOrCr) {
    EXPECT_EQ(linesOf(u"a\r\nb\nc\rd"), (std::vector<Str>{u"a", u"b", u"c", u"d"}));
    EXPECT_EQ(linesOf(u"a\r\n"), (std::vector<Str>{u"a"}));
    EXPECT_EQ(linesOf(u"\r\n\r\n"), (std::vector<Str>{u"", u""}));
    EXPECT_TRUE(linesOf(u"").empty());
}

TEST(DocumentFormat, DecodesCp932OrUtf8AfterTheMark) {
    EXPECT_EQ(docfmt::decode(toCp932(u"左ｸﾘｯｸ")), u"左ｸﾘｯｸ");
    EXPECT_EQ(docfmt::decode("\xEF\xBB\xBF" + toUtf8(u"한국 左")), u"한국 左");
    // Bytes CP932 does not define still decode, one character each.
    EXPECT_EQ(docfmt::decode(std::string("a\xFF", 2)).size(), 2u);
    // A stray lead byte never takes a line end with it.
    EXPECT_EQ(docfmt::decode("a\x82\nb\x82\r\nc\x82\rd\x82"), u"a\u30FB\nb\u30FB\r\nc\u30FB\rd\u30FB");
}

TEST(DocumentFormat, KeyLinesSplitAtTheFirstEqualsSign) {
    auto k = docfmt::splitKeyLine(u"  WindowTitle =  a=b  ");
    EXPECT_EQ(k.name, u"WindowTitle");
    EXPECT_EQ(k.value, u"a=b");
    EXPECT_FALSE(k.indexed);

    k = docfmt::splitKeyLine(u"Dousa(12)=左ｸﾘｯｸ");
    EXPECT_EQ(k.name, u"Dousa");
    EXPECT_TRUE(k.indexed);
    EXPECT_EQ(k.index, 12);
    EXPECT_EQ(k.value, u"左ｸﾘｯｸ");
    EXPECT_EQ(docfmt::splitKeyLine(u"X_jiku(3=5").index, 3);  // closing bracket not needed

    EXPECT_EQ(rtErrorOf([] { docfmt::splitKeyLine(u"no equals sign"); }), err::InvalidCall);
    EXPECT_EQ(rtErrorOf([] { docfmt::splitKeyLine(u"Dousa(99999999999)=x"); }), err::Overflow);
}

TEST(DocumentFormat, StepLinesCutAtQuoteCommaQuote) {
    auto s = docfmt::cutStepLine(u"\"左ｸﾘｯｸ\",\"100,200\",\"a \"quoted\", comment\"");
    EXPECT_EQ(s.action, u"左ｸﾘｯｸ");
    EXPECT_EQ(s.command, u"100,200");
    EXPECT_EQ(s.comment, u"a \"quoted\", comment");

    // A quote followed by a comma inside a field survives: the next field is
    // searched from the separator's closing quote on.
    s = docfmt::cutStepLine(u"\"ｷｰ入力\",\"\"hi\",x\",\"\"");
    EXPECT_EQ(s.command, u"\"hi\",x");
    EXPECT_EQ(s.comment, u"");
    // A lone comma as a field.
    s = docfmt::cutStepLine(u"\",\",\",\",\",\"");
    EXPECT_EQ(s.action, u",");
    EXPECT_EQ(s.command, u",");
    EXPECT_EQ(s.comment, u",");

    // Full-width Dousa is folded; the other fields are kept as they are.
    s = docfmt::cutStepLine(u"\"ウィンドウアクティブ\",\"ＡＢ\",\"ｶﾞ\"");
    EXPECT_EQ(s.action, u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ");
    EXPECT_EQ(s.command, u"ＡＢ");
    EXPECT_EQ(docfmt::cutStepLine(u"\"ＰｌａｙＳｏｕｎｄ\",\"\",\"\"").action, u"PlaySound");

    for (StrView bad : {u"\"only one\"", u"\"a\",\"b\"", u"\"a\",\"b\",\"", u"\"", u"\"\",\""})
        EXPECT_EQ(rtErrorOf([&] { docfmt::cutStepLine(bad); }), err::InvalidCall) << toUtf8(bad);
}

TEST(DocumentFormat, BooleansAndNumbers) {
    EXPECT_TRUE(docfmt::readBool(u"True"));
    EXPECT_TRUE(docfmt::readBool(u"tRUE"));
    EXPECT_FALSE(docfmt::readBool(u"FALSE"));
    EXPECT_TRUE(docfmt::readBool(u"-1"));
    EXPECT_TRUE(docfmt::readBool(u"0.5"));
    EXPECT_FALSE(docfmt::readBool(u"0"));
    for (StrView bad : {u"", u"yes", u"Truee", u"1x"})
        EXPECT_EQ(rtErrorOf([&] { docfmt::readBool(bad); }), err::TypeMismatch) << toUtf8(bad);

    EXPECT_EQ(docfmt::readInt16(u"-1"), -1);
    EXPECT_EQ(docfmt::readInt16(u"2.5"), 2);
    EXPECT_EQ(docfmt::readInt16(u"3.5"), 4);
    EXPECT_EQ(docfmt::readInt16(u"12abc"), 12);
    EXPECT_EQ(docfmt::readInt16(u"abc"), 0);
    EXPECT_EQ(docfmt::readInt16(u"32767"), 32767);
    EXPECT_EQ(rtErrorOf([] { docfmt::readInt16(u"32768"); }), err::Overflow);
    EXPECT_EQ(rtErrorOf([] { docfmt::readInt16(u"-32769"); }), err::Overflow);

    EXPECT_EQ(docfmt::numberText(1500), u"1500");
    EXPECT_EQ(docfmt::numberText(1234567), u"1234567");
    EXPECT_EQ(docfmt::numberText(1500.5), u"1500.5");
    EXPECT_EQ(docfmt::numberText(-15), u"-15");
}

TEST(DocumentFormat, EncodesCp932WhenEverythingFitsElseUtf8WithMark) {
    EXPECT_EQ(docfmt::encode(u"左ｸﾘｯｸ\r\n"), toCp932(u"左ｸﾘｯｸ\r\n"));
    std::string b = docfmt::encode(u"左 한\r\n");
    EXPECT_EQ(b, "\xEF\xBB\xBF" + toUtf8(u"左 한\r\n"));
    EXPECT_EQ(docfmt::decode(b), u"左 한\r\n");
}

// ---------------------------------------------------------------------------
// Documents through the window

class DocTest : public AppTest {
protected:
    void SetUp() override { start(); }
    void put(const Str& path, StrView text) { p.putFile(path, toCp932(text)); }
    void setRow(int32_t r, StrView d, StrView z, StrView c) {
        while (app->document.steps.count() <= r) app->document.steps.grow(1);
        app->document.steps.at(r) = MacroStep{Str(d), Str(z), Str(c)};
    }
    Str text(const Str& path) { return docfmt::decode(fileBytes(path)); }
    std::vector<Str> logLines() { return linesOf(text(kLog)); }
    bool anyTempFile() {
        for (auto& [k, v] : p.files)
            if (endsWith(k, u".tmp~")) return true;
        return false;
    }
    // Header lines of the current window with the fresh settings.
    Str freshHeader() {
        auto n = [](double v) { return docfmt::numberText(v); };
        auto& f = *app->form;
        return u"Ver=1.0\r\nTop=" + n(f.top()) + u"\r\nHeight=" + n(f.height()) + u"\r\nLeft=" + n(f.left()) +
               u"\r\nWidth=" + n(f.width()) +
               u"\r\nKankakuTime=115.5\r\nKankakuTimeTani=1\r\nWindowTitle=\r\nStartHotKey=\r\nStopHotKey=\r\n"
               u"TimerHH=0\r\nTimerMM=0\r\nTimerEnabled=False\r\nTimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n";
    }
};

TEST_F(DocTest, FreshModelIsWrittenAsTheSixteenKeyLinesInCp932) {
    app->macroFile.write(u"C:\\work\\new.TVK", MacroFile::Overwrite::Ask);
    EXPECT_EQ(fileBytes(u"C:\\work\\new.TVK"), toCp932(freshHeader()));
    EXPECT_TRUE(p.shown.empty());  // a new file: no overwrite question
    EXPECT_EQ(status(), u"書き込み完了！！！");
    EXPECT_EQ(app->document.path(), u"C:\\work\\new.TVK");
    EXPECT_FALSE(app->document.changed());
    EXPECT_EQ(app->form->mousePointer(), tk::MousePointer::Default);
    EXPECT_FALSE(anyTempFile());

    // A unit that is neither of the two is written as nothing.
    app->controls.unitBox->setText(u"時");
    app->macroFile.write(u"C:\\work\\new.TVK", MacroFile::Overwrite::Silently);
    EXPECT_NE(instr(text(u"C:\\work\\new.TVK"), u"\r\nKankakuTimeTani=\r\n"), 0);
}

TEST_F(DocTest, RoundTripKeepsStepsAndEverySetting) {
    app->form->move(1500, 900, 6000, 7000);
    app->controls.intervalBox->setText(u"2.5");
    app->controls.unitBox->setText(u"分");
    app->document.settings.targetWindowSearch = u"メモ帳,Notepad";
    app->document.settings.startKeys = u"VK_F5";
    app->document.settings.stopKeys = u"+VK_F6(100)";
    app->document.settings.timerHours = -1;
    app->document.settings.timerMinutes = 3;
    app->document.settings.stopTimerEnabled = true;
    app->document.settings.powerOff = true;
    app->document.settings.topMost = true;
    app->document.settings.stayBehind = true;
    setRow(1, u"左ｸﾘｯｸ", u"100,200", u"最初の一歩");
    setRow(2, u"", u"", u"");
    setRow(3, u"ｷｰ入力", u"\"quoted\", and, commas", u"\"\",\"");
    setRow(4, u"待機", u" 1.5 ", u"  spaces kept  ");
    setRow(5, u"", u"", u"");  // trailing empty row
    const std::vector<MacroStep> written{app->document.steps.at(1), app->document.steps.at(2), app->document.steps.at(3), app->document.steps.at(4)};
    app->macroFile.write(u"C:\\work\\a.TVK", MacroFile::Overwrite::Silently);

    // Something else in between.
    app->form->move(0, 0, 3000, 3000);
    app->controls.intervalBox->setText(u"9");
    app->controls.unitBox->setText(u"秒");
    app->document.settings.targetWindowSearch = u"x";
    app->document.settings.timerHours = 5;
    app->document.settings.stopTimerEnabled = app->document.settings.powerOff = app->document.settings.topMost = app->document.settings.stayBehind = false;
    app->document.markChanged();
    app->grid.clear();

    app->macroFile.read(u"C:\\work\\a.TVK");
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.steps.count(), 5);
    for (int32_t r = 1; r <= 4; ++r) EXPECT_EQ(app->document.steps.at(r), written[size_t(r - 1)]) << r;
    EXPECT_EQ(app->document.steps.at(5), MacroStep{});
    EXPECT_EQ(app->form->left(), 1500);
    EXPECT_EQ(app->form->top(), 900);
    EXPECT_EQ(app->form->width(), 6000);
    EXPECT_EQ(app->form->height(), 7000);
    EXPECT_EQ(app->controls.intervalBox->text(), u"2.5");
    EXPECT_EQ(app->controls.unitBox->text(), u"分");
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"メモ帳,Notepad");
    EXPECT_EQ(app->document.settings.startKeys, u"VK_F5");
    EXPECT_EQ(app->hotKeys.startKeys(), (std::vector<int16_t>{0, 0x74}));  // decoded as it is read
    EXPECT_EQ(app->document.settings.stopKeys, u"+VK_F6(100)");
    EXPECT_EQ(app->document.settings.timerHours, -1);
    EXPECT_EQ(app->document.settings.timerMinutes, 3);
    EXPECT_TRUE(app->document.settings.stopTimerEnabled);
    EXPECT_TRUE(app->document.settings.powerOff);
    EXPECT_TRUE(app->document.settings.topMost);
    EXPECT_TRUE(app->document.settings.stayBehind);
    EXPECT_EQ(app->document.version, u"1.0");
    EXPECT_EQ(app->document.path(), u"C:\\work\\a.TVK");
    EXPECT_FALSE(app->document.changed());
    EXPECT_EQ(app->grid.scrollBar()->value(), 1);
    EXPECT_EQ(app->form->mousePointer(), tk::MousePointer::Default);
    // The stored text is CP932 and byte for byte what the format says.
    EXPECT_EQ(fileBytes(u"C:\\work\\a.TVK").substr(0, 3), "Ver");
    const Str sep = u"\",\"";
    EXPECT_NE(instr(text(u"C:\\work\\a.TVK"), u"\r\n\"左ｸﾘｯｸ" + sep + u"100,200" + sep + u"最初の一歩\"\r\n\r\n\"ｷｰ入力" + sep +
                                                  written[2].command + sep + written[2].comment + u"\"\r\n"),
              0);
}

TEST_F(DocTest, ReaderAndWriterDifferWhereTheFormatSays) {
    app->document.settings.targetWindowSearch = u"  padded title  ";
    setRow(1, u"左ｸﾘｯｸ", u"1,1", u"");
    setRow(2, u"   ", u" ", u"\u3000");  // blanks only: an empty line
    setRow(3, u"右ｸﾘｯｸ", u"2,2", u"");
    setRow(4, u"", u"", u"");
    setRow(5, u"", u"", u"");  // blank rows after the last step are not written
    setRow(6, u"", u"", u"");
    app->macroFile.write(u"C:\\work\\d.TVK", MacroFile::Overwrite::Silently);
    auto lines = linesOf(text(u"C:\\work\\d.TVK"));
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(lines[17], u"");
    EXPECT_EQ(lines[18], u"\"右ｸﾘｯｸ\",\"2,2\",\"\"");

    app->macroFile.read(u"C:\\work\\d.TVK");
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"padded title");
    EXPECT_EQ(app->document.steps.count(), 4);
    EXPECT_EQ(app->document.steps.at(2), MacroStep{});
    EXPECT_EQ(app->document.steps.at(3).action, u"右ｸﾘｯｸ");

    // Unit other than "2" comes back as seconds; full-width actions folded.
    app->controls.unitBox->setText(u"分");
    put(u"C:\\work\\e.TVK", u"KankakuTimeTani=x\r\n\"キー入力\",\"ＡＢＣ\",\"ｺﾒﾝﾄ\"\r\n");
    app->macroFile.read(u"C:\\work\\e.TVK");
    EXPECT_EQ(app->controls.unitBox->text(), u"秒");
    EXPECT_EQ(app->document.steps.at(1), (MacroStep{u"ｷｰ入力", u"ＡＢＣ", u"ｺﾒﾝﾄ"}));
}

TEST_F(DocTest, LineBreaksInFieldsAreWrittenAsSpacesSoTheDocumentReadsBackWhole) {
    app->document.settings.targetWindowSearch = u"報告\r\n一覧";
    app->document.settings.startKeys = u"VK_F5\nTopMost=True";  // no key line may be smuggled in
    app->controls.intervalBox->setText(u"1\r");
    setRow(1, u"左ｸﾘｯｸ", u"1,\r\n1", u"前\n後");
    setRow(2, u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"タイトル\r\n,Class", u"\r");
    setRow(3, u"右ｸﾘｯｸ", u"3,3", u"last");
    setRow(4, u"", u"", u"");
    app->macroFile.write(u"C:\\work\\br.TVK", MacroFile::Overwrite::Silently);
    const Str t = text(u"C:\\work\\br.TVK");
    EXPECT_EQ(linesOf(t).size(), 16u + 3u);
    EXPECT_NE(instr(t, u"\r\nWindowTitle=報告 一覧\r\nStartHotKey=VK_F5 TopMost=True\r\n"), 0);
    EXPECT_NE(instr(t, u"\r\nKankakuTime=1 \r\n"), 0);
    EXPECT_NE(instr(t, u"\r\n\"左ｸﾘｯｸ\",\"1, 1\",\"前 後\"\r\n\"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ\",\"タイトル ,Class\",\" \"\r\n"), 0);

    app->document.settings.topMost = false;
    app->macroFile.read(u"C:\\work\\br.TVK");
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.steps.count(), 4);
    EXPECT_EQ(app->document.steps.at(1), (MacroStep{u"左ｸﾘｯｸ", u"1, 1", u"前 後"}));
    EXPECT_EQ(app->document.steps.at(2), (MacroStep{u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"タイトル ,Class", u" "}));
    EXPECT_EQ(app->document.steps.at(3), (MacroStep{u"右ｸﾘｯｸ", u"3,3", u"last"}));
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"報告 一覧");
    EXPECT_FALSE(app->document.settings.topMost);
    // Written as they are, the model in memory is not changed by the save.
    EXPECT_EQ(docfmt::singleLine(u"a\r\nb\n\rc"), u"a b  c");
}

TEST_F(DocTest, ReadingKeepsUnmentionedSettingsAndReplacesRows) {
    app->document.settings.targetWindowSearch = u"kept";
    app->controls.intervalBox->setText(u"7");
    setRow(1, u"左ｸﾘｯｸ", u"1,1", u"");
    setRow(2, u"右ｸﾘｯｸ", u"1,1", u"");
    setRow(3, u"", u"", u"");
    // A blank line between the key lines and the first step gives an empty row 1.
    put(u"C:\\work\\b.TVK", u"Unknown=ignored\r\nTimerMM=4\r\n\r\n\"中ｸﾘｯｸ\",\"5,5\",\"\"\r\n");
    app->macroFile.read(u"C:\\work\\b.TVK");
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"kept");
    EXPECT_EQ(app->controls.intervalBox->text(), u"7");
    EXPECT_EQ(app->document.settings.timerMinutes, 4);
    EXPECT_EQ(app->document.steps.count(), 3);
    EXPECT_EQ(app->document.steps.at(1), MacroStep{});
    EXPECT_EQ(app->document.steps.at(2).action, u"中ｸﾘｯｸ");
    EXPECT_EQ(app->document.steps.at(3), MacroStep{});
}

TEST_F(DocTest, LegacyKeysWithRowIndexes) {
    put(u"C:\\work\\old.TVK",
        u"Dousa(1)=左ｸﾘｯｸ\r\nX_jiku(1)=100\r\nY_jiku(1)=200\r\n"
        u"Dousa(2)=右ｸﾘｯｸ\r\nX_jiku(2)=100\r\nY_jiku(2)=\r\nComment(2)=memo\r\n"
        u"\"中ｸﾘｯｸ\",\"3,3\",\"after the legacy rows\"\r\n"
        u"ZahyoCmd(1)=7,8\r\n");
    app->macroFile.read(u"C:\\work\\old.TVK");
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.steps.count(), 4);
    EXPECT_EQ(app->document.steps.at(1), (MacroStep{u"左ｸﾘｯｸ", u"7,8", u""}));
    EXPECT_EQ(app->document.steps.at(2), (MacroStep{u"右ｸﾘｯｸ", u"100", u"memo"}));
    EXPECT_EQ(app->document.steps.at(3), (MacroStep{u"中ｸﾘｯｸ", u"3,3", u"after the legacy rows"}));
}

TEST_F(DocTest, RowKeysBeforeAnyRowAreIgnored) {
    // Written by hand: a "Comment" line at the top names no row yet.
    put(u"C:\\work\\c.TVK", u"Ver=1.0\r\nComment=a note written by hand\r\nDousa=x\r\n\"待機\",\"1\",\"\"\r\n");
    app->macroFile.read(u"C:\\work\\c.TVK");
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.steps.count(), 2);
    EXPECT_EQ(app->document.steps.at(1), (MacroStep{u"待機", u"1", u""}));
}

TEST_F(DocTest, LegacyIndexOnePastTheEndGrowsMoreFails) {
    // Rows 1..1 exist (the empty one); index 2 is one past the end.
    put(u"C:\\work\\g.TVK", u"Dousa(2)=左ｸﾘｯｸ\r\nX_jiku(2)=1\r\n");
    app->macroFile.read(u"C:\\work\\g.TVK");
    EXPECT_EQ(status(), u"読み込み完了！！！");
    ASSERT_EQ(app->document.steps.count(), 3);
    EXPECT_EQ(app->document.steps.at(2), (MacroStep{u"左ｸﾘｯｸ", u"1", u""}));
    EXPECT_EQ(app->document.steps.at(3), MacroStep{});  // an empty row still ends the list
    // So the row is saved, not lost as the trailing row.
    app->macroFile.write(u"C:\\work\\g2.TVK", MacroFile::Overwrite::Silently);
    app->macroFile.read(u"C:\\work\\g2.TVK");
    EXPECT_EQ(app->document.steps.at(2).action, u"左ｸﾘｯｸ");

    put(u"C:\\work\\h.TVK", u"Dousa(1)=左ｸﾘｯｸ\r\nDousa(4)=右ｸﾘｯｸ\r\n");
    app->macroFile.read(u"C:\\work\\h.TVK");
    EXPECT_EQ(status(), u"2行目 " + err::describeNumber(err::Subscript));
    EXPECT_EQ(app->document.steps.at(1).action, u"左ｸﾘｯｸ");
    EXPECT_EQ(app->document.steps.count(), 2);
}

TEST_F(DocTest, TopAndLeftOutsideTheScreenGoToZero) {
    // The headless screen is 1920 x 1080 pixels of 15 twips.
    put(u"C:\\work\\t.TVK", u"Top=16200\r\nLeft=-1\r\nHeight=-5\r\nWidth=5000\r\n");
    app->form->move(300, 400, 6000, 7000);
    app->macroFile.read(u"C:\\work\\t.TVK");
    EXPECT_EQ(app->form->top(), 0);
    EXPECT_EQ(app->form->left(), 0);
    EXPECT_EQ(app->form->height(), 7000);  // negative: ignored
    EXPECT_EQ(app->form->width(), 5000);

    put(u"C:\\work\\t.TVK", u"Top=16199\r\nLeft=28799.5\r\n");
    app->macroFile.read(u"C:\\work\\t.TVK");
    EXPECT_EQ(app->form->top(), 16199);
    EXPECT_EQ(app->form->left(), 28799.5);
    put(u"C:\\work\\t.TVK", u"Top=-1\r\nLeft=28800\r\n");
    app->macroFile.read(u"C:\\work\\t.TVK");
    EXPECT_EQ(app->form->top(), 0);
    EXPECT_EQ(app->form->left(), 0);

    // Geometry read before a failing line stays, like every other setting.
    put(u"C:\\work\\t.TVK", u"Top=300\r\nWidth=4000\r\nbroken\r\nLeft=600\r\n");
    app->macroFile.read(u"C:\\work\\t.TVK");
    EXPECT_EQ(status(), u"3行目 " + err::describeNumber(err::InvalidCall));
    EXPECT_EQ(app->form->top(), 300);
    EXPECT_EQ(app->form->width(), 4000);
    EXPECT_EQ(app->form->left(), 0);
}

TEST_F(DocTest, StatusAndHourglassWhileReading) {
    put(u"C:\\work\\s.TVK", u"KankakuTime=3\r\n");
    Str during;
    tk::MousePointer pointer = tk::MousePointer::Default;
    app->controls.intervalBox->onChange = [&] {
        during = status();
        pointer = app->form->mousePointer();
        app->document.markChanged();
    };
    app->macroFile.read(u"C:\\work\\s.TVK");
    EXPECT_EQ(during, u"読み込み中！！！");
    EXPECT_EQ(pointer, tk::MousePointer::Hourglass);
    EXPECT_EQ(app->statusLine.label().foreColor(), tk::rgb(255, 255, 0));
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->form->mousePointer(), tk::MousePointer::Default);
    EXPECT_FALSE(app->document.changed());  // raised by the interval text on the way
}

TEST_F(DocTest, MissingFileReadsNothing) {
    setRow(1, u"左ｸﾘｯｸ", u"1,1", u"");
    app->statusLine.show(StatusMode::Status, u"before");
    app->document.markChanged();
    int repaints = p.toolkit.repaints;
    app->macroFile.read(u"C:\\work\\missing.TVK");
    EXPECT_EQ(status(), u"before");
    EXPECT_EQ(p.toolkit.repaints, repaints);
    EXPECT_EQ(app->document.steps.at(1).action, u"左ｸﾘｯｸ");
    EXPECT_TRUE(app->document.changed());
}

TEST_F(DocTest, FileThatCannotBeOpenedLeavesTheCurrentMacroAsItWas) {
    put(u"C:\\work\\other.TVK", u"WindowTitle=other\r\n\"右ｸﾘｯｸ\",\"9,9\",\"\"\r\n");
    setRow(1, u"左ｸﾘｯｸ", u"1,1", u"mine");
    setRow(2, u"待機", u"3", u"");
    app->macroFile.write(u"C:\\work\\mine.TVK", MacroFile::Overwrite::Silently);
    app->document.steps.at(2).command = u"4";  // an unsaved change
    app->document.markChanged();
    ASSERT_EQ(app->document.steps.count(), 3);
    const std::vector<MacroStep> before{app->document.steps.at(1), app->document.steps.at(2), app->document.steps.at(3)};

    auto unchanged = [&](const char* what) {
        EXPECT_EQ(app->document.steps.count(), 3) << what;
        for (int32_t r = 1; r <= 3; ++r) EXPECT_EQ(app->document.steps.at(r), before[size_t(r - 1)]) << what << r;
        EXPECT_EQ(app->document.settings.targetWindowSearch, u"") << what;
        EXPECT_EQ(app->document.path(), u"C:\\work\\mine.TVK") << what;
        EXPECT_TRUE(app->document.changed()) << what;
        EXPECT_EQ(app->form->text(), u"TOVIRAK - mine.TVK") << what;
        EXPECT_EQ(app->form->mousePointer(), tk::MousePointer::Default) << what;
    };
    // Held open by another program: the error as before, nothing lost.
    p.locked.insert(p.resolve(u"C:\\work\\other.TVK"));
    app->macroFile.read(u"C:\\work\\other.TVK");
    EXPECT_EQ(status(), u"0行目 " + err::describeNumber(err::PermissionDenied));
    EXPECT_EQ(logLines().back(), u"26/12/07 09:00:00 0行目 " + err::describeNumber(err::PermissionDenied));
    unchanged("locked");

    // Unreadable (a read that fails).
    p.locked.clear();
    p.failures.push_back({headless::FileFailure::Read, p.callCounts[int(headless::FileFailure::Read)] + 1, err::DeviceIO});
    app->macroFile.read(u"C:\\work\\other.TVK");
    EXPECT_EQ(status(), u"0行目 " + err::describeNumber(err::DeviceIO));
    unchanged("unreadable");

    // Through the menu: the same.
    p.locked.insert(p.resolve(u"C:\\work\\other.TVK"));
    app->document.setChanged(false);
    p.modalScripts.push_back([](tk::Form& f) {
        for (tk::Control* c : f.controls())
            if (c->name() == "txt_FileName") c->userTyped(u"other.TVK");
        for (tk::Control* c : f.controls())
            if (c->name() == "cmd_OK") static_cast<tk::Button*>(c)->press();
    });
    app->documents.open();
    EXPECT_EQ(status(), u"0行目 " + err::describeNumber(err::PermissionDenied));
    EXPECT_EQ(app->document.path(), u"C:\\work\\mine.TVK");
    EXPECT_EQ(app->document.steps.at(1).comment, u"mine");
    EXPECT_FALSE(app->document.changed());
}

TEST_F(DocTest, DefaultDocumentNameInAnyFolderLeavesNoFileName) {
    app->document.setPath(u"C:\\work\\prev.TVK");
    app->macroFile.write(u"C:\\work\\TOVIRAK.TVK", MacroFile::Overwrite::Silently);
    EXPECT_EQ(app->document.path(), u"");
    app->macroFile.read(u"C:\\work\\TOVIRAK.TVK");
    EXPECT_EQ(app->document.path(), u"");
    // The comparison is exact: another case is a document of its own.
    app->macroFile.write(u"C:\\work\\tovirak.tvk", MacroFile::Overwrite::Silently);
    EXPECT_EQ(app->document.path(), u"C:\\work\\tovirak.tvk");

    EXPECT_EQ(MacroFile::fileName(u"C:\\macro\\朝の巡回.TVK"), u"朝の巡回.TVK");
    EXPECT_EQ(MacroFile::fileName(u"C:TOVIRAK.TVK"), u"TOVIRAK.TVK");
    EXPECT_EQ(MacroFile::fileName(u"\\\\srv\\share\\a:b\\c.TVK"), u"c.TVK");
    EXPECT_EQ(MacroFile::fileName(u"plain"), u"plain");
}

TEST_F(DocTest, TitleFollowsTheDocument) {
    app->document.setPath(u"C:\\macro\\x.TVK");
    app->documents.showTitle();
    EXPECT_EQ(app->form->text(), u"TOVIRAK - x.TVK");
    app->macroFile.write(u"C:\\work\\朝の巡回.TVK", MacroFile::Overwrite::Silently);
    EXPECT_EQ(app->form->text(), u"TOVIRAK - 朝の巡回.TVK");
    app->macroFile.read(u"C:\\work\\朝の巡回.TVK");
    EXPECT_EQ(app->form->text(), u"TOVIRAK - 朝の巡回.TVK");
    app->macroFile.write(u"C:\\work\\TOVIRAK.TVK", MacroFile::Overwrite::Silently);
    EXPECT_EQ(app->form->text(), u"TOVIRAK");
}

TEST_F(DocTest, ACopyWritesTheSameBytesAndLeavesTheNameTheMarkAndTheTitle) {
    setRow(1, u"左ｸﾘｯｸ", u"1,2", u"c");
    app->macroFile.write(u"C:\\work\\mine.TVK", MacroFile::Overwrite::Silently);
    app->document.steps.at(1).comment = u"changed";
    app->document.markChanged();
    app->macroFile.writeCopy(u"TOVIRAK.TVK");
    EXPECT_EQ(app->document.path(), u"C:\\work\\mine.TVK");
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(app->form->text(), u"TOVIRAK - mine.TVK");
    EXPECT_EQ(status(), u"書き込み完了！！！");
    // An ordinary write of the same document writes the same bytes, and
    // makes the working state the document.
    const std::string copy = fileBytes(u"C:\\work\\TOVIRAK.TVK");
    app->macroFile.write(u"C:\\work\\TOVIRAK.TVK", MacroFile::Overwrite::Silently);
    EXPECT_EQ(fileBytes(u"C:\\work\\TOVIRAK.TVK"), copy);
    EXPECT_EQ(app->document.path(), u"");
    EXPECT_FALSE(app->document.changed());
    EXPECT_EQ(app->form->text(), u"TOVIRAK");
    // A copy that fails says so and changes nothing either.
    app->document.markChanged();
    p.readOnly.insert(u"C:\\work\\TOVIRAK.TVK");
    app->macroFile.writeCopy(u"TOVIRAK.TVK");
    EXPECT_EQ(status().substr(0, 14), u"[MS_WriteFile]");
    EXPECT_EQ(fileBytes(u"C:\\work\\TOVIRAK.TVK"), copy);
    EXPECT_TRUE(app->document.changed());
}

TEST_F(DocTest, OverwriteIsAskedOnlyWithoutTheFlagAndForAnExistingFile) {
    put(u"C:\\work\\o.TVK", u"old");
    app->document.setPath(u"C:\\work\\prev.TVK");
    app->document.markChanged();
    p.answers.push_back(tk::mb::IdNo);
    app->macroFile.write(u"C:\\work\\o.TVK", MacroFile::Overwrite::Ask);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"上書きしてよろしいですか？\r\n\r\nC:\\work\\o.TVK");
    EXPECT_EQ(p.shown[0].title, u"確認");
    EXPECT_EQ(p.shown[0].style, tk::mb::YesNo);
    EXPECT_EQ(fileBytes(u"C:\\work\\o.TVK"), "old");
    EXPECT_EQ(app->document.path(), u"C:\\work\\prev.TVK");
    EXPECT_TRUE(app->document.changed());

    app->macroFile.write(u"C:\\work\\o.TVK", MacroFile::Overwrite::Ask);  // default button: Yes
    EXPECT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(fileBytes(u"C:\\work\\o.TVK").substr(0, 4), "Ver=");
    app->macroFile.write(u"C:\\work\\o.TVK", MacroFile::Overwrite::Silently);
    app->macroFile.write(u"C:\\work\\other.TVK", MacroFile::Overwrite::Ask);
    EXPECT_EQ(p.shown.size(), 2u);
}

// ---------------------------------------------------------------------------
// Failures

TEST_F(DocTest, ReadFailureNamesTheLineAndKeepsWhatWasRead) {
    Str doc;
    for (int i = 1; i <= 8; ++i) doc += u"\"左ｸﾘｯｸ\",\"" + toStr((long long)i) + u",0\",\"\"\r\n";
    doc += u"WindowTitle=read\r\nTimerMM=2\r\nKankakuTime=1\r\n";  // lines 9..11
    doc += u"TimerEnabled=perhaps\r\n";                            // line 12
    doc += u"TimerHH=9\r\n\"右ｸﾘｯｸ\",\"0,0\",\"\"\r\n";
    put(u"C:\\work\\bad.TVK", doc);
    app->macroFile.write(u"C:\\work\\prev.TVK", MacroFile::Overwrite::Silently);
    ASSERT_EQ(app->document.path(), u"C:\\work\\prev.TVK");

    app->macroFile.read(u"C:\\work\\bad.TVK");
    const Str msg = u"12行目 " + err::describeNumber(err::TypeMismatch);
    EXPECT_EQ(status(), msg);
    EXPECT_EQ(app->statusLine.label().foreColor(), tk::rgb(255, 0, 0));
    ASSERT_FALSE(logLines().empty());
    EXPECT_EQ(logLines().back(), u"26/12/07 09:00:00 " + msg);
    EXPECT_EQ(app->document.steps.count(), 9);
    EXPECT_EQ(app->document.steps.at(8).command, u"8,0");
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"read");
    EXPECT_EQ(app->document.settings.timerMinutes, 2);
    EXPECT_EQ(app->document.settings.timerHours, 0);
    EXPECT_EQ(app->grid.scrollBar()->value(), 1);
    EXPECT_EQ(app->form->mousePointer(), tk::MousePointer::Default);
    // Neither that file nor the previous document: unnamed and changed.
    EXPECT_EQ(app->document.path(), u"");
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(app->form->text(), u"TOVIRAK");
}

TEST_F(DocTest, EachKindOfBadLineFails) {
    struct Case {
        Str doc;
        Str status;
    };
    const std::vector<Case> cases{
        {u"Ver=1.0\r\nno equals\r\n", u"2行目 " + err::describeNumber(err::InvalidCall)},
        {u"\"a\",\"b\"\r\n", u"1行目 " + err::describeNumber(err::InvalidCall)},
        {u"\"a\",\"b\",\"\r\n", u"1行目 " + err::describeNumber(err::InvalidCall)},
        {u"TimerHH=40000\r\n", u"1行目 " + err::describeNumber(err::Overflow)},
        {u"TopMost=\r\n", u"1行目 " + err::describeNumber(err::TypeMismatch)},
        {u"Comment(0)=x\r\n", u"1行目 " + err::describeNumber(err::Subscript)},
    };
    for (auto& c : cases) {
        put(u"C:\\work\\c.TVK", c.doc);
        app->macroFile.read(u"C:\\work\\c.TVK");
        EXPECT_EQ(status(), c.status) << toUtf8(c.doc);
    }
    // A file that cannot be read fails before its first line.
    put(u"C:\\work\\locked.TVK", u"Ver=1.0\r\n");
    p.locked.insert(u"C:\\work\\locked.TVK");
    app->macroFile.read(u"C:\\work\\locked.TVK");
    EXPECT_EQ(status(), u"0行目 " + err::describeNumber(err::PermissionDenied));
}

class WriteFailureTest : public DocTest, public ::testing::WithParamInterface<headless::FileFailure::Kind> {};

TEST_P(WriteFailureTest, LeavesThePreviousFileAndTheDocumentStateAlone) {
    const Str path = u"C:\\work\\keep.TVK";
    setRow(1, u"左ｸﾘｯｸ", u"1,1", u"old");
    app->macroFile.write(path, MacroFile::Overwrite::Silently);
    const std::string old = fileBytes(path);
    app->document.steps.at(1).comment = u"new";
    app->document.markChanged();
    const Str title = app->form->text();

    p.failures.push_back({GetParam(), 1, err::DiskFull});
    p.callCounts.clear();
    app->macroFile.write(path, MacroFile::Overwrite::Silently);
    EXPECT_EQ(fileBytes(path), old);
    EXPECT_FALSE(anyTempFile());
    EXPECT_EQ(status(), u"[MS_WriteFile]" + err::describeNumber(err::DiskFull));
    EXPECT_EQ(logLines().back(), u"26/12/07 09:00:00 [MS_WriteFile]" + err::describeNumber(err::DiskFull));
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(app->document.path(), path);
    EXPECT_EQ(app->form->text(), title);
    EXPECT_EQ(app->form->mousePointer(), tk::MousePointer::Default);

    // Saving under a new name that fails keeps the old name too.
    p.failures.push_back({GetParam(), 1, err::PermissionDenied});
    p.callCounts.clear();
    app->macroFile.write(u"C:\\work\\elsewhere.TVK", MacroFile::Overwrite::Silently);
    EXPECT_EQ(app->document.path(), path);
    EXPECT_EQ(p.file(u"C:\\work\\elsewhere.TVK"), nullptr);
    EXPECT_FALSE(anyTempFile());
}

INSTANTIATE_TEST_SUITE_P(EachStep, WriteFailureTest,
                         ::testing::Values(headless::FileFailure::Create, headless::FileFailure::Write,
                                           headless::FileFailure::Flush, headless::FileFailure::Close,
                                           headless::FileFailure::Replace));

TEST_F(DocTest, WriteFailingPartWayLeavesTheOldFileByteIdentical) {
    const Str path = u"C:\\work\\big.TVK";
    for (int32_t r = 1; r <= 9000; ++r) setRow(r, u"左ｸﾘｯｸ", u"100,200", u"コメント " + toStr((long long)r));
    setRow(9001, u"", u"", u"");
    app->macroFile.write(path, MacroFile::Overwrite::Silently);
    const std::string old = fileBytes(path);
    ASSERT_GT(old.size(), 300000u);
    app->document.steps.at(3000).comment = u"changed";

    // The second chunk fails, after the first reached the temporary file.
    p.failures.push_back({headless::FileFailure::Write, 2, err::DeviceIO});
    p.callCounts.clear();
    app->macroFile.write(path, MacroFile::Overwrite::Silently);
    EXPECT_EQ(fileBytes(path), old);
    EXPECT_FALSE(anyTempFile());
    EXPECT_EQ(status(), u"[MS_WriteFile]" + err::describeNumber(err::DeviceIO));

    // A disk that fills up part-way.
    p.diskFree = 1000;
    app->macroFile.write(path, MacroFile::Overwrite::Silently);
    EXPECT_EQ(fileBytes(path), old);
    EXPECT_FALSE(anyTempFile());
    // The error log is on the same full disk: its own message box reports.
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"MS_DispStatus " + err::describeNumber(err::DiskFull));

    // A read-only target cannot be replaced.
    p.diskFree = -1;
    p.readOnly.insert(path);
    app->macroFile.write(path, MacroFile::Overwrite::Silently);
    EXPECT_EQ(fileBytes(path), old);
    EXPECT_FALSE(anyTempFile());
    EXPECT_EQ(status(), u"[MS_WriteFile]" + err::describeNumber(err::PermissionDenied));
}

TEST_F(DocTest, TextsCp932CannotHoldAreWrittenAsUtf8) {
    setRow(1, u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"한국어 창", u"Ελληνικά");
    setRow(2, u"", u"", u"");
    app->document.settings.targetWindowSearch = u"日本語 😀";
    app->macroFile.write(u"C:\\work\\u.TVK", MacroFile::Overwrite::Silently);
    const std::string bytes = fileBytes(u"C:\\work\\u.TVK");
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.find(toUtf8(u"\"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ\",\"한국어 창\",\"Ελληνικά\"\r\n")), std::string::npos);

    app->grid.clear();
    app->document.settings.targetWindowSearch.clear();
    app->macroFile.read(u"C:\\work\\u.TVK");
    EXPECT_EQ(app->document.steps.at(1), (MacroStep{u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"한국어 창", u"Ελληνικά"}));
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"日本語 😀");
    EXPECT_EQ(app->document.version, u"1.0");  // the mark is not part of the first key
}

TEST_F(DocTest, HostileInputIsBoundedAndSafe) {
    // A 10 MB line in each of the two kinds.
    p.putFile(u"C:\\work\\long.TVK", "WindowTitle=" + std::string(10'000'000, 'x') + "\r\n");
    app->macroFile.read(u"C:\\work\\long.TVK");
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.settings.targetWindowSearch.size(), 10'000'000u);
    p.putFile(u"C:\\work\\long.TVK", "\"" + std::string(10'000'000, ',') + "\r\n");
    app->macroFile.read(u"C:\\work\\long.TVK");
    EXPECT_EQ(status(), u"1行目 " + err::describeNumber(err::InvalidCall));
    app->document.settings.targetWindowSearch.clear();

    // NULs and bytes CP932 does not define are read, and NULs written back.
    static const char nul[] = "\"a\0b\",\"\x81\x20\xFF\x20\",\"c\"\r\n";
    p.putFile(u"C:\\work\\nul.TVK", std::string(nul, sizeof nul - 1));
    app->macroFile.read(u"C:\\work\\nul.TVK");
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.steps.at(1).action, Str(u"a\0b", 3));
    app->macroFile.write(u"C:\\work\\nul2.TVK", MacroFile::Overwrite::Silently);
    app->macroFile.read(u"C:\\work\\nul2.TVK");
    EXPECT_EQ(app->document.steps.at(1).action, Str(u"a\0b", 3));

    // Random bytes: any outcome but a crash or a hang.
    std::mt19937 rng(7);
    const std::string alphabet = "\"=,()\r\n \x81\x82\xEF\xBB\xBF" "DousaTopVerX_jiku0123456789";
    for (int i = 0; i < 300; ++i) {
        std::string b;
        size_t n = rng() % 200;
        for (size_t j = 0; j < n; ++j)
            b += (rng() % 4 == 0) ? char(rng() % 256) : alphabet[rng() % alphabet.size()];
        p.putFile(u"C:\\work\\r.TVK", b);
        app->macroFile.read(u"C:\\work\\r.TVK");
        EXPECT_GE(app->document.steps.count(), 1);
    }
}

TEST_F(DocTest, ScrollRangeFollowsTheRowsRead) {
    Str doc;
    for (int i = 0; i < 200; ++i) doc += u"\"左ｸﾘｯｸ\",\"1,1\",\"\"\r\n";
    put(u"C:\\work\\many.TVK", doc);
    app->grid.scrollBar()->setRange(1, 1);
    app->macroFile.read(u"C:\\work\\many.TVK");
    EXPECT_EQ(app->document.steps.count(), 201);
    EXPECT_EQ(app->grid.scrollBar()->max(), std::max(1, 201 - app->grid.rowsShown() + 1));
    EXPECT_EQ(app->grid.scrollBar()->value(), 1);
}
