// The recorder: while it records, the services' low-level keyboard and
// mouse hooks observe every event of every program (nothing is swallowed
// but the Ctrl+K that ends the recording), note which top-level window each
// press goes to, and hand the events over to the user-interface thread as
// posted calls; there they are turned into steps (step_turner.h). The hook
// side does no more than that, so a long recording never slows the input.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/model.h"
#include "platform/os.h"
#include "platform/toolkit.h"
#include "recording/step_turner.h"

class Recorder {
public:
    Recorder(tk::Backend& toolkit, os::Services& services);
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool recording() const { return recording_; }

    // Installs the hooks and begins a new recording. Input to the windows of
    // process ownProcess (the program's) is neither recorded nor blocked.
    // onEndKey runs on the user-interface thread when Ctrl+K or Pause is
    // pressed in any program. False when the hooks cannot be installed:
    // nothing is recorded then.
    bool start(uint32_t ownProcess, std::function<void()> onEndKey);

    // Removes the hooks; what came before is kept for takeSteps.
    void stop();

    // The steps of the recording that ended (once; empty afterwards), with
    // waits in minutes when minutes.
    std::vector<MacroStep> takeSteps(bool minutes);

    // Operations that could not be recorded, and whether keys of the input
    // method went by, as of the last takeSteps.
    int unrecordable() const { return unrecordable_; }
    bool inputMethodSeen() const { return inputMethodSeen_; }

private:
    // On the hook thread.
    bool observeKey(const os::RawKey& k);
    bool observeMouse(const os::RawMouse& m);
    void noteWindow(os::WindowHandle h, recording::InputEvent& e);
    void hand(recording::InputEvent e);
    void requestEnd();
    void dropKeyObserver();
    // On the user-interface thread.
    void accept(uint32_t session, const recording::InputEvent& e);

    // Posted calls may still wait in the message queue when the recorder
    // has gone: they reach it through this link, which its end cuts.
    struct Link {
        Recorder* owner = nullptr;
    };

    tk::Backend& tk_;
    os::Services& os_;
    std::shared_ptr<Link> link_;
    std::unique_ptr<recording::StepTurner> turner_;
    std::function<void()> onEndKey_;
    bool recording_ = false;
    int keyObserver_ = 0;
    int mouseObserver_ = 0;
    int unrecordable_ = 0;
    bool inputMethodSeen_ = false;
    // Numbers each recording, so an event posted during one never reaches
    // the next.
    uint32_t session_ = 0;

    // Set before the hooks are installed, then read and written on the
    // hook thread only.
    uint32_t ownProcess_ = 0;
    bool ctrlHeld_ = false;
    bool altHeld_ = false;
    int buttonsHeld_ = 0;
    std::atomic<bool> ending_{false};
    // The K of the ending Ctrl+K is down; read by stop() too.
    std::atomic<bool> endKeyDown_{false};
};
