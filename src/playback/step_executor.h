// The step executor: one row of a run, or a row tried on its own. Mouse
// and key input go out through the input services; a wait waits in
// one-second slices, processing messages, until it is over or its run is
// stopped. Failures of a step throw, so the caller can name the step.
#pragma once

#include <cstdint>

#include "input/anchor_windows.h"
#include "input/input_gate.h"
#include "input/keys.h"
#include "platform/error_sink.h"
#include "platform/os.h"
#include "platform/toolkit.h"
#include "playback/hotkey_watch.h"
#include "playback/run_plan.h"
#include "playback/run_state.h"
#include "playback/waiting.h"

class RunObserver;

// How a step ended.
enum class StepOutcome {
    Next,            // on to the next row
    Stay,            // stay on this row (a window check waits for its window)
    Stop,            // the run must stop (a regular stop; the user was told)
    UnsupportedKey,  // a key list named a key it cannot send (the user was
                     // told); the run stops, a tried row too
    EndTool,         // the "終了" step: the program ends
};

// A step's outcome, and for a row that stays what it waits for.
struct StepResult {
    StepOutcome outcome = StepOutcome::Next;
    WaitReason waiting;

    StepResult(StepOutcome o = StepOutcome::Next) : outcome(o) {}
    // The row stays, waiting for this.
    StepResult(WaitReason reason) : outcome(StepOutcome::Stay), waiting(std::move(reason)) {}
    bool operator==(StepOutcome o) const { return outcome == o; }
};

class StepExecutor {
public:
    // stepTimer is held while a wait waits (the next step comes one whole
    // interval after it); the window is the program's own, which window
    // searches and activations leave out or come back to.
    StepExecutor(tk::Form& window, tk::Timer& stepTimer, os::Services& services, ErrorSink& errors,
                 RunObserver& observer, HotKeyWatch& hotKeys)
        : window_(window), stepTimer_(stepTimer), os_(services), errors_(errors), observer_(observer),
          hotKeys_(hotKeys), inputGate_(services), anchors_(services) {}
    StepExecutor(const StepExecutor&) = delete;
    StepExecutor& operator=(const StepExecutor&) = delete;

    // Executes the row with the run state: the buttons a drag holds are
    // kept there, key messages go to its target window, a wait ends when
    // its run is stopped or replaced. A row tried alone runs with row 0.
    StepResult execute(const PlanRow& row, RunState& state);

    // Windows and their processes may have changed since the last run.
    void forgetWindows() {
        inputGate_.forget();
        anchors_.clear();
    }
    // The windows of anchored points, as the run finds them.
    AnchorWindows& anchors() { return anchors_; }

    // Brings the window the search text names to the front; when there is
    // none, a warning says so (0). The window's whole title goes to
    // *fullTitle when given.
    os::WindowHandle activateWindow(StrView search, Str* fullTitle = nullptr);

private:
    void sendKeyList(const Str& action, const KeyArrays& keys, const RunState& state);
    StepResult mouse(const PlanRow& row, RunState& state);
    // Waits ms in one-second slices; false when Pause or a stop key ended it.
    bool wait(int32_t ms, const RunState& state);

    tk::Form& window_;
    tk::Timer& stepTimer_;
    os::Services& os_;
    ErrorSink& errors_;
    RunObserver& observer_;
    HotKeyWatch& hotKeys_;
    InputGate inputGate_;
    AnchorWindows anchors_;
};
