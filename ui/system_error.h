// The system's own words for a failed call, and the exception that carries them.
#pragma once

#include <windows.h>

#include <string>

namespace pelma::ui {

// The system's own text for an error code, as the system gives it (with its
// closing punctuation and line end); empty when it has none.
std::wstring SystemErrorText(DWORD code);

// Raises the failure of a system call: the message is the system's text for
// `code`, or `unexplained` when the call failed without saying why (code 0,
// whose system text would report success) or the system has no text for it.
[[noreturn]] void RaiseSystemError(DWORD code, const std::wstring& unexplained);

}  // namespace pelma::ui
