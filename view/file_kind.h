// How a file name decides what the program does with the file.
#pragma once

#include <string>

namespace pelma {

enum class FileKind { RichText, Picture, Movie, Sound, TextOrHex };

// The part from the last '.' to the end, dot included, when no '\\' or ':'
// follows that dot; otherwise empty. File names are UTF-16, so a double-byte
// character can never be mistaken for a delimiter.
std::wstring ExtractFileExt(const std::wstring& fileName);

// The part after the last '\\' or ':'.
std::wstring ExtractFileName(const std::wstring& fileName);

// Maps 'a'..'z' to 'A'..'Z' and leaves every other character as it is.
std::wstring UpperCaseAscii(std::wstring text);

// The kind of an upper-cased extension, in the order the dispatch tests them.
FileKind ClassifyExtension(const std::wstring& upperExt);

bool IsSoundExtension(const std::wstring& upperExt);

}  // namespace pelma
