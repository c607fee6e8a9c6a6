// The screen as the user sees it without the program: while an object of
// this kind lives, the program's window is hidden (and its markers gone),
// so that a picture of the screen shows what lies below it. Afterwards the
// window comes back to the front with the focus where it was.
#pragma once

#include <cstdint>

#include "platform/os.h"
#include "platform/toolkit.h"

class OwnWindowAway {
public:
    OwnWindowAway(tk::Form& window, os::Services& services);
    ~OwnWindowAway();
    OwnWindowAway(const OwnWindowAway&) = delete;
    OwnWindowAway& operator=(const OwnWindowAway&) = delete;

    // The windows uncovered repaint themselves, each program on its own
    // thread: the screen is taken after this long.
    static constexpr uint32_t kSettleMs = 150;

private:
    tk::Form& window_;
    tk::Control* focused_ = nullptr;
    bool hidden_ = false;
};
