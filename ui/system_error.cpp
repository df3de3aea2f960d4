#include "ui/system_error.h"

#include "core/errors.h"
#include "core/messages.h"

namespace pelma::ui {

std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    return text;
}

void RaiseSystemError(DWORD code, const std::wstring& unexplained) {
    std::wstring text = code != ERROR_SUCCESS ? TrimSystemText(SystemErrorText(code)) : std::wstring();
    throw Exception(text.empty() ? unexplained : text);
}

}  // namespace pelma::ui
