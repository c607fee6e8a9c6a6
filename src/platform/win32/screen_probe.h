// Helpers for the Windows-side tests of screen capture and the frozen-screen
// overlay. Free of <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/os.h"

namespace win32::probe {

// A top-level window above all others that shows exactly the given pixels
// (0xRRGGBB, row by row): a known picture at a known place of the screen.
class PictureWindow {
public:
    PictureWindow(os::Rect where, std::vector<uint32_t> pixels);
    ~PictureWindow();
    PictureWindow(const PictureWindow&) = delete;
    PictureWindow& operator=(const PictureWindow&) = delete;
    os::WindowHandle handle() const { return hwnd_; }
    const std::vector<uint32_t>& pixels() const { return pixels_; }

private:
    os::WindowHandle hwnd_ = 0;
    std::vector<uint32_t> pixels_;
    int width_ = 0;
    friend struct PictureAccess;
};

// Where an edit control (of any process) draws the character at index:
// the top left of its cell, in screen pixels.
os::Point editCharPosition(os::WindowHandle edit, int index);

// The frozen-screen overlay showing now, 0 when none.
os::WindowHandle snapshotOverlay();

// Calls call once after ms milliseconds from this thread's message loop,
// whichever loop runs then (a modal one too). The destructor cancels it.
class LaterCall {
public:
    LaterCall(uint32_t ms, std::function<void()> call);
    ~LaterCall();
    LaterCall(const LaterCall&) = delete;
    LaterCall& operator=(const LaterCall&) = delete;

private:
    uintptr_t id_ = 0;
};

}  // namespace win32::probe
