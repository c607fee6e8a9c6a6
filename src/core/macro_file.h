// Reading and writing macro documents: the bytes through the document
// format, the Document, and what the window does meanwhile (an hourglass,
// the status line, its geometry, which the document carries). A document
// read replaces the steps and the settings; the window hears of each
// setting as its line is read, since some act at once (hot keys, the
// always-on-top switch).
#pragma once

#include "core/document.h"
#include "core/status_line.h"
#include "platform/os.h"
#include "platform/toolkit.h"

// The settings a document read changes that the window shows or acts on.
enum class DocumentSetting { Interval, IntervalUnit, StartKeys, StopKeys, TopMost };

class MacroFileView {
public:
    // The steps were emptied for a document being read.
    virtual void stepsCleared() = 0;
    // A setting's line was read into the document.
    virtual void settingRead(DocumentSetting setting) = 0;
    // The steps are read (or as much of them as could be): show them from
    // the first.
    virtual void stepsRead() = 0;

protected:
    ~MacroFileView() = default;
};

// The program's version text "major.minor", as documents carry it.
Str programVersion(os::Services& os);

class MacroFile {
public:
    MacroFile(tk::Form& window, os::Services& services, StatusLine& status, Document& document, MacroFileView& view)
        : window_(window), os_(services), status_(status), document_(document), view_(view) {}
    MacroFile(const MacroFile&) = delete;
    MacroFile& operator=(const MacroFile&) = delete;

    // The working state, read at start and written at every close.
    static constexpr StrView WorkingState = u"TOVIRAK.TVK";

    // Reads path into the document (a missing file reads nothing). A file
    // that fails part-way leaves what was read, unnamed and changed.
    void read(const Str& path);

    enum class Overwrite { Ask, Silently };
    // Writes the document to path, which becomes its name (none for the
    // working state), and clears its changed mark. A failure leaves the
    // previous file, the name and the mark as they were.
    void write(const Str& path, Overwrite overwrite);
    // Writes the working state: the document keeps its name and its mark.
    void writeCopy(const Str& path);

    // The file name of a path: what follows its last "\" or ":".
    static Str fileName(StrView path);

private:
    // A copy leaves the document's name and mark alone.
    void save(const Str& path, Overwrite overwrite, bool copy);

    tk::Form& window_;
    os::Services& os_;
    StatusLine& status_;
    Document& document_;
    MacroFileView& view_;
};
