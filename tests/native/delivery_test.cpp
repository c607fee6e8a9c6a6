// Keyboard delivery: the module procedures, the keystroke-text route and the
// event sequences of the key-input steps as the trace records them.
#include "app_fixture.h"
#include "input/delivery.h"

namespace {

// Trace lines of injected input only (and the hold-time sleeps).
std::string inputTrace(const headless::Platform& p) {
    std::string s;
    for (auto& line : p.trace)
        if (line.rfind("SendInput", 0) == 0 || line.rfind("keybd_event", 0) == 0 || line.rfind("SendMessage", 0) == 0 ||
            line.rfind("Sleep", 0) == 0) {
            if (!s.empty()) s += "\n";
            s += line;
        }
    return s;
}

}  // namespace

TEST(DeliveryModule, SendInputKeyIsOneRecordWithTheExtendedFlag) {
    headless::Platform p;
    EXPECT_TRUE(MF_SendInputKey(p.os, 65, u"DOWN"));
    EXPECT_TRUE(MF_SendInputKey(p.os, 65, u"UP"));
    EXPECT_TRUE(MF_SendInputKey(p.os, 16, u"down"));  // only "DOWN" presses
    EXPECT_TRUE(MF_SendInputKey(p.os, 0x1A0, u"DOWN"));  // low byte only
    EXPECT_EQ(p.traceText(), "SendInput(65,30,1)\nSendInput(65,30,3)\nSendInput(16,42,3)\nSendInput(160,0,1)");
}

TEST(DeliveryModule, SendInputKeysBatchesRecordsInOrder) {
    headless::Platform p;
    MS_SendInputKeys(p.os, 3, {17, 67, 67}, {0, 0, 1});
    EXPECT_EQ(p.traceText(), "SendInput(17,29,1;67,46,1;67,46,3)");
    p.clearTrace();
    MS_SendInputKeys(p.os, 0, {65}, {0});
    MS_SendInputKeys(p.os, -1, {65}, {0});
    EXPECT_TRUE(p.trace.empty());
    // A count beyond the arrays sends what the arrays hold.
    MS_SendInputKeys(p.os, 5, {65, 66}, {0});
    EXPECT_EQ(p.traceText(), "SendInput(65,30,1)");
}

TEST(DeliveryModule, SendMessageKeyPicksTheMessageByKeyCode) {
    headless::Platform p;
    auto h = p.addWindow(u"Target", u"Cls");
    auto msgs = [&](int16_t key) {
        p.clearTrace();
        EXPECT_TRUE(MF_SendMessageKey(p.os, key, u"DOWN", h));
        EXPECT_TRUE(MF_SendMessageKey(p.os, key, u"UP", h));
        return p.traceText();
    };
    std::string hs = std::to_string(h);
    EXPECT_EQ(msgs(65), "SendMessage(" + hs + ",646,65,0)");
    EXPECT_EQ(msgs(48), "SendMessage(" + hs + ",646,48,0)");
    EXPECT_EQ(msgs(90), "SendMessage(" + hs + ",646,90,0)");
    EXPECT_EQ(msgs(13), "SendMessage(" + hs + ",260,13,0)\nSendMessage(" + hs + ",261,13,0)");
    EXPECT_EQ(msgs(47), "SendMessage(" + hs + ",260,47,0)\nSendMessage(" + hs + ",261,47,0)");
    EXPECT_EQ(msgs(91), "SendMessage(" + hs + ",260,91,0)\nSendMessage(" + hs + ",261,91,0)");
    EXPECT_EQ(msgs(16), "SendMessage(" + hs + ",260,16,0)\nSendMessage(" + hs + ",261,16,0)");
    // A hung or vanished target is given up without a failure.
    p.window(h)->hung = true;
    EXPECT_EQ(msgs(13), "SendMessage(" + hs + ",260,13,0)\nSendMessage(" + hs + ",261,13,0)");
    EXPECT_TRUE(MF_SendMessageKey(p.os, 13, u"DOWN", 0xDEAD));
}

TEST(DeliveryModule, PlaySoundOnlyForAnOrdinaryFile) {
    headless::Platform p;
    p.putFile(u"C:\\work\\ding.wav", "RIFF");
    p.folders.insert(u"C:\\work\\sounds");
    EXPECT_FALSE(MF_PlaySound(p.os, u"C:\\work\\missing.wav"));
    EXPECT_FALSE(MF_PlaySound(p.os, u"C:\\work\\sounds"));
    EXPECT_FALSE(MF_PlaySound(p.os, u""));
    EXPECT_TRUE(p.trace.empty());
    EXPECT_TRUE(MF_PlaySound(p.os, u"C:\\work\\ding.wav"));
    EXPECT_EQ(p.traceText(), "PlaySound(C:\\work\\ding.wav,1)");
}

TEST_F(AppTest, SendKeysSendsTextAndReportsFailures) {
    start();
    auto main = app->form->nativeHandle();
    auto other = p.addWindow(u"Other", u"Cls", 7);
    bool ret = false;
    p.clearTrace();
    app->MS_SendKeys(u"Hi{ENTER}", false, ret);
    EXPECT_TRUE(ret);
    EXPECT_EQ(p.traceText(), "SendInput(16,42,0;72,35,0;72,35,2;16,42,2;73,23,0;73,23,2;13,28,0;13,28,2)");

    // Malformed text: the main window comes to the front, then the message.
    p.foreground = other;
    p.clearTrace();
    app->MS_SendKeys(u"{ENTER", false, ret);
    EXPECT_FALSE(ret);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"エラー(SendKeys)\r\n5\r\nプロシージャの呼び出し、または引数が不正です。");
    EXPECT_EQ(p.shown[0].style, tk::mb::OK);
    EXPECT_EQ(p.shown[0].title, u"TOVIRAK");
    EXPECT_EQ(p.foreground, main);
    std::string t = p.traceText();
    EXPECT_LT(t.find("SetForegroundWindow(" + std::to_string(main) + ")"), t.find("MessageBox("));

    // Refused input: the other message, with the information icon.
    p.blockInput = true;
    app->MS_SendKeys(u"abc", false, ret);
    EXPECT_FALSE(ret);
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[1].text, u"SendKeysでエラーが発生しました。(書き込みできません。)\r\n"
                               u"TOVIRAK.exeフォルダにあるMSVBVM60.DLLとVB6JP.DLLを削除して実行してみてください。");
    EXPECT_EQ(p.shown[1].style, tk::mb::OK | tk::mb::Information);
    EXPECT_EQ(fileBytes(u"C:\\Program Files\\TOVIRAK\\TOVIRAK_ERROR.LOG"), "");  // not logged
}

// ---------------------------------------------------------------------------
// The key-input steps, one tick each, through the executor.

class KeyStepTest : public AppTest {
protected:
    // One step, run for exactly one tick; returns the injected input.
    std::string runOneStep(StrView action, StrView text) {
        start();
        app->steps.resize(2);
        app->steps.at(1) = MacroStep{Str(action), Str(text), Str()};
        app->txt_Kankaku->setText(u"1");
        app->cmd_Kaisi_Click();
        if (app->Mlng_RunRow != 1) return "not started";
        p.clearTrace();
        p.advance(1000);
        std::string t = inputTrace(p);
        app->MS_Stop(false);
        return t;
    }
};

// A key list must begin with "VK_" itself: its marks follow the name here
// («^VK_C» would be keystroke text: Ctrl+V, then "K_C").
TEST_F(KeyStepTest, KeybdEventRoute) {
    EXPECT_EQ(runOneStep(dousa::KeyInput, u"VK_C^"),
              "keybd_event(17,0,0,0)\nkeybd_event(67,0,0,0)\nkeybd_event(67,0,2,0)\nkeybd_event(17,0,2,0)");
}

TEST_F(KeyStepTest, PasswordRouteIsTheSame) {
    EXPECT_EQ(runOneStep(dousa::Password, u"VK_A%+(20),VK_B"),
              "keybd_event(16,0,0,0)\nkeybd_event(18,0,0,0)\nkeybd_event(65,0,0,0)\nSleep(20)\n"
              "keybd_event(65,0,2,0)\nkeybd_event(18,0,2,0)\nkeybd_event(16,0,2,0)\n"
              "keybd_event(66,0,0,0)\nkeybd_event(66,0,2,0)");
}

TEST_F(KeyStepTest, SendInputRoute) {
    EXPECT_EQ(runOneStep(dousa::KeyInputKai, u"VK_A+(300)"),
              "SendInput(16,42,1)\nSendInput(65,30,1)\nSleep(300)\nSendInput(65,30,3)\nSendInput(16,42,3)");
}

TEST_F(KeyStepTest, KeystrokeTextRoute) {
    EXPECT_EQ(runOneStep(dousa::KeyInput, u"vk_a"), "SendInput(86,47,0;86,47,2;75,37,0;75,37,2;16,42,0;189,0,0;189,0,2;16,42,2;65,30,0;65,30,2)");
}

TEST_F(KeyStepTest, MessageRouteToTheTargetWindow) {
    auto h = p.addWindow(u"Target - App", u"AppClass");
    std::string hs = std::to_string(h);
    start();
    app->Mstr_WindowTitle = u"Target";
    app->steps.resize(3);
    app->steps.at(1) = MacroStep{Str(dousa::KeyInputShin), u"VK_A,VK_RETURN", Str()};
    app->steps.at(2) = MacroStep{Str(dousa::KeyInputShin), u"VK_A+", Str()};
    app->txt_Kankaku->setText(u"1");
    app->cmd_Kaisi_Click();
    ASSERT_EQ(app->Mlng_RunRow, 1);
    p.clearTrace();
    p.advance(1000);
    EXPECT_EQ(inputTrace(p), "SendMessage(" + hs + ",646,65,0)\nSendMessage(" + hs + ",260,13,0)\nSendMessage(" + hs +
                                 ",261,13,0)");
    p.clearTrace();
    p.advance(1000);
    EXPECT_EQ(inputTrace(p), "SendMessage(" + hs + ",260,16,0)\nSendMessage(" + hs + ",646,65,0)\nSendMessage(" + hs +
                                 ",261,16,0)");
    app->MS_Stop(false);
}

TEST_F(KeyStepTest, RefusedKeystrokeTextStopsTheRun) {
    p.blockInput = true;
    runOneStep(dousa::KeyInput, u"Hello{ENTER}");
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].style, tk::mb::OK | tk::mb::Information);
    EXPECT_EQ(app->Mlng_RunRow, 0);
    EXPECT_EQ(status(), u"待機中");
}
