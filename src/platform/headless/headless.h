// In-memory backends for tests: a scripted desktop, a virtual clock, a trace
// of every injected event, scripted message-box answers and modal forms.
// Nothing here waits on the wall clock: time moves only when a test calls
// advance() or the program sleeps.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/os.h"
#include "platform/toolkit.h"

namespace headless {

struct Window {
    os::WindowHandle handle = 0;
    Str title;
    Str className;
    os::ThreadId thread = 1;
    bool topmost = false;
    int x = 0, y = 0, cx = 640, cy = 480;
    // The top left corner of the client area, from the window's (the frame
    // and the caption above it).
    int clientX = 8, clientY = 31;
    // Child windows under a point (for WindowFromPoint), innermost last.
    bool hung = false;  // does not answer messages
    uint32_t pid = 2;   // owning process
    int32_t integrity = 0x2000;  // its integrity level (medium); -1: cannot be read
    os::WindowStyle style{true, false, false, false};  // shown, normal
};

struct ShownMessage {
    Str text;
    int style = 0;
    Str title;
    int answer = 0;
};

// One file of the in-memory file system.
struct FileFailure {
    // Fail the n-th call (counting from 1) of this kind after arming.
    enum Kind { Create, Write, Flush, Close, Replace, Read, Append } kind;
    int nth = 1;
    int number = err::DiskFull;
};

class Platform;

// Paths compare without regard to ASCII case, as on Windows; keys keep the
// case they were created with.
struct NoCase {
    bool operator()(const Str& a, const Str& b) const;
};
using PathSet = std::set<Str, NoCase>;

class Toolkit final : public tk::Backend {
public:
    explicit Toolkit(Platform& p) : p_(p) {}
    void createForm(tk::Form& f) override;
    void destroyForm(tk::Form& f) override;
    void createControl(tk::Control& c) override;
    void destroyControl(tk::Control&) override {}
    void update(tk::Control& c, tk::Prop p) override;
    void updateMenu(tk::MenuItem&) override {}
    void focus(tk::Control& c) override;
    void showForm(tk::Form& f) override;
    void hideForm(tk::Form& f) override;
    void runModal(tk::Form& f) override;
    void endModal(tk::Form& f) override;
    void repaint(tk::Form& f) override;
    uint64_t nativeHandle(const tk::Form& f) const override;
    void timerChanged(tk::Timer& t) override;
    int messageBox(const Str& text, int style, const Str& title) override;
    void setCapture(tk::Form& f) override;
    void releaseCapture() override;
    void doEvents() override;
    void post(std::function<void()> call) override;
    bool blockSessionEnd(tk::Form& f, const Str& reason) override;
    void unblockSessionEnd(tk::Form& f) override;
    int comboItemHeight(tk::ComboBox&) override { return 12; }
    double twipsPerPixelX() override { return 15; }
    double twipsPerPixelY() override { return 15; }
    void quit() override { quitRequested = true; }
    tk::SnapshotDrag dragOnSnapshot(const os::ScreenPixels& snapshot) override;

    bool quitRequested = false;
    int repaints = 0;
    // Called at every repaint: what the screen shows now.
    std::function<void(tk::Form&)> onRepaint;
    tk::Form* captureForm = nullptr;

private:
    Platform& p_;
};

class Os final : public os::Services {
public:
    explicit Os(Platform& p) : p_(p) {}
    void keybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uintptr_t extra) override;
    uint32_t sendInput(const std::vector<os::KeyInput>& records) override;
    uint32_t mapVirtualKey(uint32_t code, uint32_t mapType) override;
    bool sendMessageKey(os::WindowHandle h, uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    void mouseEvent(uint32_t flags, int32_t dx, int32_t dy, uint32_t data, uintptr_t extra) override;
    bool setCursorPos(int32_t x, int32_t y) override;
    os::Point getCursorPos() override;
    int16_t getAsyncKeyState(int vk) override;
    int vkKeyScan(char16_t c) override;
    bool inputOnOtherDesktop() override;
    int32_t integrityLevel(os::WindowHandle h) override;
    uint32_t windowProcessId(os::WindowHandle h) override;
    int addKeyObserver(os::KeyObserver observer, bool injectedToo) override;
    void removeKeyObserver(int id) override;
    int addMouseObserver(os::MouseObserver observer, bool injectedToo) override;
    void removeMouseObserver(int id) override;
    os::InputSettings inputSettings() override;
    os::WindowHandle getWindow(os::WindowHandle h, int cmd) override;
    bool isWindow(os::WindowHandle h) override;
    Str getWindowText(os::WindowHandle h) override;
    Str getClassName(os::WindowHandle h) override;
    os::WindowHandle windowFromPoint(os::Point p) override;
    os::WindowHandle getForegroundWindow() override;
    os::WindowHandle topLevelWindow(os::WindowHandle h) override;
    bool setForegroundWindow(os::WindowHandle h) override;
    os::ThreadId getWindowThreadProcessId(os::WindowHandle h) override;
    os::ThreadId getCurrentThreadId() override { return 1; }
    bool attachThreadInput(os::ThreadId attach, os::ThreadId attachTo, bool on) override;
    bool setWindowPos(os::WindowHandle h, int64_t insertAfter, int x, int y, int cx, int cy, uint32_t flags) override;
    void appActivate(const Str& title) override;
    os::Rect windowRect(os::WindowHandle h) override;
    os::WindowStyle windowStyle(os::WindowHandle h) override;
    bool clientOrigin(os::WindowHandle h, os::Point& out) override;
    int windowDpi(os::WindowHandle h) override;
    bool restoreWindow(os::WindowHandle h) override;
    void showPointMarker(os::Point p, uint32_t ms) override;
    void showFrameMarker(const os::Rect& r, uint32_t ms) override;
    void hideMarkers() override;
    int32_t screenWidth() override;
    int32_t screenHeight() override;
    os::Rect virtualScreen() override;
    os::Rect monitorOfWindow(os::WindowHandle h) override;
    os::Rect monitorOfRect(const os::Rect& r) override;
    int dpi() override { return 96; }
    bool captureScreen(const os::Rect& r, os::ScreenPixels& out) override;
    void startProgram(const Str& commandLine, int showStyle) override;
    bool playSound(const Str& file, uint32_t flags) override;
    void beep() override;
    bool isWindowsNT() override;
    bool enableShutdownPrivilege() override;
    bool exitWindowsEx(uint32_t flags) override;
    [[noreturn]] void endProcess() override;
    void sleep(uint32_t ms) override;
    DateTime now() override;
    int64_t monotonicMs() override;
    bool fileExists(const Str& path) override;
    bool fileInfo(const Str& path, os::DirEntry& out) override;
    std::string readFile(const Str& path) override;
    std::unique_ptr<os::OutFile> createFile(const Str& path) override;
    std::unique_ptr<os::OutFile> appendFile(const Str& path) override;
    void replaceFile(const Str& source, const Str& target) override;
    void removeFile(const Str& path) override;
    std::vector<os::DirEntry> listFolder(const Str& folder) override;
    std::vector<Str> drives() override;
    Str currentFolder() override;
    Str programFolder() override;
    Str commandLine() override;
    int versionMajor() override;
    int versionMinor() override;
    int addKeyWatcher(os::KeyWatcher watcher) override;
    void removeKeyWatcher(int id) override;

private:
    void hideShown();
    Platform& p_;
};

// Thrown by endProcess() so a test can see that the program ended at once.
struct ProcessEnded {};

// The whole in-memory machine: desktop, keyboard, clock, files, trace.
class Platform {
public:
    Platform();
    Toolkit toolkit{*this};
    Os os{*this};

    // --- virtual clock ------------------------------------------------------
    int64_t nowMs = 0;            // milliseconds since start
    DateTime startTime{2026, 12, 7, 9, 0, 0};
    // Move time forward, firing due timers in order (each tick runs its
    // handler synchronously, which may itself sleep and move time on).
    void advance(int64_t ms);
    // Timers armed now: name -> next due time.
    std::map<tk::Timer*, int64_t> timers;
    bool timerRunning(const std::string& name) const;

    // --- keyboard -------------------------------------------------------------
    // A key of the keyboard, as the user types it: the keyboard hook's
    // observers see it first (and may swallow it), then the key state has it,
    // and raw input tells the key watchers.
    void press(int vk);    // down; sets the pressed-since-query bit
    // A press that types what the US layout does not say (a character of
    // another layout, an accent): the hook tells typed with it.
    void press(int vk, StrView typed);
    void release(int vk);
    void tap(int vk) { press(vk); release(vk); }
    // Another program asks for the key's state, which consumes the
    // pressed-since-query bit for every program.
    void queryByOtherProgram(int vk) { pressedSinceQuery.erase(vk); }
    std::set<int> down;
    std::set<int> pressedSinceQuery;
    // Every key event that reached the programs, in order: (key, release).
    std::vector<std::pair<int, bool>> passed;
    // One key event through the hook, then into the key state and raw input
    // unless an observer swallowed it; injected events reach only the
    // observers that asked for them. Press, release and the injection calls
    // use it; the program's own keys (own) go to the watchers as they are
    // sent (tellOwnKey) and so not through raw input.
    void keyEvent(int vk, bool up, bool injected, bool own = false, StrView typed = {});
    struct KeyObserverEntry {
        int id;
        os::KeyObserver observer;
        bool injectedToo;
    };
    std::vector<KeyObserverEntry> keyObservers;
    bool hooksRefused = false;   // the system refuses low-level hooks
    int nextObserverId = 1;
    // Key watchers (raw input). Raw input names Shift, Ctrl and Alt
    // generically, the side in the scan code and the extended flag; whether
    // a key was typed or injected it does not say.
    struct KeyWatcherEntry {
        int id;
        os::KeyWatcher watcher;
    };
    std::vector<KeyWatcherEntry> keyWatchers;
    bool rawInputRefused = false;  // raw input cannot be registered
    // The system posts raw input, and the watchers' thread takes it when it
    // comes to it: while holdRawInput, it waits here until deliverRawInput().
    bool holdRawInput = false;
    std::vector<os::RawKey> pendingRawInput;
    void deliverRawInput();
    // A key the program has just injected (a SendInput record).
    void tellOwnKey(int vk, int scan, uint32_t flags);

    // --- mouse ------------------------------------------------------------------
    // The mouse as the user works it: each event goes through the mouse
    // hook's observers (which may swallow it); moves and presses also move
    // the cursor. The time stamp is the virtual clock's.
    void mouseEvent(os::RawMouse::Kind kind, os::Point pt, bool injected = false);
    void moveMouse(os::Point pt) { mouseEvent(os::RawMouse::Move, pt); }
    // button: 0 left, 1 right, 2 middle.
    void mouseDown(int button, os::Point pt);
    void mouseUp(int button, os::Point pt);
    void click(os::Point pt, int button = 0) { mouseDown(button, pt); mouseUp(button, pt); }
    struct MouseObserverEntry {
        int id;
        os::MouseObserver observer;
        bool injectedToo;
    };
    std::vector<MouseObserverEntry> mouseObservers;
    bool mouseHookRefused = false;  // the mouse hook alone cannot be installed
    // The user's double-click, drag and key repeat settings.
    os::InputSettings inputSettings;

    // --- desktop --------------------------------------------------------------
    // Z order, topmost first. The program's own forms take part as windows
    // whose title is their caption (class "ThunderFormDC"-like "TovirakForm").
    os::WindowHandle addWindow(const Str& title, const Str& cls, os::ThreadId thread = 2);
    void removeWindow(os::WindowHandle h);
    Window* window(os::WindowHandle h);
    std::vector<Window> windows;  // non-program windows, index 0 = top
    os::WindowHandle foreground = 0;
    os::Point cursor{100, 100};
    // Monitors in pixels; the primary one has its top left corner at (0, 0),
    // others may lie left of or above it.
    std::vector<os::Rect> monitors{{0, 0, 1920, 1080}};
    // The effective DPI of monitors[i]; 96 (100 %) where none is given.
    std::vector<int> monitorDpis;
    os::Rect primaryMonitor() const;
    os::Rect virtualScreen() const;  // around all monitors
    // Where the system puts the cursor for a point: on a monitor, the
    // nearest one's nearest pixel otherwise.
    os::Point onDesktop(os::Point pt) const;
    os::WindowHandle pointWindow = 0;  // what WindowFromPoint answers (0: topmost at point)
    // When set, what WindowFromPoint answers for each point (before pointWindow).
    std::function<os::WindowHandle(os::Point)> windowAt;
    // Child windows (what WindowFromPoint may answer) and their top-level window.
    std::map<os::WindowHandle, os::WindowHandle> topLevelOf;
    // A program's window comes to the front as the user's click brings it
    // (the program's forms hear of it with the window that had the front).
    void activate(os::WindowHandle h);
    // Markers shown by the program, the one on screen last; gone once the
    // virtual clock has passed their end.
    struct Marker {
        bool frame = false;  // a frame around rect, else a cross at point
        os::Point point;
        os::Rect rect;
        int64_t until = 0;   // nowMs at which it goes
    };
    std::vector<Marker> markers;
    // The marker on screen now, if any.
    const Marker* markerShown() const;
    // What the screen shows, for captures: a canvas over the virtual desktop
    // that tests paint. It is laid anew in screenBackground when the
    // monitors no longer match it.
    os::ScreenPixels screen;
    uint32_t screenBackground = 0xFFFFFF;
    void paintScreen(const os::Rect& r, uint32_t colour);
    // width * height pixels, row by row, with their top-left corner at at;
    // what falls outside the desktop is dropped.
    void paintScreen(os::Point at, int32_t width, int32_t height, const std::vector<uint32_t>& pixels);
    os::ScreenPixels& screenCanvas();
    int captures = 0;
    bool captureRefused = false;  // the system refuses to copy the screen
    // Another desktop takes the input (a password or elevation prompt):
    // injected input reaches no window and SendInput refuses it.
    bool blockInput = false;
    // The program's own process; its forms are its windows.
    uint32_t ownPid = 1;
    int32_t ownIntegrity = 0x2000;  // medium
    int integrityQueries = 0;       // calls of integrityLevel for a window

    // --- trace of everything injected or requested ------------------------------
    std::vector<std::string> trace;
    std::string traceText(size_t from = 0) const;  // lines joined by "\n"
    void clearTrace() { trace.clear(); }

    // --- message boxes and modal forms --------------------------------------------
    std::deque<int> answers;  // scripted answers; when empty the default button
    std::vector<ShownMessage> shown;
    // Called when a modal form opens; the script drives it (clicks, typing)
    // and must close it. When none is queued the form is closed (cancelled).
    std::deque<std::function<void(tk::Form&)>> modalScripts;
    std::vector<std::string> modalsShown;
    // The frozen-screen overlay: the rectangle of each snapshot shown, and
    // what the user does on it, one answer per showing; with none queued
    // the user presses Esc.
    std::vector<os::Rect> snapshotsShown;
    std::deque<tk::SnapshotDrag> snapshotDrags;
    // Called from doEvents (the nested message processing of long waits).
    std::function<void()> onDoEvents;
    // Calls posted to the message loop; doEvents and advance run them, as a
    // message loop would. runPosted runs those waiting now.
    std::deque<std::function<void()>> posted;
    void runPosted();
    // Fires the timers due now, as doEvents does on the real system.
    void fireDue();
    // Session-end blocks the program asked for: window -> reason shown.
    // blockSessionEndWorks false answers like a system without the feature.
    std::map<os::WindowHandle, Str> sessionEndBlocks;
    bool blockSessionEndWorks = true;
    int beeps = 0;

    // --- processes --------------------------------------------------------------------
    std::vector<Str> started;               // command lines
    std::set<Str> startFailures;            // command lines that fail with error 53
    bool nt = true;
    std::vector<uint32_t> exitRequests;     // ExitWindowsEx flags, never acted on
    Str cmdLine;
    int verMajor = 1, verMinor = 0;
    int versionFailure = 0;                 // non-zero: asking for the version fails with this error

    // --- files (paths compared case-insensitively, "\" separators) -------------------
    std::map<Str, std::string, NoCase> files;  // key: absolute path
    PathSet folders;
    PathSet readOnly;                 // files that cannot be written or replaced
    PathSet locked;                  // held open by another program
    std::vector<FileFailure> failures;      // armed faults
    std::map<int, int> callCounts;          // FileFailure::Kind -> calls so far
    Str curDir = u"C:\\work";
    Str progDir = u"C:\\Program Files\\TOVIRAK";
    std::vector<Str> driveList{u"c:", u"d:"};
    PathSet notReadyDrives{u"d:"};
    int64_t diskFree = -1;                  // bytes left; -1 = unlimited
    Str resolve(const Str& path) const;     // absolute, "\\" separators
    void putFile(const Str& path, const std::string& bytes);
    std::string* file(const Str& path);
    void maybeFail(FileFailure::Kind k);    // throws when an armed fault is due

    // Windows the program's forms own (handle by form).
    std::map<const tk::Form*, os::WindowHandle> formHandles;
    std::vector<tk::Form*> openForms;        // shown, in Z order (top first)
    os::WindowHandle nextHandle = 0x1000;
    std::vector<os::WindowHandle> zOrder() const;  // all top-level windows, top first

    void log(std::string line) { trace.push_back(std::move(line)); }
};

}  // namespace headless
