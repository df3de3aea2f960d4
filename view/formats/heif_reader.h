// HEIF pictures (the HEIC photos of phones, with HEVC inside) and AVIF
// pictures (AV1 inside) through libheif: the file's primary image, with its
// rotation, mirroring and crop applied, grids of tiles put together, 8 to 12
// bits brought to 8, and its alpha. An image sequence shows its still image
// (the first frame).
//
// A file that is not of the kind, or whose primary image cannot be decoded, is
// EInvalidGraphic with the kind's message ("HEIF イメージが不正です", "AVIF
// イメージが不正です"); an image beyond the budget is EInvalidGraphic
// "画像が大きすぎます", found before any pixel memory is taken.
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/formats/decoded_picture.h"
#include "view/formats/picture_limits.h"

namespace pelma {

enum class HeifFlavour { Heic, Avif };

const wchar_t* InvalidHeifMessage(HeifFlavour flavour);

// The primary image decoded into rows the caller provides (see
// PictureAllocator), straight alpha; nothing is written when the allocator
// gives no memory. Colours are converted to the display's profile (see
// view/formats/colour_profile.h) from the image's embedded ICC profile, or
// from its colour description (nclx) when that names other primaries or
// another transfer than sRGB's.
PictureInfo ReadHeifInto(const std::uint8_t* data, std::size_t size, HeifFlavour flavour,
                         const PictureAllocator& allocate, std::uint64_t budgetBytes = kMaxPictureBytes);

// The same into pixels of its own.
DecodedPicture ReadHeif(const std::uint8_t* data, std::size_t size, HeifFlavour flavour,
                        std::uint64_t budgetBytes = kMaxPictureBytes);

}  // namespace pelma
