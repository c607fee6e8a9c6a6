// A window of the test program that keeps what it is typed: the target of
// the Windows-side typing tests. Its title never changes and it takes every
// character at once, so it measures a rate that an editor would hold back.
// Free of <windows.h>.
#pragma once

#include <cstdint>

#include "platform/os.h"

namespace win32::probe {

class TypingTarget {
public:
    // A shown top-level window of this thread with the title (it takes the
    // keyboard when it is brought to the front). Its characters arrive
    // while the thread dispatches messages (probe::pump).
    explicit TypingTarget(const Str& title);
    ~TypingTarget();
    TypingTarget(const TypingTarget&) = delete;
    TypingTarget& operator=(const TypingTarget&) = delete;

    os::WindowHandle handle() const { return hwnd_; }
    // The characters so far (WM_CHAR), in order.
    const Str& typed() const { return typed_; }
    // Milliseconds of the monotonic clock when the first and the last
    // character came (0 before the first).
    int64_t firstMs() const { return firstMs_; }
    int64_t lastMs() const { return lastMs_; }

    void received(char16_t c, int64_t ms);  // called by the window

private:
    os::WindowHandle hwnd_ = 0;
    Str typed_;
    int64_t firstMs_ = 0, lastMs_ = 0;
};

}  // namespace win32::probe
