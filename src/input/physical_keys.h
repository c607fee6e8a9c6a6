// How a real keyboard sends a virtual key: the scan code the layout gives it
// and whether it comes from the keyboard's extended block (the keys whose
// scan code carries the E0 prefix). Every route that injects keys builds its
// events from here, so a program sees the same key whichever route typed it:
// End as End and not as keypad 1, Enter as the main Enter, Ctrl as left Ctrl.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/os.h"

namespace keys {

struct PhysicalKey {
    uint16_t scan = 0;
    bool extended = false;
    friend bool operator==(const PhysicalKey&, const PhysicalKey&) = default;
};

// Whether vk is sent from the extended block: Insert, Delete, Home, End,
// PageUp, PageDown, the four arrows, NumLock, keypad Divide, right Ctrl,
// right Alt, Break and PrintScreen. The generic Shift, Ctrl and Alt are the
// left keys, which are not extended.
bool isExtendedKey(uint16_t vk);

// Scan code and extended flag of vk (its low byte). toScan is the layout's
// answer for a virtual key (MapVirtualKey with MAPVK_VK_TO_VSC), which gives
// the left key for the generic modifiers; where it has none, a key that sits
// at the same place on every keyboard (the keypad, the navigation block)
// gets its set-1 code.
PhysicalKey physicalKey(uint16_t vk, const std::function<uint32_t(uint32_t)>& toScan);
PhysicalKey physicalKey(uint16_t vk, os::Services& os);

// keybd_event and SendInput flags of a press or a release of the key.
uint32_t keyEventFlags(const PhysicalKey& k, bool up);

// lParam of a key message as the system fills it for a keystroke: repeat
// count 1, the scan code, the extended bit, for a release the previous
// state and transition bits, and for a repeated press (a held key) the
// previous state bit. The context bit (Alt held) stays 0, as for a system
// key message sent to a window without the keyboard focus.
intptr_t keyMessageLParam(const PhysicalKey& k, bool up, bool repeat = false);

}  // namespace keys
