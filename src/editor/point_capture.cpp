// Point and window capture with the set buttons: the button arms a capture
// and takes the mouse; the next button release anywhere completes it.
#include <optional>

#include "editor/point_capture.h"

#include "core/document_format.h"
#include "editor/guidance.h"
#include "input/anchor.h"
#include "input/mouse.h"

namespace {
constexpr int VK_SHIFT = 0x10;

// A command names no window: nothing. Else the window's search text.
Str windowOf(const anchor::CommandParts& parts) {
    return parts.hasThird() ? anchor::searchText(parts.third) : Str();
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
        // Start from the row's current point, in its window when it names
        // one (where the window is now; nowhere when it is not there).
        try {
            const Str t = grid_.commandBox(r)->text();
            if (!t.empty()) {
                const anchor::CommandParts parts = anchor::splitCommand(t);
                const Str search = windowOf(parts);
                std::optional<os::Point> at;
                try {
                    if (search.empty()) {
                        at = os::Point{clng(val(parts.first)), clng(val(parts.second))};
                    } else if (const auto found = anchors_.find(search, window_.nativeHandle())) {
                        at = anchor::toScreen(val(parts.first), val(parts.second), found->frame);
                    }
                } catch (const std::exception&) {
                    // A point that cannot be read or scaled is not moved to.
                }
                // The screen may have changed since the last run.
                screen_.maxX = os_.screenWidth() - 1;
                screen_.maxY = os_.screenHeight() - 1;
                if (at) {
                    const mouse::Normalised to = mouse::normalise(*at, os_.virtualScreen());
                    os_.mouseEvent(mouse::kAbsoluteMove, to.dx, to.dy, 0, 0);
                }
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

std::optional<Str> PointCapture::capturedPoint(os::Point pt, const Str& command) {
    const Str plain = toStr((long long)pt.x) + u"," + toStr((long long)pt.y);
    const anchor::CommandParts parts = anchor::splitCommand(command);
    // A row that names a window keeps it, and its text as written.
    if (const Str search = windowOf(parts); !search.empty()) {
        const auto found = anchors_.find(search, window_.nativeHandle());
        if (!found) {
            status_.show(StatusMode::Warning, u"「" + search + u"」を含むウィンドウが見つからないため、位置は変わっていません");
            return std::nullopt;
        }
        const os::Point p = anchor::toStored(pt, found->frame);
        return toStr((long long)p.x) + u"," + toStr((long long)p.y) + u"," + parts.third;
    }
    if (!(os_.getAsyncKeyState(VK_SHIFT) & 0x8000)) return plain;
    // With Shift, the point belongs to the window under it, named as the
    // recorder names windows; one without a title, or the program's own,
    // cannot be found again by its title.
    const os::WindowHandle top = os_.topLevelWindow(os_.windowFromPoint(pt));
    if (top == 0 || os_.windowProcessId(top) == os_.windowProcessId(window_.nativeHandle())) return plain;
    const Str title = docfmt::singleLine(anchor::titleSearchText(os_.getWindowText(top)));
    const std::optional<anchor::Frame> frame = readFrame(os_, top);
    if (title.empty() || !frame) return plain;
    return anchor::storedCommand(pt, *frame, title);
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
                captured = capturedPoint(pt, document_.steps.at(step_).command);
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
