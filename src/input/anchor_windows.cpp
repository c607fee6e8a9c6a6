// The windows of anchored points.
#include "input/anchor_windows.h"

#include "input/windows.h"

std::optional<anchor::Frame> readFrame(os::Services& os, os::WindowHandle h) {
    anchor::Frame f;
    if (h == 0 || !os.clientOrigin(h, f.clientOrigin)) return std::nullopt;
    f.dpi = os.windowDpi(h);
    return f;
}

std::optional<AnchorWindows::Found> AnchorWindows::describe(os::WindowHandle h) {
    const std::optional<anchor::Frame> frame = readFrame(os_, h);
    if (!frame) return std::nullopt;
    return Found{h, *frame, os_.windowRect(h)};
}

std::optional<AnchorWindows::Found> AnchorWindows::find(const Str& search, os::WindowHandle own) {
    if (search.empty()) return std::nullopt;
    auto it = caches_.try_emplace(search, os_).first;
    const os::WindowHandle h = it->second.find(search, own);
    if (h == 0) return std::nullopt;
    return describe(h);
}

std::optional<AnchorWindows::Found> AnchorWindows::prepare(ErrorSink& sink, const Str& search, os::WindowHandle own) {
    const std::optional<Found> found = find(search, own);
    if (!found) return std::nullopt;
    const os::WindowHandle h = found->window;
    // Its place is known only once it has left the minimised state.
    if (os_.windowStyle(h).minimized && !os_.restoreWindow(h)) return std::nullopt;
    if (os_.getForegroundWindow() != h) bringToFront(sink, os_, own, h);
    return describe(h);
}
