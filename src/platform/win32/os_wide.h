// Str <-> wide-character glue for the Win32 backend: on Windows wchar_t is
// a UTF-16 code unit, so the conversion is a reinterpretation.
#pragma once

// os.h names its constants like the Win32 macros: it must be read before
// <windows.h> defines them.
#include "platform/os.h"
#include "platform/text.h"

#include <windows.h>

#include <string>

namespace win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide characters must be UTF-16 units");

inline const wchar_t* wide(const Str& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline Str fromWide(const wchar_t* s, size_t n) { return Str(reinterpret_cast<const char16_t*>(s), n); }
inline Str fromWide(const wchar_t* s) { return s ? Str(reinterpret_cast<const char16_t*>(s)) : Str(); }

inline HWND toHwnd(os::WindowHandle h) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(h)); }
inline os::WindowHandle fromHwnd(HWND h) { return static_cast<os::WindowHandle>(reinterpret_cast<uintptr_t>(h)); }

// Registers a plain top-level window class of this module (arrow cursor,
// window-coloured background) once; a class already there is kept.
inline void registerPlainClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);  // fails harmlessly when already registered
}

// A shown overlapping window of a plain class whose procedure finds owner
// in GWLP_USERDATA (null when it could not be made).
inline HWND createOwnedWindow(const wchar_t* cls, const wchar_t* title, int x, int y, int w, int h, void* owner) {
    HWND wnd = CreateWindowExW(0, cls, title, WS_OVERLAPPEDWINDOW, x, y, w, h, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (wnd) {
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        ShowWindow(wnd, SW_SHOW);
    }
    return wnd;
}

// Owns a kernel handle; INVALID_HANDLE_VALUE and null both mean "none".
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& o) noexcept : h_(o.release()) {}
    Handle& operator=(Handle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~Handle() { reset(); }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }
    // Returns whether closing succeeded (false when there was nothing to close).
    bool reset(HANDLE h = nullptr) {
        bool ok = false;
        if (valid()) ok = CloseHandle(h_) != 0;
        h_ = h;
        return ok;
    }

private:
    HANDLE h_ = nullptr;
};

}  // namespace win32
