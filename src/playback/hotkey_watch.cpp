// Start hot-key polling and clearing of stale key presses.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::resumeHotKeyWatch() {
    // With the hook every press of a watched key, typed or injected, wakes
    // the watch; the poll only catches what the hook no longer sees (a hook
    // the system has dropped), and a slow one keeps the idle program quiet.
    tim_Start->setInterval(keyLatch.active() ? HotKeySlowPollMs : HotKeyPollMs);
    tim_Start->setEnabled(true);
}

void frm_TOVIRAK::pauseHotKeyWatch() {
    tim_Start->setInterval(0);
    tim_Start->setEnabled(false);
}

void frm_TOVIRAK::hotKeyWake() {
    // Only while the watch is on: not during a run, nor while the settings
    // dialog is open.
    if (tim_Start->running()) tim_Start_Timer();
}

void frm_TOVIRAK::tim_Start_Timer() {
    guarded(statusLine, u"tim_Start_Timer", [&] {
        if (Mlng_RunRow != 0 || recorder.recording()) return;
        // Any one key of the list starts; modifier marks play no part.
        const auto& keys = bas.Gint_StartKey;
        for (size_t i = 1; i < keys.size(); ++i) {
            if (keyLatch.pressed(keys[i])) {
                cmd_Kaisi_Click();
                return;
            }
        }
    });
}

void frm_TOVIRAK::MS_HotKeyClear() {
    guarded(statusLine, u"MS_HotKeyClear", [&] {
        // Each query consumes the key's pressed-since-last-query bit.
        os.getAsyncKeyState(os::k::VK_PAUSE);
        for (size_t i = 1; i < bas.Gint_StartKey.size(); ++i) os.getAsyncKeyState(bas.Gint_StartKey[i]);
        for (size_t i = 1; i < bas.Gint_StopKey.size(); ++i) os.getAsyncKeyState(bas.Gint_StopKey[i]);
        // The latch watches exactly these keys, and forgets their presses too.
        watchHotKeys();
        keyLatch.clear();
    });
}

void frm_TOVIRAK::watchHotKeys() {
    std::vector<int> watched{os::k::VK_PAUSE};
    for (size_t i = 1; i < bas.Gint_StartKey.size(); ++i) watched.push_back(bas.Gint_StartKey[i]);
    for (size_t i = 1; i < bas.Gint_StopKey.size(); ++i) watched.push_back(bas.Gint_StopKey[i]);
    keyLatch.watch(watched);
}

void frm_TOVIRAK::MS_HotKey_StrToArry(const Str& str_In, KeyArrays& out) {
    Str bad;
    if (keys::readKeyList(statusLine, str_In, out, bad)) return;
    guarded(statusLine, u"MS_HotKey_StrToArry", [&] {
        msgBox(keys::unsupportedKeyMessage(bad), tk::mb::OK, Str(AppTitle));
        MS_Stop(false);
    });
}
