// Keyboard delivery: the module procedures, the keystroke-text route and the
// event sequences of the key-input steps as the trace records them.
#include "app_fixture.h"
#include "input/delivery.h"
#include "input/physical_keys.h"

#include <set>

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

TEST(DeliveryModule, SendInputKeyIsOneRecordAsTheKeyboardSendsIt) {
    headless::Platform p;
    EXPECT_TRUE(sendInputKey(p.os, 65, false));
    EXPECT_TRUE(sendInputKey(p.os, 65, true));
    EXPECT_TRUE(sendInputKey(p.os, 16, true));  // a release alone
    EXPECT_TRUE(sendInputKey(p.os, 0x1A0, false));  // low byte only
    EXPECT_TRUE(sendInputKey(p.os, 35, false));     // End: extended
    EXPECT_TRUE(sendInputKey(p.os, 35, true));
    EXPECT_EQ(p.traceText(), "SendInput(65,30,0)\nSendInput(65,30,2)\nSendInput(16,42,2)\nSendInput(160,42,0)\n"
                             "SendInput(35,79,1)\nSendInput(35,79,3)");
}

TEST(DeliveryModule, SendInputKeysBatchesRecordsInOrder) {
    headless::Platform p;
    sendInputKeys(p.os, 3, {17, 67, 67}, {0, 0, 1});
    EXPECT_EQ(p.traceText(), "SendInput(17,29,0;67,46,0;67,46,2)");
    p.clearTrace();
    sendInputKeys(p.os, 0, {65}, {0});
    sendInputKeys(p.os, -1, {65}, {0});
    EXPECT_TRUE(p.trace.empty());
    // A count beyond the arrays sends what the arrays hold.
    sendInputKeys(p.os, 5, {65, 66}, {0});
    EXPECT_EQ(p.traceText(), "SendInput(65,30,0)");
}

TEST(DeliveryModule, SendMessageKeyPicksTheMessageByKeyCode) {
    headless::Platform p;
    auto h = p.addWindow(u"Target", u"Cls");
    auto msgs = [&](int16_t key) {
        p.clearTrace();
        EXPECT_TRUE(sendKeyMessage(p.os, key, false, h));
        EXPECT_TRUE(sendKeyMessage(p.os, key, true, h));
        return p.traceText();
    };
    std::string hs = std::to_string(h);
    // lParam as a keystroke fills it: repeat count 1, the scan code in bits
    // 16-23, the extended bit 24, and bits 30 and 31 on the release.
    EXPECT_EQ(msgs(65), "SendMessage(" + hs + ",646,65,0x1E0001)");
    EXPECT_EQ(msgs(48), "SendMessage(" + hs + ",646,48,0xB0001)");
    EXPECT_EQ(msgs(90), "SendMessage(" + hs + ",646,90,0x2C0001)");
    EXPECT_EQ(msgs(13), "SendMessage(" + hs + ",260,13,0x1C0001)\nSendMessage(" + hs + ",261,13,0xC01C0001)");
    EXPECT_EQ(msgs(47), "SendMessage(" + hs + ",260,47,0x1)\nSendMessage(" + hs + ",261,47,0xC0000001)");
    EXPECT_EQ(msgs(91), "SendMessage(" + hs + ",260,91,0x1)\nSendMessage(" + hs + ",261,91,0xC0000001)");
    EXPECT_EQ(msgs(16), "SendMessage(" + hs + ",260,16,0x2A0001)\nSendMessage(" + hs + ",261,16,0xC02A0001)");
    EXPECT_EQ(msgs(37), "SendMessage(" + hs + ",260,37,0x14B0001)\nSendMessage(" + hs + ",261,37,0xC14B0001)");
    // A hung or vanished target is given up without a failure.
    p.window(h)->hung = true;
    EXPECT_EQ(msgs(13), "SendMessage(" + hs + ",260,13,0x1C0001)\nSendMessage(" + hs + ",261,13,0xC01C0001)");
    EXPECT_TRUE(sendKeyMessage(p.os, 13, false, 0xDEAD));
}

TEST(DeliveryModule, PlaySoundOnlyForAnOrdinaryFile) {
    headless::Platform p;
    p.putFile(u"C:\\work\\ding.wav", "RIFF");
    p.folders.insert(u"C:\\work\\sounds");
    EXPECT_FALSE(playSoundFile(p.os, u"C:\\work\\missing.wav"));
    EXPECT_FALSE(playSoundFile(p.os, u"C:\\work\\sounds"));
    EXPECT_FALSE(playSoundFile(p.os, u""));
    EXPECT_TRUE(p.trace.empty());
    EXPECT_TRUE(playSoundFile(p.os, u"C:\\work\\ding.wav"));
    EXPECT_EQ(p.traceText(), "PlaySound(C:\\work\\ding.wav,1)");
}

TEST_F(AppTest, SendKeysSendsTextAndReportsFailures) {
    start();
    auto main = app->form->nativeHandle();
    auto other = p.addWindow(u"Other", u"Cls", 7);
    auto send = [&](const Str& text) {
        return app->player.executor().execute(PlanRow{u"ｷｰ入力", text, Str(), Str()}, app->player.state());
    };
    p.clearTrace();
    EXPECT_EQ(send(u"Hi{ENTER}"), StepOutcome::Next);
    EXPECT_EQ(p.traceText(), "SendInput(16,42,0;72,35,0;72,35,2;16,42,2;73,23,0;73,23,2;13,28,0;13,28,2)");

    // Malformed text: the main window comes to the front, then the message.
    p.foreground = other;
    p.clearTrace();
    EXPECT_EQ(send(u"{ENTER"), StepOutcome::Stop);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"エラー(SendKeys)\r\n5\r\nプロシージャの呼び出し、または引数が不正です。");
    EXPECT_EQ(p.shown[0].style, tk::mb::OK);
    EXPECT_EQ(p.shown[0].title, u"TOVIRAK");
    EXPECT_EQ(p.foreground, main);
    std::string t = p.traceText();
    EXPECT_LT(t.find("SetForegroundWindow(" + std::to_string(main) + ")"), t.find("MessageBox("));

    // Refused input: the other message, with the information icon.
    p.blockInput = true;
    EXPECT_EQ(send(u"abc"), StepOutcome::Stop);
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
        app->document.steps.resize(2);
        app->document.steps.at(1) = MacroStep{Str(action), Str(text), Str()};
        app->controls.intervalBox->setText(u"1");
        app->startOrStop();
        if (app->player.state().row != 1) return "not started";
        p.clearTrace();
        p.advance(1000);
        std::string t = inputTrace(p);
        app->player.stop(false);
        return t;
    }
};

// A key list must begin with "VK_" itself: its marks follow the name here
// («^VK_C» would be keystroke text: Ctrl+V, then "K_C").
TEST_F(KeyStepTest, KeybdEventRoute) {
    EXPECT_EQ(runOneStep(actions::KeyInput, u"VK_C^"),
              "keybd_event(17,29,0,0)\nkeybd_event(67,46,0,0)\nkeybd_event(67,46,2,0)\nkeybd_event(17,29,2,0)");
}

TEST_F(KeyStepTest, PasswordRouteIsTheSame) {
    EXPECT_EQ(runOneStep(actions::Password, u"VK_A%+(20),VK_B"),
              "keybd_event(16,42,0,0)\nkeybd_event(18,56,0,0)\nkeybd_event(65,30,0,0)\nSleep(20)\n"
              "keybd_event(65,30,2,0)\nkeybd_event(18,56,2,0)\nkeybd_event(16,42,2,0)\n"
              "keybd_event(66,48,0,0)\nkeybd_event(66,48,2,0)");
}

TEST_F(KeyStepTest, SendInputRoute) {
    EXPECT_EQ(runOneStep(actions::KeyInputKai, u"VK_A+(300)"),
              "SendInput(16,42,0)\nSendInput(65,30,0)\nSleep(50)\nSleep(50)\nSleep(50)\nSleep(50)\nSleep(50)\nSleep(50)\n"
              "SendInput(65,30,2)\nSendInput(16,42,2)");
}

TEST_F(KeyStepTest, KeystrokeTextRoute) {
    EXPECT_EQ(runOneStep(actions::KeyInput, u"vk_a"), "SendInput(86,47,0;86,47,2;75,37,0;75,37,2;16,42,0;189,12,0;189,12,2;16,42,2;65,30,0;65,30,2)");
}

TEST_F(KeyStepTest, MessageRouteToTheTargetWindow) {
    auto h = p.addWindow(u"Target - App", u"AppClass");
    std::string hs = std::to_string(h);
    start();
    app->document.settings.targetWindowSearch = u"Target";
    app->document.steps.resize(3);
    app->document.steps.at(1) = MacroStep{Str(actions::KeyInputShin), u"VK_A,VK_RETURN", Str()};
    app->document.steps.at(2) = MacroStep{Str(actions::KeyInputShin), u"VK_A+", Str()};
    app->controls.intervalBox->setText(u"1");
    app->startOrStop();
    ASSERT_EQ(app->player.state().row, 1);
    p.clearTrace();
    p.advance(1000);
    EXPECT_EQ(inputTrace(p), "SendMessage(" + hs + ",646,65,0x1E0001)\nSendMessage(" + hs +
                                 ",260,13,0x1C0001)\nSendMessage(" + hs + ",261,13,0xC01C0001)");
    p.clearTrace();
    p.advance(1000);
    EXPECT_EQ(inputTrace(p), "SendMessage(" + hs + ",260,16,0x2A0001)\nSendMessage(" + hs +
                                 ",646,65,0x1E0001)\nSendMessage(" + hs + ",261,16,0xC02A0001)");
    app->player.stop(false);
}

TEST_F(KeyStepTest, RefusedKeystrokeTextStopsTheRun) {
    p.blockInput = true;
    runOneStep(actions::KeyInput, u"Hello{ENTER}");
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].style, tk::mb::OK | tk::mb::Information);
    EXPECT_EQ(app->player.state().row, 0);
    EXPECT_EQ(status(), u"待機中");
}

// ---------------------------------------------------------------------------
// Scan codes and the extended flag, the same by every route.

TEST(PhysicalKeys, ExtendedExactlyForTheKeyboardsExtendedBlock) {
    const std::set<int> extended = {0x03, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28,
                                    0x2C, 0x2D, 0x2E, 0x6F, 0x90, 0xA3, 0xA5};
    for (int vk = 0; vk < 256; ++vk) EXPECT_EQ(keys::isExtendedKey(uint16_t(vk)), extended.count(vk) == 1) << vk;
    headless::Platform p;
    // Generic modifiers are the left keys; the right ones are extended.
    EXPECT_EQ(keys::physicalKey(0x10, p.os), (keys::PhysicalKey{0x2A, false}));
    EXPECT_EQ(keys::physicalKey(0x11, p.os), (keys::PhysicalKey{0x1D, false}));
    EXPECT_EQ(keys::physicalKey(0x12, p.os), (keys::PhysicalKey{0x38, false}));
    EXPECT_EQ(keys::physicalKey(0xA3, p.os), (keys::PhysicalKey{0x1D, true}));
    EXPECT_EQ(keys::physicalKey(0xA5, p.os), (keys::PhysicalKey{0x38, true}));
    // PrintScreen is E0 37 whatever the layout answers; keypad 1 and End
    // share a scan code and differ by the flag.
    EXPECT_EQ(keys::physicalKey(0x2C, p.os), (keys::PhysicalKey{0x37, true}));
    EXPECT_EQ(keys::physicalKey(0x61, p.os), (keys::PhysicalKey{0x4F, false}));
    EXPECT_EQ(keys::physicalKey(0x23, p.os), (keys::PhysicalKey{0x4F, true}));
    EXPECT_EQ(keys::physicalKey(0x123, p.os), (keys::PhysicalKey{0x4F, true}));  // the low byte
    // A layout without an answer for the keypad (Wine's) still gives the
    // keypad's place; other keys it has no answer for stay 0.
    auto none = [](uint32_t) { return 0u; };
    EXPECT_EQ(keys::physicalKey(0x61, none), (keys::PhysicalKey{0x4F, false}));
    EXPECT_EQ(keys::physicalKey(0x6F, none), (keys::PhysicalKey{0x35, true}));
    EXPECT_EQ(keys::physicalKey(0x41, none), (keys::PhysicalKey{0, false}));
    // The layout's answer comes first.
    EXPECT_EQ(keys::physicalKey(0x61, [](uint32_t) { return 0x99u; }), (keys::PhysicalKey{0x99, false}));
}

TEST_F(KeyStepTest, EveryRouteSendsTheKeysAsAKeyboardDoes) {
    const Str list = u"VK_END+,VK_C^,VK_F4%,VK_RETURN,VK_LEFT,VK_NUMPAD1,VK_RCONTROL";
    EXPECT_EQ(runOneStep(actions::KeyInput, list),
              "keybd_event(16,42,0,0)\nkeybd_event(35,79,1,0)\nkeybd_event(35,79,3,0)\nkeybd_event(16,42,2,0)\n"
              "keybd_event(17,29,0,0)\nkeybd_event(67,46,0,0)\nkeybd_event(67,46,2,0)\nkeybd_event(17,29,2,0)\n"
              "keybd_event(18,56,0,0)\nkeybd_event(115,62,0,0)\nkeybd_event(115,62,2,0)\nkeybd_event(18,56,2,0)\n"
              "keybd_event(13,28,0,0)\nkeybd_event(13,28,2,0)\nkeybd_event(37,75,1,0)\nkeybd_event(37,75,3,0)\n"
              "keybd_event(97,79,0,0)\nkeybd_event(97,79,2,0)\nkeybd_event(163,29,1,0)\nkeybd_event(163,29,3,0)");
    EXPECT_EQ(runOneStep(actions::KeyInputKai, list),
              "SendInput(16,42,0)\nSendInput(35,79,1)\nSendInput(35,79,3)\nSendInput(16,42,2)\n"
              "SendInput(17,29,0)\nSendInput(67,46,0)\nSendInput(67,46,2)\nSendInput(17,29,2)\n"
              "SendInput(18,56,0)\nSendInput(115,62,0)\nSendInput(115,62,2)\nSendInput(18,56,2)\n"
              "SendInput(13,28,0)\nSendInput(13,28,2)\nSendInput(37,75,1)\nSendInput(37,75,3)\n"
              "SendInput(97,79,0)\nSendInput(97,79,2)\nSendInput(163,29,1)\nSendInput(163,29,3)");
    // The keystroke sender: Shift+End, Ctrl+C, Enter, Left.
    EXPECT_EQ(runOneStep(actions::KeyInput, u"+{END}^c{ENTER}{LEFT}"),
              "SendInput(16,42,0;35,79,1;35,79,3;16,42,2;17,29,0;67,46,0;67,46,2;17,29,2;13,28,0;13,28,2;37,75,1;37,75,3)");
}
