// Message texts that do not belong to one view, and the rules that shape them.
#pragma once

#include <string>

namespace pelma {

// The message of an I/O error by its code. 2 to 5 are the system's codes that
// the program's own reads meet; 100 (read past the end), 101 (disk full) and
// 106 (not a number) are the run-time library's own codes of the classic file
// routines, which no system call returns and these reads never raise: they
// stay in the table so that the code-to-text mapping is one table whatever
// raises it.
std::wstring IoErrorMessage(int code);

// What the error display shows: the message with a full stop appended unless it
// is empty or ends in an ASCII character at or below '.'.
std::wstring WithFullStop(const std::wstring& message);

// The system's text for an error code as used inside a message: trailing
// blanks, control characters and ASCII full stops removed.
std::wstring TrimSystemText(std::wstring text);

// "ファイル "%s". %s は開けません"
std::wstring StreamOpenFailureMessage(const std::wstring& absolutePath, const std::wstring& systemText);

// The message of EReadError when a stream ends, or cannot be read, inside a
// part that must be read whole: "ストリームからの読み込みエラー".
std::wstring StreamReadErrorMessage();

// Replaces the first "%s" of a pattern; "%%" is not special in our texts.
std::wstring FormatOne(const std::wstring& pattern, const std::wstring& value);

}  // namespace pelma
