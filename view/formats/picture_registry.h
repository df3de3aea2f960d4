// The picture format registry: which kind of picture a file extension makes.
#pragma once

#include <optional>
#include <string>

namespace pelma {

enum class PictureKind { Bitmap, Icon, Metafile, Jpeg, Png, Gif, WebP, Tiff, Heif, Avif };

// The reader registered for an extension given without its dot, in any
// ASCII case ("Jpg", "JPEG", "emf"), as the table of known extensions
// (view/file_kind.h) says. There is none for "dib".
std::optional<PictureKind> LookUpPictureFormat(const std::wstring& extWithoutDot);

// "拡張子 .%s の画像形式は処理できません" with the extension as it was written.
std::wstring UnknownPictureFormatMessage(const std::wstring& extWithoutDot);

}  // namespace pelma
