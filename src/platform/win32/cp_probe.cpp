// Test-side view of the system's CP932 conversion (see cp_probe.h).
#include "platform/win32/cp_probe.h"

#include <windows.h>

namespace win32::probe {

SystemBytes systemToCp932(StrView s) {
    SystemBytes r;
    if (s.empty()) return r;
    const auto* w = reinterpret_cast<const wchar_t*>(s.data());
    const int n = static_cast<int>(s.size());
    // WC_NO_BEST_FIT_CHARS: a character without a form of its own becomes the
    // default character instead of a look-alike, and usedDefault says so.
    BOOL used = FALSE;
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w, n, nullptr, 0, nullptr, &used);
    if (size <= 0) return r;
    r.bytes.resize(static_cast<size_t>(size));
    used = FALSE;
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w, n, r.bytes.data(), size, nullptr, &used);
    r.usedDefault = used != FALSE;
    return r;
}

Str systemFromCp932(std::string_view bytes) {
    if (bytes.empty()) return Str();
    const int n = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(932, 0, bytes.data(), n, nullptr, 0);
    if (size <= 0) return Str();
    std::wstring w(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), n, w.data(), size);
    return Str(w.begin(), w.end());
}

}  // namespace win32::probe
