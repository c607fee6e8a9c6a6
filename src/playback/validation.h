// Checks before a run: the split of a command text at its commas.
#pragma once

#include <vector>

#include "platform/text.h"

// Empties parts, then stores the pieces of str_In between commas into
// parts[1], parts[2], ... (parts[0] stays empty). RtError 9 when the text
// has more pieces than parts can hold.
void MS_StrSplit(StrView str_In, std::vector<Str>& parts);

// What the check of one row needs besides the row.
struct RowCheckContext {
    bool minutes = false;          // the interval's unit is "分"
    bool targetWindowSet = false;  // the settings name a target window
};

// Checks one row whose action (without blanks at both ends) is not empty
// and gives its run parameters in x and y. Returns the message of the
// first check that fails, empty when the row may run. RtError 9 when a
// text that is split has more pieces than the split holds.
Str checkRow(StrView action, const Str& zahyoCmd, const RowCheckContext& ctx, Str& x, Str& y);
