#include "view/file_kind.h"

#include <array>

namespace pelma {

namespace {

using K = FileKind;
using P = PictureKind;

// Pictures first, in the order the Open dialog lists them.
constexpr std::array<KnownExtension, 30> kKnown{{
    {L".RTF", K::RichText, std::nullopt},
    {L".BMP", K::Picture, P::Bitmap, true, true},
    {L".ICO", K::Picture, P::Icon, true, true},
    {L".EMF", K::Picture, P::Metafile, true, true},
    {L".WMF", K::Picture, P::Metafile, true, true},
    {L".JPG", K::Picture, P::Jpeg, true, true},
    {L".JPEG", K::Picture, P::Jpeg, true, false},
    {L".PNG", K::Picture, P::Png, true, true},
    {L".APNG", K::Picture, P::Png, true, false},
    {L".GIF", K::Picture, P::Gif, true, true},
    {L".WEBP", K::Picture, P::WebP, true, true},
    {L".TIF", K::Picture, P::Tiff, true, true},
    {L".TIFF", K::Picture, P::Tiff, true, false},
    {L".HEIC", K::Picture, P::Heif, true, true},
    {L".HEIF", K::Picture, P::Heif, true, false},
    {L".HIF", K::Picture, P::Heif, true, false},
    {L".AVIF", K::Picture, P::Avif, true, true},
    // Routed to the picture view, which has no reader for it.
    {L".DIB", K::Picture, std::nullopt},
    {L".AVI", K::Movie, std::nullopt},
    {L".MPG", K::Movie, std::nullopt},
    {L".MPEG", K::Movie, std::nullopt},
    {L".MP4", K::Movie, std::nullopt},
    {L".M4V", K::Movie, std::nullopt},
    {L".WMV", K::Movie, std::nullopt},
    {L".MID", K::Sound, std::nullopt},
    {L".RMI", K::Sound, std::nullopt},
    {L".WAV", K::Sound, std::nullopt},
    {L".MP3", K::Sound, std::nullopt},
    {L".M4A", K::Sound, std::nullopt},
    {L".WMA", K::Sound, std::nullopt},
}};

std::wstring LowerCaseAscii(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower;
}

}  // namespace

std::span<const KnownExtension> KnownExtensions() { return kKnown; }

const KnownExtension* FindKnownExtension(const std::wstring& upperExt) {
    for (const auto& e : kKnown)
        if (e.upperExt == upperExt) return &e;
    return nullptr;
}

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

FileKind ClassifyExtension(const std::wstring& upperExt) {
    const KnownExtension* e = FindKnownExtension(upperExt);
    return e ? e->kind : FileKind::TextOrHex;
}

BrowseFamily BrowseFamilyOf(const std::wstring& upperExt) {
    const KnownExtension* e = FindKnownExtension(upperExt);
    if (!e) return BrowseFamily::Other;
    switch (e->kind) {
        case FileKind::RichText:
            return BrowseFamily::RichText;
        case FileKind::Picture:
            // A picture the view refuses is browsed with the other files.
            return e->reader ? BrowseFamily::Pictures : BrowseFamily::Other;
        case FileKind::Movie:
        case FileKind::Sound:
            return BrowseFamily::Media;
        case FileKind::TextOrHex:
            break;
    }
    return BrowseFamily::Other;
}

std::wstring PictureDialogFilter() {
    std::wstring title, patterns;
    for (const auto& e : kKnown) {
        if (!e.inPictureFilter) continue;
        if (e.inPictureFilterTitle) title += (title.empty() ? L"*" : L",*") + std::wstring(e.upperExt);
        patterns += (patterns.empty() ? L"*" : L";*") + LowerCaseAscii(e.upperExt);
    }
    return L"画像ファイル (" + title + L")" + std::wstring(1, L'\0') + patterns + std::wstring(1, L'\0');
}

}  // namespace pelma
