#include "view/long_path.h"

namespace pelma {

std::wstring ExtendedLengthPath(const std::wstring& fullPath) {
    if (fullPath.size() <= kClassicPathLimit) return fullPath;
    if (fullPath.rfind(L"\\\\?\\", 0) == 0 || fullPath.rfind(L"\\\\.\\", 0) == 0) return fullPath;
    if (fullPath.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + fullPath.substr(2);
    const bool drive =
        fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\' &&
        ((fullPath[0] >= L'A' && fullPath[0] <= L'Z') || (fullPath[0] >= L'a' && fullPath[0] <= L'z'));
    return drive ? L"\\\\?\\" + fullPath : fullPath;
}

std::wstring SysnativeAlias(const std::wstring& fullPath, const std::wstring& systemFolder) {
    const std::size_t n = systemFolder.size(), parent = systemFolder.find_last_of(L'\\');
    if (n == 0 || parent == std::wstring::npos || fullPath.size() <= n + 1 || fullPath[n] != L'\\') return {};
    auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    for (std::size_t i = 0; i < n; ++i)
        if (fold(fullPath[i]) != fold(systemFolder[i])) return {};
    return systemFolder.substr(0, parent) + L"\\Sysnative" + fullPath.substr(n);
}

}  // namespace pelma
