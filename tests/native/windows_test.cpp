// Window search, activation, always-on-top and the screen measure.
#include "app_fixture.h"
#include "input/windows.h"
#include "input/window_search.h"

TEST(WindowSearchText, NulRemovalAndCommaSplit) {
    EXPECT_EQ(withoutNuls(Str(u"a\0b\0", 4)), u"ab");
    EXPECT_EQ(withoutNuls(u""), u"");
    Str before = u"x", after = u"y";
    splitAtFirstComma(u"Title", before, after);
    EXPECT_EQ(before, u"Title");
    EXPECT_EQ(after, u"");
    splitAtFirstComma(u"Untitled - Notepad, Notepad", before, after);
    EXPECT_EQ(before, u"Untitled - Notepad");
    EXPECT_EQ(after, u" Notepad");
    splitAtFirstComma(u",Cls", before, after);
    EXPECT_EQ(before, u"");
    EXPECT_EQ(after, u"Cls");
    splitAtFirstComma(u"a,b,c", before, after);
    EXPECT_EQ(before, u"a");
    EXPECT_EQ(after, u"b,c");
    splitAtFirstComma(u"a,", before, after);
    EXPECT_EQ(before, u"a");
    EXPECT_EQ(after, u"");
}

TEST(WindowSearchText, MatchingRules) {
    EXPECT_TRUE(windowMatches(u"Untitled - Notepad", u"Notepad", u"Notepad", u""));
    EXPECT_FALSE(windowMatches(u"Untitled - Notepad", u"Notepad", u"notepad", u""));
    EXPECT_TRUE(windowMatches(u"Untitled - Notepad", u"Notepad", u"", u"Notepad"));
    EXPECT_FALSE(windowMatches(u"Untitled - Notepad", u"Notepad", u"", u"notepad"));
    EXPECT_FALSE(windowMatches(u"Untitled - Notepad", u"Notepad", u"Untitled - Notepad", u" Notepad"));
    EXPECT_FALSE(windowMatches(u"", u"Notepad", u"", u"Notepad"));
    EXPECT_FALSE(windowMatches(u"", u"", u"", u""));
    EXPECT_TRUE(windowMatches(u"x", u"", u"", u""));
}

class WindowTest : public AppTest {
protected:
    os::WindowHandle notepad = 0, help = 0, blank = 0;
    void SetUp() override {
        notepad = p.addWindow(u"Untitled - Notepad", u"Notepad", 5);
        help = p.addWindow(u"Notepad++ Help", u"HelpClass", 6);
        blank = p.addWindow(u"", u"Notepad", 7);  // topmost of the three, no title
        start();
        p.clearTrace();
    }
    os::WindowHandle find(StrView text, bool act = false) {
        Str full = u"(unchanged)";
        lastFull = full;
        const os::WindowHandle own = app->form->nativeHandle();
        auto h = act ? app->player.executor().activateWindow(text, &full)
                     : findTargetWindow(app->statusLine, p.os, own, text, &full);
        lastFull = full;
        return h;
    }
    Str lastFull;
};

TEST_F(WindowTest, TitleIsACaseSensitiveSubstringTopmostFirst) {
    EXPECT_EQ(find(u"Notepad"), help);
    EXPECT_EQ(lastFull, u"Notepad++ Help");
    EXPECT_EQ(find(u"Untitled"), notepad);
    EXPECT_EQ(lastFull, u"Untitled - Notepad");
    EXPECT_EQ(find(u"notepad"), 0u);
    EXPECT_EQ(lastFull, u"(unchanged)");
    // Raising a window changes which one wins.
    p.os.setForegroundWindow(notepad);
    EXPECT_EQ(find(u"Notepad"), notepad);
}

TEST_F(WindowTest, ClassPartMatchesExactly) {
    EXPECT_EQ(find(u",Notepad"), notepad);  // the untitled one above is skipped
    EXPECT_EQ(find(u"Untitled - Notepad,Notepad"), notepad);
    EXPECT_EQ(find(u"Untitled - Notepad, Notepad"), 0u);
    EXPECT_EQ(find(u"Untitled - Notepad ,Notepad"), 0u);
    EXPECT_EQ(find(u"Untitled,notepad"), 0u);
    EXPECT_EQ(find(u"  Untitled,Notepad  "), notepad);  // blanks at both ends go
    EXPECT_EQ(find(Str(u"Unti\0tled", 9)), notepad);      // so do NULs
}

TEST_F(WindowTest, CleanedTitlesAndTheFullTitleOut) {
    auto odd = p.addWindow(Str(u"  Game\0 Window  ", 16), Str(u"GameCls\0", 8));
    EXPECT_EQ(find(u"Game Window,GameCls"), odd);
    EXPECT_EQ(lastFull, u"Game Window");
    // A full title with a comma is split again by a later search for it.
    auto comma = p.addWindow(u"a,b - App", u"C");
    EXPECT_EQ(find(u"a,b"), 0u);
    EXPECT_EQ(find(u"a"), comma);
    EXPECT_EQ(lastFull, u"a,b - App");
    EXPECT_EQ(find(lastFull), 0u);
}

TEST_F(WindowTest, EmptySearchAndTheProgramsOwnWindow) {
    auto own = app->form->nativeHandle();
    // Without activation: the topmost window with a title, here our own.
    EXPECT_EQ(find(u""), own);
    EXPECT_EQ(find(u"   "), own);
    EXPECT_EQ(find(app->form->text().substr(0, 4)), own);
    EXPECT_EQ(p.beeps, 0);
    // With activation an empty search is a miss: status, one beep, 0.
    EXPECT_EQ(find(u"", true), 0u);
    EXPECT_EQ(status(), u"対象ウィンドウが見つかりません。");
    EXPECT_EQ(p.beeps, 1);
    EXPECT_EQ(p.traceText().find("SetForegroundWindow"), std::string::npos);
}

TEST_F(WindowTest, MissWithActivationWarnsOnce) {
    EXPECT_EQ(find(u"Calculator", true), 0u);
    EXPECT_EQ(status(), u"対象ウィンドウが見つかりません。");
    EXPECT_EQ(p.beeps, 1);
    EXPECT_EQ(lastFull, u"(unchanged)");
    EXPECT_EQ(find(u"Calculator", false), 0u);
    EXPECT_EQ(p.beeps, 1);
}

TEST_F(WindowTest, ActivationAttachesToTheForegroundThread) {
    auto own = app->form->nativeHandle();
    p.foreground = help;  // thread 6
    EXPECT_EQ(find(u"Untitled", true), notepad);
    std::string h = std::to_string(notepad), self = std::to_string(own);
    EXPECT_EQ(p.traceText(), "AttachThreadInput(6,1,1)\nSetForegroundWindow(" + self +
                                 ")\nAttachThreadInput(6,1,0)\nAttachThreadInput(1,1,1)\nSetForegroundWindow(" + h +
                                 ")\nAttachThreadInput(1,1,0)");
    EXPECT_EQ(p.foreground, notepad);

    // Already in front: nothing is called.
    p.clearTrace();
    EXPECT_EQ(find(u"Untitled", true), notepad);
    EXPECT_EQ(p.traceText(), "");

    // The program in front: only the second attachment.
    p.foreground = own;
    p.clearTrace();
    bringToFront(app->statusLine, p.os, own, help);
    EXPECT_EQ(p.traceText(), "AttachThreadInput(1,1,1)\nSetForegroundWindow(" + std::to_string(help) +
                                 ")\nAttachThreadInput(1,1,0)");
}

TEST_F(WindowTest, TopMostFollowsTheSettingOnlyWhenAsked) {
    std::string self = std::to_string(app->form->nativeHandle());
    app->document.settings.topMost = true;
    app->keepOnTop(true);
    app->keepOnTop(false);
    app->document.settings.topMost = false;
    app->keepOnTop(true);
    EXPECT_EQ(p.traceText(), "SetWindowPos(" + self + ",-1,0,0,0,0,3)\nSetWindowPos(" + self +
                                 ",-2,0,0,0,0,3)\nSetWindowPos(" + self + ",-2,0,0,0,0,3)");
}

TEST_F(WindowTest, ScreenMeasureLeavesTheCursorAlone) {
    p.cursor = {300, 400};
    ScreenMeasure screen;
    measureScreen(app->statusLine, p.os, screen);
    EXPECT_EQ(screen.maxX, 1919);
    EXPECT_EQ(screen.maxY, 1079);
    EXPECT_EQ(p.cursor, (os::Point{300, 400}));
    EXPECT_EQ(p.traceText(), "");
    p.monitors = {{0, 0, 1280, 1024}};
    measureScreen(app->statusLine, p.os, screen);
    EXPECT_EQ(screen.maxX, 1279);
    EXPECT_EQ(screen.maxY, 1023);
}
