// The step executor: one row of a run, or a row tried on its own. Mouse
// and key input go out through the input services; a wait waits in
// one-second slices, processing messages, until it is over or its run is
// stopped. Failures of a step throw, so the caller can name the step.
#pragma once

#include <cstdint>
#include <optional>

#include "input/anchor_windows.h"
#include "input/input_gate.h"
#include "input/delivery.h"
#include "input/keys.h"
#include "platform/error_sink.h"
#include "platform/os.h"
#include "platform/toolkit.h"
#include "playback/hotkey_watch.h"
#include "playback/image_search.h"
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
    // The longest time a hold goes without looking at the stop keys.
    static constexpr int64_t kHoldSliceMs = 50;
    // How long an anchored click waits for its window to come up over the
    // point after it was brought to the front.
    static constexpr uint32_t kUncoverMs = 500;

    // stepTimer is held while a wait waits (the next step comes one whole
    // interval after it); the window is the program's own, which window
    // searches and activations leave out or come back to.
    StepExecutor(tk::Form& window, tk::Timer& stepTimer, os::Services& services, ErrorSink& errors,
                 RunObserver& observer, HotKeyWatch& hotKeys)
        : window_(window), stepTimer_(stepTimer), os_(services), errors_(errors), observer_(observer),
          hotKeys_(hotKeys), inputGate_(services), anchors_(services), imageSearch_(services) {}
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

    // A run lets this much pass between two searches for an image: a row
    // that waits for one does not take a core at a short interval.
    static constexpr int64_t kImageSearchGapMs = 100;
    // The searches of image rows, and where the last one found its image
    // (nullopt: not there, or not searched: its window was missing).
    ImageSearch& imageSearch() { return imageSearch_; }
    const std::optional<ImageSearch::Found>& lastImageFound() const { return lastFound_; }

private:
    // Sends a key list; false when a hold was ended early (the keys it held
    // stay in the run state for the stop to release).
    bool sendKeyList(const Str& action, const KeyArrays& keys, RunState& state);
    // Holds vk, the last key pressed, for ms, repeating it as a keyboard
    // does; false when Pause, a stop key or a stop of the run ended it.
    bool hold(int32_t ms, KeyRoute route, uint8_t vk, os::WindowHandle window, RunState& state);
    StepResult mouse(const PlanRow& row, RunState& state);
    StepResult imageStep(const PlanRow& row, RunState& state);
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
    ImageSearch imageSearch_;
    std::optional<ImageSearch::Found> lastFound_;
    // When the run (by its generation) searched last.
    std::optional<std::pair<uint32_t, int64_t>> lastSearch_;
};
