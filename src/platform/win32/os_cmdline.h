// Argument text of a Windows command line (free of <windows.h> so tests can
// call it directly).
#pragma once

#include "platform/text.h"

namespace win32 {

// The text after the program name: a program name in double quotes ends at
// the closing quote, an unquoted one at the first blank or tab; then one
// separating blank or tab is dropped. The rest is kept exactly, including
// further blanks and quotes.
Str argumentsOf(StrView commandLine);

}  // namespace win32
