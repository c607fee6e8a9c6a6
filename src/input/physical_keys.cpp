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
    return k;
}

PhysicalKey physicalKey(uint16_t vk, os::Services& os) {
    return physicalKey(vk, [&](uint32_t code) { return os.mapVirtualKey(code, 0); });
}

uint32_t keyEventFlags(const PhysicalKey& k, bool up) {
    return (k.extended ? os::k::KEYEVENTF_EXTENDEDKEY : 0) | (up ? os::k::KEYEVENTF_KEYUP : 0);
}

intptr_t keyMessageLParam(const PhysicalKey& k, bool up) {
    uint32_t l = 1u | uint32_t(k.scan & 0xFF) << 16;
    if (k.extended) l |= 1u << 24;
    if (up) l |= 1u << 30 | 1u << 31;
    // Zero-extended, as the system passes the 32 bits of a key message.
    return intptr_t(uintptr_t(l));
}

}  // namespace keys
