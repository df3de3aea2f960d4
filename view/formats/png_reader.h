// PNG pictures through libpng: every colour type and bit depth, palette and
// tRNS transparency, 16-bit channels (scaled to 8 bits) and Adam7
// interlacing. Gamma and colour-profile chunks are ignored.
//
// A file that is not a PNG, is damaged (a bad critical chunk, a broken
// compressed stream) or ends before its last row is EInvalidGraphic
// "PNG イメージが不正です"; a picture beyond the budget is EInvalidGraphic
// "画像が大きすぎます", found from the header before any pixel memory is taken.
// Damaged ancillary chunks are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "view/formats/decoded_picture.h"
#include "view/formats/picture_limits.h"

namespace pelma {

// The picture's size from its header chunk, without decoding.
PictureInfo ReadPngHeader(const std::uint8_t* data, std::size_t size,
                          std::uint64_t budgetBytes = kMaxPictureBytes);

// Decodes a whole PNG file held in memory to straight-alpha 0xAARRGGBB pixels.
DecodedPicture ReadPng(const std::uint8_t* data, std::size_t size,
                       std::uint64_t budgetBytes = kMaxPictureBytes);

// The same decoding straight into rows the caller provides (see
// PictureAllocator). Nothing is written when the allocator gives no memory.
// On a failure after allocation the rows hold what was decoded so far and
// the exception is thrown as above.
PictureInfo ReadPngInto(const std::uint8_t* data, std::size_t size, const PictureAllocator& allocate,
                        std::uint64_t budgetBytes = kMaxPictureBytes);

// The same decoding from bytes read only as libpng needs them, so that a
// file need not be held whole in memory. Bytes that end early are a damaged
// file, as above.
PictureInfo ReadPngInto(const ByteSource& read, const PictureAllocator& allocate,
                        std::uint64_t budgetBytes = kMaxPictureBytes);

// Whether the bytes start with the PNG signature.
bool IsPng(const std::uint8_t* data, std::size_t size);

// "PNG イメージが不正です"
const wchar_t* InvalidPngMessage();

}  // namespace pelma
