// Starting and stopping a run.
#include <algorithm>

#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::cmd_Kaisi_Click() {
    guarded(statusLine, u"cmd_Kaisi_Click", [&] {
        // Nothing plays while a recording is in progress.
        if (recorder.recording()) return;
        // One button for both: its caption says which a click does.
        if (cmd_Kaisi->text() == u"停止") {
            MS_Stop(false);
            return;
        }
        if (!MF_InputChk()) return;
        // The focus leaves the editor so typing during the run edits nothing.
        // A window that cannot take the focus now (minimised, hidden) still runs.
        if (!document.settings.stayBehind && scr_Detail->canFocus()) scr_Detail->setFocus();
        if (!document.settings.targetWindowSearch.empty()) {
            if (MF_WindowActive(document.settings.targetWindowSearch, true, Mstr_WindowTitleFull) != 0) {
                MS_Start();
            } else {
                msgBox(u"対象ウィンドウが存在しません。", tk::mb::OK);
                cmd_Setting_Click();
            }
        } else {
            Mstr_WindowTitleFull.clear();
            MS_Start();
        }
    });
}

void frm_TOVIRAK::MS_Start() {
    guarded(statusLine, u"MS_Start", [&] {
        MS_GetDispWidth();

        const double v = val(document.interval);
        if (v > 1 || document.inMinutes()) {
            // Long intervals are counted in seconds by the executor.
            tim_Timer->setInterval(1000);
            Mbln_LongInterval = true;
        } else {
            const double ms = roundHalfEven(v * 1000);
            // The timer takes no negative interval.
            if (ms < 0) err::raise(err::InvalidProperty);
            tim_Timer->setInterval(uint32_t(ms));
            Mbln_LongInterval = false;
        }
        Mlng_SecCount = 9999999;

        // No start-key watch while running.
        hotKeys.pause();

        Mint_RestCount = -1;
        if (document.settings.timerHours == 0 && document.settings.timerMinutes == 0) {
            Mdat_StopTime.reset();
        } else if (document.settings.timerHours == -1) {
            Mint_RestCount = document.settings.timerMinutes;
        } else {
            Mdat_StopTime = os.now().addSeconds(int64_t(document.settings.timerHours) * 3600).addSeconds(int64_t(document.settings.timerMinutes) * 60);
        }

        // Windows and their processes may have changed since the last run.
        inputGate.forget();
        targetWindow.clear();
        runDisplay.begin(tim_Timer->interval());
        Mlng_RunRow = 1;
        ++Mlng_RunGeneration;
        statusLine.show(StatusMode::Status, u"実行中");
        cmd_Kaisi->setText(u"停止");
        Mbln_StopFlg = false;
        MS_Enabled(false);  // also starts tim_Timer
        hotKeys.forgetPresses();
    });
}

void frm_TOVIRAK::MS_Stop(bool bln_ErrStop) {
    guarded(statusLine, u"MS_Stop", [&] {
        // The last step's row and progress, when a fast run had not shown them.
        showKeptProgress();
        MS_Enabled(true);
        tim_Timer->setInterval(0);
        // After an error the error text stays on the status line.
        if (!bln_ErrStop) statusLine.show(StatusMode::Status, u"待機中");
        cmd_Kaisi->setText(u"実行");
        Mlng_RunRow = 0;
        hotKeys.resume();
        // A drag step may have left a button down.
        if (Mlng_MouseUpFlg != 0) {
            os.mouseEvent(Mlng_MouseUpFlg, 0, 0, 0, 0);
            Mlng_MouseUpFlg = 0;
        }
        if (!document.settings.stayBehind) os.appActivate(form->text());
        Mbln_StopFlg = true;  // a running wait ends at its next slice
        hotKeys.forgetPresses();
    });
}

void frm_TOVIRAK::MS_Enabled(bool bln_Enabled) {
    guarded(statusLine, u"MS_Enabled", [&] {
        txt_Kankaku->setEnabled(bln_Enabled);
        cmb_Tani->setEnabled(bln_Enabled);
        cmd_End->setEnabled(bln_Enabled);
        cmd_Setting->setEnabled(bln_Enabled);
        // Only the rows that exist as controls; the grid may be mid-rebuild.
        const int32_t rows = std::min<int32_t>(
            Mlng_DispGyo, int32_t(std::min({cmb_Cmd.size(), txt_ZahyoCmd.size(), txt_Comment.size(), cmd_Set.size()})) - 1);
        for (int32_t i = 1; i <= rows; ++i) {
            cmb_Cmd[size_t(i)]->setEnabled(bln_Enabled);
            txt_ZahyoCmd[size_t(i)]->setEnabled(bln_Enabled);
            txt_Comment[size_t(i)]->setEnabled(bln_Enabled);
            cmd_Set[size_t(i)]->setEnabled(bln_Enabled);
        }
        mnu_File->setEnabled(bln_Enabled);
        mnu_Tool->setEnabled(bln_Enabled);
        tim_Timer->setEnabled(!bln_Enabled);
    });
}

void frm_TOVIRAK::mnu_Go_Click() {
    // The menu only starts; it never stops a run.
    if (Mlng_RunRow == 0) cmd_Kaisi_Click();
}

void frm_TOVIRAK::cmd_End_Click() { form->close(); }
