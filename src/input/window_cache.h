// The target window of a run, as every tick checks it. A walk over all
// top-level windows at every tick costs more than a short step; the window
// found last is asked first instead, and kept as long as it is still a
// window whose title holds the text. Only when it fails are the windows
// walked again. When several windows match, the one found first is kept
// rather than the topmost at each tick.
#pragma once

#include "platform/os.h"
#include "platform/text.h"

// Whether window h passes the search's rule: its title and class read and
// cleaned as the walk reads them (NULs removed, blanks trimmed), the class
// part empty or equal, the title part within the title. The cleaned title
// goes to *title when given and h matches.
bool windowPassesSearch(os::Services& os, os::WindowHandle h, StrView titlePart, StrView classPart,
                        Str* title = nullptr);

// The first window that passes the rule, walking the Z order from first
// (0: none). The cleaned title of the one found goes to *title when given.
os::WindowHandle findWindow(os::Services& os, os::WindowHandle first, StrView titlePart, StrView classPart,
                            Str* title = nullptr);

class WindowCache {
public:
    explicit WindowCache(os::Services& services) : os_(services) {}

    // Forgets the window kept (a new run).
    void clear();
    // The window whose title holds the whole of title: the one kept from
    // the last call while it still does, else the first found walking the
    // Z order of the top-level window own from the top, which is then kept;
    // 0 when none. The text is a title found at the start of the run: a
    // comma in it is part of the title and names no class.
    os::WindowHandle find(const Str& title, os::WindowHandle own);

private:
    os::Services& os_;
    Str title_;
    os::WindowHandle kept_ = 0;
};
