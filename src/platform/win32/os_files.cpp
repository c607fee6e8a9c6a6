// Files on the real system. Reads share everything so that an editor or a
// virus scanner holding the file does not stop us; writes go to the disk on
// flush() because the working document must survive a power-off macro.
#include "platform/win32/os_files.h"
#include "platform/win32/os_wide.h"

#include <windows.h>

namespace win32::files {

int readErrorNumber(unsigned long e) {
    switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
        return err::FileNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return err::PermissionDenied;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return err::BadFileName;
    case ERROR_NOT_READY:
        return err::DiskNotReady;
    default:
        return err::DeviceIO;
    }
}

int writeErrorNumber(unsigned long e) {
    switch (e) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return err::DiskFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return err::PermissionDenied;
    case ERROR_FILE_NOT_FOUND:
        return err::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return err::PathNotFound;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return err::BadFileName;
    case ERROR_NOT_READY:
        return err::DiskNotReady;
    default:
        return err::PathFileAccess;
    }
}

namespace {

[[noreturn]] void raiseWrite(DWORD e) { err::raise(writeErrorNumber(e)); }

class Win32OutFile final : public os::OutFile {
public:
    explicit Win32OutFile(Handle h) : h_(std::move(h)) {}
    ~Win32OutFile() override { h_.reset(); }

    void write(std::string_view bytes) override {
        if (!h_.valid()) err::raise(err::PathFileAccess);
        while (!bytes.empty()) {
            DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!WriteFile(h_.get(), bytes.data(), chunk, &written, nullptr)) raiseWrite(GetLastError());
            if (written == 0) err::raise(err::DiskFull);
            bytes.remove_prefix(written);
        }
    }
    void flush() override {
        if (!h_.valid()) err::raise(err::PathFileAccess);
        if (!FlushFileBuffers(h_.get())) raiseWrite(GetLastError());
    }
    void close() override {
        if (!h_.valid()) return;
        // A failed close can mean the data never reached the disk (network
        // shares report a full disk only here).
        HANDLE h = h_.release();
        if (!CloseHandle(h)) raiseWrite(GetLastError());
    }

private:
    Handle h_;
};

Handle openForWrite(const Str& path, DWORD disposition) {
    HANDLE h = CreateFileW(wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) raiseWrite(GetLastError());
    return Handle(h);
}

Str baseName(const Str& path) {
    auto p = path.find_last_of(u"\\/:");
    return p == Str::npos ? path : path.substr(p + 1);
}

}  // namespace

bool exists(const Str& path) {
    DWORD a = GetFileAttributesW(wide(path));
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool info(const Str& path, os::DirEntry& out) {
    DWORD a = GetFileAttributesW(wide(path));
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    out.name = baseName(path);
    out.isDir = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out.hidden = (a & FILE_ATTRIBUTE_HIDDEN) != 0;
    out.system = (a & FILE_ATTRIBUTE_SYSTEM) != 0;
    return true;
}

std::string read(const Str& path) {
    Handle h(CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.valid()) err::raise(readErrorNumber(GetLastError()));
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size)) err::raise(readErrorNumber(GetLastError()));
    if (size.QuadPart > 0x7FFFFFFF) err::raise(err::OutOfMemory);
    std::string data;
    data.reserve(static_cast<size_t>(size.QuadPart));
    char buf[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h.get(), buf, sizeof buf, &got, nullptr)) err::raise(readErrorNumber(GetLastError()));
        if (got == 0) break;
        data.append(buf, got);
    }
    return data;
}

std::unique_ptr<os::OutFile> create(const Str& path) {
    return std::make_unique<Win32OutFile>(openForWrite(path, CREATE_ALWAYS));
}

std::unique_ptr<os::OutFile> append(const Str& path) {
    Handle h = openForWrite(path, OPEN_ALWAYS);
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(h.get(), zero, nullptr, FILE_END)) raiseWrite(GetLastError());
    return std::make_unique<Win32OutFile>(std::move(h));
}

void replace(const Str& source, const Str& target) {
    // Virus scanners and indexers open a freshly written file for a moment;
    // a short retry rides that out, a real lock still fails.
    constexpr int kAttempts = 10;
    constexpr DWORD kPauseMs = 50;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(wide(source), wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
        DWORD e = GetLastError();
        bool transient = e == ERROR_SHARING_VIOLATION || e == ERROR_ACCESS_DENIED || e == ERROR_LOCK_VIOLATION;
        if (!transient || attempt >= kAttempts) raiseWrite(e);
        Sleep(kPauseMs);
    }
}

void remove(const Str& path) {
    if (DeleteFileW(wide(path))) return;
    DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return;
    raiseWrite(e);
}

std::vector<os::DirEntry> list(const Str& folder) {
    Str pattern = folder;
    if (!pattern.empty() && pattern.back() != u'\\' && pattern.back() != u'/' && pattern.back() != u':')
        pattern += u'\\';
    pattern += u'*';
    std::vector<os::DirEntry> out;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW(wide(pattern), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND) return out;  // an empty drive root has no "." entry
        // A file in place of the folder reads as one of the last two.
        bool noFolder = e == ERROR_PATH_NOT_FOUND || e == ERROR_DIRECTORY || e == ERROR_INVALID_NAME;
        err::raise(noFolder ? err::PathNotFound : readErrorNumber(e));
    }
    do {
        Str name = fromWide(fd.cFileName);
        if (name == u"." || name == u"..") continue;
        os::DirEntry d;
        d.name = std::move(name);
        d.isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        d.hidden = (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        d.system = (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
        out.push_back(std::move(d));
    } while (FindNextFileW(h, &fd));
    DWORD e = GetLastError();
    FindClose(h);
    if (e != ERROR_NO_MORE_FILES) err::raise(readErrorNumber(e));
    return out;
}

std::vector<Str> drives() {
    wchar_t buf[512];
    DWORD n = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(buf)), buf);
    std::vector<Str> out;
    if (n == 0 || n > std::size(buf)) return out;
    for (const wchar_t* p = buf; *p; p += wcslen(p) + 1) {
        if (p[0] == 0 || p[1] != L':') continue;
        wchar_t letter = p[0];
        if (letter >= L'A' && letter <= L'Z') letter = static_cast<wchar_t>(letter - L'A' + L'a');
        out.push_back(Str{static_cast<char16_t>(letter), u':'});
    }
    return out;
}

Str currentFolder() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) err::raise(err::PathFileAccess);
    std::wstring buf(n, L'\0');
    DWORD got = GetCurrentDirectoryW(n, buf.data());
    if (got == 0 || got >= n) err::raise(err::PathFileAccess);
    return fromWide(buf.data(), got);
}

Str programFolder() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD got = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (got == 0) err::raise(err::PathFileAccess);
        if (got < buf.size()) {
            buf.resize(got);
            break;
        }
        buf.resize(buf.size() * 2);  // truncated: long path
    }
    auto slash = buf.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return Str();
    return fromWide(buf.data(), slash);
}

}  // namespace win32::files
