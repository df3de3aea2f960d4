// The program's own reads of files: one way to open a file for reading, with
// the sharing and the kind of error each reader asks for.
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

// How a failure to open is reported: as the I/O error for the system's code,
// or as a stream that cannot be opened ("ファイル "…". … は開けません").
enum class OpenFailure { InOutError, StreamOpenError };

// The name as the system's file functions take it whole, however long:
// unchanged while its full path is within the classic limit, else the full
// path in its extended-length form.
std::wstring SystemPath(const std::wstring& fileName);

// The attributes of the very file the user named, however long its name
// (INVALID_FILE_ATTRIBUTES when they cannot be read).
DWORD NamedFileAttributes(const std::wstring& fileName);

// While it lives, names under the system folder mean that folder, not the
// 32-bit one a 32-bit program is redirected to on 64-bit Windows. Only the
// calls that take the user's names run inside it (no module may be loaded
// there, and it holds for this thread only); in a 64-bit program nothing
// changes.
class AsNamed {
public:
    AsNamed() : disabled_(Wow64DisableWow64FsRedirection(&old_) != FALSE) {}
    ~AsNamed() {
        if (disabled_) Wow64RevertWow64FsRedirection(old_);
    }
    AsNamed(const AsNamed&) = delete;
    AsNamed& operator=(const AsNamed&) = delete;

private:
    PVOID old_ = nullptr;
    bool disabled_;
};

// Opens an existing file for reading only, with the given sharing
// (FILE_SHARE_* bits); raises as `failure` says when it cannot. It is the
// very file the user named: a 32-bit program on 64-bit Windows is otherwise
// silently given the file of the same name under SysWOW64 for one under
// System32.
ui::UniqueFile OpenForReading(const std::wstring& fileName, DWORD sharing, OpenFailure failure);

// The name under which the system's own components (the media drivers, which
// load modules while they open the file, so redirection cannot be switched off
// around them) reach the very file the user named: in a 32-bit program on
// 64-bit Windows a name under System32 becomes the same name under the
// Sysnative alias; every other name, and every name in a 64-bit program, is
// returned as it is.
std::wstring NativeFileName(const std::wstring& fileName);

// Closes a file opened for reading; a failure to close raises the I/O error.
void CloseReadFile(ui::UniqueFile& file);

// Reads until `max` bytes are in `data` or the file ends; `got` is how many
// arrived. False when a read fails (GetLastError tells why).
bool ReadUpTo(HANDLE file, std::uint8_t* data, std::size_t max, std::size_t& got);

// The bytes of an open file, read through a buffer of its own as a decoder
// asks for them (a ByteSource). A failed read ends the bytes early; Failed()
// then tells the damaged file from the unreadable one.
class FileByteSource {
public:
    explicit FileByteSource(HANDLE file) : file_(file), buffer_(kBufferBytes) {}
    std::size_t Read(std::uint8_t* out, std::size_t count);
    bool Failed() const { return failed_; }

private:
    static constexpr std::size_t kBufferBytes = 256 * 1024;
    HANDLE file_;
    std::vector<std::uint8_t> buffer_;
    std::size_t at_ = 0, filled_ = 0;
    bool failed_ = false;
};

// Reads up to `max` bytes from the start of the file (shared for reading and
// writing); the file is closed on return. Failures raise the I/O error.
std::vector<std::uint8_t> ReadFileStart(const std::wstring& fileName, std::size_t max);

using ui::SystemErrorText;

// The name made absolute against the current folder.
std::wstring AbsolutePath(const std::wstring& fileName);

}  // namespace pelma
