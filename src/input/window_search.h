// The text side of the window search: cleaning, the split of a search text
// into title and class, and the matching rule.
#pragma once

#include "platform/text.h"

// The text with every NUL character removed.
Str MF_NullDel(StrView str_In);

// Splits at the first ",": str_Before gets what stands before it (the whole
// text when there is none), str_After what follows it. Neither is trimmed.
void MS_Kanma_Bunkatu(StrView str_In, Str& str_Before, Str& str_After);

// A window (cleaned title and class) matches when the class part is empty
// or equal, and the title part occurs in a non-empty title (case counts).
bool windowMatches(StrView title, StrView className, StrView titlePart, StrView classPart);
