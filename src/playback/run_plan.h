// Checks before a run, and what they make of a document: the rows of the
// run with their run parameters, or the first problem to tell the user.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "core/document.h"
#include "platform/text.h"

// Empties parts, then stores the pieces of text between commas into
// parts[1], parts[2], ... (parts[0] stays empty). RtError 9 when the text
// has more pieces than parts can hold.
void splitAtCommas(StrView text, std::vector<Str>& parts);

// What the check of one row needs besides the row.
struct RowCheckContext {
    bool minutes = false;          // the interval's unit is "分"
    bool targetWindowSet = false;  // the settings name a target window
};
RowCheckContext rowCheckContext(const Document& document);

// One row of a run: its action as the step holds it, and its run
// parameters as the check left them (coordinates, a wait in milliseconds,
// a command text; for a point anchored to a window, that window's search
// text).
struct PlanRow {
    Str action;
    Str x;
    Str y;
    Str window;  // empty: x and y are a screen point
};

// Checks one row whose action (without blanks at both ends) is not empty
// and gives its run parameters in row (all but its action). Returns the
// message of the first check that fails, empty when the row may run.
// RtError 9 when a text that is split has more pieces than the split holds.
Str checkRow(StrView action, const Str& command, const RowCheckContext& ctx, PlanRow& row);

// The rows a run plays, from step 1 to the last before the first step
// without an action.
struct RunPlan {
    std::vector<PlanRow> rows;
};

// Why a document cannot run, in the order the checks find it.
struct RunProblem {
    enum class Kind {
        Interval,     // the interval is not a usable number
        Row,          // a row's text does not fit its action
        NothingToRun, // the first step has no action
        StopLimit,    // the stop limit is on without a time or a count
    };
    Kind kind;
    Str message;
    int32_t row = 0;  // the step that failed (Row)
};

// The plan of a run of the document, or its first problem. RtError 9 as
// checkRow raises it.
std::variant<RunPlan, RunProblem> planRun(const Document& document);
