// The step executor.
#include "playback/step_executor.h"

#include "input/anchor.h"
#include "input/delivery.h"
#include "input/mouse.h"
#include "input/sendkeys.h"
#include "input/windows.h"
#include "playback/run_observer.h"

namespace {
constexpr uint8_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12;
}  // namespace

StepResult StepExecutor::execute(const PlanRow& row, RunState& state) {
    const Str& action = row.action;
    const Str& X = row.x;
    const Str& Y = row.y;
    if (actions::isKeyInput(action)) {
        if (keys::isKeyList(X)) {
            KeyArrays k;
            Str unsupported;
            // Nothing is sent when one key cannot be.
            if (!keys::readKeyList(errors_, X, k, unsupported)) {
                observer_.unsupportedKey(unsupported);
                return StepOutcome::UnsupportedKey;
            }
            sendKeyList(action, k, state);
        } else {
            inputGate_.require(os_.getForegroundWindow());
            try {
                sendkeys::send(os_, X, false);
            } catch (const std::exception&) {
                observer_.keystrokesFailed(currentErrorNumber(), describeCurrentException());
                return StepOutcome::Stop;
            }
        }
    } else if (action == actions::Wait) {
        const uint32_t generation = state.generation;
        stepTimer_.setEnabled(false);
        if (!wait(clng(X), state)) return StepOutcome::Stop;
        // The next step comes one full interval after the wait, unless the
        // run was stopped (or a new one started) meanwhile.
        if (state.row != 0 && generation == state.generation) stepTimer_.setEnabled(true);
    } else if (action == actions::WindowActive) {
        // A missing window is warned about; the run goes on.
        activateWindow(X);
    } else if (action == actions::WindowExists) {
        if (findTargetWindow(errors_, os_, window_.nativeHandle(), X) == 0) return windowToAppear(X);
    } else if (action == actions::WindowAbsent) {
        if (findTargetWindow(errors_, os_, window_.nativeHandle(), X) != 0) return windowToClose(X);
    } else if (action == actions::Exe) {
        os_.startProgram(X, os::k::SW_SHOWNORMAL);
    } else if (action == actions::PlaySound) {
        playSoundFile(os_, X);
    } else if (action == actions::End) {
        return StepOutcome::EndTool;
    } else {
        return mouse(row, state);
    }
    return StepOutcome::Next;
}

os::WindowHandle StepExecutor::activateWindow(StrView search, Str* fullTitle) {
    const auto h = activateTargetWindow(errors_, os_, window_.nativeHandle(), search, fullTitle);
    // The warning sounds the beep itself.
    if (h && *h == 0) observer_.showStatus(StatusMode::Warning, u"対象ウィンドウが見つかりません。");
    return h.value_or(0);
}

void StepExecutor::sendKeyList(const Str& action, const KeyArrays& k, const RunState& state) {
    // Messages go to the target window, the other routes to the window that
    // has the keyboard.
    inputGate_.require(action == actions::KeyInputShin ? state.targetWindow : os_.getForegroundWindow());
    for (int32_t i = 1; i <= k.last(); ++i) {
        const auto idx = size_t(i);
        const int16_t code = int16_t(uint8_t(k.code[idx]));
        const bool sh = k.shift[idx], ct = k.ctrl[idx], al = k.alt[idx];
        auto send = [&](int16_t key, bool down) {
            if (action == actions::KeyInputKai)
                sendInputKey(os_, key, !down);
            else if (action == actions::KeyInputShin)
                sendKeyMessage(os_, key, !down, state.targetWindow);
            else
                sendKeybdEvent(os_, uint8_t(key), !down);
        };
        if (sh) send(VK_SHIFT, true);
        if (ct) send(VK_CONTROL, true);
        if (al) send(VK_MENU, true);
        send(code, true);
        // A negative hold would be an endless sleep: no hold.
        if (k.wait[idx] > 0) os_.sleep(uint32_t(k.wait[idx]));
        send(code, false);
        if (al) send(VK_MENU, false);
        if (ct) send(VK_CONTROL, false);
        if (sh) send(VK_SHIFT, false);
    }
}

StepResult StepExecutor::mouse(const PlanRow& row, RunState& state) {
    const Str& action = row.action;
    // An optional modifier prefix, then the button.
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

    // A point in a window needs the window: the row waits for it, and a
    // window that is found is made ready for the click before anything is
    // sent.
    std::optional<anchor::Frame> frame;
    if (!row.window.empty()) {
        const auto found = anchors_.prepare(errors_, row.window, window_.nativeHandle());
        if (!found) return windowToAppear(row.window);
        frame = found->frame;
    }
    // Where the step acts: its point on the screen, or where the cursor
    // stands (nothing). RtError as the point does not fit.
    auto target = [&]() -> std::optional<os::Point> {
        if (frame) return anchor::toScreen(cdbl(row.x), cdbl(row.y), *frame);
        if (row.x == u"-1" && row.y == u"-1") return std::nullopt;
        return os::Point{clng(row.x), clng(row.y)};
    };

    // The click goes to the window under the point; refused input fails the
    // step before anything is sent. A cursor move alone is not refused.
    if (action != actions::MouseMove && press != 0) {
        os::Point at = os_.getCursorPos();
        try {
            if (const auto to = target()) at = *to;
        } catch (const std::exception&) {
            // The move below reports the coordinate.
        }
        inputGate_.require(os_.windowFromPoint(at));
    }
    if (modifier) sendKeybdEvent(os_, modifier, false);
    try {
        if (const auto to = target()) {
            os_.setCursorPos(to->x, to->y);
            // Measured at every step: monitors come and go, and a game may
            // change the resolution during a run.
            const mouse::Normalised n = mouse::normalise(*to, os_.virtualScreen());
            os_.mouseEvent(mouse::kAbsoluteMove, n.dx, n.dy, 0, 0);
        }
        if (action != actions::MouseMove) {
            const bool drag = right(name, 6) == u"ﾄﾞﾗｯｸﾞ";
            int clicks = mid(name, 2, 1) == u"W" ? 2 : 1;
            // A click of the button a drag holds ends the drag at its point:
            // the button is released there, not pressed a second time (which
            // would collapse what the drag selected). A double click then
            // clicks once more.
            if (!drag && (state.heldButtons & release)) {
                os_.mouseEvent(release, 0, 0, 0, 0);
                state.heldButtons &= ~release;
                --clicks;
            }
            for (int c = 0; c < clicks; ++c) {
                os_.mouseEvent(press, 0, 0, 0, 0);
                // Every button a drag holds is remembered, so a stop releases
                // all of them; a click releases its own.
                if (drag) {
                    state.heldButtons |= release;
                } else {
                    os_.mouseEvent(release, 0, 0, 0, 0);
                    state.heldButtons &= ~release;
                }
            }
        }
    } catch (const std::exception&) {
        // Never leave the modifier down behind a failing step.
        if (modifier) sendKeybdEvent(os_, modifier, true);
        throw;
    }
    if (modifier) sendKeybdEvent(os_, modifier, true);
    return StepOutcome::Next;
}

bool StepExecutor::wait(int32_t ms, const RunState& state) {
    // Whole-second slices, so Pause, a stop key or the stop button end the
    // wait within a second. 64 bits: a wait near the 32-bit limit must not
    // overflow the count. A stop, or a stop and a new start, ends the wait
    // at its next slice.
    const uint32_t generation = state.generation;
    int64_t elapsed = 0;
    while (elapsed < ms && !state.stopRequested && generation == state.generation) {
        elapsed += 1000;
        os_.sleep(1000);
        window_.backend().doEvents();
        if (hotKeys_.pausePressed()) return false;
        if (hotKeys_.stopKeyPressed()) return false;
    }
    return true;
}
