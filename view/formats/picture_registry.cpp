#include "view/formats/picture_registry.h"

#include "core/messages.h"
#include "view/file_kind.h"

namespace pelma {

std::optional<PictureKind> LookUpPictureFormat(const std::wstring& extWithoutDot) {
    const KnownExtension* e = FindKnownExtension(UpperCaseAscii(L"." + extWithoutDot));
    return e ? e->reader : std::nullopt;
}

std::wstring UnknownPictureFormatMessage(const std::wstring& extWithoutDot) {
    return FormatOne(L"拡張子 .%s の画像形式は処理できません", extWithoutDot);
}

}  // namespace pelma
