// A picture's size from the first bytes of its file, without decoding it:
// enough to tell, before any pixel memory is taken, the size it will be drawn
// at and whether it fits beside the pictures already held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "view/formats/decoded_picture.h"
#include "view/formats/picture_registry.h"

namespace pelma {

// How many leading bytes of a file PeekPictureSize needs at most: a JPEG's
// frame header follows its EXIF block (up to 64 KB) and its other markers.
inline constexpr std::size_t kPictureHeadBytes = 128 * 1024;

// The size (upright, for a JPEG with an EXIF orientation) of a bitmap, JPEG,
// PNG, GIF or WebP whose file begins with these bytes; none when they do not
// tell it (another kind, a damaged or cut header, or a picture over the
// budget).
std::optional<PictureInfo> PeekPictureSize(const std::uint8_t* data, std::size_t size, PictureKind kind);

}  // namespace pelma
