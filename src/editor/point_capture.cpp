// Point and window capture with the set buttons: the button arms a capture
// and takes the mouse; the next button release anywhere completes it.
#include <cmath>
#include <optional>

#include "editor/point_capture.h"

#include "core/document_format.h"
#include "editor/guidance.h"
#include "input/mouse.h"

namespace {
// One coordinate of a command text: the number at the start of the part,
// rounded half to even; RtError 6 when it does not fit 32 bits.
int32_t coordinate(const std::vector<Str>& parts, size_t i) {
    if (i >= parts.size()) return 0;
    return clng(val(parts[i]));
}

std::vector<Str> splitCommas(const Str& s) {
    std::vector<Str> parts;
    size_t start = 0;
    for (;;) {
        size_t pos = s.find(u',', start);
        parts.push_back(s.substr(start, pos == Str::npos ? Str::npos : pos - start));
        if (pos == Str::npos) break;
        start = pos + 1;
    }
    return parts;
}
}  // namespace

void PointCapture::arm(int r) {
    // Every failure here is ignored: the step that failed has no effect and
    // the capture is still armed.
    Str a;
    try {
        a = grid_.actionList(r)->text();
    } catch (const std::exception&) {
        return;  // no such row
    }
    if (guidance::isNotCapturable(a)) return;

    if (!actions::isWindowAction(a)) {
        // Start from the row's current point.
        try {
            const Str t = grid_.commandBox(r)->text();
            if (!t.empty()) {
                const std::vector<Str> parts = splitCommas(t);
                // A point that cannot be read or scaled is not moved to.
                bool ok = true;
                int32_t x = 0, y = 0;
                try {
                    x = coordinate(parts, 0);
                } catch (const std::exception&) {
                    ok = false;
                }
                try {
                    y = coordinate(parts, 1);
                } catch (const std::exception&) {
                    ok = false;
                }
                // The screen may have changed since the last run.
                screen_.maxX = os_.screenWidth() - 1;
                screen_.maxY = os_.screenHeight() - 1;
                mouse::Normalised to;
                try {
                    to = mouse::normalise({x, y}, os_.virtualScreen());
                } catch (const std::exception&) {
                    ok = false;
                }
                if (ok) os_.mouseEvent(mouse::kAbsoluteMove, to.dx, to.dy, 0, 0);
            }
        } catch (const std::exception&) {
        }
    }

    try {
        window_.backend().setCapture(window_);
    } catch (const std::exception&) {
    }
    armed_ = true;
    step_ = grid_.scrollBar()->value() + r - 1;
}

void PointCapture::buttonReleased() {
    if (!armed_) return;
    try {
        const os::Point pt = os_.getCursorPos();
        const Str a = document_.steps.at(step_).action;
        // What the capture writes into the step; nothing when it has nothing.
        std::optional<Str> captured;
        if (!guidance::isNotCapturable(a)) {
            if (actions::isWindowAction(a)) {
                const os::WindowHandle w = os_.windowFromPoint(pt);
                const Str title = os_.getWindowText(w);
                // A title may hold a line break, which a document line cannot.
                if (!title.empty()) captured = docfmt::singleLine(title + u"," + os_.getClassName(w));
            } else {
                captured = toStr((long long)pt.x) + u"," + toStr((long long)pt.y);
            }
        }
        if (captured) {
            Str& cmd = document_.steps.at(step_).command;
            // A new value is an edit like typing it: the document must not
            // close without asking and keep its old coordinates.
            if (cmd != *captured) {
                cmd = *captured;
                document_.markChanged();
            }
            grid_.redraw();
        }
    } catch (const std::exception&) {
        status_.reportError(u"Form_MouseUp");
    }
    // The capture ends whatever happened.
    try {
        window_.backend().releaseCapture();
    } catch (const std::exception&) {
    }
    armed_ = false;
}
