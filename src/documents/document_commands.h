// The commands of the File menu: New, Open, Save as and Save, the question
// before changes would be lost, and the window title that names the
// document.
#pragma once

#include "core/document.h"
#include "core/macro_file.h"
#include "core/status_line.h"
#include "documents/file_select.h"
#include "platform/os.h"
#include "platform/toolkit.h"

// What the commands need from the window besides a document read.
class DocumentsView : public MacroFileView {
public:
    // The window stays above all others when the settings say so (on), or
    // goes back among them so that a dialog comes in front (off).
    virtual void keepOnTop(bool on) = 0;

protected:
    ~DocumentsView() = default;
};

class DocumentCommands {
public:
    DocumentCommands(tk::Form& window, os::Services& services, StatusLine& status, Document& document,
                     MacroFile& macroFile, DocumentsView& view)
        : window_(window), os_(services), status_(status), document_(document), macroFile_(macroFile), view_(view) {}
    DocumentCommands(const DocumentCommands&) = delete;
    DocumentCommands& operator=(const DocumentCommands&) = delete;

    void newDocument();
    void open();
    void saveAs();
    void save();
    // With unsaved changes: asks whether to save them, and saves. False when
    // the user cancelled or the changes are still unsaved.
    bool askSaveChanges();
    // The window title: "TOVIRAK", and " - " with the document's file name.
    void showTitle();
    // Shows the file dialog; the path chosen, empty when none.
    Str chooseFile(FileSelectMode mode);

private:
    tk::Form& window_;
    os::Services& os_;
    StatusLine& status_;
    Document& document_;
    MacroFile& macroFile_;
    DocumentsView& view_;
};
