// What a key types.
#include "platform/win32/os_typed.h"

#include <windows.h>

namespace win32::typed {
namespace {

// ToUnicodeEx then leaves the keyboard state alone (Windows 10 1607 and
// later). Without it a dead key translated here would be taken from the
// window, and the user's next letter would lose its accent.
constexpr UINT kKeepState = 0x4;

// The flag came with Windows 10 1607, as did GetDpiForSystem.
bool keepsState() {
    static const bool yes = GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem") != nullptr;
    return yes;
}

bool typesNothing(DWORD vk) {
    switch (vk) {
        case VK_SHIFT: case VK_CONTROL: case VK_MENU:
        case VK_LSHIFT: case VK_RSHIFT: case VK_LCONTROL: case VK_RCONTROL: case VK_LMENU: case VK_RMENU:
        case VK_LWIN: case VK_RWIN: case VK_CAPITAL: case VK_NUMLOCK: case VK_SCROLL:
            return true;
        default:
            return false;
    }
}

// The keyboard as the key finds it: the modifiers down now (the hook runs
// before the key itself counts) and the lock keys as they stand.
void keyboardState(BYTE (&state)[256]) {
    for (int vk : {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU})
        if (GetAsyncKeyState(vk) & 0x8000) state[vk] = 0x80;
    state[VK_SHIFT] = state[VK_LSHIFT] | state[VK_RSHIFT];
    state[VK_CONTROL] = state[VK_LCONTROL] | state[VK_RCONTROL];
    state[VK_MENU] = state[VK_LMENU] | state[VK_RMENU];
    for (int vk : {VK_CAPITAL, VK_NUMLOCK, VK_KANA}) state[vk] = BYTE(GetKeyState(vk) & 1);
}

}  // namespace

void read(os::RawKey& k) {
    if (k.up) return;
    if (k.vk == VK_PACKET) {
        // Such a key carries its character in place of a scan code.
        k.typed[0] = char16_t(k.scan);
        return;
    }
    // Reading costs this thread some tenths of a millisecond under Wine:
    // paid for the keys people type, not for those programs send, this one
    // among them, a thousand a second.
    if (k.injected || typesNothing(k.vk)) return;
    const HWND front = GetForegroundWindow();
    const HKL layout = GetKeyboardLayout(front ? GetWindowThreadProcessId(front, nullptr) : 0);
    if (!keepsState()) {
        // Older systems: a dead key is known by the layout's table and not
        // translated, and neither is the key after it, which would take the
        // accent from the window. Both are left for the caller to guess.
        static bool afterDead = false;  // the hook's thread only
        const UINT c = MapVirtualKeyExW(k.vk, MAPVK_VK_TO_CHAR, layout);
        if (c & 0x80000000u) {
            k.dead = true;
            k.typed[0] = char16_t(c & 0xFFFF);
            afterDead = true;
            return;
        }
        if (afterDead) {
            afterDead = false;
            return;
        }
    }
    BYTE state[256] = {};
    keyboardState(state);
    WCHAR out[8] = {};
    const int n = ToUnicodeEx(k.vk, k.scan, state, out, 8, keepsState() ? kKeepState : 0, layout);
    if (n < 0) {
        k.dead = true;
        k.typed[0] = char16_t(out[0]);
        return;
    }
    for (int i = 0; i < n && i < 4; ++i) k.typed[i] = char16_t(out[i]);
}

}  // namespace win32::typed
