// The command text of an image row: "name[,tolerance[,window text]]". The
// name names a picture the document holds; the tolerance is the largest
// difference allowed in each of red, green and blue (empty: the default);
// the window text, everything after the second comma, keeps the search in
// that window (the third part of an anchored point, anchor::splitCommand).
#pragma once

#include "platform/text.h"

struct ImageCommand {
    Str name;              // without blanks at its ends
    bool hasTolerance = false;
    Str tolerance;         // as written
    bool anchored = false;
    Str window;            // as written, commas included
    friend bool operator==(const ImageCommand&, const ImageCommand&) = default;
};

ImageCommand parseImageCommand(StrView command);
// The command text again: the parts that were written, and no more.
Str imageCommandText(const ImageCommand& c);
// The image a command names.
Str imageNameOf(StrView command);
