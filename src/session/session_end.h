// Log-off, shutdown and installers that close programs. The working state
// goes to "TOVIRAK.TVK" as soon as Windows asks; unsaved changes hold the
// session end (with a reason Windows shows) and the save question follows
// once the answer has been given, since Windows does not wait for a question.
#pragma once

#include <cstdint>

class frm_TOVIRAK;

class SessionEnd {
public:
    explicit SessionEnd(frm_TOVIRAK& main) : m_(main) {}
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // The query (WM_QUERYENDSESSION): true lets the session end.
    bool query(uint32_t reasons);
    // The outcome (WM_ENDSESSION): ending true ends the program quietly.
    void end(bool ending, uint32_t reasons);

private:
    void stopRun();
    void saveWorkingState();
    void askToSave();

    frm_TOVIRAK& m_;
    bool blocked_ = false;          // a block reason was asked for
    bool questionPending_ = false;  // the save question is posted, not shown yet
};
