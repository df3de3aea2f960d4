#include "view/file_access.h"

#include "core/errors.h"
#include "core/messages.h"

namespace pelma {

void RaiseInOutError(DWORD code) {
    throw EInOutError(static_cast<int>(code), IoErrorMessage(static_cast<int>(code)));
}

namespace {

// While it lives, names under the system folder mean that folder, not the
// 32-bit one a 32-bit program is redirected to on 64-bit Windows. Only the
// one call that takes the user's name runs inside it (no module is loaded
// there); elsewhere, and in a 64-bit program, nothing changes.
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

}  // namespace

ui::UniqueFile OpenNamedFile(const std::wstring& fileName, DWORD share) {
    HANDLE h;
    DWORD error;
    {
        AsNamed asNamed;
        h = CreateFileW(fileName.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
        error = GetLastError();
    }
    SetLastError(error);
    return ui::UniqueFile(h);
}

DWORD NamedFileAttributes(const std::wstring& fileName) {
    DWORD attributes;
    DWORD error;
    {
        AsNamed asNamed;
        attributes = GetFileAttributesW(fileName.c_str());
        error = GetLastError();
    }
    SetLastError(error);
    return attributes;
}

ui::UniqueFile OpenForSharedReading(const std::wstring& fileName) {
    ui::UniqueFile file = OpenNamedFile(fileName, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!file) RaiseInOutError(GetLastError());
    return file;
}

std::vector<std::uint8_t> ReadFileStart(const std::wstring& fileName, std::size_t max) {
    ui::UniqueFile file = OpenForSharedReading(fileName);
    std::vector<std::uint8_t> bytes(max);
    std::size_t got = 0;
    while (got < max) {
        DWORD n = 0;
        if (!ReadFile(file.get(), bytes.data() + got, static_cast<DWORD>(max - got), &n, nullptr))
            RaiseInOutError(GetLastError());
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    HANDLE h = file.release();
    if (!CloseHandle(h)) RaiseInOutError(GetLastError());
    return bytes;
}

std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    return text;
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
