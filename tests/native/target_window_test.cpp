// The target window check of every tick: the window found at the last tick
// is asked first and kept while it still passes the search rule; the run
// still stops at the first tick after no window's title holds the search
// text, or the window closes. A new run looks for the topmost window again.
#include "input/window_cache.h"
#include "playback_fixture.h"

class TargetWindowTest : public PlaybackTest {
protected:
    os::WindowHandle target = 0;

    // A run at 1 ms that sends one key message per step to the target.
    void SetUp() override {
        PlaybackTest::SetUp();
        p.addWindow(u"Calculator", u"Calc");
        target = p.addWindow(u"Untitled - Notepad", u"Notepad");
        p.addWindow(u"Mail", u"Outlook");
        app->document.settings.targetWindowSearch = u"Notepad";
        rows({{u"ｷｰ入力_真", u"VK_A"}});
        interval(u"0.001");
    }
    int sentTo(os::WindowHandle h) { return countEvent("SendMessage(" + std::to_string(h) + ",646,65,0x1E0001)"); }
};

TEST_F(TargetWindowTest, StopsAtTheFirstTickAfterNoTitleHoldsTheSearchText) {
    run();
    ASSERT_EQ(app->player.state().targetTitle, u"Untitled - Notepad");
    p.advance(10);
    EXPECT_EQ(sentTo(target), 10);
    // A title that still holds the whole search text keeps the run going.
    p.window(target)->title = u"*Untitled - Notepad (modified)";
    p.advance(5);
    EXPECT_TRUE(running());
    EXPECT_EQ(sentTo(target), 15);
    // A title without it: the next tick stops before its step, even though
    // another window's title holds part of the text.
    p.window(target)->title = u"Untitled - Note";
    p.addWindow(u"Notepad Help", u"Help");
    p.advance(1);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"待機中");
    EXPECT_EQ(sentTo(target), 15);
}

TEST_F(TargetWindowTest, StopsAtTheFirstTickAfterTheWindowCloses) {
    run();
    p.advance(7);
    EXPECT_EQ(sentTo(target), 7);
    p.removeWindow(target);
    p.advance(1);
    EXPECT_FALSE(running());
    EXPECT_EQ(sentTo(target), 7);
}

TEST_F(TargetWindowTest, KeepsTheWindowFoundFirstAndFindsAnotherWhenItFails) {
    run();
    p.advance(3);
    // A second window with the same title comes on top: the run stays with
    // the window it found.
    const auto second = p.addWindow(u"Untitled - Notepad", u"Notepad");
    p.advance(3);
    EXPECT_EQ(sentTo(target), 6);
    EXPECT_EQ(sentTo(second), 0);
    EXPECT_EQ(app->player.state().targetWindow, target);
    // When it closes the walk finds the other one and the run goes on.
    p.removeWindow(target);
    p.advance(2);
    EXPECT_TRUE(running());
    EXPECT_EQ(sentTo(second), 2);
    EXPECT_EQ(app->player.state().targetWindow, second);
}

TEST_F(TargetWindowTest, ANewRunLooksForTheTopmostWindowAgain) {
    run();
    p.advance(2);
    app->controls.startButton->press();
    const auto second = p.addWindow(u"Untitled - Notepad", u"Notepad");
    run();
    p.advance(2);
    EXPECT_EQ(sentTo(second), 2);
    EXPECT_EQ(sentTo(target), 0);
}

TEST_F(TargetWindowTest, ATitleWithACommaIsLookedForWhole) {
    // Found by a part without its comma; every tick then looks for the whole
    // title, whose comma names no class.
    p.window(target)->title = u"memo.txt, page 1 - Notepad";
    run();
    ASSERT_EQ(app->player.state().targetTitle, u"memo.txt, page 1 - Notepad");
    p.advance(5);
    EXPECT_TRUE(running());
    EXPECT_EQ(sentTo(target), 5);
    // Only the text before the comma left: that is not the title found.
    p.window(target)->title = u"memo.txt";
    p.advance(1);
    EXPECT_FALSE(running());
    EXPECT_EQ(sentTo(target), 5);
}

TEST_F(TargetWindowTest, TheKeptWindowIsAskedFirstWhileItsTitleHoldsTheText) {
    WindowCache cache(p.os);
    const os::WindowHandle own = app->form->nativeHandle();
    EXPECT_EQ(cache.find(u" Untitled - Notepad ", own), target);
    const auto second = p.addWindow(u"Untitled - Notepad", u"Notepad");
    EXPECT_EQ(cache.find(u"Untitled - Notepad", own), target);
    // NULs in the title are no part of it, and the class is not asked.
    p.window(target)->title = Str(u"Untitled - ") + u'\0' + u"Notepad";
    p.window(target)->className = u"Other";
    EXPECT_EQ(cache.find(u"Untitled - Notepad", own), target);
    // An empty title never passes: the walk finds the other window.
    p.window(target)->title = u"  ";
    EXPECT_EQ(cache.find(u"Untitled - Notepad", own), second);
    EXPECT_EQ(cache.find(u"Calculator Pro", own), 0u);
    cache.clear();
    p.window(target)->title = u"Untitled - Notepad";
    EXPECT_EQ(cache.find(u"Untitled - Notepad", own), second);  // the topmost, afresh
}
