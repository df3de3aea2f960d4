#include "view/formats/picture_registry.h"

#include <array>
#include <string_view>

#include "core/messages.h"

namespace pelma {
namespace {

struct Entry {
    std::wstring_view extension;
    PictureKind kind;
};

constexpr std::array<Entry, 9> kEntries{{
    {L"wmf", PictureKind::Metafile},
    {L"emf", PictureKind::Metafile},
    {L"ico", PictureKind::Icon},
    {L"bmp", PictureKind::Bitmap},
    {L"jpeg", PictureKind::Jpeg},
    {L"jpg", PictureKind::Jpeg},
    {L"png", PictureKind::Png},
    {L"gif", PictureKind::Gif},
    {L"webp", PictureKind::WebP},
}};

std::wstring LowerCaseAscii(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

}  // namespace

std::optional<PictureKind> LookUpPictureFormat(const std::wstring& extWithoutDot) {
    const std::wstring wanted = LowerCaseAscii(extWithoutDot);
    for (auto it = kEntries.rbegin(); it != kEntries.rend(); ++it)
        if (it->extension == wanted) return it->kind;
    return std::nullopt;
}

std::wstring UnknownPictureFormatMessage(const std::wstring& extWithoutDot) {
    return FormatOne(L"拡張子 .%s の画像形式は処理できません", extWithoutDot);
}

}  // namespace pelma
