// Starting and stopping a run, and one step per tick.
#include "playback/player.h"

#include <limits>

#include "input/keys.h"
#include "playback/exit_windows.h"
#include "playback/progress.h"

namespace {

// Steps that hold the tick for a while: a wait, and key lists with hold
// times. The display shows where the run stands before them.
bool stepWaits(const Str& action, const Str& X) {
    if (action == actions::Wait) return true;
    return actions::isKeyInput(action) && keys::isKeyList(X) && X.find(u'(') != Str::npos;
}

// Row r of the plan (from 1); a row outside it is an index error.
const PlanRow& planRow(const RunPlan& plan, int32_t r) {
    if (r < 1 || size_t(r) > plan.rows.size()) err::raise(err::Subscript);
    return plan.rows[size_t(r) - 1];
}

}  // namespace

Player::Player(tk::Form& window, os::Services& services, ErrorSink& errors, RunObserver& observer,
               HotKeyWatch& hotKeys, const Document& document, MacroFile& macroFile)
    : window_(window),
      os_(services),
      errors_(errors),
      observer_(observer),
      hotKeys_(hotKeys),
      document_(document),
      macroFile_(macroFile),
      timer_(window.addTimer("tim_Timer")),
      targetWindow_(services),
      executor_(window, timer_, services, errors, observer, hotKeys) {
    timer_.onTick = [this] { tick(); };
}

void Player::measureScreen() { ::measureScreen(errors_, os_, screen_); }

void Player::start(RunPlan plan, const Str& targetTitle) {
    plan_ = std::move(plan);
    state_.targetTitle = targetTitle;
    guarded(errors_, u"MS_Start", [&] {
        measureScreen();

        // The interval is read here once: the editor is locked while the
        // run goes, so it cannot change before the run ends.
        const double v = val(document_.interval);
        if (v > 1 || document_.inMinutes()) {
            // Long intervals are counted in seconds by the tick.
            timer_.setInterval(1000);
            state_.longInterval = true;
            state_.intervalSeconds = document_.inMinutes() ? v * 60 : v;
        } else {
            const double ms = roundHalfEven(v * 1000);
            // The timer takes no negative interval.
            if (ms < 0) err::raise(err::InvalidProperty);
            timer_.setInterval(uint32_t(ms));
            state_.longInterval = false;
        }
        state_.secondsCounted = 9999999;
        state_.waitLimitSeconds = document_.settings.waitLimit;
        state_.waiting.reset();

        // No start-key watch while running.
        hotKeys_.pause();

        const DocumentSettings& s = document_.settings;
        state_.passesLeft = -1;
        if (s.timerHours == 0 && s.timerMinutes == 0) {
            state_.stopTime.reset();
        } else if (s.timerHours == -1) {
            state_.passesLeft = s.timerMinutes;
        } else {
            state_.stopTime = os_.now().addSeconds(int64_t(s.timerHours) * 3600).addSeconds(int64_t(s.timerMinutes) * 60);
        }

        // Windows and their processes may have changed since the last run.
        executor_.forgetWindows();
        targetWindow_.clear();
        display_.begin(timer_.interval());
        state_.row = 1;
        ++state_.generation;
        observer_.showStatus(StatusMode::Status, u"実行中");
        observer_.showRunning(true);
        state_.stopRequested = false;
        setRunLock(true);  // the step timer ticks from now on
        hotKeys_.forgetPresses();
    });
}

void Player::stop(bool afterError) {
    guarded(errors_, u"MS_Stop", [&] {
        showKeptProgress();
        setRunLock(false);
        timer_.setInterval(0);
        // After an error the error text stays on the status line.
        if (!afterError) observer_.showStatus(StatusMode::Status, u"待機中");
        observer_.showRunning(false);
        state_.row = 0;
        hotKeys_.resume();
        // A drag step may have left a button down.
        releaseButtons();
        if (!document_.settings.stayBehind) observer_.comeBack();
        state_.stopRequested = true;  // a running wait ends at its next slice
        hotKeys_.forgetPresses();
    });
}

void Player::setRunLock(bool locked) {
    guarded(errors_, u"MS_Enabled", [&] {
        runLocked_ = locked;
        observer_.runLockChanged();
        timer_.setEnabled(locked);
    });
}

void Player::releaseButtons() {
    if (state_.heldButtons == 0) return;
    os_.mouseEvent(state_.heldButtons, 0, 0, 0, 0);
    state_.heldButtons = 0;
}

void Player::showKeptProgress() {
    guarded(errors_, u"tim_Timer_Timer", [&] {
        auto kept = display_.take();
        if (!kept) return;
        observer_.showRow(kept->row);
        observer_.showStatus(StatusMode::Status, kept->progress);
        observer_.repaint();
    });
}

Str Player::progress() {
    const DocumentSettings& s = document_.settings;
    ProgressInput pin;
    pin.runRow = state_.row;
    pin.stopTimerEnabled = s.stopTimerEnabled;
    pin.timerHH = s.timerHours;
    pin.timerMM = s.timerMinutes;
    pin.restCount = state_.passesLeft;
    pin.now = os_.now();
    pin.stopTime = state_.stopTime;
    pin.powerOff = s.powerOff;
    return progressText(pin);
}

Str Player::statusText(const Str& progress) {
    if (!state_.waiting || state_.waiting->row != state_.row) return progress;
    RunState::RowWait& w = *state_.waiting;
    const int64_t seconds = (os_.monotonicMs() - w.sinceMs) / 1000;
    // The first second shows the row as any other.
    if (seconds < 1) return progress;
    w.shownSeconds = seconds;
    return waitingStatus(progress, w.reason, seconds, state_.waitLimitSeconds);
}

void Player::followWait(const Str& progress) {
    RunState::RowWait& w = *state_.waiting;
    const int64_t elapsed = os_.monotonicMs() - w.sinceMs;
    const int32_t limit = state_.waitLimitSeconds;
    // The run stops as a failing step does, named by the row's step.
    if (limit > 0 && elapsed >= int64_t(limit) * 1000) err::raise(err::InvalidCall, w.reason.runOutText(limit));
    if (elapsed / 1000 != w.shownSeconds) {
        const Str text = statusText(progress);
        if (text != progress) observer_.showStatus(StatusMode::Status, text);
    }
}

void Player::endTool() {
    // The process ends without a stop: a button an earlier drag step still
    // holds is released, as a stop would.
    releaseButtons();
    macroFile_.write(Str(MacroFile::WorkingState), MacroFile::Overwrite::Silently);
    if (document_.settings.powerOff) powerOffPC(os_);
    os_.endProcess();
}

void Player::tick() {
    // A tick that fires while another one waits in its message processing
    // (a "待機" step) is skipped: ticks never nest.
    if (state_.inTick) return;
    state_.inTick = true;
    struct TickEnd {
        bool& flag;
        ~TickEnd() { flag = false; }
    } tickEnd{state_.inTick};
    // The run this tick belongs to; a stop and a new start inside a wait
    // make a new one, which this tick must leave alone.
    const uint32_t generation = state_.generation;
    Str label;
    try {
        // A stop inside the tick ends it without executing or advancing.
        auto stopHere = [&] { stop(false); };
        const DocumentSettings& s = document_.settings;
        // A time limit without a stop time reads like a date from empty text.
        auto stopTime = [&]() -> const DateTime& {
            if (!state_.stopTime) err::raise(err::TypeMismatch);
            return *state_.stopTime;
        };

        label = u"ウインドウチェック";
        if (!state_.targetTitle.empty()) {
            // The window found at the last tick is asked first; all windows
            // are walked only when it no longer passes. The whole title found
            // at the start is looked for: read as a search text, a comma in
            // it would name a class and stop the run at once.
            state_.targetWindow = targetWindow_.find(state_.targetTitle, window_.nativeHandle());
            if (state_.targetWindow == 0) return stopHere();
        }

        // The latch holds taps that the key state may have lost to other
        // programs' queries since the last tick.
        label = u"Pauseキーが押されたら停止する";
        if (hotKeys_.pausePressed()) return stopHere();

        label = u"設定されたStopキーが押されたら停止する";
        if (hotKeys_.stopKeyPressed()) return stopHere();

        label = u"停止予定時間を過ぎたら停止する";
        if (s.stopTimerEnabled && !(s.timerHours == 0 && s.timerMinutes == 0)) {
            if (s.timerHours == -1) {
                if (state_.passesLeft == 0) {
                    stop(false);
                    // The program stays open after a counted run. Writing
                    // the working state makes it the document.
                    if (s.powerOff) {
                        macroFile_.write(Str(MacroFile::WorkingState), MacroFile::Overwrite::Silently);
                        powerOffPC(os_);
                    }
                    return;
                }
            } else if (os_.now().serial() >= stopTime().serial()) {
                stop(false);
                if (s.powerOff) {
                    macroFile_.write(Str(MacroFile::WorkingState), MacroFile::Overwrite::Silently);
                    powerOffPC(os_);
                    os_.endProcess();
                }
                return;
            }
        }

        label = u"間隔が大きい時、タイマー処理を見送る";
        if (state_.longInterval) {
            if (state_.secondsCounted == std::numeric_limits<int32_t>::max()) err::raise(err::Overflow);
            ++state_.secondsCounted;
            if (state_.intervalSeconds > double(state_.secondsCounted)) {
                // A row that waits is watched at every second all the same.
                if (state_.waiting) {
                    label = planRow(plan_, state_.row).action;
                    followWait(progress());
                }
                return;
            }
            state_.secondsCounted = 0;
        }

        label = u"ステータスの表示";
        const Str rowProgress = progress();
        const Str status = statusText(rowProgress);
        // Steps faster than a display frame are shown once a frame; a tick
        // not shown keeps its state for a stop or a wait.
        const bool show = display_.showNow(os_.monotonicMs());
        if (!show) display_.keep({status, state_.row});

        label = u"現在実行中の行を選択";
        if (show) observer_.showRow(state_.row);

        label = u"現在実行中の行番号をステータスに表示";
        if (show) observer_.showStatus(StatusMode::Status, status);

        label = u"画面を再表示";
        if (show) observer_.repaint();

        label = u"リストシート情報取得";
        // A copy: a stop and a new start inside a wait replace the plan.
        const PlanRow row = planRow(plan_, state_.row);
        if (stepWaits(row.action, row.x)) showKeptProgress();

        label = row.action;
        const int64_t stepMs = os_.monotonicMs();
        const StepResult outcome = executor_.execute(row, state_);
        if (outcome == StepOutcome::EndTool) return endTool();
        // A stop during the step (a wait's message processing) has ended the
        // run; a new start since then is not ours.
        if (state_.row == 0 || generation != state_.generation) return;
        // A key the run cannot send stops it, as any unsupported key does.
        if (outcome == StepOutcome::Stop || outcome == StepOutcome::UnsupportedKey) return stopHere();

        if (outcome == StepOutcome::Stay) {
            // The wait is measured from the first tick on the row.
            if (!state_.waiting || state_.waiting->row != state_.row)
                state_.waiting = RunState::RowWait{state_.row, stepMs, outcome.waiting, 0};
            state_.waiting->reason = outcome.waiting;
            followWait(rowProgress);
        } else {
            state_.waiting.reset();
        }
        if (outcome == StepOutcome::Next) {
            ++state_.row;
            if (size_t(state_.row) > plan_.rows.size()) {
                state_.row = 1;
                if (state_.passesLeft > 0) --state_.passesLeft;
            }
        }
    } catch (const std::exception&) {
        // The row that failed is shown under its error text.
        const Str text = u"[tim_Timer_Timer]" + describeCurrentException() + u" ステップ：" + label;
        showKeptProgress();
        observer_.showStatus(StatusMode::Error, text);
        if (generation == state_.generation) stop(true);
    }
}
