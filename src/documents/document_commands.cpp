// New, Open, Save as, Save and the window title.
#include "documents/document_commands.h"

bool DocumentCommands::askSaveChanges() {
    if (!document_.changed()) return true;
    const int answer = window_.backend().messageBox(u"変更されています。保存しますか？\r\n\r\n" + document_.path(),
                                                    tk::mb::YesNoCancel, u"確認");
    if (answer == tk::mb::IdCancel) return false;
    if (answer == tk::mb::IdYes) {
        if (!document_.path().empty()) macroFile_.write(document_.path(), MacroFile::Overwrite::Silently);
        else saveAs();
        // Still changed: the name was not given or the write failed. Going
        // on would throw the unsaved changes away.
        if (document_.changed()) return false;
    }
    return true;
}

void DocumentCommands::newDocument() {
    guarded(status_, u"mnu_New_Click", [&] {
        if (!askSaveChanges()) return;
        document_.setPath(Str());
        document_.clearSteps();
        view_.stepsCleared();
        view_.stepsRead();
        document_.setChanged(false);
    });
}

void DocumentCommands::open() {
    guarded(status_, u"mnu_Open_Click", [&] {
        if (!askSaveChanges()) return;
        view_.keepOnTop(false);  // the dialog must come in front
        const Str path = chooseFile(FileSelectMode::Read);
        view_.keepOnTop(true);
        if (!path.empty()) macroFile_.read(path);
    });
}

void DocumentCommands::saveAs() {
    guarded(status_, u"mnu_Save_Click", [&] {
        view_.keepOnTop(false);
        const Str path = chooseFile(FileSelectMode::Write);
        view_.keepOnTop(true);
        if (!path.empty()) macroFile_.write(path, MacroFile::Overwrite::Ask);
    });
}

void DocumentCommands::save() {
    guarded(status_, u"mnu_SaveUwa_Click", [&] {
        if (!document_.path().empty()) macroFile_.write(document_.path(), MacroFile::Overwrite::Ask);
        else saveAs();
    });
}

void DocumentCommands::showTitle() {
    guarded(status_, u"MS_SetWindowTitle", [&] {
        const Str name = MacroFile::fileName(document_.path());
        Str caption(AppTitle);
        if (!document_.path().empty() && name != MacroFile::WorkingState) caption += u" - " + name;
        window_.setText(caption);
    });
}

Str DocumentCommands::chooseFile(FileSelectMode mode) {
    try {
        FileSelectDialog dialog(window_, os_, mode);
        dialog.form->showModal();
        return dialog.path();
    } catch (const std::exception&) {
        // The dialog could not be shown: no result, and the caller goes on
        // as after a cancel.
        window_.backend().messageBox(describeCurrentException(), tk::mb::OK | tk::mb::Critical, Str(AppTitle));
        return Str();
    }
}
