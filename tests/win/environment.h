// What this test environment's system gives where Windows gives something
// else: Wine 8 in a 1024 × 768 Xvfb screen, ja_JP locale. Every assertion of
// such a value takes it from here, so a run on Windows starts by reading these:
// each one is Wine's, and its comment says what Windows says instead.
#pragma once

#include <windows.h>

#include <string>

namespace pelma::test::environment {

// FormatMessage's texts for system error codes, as the program uses them
// (trailing blanks and line end removed). Windows words them otherwise, e.g.
// "指定されたファイルが見つかりません。" for 2.
inline constexpr wchar_t kFileNotFoundText[] = L"ファイルが見つかりません。";  // 2
inline constexpr wchar_t kSharingViolationText[] = L"共有違反です。";          // 32

// The desktop work area: the whole screen, as nothing reserves a taskbar's
// strip. On Windows it is the screen less the taskbar.
inline constexpr RECT kWorkArea = {0, 0, 1024, 768};
inline constexpr int kWorkAreaWidth = kWorkArea.right - kWorkArea.left;
inline constexpr int kWorkAreaHeight = kWorkArea.bottom - kWorkArea.top;

// The error of a window class nobody registered: Wine says
// ERROR_CLASS_DOES_NOT_EXIST (1411), Windows ERROR_CANNOT_FIND_WND_CLASS (1407).
inline constexpr DWORD kUnregisteredClassError = ERROR_CLASS_DOES_NOT_EXIST;

// The build tree's folders (PELMA_*_DIR_W: Unix paths, with backslashes) as
// Windows names: Wine shows the Unix file system as drive Z:. On Windows the
// build tree is a folder of a drive of its own and needs no drive in front.
inline std::wstring HostPath(const wchar_t* unixPath) { return std::wstring(L"Z:") + unixPath; }

}  // namespace pelma::test::environment
