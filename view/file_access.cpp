#include "view/file_access.h"

#include <algorithm>
#include <cstring>

#include "core/errors.h"
#include "core/messages.h"
#include "view/long_path.h"

namespace pelma {

void RaiseInOutError(DWORD code) {
    throw EInOutError(static_cast<int>(code), IoErrorMessage(static_cast<int>(code)));
}

std::wstring SystemPath(const std::wstring& fileName) {
    const std::wstring full = AbsolutePath(fileName);
    return full.size() > kClassicPathLimit ? ExtendedLengthPath(full) : fileName;
}

DWORD NamedFileAttributes(const std::wstring& fileName) {
    const std::wstring path = SystemPath(fileName);
    AsNamed asNamed;
    return GetFileAttributesW(path.c_str());
}

ui::UniqueFile OpenForReading(const std::wstring& fileName, DWORD sharing, OpenFailure failure) {
    const std::wstring path = SystemPath(fileName);
    ui::UniqueFile file;
    DWORD code = 0;
    {
        AsNamed asNamed;
        file.reset(CreateFileW(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        code = GetLastError();
    }
    if (file) return file;
    if (failure == OpenFailure::InOutError) RaiseInOutError(code);
    throw EFOpenError(StreamOpenFailureMessage(AbsolutePath(fileName), SystemErrorText(code)));
}

std::wstring NativeFileName(const std::wstring& fileName) {
    static const bool wow64 = [] {
        BOOL is = FALSE;
        return IsWow64Process(GetCurrentProcess(), &is) && is;
    }();
    if (!wow64) return fileName;
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);  // System32, also in a 32-bit program
    if (n == 0 || n >= MAX_PATH) return fileName;
    std::wstring alias = SysnativeAlias(AbsolutePath(fileName), std::wstring(system, n));
    return alias.empty() ? fileName : alias;
}

void CloseReadFile(ui::UniqueFile& file) {
    if (!CloseHandle(file.release())) RaiseInOutError(GetLastError());
}

bool ReadUpTo(HANDLE file, std::uint8_t* data, std::size_t max, std::size_t& got) {
    got = 0;
    while (got < max) {
        // One read takes at most what a DWORD counts.
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(max - got, 0x40000000));
        DWORD n = 0;
        if (!ReadFile(file, data + got, want, &n, nullptr)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

std::size_t FileByteSource::Read(std::uint8_t* out, std::size_t count) {
    std::size_t done = 0;
    while (done < count && !failed_) {
        if (at_ == filled_) {
            std::size_t got = 0;
            // What fills the buffer or more goes straight to the caller.
            if (count - done >= buffer_.size()) {
                failed_ = !ReadUpTo(file_, out + done, count - done, got);
                return done + got;
            }
            failed_ = !ReadUpTo(file_, buffer_.data(), buffer_.size(), got);
            at_ = 0;
            filled_ = got;
            if (got == 0) break;
        }
        const std::size_t n = std::min(count - done, filled_ - at_);
        std::memcpy(out + done, buffer_.data() + at_, n);
        at_ += n;
        done += n;
    }
    return done;
}

std::vector<std::uint8_t> ReadFileStart(const std::wstring& fileName, std::size_t max) {
    ui::UniqueFile file =
        OpenForReading(fileName, FILE_SHARE_READ | FILE_SHARE_WRITE, OpenFailure::InOutError);
    std::vector<std::uint8_t> bytes(max);
    std::size_t got = 0;
    if (!ReadUpTo(file.get(), bytes.data(), max, got)) RaiseInOutError(GetLastError());
    bytes.resize(got);
    CloseReadFile(file);
    return bytes;
}

std::wstring AbsolutePath(const std::wstring& fileName) {
    DWORD n = GetFullPathNameW(fileName.c_str(), 0, nullptr, nullptr);
    if (n == 0) return fileName;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(fileName.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return full;
}

}  // namespace pelma
