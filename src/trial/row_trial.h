// Trying one row before a run: the row holding the focus is run once on its
// own ("この行を実行", Ctrl+T), or where it acts is shown without running it
// ("位置を表示", Ctrl+P). Both go through the check, the executor and the
// window search a run uses, so what the user tries is what the run will do.
//
// Keys and clicks must not land in the program itself: the trial gives the
// front to the window that was in front before the program was last
// activated (or to the document's target window), runs the row there and
// comes back. That window is learnt from the main window's activations;
// right after start, before the program has left the front to any window,
// it is the window just behind the program, once the user has agreed to it.
#pragma once

#include <cstdint>

#include "core/document.h"
#include "core/status_line.h"
#include "editor/step_grid.h"
#include "platform/os.h"
#include "platform/text.h"
#include "platform/toolkit.h"
#include "playback/hotkey_watch.h"
#include "playback/player.h"

// What a trial needs from the window beyond the parts it is given.
class TrialHost {
public:
    virtual bool recording() const = 0;
    // The target window is missing: the settings dialog lets the user pick
    // another.
    virtual void openSettings() = 0;
    // A trial began or ended: the commands that may be used change.
    virtual void commandsChanged() = 0;

protected:
    ~TrialHost() = default;
};

class RowTrial {
public:
    RowTrial(tk::Form& window, os::Services& services, StatusLine& status, const Document& document, StepGrid& grid,
             Player& player, HotKeyWatch& hotKeys, TrialHost& host)
        : window_(window), os_(services), status_(status), document_(document), grid_(grid), player_(player),
          hotKeys_(hotKeys), host_(host) {}
    RowTrial(const RowTrial&) = delete;
    RowTrial& operator=(const RowTrial&) = delete;

    void runRow();   // the menu item "この行を実行(&T)"
    void showRow();  // the menu item "位置を表示(&P)"
    // The main window came to the front from window previous (0: unknown).
    void windowActivated(uint64_t previous);

    // A row is being tried now.
    bool running() const { return running_; }
    // The window keys and clicks go to when no target window is set (0: none known).
    os::WindowHandle previousWindow() const { return previous_; }

    // How long a marker stays, and how long the trial waits for a window
    // to come to the front.
    static constexpr uint32_t kMarkerMs = 2000;
    static constexpr int64_t kFrontWaitMs = 500;
    // Injected input is placed in the queue of the window in front; a
    // moment passes before the front goes back, so none of it follows.
    static constexpr uint32_t kSettleMs = 100;

private:
    // Gives the front to window h and waits for it (bounded); false when the
    // program's own window stays in front.
    bool handOver(os::WindowHandle h);
    // The window the user most likely came from when none is known: the
    // first one below the program's main window in the Z order that is
    // shown, not minimised, titled, not a tool window, not the program's
    // own and not the desktop or the taskbar. 0 when there is none.
    os::WindowHandle windowBehind();
    // Asks before the first keys or clicks go to such a window; true when
    // the user agreed (now or earlier for the same window).
    bool agreedTo(os::WindowHandle h);
    void lock(bool on);

    tk::Form& window_;
    os::Services& os_;
    StatusLine& status_;
    const Document& document_;
    StepGrid& grid_;
    Player& player_;
    HotKeyWatch& hotKeys_;
    TrialHost& host_;
    os::WindowHandle previous_ = 0;
    os::WindowHandle agreed_ = 0;  // the window behind the user agreed to
    bool running_ = false;
};
