// The target window of a run, as every tick checks it. A walk over all
// top-level windows at every tick costs more than a short step; the window
// found last is asked first instead, and kept as long as it is still a
// window and still passes the walk's matching rule for the same search
// text. Only when it fails does the caller walk again. When several windows
// match, the one found first is kept rather than the topmost at each tick.
#pragma once

#include "platform/os.h"
#include "platform/text.h"

// Whether window h passes the search's rule: its title and class read and
// cleaned as the walk reads them (NULs removed, blanks trimmed), the class
// part empty or equal, the title part within the title. The cleaned title
// goes to *title when given and h matches.
bool windowPassesSearch(os::Services& os, os::WindowHandle h, StrView titlePart, StrView classPart,
                        Str* title = nullptr);

class WindowCache {
public:
    explicit WindowCache(os::Services& services) : os_(services) {}

    // Forgets the window kept (a new run).
    void clear();
    // The window kept for this search text when it still passes; 0 when
    // none is kept for it or it fails (then it is forgotten).
    os::WindowHandle recheck(const Str& search);
    // Keeps h (0: nothing) as the window found for the search text.
    void keep(const Str& search, os::WindowHandle h);

private:
    os::Services& os_;
    Str search_;
    Str titlePart_, classPart_;
    os::WindowHandle kept_ = 0;
};
