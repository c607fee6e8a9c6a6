// What a key types, read by the keyboard hook the moment the key goes down:
// by the keyboard layout of the window that gets it and the keyboard's state,
// without disturbing what the system keeps for dead keys and input methods.
// Free of <windows.h>.
#pragma once

#include "platform/os.h"

namespace win32::typed {

// Fills k.typed and k.dead for a press; a release types nothing. On the
// hook's thread only.
void read(os::RawKey& k);

}  // namespace win32::typed
