// The main window: the composition root. It builds the window, owns the
// parts (each with its own state) and wires their events; it holds no run
// or document state of its own. Start-up, the first activation and the
// close request are its own procedures.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/control_bar.h"
#include "app/window_views.h"
#include "core/document.h"
#include "core/macro_file.h"
#include "core/status_line.h"
#include "documents/document_commands.h"
#include "editor/image_capture.h"
#include "editor/main_menu.h"
#include "editor/point_capture.h"
#include "editor/step_grid.h"
#include "platform/os.h"
#include "platform/toolkit.h"
#include "playback/hotkey_watch.h"
#include "playback/player.h"
#include "recording/recording_commands.h"
#include "session/session_end.h"
#include "trial/row_trial.h"

class MainWindow {
public:
    MainWindow(tk::Backend& toolkit, os::Services& services);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    tk::Backend& tk;
    os::Services& os;

    // The parts, in the order their controls are made (which is the tab
    // order).
    std::unique_ptr<tk::Form> form = std::make_unique<tk::Form>(tk, "frm_TOVIRAK");
    StatusLine statusLine{*form, os};
    Document document;
    DocumentView documentView{*this};
    MacroFile macroFile{*form, os, statusLine, document, documentView};
    ControlBar controls{*form, document};
    StepGrid grid{*form, os, statusLine, document};
    PointCapture capture{*form, os, statusLine, document, grid};
    ImageCapture imageCapture{*form, os, statusLine, document, grid, [this] { return choosePicture(); }};
    HotKeyWatch hotKeys{*form, os, statusLine};
    RunView runView{*this};
    Player player{*form, os, statusLine, runView, hotKeys, document, macroFile};
    MainMenu menu{*form, os, statusLine};
    DocumentCommands documents{*form, os, statusLine, document, macroFile, documentView};
    RecordingCommands recording{*form, os, statusLine, document, grid, hotKeys, player, [this] { refreshCommands(); }};
    TrialView trialView{*this};
    RowTrial rowTrial{*form, os, statusLine, document, grid, player, hotKeys, trialView};
    SettingsView settingsView{*this};
    // Log-off and shutdown: what a run or a tried row holds down is let go,
    // a run stops and a recording ends first.
    SessionEnd sessionEnd{*form, os, statusLine, document, macroFile, [this] {
                              player.releaseHeldInput();
                              if (player.running()) player.stop(false);
                              recording.end();
                          }};

    // "/RUN" was on the command line: the first activation starts a run.
    bool runOnActivation = false;
    // The first activation has been handled.
    bool activated = false;

    // Start-up (the window's Load), the first activation, and the close
    // request (cancel refuses it).
    void load();
    void activate();
    void queryClose(bool& cancel);
    // The status line and the grid follow the window's size.
    void layout();
    // Enables what may be used now: a run, a tried row, a recording and the
    // focus in the grid decide it.
    void refreshCommands();
    // The start button: stops a run, or checks the document, finds the
    // target window and starts one.
    void startOrStop();
    // The check of a run with its messages: the plan, or nothing when the
    // user was told why not (the caret on the problem).
    std::optional<RunPlan> checkRun();
    // The key codes of a hot-key list, read as a run reads it: an
    // unsupported key is told and stops (a run, or as if one went).
    std::vector<int16_t> hotKeyCodes(const Str& keyList);
    // The settings dialog, with the hot keys unwatched and the window not on
    // top while it is open.
    void openSettings();
    // The window above all others when the settings say so (on), or among
    // them so that a dialog comes in front (off).
    void keepOnTop(bool on);
    // Closes the window (the end button, "終了(&Q)"), asking as a close does.
    void close();
    // The set button of visible row r: a picture for an image row, else a point or a window.
    void setButton(int r);
    // The file dialog for a PNG picture; the path chosen, empty when none.
    Str choosePicture();
};
