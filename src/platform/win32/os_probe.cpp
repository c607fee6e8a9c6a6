// Test-side observation helpers (see os_probe.h).
#include "platform/win32/os_probe.h"
#include "platform/win32/os_wide.h"

#include <windows.h>

#include <atomic>

namespace win32::probe {

bool isWindow(os::WindowHandle h) { return h && IsWindow(toHwnd(h)); }
bool isVisible(os::WindowHandle h) { return h && IsWindowVisible(toHwnd(h)); }
bool isTopmost(os::WindowHandle h) { return (GetWindowLongPtrW(toHwnd(h), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

bool isMinimized(os::WindowHandle h) { return IsIconic(toHwnd(h)) != 0; }
void minimize(os::WindowHandle h) { ShowWindow(toHwnd(h), SW_MINIMIZE); }

Rect windowRect(os::WindowHandle h) {
    RECT r{};
    GetWindowRect(toHwnd(h), &r);
    return {r.left, r.top, r.right, r.bottom};
}

uint32_t processIdOf(os::WindowHandle h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(toHwnd(h), &pid);
    return pid;
}

namespace {
struct ChildSearch {
    const Str* cls;
    HWND found = nullptr;
    const Str* text = nullptr;  // the control's text too, when given
};
BOOL CALLBACK childSearchProc(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    wchar_t buf[256];
    int n = GetClassNameW(h, buf, 256);
    if (n > 0 && lcase(fromWide(buf, static_cast<size_t>(n))) == lcase(*s->cls) &&
        (!s->text || controlText(fromHwnd(h)) == *s->text)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

os::WindowHandle findChild(os::WindowHandle parent, const Str& className) {
    ChildSearch s{&className};
    EnumChildWindows(toHwnd(parent), childSearchProc, reinterpret_cast<LPARAM>(&s));
    return fromHwnd(s.found);
}

os::WindowHandle findChild(os::WindowHandle parent, const Str& className, const Str& text) {
    ChildSearch s{&className};
    s.text = &text;
    EnumChildWindows(toHwnd(parent), childSearchProc, reinterpret_cast<LPARAM>(&s));
    return fromHwnd(s.found);
}

Str controlText(os::WindowHandle h) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(toHwnd(h), WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return Str();
    std::wstring buf(len + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(toHwnd(h), WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_ABORTIFHUNG, 2000, &got))
        return Str();
    return fromWide(buf.data(), got);
}

bool setControlText(os::WindowHandle h, const Str& text) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(toHwnd(h), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide(text)), SMTO_ABORTIFHUNG,
                               2000, &r) != 0;
}

void postClose(os::WindowHandle h) { PostMessageW(toHwnd(h), WM_CLOSE, 0, 0); }

long querySessionEnd(os::WindowHandle h, uint32_t reasons, uint32_t ms) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(toHwnd(h), WM_QUERYENDSESSION, 0, LPARAM(reasons), SMTO_NORMAL, ms, &answer)) return -1;
    return long(answer);
}

void endSession(os::WindowHandle h, bool ending, uint32_t reasons, uint32_t ms) {
    DWORD_PTR ignored = 0;
    // The program may end inside the handler: then no answer comes back.
    SendMessageTimeoutW(toHwnd(h), WM_ENDSESSION, WPARAM(ending), LPARAM(reasons), SMTO_NORMAL, ms, &ignored);
}

bool terminateProcess(uint32_t pid) {
    Handle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!p.valid()) return false;
    bool ok = TerminateProcess(p.get(), 1) != 0;
    WaitForSingleObject(p.get(), 5000);
    return ok;
}

void pump(uint32_t ms) {
    ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        ULONGLONG now = GetTickCount64();
        if (now >= end) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

namespace {
const wchar_t* kProbeClass = L"TovirakProbeWindow";

void registerProbeClass() { registerPlainClass(kProbeClass, DefWindowProcW); }
}  // namespace

os::WindowHandle createWindow(const Str& title, int x, int y, int w, int h) {
    registerProbeClass();
    HWND hwnd = CreateWindowExW(0, kProbeClass, wide(title), WS_OVERLAPPEDWINDOW, x, y, w, h, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (hwnd) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    pump(50);
    return fromHwnd(hwnd);
}

void destroyWindow(os::WindowHandle h) {
    if (h && IsWindow(toHwnd(h))) DestroyWindow(toHwnd(h));
    pump(20);
}

struct KeyLogAccess {
    static std::vector<KeyMessage>& log(KeyLogWindow& w) { return w.log_; }
};

namespace {
const wchar_t* kKeyLogClass = L"TovirakKeyLogWindow";

LRESULT CALLBACK keyLogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<KeyLogWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    switch (msg) {
        case WM_KEYDOWN: case WM_KEYUP: case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_IME_CHAR:
            if (self)
                KeyLogAccess::log(*self).push_back(
                    {static_cast<uint32_t>(msg), static_cast<uint32_t>(wp), static_cast<uint32_t>(lp)});
            // Handled here: no menu, no close on Alt+F4, no characters made.
            return 0;
        default:
            return DefWindowProcW(h, msg, wp, lp);
    }
}
}  // namespace

KeyLogWindow::KeyLogWindow(const Str& title) {
    registerPlainClass(kKeyLogClass, keyLogProc);
    hwnd_ = fromHwnd(createOwnedWindow(kKeyLogClass, wide(title), 40, 40, 300, 200, this));
    pump(50);
}

KeyLogWindow::~KeyLogWindow() {
    if (hwnd_ && IsWindow(toHwnd(hwnd_))) {
        SetWindowLongPtrW(toHwnd(hwnd_), GWLP_USERDATA, 0);
        DestroyWindow(toHwnd(hwnd_));
    }
    pump(20);
}

bool KeyLogWindow::bringToFront() {
    HWND h = toHwnd(hwnd_);
    SetForegroundWindow(h);
    SetActiveWindow(h);
    SetFocus(h);
    pump(100);
    return GetForegroundWindow() == h && GetFocus() == h;
}

std::vector<KeyMessage> KeyLogWindow::take() {
    std::vector<KeyMessage> out;
    out.swap(log_);
    return out;
}

namespace {
struct HungStart {
    HANDLE ready;
    HANDLE stop;
    std::atomic<HWND> hwnd{nullptr};
};

DWORD WINAPI hungThread(void* p) {
    auto* s = static_cast<HungStart*>(p);
    registerProbeClass();
    HWND h = CreateWindowExW(0, kProbeClass, L"TovirakProbe unresponsive", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    s->hwnd = h;
    SetEvent(s->ready);
    // Never look at the message queue until told to stop.
    WaitForSingleObject(s->stop, INFINITE);
    if (h) DestroyWindow(h);
    return 0;
}
}  // namespace

UnresponsiveWindow::UnresponsiveWindow() {
    registerProbeClass();  // on this thread, before the other one runs
    static HungStart start;
    start.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    start.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    start.hwnd = nullptr;
    stopEvent_ = start.stop;
    thread_ = CreateThread(nullptr, 0, hungThread, &start, 0, nullptr);
    WaitForSingleObject(start.ready, 5000);
    CloseHandle(start.ready);
    hwnd_ = fromHwnd(start.hwnd.load());
}

UnresponsiveWindow::~UnresponsiveWindow() {
    SetEvent(static_cast<HANDLE>(stopEvent_));
    WaitForSingleObject(static_cast<HANDLE>(thread_), 5000);
    CloseHandle(static_cast<HANDLE>(thread_));
    CloseHandle(static_cast<HANDLE>(stopEvent_));
}

Process::Process(const Str& commandLine, const Str& workingFolder) {
    std::wstring cl(wide(commandLine));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cl.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : wide(workingFolder), &si, &pi))
        err::raise(err::FileNotFound, u"cannot start " + commandLine + u": " + lastErrorText());
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
}

Process::~Process() {
    if (process_) CloseHandle(static_cast<HANDLE>(process_));
}

long Process::wait(uint32_t ms) {
    if (WaitForSingleObject(static_cast<HANDLE>(process_), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(static_cast<HANDLE>(process_), &code);
    return static_cast<long>(code);
}

void Process::kill() {
    TerminateProcess(static_cast<HANDLE>(process_), 1);
    WaitForSingleObject(static_cast<HANDLE>(process_), 5000);
}

HeldFile::HeldFile(const Str& path, bool allowReaders) {
    DWORD share = allowReaders ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
    HANDLE h = CreateFileW(wide(path), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) err::raise(err::PermissionDenied, u"cannot hold " + path);
    handle_ = h;
}

HeldFile::~HeldFile() { CloseHandle(static_cast<HANDLE>(handle_)); }

bool setReadOnly(const Str& path, bool on) {
    DWORD a = GetFileAttributesW(wide(path));
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    a = on ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~DWORD(FILE_ATTRIBUTE_READONLY));
    return SetFileAttributesW(wide(path), a) != 0;
}

bool writable(const Str& path) {
    Handle h(CreateFileW(wide(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return h.valid();
}

Str makeTempFolder(const Str& prefix) {
    wchar_t base[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) err::raise(err::PathNotFound, u"no temporary folder");
    Str root = fromWide(base, n);
    for (unsigned i = 0; i < 1000; ++i) {
        Str candidate = root + prefix + toStr(static_cast<long long>(GetCurrentProcessId())) + u"_" +
                        toStr(static_cast<long long>(GetTickCount64() % 100000)) + u"_" +
                        toStr(static_cast<long long>(i));
        if (CreateDirectoryW(wide(candidate), nullptr)) return candidate;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    err::raise(err::PathFileAccess, u"cannot create a temporary folder: " + lastErrorText());
}

void removeTree(const Str& folder) {
    if (folder.size() < 4) return;  // never a drive root
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(wide(folder + u"\\*"), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            Str name = fromWide(fd.cFileName);
            if (name == u"." || name == u"..") continue;
            Str full = folder + u"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(full);
            } else {
                SetFileAttributesW(wide(full), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(wide(full));
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(wide(folder));
}

std::string resourceBytes(const Str& exePath, int type, int id) {
    HMODULE m = LoadLibraryExW(wide(exePath), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!m) return {};
    std::string out;
    if (HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type))) {
        DWORD size = SizeofResource(m, r);
        HGLOBAL g = LoadResource(m, r);
        const void* p = g ? LockResource(g) : nullptr;
        if (p) out.assign(static_cast<const char*>(p), size);
    }
    FreeLibrary(m);
    return out;
}

Str lastErrorText() {
    DWORD e = GetLastError();
    wchar_t* msg = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, e, 0, reinterpret_cast<wchar_t*>(&msg), 0, nullptr);
    Str text = u"error " + toStr(static_cast<long long>(e));
    if (msg) {
        Str m = fromWide(msg);
        LocalFree(msg);
        while (!m.empty() && (m.back() == u'\n' || m.back() == u'\r' || m.back() == u' ')) m.pop_back();
        text += u" (" + m + u")";
    }
    return text;
}

}  // namespace win32::probe
