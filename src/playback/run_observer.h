// What a run tells the window it runs in. The player and the step executor
// show nothing themselves: the window renders what it is told, when it is
// told (the player decides how often, see DisplayThrottle).
#pragma once

#include <cstdint>

#include "core/status_line.h"
#include "platform/text.h"

class RunObserver {
public:
    virtual void showStatus(StatusMode mode, const Str& text) = 0;
    // The grid shows the row being executed, where it can scroll that far.
    virtual void showRow(int32_t row) = 0;
    // What has been shown is painted now.
    virtual void repaint() = 0;
    // The run's lock of the editor was taken or given back (Player::runLocked).
    virtual void runLockChanged() = 0;
    // The start button says whether a click stops a run.
    virtual void showRunning(bool running) = 0;
    // The program's window comes back to the front after a run.
    virtual void comeBack() = 0;
    // A key list holds a key that cannot be sent (the item as typed).
    virtual void unsupportedKey(const Str& item) = 0;
    // The keystroke sender refused a text.
    virtual void keystrokesFailed(int number, const Str& description) = 0;

protected:
    ~RunObserver() = default;
};
