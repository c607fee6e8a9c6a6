// Rows that wait: the document's wait limit read and written, what the
// status line says while a row waits, and the run-out limit that stops the
// run as a failing step does.
#include "core/document_format.h"
#include "playback/waiting.h"
#include "playback_fixture.h"

TEST(WaitLimitValue, TheLeadingNumberRoundedIntoZeroToADayAndNeverAFailure) {
    const int32_t max = DocumentSettings::MaxWaitLimit;
    EXPECT_EQ(docfmt::readClamped(u"30", max), 30);
    EXPECT_EQ(docfmt::readClamped(u" 30秒", max), 30);
    EXPECT_EQ(docfmt::readClamped(u"30.5", max), 30);
    EXPECT_EQ(docfmt::readClamped(u"31.5", max), 32);
    EXPECT_EQ(docfmt::readClamped(u"-5", max), 0);
    EXPECT_EQ(docfmt::readClamped(u"", max), 0);
    EXPECT_EQ(docfmt::readClamped(u"abc", max), 0);
    EXPECT_EQ(docfmt::readClamped(u"86401", max), 86400);
    EXPECT_EQ(docfmt::readClamped(u"1e999", max), 86400);
    EXPECT_EQ(docfmt::readClamped(u"-1e999", max), 0);
}

TEST(WaitReasons, TheStatusAndTheRunOutTextNameWhatIsWaitedFor) {
    const WaitReason appear = windowToAppear(u"- メモ帳");
    EXPECT_EQ(appear.runOutText(30), u"「- メモ帳」を含むウィンドウが30秒待っても現れません");
    EXPECT_EQ(windowToClose(u"- メモ帳").runOutText(5), u"「- メモ帳」を含むウィンドウが5秒待っても閉じません");
    EXPECT_EQ(waitingStatus(u"実行中 2", appear, 12, 0), u"実行中 2 「- メモ帳」を待っています (12秒)");
    EXPECT_EQ(waitingStatus(u"実行中 2", appear, 12, 30), u"実行中 2 「- メモ帳」を待っています (12秒/上限30秒)");
    EXPECT_EQ(waitingStatus(u"実行中 1　残り3回", windowToClose(u"x"), 1, 0),
              u"実行中 1　残り3回 「x」が閉じるのを待っています (1秒)");
}

class WaitDocTest : public AppTest {
protected:
    void SetUp() override { start(); }
    Str written() { return docfmt::decode(fileBytes(u"C:\\work\\w.TVK")); }
};

TEST_F(WaitDocTest, TheLimitIsWrittenAfterTheSixteenKeysOnlyWhenItIsSet) {
    app->macroFile.write(u"C:\\work\\w.TVK", MacroFile::Overwrite::Silently);
    const Str without = written();
    EXPECT_EQ(instr(without, u"WaitLimit"), 0);
    EXPECT_TRUE(endsWith(without, u"NotActive=False\r\n"));

    app->document.settings.waitLimit = 30;
    app->document.steps.at(1) = MacroStep{u"左ｸﾘｯｸ", u"1,2", u""};
    app->document.steps.grow(1);
    app->macroFile.write(u"C:\\work\\w.TVK", MacroFile::Overwrite::Silently);
    EXPECT_NE(instr(written(), u"NotActive=False\r\nWaitLimit=30\r\n\"左ｸﾘｯｸ\",\"1,2\",\"\"\r\n"), 0);

    app->document.settings.waitLimit = 0;
    app->macroFile.read(u"C:\\work\\w.TVK");
    EXPECT_EQ(app->document.settings.waitLimit, 30);
    EXPECT_EQ(status(), u"読み込み完了！！！");

    // A document without the key has no limit, whatever was read before.
    p.putFile(u"C:\\work\\old.TVK", toCp932(without));
    app->macroFile.read(u"C:\\work\\old.TVK");
    EXPECT_EQ(app->document.settings.waitLimit, 0);
    // Nonsense is read as well as it goes, never as a failure.
    p.putFile(u"C:\\work\\odd.TVK", toCp932(u"WaitLimit=9999999\r\n"));
    app->macroFile.read(u"C:\\work\\odd.TVK");
    EXPECT_EQ(app->document.settings.waitLimit, 86400);
    p.putFile(u"C:\\work\\odd.TVK", toCp932(u"WaitLimit=nothing\r\n\"左ｸﾘｯｸ\",\"1,1\",\"\"\r\n"));
    app->macroFile.read(u"C:\\work\\odd.TVK");
    EXPECT_EQ(app->document.settings.waitLimit, 0);
    EXPECT_EQ(status(), u"読み込み完了！！！");
}

class WaitingRowTest : public PlaybackTest {
protected:
    Str log() { return docfmt::decode(fileBytes(p.progDir + u"\\TOVIRAK_ERROR.LOG")); }
};

TEST_F(WaitingRowTest, AfterASecondTheStatusSaysWhatTheRowWaitsForEachSecond) {
    rows({{u"左ｸﾘｯｸ", u"1,1"}, {u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"- メモ帳"}, {u"左ｸﾘｯｸ", u"2,2"}});
    interval(u"0.1");
    run();
    p.advance(200);  // row 2 from 200 ms on
    EXPECT_EQ(app->player.state().row, 2);
    p.advance(900);
    EXPECT_EQ(status(), u"実行中 2");
    p.advance(100);
    EXPECT_EQ(status(), u"実行中 2 「- メモ帳」を待っています (1秒)");
    p.advance(10900);
    EXPECT_EQ(status(), u"実行中 2 「- メモ帳」を待っています (11秒)");
    p.advance(100);
    EXPECT_EQ(status(), u"実行中 2 「- メモ帳」を待っています (12秒)");
    // The window comes: the run goes on, and a later wait counts anew.
    const os::WindowHandle np = p.addWindow(u"(無題) - メモ帳", u"Notepad");
    p.advance(100);
    EXPECT_EQ(app->player.state().row, 3);
    p.removeWindow(np);
    p.advance(200);  // row 3, then row 1
    EXPECT_EQ(app->player.state().row, 2);
    p.advance(1000);  // the first tick on row 2 is 100 ms later
    EXPECT_EQ(status(), u"実行中 2");
    p.advance(100);
    EXPECT_EQ(status(), u"実行中 2 「- メモ帳」を待っています (1秒)");
    EXPECT_TRUE(running());
}

TEST_F(WaitingRowTest, ARunOutLimitStopsTheRunAsAFailingStepWithoutPowerOff) {
    rows({{u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"- メモ帳"}});
    interval(u"0.1");
    app->document.settings.waitLimit = 2;
    // A stop limit with power-off is not what ends this run.
    app->document.settings.stopTimerEnabled = true;
    app->document.settings.timerHours = 1;
    app->document.settings.powerOff = true;
    run();
    p.advance(100);  // the first tick on the row
    p.advance(1000);
    EXPECT_EQ(status(), u"実行中 1　残り59:59(電源Off有効) 「- メモ帳」を待っています (1秒/上限2秒)");
    p.advance(800);
    EXPECT_TRUE(running());
    p.advance(200);  // 2.0 s after the first tick
    EXPECT_FALSE(running());
    const Str expected = u"[tim_Timer_Timer]「- メモ帳」を含むウィンドウが2秒待っても現れません ステップ：ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ";
    EXPECT_EQ(status(), expected);
    EXPECT_NE(instr(log(), expected), 0);
    EXPECT_TRUE(p.exitRequests.empty());

    // The absent check says the window does not close.
    p.addWindow(u"(無題) - メモ帳", u"Notepad");
    rows({{u"ｳｨﾝﾄﾞｳ不在ﾁｪｯｸ", u"メモ帳"}});
    app->document.settings.stopTimerEnabled = false;
    run();
    p.advance(2100);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"[tim_Timer_Timer]「メモ帳」を含むウィンドウが2秒待っても閉じません ステップ：ｳｨﾝﾄﾞｳ不在ﾁｪｯｸ");
}

TEST_F(WaitingRowTest, LongIntervalsWatchTheWaitAtEverySecond) {
    rows({{u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"Report"}});
    interval(u"5");
    app->document.settings.waitLimit = 3;
    run();
    p.advance(1000);  // the row runs at the first tick, then every 5 s
    EXPECT_EQ(status(), u"実行中 1");
    p.advance(1000);
    EXPECT_EQ(status(), u"実行中 1 「Report」を待っています (1秒/上限3秒)");
    p.advance(1000);
    EXPECT_EQ(status(), u"実行中 1 「Report」を待っています (2秒/上限3秒)");
    p.advance(1000);  // 3 s after the first tick, though the row's next turn is at 6 s
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"[tim_Timer_Timer]「Report」を含むウィンドウが3秒待っても現れません ステップ：ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ");

    // Without a limit it waits on; the status still counts.
    app->document.settings.waitLimit = 0;
    run();
    p.advance(60000);
    EXPECT_TRUE(running());
    EXPECT_EQ(status(), u"実行中 1 「Report」を待っています (59秒)");
}
