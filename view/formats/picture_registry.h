// The picture format registry: which kind of picture a file extension makes.
#pragma once

#include <optional>
#include <string>

namespace pelma {

enum class PictureKind { Bitmap, Icon, Metafile, Jpeg, Png, Gif, WebP };

// The kind registered for an extension given without its dot, in any case
// ("Jpg", "JPEG", "emf"). Entries in the order added: wmf, emf, ico, bmp
// (the picture support), then jpeg, jpg (the JPEG support), then png, gif,
// webp (the readers of today's formats); the lookup
// compares ASCII-lower-cased and searches from the last entry. There is no
// entry for "dib".
std::optional<PictureKind> LookUpPictureFormat(const std::wstring& extWithoutDot);

// "拡張子 .%s の画像形式は処理できません" with the extension as it was written.
std::wstring UnknownPictureFormatMessage(const std::wstring& extWithoutDot);

}  // namespace pelma
