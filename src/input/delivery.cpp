// Keyboard delivery routes and sound.
#include "input/delivery.h"

#include "input/physical_keys.h"
#include "platform/toolkit.h"

bool MF_SendInputKey(os::Services& os, int16_t int_Key, StrView str_Mode) {
    std::vector<int16_t> keys{int_Key};
    std::vector<int16_t> ups{int16_t(str_Mode == u"DOWN" ? 0 : 1)};
    MS_SendInputKeys(os, 1, keys, ups);
    return true;
}

void MS_SendInputKeys(os::Services& os, int32_t lng_Count, const std::vector<int16_t>& int_Keys,
                      const std::vector<int16_t>& int_Ups) {
    try {
        size_t n = lng_Count < 0 ? 0 : size_t(lng_Count);
        n = std::min({n, int_Keys.size(), int_Ups.size()});
        if (n == 0) return;
        std::vector<os::KeyInput> records(n);
        for (size_t i = 0; i < n; ++i) {
            // Key codes go as their low byte, with the scan code and the
            // extended flag a keyboard sends for the key.
            uint16_t vk = uint16_t(uint16_t(int_Keys[i]) & 0xFF);
            const keys::PhysicalKey k = keys::physicalKey(vk, os);
            records[i].vk = vk;
            records[i].scan = k.scan;
            records[i].flags = keys::keyEventFlags(k, int_Ups[i] != 0);
        }
        os.sendInput(records);
    } catch (const std::exception&) {
        // Delivery failures go unnoticed, as the system does not report them either.
    }
}

bool MF_SendMessageKey(os::Services& os, int16_t int_Key, StrView str_Mode, uint64_t lng_hWnd) {
    try {
        bool down = str_Mode == u"DOWN";
        uint32_t msg;
        if (int_Key < 48 || int_Key > 90) {
            msg = down ? os::k::WM_SYSKEYDOWN : os::k::WM_SYSKEYUP;
        } else {
            if (!down) return true;
            msg = os::k::WM_IME_CHAR;
        }
        // lParam as the keyboard fills it, so a target that reads the scan
        // code or the extended bit of a key message finds the key there.
        const uint16_t vk = uint16_t(int_Key) & 0xFF;
        os.sendMessageKey(lng_hWnd, msg, uintptr_t(vk), keys::keyMessageLParam(keys::physicalKey(vk, os), !down));
    } catch (const std::exception&) {
    }
    return true;
}

void sendKeybdEvent(os::Services& os, uint8_t vk, bool up) {
    const keys::PhysicalKey k = keys::physicalKey(vk, os);
    os.keybdEvent(vk, uint8_t(k.scan), keys::keyEventFlags(k, up), 0);
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

bool MF_PlaySound(os::Services& os, const Str& str_File) {
    try {
        if (str_File.empty()) return false;
        os::DirEntry e;
        if (!os.fileInfo(str_File, e) || e.isDir || e.hidden || e.system) return false;
        return os.playSound(str_File, os::k::SND_ASYNC);
    } catch (const std::exception&) {
        return false;
    }
}
