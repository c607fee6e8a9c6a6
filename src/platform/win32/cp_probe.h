// What the system's own CP932 conversion makes of text, for the tests that
// hold the program's codec against it. Free of <windows.h>.
#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"

namespace win32::probe {

struct SystemBytes {
    std::string bytes;
    bool usedDefault = false;  // a character had no CP932 form
};

// WideCharToMultiByte(932) without best-fit substitutes.
SystemBytes systemToCp932(StrView s);
// MultiByteToWideChar(932) without flags.
Str systemFromCp932(std::string_view bytes);

}  // namespace win32::probe
