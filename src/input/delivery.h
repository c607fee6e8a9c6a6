// Keyboard delivery: key events by SendInput, key messages to one window,
// keybd_event, and the sound player. They take the services they use; none
// of them throws.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/os.h"
#include "platform/text.h"

// One press or release of key through SendInput. True.
bool sendInputKey(os::Services& os, int16_t key, bool up);

// One SendInput call with count records: keys[i] pressed, or released when
// ups[i] is not 0. Records beyond either array are not sent.
void sendInputKeys(os::Services& os, int32_t count, const std::vector<int16_t>& keys,
                   const std::vector<int16_t>& ups);

// One key as a message to window: letters and digits as a character on the
// press (nothing on the release), other keys as system key down/up. A
// repeat is a press of a key already down, as a held key repeats: its
// message carries the previous-state bit. A target that does not answer in
// time is given up; the result is true either way, as a message that is
// not handled goes unnoticed too.
bool sendKeyMessage(os::Services& os, int16_t key, bool up, uint64_t window, bool repeat = false);

// One press or release through keybd_event, with the scan code and the
// extended flag a keyboard sends for the key.
void sendKeybdEvent(os::Services& os, uint8_t vk, bool up);

// The routes of a key list's keys: "ｷｰ入力_改" by SendInput, "ｷｰ入力_真"
// as messages to one window, "ｷｰ入力" and "ﾊﾟｽﾜｰﾄﾞ入力" by keybd_event.
enum class KeyRoute : uint8_t { SendInput, Message, KeybdEvent };

// One press, repeat or release of vk by route (window: where messages go).
// A repeat is a press of a key already down: the system marks it as one
// for the injected routes, the message carries the mark itself.
enum class KeyStroke : uint8_t { Press, Repeat, Release };
void sendKey(os::Services& os, KeyRoute route, uint8_t vk, KeyStroke stroke, uint64_t window);

// The time between two repeats of a held key at the keyboard speed setting
// (SPI_GETKEYBOARDSPEED: 0, about 2.5 a second, to 31, about 30 a second),
// in microseconds.
int64_t keyRepeatPeriodUs(uint32_t speed);

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
bool playSoundFile(os::Services& os, const Str& file);
