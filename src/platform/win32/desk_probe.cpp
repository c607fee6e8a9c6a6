// Test-side view of the desk and of a program file's resources (see
// desk_probe.h).
#include "platform/win32/desk_probe.h"

#include <windows.h>

#include <cstdint>

namespace win32::probe {

namespace {

std::wstring wide(const Str& s) { return std::wstring(s.begin(), s.end()); }
Str narrow(const wchar_t* s) { return s ? Str(reinterpret_cast<const char16_t*>(s)) : Str(); }

// An executable's resources, without running it.
struct ResourceFile {
    HMODULE h;
    explicit ResourceFile(const Str& exe)
        : h(LoadLibraryExW(wide(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ResourceFile() {
        if (h) FreeLibrary(h);
    }
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;
};

// The layout of an icon group in a program file.
#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

// An icon's colour and mask as 32-bit pixels, top row first; empty when the
// icon cannot be read.
std::vector<uint32_t> pixelsOf(HICON icon) {
    std::vector<uint32_t> out;
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return out;
    HDC dc = GetDC(nullptr);
    for (HBITMAP bm : {info.hbmColor, info.hbmMask}) {
        BITMAP b{};
        if (!bm || !GetObjectW(bm, sizeof b, &b)) continue;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = b.bmWidth;
        bi.bmiHeader.biHeight = -b.bmHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        std::vector<uint32_t> rows(size_t(b.bmWidth) * size_t(b.bmHeight));
        if (GetDIBits(dc, bm, 0, UINT(b.bmHeight), rows.data(), &bi, DIB_RGB_COLORS) == b.bmHeight) {
            out.push_back(uint32_t(b.bmWidth));
            out.insert(out.end(), rows.begin(), rows.end());
        }
    }
    ReleaseDC(nullptr, dc);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return out;
}

HICON windowIcon(HWND h, bool small) {
    auto shown = reinterpret_cast<HICON>(SendMessageW(h, WM_GETICON, small ? ICON_SMALL : ICON_BIG, 0));
    if (shown) return shown;
    return reinterpret_cast<HICON>(GetClassLongPtrW(h, small ? GCLP_HICONSM : GCLP_HICON));
}

}  // namespace

Desk desk() {
    Desk d;
    d.ansiCodePage = GetACP();
    d.uiLanguage = GetUserDefaultUILanguage();
    d.keyboardLayout = LOWORD(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)));
    return d;
}

VersionStrings versionStrings(const Str& exe) {
    VersionStrings v;
    const std::wstring path = wide(exe);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return v;
    std::vector<char> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return v;
    struct Translation {
        WORD language, codePage;
    }* t = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&t), &len) ||
        len < sizeof *t)
        return v;
    auto text = [&](const wchar_t* name) {
        wchar_t key[64];
        swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\%ls", t->language, t->codePage, name);
        wchar_t* value = nullptr;
        UINT n = 0;
        return VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&value), &n) && n > 0 ? narrow(value) : Str();
    };
    v.fileVersion = text(L"FileVersion");
    v.productName = text(L"ProductName");
    return v;
}

std::vector<int> iconSizes(const Str& exe, int id) {
    std::vector<int> sizes;
    ResourceFile f(exe);
    if (!f.h) return sizes;
    HRSRC r = FindResourceW(f.h, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    HGLOBAL g = r ? LoadResource(f.h, r) : nullptr;
    const auto* head = g ? static_cast<const GroupHeader*>(LockResource(g)) : nullptr;
    if (!head || SizeofResource(f.h, r) < sizeof *head + head->count * sizeof(GroupEntry)) return sizes;
    const auto* e = reinterpret_cast<const GroupEntry*>(head + 1);
    for (WORD i = 0; i < head->count; ++i) sizes.push_back(e[i].width ? e[i].width : 256);
    return sizes;
}

bool showsIcon(os::WindowHandle h, const Str& exe, int id) {
    ResourceFile f(exe);
    if (!f.h) return false;
    HWND w = reinterpret_cast<HWND>(static_cast<uintptr_t>(h));
    for (bool small : {false, true}) {
        const int cx = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
        const int cy = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
        HICON want = static_cast<HICON>(LoadImageW(f.h, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
        const std::vector<uint32_t> expected = pixelsOf(want);
        if (want) DestroyIcon(want);
        const std::vector<uint32_t> shown = pixelsOf(windowIcon(w, small));
        if (expected.empty() || shown != expected) return false;
    }
    return true;
}

int defaultButton(os::WindowHandle dialog) {
    // The button drawn as the default one, which Enter presses.
    struct Found {
        int id = 0;
    } found;
    EnumChildWindows(
        reinterpret_cast<HWND>(static_cast<uintptr_t>(dialog)),
        [](HWND h, LPARAM lp) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            if (lstrcmpiW(cls, L"Button") != 0 || (GetWindowLongW(h, GWL_STYLE) & 0x0F) != BS_DEFPUSHBUTTON) return TRUE;
            reinterpret_cast<Found*>(lp)->id = GetDlgCtrlID(h);
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.id;
}

}  // namespace win32::probe
