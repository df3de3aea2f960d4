// The reader of bitmap files (.bmp): the 14-byte file header, then a
// device-independent bitmap of any standard layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "view/formats/picture_limits.h"

namespace pelma {

// A decoded bitmap: width × height pixels, top-down, each 0x00RRGGBB. In
// memory on a little-endian machine that is B, G, R, 0: the layout of a
// top-down 32-bit BI_RGB DIB section, so the pixels can be copied into one
// as they are. An empty bitmap is 0 × 0 with no pixels.
//
// hasAlpha: the bitmap has an alpha channel (bit fields with an alpha mask:
// a header of version 4 or 5, or BI_ALPHABITFIELDS) whose values are neither
// all 0 nor all 255. Then each pixel is 0xAARRGGBB with straight alpha, to be
// composed over the view's background (decoded_picture.h: CompositeOver);
// otherwise the top byte is 0 as above. The top byte of uncompressed 32-bit
// pixels is never alpha.
struct DecodedBitmap {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::vector<std::uint32_t> pixels;
};

// Reads a whole bitmap file held in memory.
//
// - 0 bytes: the empty 0 × 0 bitmap, no error.
// - EReadError "ストリームからの読み込みエラー" when the file ends inside the
//   14-byte file header, the information header, the bit-field masks or the
//   colour table.
// - EInvalidGraphic "ビットマップイメージが不正です" for a file not starting
//   with "BM", colour planes other than 1, a header size other than 12 or at
//   least 40, a negative width, or a bit count / compression pair this reader
//   does not decode (1, 4, 8, 16, 24, 32 bits; uncompressed, RLE4, RLE8,
//   bit fields), and for a bitmap whose bits are a JPEG or PNG file
//   (compression 4 or 5) that does not decode whole to the header's width
//   and (positive) height.
// - EInvalidGraphic "画像が大きすぎます" when width × |height| × 4 bytes exceed
//   `budgetBytes`; nothing is allocated before this check.
//
// A zero width or height gives the empty 0 × 0 bitmap (after the headers and
// colour table were read). A negative height means the rows are stored
// top-down. The pixel data starts at the file header's offset when that lies
// between the end of the headers and the end of the file, else right after
// the colour table. Pixels the file does not hold (rows cut off by the end of
// the file, RLE jumps, RLE data ending early) are black, without an error;
// RLE runs and jumps that leave the row or the picture are clipped. A palette
// index past the colour table is black.
DecodedBitmap ReadBitmap(const std::uint8_t* data, std::size_t size,
                         std::uint64_t budgetBytes = kMaxPictureBytes);

// "ビットマップイメージが不正です"
const wchar_t* InvalidBitmapMessage();

}  // namespace pelma
