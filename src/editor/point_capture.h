// Point and window capture with the set buttons: a row's set button arms a
// capture and takes the mouse; the next button release anywhere writes the
// point, or the window under it, into that row's step. A point may belong
// to a window: the one the row names, or with Shift the one under it.
#pragma once

#include <cstdint>
#include <optional>

#include "core/document.h"
#include "core/status_line.h"
#include "editor/step_grid.h"
#include "input/anchor_windows.h"
#include "input/windows.h"
#include "platform/os.h"
#include "platform/toolkit.h"

class PointCapture {
public:
    PointCapture(tk::Form& window, os::Services& services, StatusLine& status, Document& document, StepGrid& grid)
        : window_(window), os_(services), status_(status), document_(document), grid_(grid) {}
    PointCapture(const PointCapture&) = delete;
    PointCapture& operator=(const PointCapture&) = delete;

    // The set button of visible row r: the mouse goes to the row's point
    // (a mouse step) and the capture is armed.
    void arm(int r);
    // A mouse button was released: the capture completes and ends.
    void buttonReleased();

    bool armed() const { return armed_; }
    // The step the capture writes into.
    int32_t step() const { return step_; }
    // The primary screen, measured at each click of a set button.
    const ScreenMeasure& screen() const { return screen_; }

private:
    // What a mouse row's capture writes for the point released at: the
    // point in the window the row names (nothing, told, when that window is
    // not there), in the window under it when Shift is held, or the plain
    // screen point.
    std::optional<Str> capturedPoint(os::Point pt, const Str& command);

    tk::Form& window_;
    os::Services& os_;
    StatusLine& status_;
    Document& document_;
    StepGrid& grid_;
    bool armed_ = false;
    int32_t step_ = 0;
    ScreenMeasure screen_;
    AnchorWindows anchors_{os_};
};
