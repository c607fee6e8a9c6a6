// The settings dialog driven through its controls, and the digit helpers.
#include <algorithm>
#include <functional>

#include "app_fixture.h"
#include "dialog_helpers.h"
#include "settings/digits.h"
#include "settings/settings_dialog.h"

class SettingsTest : public AppTest {
protected:
    void SetUp() override { start(); }
    // Opens the dialog with a script; returns whether the script saw it close.
    bool open(std::function<void(tk::Form&)> script) {
        bool closed = false;
        p.modalScripts.push_back([&, script](tk::Form& f) {
            script(f);
            closed = !f.isShown();
        });
        runSettingsDialog(*app->form, p.os, app->statusLine, app->document, app->hotKeys, app->settingsView);
        return closed;
    }
    template <class T = tk::TextBox>
    static T& c(tk::Form& f, const char* name, int index = 0) {
        return *control<T>(f, name, index);
    }
    static tk::OptionButton& opt(tk::Form& f, const char* name, int index) {
        return *control<tk::OptionButton>(f, name, index);
    }
    static void ok(tk::Form& f) { c<tk::Button>(f, "cmd_Ok").press(); }
    std::vector<Str> messages() const {
        std::vector<Str> out;
        for (auto& m : p.shown) out.push_back(m.text);
        return out;
    }
};

TEST_F(SettingsTest, ControlsCaptionsAndLabelsInTabOrder) {
    open([&](tk::Form& f) {
        EXPECT_EQ(f.text(), u"TOVIRAK設定");
        std::vector<std::pair<std::string, Str>> got;
        for (tk::Control* x : f.controls()) got.emplace_back(x->name(), x->text());
        const std::vector<std::pair<std::string, Str>> want{
            {"txt_WindowTitle", u""},
            {"txt_StartHotKey", u""},
            {"txt_StopHotKey", u""},
            {"optStopTimer", u"停止タイマー有効"},
            {"optStopTimer", u"停止タイマー無効"},
            {"txt_StopTimer", u"0:00"},
            {"chk_PCPowerOff", u"停止タイマー後ＰＣ電源Off"},
            {"optWindowSetting", u"通常"},
            {"optWindowSetting", u"常に手前に表示"},
            {"optWindowSetting", u"実行中にTOVIRAKをｱｸﾃｨﾌﾞにしない"},
            {"txt_WaitLimit", u"0"},
            {"cmd_Ok", u"Ｏ　Ｋ"},
            {"cmd_Cancel", u"ｷｬﾝｾﾙ"},
            {"Label1", u"　　対象ｳｨﾝﾄﾞｳの検索文字を入力します。（省略可能）\r\n"
                       u"　　☆部分一致検索でｳｨﾝﾄﾞｳの検索が行われます。"},
            {"cmd_Set", u"set"},
            {"Label2", u"　　スタートホットキーをカンマ区切りで入力します。（省略可能）\r\n"
                       u"　　スタートホットキーとは、TOVIRAKが裏に隠れていても開始出来る機能です。"},
            {"Label3", u"　　ストップホットキーをカンマ区切りで入力します。（省略可能）\r\n"
                       u"　　ストップホットキーとは、TOVIRAKが裏に隠れていても停止出来る機能です。"},
            {"Label4", u"　　時間:分の形式または回数を指定（省略可能）\r\n"
                       u"　　例１： 1:30 と指定すると、1時間30分間実行されます。\r\n"
                       u"　　例２： 1 と指定すると、1回だけ実行されます。"},
            {"cmd_LeftTop", u"右上に移動"},
            {"cmd_Help", u"ReadMe!(F1)"},
            {"Label5", u"待ち時間の上限(秒)"},
            {"Label6", u"0は上限なし（ウィンドウを待つ行がこの秒数で止まります）"},
            {"Frame1", u"対象ウィンドウ設定"},
            {"Frame2", u"スタートホットキー設定"},
            {"Frame3", u"ストップホットキー設定"},
            {"Frame4", u"停止タイマー設定"},
            {"Frame5", u"TOVIRAKウィンドウ設定"},
            {"Frame6", u"待ち時間設定"},
        };
        EXPECT_EQ(got, want);
        EXPECT_EQ(opt(f, "optStopTimer", 1).group(), opt(f, "optStopTimer", 2).group());
        EXPECT_NE(opt(f, "optStopTimer", 1).group(), opt(f, "optWindowSetting", 1).group());
    });
}

TEST_F(SettingsTest, LoadShowsTheMembers) {
    struct Case {
        int16_t hh, mm;
        Str text;
    } timers[] = {{-1, 3, u"3"}, {2, 5, u"2:05"}, {0, 0, u"0:00"}, {12, 30, u"12:30"}, {-1, 0, u"0"}};
    for (const auto& t : timers) {
        app->document.settings.timerHours = t.hh;
        app->document.settings.timerMinutes = t.mm;
        open([&](tk::Form& f) { EXPECT_EQ(c(f, "txt_StopTimer").text(), t.text); });
    }
    app->document.settings.targetWindowSearch = u"メモ帳,Notepad";
    app->document.settings.startKeys = u"VK_F5";
    app->document.settings.stopKeys = u"VK_F6";
    app->document.settings.stopTimerEnabled = true;
    app->document.settings.powerOff = true;
    app->document.settings.stayBehind = true;
    open([&](tk::Form& f) {
        EXPECT_EQ(c(f, "txt_WindowTitle").text(), u"メモ帳,Notepad");
        EXPECT_EQ(c(f, "txt_StartHotKey").text(), u"VK_F5");
        EXPECT_EQ(c(f, "txt_StopHotKey").text(), u"VK_F6");
        EXPECT_TRUE(opt(f, "optStopTimer", 1).value());
        EXPECT_FALSE(opt(f, "optStopTimer", 2).value());
        EXPECT_TRUE(c<tk::CheckBox>(f, "chk_PCPowerOff").checked());
        EXPECT_TRUE(opt(f, "optWindowSetting", 3).value());
        EXPECT_TRUE(c<tk::Button>(f, "cmd_LeftTop").enabled());
    });
    // On top wins over not-activated; neither gives "通常".
    app->document.settings.topMost = true;
    open([&](tk::Form& f) { EXPECT_TRUE(opt(f, "optWindowSetting", 2).value()); });
    app->document.settings.topMost = app->document.settings.stayBehind = false;
    app->document.settings.stopTimerEnabled = false;
    open([&](tk::Form& f) {
        EXPECT_TRUE(opt(f, "optWindowSetting", 1).value());
        EXPECT_TRUE(opt(f, "optStopTimer", 2).value());
    });
    EXPECT_TRUE(p.shown.empty());
    EXPECT_FALSE(app->document.changed());
}

TEST_F(SettingsTest, StopTimerTextIsStoredOrRefused) {
    struct Accepted {
        Str text;
        int16_t hh, mm;
    } accepted[] = {{u"1:30", 1, 30},    {u"0:05", 0, 5},      {u"12:7", 12, 7}, {u"0", -1, 0},
                    {u"1", -1, 1},       {u"", 0, 0},          {u"32767", -1, 32767},
                    {u"32767:59", 32767, 59}, {u"007:000000000000000000059", 7, 59}};
    for (const auto& a : accepted) {
        app->document.settings.timerHours = app->document.settings.timerMinutes = 99;
        bool closed = open([&](tk::Form& f) {
            c(f, "txt_StopTimer").userTyped(a.text);
            ok(f);
        });
        EXPECT_TRUE(closed) << toUtf8(a.text);
        EXPECT_EQ(app->document.settings.timerHours, a.hh) << toUtf8(a.text);
        EXPECT_EQ(app->document.settings.timerMinutes, a.mm) << toUtf8(a.text);
    }
    EXPECT_TRUE(p.shown.empty());

    const Str refused[] = {u"1:60", u"1:", u":30", u" 1:30", u"1:30 ", u"１:30", u"1:2:3",
                           u"-1",   u"+1", u"1.5", u"a",     u":",     u"1：30"};
    for (const Str& r : refused) {
        p.shown.clear();
        app->document.settings.timerHours = app->document.settings.timerMinutes = 99;
        app->document.setChanged(false);
        bool stayedOpen = false, focused = false;
        open([&](tk::Form& f) {
            c(f, "txt_StopTimer").userTyped(r);
            c(f, "txt_WindowTitle").userTyped(u"changed");
            ok(f);
            stayedOpen = f.isShown();
            focused = f.activeControl() == &c(f, "txt_StopTimer");
            c<tk::Button>(f, "cmd_Cancel").press();
        });
        EXPECT_TRUE(stayedOpen) << toUtf8(r);
        EXPECT_TRUE(focused) << toUtf8(r);
        EXPECT_EQ(messages(), std::vector<Str>{u"入力エラー"}) << toUtf8(r);
        EXPECT_EQ(app->document.settings.timerHours, 99);
        EXPECT_EQ(app->document.settings.targetWindowSearch, u"");
        EXPECT_FALSE(app->document.changed());
    }
}

TEST_F(SettingsTest, WaitLimitIsShownStoredOrRefusedBeforeAnythingIsStored) {
    app->document.settings.waitLimit = 30;
    open([&](tk::Form& f) { EXPECT_EQ(c(f, "txt_WaitLimit").text(), u"30"); });
    struct Accepted {
        Str text;
        int32_t seconds;
    } accepted[] = {{u"", 0}, {u"0", 0}, {u"2", 2}, {u"86400", 86400}, {u"0086400", 86400}};
    for (const auto& a : accepted) {
        app->document.settings.waitLimit = 7;
        EXPECT_TRUE(open([&](tk::Form& f) {
            c(f, "txt_WaitLimit").userTyped(a.text);
            ok(f);
        })) << toUtf8(a.text);
        EXPECT_EQ(app->document.settings.waitLimit, a.seconds) << toUtf8(a.text);
    }
    EXPECT_TRUE(p.shown.empty());

    for (const Str r : {u"86401", u"９", u"-1", u"1.5", u" 3", u"3 ", u"1e3", u"a", u"99999999999999999999"}) {
        p.shown.clear();
        app->document.settings.waitLimit = 7;
        app->document.settings.timerHours = 1;
        app->document.setChanged(false);
        bool stayedOpen = false, focused = false;
        open([&](tk::Form& f) {
            c(f, "txt_StopTimer").userTyped(u"5");
            c(f, "txt_WaitLimit").userTyped(r);
            ok(f);
            stayedOpen = f.isShown();
            focused = f.activeControl() == &c(f, "txt_WaitLimit");
            c<tk::Button>(f, "cmd_Cancel").press();
        });
        EXPECT_TRUE(stayedOpen && focused) << toUtf8(r);
        EXPECT_EQ(messages(), std::vector<Str>{u"入力エラー"}) << toUtf8(r);
        EXPECT_EQ(app->document.settings.waitLimit, 7) << toUtf8(r);
        EXPECT_EQ(app->document.settings.timerHours, 1) << toUtf8(r);
        EXPECT_FALSE(app->document.changed()) << toUtf8(r);
    }
}

TEST_F(SettingsTest, TooLargeNumberShowsTheOverflowDescriptionAndStaysOpen) {
    for (const Str text : {u"99999", u"32768:00"}) {
        p.shown.clear();
        app->document.settings.timerHours = 1;
        app->document.settings.timerMinutes = 2;
        bool stayedOpen = false;
        open([&](tk::Form& f) {
            c(f, "txt_StopTimer").userTyped(text);
            ok(f);
            stayedOpen = f.isShown();
            c<tk::Button>(f, "cmd_Cancel").press();
        });
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(p.shown.size(), 1u);
        EXPECT_EQ(p.shown[0].text, err::describeNumber(err::Overflow));
        EXPECT_EQ(p.shown[0].style, tk::mb::OK);
        // Neither half of the pair was stored.
        EXPECT_EQ(app->document.settings.timerHours, 1);
        EXPECT_EQ(app->document.settings.timerMinutes, 2);
        EXPECT_FALSE(app->document.changed());
    }
}

TEST_F(SettingsTest, CornerButtonNeedsANonBlankTitle) {
    open([&](tk::Form& f) {
        auto& corner = c<tk::Button>(f, "cmd_LeftTop");
        EXPECT_FALSE(corner.enabled());
        c(f, "txt_WindowTitle").userTyped(u"   ");
        EXPECT_FALSE(corner.enabled());
        c(f, "txt_WindowTitle").userTyped(u" x ");
        EXPECT_TRUE(corner.enabled());
        c(f, "txt_WindowTitle").userTyped(u"");
        EXPECT_FALSE(corner.enabled());
    });
}

TEST_F(SettingsTest, EnterWalksTheFieldsAndPressesAFocusedButton) {
    bool closed = open([&](tk::Form& f) {
        c(f, "txt_StartHotKey").userFocus();
        EXPECT_TRUE(f.userKeyPress(tk::key::Return));  // swallowed
        EXPECT_TRUE(f.isShown());
        EXPECT_EQ(f.activeControl(), &c(f, "txt_StopHotKey"));
        // Into the option group at its selected button, then out of it.
        f.userKeyPress(tk::key::Return);
        EXPECT_EQ(f.activeControl(), &opt(f, "optStopTimer", 2));
        f.userKeyPress(tk::key::Return);
        EXPECT_EQ(f.activeControl(), &c(f, "txt_StopTimer"));
        f.userKeyPress(tk::key::Return);
        EXPECT_EQ(f.activeControl(), control<tk::CheckBox>(f, "chk_PCPowerOff"));
        f.userKeyPress(tk::key::Return);
        EXPECT_EQ(f.activeControl(), &opt(f, "optWindowSetting", 1));
        f.userKeyPress(tk::key::Return);
        EXPECT_EQ(f.activeControl(), &c(f, "txt_WaitLimit"));
        f.userKeyPress(tk::key::Return);
        EXPECT_EQ(f.activeControl(), control<tk::Button>(f, "cmd_Ok"));
        // A button keeps its Enter: the window presses it.
        c<tk::Button>(f, "cmd_Cancel").userFocus();
        c(f, "txt_WindowTitle").setText(u"not stored");
        EXPECT_FALSE(f.userKeyPress(tk::key::Return));
        static_cast<tk::Button*>(f.activeControl())->press();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"");
}

TEST_F(SettingsTest, F1AndTheHelpButtonOpenTheReadme) {
    const Str cmd = u"Notepad.exe C:\\Program Files\\TOVIRAK\\README.TXT";
    open([&](tk::Form& f) {
        f.userKeyDown(tk::key::F1, 0);  // missing file
        p.putFile(u"C:\\Program Files\\TOVIRAK\\README.TXT", "help");
        for (const char* name : {"txt_WindowTitle", "txt_StopTimer", "cmd_Ok"}) {
            control<tk::Control>(f, name)->userFocus();
            f.userKeyDown(tk::key::F1, 0);
        }
        c<tk::Button>(f, "cmd_Help").press();
        p.startFailures.insert(cmd);
        c<tk::Button>(f, "cmd_Help").press();
        EXPECT_TRUE(f.isShown());
    });
    EXPECT_EQ(p.started, std::vector<Str>(4, cmd));
    EXPECT_NE(p.traceText().find("Shell(" + toUtf8(cmd) + ",1)"), std::string::npos);
    EXPECT_EQ(messages(), (std::vector<Str>{u"Readme.txtが見つかりません。", u"Notepad.exeが見つかりません。"}));
}

TEST_F(SettingsTest, OkStoresEverythingAndMarksTheDocumentChanged) {
    app->document.settings.startKeys = u"VK_F1";
    app->document.settings.stopKeys = u"VK_F2";
    app->document.settings.timerHours = 0;
    app->document.settings.timerMinutes = 0;
    // Unchanged still counts as a change.
    EXPECT_TRUE(open([&](tk::Form& f) { ok(f); }));
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(app->hotKeys.startKeys(), (std::vector<int16_t>{0, 112}));

    app->document.setChanged(false);
    EXPECT_TRUE(open([&](tk::Form& f) {
        c(f, "txt_WindowTitle").userTyped(u" Target ");
        c(f, "txt_StartHotKey").userTyped(u"VK_F5,vk_a");
        c(f, "txt_StopHotKey").userTyped(u"^VK_S");
        opt(f, "optStopTimer", 1).setValue(true);
        c(f, "txt_StopTimer").userTyped(u"1:30");
        c<tk::CheckBox>(f, "chk_PCPowerOff").setChecked(true);
        opt(f, "optWindowSetting", 3).setValue(true);
        ok(f);
    }));
    EXPECT_EQ(app->document.settings.targetWindowSearch, u" Target ");  // as typed
    EXPECT_EQ(app->document.settings.startKeys, u"VK_F5,vk_a");
    EXPECT_EQ(app->hotKeys.startKeys(), (std::vector<int16_t>{0, 116, 65}));
    EXPECT_EQ(app->document.settings.stopKeys, u"^VK_S");
    EXPECT_EQ(app->hotKeys.stopKeys(), (std::vector<int16_t>{0, 83}));
    EXPECT_TRUE(app->document.settings.stopTimerEnabled);
    EXPECT_EQ(app->document.settings.timerHours, 1);
    EXPECT_EQ(app->document.settings.timerMinutes, 30);
    EXPECT_TRUE(app->document.settings.powerOff);
    EXPECT_FALSE(app->document.settings.topMost);
    EXPECT_TRUE(app->document.settings.stayBehind);
    EXPECT_TRUE(app->document.changed());
    EXPECT_TRUE(p.shown.empty());
}

TEST_F(SettingsTest, CancelAndTheCloseBoxStoreNothing) {
    auto changeAll = [&](tk::Form& f) {
        c(f, "txt_WindowTitle").userTyped(u"x");
        c(f, "txt_StartHotKey").userTyped(u"VK_A");
        c(f, "txt_StopHotKey").userTyped(u"VK_B");
        opt(f, "optStopTimer", 1).setValue(true);
        c(f, "txt_StopTimer").userTyped(u"5");
        c<tk::CheckBox>(f, "chk_PCPowerOff").setChecked(true);
        opt(f, "optWindowSetting", 2).setValue(true);
    };
    EXPECT_TRUE(open([&](tk::Form& f) {
        changeAll(f);
        c<tk::Button>(f, "cmd_Cancel").press();
    }));
    EXPECT_TRUE(open([&](tk::Form& f) {
        changeAll(f);
        f.userClose();
    }));
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"");
    EXPECT_EQ(app->document.settings.startKeys, u"");
    EXPECT_EQ(app->document.settings.stopKeys, u"");
    EXPECT_FALSE(app->document.settings.stopTimerEnabled);
    EXPECT_EQ(app->document.settings.timerMinutes, 0);
    EXPECT_FALSE(app->document.settings.powerOff);
    EXPECT_FALSE(app->document.settings.topMost);
    EXPECT_FALSE(app->document.changed());
}

TEST_F(SettingsTest, UnsupportedStopKeyIsReportedAndTheDialogStillCloses) {
    bool closed = open([&](tk::Form& f) {
        // VK_X is a letter of the key table; the logo key has no entry.
        c(f, "txt_StopHotKey").userTyped(u"VK_LWIN");
        ok(f);
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(messages(), std::vector<Str>{u"「VK_LWIN」は、サポートされていないキーです。"});
    EXPECT_EQ(app->document.settings.stopKeys, u"VK_LWIN");
    EXPECT_EQ(app->hotKeys.stopKeys(), (std::vector<int16_t>{0, 0}));
    EXPECT_TRUE(app->document.changed());
}

TEST_F(SettingsTest, OnTopChoiceIsAppliedAtOnce) {
    const std::string h = std::to_string(app->form->nativeHandle());
    p.clearTrace();
    open([&](tk::Form& f) {
        opt(f, "optWindowSetting", 2).setValue(true);
        ok(f);
    });
    EXPECT_TRUE(app->document.settings.topMost);
    EXPECT_FALSE(app->document.settings.stayBehind);
    EXPECT_NE(p.traceText().find("SetWindowPos(" + h + ",-1,"), std::string::npos) << p.traceText();

    p.clearTrace();
    open([&](tk::Form& f) {
        opt(f, "optWindowSetting", 1).setValue(true);
        ok(f);
    });
    EXPECT_FALSE(app->document.settings.topMost);
    EXPECT_NE(p.traceText().find("SetWindowPos(" + h + ",-2,"), std::string::npos) << p.traceText();
}

TEST_F(SettingsTest, WindowPickTakesTheTitleUnderTheNextRelease) {
    const auto notepad = p.addWindow(u"無題 - メモ帳", u"Notepad");
    const auto blank = p.addWindow(u"", u"Static");
    open([&](tk::Form& f) {
        auto& title = c(f, "txt_WindowTitle");
        f.userMouseUp(1, 0, 10, 10);  // no pick armed: nothing
        EXPECT_EQ(title.text(), u"");
        p.clearTrace();
        c<tk::Button>(f, "cmd_Set").press();
        EXPECT_EQ(p.toolkit.captureForm, &f);
        p.pointWindow = notepad;
        f.userMouseUp(1, 0, 10, 10);
        EXPECT_EQ(title.text(), u"無題 - メモ帳");
        EXPECT_EQ(p.toolkit.captureForm, nullptr);
        EXPECT_EQ(p.traceText(), "SetCapture\nReleaseCapture");
        // Only the first release after "set" counts.
        p.pointWindow = blank;
        f.userMouseUp(1, 0, 10, 10);
        EXPECT_EQ(title.text(), u"無題 - メモ帳");
        // A window without a title leaves the text alone.
        c<tk::Button>(f, "cmd_Set").press();
        f.userMouseUp(1, 0, 10, 10);
        EXPECT_EQ(title.text(), u"無題 - メモ帳");
        EXPECT_EQ(p.toolkit.captureForm, nullptr);
        c<tk::Button>(f, "cmd_Cancel").press();
    });
}

TEST_F(SettingsTest, PickedOrPastedTitleWithALineBreakIsStoredOnOneLine) {
    p.pointWindow = p.addWindow(u"報告\r\n一覧", u"Static");
    open([&](tk::Form& f) {
        c<tk::Button>(f, "cmd_Set").press();
        f.userMouseUp(1, 0, 10, 10);
        EXPECT_EQ(c(f, "txt_WindowTitle").text(), u"報告 一覧");
        ok(f);
    });
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"報告 一覧");
    open([&](tk::Form& f) {
        c(f, "txt_WindowTitle").userTyped(u"貼り付け\n");
        ok(f);
    });
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"貼り付け ");
}

TEST_F(SettingsTest, CornerButtonMovesTheFoundWindowWithoutActivatingIt) {
    const auto target = p.addWindow(u"Target - App", u"AppClass");
    p.window(target)->x = 300;
    p.window(target)->y = 200;
    p.foreground = 0;
    open([&](tk::Form& f) {
        c(f, "txt_WindowTitle").userTyped(u"Nothing like it");
        p.clearTrace();
        c<tk::Button>(f, "cmd_LeftTop").press();
        EXPECT_EQ(p.traceText().find("SetWindowPos"), std::string::npos);
        c(f, "txt_WindowTitle").userTyped(u"Target");
        c<tk::Button>(f, "cmd_LeftTop").press();
        c<tk::Button>(f, "cmd_Cancel").press();
    });
    EXPECT_EQ(p.window(target)->x, 0);
    EXPECT_EQ(p.window(target)->y, 0);
    EXPECT_NE(p.traceText().find("SetWindowPos(" + std::to_string(target) + ",0,0,0,0,0,21)"), std::string::npos);
    EXPECT_EQ(p.traceText().find("SetForegroundWindow"), std::string::npos);
    EXPECT_TRUE(p.shown.empty());
}

TEST_F(SettingsTest, SettingsButtonOfTheMainWindowShowsTheDialog) {
    p.modalScripts.push_back([](tk::Form& f) {
        auto* t = control<tk::TextBox>(f, "txt_StopTimer");
        if (t) t->userTyped(u"2");
        if (auto* b = control<tk::Button>(f, "cmd_Ok")) b->press();
    });
    app->controls.settingsButton->userClick();
    ASSERT_EQ(p.modalsShown, std::vector<std::string>{"frm_Setting"});
    EXPECT_EQ(app->document.settings.timerHours, -1);
    EXPECT_EQ(app->document.settings.timerMinutes, 2);
    EXPECT_TRUE(p.timerRunning("tim_Start"));
}

// ---------------------------------------------------------------------------

TEST(Digits, NumericCheckAcceptsOnlyAsciiDigitBytes) {
    EXPECT_TRUE(isAllDigits(u"0"));
    EXPECT_TRUE(isAllDigits(u"0123456789"));
    for (const Str s : {u"", u" 1", u"1 ", u"-1", u"+1", u"1.5", u"１", u"1１", u"ｱ", u"あ", u"1e3", u"😀"})
        EXPECT_FALSE(isAllDigits(s)) << toUtf8(s);
}

TEST(Digits, ByteLengthAndByteMidUseTheAnsiForm) {
    EXPECT_EQ(ansiLength(u""), 0);
    EXPECT_EQ(ansiLength(u"aあｱ１"), 1 + 2 + 1 + 2);
    EXPECT_EQ(ansiMid(u"aあb", 2, 2), u"あ");
    EXPECT_EQ(ansiMid(u"aあb", 2), u"あb");
    EXPECT_EQ(ansiMid(u"abc", 3, 5), u"c");
    EXPECT_EQ(ansiMid(u"abc", 4), u"");
    EXPECT_EQ(ansiMid(u"abc", 2, 0), u"");
    // Half of a double-byte character is no character.
    EXPECT_EQ(ansiMid(u"aあb", 2, 1), u"・");
    try {
        ansiMid(u"abc", 0);
        ADD_FAILURE() << "position 0 must fail";
    } catch (const RtError& e) {
        EXPECT_EQ(e.number, err::InvalidCall);
    }
}

TEST(Digits, StrConvTurnsTextIntoAnsiBytesAndBack) {
    Str bytes = ansiConvert(u"aあ", strconv::FromUnicode);
    EXPECT_EQ(bytes, (Str{u'a', char16_t(0x82), char16_t(0xA0)}));
    EXPECT_EQ(ansiConvert(bytes, strconv::ToUnicode), u"aあ");
    EXPECT_EQ(ansiConvert(ansiConvert(u"朝の巡回ｱｲｳ", 128), 64), u"朝の巡回ｱｲｳ");
    try {
        ansiConvert(u"a", 1);
        ADD_FAILURE() << "conversion 1 must fail";
    } catch (const RtError& e) {
        EXPECT_EQ(e.number, err::InvalidCall);
    }
}
