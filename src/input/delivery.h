// Keyboard delivery of the standard module: key events by SendInput, key
// messages to one window, and the sound player. They take the services they
// use; none of them throws.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/os.h"
#include "platform/text.h"

// One press ("DOWN") or release (any other mode) through SendInput. True.
bool MF_SendInputKey(os::Services& os, int16_t int_Key, StrView str_Mode);

// One SendInput call with lng_Count records: int_Keys(i) pressed, or
// released when int_Ups(i) is not 0. Records beyond either array are not sent.
void MS_SendInputKeys(os::Services& os, int32_t lng_Count, const std::vector<int16_t>& int_Keys,
                      const std::vector<int16_t>& int_Ups);

// One key as a message to lng_hWnd: letters and digits as a character on
// the press (nothing on the release), other keys as system key down/up.
// A target that does not answer in time is given up; the result is True
// either way, as a message that is not handled goes unnoticed too.
bool MF_SendMessageKey(os::Services& os, int16_t int_Key, StrView str_Mode, uint64_t lng_hWnd);

// One press or release through keybd_event, with the scan code and the
// extended flag a keyboard sends for the key.
void sendKeybdEvent(os::Services& os, uint8_t vk, bool up);

// The message of a keystroke-text failure other than a refusal (70).
Str sendKeysErrorMessage(int number, const Str& description);

// What the user is told when the keystroke sender failed: the text and
// the message box style.
struct KeystrokeFailure {
    Str text;
    int style = 0;
};
KeystrokeFailure keystrokeFailure(int number, const Str& description);

// Starts playing a sound file in the background; False when no ordinary
// file of that name exists or the system refuses it.
bool MF_PlaySound(os::Services& os, const Str& str_File);
