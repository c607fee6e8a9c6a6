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

    // ---- the window and its controls (core/frm_TOVIRAK.cpp builds them) ----
    std::unique_ptr<tk::Form> form = std::make_unique<tk::Form>(tk, "frm_TOVIRAK");
    // The status line and the error convention's exit (its label is the
    // window's first control).
    StatusLine statusLine{*form, os};
    // The macro, its settings and interval, its name and changed mark.
    Document document;
    MacroFile macroFile{*form, os, statusLine, document, *this};
    // The start and stop keys and the watch for the start keys.
    HotKeyWatch hotKeys{*form, os, statusLine};
    // Runs: the plan, the run state, the step timer and the executor.
    Player player{*form, os, statusLine, *this, hotKeys, document, macroFile};
    tk::Timer* tim_Timer = &player.timer();
    tk::Label* lbl_Kankaku = nullptr;  // "実行間隔"
    tk::TextBox* txt_Kankaku = nullptr;
    tk::ComboBox* cmb_Tani = nullptr;
    tk::Button* cmd_Kaisi = nullptr;
    tk::Button* cmd_End = nullptr;
    tk::Button* cmd_Setting = nullptr;
    tk::ScrollBar* scr_Detail = nullptr;
    // Row control arrays, index = visible row from 1 (element 0 unused).
    std::vector<tk::Label*> lbl_No{nullptr};
    std::vector<tk::ComboBox*> cmb_Cmd{nullptr};
    std::vector<tk::TextBox*> txt_ZahyoCmd{nullptr};
    std::vector<tk::Button*> cmd_Set{nullptr};
    std::vector<tk::TextBox*> txt_Comment{nullptr};
    std::vector<tk::Line*> lin_Line{nullptr};  // 1 .. rows + 1
    // Menus.
    tk::MenuItem* mnu_File = nullptr;
    tk::MenuItem* mnu_New = nullptr;
    tk::MenuItem* mnu_Open = nullptr;
    tk::MenuItem* mnu_Save = nullptr;
    tk::MenuItem* mnu_SaveUwa = nullptr;
    tk::MenuItem* mnu_Quit = nullptr;
    tk::MenuItem* mnu_Tool = nullptr;
    tk::MenuItem* mnu_Go = nullptr;
    tk::MenuItem* mnu_Kiroku = nullptr;  // "記録(&K)"
    tk::MenuItem* mnu_Setting = nullptr;
    tk::MenuItem* mnu_Ins = nullptr;
    tk::MenuItem* mnu_Del = nullptr;
    tk::MenuItem* mnu_Help = nullptr;
    tk::MenuItem* mnu_Ver = nullptr;

    // ---- application frame (core/frm_TOVIRAK.cpp) ----
    bool Mbln_RunFlg = false;
    bool Mbln_ActiveFlg = false;
    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload(bool& cancel, int reason);
    void mnu_Quit_Click();
    // Log-off and shutdown (session/session_end.cpp).
    std::unique_ptr<SessionEnd> sessionEnd;
    // First-run notice texts.
    static Str noticeTitle();
    static Str noticeText();

    // ---- the grid's model ----
    double Mdbl_ColRatio[4] = {0, 0.15, 0.40, 0.45};
    void MS_DousaListSet(int32_t lng_Gyo);
    // Reset to one empty row, scroll range 1..1.
    void resetSteps();

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
    int32_t Mlng_DispMaxX = 0;
    int32_t Mlng_DispMaxY = 0;

    // ---- windows (input/windows.cpp) ----
    void MS_TopMost(bool bln_Kbn);

    // ---- step grid (editor/grid.cpp) ----
    int32_t Mlng_DispGyo = 1;
    int32_t Mlng_LoadGyo = 1;
    bool Mbln_CmbLock = false;
    bool Mbln_TxtLock = false;
    void scr_Detail_Scroll();
    bool MF_ArryAdd(int32_t int_Add, bool bln_Resize);
    bool MF_LastScrollChk();
    void MS_Gyo_InsDel(int16_t int_Kbn);

    // ---- row editing (editor/row_editing.cpp) ----
    void cmb_Cmd_Click(int r);
    void cmb_Cmd_KeyPress(int r, int& keyAscii);
    void txt_ZahyoCmd_Change(int r);
    void txt_Comment_Change(int r);
    void MS_DousaGuide(int r);
    void Form_KeyPress(int& keyAscii);
    // Wires the events of row r's controls (called when a row is created).
    void wireRow(int r);

    // ---- capture (editor/capture.cpp) ----
    bool Mbln_SetMode = false;
    int32_t Mlng_SetGyo = 0;
    void cmd_Set_Click(int r);
    void Form_MouseUp();

    // ---- layout (editor/layout.cpp) ----
    void Form_Resize();
    void createRow(int r);  // controls of row r as copies of row 1

    // ---- menus, settings launch, help, version (editor/menus.cpp) ----
    void buildMenus();
    void cmd_Setting_Click();
    void mnu_Setting_Click();
    void mnu_Help_Click();
    void mnu_Ver_Click();
    void mnu_Ins_Click() { MS_Gyo_InsDel(1); }
    void mnu_Del_Click() { MS_Gyo_InsDel(2); }
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
    void editorLocked(bool locked) override;
    void showRunning(bool running) override;
    void comeBack() override;
    void unsupportedKey(const Str& item) override;
    void keystrokesFailed(int number, const Str& description) override;

    // What a document read does to the window.
    void stepsCleared() override;
    void settingRead(DocumentSetting setting) override;
    void stepsRead() override;
};
