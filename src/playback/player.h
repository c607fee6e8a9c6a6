// The player: starts and stops a run of a plan and executes one row per
// tick of its step timer. It owns the run state, the plan and the display
// throttle, and reports through a RunObserver; it never touches a control.
// Its only window services are the step timer and the message processing
// of waits.
#pragma once

#include <cstdint>

#include "core/document.h"
#include "core/macro_file.h"
#include "input/window_cache.h"
#include "input/windows.h"
#include "platform/error_sink.h"
#include "platform/os.h"
#include "platform/toolkit.h"
#include "playback/display_throttle.h"
#include "playback/hotkey_watch.h"
#include "playback/run_observer.h"
#include "playback/run_plan.h"
#include "playback/run_state.h"
#include "playback/step_executor.h"

class Player {
public:
    // Adds the step timer ("tim_Timer") to the window. The document gives
    // the interval at the start and the stop limit; a stop limit with
    // power-off and the "終了" step save it as the working state.
    Player(tk::Form& window, os::Services& services, ErrorSink& errors, RunObserver& observer, HotKeyWatch& hotKeys,
           const Document& document, MacroFile& macroFile);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool running() const { return state_.row != 0; }

    // Starts a run of plan in the target window whose whole title was
    // found (empty: none). A failure leaves the program idle (reported).
    void start(RunPlan plan, const Str& targetTitle);
    // Ends the run, or acts as if one ended. After an error the error text
    // stays on the status line.
    void stop(bool afterError);
    // Locks the editor as a run does (and arms the step timer, which ticks
    // only with an interval), or frees it again. A tried row takes it too.
    void setRunLock(bool locked);
    bool runLocked() const { return runLocked_; }
    // One step of the run (the step timer's tick).
    void tick();
    // Releases the mouse buttons a drag step holds.
    void releaseButtons();

    // The primary screen, measured at each start.
    void measureScreen();
    const ScreenMeasure& screen() const { return screen_; }

    RunState& state() { return state_; }
    const RunPlan& plan() const { return plan_; }
    StepExecutor& executor() { return executor_; }
    tk::Timer& timer() { return timer_; }
    WindowCache& targetWindow() { return targetWindow_; }

private:
    // The last step's row and progress, when a fast run had not shown them.
    void showKeptProgress();
    // The progress text of the row ("実行中 2　残り10回").
    Str progress();
    // The status of the row: the progress, and what the row waits for once
    // it has waited a second.
    Str statusText(const Str& progress);
    // A row that waits: its limit (raises the run-out failure) and its
    // status, renewed each second.
    void followWait(const Str& progress);
    // The "終了" step: the working state is saved and the program ends.
    void endTool();

    tk::Form& window_;
    os::Services& os_;
    ErrorSink& errors_;
    RunObserver& observer_;
    HotKeyWatch& hotKeys_;
    const Document& document_;
    MacroFile& macroFile_;
    tk::Timer& timer_;
    RunState state_;
    bool runLocked_ = false;
    RunPlan plan_;
    ScreenMeasure screen_;
    // The display of a run follows fast steps once a frame; what a tick
    // did not show is shown when the run stops or waits.
    DisplayThrottle display_;
    // The target window found at the last tick, asked first at the next.
    WindowCache targetWindow_;
    StepExecutor executor_;
};
