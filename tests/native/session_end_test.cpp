// Log-off, shutdown and installers: the session-end messages as the main
// window receives them, with the question that follows after the answer.
#include "app_fixture.h"

namespace {
const Str kTvk = u"C:\\work\\TOVIRAK.TVK";
const Str kDoc = u"C:\\work\\朝の巡回.TVK";
const Str kReason = u"変更が保存されていません";
}  // namespace

class SessionEndTest : public AppTest {
protected:
    void SetUp() override { start(); }
    // A named document with one saved step, then an unsaved change.
    void changedDocument() {
        app->document.steps.resize(2);
        app->document.steps.at(1) = MacroStep{u"左ｸﾘｯｸ", u"10,20", u"saved"};
        app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
        typeComment(u"unsaved");
        ASSERT_TRUE(app->document.changed());
    }
    void typeComment(const Str& t) {
        app->grid.commentBox(1)->userFocus();
        app->grid.commentBox(1)->userTyped(t);
    }
    bool query(uint32_t reasons = 0) { return app->form->userQueryEndSession(reasons); }
    os::WindowHandle window() const { return app->form->nativeHandle(); }
    bool blocked() const { return p.sessionEndBlocks.count(window()) != 0; }
    bool tvkHolds(const Str& text) {
        auto* f = p.file(kTvk);
        return f && f->find(toCp932(text)) != std::string::npos;
    }
    // Back in the message loop after the handler returned.
    void returnToLoop() { p.advance(0); }
};

TEST_F(SessionEndTest, NothingToSaveLetsTheSessionEndAndWritesTheWorkingState) {
    typeComment(u"work");
    app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
    p.files.erase(p.resolve(kTvk));
    for (uint32_t reasons : {0u, tk::session::Logoff, tk::session::CloseApp, tk::session::Critical}) {
        p.files.erase(p.resolve(kTvk));
        EXPECT_TRUE(query(reasons)) << reasons;
        EXPECT_TRUE(tvkHolds(u"\"\",\"\",\"work\"")) << reasons;
    }
    EXPECT_FALSE(blocked());
    EXPECT_EQ(p.traceText().find("ShutdownBlockReason"), std::string::npos);
    returnToLoop();
    EXPECT_TRUE(p.shown.empty());
    EXPECT_TRUE(app->form->isShown());
    // The document is still the user's own, not the default document.
    EXPECT_EQ(app->document.path(), kDoc);
    EXPECT_EQ(app->form->text(), u"TOVIRAK - 朝の巡回.TVK");

    // Then the end: written again, and the program ends without a question.
    p.files.erase(p.resolve(kTvk));
    EXPECT_THROW(app->form->userEndSession(true, 0), headless::ProcessEnded);
    EXPECT_TRUE(tvkHolds(u"\"\",\"\",\"work\""));
    EXPECT_TRUE(p.shown.empty());
}

TEST_F(SessionEndTest, UnsavedChangesHoldTheEndAndTheQuestionFollowsTheAnswer) {
    changedDocument();
    const size_t mark = p.trace.size();
    EXPECT_FALSE(query());
    // Nothing may be asked inside the query: Windows waits only seconds.
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(p.sessionEndBlocks[window()], kReason);
    EXPECT_NE(p.traceText(mark).find("ShutdownBlockReasonCreate(変更が保存されていません)"), std::string::npos);
    // The working state is safe already; the document keeps its name and mark.
    EXPECT_TRUE(tvkHolds(u"unsaved"));
    EXPECT_EQ(app->document.path(), kDoc);
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(app->form->text(), u"TOVIRAK - 朝の巡回.TVK");

    // A second query before the question shows does not ask twice.
    EXPECT_FALSE(query(tk::session::Logoff));
    p.answers.push_back(tk::mb::IdCancel);
    returnToLoop();
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"変更されています。保存しますか？\r\n\r\n" + kDoc);
    EXPECT_EQ(p.shown[0].title, u"確認");
    EXPECT_EQ(p.shown[0].style, tk::mb::YesNoCancel);
    // Cancel: the program stays, changes and all.
    EXPECT_TRUE(app->form->isShown());
    EXPECT_TRUE(app->document.changed());
    returnToLoop();
    EXPECT_EQ(p.shown.size(), 1u);

    // The user cancelled the shutdown: the block goes, work carries on.
    app->form->userEndSession(false, 0);
    EXPECT_FALSE(blocked());
    EXPECT_NE(p.traceText(mark).find("ShutdownBlockReasonDestroy"), std::string::npos);
    EXPECT_TRUE(app->form->isShown());
    EXPECT_TRUE(app->document.changed());
}

TEST_F(SessionEndTest, YesSavesTheDocumentAndEndsLikeAClose) {
    changedDocument();
    EXPECT_FALSE(query());
    p.answers.push_back(tk::mb::IdYes);
    returnToLoop();
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_NE(p.file(kDoc)->find(toCp932(u"\"左ｸﾘｯｸ\",\"10,20\",\"unsaved\"")), std::string::npos);
    EXPECT_FALSE(app->form->isShown());
    EXPECT_TRUE(p.toolkit.quitRequested);
    // The next try at the session end finds nothing to hold it.
}

TEST_F(SessionEndTest, AnInstallerClosingTheProgramIsAnsweredTheSameWay) {
    changedDocument();
    EXPECT_FALSE(query(tk::session::CloseApp));
    EXPECT_EQ(p.sessionEndBlocks[window()], kReason);
    p.answers.push_back(tk::mb::IdNo);
    returnToLoop();
    ASSERT_EQ(p.shown.size(), 1u);
    // No: the document's own file keeps what was saved; the working state
    // has the changes, as at any close.
    EXPECT_EQ(p.file(kDoc)->find("unsaved"), std::string::npos);
    EXPECT_TRUE(tvkHolds(u"unsaved"));
    EXPECT_FALSE(app->form->isShown());
}

TEST_F(SessionEndTest, ACriticalEndIsNotHeldAndLosesNothingTheWorkingStateHolds) {
    changedDocument();
    EXPECT_TRUE(query(tk::session::Critical | tk::session::Logoff));
    EXPECT_FALSE(blocked());
    EXPECT_TRUE(tvkHolds(u"unsaved"));
    returnToLoop();
    EXPECT_TRUE(p.shown.empty());
    // Typed on between query and end: the end writes it too.
    typeComment(u"later");
    EXPECT_THROW(app->form->userEndSession(true, tk::session::Critical), headless::ProcessEnded);
    EXPECT_TRUE(tvkHolds(u"later"));
}

TEST_F(SessionEndTest, AnEndWithoutAQueryStopsTheRunAndWritesFirst) {
    changedDocument();
    app->document.steps.at(1) = MacroStep{u"左ﾄﾞﾗｯｸﾞ", u"10,20", u"drag"};
    app->document.steps.resize(3);
    app->document.steps.at(2) = MacroStep{u"待機", u"60", u""};
    app->controls.intervalBox->setText(u"1");
    app->controls.startButton->press();
    p.advance(1000);
    ASSERT_EQ(app->player.state().heldButtons, 4u);
    const size_t mark = p.trace.size();
    EXPECT_THROW(app->form->userEndSession(true, tk::session::Logoff), headless::ProcessEnded);
    EXPECT_EQ(app->player.state().row, 0);
    const std::string t = p.traceText(mark);
    EXPECT_LT(t.find("mouse_event(4,0,0,0)"), t.find("Replace(TOVIRAK.TVK.tmp~,TOVIRAK.TVK)"));
    EXPECT_TRUE(tvkHolds(u"\"左ﾄﾞﾗｯｸﾞ\",\"10,20\",\"drag\""));
    EXPECT_TRUE(p.shown.empty());
}

TEST_F(SessionEndTest, TheQueryStopsARunningMacroInItsWait) {
    app->document.steps.resize(2);
    app->document.steps.at(1) = MacroStep{u"待機", u"30", u""};
    app->controls.intervalBox->setText(u"1");
    app->macroFile.write(kTvk, MacroFile::Overwrite::Silently);
    app->controls.startButton->press();
    // The query arrives while the wait processes messages.
    bool answer = false;
    int queries = 0;
    p.onDoEvents = [&] {
        if (queries++ == 2) answer = query();
    };
    p.advance(1000);
    EXPECT_TRUE(answer);
    EXPECT_EQ(app->player.state().row, 0);
    EXPECT_EQ(app->controls.startButton->text(), u"実行");
    EXPECT_EQ(status(), u"書き込み完了！！！");
    EXPECT_FALSE(p.timerRunning("tim_Timer"));
}

TEST_F(SessionEndTest, WithoutBlockReasonsTheAnswerStillHoldsTheEnd) {
    // As under Wine, where the call is a stub that refuses.
    p.blockSessionEndWorks = false;
    changedDocument();
    EXPECT_FALSE(query());
    EXPECT_NE(p.traceText().find("ShutdownBlockReasonCreate"), std::string::npos);
    EXPECT_EQ(status(), u"書き込み完了！！！");  // no error reported
    p.answers.push_back(tk::mb::IdCancel);
    returnToLoop();
    EXPECT_EQ(p.shown.size(), 1u);
    app->form->userEndSession(false, 0);
    EXPECT_TRUE(app->form->isShown());
}

TEST_F(SessionEndTest, ChangesSavedBeforeTheQuestionShowsAreNotAskedAbout) {
    changedDocument();
    EXPECT_FALSE(query());
    app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
    returnToLoop();
    EXPECT_TRUE(p.shown.empty());
    EXPECT_TRUE(app->form->isShown());
}
