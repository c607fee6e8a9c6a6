// The keyboard watch of the services: raw input on the hooks' thread. A
// message-only window there is registered for the keyboard with
// RIDEV_INPUTSINK, so it gets WM_INPUT for keys going to any program. The
// system posts those and goes on: unlike a low-level hook, nothing waits
// for this thread, the keys this program sends included. Free of
// <windows.h>.
#pragma once

#include <cstdint>

#include "platform/os.h"

namespace win32::keywatch {

// See os::Services.
int addKeyWatcher(os::KeyWatcher watcher);
void removeKeyWatcher(int id);

// The extra information this process puts on the keys it injects. Raw input
// carries it along, which is how the watch knows its own keys: under Wine
// injected keys come with the one keyboard's device handle, like typed ones,
// where Windows gives none, so the handle cannot tell them apart. Distinct
// for every running process.
uint32_t ownMark();

// Tells the watchers, on this thread, of a key this process has just
// injected with the mark (a KEYBDINPUT: virtual key, scan code, flags).
void tellOwnKey(uint16_t vk, uint16_t scan, uint32_t flags);

}  // namespace win32::keywatch
