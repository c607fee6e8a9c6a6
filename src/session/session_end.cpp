#include "session/session_end.h"

#include "core/frm_TOVIRAK.h"

namespace {
constexpr StrView kBlockReason = u"変更が保存されていません";
}

bool SessionEnd::query(uint32_t reasons) {
    bool letEnd = true;
    guarded(m_.statusLine, u"Form_QueryEndSession", [&] {
        stopRun();
        const bool changed = m_.document.changed();
        saveWorkingState();
        // A critical end does not wait for anyone: what "TOVIRAK.TVK" holds
        // is all that can be kept.
        if (!changed || (reasons & tk::session::Critical)) return;
        letEnd = false;
        blocked_ = true;
        // A system without block reasons still holds the end on the answer.
        m_.tk.blockSessionEnd(*m_.form, Str(kBlockReason));
        if (!questionPending_) {
            questionPending_ = true;
            m_.tk.post([this] { askToSave(); });
        }
    });
    return letEnd;
}

void SessionEnd::end(bool ending, uint32_t) {
    guarded(m_.statusLine, u"Form_EndSession", [&] {
        if (!ending) {
            if (blocked_) m_.tk.unblockSessionEnd(*m_.form);
            blocked_ = false;
            return;
        }
        // Also when no query came first (a forced end); the process may be
        // ended at any moment after this returns.
        stopRun();
        saveWorkingState();
    });
    if (ending) m_.os.endProcess();
}

void SessionEnd::stopRun() {
    // Also releases a button a drag step holds.
    if (m_.player.running()) m_.player.stop(false);
    // A recording ends with its steps in the document.
    if (m_.recorder.recording()) m_.MS_KirokuEnd();
}

void SessionEnd::saveWorkingState() {
    // A copy: the user's document keeps its name, title and changed mark.
    m_.macroFile.writeCopy(Str(MacroFile::WorkingState));
}

void SessionEnd::askToSave() {
    questionPending_ = false;
    // Saved or closed meanwhile: nothing left to ask.
    if (!m_.document.changed() || !m_.form->isShown()) return;
    // The question of an ordinary close: Yes or No end the program as a
    // close does, Cancel keeps it open with its changes.
    m_.form->close();
}
