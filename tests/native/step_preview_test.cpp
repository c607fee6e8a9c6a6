// What a row will do, told without doing it: every action's text, key lists
// and keystroke text in the "Shift+End → Ctrl+C" form, and the run's
// message for a malformed key text.
#include <gtest/gtest.h>

#include "core/model.h"
#include "platform/headless/headless.h"
#include "playback/step_preview.h"

namespace {

inline void PrintTo(const Str& s, std::ostream* os) { *os << '"' << toUtf8(s) << '"'; }

class StepPreviewTest : public ::testing::Test {
protected:
    headless::Platform p;  // its keyboard layout is a US one
    preview::Context ctx() {
        preview::Context c;
        c.layout = [this](char16_t ch) { return p.os.vkKeyScan(ch); };
        return c;
    }
    preview::StepPreview of(StrView action, const Str& X, const Str& Y = Str()) {
        return preview::previewStep(action, X, Y, ctx());
    }
    Str keys(StrView action, const Str& X) {
        auto v = of(action, X);
        EXPECT_EQ(v.kind, preview::StepPreview::Kind::Text);
        EXPECT_FALSE(v.failure) << toUtf8(v.text);
        return v.text;
    }
};

using Kind = preview::StepPreview::Kind;

}  // namespace

TEST_F(StepPreviewTest, KeyListsShowEachItemWithItsModifiersAndHold) {
    EXPECT_EQ(keys(actions::KeyInput, u"+VK_END,^VK_C"), u"Shift+End → Ctrl+C");
    EXPECT_EQ(keys(actions::KeyInputKai, u"VK_A(500),%VK_F4"), u"A(500ms) → Alt+F4");
    EXPECT_EQ(keys(actions::KeyInputShin, u"^+VK_S"), u"Shift+Ctrl+S");
    EXPECT_EQ(keys(actions::Password, u"VK_RETURN, vk_numpad1 ,VK_F12,VK_OEM_CLEAR,VK_PRIOR"),
              u"Enter → Num1 → F12 → OemClear → PageUp");
    // The run's message for an unsupported item, nothing else.
    auto bad = of(actions::KeyInput, u"VK_TAB,VK_X1,VK_RETURN");
    EXPECT_TRUE(bad.failure);
    EXPECT_EQ(bad.text, u"「VK_X1」は、サポートされていないキーです。");
    EXPECT_EQ(of(actions::KeyInput, u"VK_A,").text, u"「」は、サポートされていないキーです。");
}

TEST_F(StepPreviewTest, KeystrokeTextShowsTheKeysTheSenderWillType) {
    EXPECT_EQ(keys(actions::KeyInput, u"+{END}^c"), u"Shift+End → Ctrl+C");
    EXPECT_EQ(keys(actions::KeyInput, u"Ab1~"), u"Shift+A → B → 1 → Enter");
    EXPECT_EQ(keys(actions::KeyInput, u"{TAB 2}%(fx)"), u"Tab → Tab → Alt+F → Alt+X");
    // Keys without a name of their own show the character they type;
    // characters the layout cannot type are typed as themselves.
    EXPECT_EQ(keys(actions::Password, u";+;"), u"; → Shift+;");
    EXPECT_EQ(keys(actions::KeyInput, u"あ😀"), u"あ → 😀");
    // A lower-case prefix is keystroke text, not a key list.
    EXPECT_EQ(keys(actions::KeyInput, u"vk_a"), u"V → K → Shift+- → A");
    // Long texts end in "…".
    const Str many = keys(actions::KeyInput, Str(30, u'x'));
    EXPECT_TRUE(endsWith(many, u"X → …"));
    EXPECT_EQ(std::count(many.begin(), many.end(), u'X'), 24);

    // Malformed text: the message the run's sender shows.
    auto bad = of(actions::KeyInput, u"{ENTER");
    EXPECT_TRUE(bad.failure);
    EXPECT_TRUE(startsWith(bad.text, u"エラー(SendKeys)\r\n5\r\n")) << toUtf8(bad.text);
    EXPECT_TRUE(of(actions::KeyInput, u"abc+").failure);
}

TEST_F(StepPreviewTest, MouseRowsActAtTheirPointOrWhereTheCursorStands) {
    auto click = of(actions::LeftClick, u"100", u"200");
    EXPECT_EQ(click.kind, Kind::Point);
    EXPECT_EQ(click.point, (os::Point{100, 200}));
    EXPECT_EQ(click.text, u"100,200 で左ｸﾘｯｸします");
    EXPECT_EQ(of(actions::CtrlRightClick, u"7.5", u"-3").text, u"8,-3 でCtrl右ｸﾘｯｸします");
    EXPECT_EQ(of(actions::MiddleDrag, u"1", u"2").text, u"1,2 で中ﾄﾞﾗｯｸﾞします");
    EXPECT_EQ(of(actions::MouseMove, u"5", u"6").text, u"5,6 へ移動します");

    auto here = of(actions::LeftDouble, u"-1", u"-1");
    EXPECT_EQ(here.kind, Kind::Text);
    EXPECT_EQ(here.text, u"現在のカーソル位置で実行します");
    // Only both at -1 mean the cursor: one of them is a coordinate.
    EXPECT_EQ(of(actions::LeftClick, u"-1", u"40").point, (os::Point{-1, 40}));
    // A coordinate beyond 32 bits fails as the run fails.
    EXPECT_THROW(of(actions::LeftClick, u"1e20", u"1"), RtError);
}

TEST_F(StepPreviewTest, OtherRowsSayWhatWillHappenInOneLine) {
    EXPECT_EQ(of(actions::Wait, u"3000").text, u"3秒待機します");
    EXPECT_EQ(of(actions::Wait, u"1500").text, u"2秒待機します");  // whole-second slices
    EXPECT_EQ(of(actions::Wait, u"120000").text, u"120秒待機します");
    EXPECT_EQ(of(actions::Wait, u"0").text, u"0秒待機します");
    EXPECT_EQ(of(actions::Exe, u"notepad.exe").text, u"notepad.exe を起動します");
    EXPECT_EQ(of(actions::PlaySound, u"C:\\chime.wav").text, u"C:\\chime.wav を再生します");
    EXPECT_EQ(of(actions::End, u"").text, u"TOVIRAK.TVK を保存して終了します");
    auto c = ctx();
    c.powerOff = true;
    EXPECT_EQ(preview::previewStep(actions::End, u"", u"", c).text, u"TOVIRAK.TVK を保存し、PCの電源を切ります");
    for (StrView a : {actions::WindowActive, actions::WindowExists, actions::WindowAbsent}) {
        auto w = of(a, u"Notepad");
        EXPECT_EQ(w.kind, Kind::Window);
        EXPECT_EQ(w.search, u"Notepad");
    }
}

TEST_F(StepPreviewTest, EveryActionOfTheCatalogueIsDescribed) {
    for (size_t i = 1; i < actions::catalogue.size(); ++i) {
        const StrView a = actions::catalogue[i];
        const Str X = actions::isKeyInput(a) ? u"VK_A" : a == actions::Wait ? u"1000" : u"10";
        const auto v = of(a, X, u"20");
        EXPECT_FALSE(v.failure) << toUtf8(Str(a));
        EXPECT_TRUE(!v.text.empty() || v.kind == Kind::Window) << toUtf8(Str(a));
    }
}
