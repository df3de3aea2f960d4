// Names longer than the classic path limit, in the form the system's file
// functions take whole.
#pragma once

#include <string>

namespace pelma {

// The longest full path (in UTF-16 units, without its terminator) that the
// system's file functions take without the extended-length prefix.
constexpr std::size_t kClassicPathLimit = 259;

// A full path as the system's file functions take it: unchanged up to the
// classic limit or when it already carries a "\\?\" or "\\.\" prefix; longer
// drive paths become "\\?\C:\…", longer UNC paths "\\?\UNC\server\share\…".
// Anything else (a relative name) is returned as it is.
std::wstring ExtendedLengthPath(const std::wstring& fullPath);

// A full path inside `systemFolder` (the System32 folder, e.g.
// "C:\Windows\system32"; letters compared without case) named through the
// "Sysnative" alias beside it ("C:\Windows\Sysnative\…"), by which a 32-bit
// program on 64-bit Windows reaches System32 itself rather than SysWOW64.
// Empty for any other path, the folder itself included.
std::wstring SysnativeAlias(const std::wstring& fullPath, const std::wstring& systemFolder);

}  // namespace pelma
