// The frame of every run: start-up with its notice and switches, the status
// line, the error log, and closing.
#include "app_fixture.h"
#include "core/document_format.h"

namespace {
const Str kTvk = u"C:\\work\\TOVIRAK.TVK";
const Str kLog = u"C:\\Program Files\\TOVIRAK\\TOVIRAK_ERROR.LOG";
const Str kNoticeTitle = u"★\u3000重要メッセージ\u3000★  [初回起動時とTOVIRAKバージョンアップ時に表示されます。]";
const Str kNoticeText =
    u"最初に！\r\n本ツールを使って、「アカウント停止」、\r\n「キャラクター誤削除」等が発生、\r\n"
    u"また、「PC電源Off時」の強制終了に伴う \r\n未保存データの紛失等に関して\r\n"
    u"作者は一切の責任を負うことは出来ません。\r\n"
    u"これを承諾しない限り、本ツールを使用する事は出来ません。\r\n\r\n承諾しますか？\r\n";
}  // namespace

class FrameTest : public AppTest {
protected:
    void put(const Str& path, StrView text) { p.putFile(path, toCp932(text)); }
    std::vector<Str> logLines() {
        std::vector<Str> out;
        Str t = docfmt::decode(fileBytes(kLog));
        size_t pos = 0;
        StrView line;
        while (docfmt::nextLine(t, pos, line)) out.emplace_back(line);
        return out;
    }
    void restart(const Str& cmd) {
        app.reset();
        p.shown.clear();
        start(cmd);
    }
};

// ---------------------------------------------------------------------------
// Start-up

TEST_F(FrameTest, FirstStartShowsTheNoticeAndNoEndsWithoutAnyFile) {
    p.answers.push_back(tk::mb::IdNo);
    EXPECT_THROW(start(u""), headless::ProcessEnded);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].title, kNoticeTitle);
    EXPECT_EQ(p.shown[0].text, kNoticeText);
    EXPECT_EQ(p.shown[0].style, tk::mb::YesNo | tk::mb::DefaultButton2);
    EXPECT_TRUE(p.files.empty());

    // No is also the default button.
    app.reset();
    EXPECT_THROW(start(u""), headless::ProcessEnded);
    EXPECT_EQ(p.shown.back().answer, tk::mb::IdNo);
    EXPECT_TRUE(p.files.empty());
}

TEST_F(FrameTest, AcceptedNoticeIsNotShownAgainUntilTheVersionChanges) {
    p.answers.push_back(tk::mb::IdYes);
    start(u"");
    EXPECT_EQ(p.shown.size(), 1u);
    EXPECT_TRUE(app->form->userClose());
    ASSERT_NE(p.file(kTvk), nullptr);
    EXPECT_EQ(fileBytes(kTvk).substr(0, 9), "Ver=1.0\r\n");

    restart(u"");
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(app->document.version, u"1.0");
    EXPECT_TRUE(app->form->userClose());

    p.verMinor = 1;
    p.answers.push_back(tk::mb::IdYes);
    restart(u"");
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].title, kNoticeTitle);
    EXPECT_TRUE(app->form->userClose());
    EXPECT_EQ(fileBytes(kTvk).substr(0, 9), "Ver=1.1\r\n");
}

TEST_F(FrameTest, NoMsgInAnyCaseSuppressesTheNotice) {
    put(kTvk, u"Ver=0.9\r\n");
    for (Str cmd : {u"/NOMSG", u"/nomsg", u"  /NoMsg  ", u"/nomsg/NOMSG"}) {
        restart(cmd);
        EXPECT_TRUE(p.shown.empty()) << toUtf8(cmd);
        EXPECT_EQ(app->document.path(), u"") << toUtf8(cmd);
        EXPECT_FALSE(app->runOnActivation);
    }
}

TEST_F(FrameTest, RunAndADocumentPathInOneArgumentText) {
    put(u"C:\\DOCS\\A.TVK", u"WindowTitle=\r\n\"左ｸﾘｯｸ\",\"1,1\",\"\"\r\n");
    start(u"/nomsg /Run c:\\docs\\a.tvk");
    EXPECT_TRUE(p.shown.empty());
    EXPECT_TRUE(app->runOnActivation);
    EXPECT_TRUE(app->activated);
    // The path comes out upper-cased once a switch was taken out of it.
    EXPECT_EQ(app->document.path(), u"C:\\DOCS\\A.TVK");
    EXPECT_EQ(app->document.steps.at(1).action, u"左ｸﾘｯｸ");
    // Playback started at the first activation.
    EXPECT_TRUE(p.timerRunning("tim_Timer"));
    EXPECT_EQ(app->player.state().row, 1);
    EXPECT_EQ(app->form->text(), u"TOVIRAK - A.TVK");

    restart(u"c:\\docs\\a.tvk/RUN/nomsg");
    EXPECT_TRUE(app->runOnActivation);
    EXPECT_EQ(app->document.path(), u"C:\\DOCS\\A.TVK");
}

TEST_F(FrameTest, ArgumentTextWithoutSwitchesIsUsedUnchanged) {
    put(kTvk, u"Ver=1.0\r\n");
    put(u"c:\\docs\\lower.tvk", u"Ver=1.0\r\n");
    start(u"c:\\docs\\lower.tvk");
    EXPECT_TRUE(p.shown.empty());
    EXPECT_FALSE(app->runOnActivation);
    EXPECT_EQ(app->document.path(), u"c:\\docs\\lower.tvk");
}

TEST_F(FrameTest, OnePairOfQuotesAroundThePathIsRemoved) {
    // As Explorer passes a double-clicked document ("%1").
    put(kTvk, u"Ver=1.0\r\n");
    put(u"C:\\My Macros\\朝.TVK", u"\"左ｸﾘｯｸ\",\"1,1\",\"\"\r\n");
    start(u"\"C:\\My Macros\\朝.TVK\"");
    EXPECT_EQ(app->document.path(), u"C:\\My Macros\\朝.TVK");
    EXPECT_EQ(app->document.steps.at(1).action, u"左ｸﾘｯｸ");
    EXPECT_EQ(app->form->text(), u"TOVIRAK - 朝.TVK");

    // The switches still work before, after or around it.
    restart(u"/RUN \"c:\\my macros\\朝.tvk\" /nomsg");
    EXPECT_TRUE(app->runOnActivation);
    EXPECT_EQ(app->document.path(), u"C:\\MY MACROS\\朝.TVK");
    EXPECT_EQ(app->player.state().row, 1);
    app->player.stop(false);
    restart(u"  \"C:\\My Macros\\朝.TVK\"/NOMSG");
    EXPECT_EQ(app->document.path(), u"C:\\MY MACROS\\朝.TVK");

    // Only one pair, and only around the whole path.
    restart(u"\"\"C:\\My Macros\\朝.TVK\"\"");
    EXPECT_EQ(app->document.path(), u"");
    restart(u"\"C:\\My Macros\\朝.TVK");
    EXPECT_EQ(app->document.path(), u"");
}

TEST_F(FrameTest, FailureInFormLoadIsLoggedAndSkipsTheRest) {
    put(kTvk, u"Ver=1.0\r\nWindowTitle=from the default document\r\n");
    put(u"C:\\DOCS\\A.TVK", u"WindowTitle=from the command line\r\n");
    p.versionFailure = err::InvalidCall;  // the version check fails
    start(u"/RUN C:\\DOCS\\A.TVK");
    const Str msg = u"[Form_Load]" + err::describeNumber(err::InvalidCall);
    EXPECT_EQ(status(), msg);
    ASSERT_EQ(logLines().size(), 1u);
    EXPECT_EQ(logLines()[0], u"26/12/07 09:00:00 " + msg);
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"from the default document");
    EXPECT_FALSE(app->runOnActivation);
    EXPECT_TRUE(p.shown.empty());
    // The first activation still runs.
    EXPECT_TRUE(app->activated);
    EXPECT_TRUE(p.timerRunning("tim_Start"));
}

// ---------------------------------------------------------------------------
// Status line and error log

TEST_F(FrameTest, EachStatusModeHasItsSizeColourAndBeep) {
    start();
    struct Mode {
        StatusMode mode;
        int number;
        double size;
        uint32_t colour;
        int beeps;
    };
    for (Mode m : {Mode{StatusMode::Guidance, 1, 9, tk::rgb(0, 0, 255), 0},
                   Mode{StatusMode::Status, 2, 12, tk::rgb(255, 255, 0), 0},
                   Mode{StatusMode::Warning, 8, 9, tk::rgb(255, 0, 0), 1},
                   Mode{StatusMode::Error, 9, 9, tk::rgb(255, 0, 0), 1}}) {
        int beeps = p.beeps, repaints = p.toolkit.repaints;
        Str text = u"mode " + toStr((long long)m.number);
        app->statusLine.show(m.mode, text);
        EXPECT_EQ(status(), text);
        EXPECT_EQ(app->statusLine.label().font().size, m.size) << m.number;
        EXPECT_EQ(app->statusLine.label().foreColor(), m.colour) << m.number;
        EXPECT_EQ(p.beeps - beeps, m.beeps) << m.number;
        EXPECT_GT(p.toolkit.repaints, repaints) << m.number;
    }
    // Only errors are logged.
    ASSERT_EQ(logLines().size(), 1u);
    EXPECT_EQ(logLines()[0], u"26/12/07 09:00:00 mode 9");

    // Another mode changes only the caption.
    app->statusLine.show(StatusMode::Status, u"status");
    app->statusLine.show(StatusMode::Plain, u"plain");
    EXPECT_EQ(status(), u"plain");
    EXPECT_EQ(app->statusLine.label().font().size, 12);
    EXPECT_EQ(app->statusLine.label().foreColor(), tk::rgb(255, 255, 0));
}

TEST_F(FrameTest, LogLinesAreAppendedWithTheirTime) {
    p.putFile(kLog, "earlier line\r\n");
    start();
    p.nowMs = (3600 + 2 * 60 + 3) * 1000;
    app->statusLine.show(StatusMode::Error, u"[MS_WriteFile]失敗");
    p.nowMs += 24LL * 3600 * 1000 * 30;
    app->statusLine.show(StatusMode::Error, u"second");
    EXPECT_EQ(fileBytes(kLog), "earlier line\r\n" + toCp932(u"26/12/07 10:02:03 [MS_WriteFile]失敗\r\n") +
                                   "27/01/06 10:02:03 second\r\n");
}

TEST_F(FrameTest, LogBesideAProgramInARootFolder) {
    p.progDir = u"C:\\";
    p.folders.insert(u"C:\\");
    start();
    app->statusLine.show(StatusMode::Error, u"root");
    EXPECT_EQ(fileBytes(u"C:\\TOVIRAK_ERROR.LOG"), "26/12/07 09:00:00 root\r\n");
}

TEST_F(FrameTest, UnwritableLogIsReportedInAMessageBox) {
    start();
    app->statusLine.show(StatusMode::Status, u"before");
    p.readOnly.insert(kLog);
    app->statusLine.show(StatusMode::Error, u"[x]y");
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"MS_DispStatus " + err::describeNumber(err::PermissionDenied));
    EXPECT_EQ(p.shown[0].title, u"TOVIRAK");
    EXPECT_EQ(p.shown[0].style, tk::mb::OK);
    EXPECT_EQ(status(), u"before");
}

// ---------------------------------------------------------------------------
// Close

TEST_F(FrameTest, CleanDocumentClosesAndWritesTheDefaultDocument) {
    start();
    app->document.settings.targetWindowSearch = u"state";
    EXPECT_TRUE(app->form->userClose());
    EXPECT_TRUE(p.shown.empty());
    EXPECT_NE(docfmt::decode(fileBytes(kTvk)).find(u"\r\nWindowTitle=state\r\n"), Str::npos);
    EXPECT_TRUE(p.toolkit.quitRequested);
}

TEST_F(FrameTest, QuitMenuClosesLikeTheEndButton) {
    start();
    app->document.markChanged();
    p.answers.push_back(tk::mb::IdCancel);
    app->close();
    EXPECT_TRUE(app->form->isShown());
    EXPECT_EQ(p.shown.back().text, u"変更されています。保存しますか？\r\n\r\n");
    p.answers.push_back(tk::mb::IdNo);
    app->close();
    EXPECT_FALSE(app->form->isShown());
    EXPECT_NE(p.file(kTvk), nullptr);
}

TEST_F(FrameTest, ChangedDocumentEachAnswer) {
    const Str doc = u"C:\\work\\mine.TVK";
    auto prepare = [&](StrView comment) {
        restart(u"/NOMSG");
        put(doc, u"\"左ｸﾘｯｸ\",\"1,1\",\"saved\"\r\n");
        app->macroFile.read(doc);
        app->document.steps.at(1).comment = Str(comment);
        app->document.markChanged();
        p.files.erase(kTvk);
        p.shown.clear();
    };

    // Yes: saved to its own file without the overwrite question, then the
    // default document.
    prepare(u"yes");
    p.answers.push_back(tk::mb::IdYes);
    EXPECT_TRUE(app->form->userClose());
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"変更されています。保存しますか？\r\n\r\n" + doc);
    EXPECT_EQ(p.shown[0].title, u"確認");
    EXPECT_EQ(p.shown[0].style & 7, tk::mb::YesNoCancel);
    EXPECT_NE(docfmt::decode(fileBytes(doc)).find(u"\"yes\""), Str::npos);
    EXPECT_NE(docfmt::decode(fileBytes(kTvk)).find(u"\"yes\""), Str::npos);

    // No: the document's file keeps its text, the default document gets the changes.
    prepare(u"no");
    p.answers.push_back(tk::mb::IdNo);
    EXPECT_TRUE(app->form->userClose());
    EXPECT_NE(docfmt::decode(fileBytes(doc)).find(u"\"saved\""), Str::npos);
    EXPECT_NE(docfmt::decode(fileBytes(kTvk)).find(u"\"no\""), Str::npos);

    // Cancel: nothing written, the window stays.
    prepare(u"cancel");
    p.answers.push_back(tk::mb::IdCancel);
    EXPECT_FALSE(app->form->userClose());
    EXPECT_TRUE(app->form->isShown());
    EXPECT_EQ(p.file(kTvk), nullptr);
    EXPECT_NE(docfmt::decode(fileBytes(doc)).find(u"\"saved\""), Str::npos);

    // Yes, but saving fails: the failure is shown and the window stays, so
    // the changes are not lost without a word.
    prepare(u"fails");
    p.readOnly.insert(doc);
    p.answers.push_back(tk::mb::IdYes);
    EXPECT_FALSE(app->form->userClose());
    EXPECT_EQ(status(), u"[MS_WriteFile]" + err::describeNumber(err::PermissionDenied));
    EXPECT_EQ(p.file(kTvk), nullptr);
    EXPECT_TRUE(app->document.changed());
}

TEST_F(FrameTest, NeverSavedDocumentYesThenCancelledDialogKeepsTheWindow) {
    start();
    app->document.steps.at(1).action = u"左ｸﾘｯｸ";
    app->document.steps.grow(1);
    app->document.markChanged();
    p.answers.push_back(tk::mb::IdYes);
    // No modal script: the save dialog is cancelled.
    EXPECT_FALSE(app->form->userClose());
    EXPECT_EQ(p.shown[0].text, u"変更されています。保存しますか？\r\n\r\n");
    EXPECT_EQ(p.file(kTvk), nullptr);
    EXPECT_TRUE(app->form->isShown());
}

TEST_F(FrameTest, MinimisedWindowIsRestoredBeforeItsGeometryIsSaved) {
    start();
    app->form->move(1200, 800, 5000, 6000);
    app->form->setWindowState(tk::WindowState::Minimized);
    EXPECT_TRUE(app->form->userClose());
    EXPECT_EQ(app->form->windowState(), tk::WindowState::Normal);
    Str t = docfmt::decode(fileBytes(kTvk));
    EXPECT_NE(t.find(u"\r\nTop=800\r\nHeight=6000\r\nLeft=1200\r\nWidth=5000\r\n"), Str::npos);
}

// ---------------------------------------------------------------------------
// The model as start-up leaves it

TEST_F(FrameTest, StartUpLeavesTheInitialModelAndTheFullActionList) {
    start();
    EXPECT_EQ(app->document.steps.count(), 1);
    EXPECT_EQ(app->document.steps.at(1), MacroStep{});
    EXPECT_EQ(app->grid.scrollBar()->min(), 1);
    EXPECT_EQ(app->grid.scrollBar()->max(), 1);
    EXPECT_EQ(app->controls.intervalBox->text(), u"115.5");
    EXPECT_EQ(app->controls.unitBox->text(), u"秒");
    EXPECT_EQ(app->controls.unitBox->items(), (std::vector<Str>{u"秒", u"分"}));
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"");
    EXPECT_EQ(app->document.settings.timerHours, 0);
    EXPECT_EQ(app->document.settings.timerMinutes, 0);
    EXPECT_FALSE(app->document.settings.stopTimerEnabled || app->document.settings.powerOff || app->document.settings.topMost || app->document.settings.stayBehind);
    EXPECT_FALSE(app->document.changed());
    EXPECT_EQ(app->document.path(), u"");
    EXPECT_EQ(app->grid.columnShare(1), 0.15);
    EXPECT_EQ(app->grid.columnShare(2), 0.40);
    EXPECT_EQ(app->grid.columnShare(3), 0.45);
    EXPECT_EQ(app->hotKeys.startKeys(), std::vector<int16_t>{0});
    EXPECT_EQ(status(), u"");

    const std::vector<Str> expected{
        u"",          u"ｷｰ入力",       u"ｷｰ入力_改",       u"ｷｰ入力_真",       u"待機",         u"左ｸﾘｯｸ",
        u"左Wｸﾘｯｸ",   u"左ﾄﾞﾗｯｸﾞ",     u"右ｸﾘｯｸ",          u"右Wｸﾘｯｸ",         u"右ﾄﾞﾗｯｸﾞ",     u"中ｸﾘｯｸ",
        u"中Wｸﾘｯｸ",   u"中ﾄﾞﾗｯｸﾞ",     u"ｼﾌﾄ左ｸﾘｯｸ",       u"ｼﾌﾄ右ｸﾘｯｸ",       u"ｼﾌﾄ中ｸﾘｯｸ",    u"Ctrl左ｸﾘｯｸ",
        u"Ctrl右ｸﾘｯｸ", u"Ctrl中ｸﾘｯｸ",  u"Alt左ｸﾘｯｸ",       u"Alt右ｸﾘｯｸ",       u"Alt中ｸﾘｯｸ",    u"ﾏｳｽｶｰｿﾙ移動",
        u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"ｳｨﾝﾄﾞｳ不在ﾁｪｯｸ", u"EXE実行", u"終了", u"ﾊﾟｽﾜｰﾄﾞ入力",
        u"PlaySound", u"画像ｸﾘｯｸ", u"画像待ち", u"画像消失待ち"};
    EXPECT_EQ(app->grid.actionList(1)->items(), expected);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Str(actions::catalogue[i]), expected[i]) << i;
}

TEST(StepList, RowsFromOneWithInsertDeleteAndTheLastNonBlankRow) {
    StepList s;
    EXPECT_EQ(s.count(), 1);
    EXPECT_EQ(s.lastNonBlank(), 0);
    s.grow(3);
    s.at(1).action = u"a";
    s.at(3).comment = u" x ";
    s.at(2).command = u"\u3000 ";  // blanks only
    EXPECT_EQ(s.lastNonBlank(), 3);
    s.insertEmpty(2);
    EXPECT_EQ(s.count(), 5);
    EXPECT_EQ(s.at(4).comment, u" x ");
    EXPECT_TRUE(s.at(2).blank());
    s.erase(1);
    EXPECT_EQ(s.count(), 4);
    EXPECT_EQ(s.at(3).comment, u" x ");
    for (int32_t bad : {0, -1, 5}) {
        try {
            s.at(bad);
            ADD_FAILURE() << bad;
        } catch (const RtError& e) {
            EXPECT_EQ(e.number, err::Subscript);
        }
    }
    s.reset();
    EXPECT_EQ(s.count(), 1);
    EXPECT_EQ(s.at(1), MacroStep{});
}
