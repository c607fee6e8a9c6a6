// The windows anchored points name: found by their search text, each text
// with a window cache of its own (the run's target window keeps its own),
// and made ready for a click: restored when minimised, brought to the
// front as "ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ" does when another window is in front (a click on
// a covered window would hit the one on top).
#pragma once

#include <map>
#include <optional>

#include "input/anchor.h"
#include "input/window_cache.h"
#include "platform/error_sink.h"
#include "platform/os.h"
#include "platform/text.h"

// Where window h's client area is and how its monitor scales; nothing when
// h is gone. Calls only what a hook observer may call.
std::optional<anchor::Frame> readFrame(os::Services& os, os::WindowHandle h);

class AnchorWindows {
public:
    explicit AnchorWindows(os::Services& services) : os_(services) {}
    AnchorWindows(const AnchorWindows&) = delete;
    AnchorWindows& operator=(const AnchorWindows&) = delete;

    struct Found {
        os::WindowHandle window = 0;
        anchor::Frame frame;
        os::Rect rect;  // the whole window, frame and caption included
    };

    // The top-level window whose title holds search (as anchor::searchText
    // gives it), as it stands; nothing when there is none. The walk starts
    // at the top of the Z order of own (any top-level window). Nothing on
    // the screen changes.
    std::optional<Found> find(const Str& search, os::WindowHandle own);
    // The same, made ready for a click first: restored when minimised and
    // brought to the front when it is not in front. Nothing as well when a
    // minimised window does not come back in time. Failures of the
    // activation go to sink ("MF_ActiveForm").
    std::optional<Found> prepare(ErrorSink& sink, const Str& search, os::WindowHandle own);

    // Forgets the windows kept (a new run).
    void clear() { caches_.clear(); }

private:
    std::optional<Found> describe(os::WindowHandle h);

    os::Services& os_;
    std::map<Str, WindowCache> caches_;
};
