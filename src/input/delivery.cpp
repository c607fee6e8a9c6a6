// Keyboard delivery routes and sound.
#include "input/delivery.h"

#include <algorithm>
#include <cmath>

#include "input/physical_keys.h"
#include "platform/toolkit.h"

bool sendInputKey(os::Services& os, int16_t key, bool up) {
    sendInputKeys(os, 1, {key}, {int16_t(up ? 1 : 0)});
    return true;
}

void sendInputKeys(os::Services& os, int32_t count, const std::vector<int16_t>& keyCodes,
                   const std::vector<int16_t>& ups) {
    try {
        size_t n = count < 0 ? 0 : size_t(count);
        n = std::min({n, keyCodes.size(), ups.size()});
        if (n == 0) return;
        std::vector<os::KeyInput> records(n);
        for (size_t i = 0; i < n; ++i) {
            // Key codes go as their low byte, with the scan code and the
            // extended flag a keyboard sends for the key.
            uint16_t vk = uint16_t(uint16_t(keyCodes[i]) & 0xFF);
            const keys::PhysicalKey k = keys::physicalKey(vk, os);
            records[i].vk = vk;
            records[i].scan = k.scan;
            records[i].flags = keys::keyEventFlags(k, ups[i] != 0);
        }
        os.sendInput(records);
    } catch (const std::exception&) {
        // Delivery failures go unnoticed, as the system does not report them either.
    }
}

bool sendKeyMessage(os::Services& os, int16_t key, bool up, uint64_t window, bool repeat) {
    try {
        const bool down = !up;
        uint32_t msg;
        if (key < 48 || key > 90) {
            msg = down ? os::k::WM_SYSKEYDOWN : os::k::WM_SYSKEYUP;
        } else {
            if (!down) return true;
            msg = os::k::WM_IME_CHAR;
        }
        // lParam as the keyboard fills it, so a target that reads the scan
        // code or the extended bit of a key message finds the key there.
        const uint16_t vk = uint16_t(key) & 0xFF;
        os.sendMessageKey(window, msg, uintptr_t(vk), keys::keyMessageLParam(keys::physicalKey(vk, os), !down, repeat));
    } catch (const std::exception&) {
    }
    return true;
}

void sendKeybdEvent(os::Services& os, uint8_t vk, bool up) {
    const keys::PhysicalKey k = keys::physicalKey(vk, os);
    os.keybdEvent(vk, uint8_t(k.scan), keys::keyEventFlags(k, up), 0);
}

void sendKey(os::Services& os, KeyRoute route, uint8_t vk, KeyStroke stroke, uint64_t window) {
    const bool up = stroke == KeyStroke::Release;
    switch (route) {
        case KeyRoute::SendInput: sendInputKey(os, vk, up); break;
        case KeyRoute::Message: sendKeyMessage(os, vk, up, window, stroke == KeyStroke::Repeat); break;
        case KeyRoute::KeybdEvent: sendKeybdEvent(os, vk, up); break;
    }
}

int64_t keyRepeatPeriodUs(uint32_t speed) {
    // The setting is linear in repeats a second between its two ends.
    const double perSecond = 2.5 + double(std::min<uint32_t>(speed, 31)) * (30.0 - 2.5) / 31.0;
    return std::llround(1e6 / perSecond);
}

Str sendKeysErrorMessage(int number, const Str& description) {
    return u"エラー(SendKeys)\r\n" + toStr((long long)number) + u"\r\n" + description;
}

KeystrokeFailure keystrokeFailure(int number, const Str& description) {
    if (number == err::PermissionDenied)
        return {u"SendKeysでエラーが発生しました。(" + description + u")\r\n" +
                    u"TOVIRAK.exeフォルダにあるMSVBVM60.DLLとVB6JP.DLLを削除して実行してみてください。",
                tk::mb::OK | tk::mb::Information};
    return {sendKeysErrorMessage(number, description), tk::mb::OK};
}

bool playSoundFile(os::Services& os, const Str& file) {
    try {
        if (file.empty()) return false;
        os::DirEntry e;
        if (!os.fileInfo(file, e) || e.isDir || e.hidden || e.system) return false;
        return os.playSound(file, os::k::SND_ASYNC);
    } catch (const std::exception&) {
        return false;
    }
}
