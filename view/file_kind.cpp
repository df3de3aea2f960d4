#include "view/file_kind.h"

#include <array>

namespace pelma {

std::wstring ExtractFileExt(const std::wstring& fileName) {
    auto at = fileName.find_last_of(L".\\:");
    if (at == std::wstring::npos || fileName[at] != L'.') return {};
    return fileName.substr(at);
}

std::wstring ExtractFileName(const std::wstring& fileName) {
    auto at = fileName.find_last_of(L"\\:");
    return at == std::wstring::npos ? fileName : fileName.substr(at + 1);
}

std::wstring UpperCaseAscii(std::wstring text) {
    for (auto& c : text)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

bool IsSoundExtension(const std::wstring& upperExt) {
    return upperExt == L".MID" || upperExt == L".RMI" || upperExt == L".WAV";
}

FileKind ClassifyExtension(const std::wstring& upperExt) {
    if (upperExt == L".RTF") return FileKind::RichText;
    static const std::array<const wchar_t*, 10> pictures = {L".ICO", L".BMP",  L".DIB", L".EMF", L".WMF",
                                                            L".JPG", L".JPEG", L".PNG", L".GIF", L".WEBP"};
    for (auto* p : pictures)
        if (upperExt == p) return FileKind::Picture;
    static const std::array<const wchar_t*, 6> media = {L".AVI", L".MPG", L".MPEG",
                                                        L".MID", L".RMI", L".WAV"};
    for (auto* m : media)
        if (upperExt == m) return IsSoundExtension(upperExt) ? FileKind::Sound : FileKind::Movie;
    return FileKind::TextOrHex;
}

}  // namespace pelma
