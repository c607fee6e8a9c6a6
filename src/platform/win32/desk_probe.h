// What kind of Windows the tests run on (language, code page, keyboard
// layout), what the system reads from a program file's resources, and the
// default button of a dialog. Free of <windows.h>.
#pragma once

#include <vector>

#include "platform/os.h"
#include "platform/text.h"

namespace win32::probe {

struct Desk {
    unsigned ansiCodePage = 0;    // GetACP
    unsigned uiLanguage = 0;      // GetUserDefaultUILanguage, a LANGID
    unsigned keyboardLayout = 0;  // language of the thread's keyboard layout, a LANGID
    bool japanese() const { return (uiLanguage & 0x3FF) == 0x11; }
};
Desk desk();

// The FileVersion and ProductName strings of an executable's version
// resource, empty when it has none.
struct VersionStrings {
    Str fileVersion, productName;
};
VersionStrings versionStrings(const Str& exe);

// Widths of the images of icon group id in an executable (256 for the
// largest size), empty when the group is missing.
std::vector<int> iconSizes(const Str& exe, int id);

// Whether the large and the small icon a window shows (its own or its
// class's) are the images of icon group id of exe at the system's icon
// sizes, pixel for pixel.
bool showsIcon(os::WindowHandle h, const Str& exe, int id);

// The control id of the button a dialog draws as its default, the one Enter
// presses (IDYES 6, IDNO 7 ...); 0 when it has none.
int defaultButton(os::WindowHandle dialog);

}  // namespace win32::probe
