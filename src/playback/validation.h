// Checks before a run: the split of a command text at its commas.
#pragma once

#include <vector>

#include "platform/text.h"

// Empties parts, then stores the pieces of str_In between commas into
// parts[1], parts[2], ... (parts[0] stays empty). RtError 9 when the text
// has more pieces than parts can hold.
void MS_StrSplit(StrView str_In, std::vector<Str>& parts);
