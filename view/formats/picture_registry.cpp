#include "view/formats/picture_registry.h"

#include "core/messages.h"
#include "view/file_kind.h"

namespace pelma {

std::optional<PictureKind> LookUpPictureFormat(const std::wstring& extWithoutDot) {
    const std::wstring wanted = UpperCaseAscii(L"." + extWithoutDot);
    for (const KnownExtension& e : KnownExtensions())
        if (e.upperExt == wanted) return e.reader;
    return std::nullopt;
}

std::wstring UnknownPictureFormatMessage(const std::wstring& extWithoutDot) {
    return FormatOne(L"拡張子 .%s の画像形式は処理できません", extWithoutDot);
}

}  // namespace pelma
