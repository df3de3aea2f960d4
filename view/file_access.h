// The program's own reads of files, with the system's error codes turned
// into the program's I/O errors.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/handles.h"
#include "ui/system_error.h"

namespace pelma {

// Raises the I/O error for a system error code.
[[noreturn]] void RaiseInOutError(DWORD code);

// Opens an existing file for reading, sharing reading and writing with others.
ui::UniqueFile OpenForSharedReading(const std::wstring& fileName);

// Reads up to `max` bytes from the start of the file; the file is closed on return.
std::vector<std::uint8_t> ReadFileStart(const std::wstring& fileName, std::size_t max);

using ui::SystemErrorText;

// The name made absolute against the current folder.
std::wstring AbsolutePath(const std::wstring& fileName);

}  // namespace pelma
