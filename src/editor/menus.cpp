// The settings launch.
#include "core/frm_TOVIRAK.h"
#include "settings/frm_Setting.h"

void frm_TOVIRAK::cmd_Setting_Click() {
    bool watchStopped = false;
    try {
        // The dialog must not hide behind an always-on-top main window, and
        // the hot keys are not watched while it is open.
        MS_TopMost(false);
        hotKeys.pause();
        watchStopped = true;
        showSettings();
        hotKeys.resume();
        watchStopped = false;
        MS_TopMost(true);
    } catch (const std::exception&) {
        statusLine.reportError(u"cmd_Setting_Click");
        // Whatever failed, the hot-key watch comes back.
        if (watchStopped) hotKeys.resume();
    }
}

void frm_TOVIRAK::mnu_Setting_Click() {
    // As the settings button: not while the editor is locked.
    if (!player.runLocked()) cmd_Setting_Click();
}

void frm_TOVIRAK::showSettings() { runSettingsDialog(*this); }
