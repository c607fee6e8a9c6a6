// The operating-system services on the real system: wide calls only.
// Our headers first: os.h must be read before <windows.h> defines macros of
// the same names as its constants.
#include "platform/win32/win32_platform.h"
#include "platform/win32/os_capture.h"
#include "platform/win32/os_cmdline.h"
#include "platform/win32/os_files.h"
#include "platform/win32/os_hooks.h"
#include "platform/win32/os_keywatch.h"
#include "platform/win32/os_markers.h"
#include "platform/win32/os_wide.h"

#include <windows.h>
#include <mmsystem.h>

#include <vector>

namespace win32 {
namespace {

// The record size must be the one of this build: a 32-bit layout passed from
// a 64-bit program makes SendInput reject every record without a word.
#ifdef _WIN64
static_assert(sizeof(INPUT) == 40, "INPUT is 40 bytes on x64");
#else
static_assert(sizeof(INPUT) == 28, "INPUT is 28 bytes on x86");
#endif

// How long a key message may wait for a target window before we call it hung.
constexpr UINT kSendMessageTimeoutMs = 3000;
// How long a minimised window is given to come back.
constexpr int kRestoreWaitMs = 1000;

HWND insertAfterHandle(int64_t v) {
    switch (v) {
    case -1: return HWND_TOPMOST;
    case -2: return HWND_NOTOPMOST;
    case 0: return HWND_TOP;
    case 1: return HWND_BOTTOM;
    default: return reinterpret_cast<HWND>(static_cast<intptr_t>(v));
    }
}

// Integrity level (a SECURITY_MANDATORY_*_RID) of a process, or -1 when it
// cannot be read.
int32_t integrityOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return -1;
    Handle t(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    if (size == 0) return -1;
    std::vector<unsigned char> buf(size);
    if (!GetTokenInformation(token, TokenIntegrityLevel, buf.data(), size, &size)) return -1;
    auto* label = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buf.data());
    PSID sid = label->Label.Sid;
    if (!sid || !IsValidSid(sid)) return -1;
    UCHAR count = *GetSidSubAuthorityCount(sid);
    if (count == 0) return -1;
    return static_cast<int32_t>(*GetSidSubAuthority(sid, count - 1));
}

Str desktopName(HDESK d) {
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (!GetUserObjectInformationW(d, UOI_NAME, name, sizeof name - sizeof(wchar_t), &needed)) return Str();
    return fromWide(name);
}

// Whether the system keeps a shown window out of sight (a suspended store
// app, a window of another virtual desktop). The desktop window manager
// says so where there is one; it is asked by name so that systems without
// it still start.
bool cloaked(HWND w) {
    using Fn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
    static const Fn get = [] {
        HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
        return dwm ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute"))) : nullptr;
    }();
    DWORD value = 0;
    constexpr DWORD kCloaked = 14;  // DWMWA_CLOAKED
    return get && SUCCEEDED(get(w, kCloaked, &value, sizeof value)) && value != 0;
}

struct FindByTitle {
    const Str* title;
    HWND found = nullptr;
    HWND foundHidden = nullptr;
};

BOOL CALLBACK findByTitleProc(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<FindByTitle*>(lp);
    wchar_t buf[256];
    int n = GetWindowTextW(h, buf, 256);
    if (n <= 0 || fromWide(buf, static_cast<size_t>(n)) != *f->title) return TRUE;
    if (IsWindowVisible(h)) {
        f->found = h;
        return FALSE;
    }
    if (!f->foundHidden) f->foundHidden = h;
    return TRUE;
}

class Win32Services final : public os::Services {
public:
    Win32Services(int major, int minor) : major_(major), minor_(minor) {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        qpcFrequency_ = f.QuadPart > 0 ? f.QuadPart : 1;
    }

    // --- keyboard and mouse injection ---------------------------------------
    // Our keys carry our mark, unless the caller gives extra information of
    // its own, and are told to the key watchers as they go.
    void keybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uintptr_t extra) override {
        if (extra != 0) {
            keybd_event(vk, scan, flags, extra);
            return;
        }
        keybd_event(vk, scan, flags, keywatch::ownMark());
        keywatch::tellOwnKey(vk, scan, flags);
    }

    uint32_t sendInput(const std::vector<os::KeyInput>& records) override {
        if (records.empty()) return 0;
        std::vector<INPUT> in(records.size());
        for (size_t i = 0; i < records.size(); ++i) {
            in[i] = INPUT{};
            in[i].type = INPUT_KEYBOARD;
            in[i].ki.wVk = records[i].vk;
            in[i].ki.wScan = records[i].scan;
            in[i].ki.dwFlags = records[i].flags;
            in[i].ki.dwExtraInfo = keywatch::ownMark();
        }
        const UINT sent = SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
        for (UINT i = 0; i < sent && i < in.size(); ++i)
            keywatch::tellOwnKey(records[i].vk, records[i].scan, records[i].flags);
        return sent;
    }

    uint32_t mapVirtualKey(uint32_t code, uint32_t mapType) override { return MapVirtualKeyW(code, mapType); }

    bool sendMessageKey(os::WindowHandle h, uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        HWND w = toHwnd(h);
        if (!w || !IsWindow(w)) return false;
        DWORD_PTR result = 0;
        // SMTO_NORMAL keeps our own thread answering messages sent to it while
        // we wait, so a target that calls back into us cannot deadlock.
        return SendMessageTimeoutW(w, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendMessageTimeoutMs,
                                   &result) != 0;
    }

    void mouseEvent(uint32_t flags, int32_t dx, int32_t dy, uint32_t data, uintptr_t extra) override {
        mouse_event(flags, static_cast<DWORD>(dx), static_cast<DWORD>(dy), data, extra);
    }

    bool setCursorPos(int32_t x, int32_t y) override { return SetCursorPos(x, y) != 0; }

    os::Point getCursorPos() override {
        POINT p{};
        if (!GetCursorPos(&p)) return {};
        return {p.x, p.y};
    }

    int16_t getAsyncKeyState(int vk) override { return GetAsyncKeyState(vk); }

    int vkKeyScan(char16_t c) override {
        SHORT r = VkKeyScanW(static_cast<wchar_t>(c));
        if ((r & 0xFF) == 0xFF && ((r >> 8) & 0xFF) == 0xFF) return -1;
        return static_cast<int>(static_cast<uint16_t>(r));
    }

    // Injection goes nowhere while another desktop takes the input (the
    // secure desktop of a password or elevation prompt).
    bool inputOnOtherDesktop() override {
        HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
        if (!input) return GetLastError() == ERROR_ACCESS_DENIED;
        Str inputName = desktopName(input);
        CloseDesktop(input);
        Str ourName = desktopName(GetThreadDesktop(GetCurrentThreadId()));
        return !inputName.empty() && !ourName.empty() && lcase(inputName) != lcase(ourName);
    }

    int32_t integrityLevel(os::WindowHandle h) override {
        if (h == 0) return integrityOf(GetCurrentProcess());
        DWORD pid = 0;
        GetWindowThreadProcessId(toHwnd(h), &pid);
        if (pid == 0) return -1;
        if (pid == GetCurrentProcessId()) return integrityOf(GetCurrentProcess());
        // The limited right is granted across integrity levels, so an
        // elevated program's level can be read from a normal one.
        Handle proc(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        if (!proc.valid()) return -1;
        return integrityOf(proc.get());
    }

    uint32_t windowProcessId(os::WindowHandle h) override {
        DWORD pid = 0;
        if (h) GetWindowThreadProcessId(toHwnd(h), &pid);
        return pid;
    }

    // --- low-level keyboard hook -------------------------------------------------
    int addKeyObserver(os::KeyObserver observer, bool injectedToo) override {
        return hooks::addKeyObserver(std::move(observer), injectedToo);
    }
    void removeKeyObserver(int id) override { hooks::removeKeyObserver(id); }
    int addMouseObserver(os::MouseObserver observer, bool injectedToo) override {
        return hooks::addMouseObserver(std::move(observer), injectedToo);
    }
    void removeMouseObserver(int id) override { hooks::removeMouseObserver(id); }

    os::InputSettings inputSettings() override {
        os::InputSettings s;
        s.doubleClickMs = GetDoubleClickTime();
        s.doubleClickWidth = GetSystemMetrics(SM_CXDOUBLECLK);
        s.doubleClickHeight = GetSystemMetrics(SM_CYDOUBLECLK);
        s.dragWidth = GetSystemMetrics(SM_CXDRAG);
        s.dragHeight = GetSystemMetrics(SM_CYDRAG);
        // The setting is a step from 0 (about 250 ms) to 3 (about 1 s).
        int delay = 1;
        if (SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0) && delay >= 0 && delay <= 3)
            s.keyRepeatDelayMs = static_cast<uint32_t>(delay + 1) * 250;
        return s;
    }

    // --- top-level windows ----------------------------------------------------
    // A walk over the top-level windows with GetWindow breaks off when the
    // window it stands on is destroyed (a tooltip, a closing program): the
    // next step from it yields nothing. So the first step takes the Z order
    // as EnumWindows reports it, and the next steps follow that list,
    // skipping windows that have gone since.
    os::WindowHandle getWindow(os::WindowHandle h, int cmd) override {
        HWND w = toHwnd(h);
        if (cmd == GW_HWNDFIRST) {
            if (w && IsWindow(w) && GetAncestor(w, GA_PARENT) != GetDesktopWindow())
                return fromHwnd(GetWindow(w, GW_HWNDFIRST));  // a child: its siblings
            walk_.clear();
            EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&walk_));
            walkPos_ = 0;
            return walk_.empty() ? fromHwnd(GetTopWindow(nullptr)) : fromHwnd(walk_.front());
        }
        if (!w) return 0;
        if (cmd == GW_HWNDNEXT) {
            size_t i = walkPos_ < walk_.size() && walk_[walkPos_] == w ? walkPos_ : walkIndex(w);
            if (i < walk_.size()) {
                for (size_t j = i + 1; j < walk_.size(); ++j) {
                    if (IsWindow(walk_[j])) {
                        walkPos_ = j;
                        return fromHwnd(walk_[j]);
                    }
                }
                return 0;
            }
        }
        return fromHwnd(GetWindow(w, static_cast<UINT>(cmd)));
    }

    bool isWindow(os::WindowHandle h) override { return h && IsWindow(toHwnd(h)); }

    Str getWindowText(os::WindowHandle h) override {
        wchar_t buf[256];
        int n = GetWindowTextW(toHwnd(h), buf, 256);
        return n > 0 ? fromWide(buf, static_cast<size_t>(n)) : Str();
    }

    Str getClassName(os::WindowHandle h) override {
        wchar_t buf[256];
        int n = GetClassNameW(toHwnd(h), buf, 256);
        return n > 0 ? fromWide(buf, static_cast<size_t>(n)) : Str();
    }

    os::WindowHandle windowFromPoint(os::Point p) override { return fromHwnd(WindowFromPoint(POINT{p.x, p.y})); }
    os::WindowHandle getForegroundWindow() override { return fromHwnd(GetForegroundWindow()); }
    os::WindowHandle topLevelWindow(os::WindowHandle h) override {
        return h ? fromHwnd(GetAncestor(toHwnd(h), GA_ROOT)) : 0;
    }
    bool setForegroundWindow(os::WindowHandle h) override { return SetForegroundWindow(toHwnd(h)) != 0; }

    os::ThreadId getWindowThreadProcessId(os::WindowHandle h) override {
        return GetWindowThreadProcessId(toHwnd(h), nullptr);
    }
    os::ThreadId getCurrentThreadId() override { return GetCurrentThreadId(); }

    bool attachThreadInput(os::ThreadId attach, os::ThreadId attachTo, bool on) override {
        return AttachThreadInput(attach, attachTo, on ? TRUE : FALSE) != 0;
    }

    bool setWindowPos(os::WindowHandle h, int64_t insertAfter, int x, int y, int cx, int cy,
                      uint32_t flags) override {
        return SetWindowPos(toHwnd(h), insertAfterHandle(insertAfter), x, y, cx, cy, flags) != 0;
    }

    void appActivate(const Str& title) override {
        FindByTitle f{&title};
        EnumWindows(findByTitleProc, reinterpret_cast<LPARAM>(&f));
        HWND w = f.found ? f.found : f.foundHidden;
        if (!w) return;
        if (IsIconic(w)) ShowWindowAsync(w, SW_RESTORE);
        // The system lets a process take the foreground only from the thread
        // that has the input; sharing the input state of the current
        // foreground thread for the moment of the call satisfies that.
        HWND fg = GetForegroundWindow();
        DWORD fgThread = fg ? GetWindowThreadProcessId(fg, nullptr) : 0;
        DWORD self = GetCurrentThreadId();
        bool attached = fgThread && fgThread != self && AttachThreadInput(self, fgThread, TRUE);
        SetForegroundWindow(w);
        BringWindowToTop(w);
        if (attached) AttachThreadInput(self, fgThread, FALSE);
    }

    os::Rect windowRect(os::WindowHandle h) override {
        RECT rc{};
        if (!h || !GetWindowRect(toHwnd(h), &rc)) return {};
        return {rc.left, rc.top, rc.right, rc.bottom};
    }

    os::WindowStyle windowStyle(os::WindowHandle h) override {
        HWND w = toHwnd(h);
        if (!h || !IsWindow(w)) return {};
        os::WindowStyle s;
        s.visible = IsWindowVisible(w) && !cloaked(w);
        s.minimized = IsIconic(w) != 0;
        s.toolWindow = (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
        wchar_t cls[32] = {};
        GetClassNameW(w, cls, 32);
        s.shell = w == GetShellWindow() || w == GetDesktopWindow() || !wcscmp(cls, L"Shell_TrayWnd") ||
                  !wcscmp(cls, L"Shell_SecondaryTrayWnd") || !wcscmp(cls, L"Progman") || !wcscmp(cls, L"WorkerW");
        return s;
    }

    bool clientOrigin(os::WindowHandle h, os::Point& out) override {
        POINT p{0, 0};
        if (!h || !IsWindow(toHwnd(h)) || !ClientToScreen(toHwnd(h), &p)) return false;
        out = {p.x, p.y};
        return true;
    }

    int windowDpi(os::WindowHandle h) override {
        // Windows 8.1 and later tell each monitor's scale; before that every
        // monitor has the system's.
        using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
        static const auto fn = [] {
            HMODULE shcore = LoadLibraryW(L"shcore.dll");
            return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                                reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                          : nullptr;
        }();
        constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
        UINT x = 0, y = 0;
        if (fn && SUCCEEDED(fn(MonitorFromWindow(toHwnd(h), MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) && x)
            return static_cast<int>(x);
        return dpi();
    }

    bool restoreWindow(os::WindowHandle h) override {
        HWND w = toHwnd(h);
        if (!h || !IsWindow(w)) return false;
        if (!IsIconic(w)) return true;
        // Asynchronous, so a hung program cannot hold us; its place is
        // known once it has left the minimised state.
        ShowWindowAsync(w, SW_RESTORE);
        for (int waited = 0; waited < kRestoreWaitMs && IsIconic(w); waited += 10) Sleep(10);
        return IsWindow(w) && !IsIconic(w);
    }

    // --- markers ----------------------------------------------------------------
    void showPointMarker(os::Point p, uint32_t ms) override { markers::showPoint(p, ms); }
    void showFrameMarker(const os::Rect& r, uint32_t ms) override { markers::showFrame(r, ms); }
    void hideMarkers() override { markers::hide(); }

    // --- screen ---------------------------------------------------------------
    int32_t screenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
    int32_t screenHeight() override { return GetSystemMetrics(SM_CYSCREEN); }

    os::Rect virtualScreen() override {
        const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    }

    // rcMonitor, not rcWork: the taskbar does not make a monitor smaller.
    os::Rect monitorOfWindow(os::WindowHandle h) override {
        return monitorRect(MonitorFromWindow(toHwnd(h), MONITOR_DEFAULTTONEAREST));
    }

    os::Rect monitorOfRect(const os::Rect& r) override {
        const RECT rc{r.left, r.top, r.right, r.bottom};
        return monitorRect(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST));
    }

    bool captureScreen(const os::Rect& r, os::ScreenPixels& out) override { return capture::screen(r, out); }

    int dpi() override {
        using GetDpiForSystemFn = UINT(WINAPI*)();
        // Windows 10 1607 and later; older systems answer through the screen DC.
        static auto fn = reinterpret_cast<GetDpiForSystemFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
        if (fn) {
            UINT d = fn();
            if (d) return static_cast<int>(d);
        }
        HDC dc = GetDC(nullptr);
        int d = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return d > 0 ? d : 96;
    }

    // --- processes, sound, power ----------------------------------------------
    void startProgram(const Str& commandLine, int showStyle) override {
        std::wstring cl(wide(commandLine));  // CreateProcessW may write into it
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showStyle);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, cl.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            DWORD e = GetLastError();
            err::raise(e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? err::FileNotFound : err::InvalidCall);
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    bool playSound(const Str& file, uint32_t flags) override {
        return PlaySoundW(file.empty() ? nullptr : wide(file), nullptr, flags) != 0;
    }

    void beep() override { MessageBeep(MB_OK); }

    // Every system a 64-bit program runs on is of the NT family.
    bool isWindowsNT() override { return true; }

    bool enableShutdownPrivilege() override {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
        Handle t(token);
        TOKEN_PRIVILEGES tp{};
        if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid)) return false;
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr)) return false;
        return GetLastError() == ERROR_SUCCESS;  // ERROR_NOT_ALL_ASSIGNED: not granted
    }

    bool exitWindowsEx(uint32_t flags) override {
        return ExitWindowsEx(flags, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED) !=
               0;
    }

    [[noreturn]] void endProcess() override { ExitProcess(0); }

    // --- time -------------------------------------------------------------------
    void sleep(uint32_t ms) override { Sleep(ms); }

    DateTime now() override {
        SYSTEMTIME st{};
        GetLocalTime(&st);
        return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    }

    int64_t monotonicMs() override {
        LARGE_INTEGER c{};
        QueryPerformanceCounter(&c);
        // Split to avoid overflow of counter * 1000 after long uptimes.
        int64_t whole = c.QuadPart / qpcFrequency_;
        int64_t rest = c.QuadPart % qpcFrequency_;
        return whole * 1000 + rest * 1000 / qpcFrequency_;
    }

    // --- files --------------------------------------------------------------------
    bool fileExists(const Str& path) override { return files::exists(path); }
    bool fileInfo(const Str& path, os::DirEntry& out) override { return files::info(path, out); }
    std::string readFile(const Str& path) override { return files::read(path); }
    std::unique_ptr<os::OutFile> createFile(const Str& path) override { return files::create(path); }
    std::unique_ptr<os::OutFile> appendFile(const Str& path) override { return files::append(path); }
    void replaceFile(const Str& source, const Str& target) override { files::replace(source, target); }
    void removeFile(const Str& path) override { files::remove(path); }
    std::vector<os::DirEntry> listFolder(const Str& folder) override { return files::list(folder); }
    std::vector<Str> drives() override { return files::drives(); }
    Str currentFolder() override { return files::currentFolder(); }
    Str programFolder() override { return files::programFolder(); }
    Str commandLine() override { return argumentsOf(fromWide(GetCommandLineW())); }
    int versionMajor() override { return major_; }
    int versionMinor() override { return minor_; }

    // --- keyboard watch without a hook ------------------------------------------
    int addKeyWatcher(os::KeyWatcher watcher) override { return keywatch::addKeyWatcher(std::move(watcher)); }
    void removeKeyWatcher(int id) override { keywatch::removeKeyWatcher(id); }

private:
    static os::Rect monitorRect(HMONITOR m) {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        if (!m || !GetMonitorInfoW(m, &mi)) return {};
        return {mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom};
    }
    static BOOL CALLBACK collectWindow(HWND h, LPARAM lp) {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
    }
    size_t walkIndex(HWND w) const {
        for (size_t i = 0; i < walk_.size(); ++i)
            if (walk_[i] == w) return i;
        return walk_.size();
    }

    std::vector<HWND> walk_;  // top-level windows at the last GW_HWNDFIRST
    size_t walkPos_ = 0;
    int major_, minor_;
    int64_t qpcFrequency_ = 1;
};

}  // namespace

std::unique_ptr<os::Services> makeServices(int versionMajor, int versionMinor) {
    return std::make_unique<Win32Services>(versionMajor, versionMinor);
}

}  // namespace win32
