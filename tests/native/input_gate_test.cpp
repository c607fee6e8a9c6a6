// Input refused by an elevated window is a failing step, by every route:
// key lists and keystroke text to the foreground window, key messages to the
// target window, clicks to the window under the point. Levels that cannot be
// read never count as higher, and the answers are kept for one run.
#include "input/input_gate.h"
#include "playback_fixture.h"

namespace {
constexpr int32_t kMedium = 0x2000, kHigh = 0x3000, kSystem = 0x4000;
}

class InputGateTest : public PlaybackTest {
protected:
    // A window of another program at the given integrity level.
    os::WindowHandle other(const Str& title, int32_t level, uint32_t pid = 7) {
        auto h = p.addWindow(title, u"Cls");
        p.window(h)->integrity = level;
        p.window(h)->pid = pid;
        return h;
    }
    static Str failure(const Str& action) {
        return u"[tim_Timer_Timer]対象ウィンドウが管理者権限で動作しているため入力できません ステップ：" + action;
    }
    // One tick of a one-row macro; the injected events of that tick.
    std::vector<std::string> oneTick(const Str& action, const Str& command) {
        rows({{action, command}});
        interval(u"1");
        run();
        p.advance(1000);
        return events();
    }
    std::string log() { return fileBytes(p.progDir + u"\\TOVIRAK_ERROR.LOG"); }
};

TEST(IntegrityRule, OnlyAReadableHigherLevelRefuses) {
    EXPECT_TRUE(integrityRefusesInput(kHigh, kMedium));
    EXPECT_TRUE(integrityRefusesInput(kSystem, kHigh));
    EXPECT_FALSE(integrityRefusesInput(kMedium, kMedium));
    EXPECT_FALSE(integrityRefusesInput(0x1000, kMedium));
    // A level that cannot be read (a protected game, a vanished process).
    EXPECT_FALSE(integrityRefusesInput(-1, kMedium));
    EXPECT_FALSE(integrityRefusesInput(kHigh, -1));
}

TEST_F(InputGateTest, KeyListsAndKeystrokeTextToAnElevatedForegroundWindowFailTheStep) {
    for (const auto& [action, command] :
         std::vector<std::pair<Str, Str>>{{u"ｷｰ入力", u"VK_A"}, {u"ﾊﾟｽﾜｰﾄﾞ入力", u"^VK_C"}, {u"ｷｰ入力_改", u"VK_END"},
                                          {u"ｷｰ入力", u"abc{ENTER}"}}) {
        p.foreground = other(u"Admin Console", kHigh);
        EXPECT_TRUE(oneTick(action, command).empty()) << toUtf8(action);
        EXPECT_FALSE(running());
        EXPECT_EQ(status(), failure(action));
        EXPECT_NE(log().find(toCp932(failure(action))), std::string::npos) << toUtf8(action);
        EXPECT_EQ(app->controls.startButton->text(), u"実行");
        EXPECT_TRUE(p.shown.empty());  // the status line says it, no message box
    }
}

TEST_F(InputGateTest, KeyMessagesCheckTheTargetWindowNotTheForeground) {
    auto target = other(u"Game", kMedium, 8);
    app->document.settings.targetWindowSearch = u"Game";
    p.foreground = other(u"Admin Console", kHigh);
    EXPECT_EQ(oneTick(u"ｷｰ入力_真", u"VK_RETURN").size(), 2u);
    EXPECT_TRUE(running());
    app->controls.startButton->press();

    p.window(target)->integrity = kHigh;
    EXPECT_TRUE(oneTick(u"ｷｰ入力_真", u"VK_RETURN").empty());
    EXPECT_EQ(status(), failure(u"ｷｰ入力_真"));
}

TEST_F(InputGateTest, ClicksCheckTheWindowUnderThePoint) {
    p.pointWindow = other(u"Admin Console", kHigh);
    auto editor = other(u"Editor", kMedium, 9);
    for (const Str action : {u"左ｸﾘｯｸ", u"ｼﾌﾄ右Wｸﾘｯｸ", u"中ﾄﾞﾗｯｸﾞ"}) {
        // Nothing is sent, not even the modifier.
        EXPECT_TRUE(oneTick(action, u"100,200").empty()) << toUtf8(action);
        EXPECT_EQ(status(), failure(action));
        EXPECT_EQ(app->player.state().heldButtons, 0u);
    }
    // Where the cursor stands ("-1,-1") is checked the same way.
    EXPECT_TRUE(oneTick(u"左ｸﾘｯｸ", u"-1,-1").empty());
    EXPECT_EQ(status(), failure(u"左ｸﾘｯｸ"));
    // A cursor move alone is never refused, and a key list goes to the
    // foreground window, which takes it.
    EXPECT_EQ(oneTick(u"ﾏｳｽｶｰｿﾙ移動", u"100,200").size(), 2u);
    EXPECT_TRUE(running());
    app->controls.startButton->press();
    p.foreground = editor;
    EXPECT_EQ(oneTick(u"ｷｰ入力", u"VK_A").size(), 2u);
    EXPECT_TRUE(running());
}

TEST_F(InputGateTest, LevelsThatCannotBeReadDoNotBlock) {
    auto game = other(u"Protected Game", -1);
    p.foreground = game;
    EXPECT_EQ(oneTick(u"ｷｰ入力_改", u"VK_A").size(), 2u);
    EXPECT_TRUE(running());
    app->controls.startButton->press();
    // Nor does our own level when it cannot be read.
    p.ownIntegrity = -1;
    p.window(game)->integrity = kSystem;
    p.foreground = game;
    EXPECT_EQ(oneTick(u"ｷｰ入力_改", u"VK_A").size(), 2u);
    EXPECT_TRUE(running());
}

TEST_F(InputGateTest, AnswersAreKeptPerWindowAndProcessForOneRun) {
    auto h = other(u"Editor", kMedium);
    p.foreground = h;
    rows({{u"ｷｰ入力", u"VK_A"}});
    interval(u"1");
    run();
    p.advance(3000);
    EXPECT_EQ(countEvent("keybd_event(65,30,0,0)"), 3);
    EXPECT_EQ(p.integrityQueries, 1);
    // The program behind the window is elevated now: the kept answer holds
    // for this run...
    p.window(h)->integrity = kHigh;
    p.advance(1000);
    EXPECT_TRUE(running());
    EXPECT_EQ(p.integrityQueries, 1);
    // ...but the handle of another process is asked again.
    p.window(h)->pid = 99;
    p.advance(1000);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), failure(u"ｷｰ入力"));
    EXPECT_EQ(p.integrityQueries, 2);
    // A new run asks again.
    p.window(h)->pid = 7;
    p.window(h)->integrity = kMedium;
    p.foreground = h;
    run();
    p.advance(1000);
    EXPECT_TRUE(running());
    EXPECT_EQ(p.integrityQueries, 3);
}

TEST_F(InputGateTest, TheSenderStillRefusesWhileAnotherDesktopHasTheInput) {
    // The secure desktop is not a matter of the window: the sender's own
    // message, as before.
    p.blockInput = true;
    EXPECT_TRUE(oneTick(u"ｷｰ入力", u"abc").empty());
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"待機中");
    ASSERT_EQ(p.shown.size(), 1u);
}
