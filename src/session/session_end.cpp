#include "session/session_end.h"


namespace {
constexpr StrView kBlockReason = u"変更が保存されていません";
}

bool SessionEnd::query(uint32_t reasons) {
    bool letEnd = true;
    guarded(errors_, u"Form_QueryEndSession", [&] {
        stopActivity_();
        const bool changed = document_.changed();
        saveWorkingState();
        // A critical end does not wait for anyone: what "TOVIRAK.TVK" holds
        // is all that can be kept.
        if (!changed || (reasons & tk::session::Critical)) return;
        letEnd = false;
        blocked_ = true;
        // A system without block reasons still holds the end on the answer.
        window_.backend().blockSessionEnd(window_, Str(kBlockReason));
        if (!questionPending_) {
            questionPending_ = true;
            window_.backend().post([this] { askToSave(); });
        }
    });
    return letEnd;
}

void SessionEnd::end(bool ending, uint32_t) {
    guarded(errors_, u"Form_EndSession", [&] {
        if (!ending) {
            if (blocked_) window_.backend().unblockSessionEnd(window_);
            blocked_ = false;
            return;
        }
        // Also when no query came first (a forced end); the process may be
        // ended at any moment after this returns.
        stopActivity_();
        saveWorkingState();
    });
    if (ending) os_.endProcess();
}

void SessionEnd::saveWorkingState() {
    // A copy: the user's document keeps its name, title and changed mark.
    macroFile_.writeCopy(Str(MacroFile::WorkingState));
}

void SessionEnd::askToSave() {
    questionPending_ = false;
    // Saved or closed meanwhile: nothing left to ask.
    if (!document_.changed() || !window_.isShown()) return;
    // The question of an ordinary close: Yes or No end the program as a
    // close does, Cancel keeps it open with its changes.
    window_.close();
}
