// File operations of the Win32 services (paths are Windows paths).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"

namespace win32::files {

bool exists(const Str& path);
bool info(const Str& path, os::DirEntry& out);
std::string read(const Str& path);
std::unique_ptr<os::OutFile> create(const Str& path);
std::unique_ptr<os::OutFile> append(const Str& path);
void replace(const Str& source, const Str& target);
void remove(const Str& path);
std::vector<os::DirEntry> list(const Str& folder);
std::vector<Str> drives();
Str currentFolder();
Str programFolder();

// Error number for a failed write-side operation (create, write, replace)
// from a Win32 error code.
int writeErrorNumber(unsigned long win32Error);
// Same for reading an existing file.
int readErrorNumber(unsigned long win32Error);

}  // namespace win32::files
