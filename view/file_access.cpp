#include "view/file_access.h"

#include "core/errors.h"
#include "core/messages.h"

namespace pelma {

void RaiseInOutError(DWORD code) {
    throw EInOutError(static_cast<int>(code), IoErrorMessage(static_cast<int>(code)));
}

ui::UniqueFile OpenForSharedReading(const std::wstring& fileName) {
    ui::UniqueFile file(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

std::wstring AbsolutePath(const std::wstring& fileName) {
    DWORD n = GetFullPathNameW(fileName.c_str(), 0, nullptr, nullptr);
    if (n == 0) return fileName;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(fileName.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return full;
}

}  // namespace pelma
