// Argument text of a Windows command line (free of <windows.h> so tests can
// call it directly).
#pragma once

#include "platform/text.h"

namespace win32 {

// The text after the program name: the program name ends at the first blank
// or tab outside double quotes (quotes toggle, as the C run time reads
// argv[0]); then one separating blank or tab is dropped. The rest is kept
// exactly, including further blanks and quotes.
Str argumentsOf(StrView commandLine);

}  // namespace win32
