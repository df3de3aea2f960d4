// TIFF pictures through libtiff: the first page of a file, in every layout
// libtiff's RGBA interface reads (strips or tiles; 1 to 16 bits; bilevel,
// grey, palette, RGB, CMYK, YCbCr; uncompressed, LZW, Deflate, PackBits, JPEG,
// CCITT group 3 and 4), turned upright as its orientation tag says, with its
// alpha. Later pages are not read.
//
// A file that is not a TIFF, or whose first page cannot be read, is
// EInvalidGraphic "TIFF イメージが不正です"; a page beyond the budget is
// EInvalidGraphic "画像が大きすぎます", found before any pixel memory is taken.
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/formats/decoded_picture.h"
#include "view/formats/picture_limits.h"

namespace pelma {

const wchar_t* InvalidTiffMessage();

// The first page decoded straight into rows the caller provides (see
// PictureAllocator), upright, straight alpha; nothing is written when the
// allocator gives no memory.
PictureInfo ReadTiffInto(const std::uint8_t* data, std::size_t size, const PictureAllocator& allocate,
                         std::uint64_t budgetBytes = kMaxPictureBytes);

// The same from a file of `size` bytes read where libtiff asks, one strip or
// tile at a time: the bytes are never held whole.
PictureInfo ReadTiffInto(std::uint64_t size, const ByteSourceAt& read, const PictureAllocator& allocate,
                         std::uint64_t budgetBytes = kMaxPictureBytes);

// The first page into pixels of its own.
DecodedPicture ReadTiff(const std::uint8_t* data, std::size_t size,
                        std::uint64_t budgetBytes = kMaxPictureBytes);

}  // namespace pelma
