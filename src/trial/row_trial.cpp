// Trying one row: run it once, or show where it acts.
#include "trial/row_trial.h"

#include "core/frm_TOVIRAK.h"
#include "playback/step_preview.h"
#include "playback/run_plan.h"

namespace {

// Rows whose step types keys or presses a mouse button: these must reach
// another program's window. A cursor move, a wait or a window check acts
// wherever the program stands.
bool clicks(StrView action) {
    if (action == dousa::MouseMove || action == dousa::Wait || dousa::isKeyInput(action) ||
        dousa::isWindowAction(action) || action == dousa::Exe || action == dousa::PlaySound || action == dousa::End)
        return false;
    StrView name = action;
    for (StrView prefix : {StrView(u"ｼﾌﾄ"), StrView(u"Ctrl"), StrView(u"Alt")})
        if (name.substr(0, prefix.size()) == prefix) name.remove_prefix(prefix.size());
    const StrView button = name.substr(0, 1);
    return button == u"左" || button == u"中" || button == u"右";
}

bool injects(StrView action) { return dousa::isKeyInput(action) || clicks(action); }

Str rowText(int32_t step) { return toStr((long long)step) + u"行目"; }

}  // namespace

void RowTrial::windowActivated(uint64_t previous) {
    // The program's own windows (a dialog, a message box) do not count: the
    // front goes back to the program the user came from.
    if (previous == 0) return;
    const uint32_t pid = m_.os.windowProcessId(previous);
    if (pid == 0 || pid == m_.os.windowProcessId(m_.form->nativeHandle())) return;
    previous_ = previous;
}

bool RowTrial::handOver(os::WindowHandle h) {
    os::Services& os = m_.os;
    if (os.getForegroundWindow() != h) bringToFront(m_.statusLine, m_.os, m_.form->nativeHandle(), h);
    // Activation reaches the other program through its own message queue.
    const int64_t start = os.monotonicMs();
    while (os.getForegroundWindow() != h && os.monotonicMs() - start < kFrontWaitMs) {
        os.sleep(10);
        m_.tk.doEvents();
    }
    const os::WindowHandle front = os.getForegroundWindow();
    return front != 0 && os.windowProcessId(front) != os.windowProcessId(m_.form->nativeHandle());
}

os::WindowHandle RowTrial::windowBehind() {
    os::Services& os = m_.os;
    const os::WindowHandle self = m_.form->nativeHandle();
    const uint32_t own = os.windowProcessId(self);
    bool below = false;
    int walked = 0;
    for (os::WindowHandle h = os.getWindow(self, os::k::GW_HWNDFIRST); h && ++walked < 20000;
         h = os.getWindow(h, os::k::GW_HWNDNEXT)) {
        if (h == self) {
            below = true;
            continue;
        }
        if (!below || os.windowProcessId(h) == own) continue;
        const os::WindowStyle st = os.windowStyle(h);
        const os::Rect r = os.windowRect(h);
        if (st.visible && !st.minimized && !st.toolWindow && !st.shell && r.width() > 0 && r.height() > 0 &&
            !trim(os.getWindowText(h)).empty())
            return h;
    }
    return 0;
}

bool RowTrial::agreedTo(os::WindowHandle h) {
    if (h == agreed_) return true;
    // Often the folder or console the program was started from.
    const Str question = u"「" + trim(m_.os.getWindowText(h)) + u"」に送りますか？";
    if (m_.msgBox(question, tk::mb::YesNo | tk::mb::Question | tk::mb::DefaultButton2) != tk::mb::IdYes) return false;
    agreed_ = h;
    previous_ = h;
    return true;
}

void RowTrial::lock(bool on) {
    // What a run locks; while a row is tried the start button is locked too.
    m_.player.setRunLock(on);
    if (on)
        m_.hotKeys.pause();
    else
        m_.hotKeys.resume();
}

void RowTrial::runRow() {
    if (running_ || m_.player.running() || m_.recorder.recording()) return;
    guarded(m_.statusLine, u"mnu_RunRow_Click", [&] {
        tk::Control* focused = m_.form->activeControl();
        const int32_t step = m_.grid.focusedStep();
        if (step == 0) return;
        const Str action = trim(m_.document.steps.at(step).Dousa);
        if (action.empty()) {
            m_.statusLine.show(StatusMode::Warning, u"処理が設定されていません");
            return;
        }
        // The check of a run, with its messages and its error exit.
        Str X, Y;
        bool valid = false;
        guarded(m_.statusLine, u"MF_InputChk", [&] { valid = m_.checkStep(step, X, Y); });
        if (!valid) return;
        if (action == dousa::End) {
            m_.statusLine.show(StatusMode::Status, rowText(step) + u"の終了は実行しません");
            return;
        }

        // Where keys and clicks go: the target window, as a run would, or
        // the window the user came from.
        os::Services& os = m_.os;
        os::WindowHandle front = 0;
        if (!m_.document.settings.targetWindowSearch.empty()) {
            Str full;
            front = findTargetWindow(m_.statusLine, os, m_.form->nativeHandle(), m_.document.settings.targetWindowSearch, &full);
            if (front == 0) {
                m_.msgBox(u"対象ウィンドウが存在しません。", tk::mb::OK);
                m_.cmd_Setting_Click();
                return;
            }
            m_.player.state().targetWindow = front;
        } else if (previous_ != 0 && os.windowProcessId(previous_) != 0) {
            front = previous_;
        }
        const bool input = injects(action);
        if (input && front == 0 && (front = windowBehind()) != 0 && !agreedTo(front)) {
            m_.statusLine.show(StatusMode::Status, u"待機中");
            return;
        }
        if (input && front == 0) {
            m_.statusLine.show(StatusMode::Warning, u"入力先のウィンドウが見つかりません");
            return;
        }

        running_ = true;
        os.hideMarkers();
        lock(true);
        // As at a run's start: windows may have changed since.
        m_.player.executor().forgetWindows();
        m_.player.measureScreen();
        // A wait ends on the stop flag; a key list that stops sets it.
        RunState& state = m_.player.state();
        const bool stopFlag = state.stopRequested;
        state.stopRequested = false;

        enum class Outcome { Done, Stayed, Stopped, Refused, Failed } outcome = Outcome::Done;
        try {
            if (input && !handOver(front)) {
                m_.statusLine.show(StatusMode::Warning, u"入力先のウィンドウを前面にできませんでした");
                outcome = Outcome::Refused;
            }
            if (outcome != Outcome::Refused && clicks(action)) {
                // A click on the program's own window would land in the editor.
                os::Point at = os.getCursorPos();
                bool known = true;
                if (!(X == u"-1" && Y == u"-1")) {
                    try {
                        at = {clng(X), clng(Y)};
                    } catch (const std::exception&) {
                        known = false;  // the step reports the coordinate
                    }
                }
                if (known && os.windowProcessId(os.windowFromPoint(at)) == os.windowProcessId(m_.form->nativeHandle())) {
                    m_.msgBox(u"TOVIRAKのウィンドウ上はクリックできません。", tk::mb::OK);
                    outcome = Outcome::Refused;
                }
            }
            if (outcome != Outcome::Refused) {
                const StepOutcome result = m_.player.executor().execute(PlanRow{action, X, Y}, state);
                // An unsupported key stops, as if a run were going.
                if (result == StepOutcome::UnsupportedKey) m_.player.stop(false);
                outcome = result == StepOutcome::Stop || result == StepOutcome::UnsupportedKey ? Outcome::Stopped
                          : result == StepOutcome::Stay                                          ? Outcome::Stayed
                                                                                                 : Outcome::Done;
                if (input) os.sleep(kSettleMs);
            }
        } catch (const std::exception&) {
            // As a run shows a failing step.
            m_.statusLine.show(StatusMode::Error, u"[tim_Timer_Timer]" + describeCurrentException() + u" ステップ：" + action);
            outcome = Outcome::Failed;
        }

        // Afterwards, as a stop: a button a drag holds is released, the
        // program comes back to the front, the key presses of the row count
        // for nothing.
        try {
            m_.player.releaseButtons();
            const os::WindowHandle self = m_.form->nativeHandle();
            if (os.getForegroundWindow() != self) {
                bringToFront(m_.statusLine, m_.os, m_.form->nativeHandle(), self);
                const int64_t start = os.monotonicMs();
                while (os.getForegroundWindow() != self && os.monotonicMs() - start < kFrontWaitMs) {
                    os.sleep(10);
                    m_.tk.doEvents();
                }
            }
        } catch (const std::exception&) {
            m_.statusLine.reportError(u"mnu_RunRow_Click");
        }
        state.stopRequested = stopFlag;
        running_ = false;
        lock(false);
        m_.hotKeys.forgetPresses();
        if (focused && focused->canFocus()) {
            try {
                focused->setFocus();
            } catch (const std::exception&) {
            }
        }
        m_.refreshCommands();
        switch (outcome) {
            case Outcome::Done:
                m_.statusLine.show(StatusMode::Status, rowText(step) + u"を実行しました");
                break;
            case Outcome::Stayed:
                m_.statusLine.show(StatusMode::Status, rowText(step) + u"を実行しました(実行中はこの行で待ちます)");
                break;
            case Outcome::Stopped:
                m_.statusLine.show(StatusMode::Status, u"待機中");
                break;
            case Outcome::Refused:
            case Outcome::Failed:
                break;  // already told
        }
    });
    // Whatever failed, nothing stays locked.
    if (running_) {
        running_ = false;
        guarded(m_.statusLine, u"mnu_RunRow_Click", [&] { lock(false); });
    }
}

void RowTrial::showRow() {
    if (running_ || m_.player.running() || m_.recorder.recording()) return;
    guarded(m_.statusLine, u"mnu_ShowRow_Click", [&] {
        const int32_t step = m_.grid.focusedStep();
        if (step == 0) return;
        const Str action = trim(m_.document.steps.at(step).Dousa);
        if (action.empty()) {
            m_.statusLine.show(StatusMode::Warning, u"処理が設定されていません");
            return;
        }
        RowCheckContext ctx;
        ctx.minutes = m_.document.inMinutes();
        ctx.targetWindowSet = !m_.document.settings.targetWindowSearch.empty();
        Str X, Y;
        const Str message = checkRow(action, m_.document.steps.at(step).ZahyoCmd, ctx, X, Y);
        if (!message.empty()) {
            m_.statusLine.show(StatusMode::Warning, message);
            return;
        }
        os::Services& os = m_.os;
        preview::Context pc;
        pc.layout = [&os](char16_t c) { return os.vkKeyScan(c); };
        pc.powerOff = m_.document.settings.powerOff;
        const preview::StepPreview p = preview::previewStep(action, X, Y, pc);
        using Kind = preview::StepPreview::Kind;
        if (p.kind == Kind::Point) {
            os.showPointMarker(p.point, kMarkerMs);
            m_.statusLine.show(StatusMode::Status, p.text);
        } else if (p.kind == Kind::Window) {
            Str full;
            const os::WindowHandle h = findTargetWindow(m_.statusLine, os, m_.form->nativeHandle(), p.search, &full);
            if (h == 0) {
                m_.statusLine.show(StatusMode::Warning, u"対象ウィンドウが見つかりません");
                return;
            }
            os.showFrameMarker(os.windowRect(h), kMarkerMs);
            m_.statusLine.show(StatusMode::Status, full);
        } else {
            m_.statusLine.show(p.failure ? StatusMode::Warning : StatusMode::Status, p.text);
        }
    });
}
