// The menu bar, the settings launch, help and version.
#include "core/frm_TOVIRAK.h"
#include "settings/frm_Setting.h"

void frm_TOVIRAK::buildMenus() {
    tk::Form& f = *form;
    const int C = tk::CtrlMask;
    mnu_File = &f.addMenu("mnu_File", u"ﾌｧｲﾙ(&F)");
    mnu_New = &mnu_File->add("mnu_New", u"新規作成(&N)", {'N', C});
    mnu_Open = &mnu_File->add("mnu_Open", u"開く(&O)", {'O', C});
    mnu_Save = &mnu_File->add("mnu_Save", u"名前を付けて保存(&A)", {'A', C});
    mnu_SaveUwa = &mnu_File->add("mnu_SaveUwa", u"上書き保存(&S)", {'S', C});
    mnu_File->add("mnu_Nop1", u"-");
    mnu_Quit = &mnu_File->add("mnu_Quit", u"終了(&Q)", {'Q', C});
    mnu_Tool = &f.addMenu("mnu_Tool", u"ﾂｰﾙ(&T)");
    mnu_Go = &mnu_Tool->add("mnu_Go", u"実行(&G)", {tk::key::F5, 0});
    mnu_Kiroku = &mnu_Tool->add("mnu_Kiroku", u"記録(&K)", {'K', C});
    mnu_Setting = &mnu_Tool->add("mnu_Setting", u"設定(&E)", {'E', C});
    rowTrial.build(*mnu_Tool);
    mnu_Tool->add("mnu_Nop2", u"-");
    mnu_Ins = &mnu_Tool->add("mnu_Ins", u"行挿入(&I)", {'I', C});
    mnu_Del = &mnu_Tool->add("mnu_Del", u"行削除(&D)", {'D', C});
    mnu_Tool->add("mnu_Nop3", u"-");
    mnu_Help = &mnu_Tool->add("mnu_Help", u"Read Me!(&R)", {tk::key::F1, 0});
    mnu_Ver = &mnu_Tool->add("mnu_Ver", u"ﾊﾞｰｼﾞｮﾝ情報(&V)");
    mnu_New->onClick = [this] { mnu_New_Click(); };
    mnu_Open->onClick = [this] { mnu_Open_Click(); };
    mnu_Save->onClick = [this] { mnu_Save_Click(); };
    mnu_SaveUwa->onClick = [this] { mnu_SaveUwa_Click(); };
    mnu_Quit->onClick = [this] { mnu_Quit_Click(); };
    mnu_Go->onClick = [this] { mnu_Go_Click(); };
    mnu_Kiroku->onClick = [this] { mnu_Kiroku_Click(); };
    mnu_Setting->onClick = [this] { mnu_Setting_Click(); };
    mnu_Ins->onClick = [this] { mnu_Ins_Click(); };
    mnu_Del->onClick = [this] { mnu_Del_Click(); };
    mnu_Help->onClick = [this] { mnu_Help_Click(); };
    mnu_Ver->onClick = [this] { mnu_Ver_Click(); };
}

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
    if (cmd_Setting->enabled()) cmd_Setting_Click();
}

void frm_TOVIRAK::mnu_Help_Click() {
    try {
        const Str path = os.programFolder() + u"\\README.TXT";
        if (!os.fileExists(path)) {
            statusLine.show(StatusMode::Warning, u"Readme.txtが見つかりません。");
            return;
        }
        // The viewer takes the rest of its command line as the file name,
        // so the path needs no quotes even with blanks in it.
        os.startProgram(u"Notepad.exe " + path, os::k::SW_SHOWNORMAL);
    } catch (const std::exception&) {
        statusLine.show(StatusMode::Warning, u"Notepad.exeが見つかりません。");
    }
}

void frm_TOVIRAK::mnu_Ver_Click() {
    guarded(statusLine, u"mnu_Ver_Click", [&] { msgBox(u"TOVIRAK " + programVersion(os), tk::mb::OK, u"ﾊﾞｰｼﾞｮﾝ情報"); });
}
void frm_TOVIRAK::showSettings() { runSettingsDialog(*this); }
