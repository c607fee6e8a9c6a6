// The step executor: one step per tick.
#include <limits>

#include "core/frm_TOVIRAK.h"
#include "input/delivery.h"
#include "input/keys.h"
#include "input/mouse.h"
#include "input/sendkeys.h"
#include "playback/progress.h"

namespace {

constexpr uint8_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12;

// Steps that hold the tick for a while: a wait, and key lists with hold
// times. The display shows where the run stands before them.
bool stepWaits(const Str& action, const Str& X) {
    if (action == dousa::Wait) return true;
    return dousa::isKeyInput(action) && keys::isKeyList(X) && X.find(u'(') != Str::npos;
}

// Entry r of a run array; a row outside the run is an index error.
const Str& runEntry(const std::vector<Str>& v, int32_t r) {
    if (r < 0 || size_t(r) >= v.size()) err::raise(err::Subscript);
    return v[size_t(r)];
}

}  // namespace

void frm_TOVIRAK::tim_Timer_Timer() {
    // A tick that fires while another one waits in its message processing
    // (a "待機" step) is skipped: ticks never nest.
    if (Mbln_InTick) return;
    Mbln_InTick = true;
    struct TickEnd {
        bool& flag;
        ~TickEnd() { flag = false; }
    } tickEnd{Mbln_InTick};
    // The run this tick belongs to; a stop and a new start inside a wait
    // make a new one, which this tick must leave alone.
    const uint32_t generation = Mlng_RunGeneration;
    Str label;
    try {
        // A stop inside the tick ends it without executing or advancing.
        auto stop = [&] { MS_Stop(false); };
        // A time limit without a stop time reads like a date from empty text.
        auto stopTime = [&]() -> const DateTime& {
            if (!Mdat_StopTime) err::raise(err::TypeMismatch);
            return *Mdat_StopTime;
        };

        label = u"ウインドウチェック";
        if (!Mstr_WindowTitleFull.empty()) {
            // The window found at the last tick is asked first; all windows
            // are walked only when it no longer passes. The whole title found
            // at the start is looked for: read as a search text, a comma in
            // it would name a class and stop the run at once.
            Mlng_WindowHandle = targetWindow.find(Mstr_WindowTitleFull, form->nativeHandle());
            if (Mlng_WindowHandle == 0) return stop();
        }

        // The latch holds taps that the key state may have lost to other
        // programs' queries since the last tick.
        label = u"Pauseキーが押されたら停止する";
        if (hotKeys.pausePressed()) return stop();

        label = u"設定されたStopキーが押されたら停止する";
        if (hotKeys.stopKeyPressed()) return stop();

        label = u"停止予定時間を過ぎたら停止する";
        if (document.settings.stopTimerEnabled && !(document.settings.timerHours == 0 && document.settings.timerMinutes == 0)) {
            if (document.settings.timerHours == -1) {
                if (Mint_RestCount == 0) {
                    MS_Stop(false);
                    // The program stays open after a counted run.
                    if (document.settings.powerOff) {
                        macroFile.write(u"TOVIRAK.TVK", MacroFile::Overwrite::Silently);
                        MS_PCPowerOff();
                    }
                    return;
                }
            } else if (os.now().serial() >= stopTime().serial()) {
                MS_Stop(false);
                if (document.settings.powerOff) {
                    macroFile.write(u"TOVIRAK.TVK", MacroFile::Overwrite::Silently);
                    MS_PCPowerOff();
                    os.endProcess();
                }
                return;
            }
        }

        label = u"間隔が大きい時、タイマー処理を見送る";
        if (Mbln_LongInterval) {
            if (Mlng_SecCount == std::numeric_limits<int32_t>::max()) err::raise(err::Overflow);
            ++Mlng_SecCount;
            double v = val(document.interval);
            if (document.inMinutes()) v *= 60;
            if (v > double(Mlng_SecCount)) return;
            Mlng_SecCount = 0;
        }

        label = u"ステータスの表示";
        ProgressInput pin;
        pin.runRow = Mlng_RunRow;
        pin.stopTimerEnabled = document.settings.stopTimerEnabled;
        pin.timerHH = document.settings.timerHours;
        pin.timerMM = document.settings.timerMinutes;
        pin.restCount = Mint_RestCount;
        pin.now = os.now();
        pin.stopTime = Mdat_StopTime;
        pin.powerOff = document.settings.powerOff;
        const Str progress = progressText(pin);
        // Steps faster than a display frame are shown once a frame; a tick
        // not shown keeps its state for a stop or a wait.
        const bool show = runDisplay.showNow(os.monotonicMs());
        if (!show) runDisplay.keep({progress, Mlng_RunRow});

        label = u"現在実行中の行を選択";
        if (show && Mlng_RunRow <= scr_Detail->max() - 1) scr_Detail->setValue(Mlng_RunRow);

        label = u"現在実行中の行番号をステータスに表示";
        if (show) statusLine.show(StatusMode::Status, progress);

        label = u"画面を再表示";
        if (show) form->repaint();

        label = u"リストシート情報取得";
        const Str action = document.steps.at(Mlng_RunRow).Dousa;
        const Str X = runEntry(Mstr_X_jiku, Mlng_RunRow);
        const Str Y = runEntry(Mstr_Y_jiku, Mlng_RunRow);
        if (stepWaits(action, X)) showKeptProgress();

        label = action;
        const StepResult result = executeStep(action, X, Y);
        // A stop during the step (a wait's message processing, an unknown
        // key) has ended the run; a new start since then is not ours.
        if (Mlng_RunRow == 0 || generation != Mlng_RunGeneration) return;
        if (result == StepResult::Stop) return stop();

        if (result == StepResult::Next) {
            ++Mlng_RunRow;
            if (Mlng_RunRow > Mlng_RunRowCount) {
                Mlng_RunRow = 1;
                if (Mint_RestCount > 0) --Mint_RestCount;
            }
        }
    } catch (const std::exception&) {
        // The row that failed is shown under its error text.
        const Str text = u"[tim_Timer_Timer]" + describeCurrentException() + u" ステップ：" + label;
        showKeptProgress();
        statusLine.show(StatusMode::Error, text);
        if (generation == Mlng_RunGeneration) MS_Stop(true);
    }
}

void frm_TOVIRAK::showKeptProgress() {
    guarded(statusLine, u"tim_Timer_Timer", [&] {
        auto kept = runDisplay.take();
        if (!kept) return;
        if (kept->row <= scr_Detail->max() - 1) scr_Detail->setValue(kept->row);
        statusLine.show(StatusMode::Status, kept->progress);
        form->repaint();
    });
}

frm_TOVIRAK::StepResult frm_TOVIRAK::executeStep(const Str& action, const Str& X, const Str& Y) {
    if (dousa::isKeyInput(action)) {
        if (keys::isKeyList(X)) {
            KeyArrays k;
            // A row tried on its own runs outside a run (row 0), with the
            // stop flag cleared for it.
            const bool tried = Mlng_RunRow == 0;
            MS_HotKey_StrToArry(X, k);
            // An unsupported key has stopped the run (or the tried row):
            // nothing more is sent.
            if (tried ? Mbln_StopFlg : Mlng_RunRow == 0) return StepResult::Stop;
            // Messages go to the target window, the other routes to the
            // window that has the keyboard.
            inputGate.require(action == dousa::KeyInputShin ? Mlng_WindowHandle : os.getForegroundWindow());
            for (int32_t i = 1; i <= k.last(); ++i) {
                const auto idx = size_t(i);
                const int16_t code = int16_t(uint8_t(k.code[idx]));
                const bool sh = k.shift[idx], ct = k.ctrl[idx], al = k.alt[idx];
                auto send = [&](int16_t key, bool down) {
                    if (action == dousa::KeyInputKai)
                        MF_SendInputKey(os, key, down ? u"DOWN" : u"UP");
                    else if (action == dousa::KeyInputShin)
                        MF_SendMessageKey(os, key, down ? u"DOWN" : u"UP", Mlng_WindowHandle);
                    else
                        sendKeybdEvent(os, uint8_t(key), !down);
                };
                if (sh) send(VK_SHIFT, true);
                if (ct) send(VK_CONTROL, true);
                if (al) send(VK_MENU, true);
                send(code, true);
                // A negative hold would be an endless sleep: no hold.
                if (k.wait[idx] > 0) os.sleep(uint32_t(k.wait[idx]));
                send(code, false);
                if (al) send(VK_MENU, false);
                if (ct) send(VK_CONTROL, false);
                if (sh) send(VK_SHIFT, false);
            }
        } else {
            inputGate.require(os.getForegroundWindow());
            bool ret = false;
            MS_SendKeys(X, false, ret);
            // The sender has told the user why.
            if (!ret) return StepResult::Stop;
        }
    } else if (action == dousa::Wait) {
        const uint32_t generation = Mlng_RunGeneration;
        tim_Timer->setEnabled(false);
        if (!MF_Sleep(clng(X))) return StepResult::Stop;
        // The next step comes one full interval after the wait, unless the
        // run was stopped (or a new one started) meanwhile.
        if (Mlng_RunRow != 0 && generation == Mlng_RunGeneration) tim_Timer->setEnabled(true);
    } else if (action == dousa::WindowActive) {
        Str ignored;
        MF_WindowActive(X, true, ignored);
    } else if (action == dousa::WindowExists) {
        Str ignored;
        if (MF_WindowActive(X, false, ignored) == 0) return StepResult::Stay;
    } else if (action == dousa::WindowAbsent) {
        Str ignored;
        if (MF_WindowActive(X, false, ignored) != 0) return StepResult::Stay;
    } else if (action == dousa::Exe) {
        os.startProgram(X, os::k::SW_SHOWNORMAL);
    } else if (action == dousa::PlaySound) {
        MF_PlaySound(os, X);
    } else if (action == dousa::End) {
        // The process ends without MS_Stop: release a button an earlier
        // drag step still holds, as a stop would.
        if (Mlng_MouseUpFlg != 0) {
            os.mouseEvent(Mlng_MouseUpFlg, 0, 0, 0, 0);
            Mlng_MouseUpFlg = 0;
        }
        macroFile.write(u"TOVIRAK.TVK", MacroFile::Overwrite::Silently);
        if (document.settings.powerOff) MS_PCPowerOff();
        os.endProcess();
    } else {
        // Mouse action: optional modifier prefix, then the button.
        Str name = action;
        uint8_t modifier = 0;
        if (startsWith(name, u"ｼﾌﾄ")) {
            modifier = VK_SHIFT;
            name = mid(name, 4);
        }
        if (startsWith(name, u"Ctrl")) {
            modifier = VK_CONTROL;
            name = mid(name, 5);
        }
        if (startsWith(name, u"Alt")) {
            modifier = VK_MENU;
            name = mid(name, 4);
        }
        // The click goes to the window under the point; refused input
        // fails the step before anything is sent. A cursor move alone
        // is not refused.
        if (action != dousa::MouseMove) {
            const Str button = left(name, 1);
            if (button == u"左" || button == u"中" || button == u"右") {
                os::Point at = os.getCursorPos();
                if (!(X == u"-1" && Y == u"-1")) {
                    try {
                        at = {clng(X), clng(Y)};
                    } catch (const std::exception&) {
                        // The move below reports the coordinate.
                    }
                }
                inputGate.require(os.windowFromPoint(at));
            }
        }
        if (modifier) sendKeybdEvent(os, modifier, false);
        try {
            uint32_t press = 0, release = 0;
            const Str button = left(name, 1);
            if (button == u"左") {
                press = os::k::MOUSEEVENTF_LEFTDOWN;
                release = os::k::MOUSEEVENTF_LEFTUP;
            } else if (button == u"中") {
                press = os::k::MOUSEEVENTF_MIDDLEDOWN;
                release = os::k::MOUSEEVENTF_MIDDLEUP;
            } else if (button == u"右") {
                press = os::k::MOUSEEVENTF_RIGHTDOWN;
                release = os::k::MOUSEEVENTF_RIGHTUP;
            }
            const int clicks = mid(name, 2, 1) == u"W" ? 2 : 1;
            if (!(X == u"-1" && Y == u"-1")) {
                const int32_t x = clng(X), y = clng(Y);
                os.setCursorPos(x, y);
                // Measured at every step: monitors come and go, and a
                // game may change the resolution during a run.
                const mouse::Normalised to = mouse::normalise({x, y}, os.virtualScreen());
                os.mouseEvent(mouse::kAbsoluteMove, to.dx, to.dy, 0, 0);
            }
            if (action != dousa::MouseMove) {
                const bool drag = right(name, 6) == u"ﾄﾞﾗｯｸﾞ";
                for (int c = 0; c < clicks; ++c) {
                    os.mouseEvent(press, 0, 0, 0, 0);
                    // Every button a drag holds is remembered, so a stop
                    // releases all of them; a click releases its own.
                    if (drag) {
                        Mlng_MouseUpFlg |= release;
                    } else {
                        os.mouseEvent(release, 0, 0, 0, 0);
                        Mlng_MouseUpFlg &= ~release;
                    }
                }
            }
        } catch (const std::exception&) {
            // Never leave the modifier down behind a failing step.
            if (modifier) sendKeybdEvent(os, modifier, true);
            throw;
        }
        if (modifier) sendKeybdEvent(os, modifier, true);
    }
    return StepResult::Next;
}

bool frm_TOVIRAK::MF_Sleep(int32_t lng_SleepTime) {
    // Whole-second slices, so Pause, a stop key or the stop button end the
    // wait within a second. 64 bits: a wait near the 32-bit limit must not
    // overflow the count.
    // A stop, or a stop and a new start, ends the wait at its next slice.
    const uint32_t generation = Mlng_RunGeneration;
    int64_t elapsed = 0;
    while (elapsed < lng_SleepTime && !Mbln_StopFlg && generation == Mlng_RunGeneration) {
        elapsed += 1000;
        os.sleep(1000);
        tk.doEvents();
        if (hotKeys.pausePressed()) return false;
        if (hotKeys.stopKeyPressed()) return false;
    }
    return true;
}

void frm_TOVIRAK::MS_SendKeys(const Str& str_Keys, bool bln_Wait, bool& bln_Ret) {
    try {
        sendkeys::send(os, str_Keys, bln_Wait);
        bln_Ret = true;
        return;
    } catch (const std::exception&) {
        bln_Ret = false;
        int number = currentErrorNumber();
        Str description = describeCurrentException();
        try {
            // The message must be seen even when the target had the front.
            MF_ActiveForm(form->nativeHandle());
            if (number == err::PermissionDenied) {
                msgBox(u"SendKeysでエラーが発生しました。(" + description + u")\r\n" +
                           u"TOVIRAK.exeフォルダにあるMSVBVM60.DLLとVB6JP.DLLを削除して実行してみてください。",
                       tk::mb::OK | tk::mb::Information);
            } else {
                msgBox(sendKeysErrorMessage(number, description), tk::mb::OK);
            }
        } catch (const std::exception&) {
            statusLine.reportError(u"MS_SendKeys");
        }
    }
}
