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

}  // namespace pelma
