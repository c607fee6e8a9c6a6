// The main window: owner of the macro model, the settings, the document and
// run state, the step grid and the timers. Its procedures are spread over the
// subsystem folders (one .cpp per concern); this header is the one place
// that declares the shared state.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/document.h"
#include "core/macro_file.h"
#include "core/model.h"
#include "core/status_line.h"
#include "app/control_bar.h"
#include "editor/main_menu.h"
#include "editor/point_capture.h"
#include "editor/step_grid.h"
#include "input/keys.h"
#include "input/windows.h"
#include "platform/os.h"
#include "platform/toolkit.h"
#include "playback/hotkey_watch.h"
#include "playback/player.h"
#include "recording/recorder.h"
#include "trial/row_trial.h"

class SessionEnd;

// Shared variables of the standard module: the file dialog's mode and result.
struct bas_TOVIRAK {
    int16_t Gint_FileSelectMode = 0;
    Str Gstr_FileSelectPath;
};

class frm_TOVIRAK : private MacroFileView, private RunObserver {
public:
    frm_TOVIRAK(tk::Backend& toolkit, os::Services& services);
    ~frm_TOVIRAK();
    frm_TOVIRAK(const frm_TOVIRAK&) = delete;
    frm_TOVIRAK& operator=(const frm_TOVIRAK&) = delete;

    tk::Backend& tk;
    os::Services& os;
    bas_TOVIRAK bas;

    // ---- the window and its parts, in the order their controls are made ----
    std::unique_ptr<tk::Form> form = std::make_unique<tk::Form>(tk, "frm_TOVIRAK");
    // The status line and the error convention's exit (its label is the
    // window's first control).
    StatusLine statusLine{*form, os};
    // The macro, its settings and interval, its name and changed mark.
    Document document;
    MacroFile macroFile{*form, os, statusLine, document, *this};
    ControlBar controls{*form, document};
    StepGrid grid{*form, os, statusLine, document};
    PointCapture capture{*form, os, statusLine, document, grid};
    // The start and stop keys and the watch for the start keys.
    HotKeyWatch hotKeys{*form, os, statusLine};
    // Runs: the plan, the run state, the step timer and the executor.
    Player player{*form, os, statusLine, *this, hotKeys, document, macroFile};
    MainMenu menu{*form, os, statusLine};

    // ---- application frame (core/frm_TOVIRAK.cpp) ----
    bool Mbln_RunFlg = false;
    bool Mbln_ActiveFlg = false;
    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload(bool& cancel, int reason);
    void Form_Resize();
    void mnu_Quit_Click();
    // Log-off and shutdown (session/session_end.cpp).
    std::unique_ptr<SessionEnd> sessionEnd;
    // First-run notice texts.
    static Str noticeTitle();
    static Str noticeText();
    // Enables what may be used now (a run, a tried row, a recording, the
    // focus in the grid decide it).
    void refreshCommands();

    // ---- document commands (documents/document_commands.cpp) ----
    void mnu_New_Click();
    void mnu_Open_Click();
    void mnu_Save_Click();
    void mnu_SaveUwa_Click();
    void MS_SetWindowTitle();
    // The save-changes question; false when the command must stop.
    bool askSaveChanges();
    // Shows the file dialog (documents/frm_FileSelect.cpp); the result is in
    // bas.Gstr_FileSelectPath.
    void showFileSelect(int16_t mode);

    // ---- runs ----
    // The check of a run with its messages: the plan, or nothing when the
    // user was told why not (the caret on the problem).
    std::optional<RunPlan> checkRun();
    // The check of step i alone (a tried row), told as a run's check tells it.
    bool checkStep(int32_t i, Str& x, Str& y);
    void showStepProblem(int32_t i, const Str& message);
    void cmd_Kaisi_Click();
    void mnu_Go_Click();
    void cmd_End_Click();
    // A key list of the hot keys, read as the run reads it: an unsupported
    // key is told and stops (a run, or as if one ran).
    std::vector<int16_t> hotKeyCodes(const Str& text);

    // ---- windows (input/windows.cpp) ----
    void MS_TopMost(bool bln_Kbn);

    // ---- settings launch (editor/menus.cpp) ----
    void cmd_Setting_Click();
    void mnu_Setting_Click();
    // Shows the settings dialog (settings/frm_Setting.cpp).
    void showSettings();
    // Trying one row before a run: run it alone, show where it acts (trial/).
    RowTrial rowTrial{*this};

    // ---- recording (recording/recording_commands.cpp) ----
    // Mouse and keyboard turned into steps while the user works (recording/).
    Recorder recorder{tk, os};
    // Starts a recording, or ends the one in progress.
    void mnu_Kiroku_Click();
    // Ends the recording and inserts its steps after the last playable row.
    void MS_KirokuEnd();

    // The application title used for message boxes.
    static constexpr StrView AppTitle = u"TOVIRAK";
    int msgBox(const Str& text, int style, const Str& title = Str(AppTitle));

private:
    // What a run tells the window.
    void showStatus(StatusMode mode, const Str& text) override;
    void showRow(int32_t row) override;
    void repaint() override;
    void runLockChanged() override;
    void showRunning(bool running) override;
    void comeBack() override;
    void unsupportedKey(const Str& item) override;
    void keystrokesFailed(int number, const Str& description) override;

    // What a document read does to the window.
    void stepsCleared() override;
    void settingRead(DocumentSetting setting) override;
    void stepsRead() override;
};
