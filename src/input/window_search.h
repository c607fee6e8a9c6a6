// The text side of the window search: cleaning, the split of a search text
// into title and class, and the matching rule.
#pragma once

#include "platform/text.h"

// The text with every NUL character removed.
Str withoutNuls(StrView text);

// Splits at the first ",": before gets what stands before it (the whole
// text when there is none), after what follows it. Neither is trimmed.
void splitAtFirstComma(StrView text, Str& before, Str& after);

// A window (cleaned title and class) matches when the class part is empty
// or equal, and the title part occurs in a non-empty title (case counts).
bool windowMatches(StrView title, StrView className, StrView titlePart, StrView classPart);
