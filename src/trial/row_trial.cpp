// Trying one row: run it once, or show where it acts.
#include "trial/row_trial.h"

#include "input/anchor.h"
#include "playback/step_preview.h"
#include "playback/run_plan.h"

namespace {

// Rows whose step types keys or presses a mouse button: these must reach
// another program's window. A cursor move, a wait or a window check acts
// wherever the program stands.
bool clicks(StrView action) {
    if (action == actions::MouseMove || action == actions::Wait || actions::isKeyInput(action) ||
        actions::isWindowAction(action) || action == actions::Exe || action == actions::PlaySound ||
        action == actions::End)
        return false;
    StrView name = action;
    for (StrView prefix : {StrView(u"ｼﾌﾄ"), StrView(u"Ctrl"), StrView(u"Alt")})
        if (name.substr(0, prefix.size()) == prefix) name.remove_prefix(prefix.size());
    const StrView button = name.substr(0, 1);
    return button == u"左" || button == u"中" || button == u"右";
}

bool injects(StrView action) { return actions::isKeyInput(action) || clicks(action); }

Str rowText(int32_t step) { return toStr((long long)step) + u"行目"; }

// A row's point lies in a window that is not there.
Str windowMissing(StrView search) { return u"「" + Str(search) + u"」を含むウィンドウが見つかりません"; }

}  // namespace

void RowTrial::windowActivated(uint64_t previous) {
    // The program's own windows (a dialog, a message box) do not count: the
    // front goes back to the program the user came from.
    if (previous == 0) return;
    const uint32_t pid = os_.windowProcessId(previous);
    if (pid == 0 || pid == os_.windowProcessId(window_.nativeHandle())) return;
    previous_ = previous;
}

bool RowTrial::handOver(os::WindowHandle h) {
    os::Services& os = os_;
    if (os.getForegroundWindow() != h) bringToFront(status_, os_, window_.nativeHandle(), h);
    // Activation reaches the other program through its own message queue.
    const int64_t start = os.monotonicMs();
    while (os.getForegroundWindow() != h && os.monotonicMs() - start < kFrontWaitMs) {
        os.sleep(10);
        window_.backend().doEvents();
    }
    const os::WindowHandle front = os.getForegroundWindow();
    return front != 0 && os.windowProcessId(front) != os.windowProcessId(window_.nativeHandle());
}

os::WindowHandle RowTrial::windowBehind() {
    os::Services& os = os_;
    const os::WindowHandle self = window_.nativeHandle();
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
    const Str question = u"「" + trim(os_.getWindowText(h)) + u"」に送りますか？";
    const int style = tk::mb::YesNo | tk::mb::Question | tk::mb::DefaultButton2;
    if (window_.backend().messageBox(question, style, Str(AppTitle)) != tk::mb::IdYes) return false;
    agreed_ = h;
    previous_ = h;
    return true;
}

void RowTrial::lock(bool on) {
    // What a run locks; while a row is tried the start button is locked too.
    player_.setRunLock(on);
    if (on)
        hotKeys_.pause();
    else
        hotKeys_.resume();
}

void RowTrial::runRow() {
    if (running_ || player_.running() || host_.recording()) return;
    guarded(status_, u"mnu_RunRow_Click", [&] {
        tk::Control* focused = window_.activeControl();
        const int32_t step = grid_.focusedStep();
        if (step == 0) return;
        const Str action = trim(document_.steps.at(step).action);
        if (action.empty()) {
            status_.show(StatusMode::Warning, u"処理が設定されていません");
            return;
        }
        // The check of a run, with its messages and its error exit.
        PlanRow row{action, Str(), Str(), Str()};
        const Str& X = row.x;
        const Str& Y = row.y;
        bool valid = false;
        guarded(status_, u"MF_InputChk", [&] {
            const MacroStep& s = document_.steps.at(step);
            const Str message = checkRow(s.action, s.command, rowCheckContext(document_), row);
            valid = message.empty();
            if (!valid) grid_.showProblem(step, message);
        });
        if (!valid) return;
        if (action == actions::End) {
            status_.show(StatusMode::Status, rowText(step) + u"の終了は実行しません");
            return;
        }

        // Where keys and clicks go: the target window, as a run would, or
        // the window the user came from.
        os::Services& os = os_;
        os::WindowHandle front = 0;
        if (!document_.settings.targetWindowSearch.empty()) {
            Str full;
            front = findTargetWindow(status_, os, window_.nativeHandle(), document_.settings.targetWindowSearch, &full);
            if (front == 0) {
                window_.backend().messageBox(u"対象ウィンドウが存在しません。", tk::mb::OK, Str(AppTitle));
                host_.openSettings();
                return;
            }
            player_.state().targetWindow = front;
        } else if (previous_ != 0 && os.windowProcessId(previous_) != 0) {
            front = previous_;
        }
        // A point in a window goes to that window, which must be there.
        AnchorWindows& anchors = player_.executor().anchors();
        if (!row.window.empty() && clicks(action)) {
            const auto found = anchors.find(row.window, window_.nativeHandle());
            if (!found) {
                status_.show(StatusMode::Warning, windowMissing(row.window));
                return;
            }
            front = found->window;
        }
        const bool input = injects(action);
        if (input && front == 0 && (front = windowBehind()) != 0 && !agreedTo(front)) {
            status_.show(StatusMode::Status, u"待機中");
            return;
        }
        if (input && front == 0) {
            status_.show(StatusMode::Warning, u"入力先のウィンドウが見つかりません");
            return;
        }

        running_ = true;
        os.hideMarkers();
        lock(true);
        // As at a run's start: windows may have changed since.
        player_.executor().forgetWindows();
        player_.measureScreen();
        // A wait ends on the stop flag; a key list that stops sets it.
        RunState& state = player_.state();
        const bool stopFlag = state.stopRequested;
        state.stopRequested = false;

        enum class Outcome { Done, Stayed, Stopped, Refused, Failed } outcome = Outcome::Done;
        try {
            if (input && !handOver(front)) {
                status_.show(StatusMode::Warning, u"入力先のウィンドウを前面にできませんでした");
                outcome = Outcome::Refused;
            }
            if (outcome != Outcome::Refused && clicks(action)) {
                // A click on the program's own window would land in the
                // editor. A point in a window is where that window has it now.
                os::Point at = os.getCursorPos();
                bool known = true;
                try {
                    if (!row.window.empty()) {
                        if (const auto found = anchors.find(row.window, window_.nativeHandle()))
                            at = anchor::toScreen(cdbl(X), cdbl(Y), found->frame);
                    } else if (!(X == u"-1" && Y == u"-1")) {
                        at = {clng(X), clng(Y)};
                    }
                } catch (const std::exception&) {
                    known = false;  // the step reports the coordinate
                }
                if (known && os.windowProcessId(os.windowFromPoint(at)) == os.windowProcessId(window_.nativeHandle())) {
                    window_.backend().messageBox(u"TOVIRAKのウィンドウ上はクリックできません。", tk::mb::OK, Str(AppTitle));
                    outcome = Outcome::Refused;
                }
            }
            if (outcome != Outcome::Refused) {
                const StepResult result = player_.executor().execute(row, state);
                // An unsupported key stops, as if a run were going.
                if (result == StepOutcome::UnsupportedKey) player_.stop(false);
                outcome = result == StepOutcome::Stop || result == StepOutcome::UnsupportedKey ? Outcome::Stopped
                          : result == StepOutcome::Stay                                          ? Outcome::Stayed
                                                                                                 : Outcome::Done;
                if (input) os.sleep(kSettleMs);
            }
        } catch (const std::exception&) {
            // As a run shows a failing step.
            status_.show(StatusMode::Error, u"[tim_Timer_Timer]" + describeCurrentException() + u" ステップ：" + action);
            outcome = Outcome::Failed;
        }

        // Afterwards, as a stop: a button a drag holds is released, the
        // program comes back to the front, the key presses of the row count
        // for nothing.
        try {
            player_.releaseButtons();
            const os::WindowHandle self = window_.nativeHandle();
            if (os.getForegroundWindow() != self) {
                bringToFront(status_, os_, window_.nativeHandle(), self);
                const int64_t start = os.monotonicMs();
                while (os.getForegroundWindow() != self && os.monotonicMs() - start < kFrontWaitMs) {
                    os.sleep(10);
                    window_.backend().doEvents();
                }
            }
        } catch (const std::exception&) {
            status_.reportError(u"mnu_RunRow_Click");
        }
        state.stopRequested = stopFlag;
        running_ = false;
        lock(false);
        hotKeys_.forgetPresses();
        if (focused && focused->canFocus()) {
            try {
                focused->setFocus();
            } catch (const std::exception&) {
            }
        }
        host_.commandsChanged();
        switch (outcome) {
            case Outcome::Done:
                status_.show(StatusMode::Status, rowText(step) + u"を実行しました");
                break;
            case Outcome::Stayed:
                status_.show(StatusMode::Status, rowText(step) + u"を実行しました(実行中はこの行で待ちます)");
                break;
            case Outcome::Stopped:
                status_.show(StatusMode::Status, u"待機中");
                break;
            case Outcome::Refused:
            case Outcome::Failed:
                break;  // already told
        }
    });
    // Whatever failed, nothing stays locked.
    if (running_) {
        running_ = false;
        guarded(status_, u"mnu_RunRow_Click", [&] { lock(false); });
    }
}

void RowTrial::showRow() {
    if (running_ || player_.running() || host_.recording()) return;
    guarded(status_, u"mnu_ShowRow_Click", [&] {
        const int32_t step = grid_.focusedStep();
        if (step == 0) return;
        const Str action = trim(document_.steps.at(step).action);
        if (action.empty()) {
            status_.show(StatusMode::Warning, u"処理が設定されていません");
            return;
        }
        const RowCheckContext ctx = rowCheckContext(document_);
        PlanRow row{action, Str(), Str(), Str()};
        const Str message = checkRow(action, document_.steps.at(step).command, ctx, row);
        if (!message.empty()) {
            status_.show(StatusMode::Warning, message);
            return;
        }
        os::Services& os = os_;
        // A point in a window is shown where the window has it now.
        Str X = row.x, Y = row.y;
        if (!row.window.empty()) {
            const auto found = player_.executor().anchors().find(row.window, window_.nativeHandle());
            if (!found) {
                status_.show(StatusMode::Warning, windowMissing(row.window));
                return;
            }
            const os::Point at = anchor::toScreen(cdbl(X), cdbl(Y), found->frame);
            X = toStr((long long)at.x);
            Y = toStr((long long)at.y);
        }
        preview::Context pc;
        pc.layout = [&os](char16_t c) { return os.vkKeyScan(c); };
        pc.powerOff = document_.settings.powerOff;
        preview::StepPreview p = preview::previewStep(action, X, Y, pc);
        if (!row.window.empty()) p.text = u"「" + row.window + u"」の " + row.x + u"," + row.y + u" → " + p.text;
        using Kind = preview::StepPreview::Kind;
        if (p.kind == Kind::Point) {
            os.showPointMarker(p.point, kMarkerMs);
            status_.show(StatusMode::Status, p.text);
        } else if (p.kind == Kind::Window) {
            Str full;
            const os::WindowHandle h = findTargetWindow(status_, os, window_.nativeHandle(), p.search, &full);
            if (h == 0) {
                status_.show(StatusMode::Warning, u"対象ウィンドウが見つかりません");
                return;
            }
            os.showFrameMarker(os.windowRect(h), kMarkerMs);
            status_.show(StatusMode::Status, full);
        } else {
            status_.show(p.failure ? StatusMode::Warning : StatusMode::Status, p.text);
        }
    });
}
