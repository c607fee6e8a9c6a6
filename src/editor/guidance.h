// Guidance texts of the status line for the step grid, and the groups of
// actions that the Space key and the set button treat alike.
#pragma once

#include "platform/text.h"

namespace guidance {

// Guidance of a row's action list, by the action shown (table A).
Str forAction(StrView dousa);
// Guidance of a row's command box, by the row's action and the interval
// unit text (table B).
Str forCommand(StrView dousa, StrView tani);
// Guidance of a row's comment box.
Str forComment();

// Actions whose command text is not a screen point and not a window: the
// set button takes no point for them (an image row's takes a picture).
bool isNotCapturable(StrView dousa);
// Actions for which Space in the action list records no cursor position.
bool ignoresSpace(StrView dousa);

}  // namespace guidance
