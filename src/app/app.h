// Starting the program on a pair of platform backends.
#pragma once

#include "platform/os.h"
#include "platform/toolkit.h"

namespace app {

// Creates the main window, runs its start-up and shows it. The caller then
// runs the backend's message loop until the main window has closed. Returns
// false when the program ended during start-up (the first-run notice refused).
bool start(tk::Backend& toolkit, os::Services& services);

// Destroys the main window; call after the message loop has ended and
// before the backends go away.
void finish();

}  // namespace app
