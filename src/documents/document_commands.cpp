// New, Open, Save as, Save and the window title.
#include "core/frm_TOVIRAK.h"
#include "documents/frm_FileSelect.h"

bool frm_TOVIRAK::askSaveChanges() {
    if (!document.changed()) return true;
    int answer = msgBox(u"変更されています。保存しますか？\r\n\r\n" + document.path(), tk::mb::YesNoCancel, u"確認");
    if (answer == tk::mb::IdCancel) return false;
    if (answer == tk::mb::IdYes) {
        if (!document.path().empty()) macroFile.write(document.path(), MacroFile::Overwrite::Silently);
        else mnu_Save_Click();
        // Still changed: the name was not given or the write failed. Going
        // on would throw the unsaved changes away.
        if (document.changed()) return false;
    }
    return true;
}

void frm_TOVIRAK::mnu_New_Click() {
    guarded(statusLine, u"mnu_New_Click", [&] {
        if (!askSaveChanges()) return;
        bas.Gstr_FileSelectPath.clear();
        document.setPath(Str());
        grid.clear();
        grid.redraw();
        document.setChanged(false);
    });
}

void frm_TOVIRAK::mnu_Open_Click() {
    guarded(statusLine, u"mnu_Open_Click", [&] {
        if (!askSaveChanges()) return;
        MS_TopMost(false);  // the dialog must come in front
        showFileSelect(1);
        MS_TopMost(true);
        if (!bas.Gstr_FileSelectPath.empty()) macroFile.read(bas.Gstr_FileSelectPath);
    });
}

void frm_TOVIRAK::mnu_Save_Click() {
    guarded(statusLine, u"mnu_Save_Click", [&] {
        MS_TopMost(false);
        showFileSelect(2);
        MS_TopMost(true);
        if (!bas.Gstr_FileSelectPath.empty()) macroFile.write(bas.Gstr_FileSelectPath, MacroFile::Overwrite::Ask);
    });
}

void frm_TOVIRAK::mnu_SaveUwa_Click() {
    guarded(statusLine, u"mnu_SaveUwa_Click", [&] {
        if (!document.path().empty()) macroFile.write(document.path(), MacroFile::Overwrite::Ask);
        else mnu_Save_Click();
    });
}

void frm_TOVIRAK::MS_SetWindowTitle() {
    guarded(statusLine, u"MS_SetWindowTitle", [&] {
        const Str name = MacroFile::fileName(document.path());
        Str caption = u"TOVIRAK";
        if (!document.path().empty() && name != u"TOVIRAK.TVK") caption += u" - " + name;
        form->setText(caption);
    });
}

void frm_TOVIRAK::showFileSelect(int16_t mode) {
    bas.Gint_FileSelectMode = mode;
    bas.Gstr_FileSelectPath.clear();
    try {
        frm_FileSelect dialog(*this);
        dialog.form->showModal();
    } catch (const std::exception&) {
        // The dialog could not be shown: no result, and the caller goes on
        // as after a cancel.
        bas.Gstr_FileSelectPath.clear();
        msgBox(describeCurrentException(), tk::mb::OK | tk::mb::Critical);
    }
}
