// The desk the Windows-side tests run on, and typing on it. The scripts run
// every test on a Japanese desk (code page 932, Japanese texts, the JP
// 106/109 keyboard) and a short set on an English one (US keyboard): one
// test makes sure each desk is what it claims, so that a desk which fell
// back to the other does not prove the same thing twice; the others type
// every symbol of the keyboard, and text it has no key for, through each
// route into Notepad.
#include "harness.h"
#include "main_window.h"
#include "notepad.h"

#include <cstdlib>
#include <string>

#include "platform/win32/desk_probe.h"
#include "platform/win32/os_probe.h"

namespace {

namespace probe = win32::probe;

std::string hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", v);
    return buf;
}

// One row played into Notepad, which is given the front first; what
// Notepad holds afterwards.
struct Typist : wt::MainWindow {
    wt::Notepad np{*os};
    Typist() : wt::MainWindow(false) {}
    Str type(const Str& action, const Str& text, const Str& expected) {
        if (!probe::setControlText(np.edit, u"")) return u"(Notepad's text could not be cleared)";
        bringToFront(app->statusLine, *os, app->form->nativeHandle(), np.window);
        if (!np.waitForeground()) return u"(Notepad did not come to the front)";
        const std::string why = playRow(action, text);
        if (!why.empty()) return fromUtf8(why);
        return np.waitText(expected);
    }
};

// The symbols of both keyboards (each braced where the keystroke notation
// gives it a meaning), then text no keyboard has a key for: full-width
// letters, kanji, half-width katakana.
const Str kKeystrokes = u"@{[}{]}:;{^}\\_={~}|{{}{}}'<>?!#$&*-/.,ａｂｃ漢字ｶﾅ";
const Str kTyped = u"@[]:;^\\_=~|{}'<>?!#$&*-/.,ａｂｃ漢字ｶﾅ";

}  // namespace

TEST(Desk, TheSystemIsTheDeskTheScriptsSetUp) {
    const char* name = std::getenv("WINE_DESK");
    if (!name) SKIP("no desk named (scripts/win-tests.sh names it in WINE_DESK)");
    const std::string desk = name;
    auto os = win32::makeServices(1, 0);
    const probe::Desk d = probe::desk();
    wt::Notepad np(*os);
    ASSERT_TRUE(np.window != 0);
    const Str title = os->getWindowText(np.window);
    wt::note(desk + " desk: code page " + std::to_string(d.ansiCodePage) + ", language " + hex(d.uiLanguage) +
             ", keyboard " + hex(d.keyboardLayout) + ", '@' on key " + hex(unsigned(os->vkKeyScan(u'@'))) +
             ", Notepad \"" + wt::utf8(title) + "\"");
    if (desk == "ja") {
        EXPECT_EQ(d.ansiCodePage, 932u);
        EXPECT_EQ(d.uiLanguage, 0x0411u);
        EXPECT_EQ(d.keyboardLayout, 0x0411u);
        // The JP layout: "@" has a key of its own, "_" is Shift and the ろ key.
        EXPECT_EQ(os->vkKeyScan(u'@'), 0xC0);
        EXPECT_EQ(os->vkKeyScan(u'_'), 0x1E2);
        EXPECT_EQ(title, Str(u"(無題) - メモ帳"));
    } else {
        EXPECT_EQ(desk, std::string("en"));
        EXPECT_TRUE(d.ansiCodePage != 932);
        EXPECT_EQ(d.uiLanguage & 0x3FF, 0x09u);
        // The US layout: Shift+2 and Shift+minus.
        EXPECT_EQ(os->vkKeyScan(u'@'), 0x132);
        EXPECT_EQ(os->vkKeyScan(u'_'), 0x1BD);
        EXPECT_EQ(title, Str(u"Untitled - Notepad"));
    }
}

// The keystroke sender types each character by the key the layout has for
// it, and characters without a key as themselves, by every route it serves.
TEST(KeyTyping, EverySymbolAndTextWithoutAKeyArriveAsWritten) {
    Typist t;
    ASSERT_TRUE(t.np.window != 0 && t.np.edit != 0);
    EXPECT_EQ(t.type(u"ｷｰ入力", kKeystrokes, kTyped), kTyped);
    EXPECT_EQ(t.type(u"ﾊﾟｽﾜｰﾄﾞ入力", kKeystrokes, kTyped), kTyped);
}

// Key lists press keys, so what a shifted digit types is the layout's:
// the keypad's symbols are the same everywhere.
TEST(KeyTyping, KeyListsTypeWhatTheLayoutPutsOnTheirKeys) {
    Typist t;
    ASSERT_TRUE(t.np.window != 0 && t.np.edit != 0);
    const Str list = u"VK_A,+VK_B,+VK_1,+VK_2,+VK_7,VK_MULTIPLY,VK_ADD,VK_SUBTRACT,VK_DECIMAL,VK_DIVIDE";
    const Str expected = probe::desk().keyboardLayout == 0x0411 ? u"aB!\"'*+-./" : u"aB!@&*+-./";
    EXPECT_EQ(t.type(u"ｷｰ入力", list, expected), expected);
    EXPECT_EQ(t.type(u"ｷｰ入力_改", list, expected), expected);
    EXPECT_EQ(t.type(u"ﾊﾟｽﾜｰﾄﾞ入力", list, expected), expected);
}
