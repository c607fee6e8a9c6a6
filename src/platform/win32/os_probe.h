// Observation and set-up helpers for the Windows-side tests: they look at
// real windows, processes and files from outside the services port, so a
// test can check what the services did. Free of <windows.h>.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.h"

namespace win32::probe {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

bool isWindow(os::WindowHandle h);
bool isVisible(os::WindowHandle h);
bool isTopmost(os::WindowHandle h);   // WS_EX_TOPMOST
bool isMinimized(os::WindowHandle h);
void minimize(os::WindowHandle h);
Rect windowRect(os::WindowHandle h);  // screen coordinates
uint32_t processIdOf(os::WindowHandle h);
// First descendant window of the class (any depth), 0 if none.
os::WindowHandle findChild(os::WindowHandle parent, const Str& className);
// The same, among the controls whose text is text.
os::WindowHandle findChild(os::WindowHandle parent, const Str& className, const Str& text);
// Text of a window or control, also of another process (WM_GETTEXT).
Str controlText(os::WindowHandle h);
bool setControlText(os::WindowHandle h, const Str& text);
// WM_CLOSE without waiting.
void postClose(os::WindowHandle h);
// The session-end messages as Windows sends them (reasons: the ENDSESSION_*
// bits). The query gives the window's answer, -1 when it gave none within
// ms; the end waits at most ms.
long querySessionEnd(os::WindowHandle h, uint32_t reasons, uint32_t ms);
void endSession(os::WindowHandle h, bool ending, uint32_t reasons, uint32_t ms);
bool terminateProcess(uint32_t pid);

// Dispatches this thread's messages for about ms milliseconds.
void pump(uint32_t ms);

// A plain top-level window of this thread (shown, not active).
os::WindowHandle createWindow(const Str& title, int x, int y, int w, int h);
void destroyWindow(os::WindowHandle h);

// One key message as a window received it.
struct KeyMessage {
    uint32_t message = 0;  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP or WM_IME_CHAR
    uint32_t wParam = 0;
    uint32_t lParam = 0;
    uint32_t scan() const { return (lParam >> 16) & 0xFF; }
    bool extended() const { return ((lParam >> 24) & 1) != 0; }
};

// A top-level window of this thread that records every key message it is
// given and handles the system keys itself, so that Alt+F4 does not close
// it and Alt does not open a menu.
class KeyLogWindow {
public:
    explicit KeyLogWindow(const Str& title);
    ~KeyLogWindow();
    KeyLogWindow(const KeyLogWindow&) = delete;
    KeyLogWindow& operator=(const KeyLogWindow&) = delete;
    os::WindowHandle handle() const { return hwnd_; }
    // Foreground and keyboard focus; false when the system refused.
    bool bringToFront();
    // The messages received so far, in order; the log starts anew.
    std::vector<KeyMessage> take();

private:
    os::WindowHandle hwnd_ = 0;
    std::vector<KeyMessage> log_;
    friend struct KeyLogAccess;
};

// A top-level window whose thread never reads its messages: it stands for a
// hung program. The thread is stopped by the destructor.
class UnresponsiveWindow {
public:
    UnresponsiveWindow();
    ~UnresponsiveWindow();
    UnresponsiveWindow(const UnresponsiveWindow&) = delete;
    UnresponsiveWindow& operator=(const UnresponsiveWindow&) = delete;
    os::WindowHandle handle() const { return hwnd_; }

private:
    void* thread_ = nullptr;
    void* stopEvent_ = nullptr;
    os::WindowHandle hwnd_ = 0;
};

// A child process started in a given working folder.
class Process {
public:
    // Throws RtError when the program cannot be started.
    Process(const Str& commandLine, const Str& workingFolder);
    ~Process();  // leaves the process running
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    uint32_t id() const { return pid_; }
    // Exit code, or -1 when still running after ms milliseconds.
    long wait(uint32_t ms);
    void kill();

private:
    void* process_ = nullptr;
    uint32_t pid_ = 0;
};

// A file kept open for reading and writing without delete sharing, as an
// editor or a scanner would hold it: it can be neither replaced nor deleted.
class HeldFile {
public:
    // Throws RtError when it cannot open. Without readers the file cannot
    // be read either, as while another program writes it.
    explicit HeldFile(const Str& path, bool allowReaders = true);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    void* handle_ = nullptr;
};

bool setReadOnly(const Str& path, bool on);
// Whether the file opens for writing right now.
bool writable(const Str& path);

// A new empty folder under the user's temporary folder; removeTree deletes
// it with everything inside.
Str makeTempFolder(const Str& prefix);
void removeTree(const Str& folder);

// Raw bytes of a resource (type and id numbers) in an executable file;
// empty when it has none.
std::string resourceBytes(const Str& exePath, int type, int id);

// Text of the last Win32 error, for test diagnostics.
Str lastErrorText();

}  // namespace win32::probe
