// The menu item "記録(&K)": starts a recording, or ends the one in progress
// and puts its steps into the document after the last playable row.
#pragma once

#include <functional>

#include "core/document.h"
#include "core/status_line.h"
#include "editor/step_grid.h"
#include "platform/os.h"
#include "platform/toolkit.h"
#include "playback/hotkey_watch.h"
#include "playback/player.h"
#include "recording/recorder.h"

class RecordingCommands {
public:
    // commandsChanged is called when a recording starts or ends.
    RecordingCommands(tk::Form& window, os::Services& services, StatusLine& status, Document& document, StepGrid& grid,
                      HotKeyWatch& hotKeys, const Player& player, std::function<void()> commandsChanged)
        : window_(window), os_(services), status_(status), document_(document), grid_(grid), hotKeys_(hotKeys),
          player_(player), commandsChanged_(std::move(commandsChanged)), recorder_(window.backend(), services) {}
    RecordingCommands(const RecordingCommands&) = delete;
    RecordingCommands& operator=(const RecordingCommands&) = delete;

    bool recording() const { return recorder_.recording(); }
    // Starts a recording (not during a run), or ends the one in progress.
    void toggle();
    // Ends the recording in progress, if any, and inserts its steps.
    void end();

    Recorder& recorder() { return recorder_; }

private:
    tk::Form& window_;
    os::Services& os_;
    StatusLine& status_;
    Document& document_;
    StepGrid& grid_;
    HotKeyWatch& hotKeys_;
    const Player& player_;
    std::function<void()> commandsChanged_;
    Recorder recorder_;
};
