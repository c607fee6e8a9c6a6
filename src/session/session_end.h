// Log-off, shutdown and installers that close programs. The working state
// goes to "TOVIRAK.TVK" as soon as Windows asks; unsaved changes hold the
// session end (with a reason Windows shows) and the save question follows
// once the answer has been given, since Windows does not wait for a question.
#pragma once

#include <cstdint>
#include <functional>

#include "core/document.h"
#include "core/macro_file.h"
#include "platform/error_sink.h"
#include "platform/os.h"
#include "platform/toolkit.h"

class SessionEnd {
public:
    // stopActivity stops a run and ends a recording (keeping its steps).
    SessionEnd(tk::Form& window, os::Services& services, ErrorSink& errors, const Document& document,
               MacroFile& macroFile, std::function<void()> stopActivity)
        : window_(window), os_(services), errors_(errors), document_(document), macroFile_(macroFile),
          stopActivity_(std::move(stopActivity)) {}
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // The query (WM_QUERYENDSESSION): true lets the session end.
    bool query(uint32_t reasons);
    // The outcome (WM_ENDSESSION): ending true ends the program quietly.
    void end(bool ending, uint32_t reasons);

private:
    void saveWorkingState();
    void askToSave();

    tk::Form& window_;
    os::Services& os_;
    ErrorSink& errors_;
    const Document& document_;
    MacroFile& macroFile_;
    std::function<void()> stopActivity_;
    bool blocked_ = false;          // a block reason was asked for
    bool questionPending_ = false;  // the save question is posted, not shown yet
};
