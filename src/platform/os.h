// The operating-system services port: input injection, key state, windows,
// cursor, screen, processes, sound, power-off, clock, sleep and files.
// The application sees only this interface; win32/ implements it for real,
// headless/ in memory for tests. Values keep their Win32 meaning (virtual-key
// codes, mouse_event flags, message numbers) because macros store them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/text.h"

namespace os {

using WindowHandle = std::uint64_t;  // 0 = none
using ThreadId = std::uint32_t;

// Win32 constants the application passes through unchanged.
namespace k {
constexpr uint32_t KEYEVENTF_EXTENDEDKEY = 0x0001;
constexpr uint32_t KEYEVENTF_KEYUP = 0x0002;
constexpr uint32_t KEYEVENTF_UNICODE = 0x0004;
constexpr uint32_t MOUSEEVENTF_MOVE = 0x0001;
constexpr uint32_t MOUSEEVENTF_LEFTDOWN = 0x0002;
constexpr uint32_t MOUSEEVENTF_LEFTUP = 0x0004;
constexpr uint32_t MOUSEEVENTF_RIGHTDOWN = 0x0008;
constexpr uint32_t MOUSEEVENTF_RIGHTUP = 0x0010;
constexpr uint32_t MOUSEEVENTF_MIDDLEDOWN = 0x0020;
constexpr uint32_t MOUSEEVENTF_MIDDLEUP = 0x0040;
constexpr uint32_t MOUSEEVENTF_VIRTUALDESK = 0x4000;
constexpr uint32_t MOUSEEVENTF_ABSOLUTE = 0x8000;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_IME_CHAR = 0x0286;
constexpr int GW_HWNDFIRST = 0;
constexpr int GW_HWNDNEXT = 2;
constexpr int64_t HWND_TOPMOST = -1;
constexpr int64_t HWND_NOTOPMOST = -2;
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;
constexpr uint32_t SWP_NOACTIVATE = 0x0010;
constexpr uint32_t EWX_LOGOFF = 0, EWX_SHUTDOWN = 1, EWX_REBOOT = 2, EWX_FORCE = 4, EWX_POWEROFF = 8;
constexpr uint32_t SND_ASYNC = 0x0001;
constexpr int SW_SHOWNORMAL = 1;
constexpr int VK_PAUSE = 0x13;
}  // namespace k

// How a top-level window stands on the screen: enough to tell a window the
// user works in from the system's own and from hidden or parked ones.
struct WindowStyle {
    bool visible = false;     // shown, and not kept hidden by the system (cloaked)
    bool minimized = false;
    bool toolWindow = false;  // a floating palette or bar: no taskbar button
    bool shell = false;       // the desktop or the taskbar
};

// One keyboard record of SendInput (type INPUT_KEYBOARD).
struct KeyInput {
    uint16_t vk = 0;
    uint16_t scan = 0;
    uint32_t flags = 0;
    friend bool operator==(const KeyInput&, const KeyInput&) = default;
};

// One key event as the system's low-level keyboard hook sees it: before any
// program, typed or injected. A key watcher (raw input) gets the same record
// after the fact, with Shift, Ctrl and Alt named generically (VK_SHIFT ...):
// the scan code (the make code) and the extended (E0) flag tell the side.
struct RawKey {
    uint16_t vk = 0;         // the hook: left/right keys as themselves (VK_LSHIFT ...)
    uint16_t scan = 0;
    bool up = false;
    bool extended = false;
    bool injected = false;   // sent by a program (SendInput, keybd_event), not typed;
                             // a watcher knows it only for this program's own keys
    uint32_t time = 0;       // the event's time stamp, system milliseconds
    // Presses: what the key types in the window that gets it, by that
    // window's keyboard layout and the keyboard's state then (more than one
    // unit for a surrogate pair, a layout's ligature, or an accent that did
    // not combine and the character), or a VK_PACKET key's character; zeros
    // when it types nothing, and for other injected keys (not read). A dead
    // key has dead set and its accent first.
    char16_t typed[4] = {0, 0, 0, 0};
    bool dead = false;
};

// An observer of the keyboard hook. It runs on the hook's own thread and
// must return within microseconds: the system removes a slow hook without a
// word. Returning true swallows the key (no program gets it).
using KeyObserver = std::function<bool(const RawKey&)>;

// One mouse event as the system's low-level mouse hook sees it: before any
// program, made by the mouse or injected.
struct RawMouse {
    enum Kind : uint8_t {
        Move,
        LeftDown, LeftUp, RightDown, RightUp, MiddleDown, MiddleUp,
        ExtraDown, ExtraUp,   // the side buttons (XBUTTON1, XBUTTON2)
        Wheel, HWheel,        // one turn of the vertical or horizontal wheel
    };
    Kind kind = Move;
    Point pt;                // screen pixels
    bool injected = false;   // sent by a program (SendInput, mouse_event)
    uint32_t time = 0;       // the event's time stamp, system milliseconds, as RawKey's
};

// A watcher of the keyboard (raw input): told of each key after it reached
// the system, never in its way. It runs on the hooks' thread, or for the
// program's own keys on the thread that sends them, and must return within
// microseconds.
using KeyWatcher = std::function<void(const RawKey&)>;

// An observer of the mouse hook, on the same thread and under the same
// rules as a KeyObserver. Returning true swallows the event.
using MouseObserver = std::function<bool(const RawMouse&)>;

// The user's settings for mouse and keyboard that decide what the system
// takes for a double click, a drag and a held key.
struct InputSettings {
    uint32_t doubleClickMs = 500;                       // GetDoubleClickTime
    int32_t doubleClickWidth = 4, doubleClickHeight = 4;  // SM_CXDOUBLECLK, SM_CYDOUBLECLK
    int32_t dragWidth = 4, dragHeight = 4;              // SM_CXDRAG, SM_CYDRAG
    uint32_t keyRepeatDelayMs = 500;                    // SPI_GETKEYBOARDDELAY, in ms
    uint32_t keyRepeatSpeed = 31;                       // SPI_GETKEYBOARDSPEED: 0 (slowest) to 31
};

// Markers shown together and gone together: frames along the inside of
// rectangles, crosses centred on points, and pictures, each shown at its
// rectangle.
struct MarkerSet {
    std::vector<Rect> frames;
    std::vector<Point> points;
    std::vector<ScreenPixels> pictures;
};

// A file being written. Failures throw RtError (disk full, access denied...).
class OutFile {
public:
    virtual ~OutFile() = default;
    virtual void write(std::string_view bytes) = 0;
    virtual void flush() = 0;   // to the disk, not only to the system
    virtual void close() = 0;   // idempotent; the destructor closes silently
};

struct DirEntry {
    Str name;
    bool isDir = false;
    bool hidden = false;
    bool system = false;
};

class Services {
public:
    virtual ~Services() = default;

    // --- keyboard and mouse injection -----------------------------------
    virtual void keybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uintptr_t extra) = 0;
    // One SendInput call carrying the records in order; returns the number
    // of records the system accepted.
    virtual uint32_t sendInput(const std::vector<KeyInput>& records) = 0;
    virtual uint32_t mapVirtualKey(uint32_t code, uint32_t mapType) = 0;
    // Synchronous message to one window with a bounded wait. False when the
    // window did not answer in time (hung) or is gone.
    virtual bool sendMessageKey(WindowHandle h, uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
    virtual void mouseEvent(uint32_t flags, int32_t dx, int32_t dy, uint32_t data, uintptr_t extra) = 0;
    virtual bool setCursorPos(int32_t x, int32_t y) = 0;
    virtual Point getCursorPos() = 0;
    // Bit 0x8000: down now; bit 0x0001: pressed since the previous query of
    // this key by this process (consumed by the query).
    virtual int16_t getAsyncKeyState(int vk) = 0;
    // Can the keyboard layout type c, and with which virtual key and shift
    // state (bit 0 Shift, 1 Ctrl, 2 Alt)? -1 when it cannot.
    virtual int vkKeyScan(char16_t c) = 0;
    // Whether another desktop takes the input now (the secure desktop of a
    // password or elevation prompt): injected input then reaches no window.
    virtual bool inputOnOtherDesktop() = 0;
    // Integrity level (a SECURITY_MANDATORY_*_RID value) of the process that
    // owns window h, or of this process when h is 0; -1 when it cannot be
    // read. The system drops injected input to a window of a higher level.
    virtual int32_t integrityLevel(WindowHandle h) = 0;
    // Process that owns window h; 0 when there is none.
    virtual uint32_t windowProcessId(WindowHandle h) = 0;

    // --- low-level keyboard hook ------------------------------------------------
    // Adds an observer of every key the system delivers. The hook lives on a
    // thread of its own with its own message loop, installed with the first
    // observer, so waits of the user-interface thread never hold up the
    // keyboard. Injected keys pass at once unless injectedToo. Returns an id
    // for removeKeyObserver, 0 when the hook cannot be installed.
    virtual int addKeyObserver(KeyObserver observer, bool injectedToo) = 0;
    // After this returns the observer is never called again.
    virtual void removeKeyObserver(int id) = 0;
    // The same for the mouse: a low-level mouse hook on the keyboard hook's
    // thread, so that key and mouse events reach observers in the order they
    // happened. Installed with the first observer, removed with the last
    // (every mouse move passes through it). 0 when it cannot be installed.
    virtual int addMouseObserver(MouseObserver observer, bool injectedToo) = 0;
    virtual void removeMouseObserver(int id) = 0;
    // Double-click time and rectangle, drag rectangle, key repeat delay and speed.
    virtual InputSettings inputSettings() = 0;

    // --- top-level windows --------------------------------------------------
    virtual WindowHandle getWindow(WindowHandle h, int cmd) = 0;  // GW_HWNDFIRST/GW_HWNDNEXT
    // Whether h names a window that exists now.
    virtual bool isWindow(WindowHandle h) = 0;
    virtual Str getWindowText(WindowHandle h) = 0;   // at most 255 units
    virtual Str getClassName(WindowHandle h) = 0;    // at most 255 units
    virtual WindowHandle windowFromPoint(Point p) = 0;
    virtual WindowHandle getForegroundWindow() = 0;
    // The top-level window that holds h (h itself when it is one); 0 for 0.
    virtual WindowHandle topLevelWindow(WindowHandle h) = 0;
    // Besides the hook calls, a hook observer may call windowFromPoint,
    // getForegroundWindow, topLevelWindow, windowProcessId and windowStyle,
    // and getWindowText for a window of another process: none of them waits
    // for a window's thread.
    virtual bool setForegroundWindow(WindowHandle h) = 0;
    virtual ThreadId getWindowThreadProcessId(WindowHandle h) = 0;
    virtual ThreadId getCurrentThreadId() = 0;
    virtual bool attachThreadInput(ThreadId attach, ThreadId attachTo, bool on) = 0;
    virtual bool setWindowPos(WindowHandle h, int64_t insertAfter, int x, int y, int cx, int cy, uint32_t flags) = 0;
    // Activate the top-level window whose title equals title, without waiting.
    virtual void appActivate(const Str& title) = 0;
    // A top-level window's outer rectangle on the screen; empty when it is gone.
    virtual Rect windowRect(WindowHandle h) = 0;
    // How a top-level window stands; all false when it is gone.
    virtual WindowStyle windowStyle(WindowHandle h) = 0;
    // The screen point of the top left corner of window h's client area;
    // false when h is gone.
    virtual bool clientOrigin(WindowHandle h, Point& out) = 0;
    // The effective DPI of the monitor that holds the largest part of window
    // h (or the nearest one): 96 at 100 %, 144 at 150 %.
    virtual int windowDpi(WindowHandle h) = 0;
    // Restores a minimised window to its place and waits a bounded time for
    // it; true when h is a window that is not minimised afterwards.
    virtual bool restoreWindow(WindowHandle h) = 0;
    // A hook observer may call clientOrigin and windowDpi too: neither
    // waits for a window's thread.

    // --- markers: where a step acts -------------------------------------------
    // A small cross centred on p, or a frame along the inside of r, shown
    // above every window for ms milliseconds and then gone by itself. A
    // marker never takes the focus and never receives a click; a new one
    // replaces the one showing.
    virtual void showPointMarker(Point p, uint32_t ms) = 0;
    virtual void showFrameMarker(const Rect& r, uint32_t ms) = 0;
    // Several at once, under the same rules; they replace the markers showing.
    virtual void showMarkers(const MarkerSet& set, uint32_t ms) = 0;
    virtual void hideMarkers() = 0;

    // --- screen -------------------------------------------------------------
    virtual int32_t screenWidth() = 0;   // primary screen, pixels
    virtual int32_t screenHeight() = 0;
    // The rectangle around all monitors (the virtual desktop); the primary
    // monitor has its top left corner at (0, 0), others may lie left of or
    // above it.
    virtual Rect virtualScreen() = 0;
    // The whole rectangle (not the work area) of the monitor that holds the
    // largest part of a window or a rectangle, or the nearest monitor.
    virtual Rect monitorOfWindow(WindowHandle h) = 0;
    virtual Rect monitorOfRect(const Rect& r) = 0;
    virtual int dpi() = 0;               // pixels per inch of the screen
    // Copies what the screen shows in r, clipped to the virtual desktop,
    // into out (out.rect tells what was taken). False, with out empty, when
    // nothing of r is on the desktop or the system refuses.
    virtual bool captureScreen(const Rect& r, ScreenPixels& out) = 0;

    // --- processes, sound, power ---------------------------------------------
    // Start a program from a command line with a window style, without
    // waiting. Throws RtError (53 file not found, 5 ...) when it cannot.
    virtual void startProgram(const Str& commandLine, int showStyle) = 0;
    virtual bool playSound(const Str& file, uint32_t flags) = 0;
    virtual void beep() = 0;
    virtual bool isWindowsNT() = 0;
    virtual bool enableShutdownPrivilege() = 0;
    virtual bool exitWindowsEx(uint32_t flags) = 0;
    [[noreturn]] virtual void endProcess() = 0;

    // --- time -----------------------------------------------------------------
    virtual void sleep(uint32_t ms) = 0;
    virtual DateTime now() = 0;           // local time, whole seconds
    virtual int64_t monotonicMs() = 0;    // for measurements

    // --- files ------------------------------------------------------------------
    virtual bool fileExists(const Str& path) = 0;        // a file, not a folder
    // The file's attributes: false when nothing exists at path.
    virtual bool fileInfo(const Str& path, DirEntry& out) = 0;
    // Whole file; RtError when it cannot be read.
    virtual std::string readFile(const Str& path) = 0;
    virtual std::unique_ptr<OutFile> createFile(const Str& path) = 0;   // create or truncate
    virtual std::unique_ptr<OutFile> appendFile(const Str& path) = 0;   // create when missing
    // Replace target by source in one step (source is removed).
    virtual void replaceFile(const Str& source, const Str& target) = 0;
    virtual void removeFile(const Str& path) = 0;  // silent when missing
    virtual std::vector<DirEntry> listFolder(const Str& folder) = 0;  // RtError when unreadable
    virtual std::vector<Str> drives() = 0;     // "c:" style, lower case like the drive list
    virtual Str currentFolder() = 0;
    virtual Str programFolder() = 0;           // folder of the executable, no trailing "\"
    virtual Str commandLine() = 0;             // argument text after the program name
    virtual int versionMajor() = 0;
    virtual int versionMinor() = 0;

    // --- keyboard watch without a hook ------------------------------------------
    // Adds a watcher of every key press and release that reaches any program,
    // typed or injected, through raw input: the system posts each key to the
    // hooks' thread and never waits for it, so the keys this program sends
    // cost nothing more, where a low-level hook makes each of them wait for
    // its thread. Keys this program injects through keybdEvent (with extra 0)
    // and sendInput are told at once, on the sending thread, before the call
    // returns, and not again when the system reports them. The process has
    // one raw-input registration for the keyboard, which these watchers
    // share. 0 when raw input cannot be registered.
    virtual int addKeyWatcher(KeyWatcher watcher) = 0;
    // After this returns the watcher is never called again.
    virtual void removeKeyWatcher(int id) = 0;
};

}  // namespace os
