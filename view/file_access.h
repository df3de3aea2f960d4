// The program's own reads of files, with the system's error codes turned
// into the program's I/O errors.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/handles.h"

namespace pelma {

// Raises the I/O error for a system error code.
[[noreturn]] void RaiseInOutError(DWORD code);

// Opens an existing file for reading with the given sharing, the very file
// the user named: a 32-bit program on 64-bit Windows is otherwise silently
// given the file of the same name under SysWOW64 for one under System32.
// The system's error is left in GetLastError on failure.
ui::UniqueFile OpenNamedFile(const std::wstring& fileName, DWORD share);

// The attributes of the very file the user named (as OpenNamedFile).
DWORD NamedFileAttributes(const std::wstring& fileName);

// Opens an existing file for reading, sharing reading and writing with others.
ui::UniqueFile OpenForSharedReading(const std::wstring& fileName);

// Reads up to `max` bytes from the start of the file; the file is closed on return.
std::vector<std::uint8_t> ReadFileStart(const std::wstring& fileName, std::size_t max);

// The system's own text for an error code.
std::wstring SystemErrorText(DWORD code);

// The name made absolute against the current folder.
std::wstring AbsolutePath(const std::wstring& fileName);

}  // namespace pelma
