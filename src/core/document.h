// The macro document: its steps, the settings record that travels with it,
// the run interval, its name and its changed mark. Pure data with one
// notification: the window title follows the name and the changed mark.
#pragma once

#include <cstdint>
#include <functional>

#include "core/model.h"
#include "platform/text.h"

// The settings the settings dialog edits; each is one key line of the
// document (its key in the comment).
struct DocumentSettings {
    Str targetWindowSearch;         // "WindowTitle": search text of the window a run needs
    Str startKeys;                  // "StartHotKey": key list that starts a run
    Str stopKeys;                   // "StopHotKey": key list that stops it
    bool stopTimerEnabled = false;  // "TimerEnabled": the stop limit counts
    int16_t timerHours = 0;         // "TimerHH": hours of the running time; -1: a pass count
    int16_t timerMinutes = 0;       // "TimerMM": minutes, or the pass count
    bool powerOff = false;          // "TimerPCOff": the PC is switched off when the limit ends a run
    bool topMost = false;           // "TopMost": the window stays above all others
    bool stayBehind = false;        // "NotActive": the window never takes the front or the focus for a run
    // "WaitLimit": how many seconds a row may wait for a window (0: no
    // limit); written only when it is not 0.
    int32_t waitLimit = 0;
    static constexpr int32_t MaxWaitLimit = 86400;
};

class Document {
public:
    StepList steps;
    DocumentSettings settings;
    // The pause between two steps as typed ("KankakuTime"), and its unit
    // ("KankakuTimeTani"): "秒" or "分", or what else the unit box holds.
    Str interval{u"115.5"};
    Str intervalUnit{u"秒"};
    bool inMinutes() const { return intervalUnit == u"分"; }
    // The "Ver" line of the last document read (empty when none was).
    Str version;

    // The file the document was read from or written to; empty for none
    // and for the working state "TOVIRAK.TVK".
    const Str& path() const { return path_; }
    void setPath(const Str& path);
    // Changed since it was read or written.
    bool changed() const { return changed_; }
    void setChanged(bool changed);
    void markChanged() { setChanged(true); }

    // Called when the path or the changed mark has changed.
    std::function<void()> onStateChange;

private:
    Str path_;
    bool changed_ = false;
};
