// Scan codes and the extended flag of injected keys.
#include "input/physical_keys.h"

namespace keys {

namespace {
constexpr uint16_t VK_CANCEL = 0x03, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
                   VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D,
                   VK_DELETE = 0x2E, VK_DIVIDE = 0x6F, VK_NUMLOCK = 0x90, VK_RCONTROL = 0xA3, VK_RMENU = 0xA5;
// PrintScreen is E0 37 on the keyboard; the layout answers with the scan
// code of Alt+PrintScreen (SysRq, 54), which programs do not read as it.
constexpr uint16_t kPrintScreenScan = 0x37;

// Set-1 scan codes of the keys that sit at the same place on every layout
// (the keypad, the navigation block, right Ctrl and Alt, Break), for a
// layout that has no answer for them: some answer 0 for the keypad keys.
uint16_t fixedScan(uint16_t vk) {
    static constexpr uint8_t keypad[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    if (vk >= 0x60 && vk <= 0x69) return keypad[vk - 0x60];
    switch (vk) {
        case VK_CANCEL: return 0x46;
        case VK_PRIOR: return 0x49;
        case VK_NEXT: return 0x51;
        case VK_END: return 0x4F;
        case VK_HOME: return 0x47;
        case VK_LEFT: return 0x4B;
        case VK_UP: return 0x48;
        case VK_RIGHT: return 0x4D;
        case VK_DOWN: return 0x50;
        case VK_INSERT: return 0x52;
        case VK_DELETE: return 0x53;
        case 0x6A: return 0x37;  // keypad *
        case 0x6B: return 0x4E;  // keypad +
        case 0x6D: return 0x4A;  // keypad -
        case 0x6E: return 0x53;  // keypad .
        case VK_DIVIDE: return 0x35;
        case VK_NUMLOCK: return 0x45;
        case VK_RCONTROL: return 0x1D;
        case VK_RMENU: return 0x38;
        default: return 0;
    }
}
}  // namespace

bool isExtendedKey(uint16_t vk) {
    switch (vk & 0xFF) {
        case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
        case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        case VK_NUMLOCK: case VK_DIVIDE: case VK_RCONTROL: case VK_RMENU: case VK_CANCEL: case VK_SNAPSHOT:
            return true;
        default:
            return false;
    }
}

PhysicalKey physicalKey(uint16_t vk, const std::function<uint32_t(uint32_t)>& toScan) {
    const uint16_t code = vk & 0xFF;
    PhysicalKey k;
    k.extended = isExtendedKey(code);
    k.scan = code == VK_SNAPSHOT ? kPrintScreenScan : uint16_t(toScan(code) & 0xFF);
    if (k.scan == 0) k.scan = fixedScan(code);
    return k;
}

PhysicalKey physicalKey(uint16_t vk, os::Services& os) {
    return physicalKey(vk, [&](uint32_t code) { return os.mapVirtualKey(code, 0); });
}

uint32_t keyEventFlags(const PhysicalKey& k, bool up) {
    return (k.extended ? os::k::KEYEVENTF_EXTENDEDKEY : 0) | (up ? os::k::KEYEVENTF_KEYUP : 0);
}

intptr_t keyMessageLParam(const PhysicalKey& k, bool up, bool repeat) {
    uint32_t l = 1u | uint32_t(k.scan & 0xFF) << 16;
    if (k.extended) l |= 1u << 24;
    if (up) l |= 1u << 30 | 1u << 31;
    if (repeat) l |= 1u << 30;
    // Zero-extended, as the system passes the 32 bits of a key message.
    return intptr_t(uintptr_t(l));
}

}  // namespace keys
