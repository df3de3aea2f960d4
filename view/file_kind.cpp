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

namespace {
// The extensions of the media branch, movies and sounds.
const std::array<const wchar_t*, 6> kMovies = {L".AVI", L".MPG", L".MPEG", L".MP4", L".M4V", L".WMV"};
const std::array<const wchar_t*, 6> kSounds = {L".MID", L".RMI", L".WAV", L".MP3", L".M4A", L".WMA"};

bool Listed(const std::array<const wchar_t*, 6>& list, const std::wstring& upperExt) {
    for (auto* e : list)
        if (upperExt == e) return true;
    return false;
}
}  // namespace

bool IsSoundExtension(const std::wstring& upperExt) { return Listed(kSounds, upperExt); }

FileKind ClassifyExtension(const std::wstring& upperExt) {
    if (upperExt == L".RTF") return FileKind::RichText;
    static const std::array<const wchar_t*, 10> pictures = {L".ICO", L".BMP",  L".DIB", L".EMF", L".WMF",
                                                            L".JPG", L".JPEG", L".PNG", L".GIF", L".WEBP"};
    for (auto* p : pictures)
        if (upperExt == p) return FileKind::Picture;
    if (Listed(kMovies, upperExt)) return FileKind::Movie;
    if (Listed(kSounds, upperExt)) return FileKind::Sound;
    return FileKind::TextOrHex;
}

}  // namespace pelma
