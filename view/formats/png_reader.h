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
#include <memory>
#include <string>
#include <vector>

#include "view/formats/animation.h"

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

// Whether a PNG file beginning with these bytes is animated: an animation
// control chunk (acTL) of more than one frame before its image data.
bool IsAnimatedPng(const std::uint8_t* data, std::size_t size);

// An animated PNG (APNG): each frame's region composed onto the canvas as its
// blend operation says (over the canvas, or in place of it), and disposed of
// before the next as it says (left, cleared, or put back as it was); its
// loop count from the animation control chunk. The chunks are walked here;
// each frame's data is decoded by libpng as a picture of its own. A file whose
// frames do not fit its canvas, or whose first frame is damaged, is
// EInvalidGraphic "PNG イメージが不正です"; a later damaged frame ends the
// animation as PictureAnimation says.
std::unique_ptr<PictureAnimation> OpenPngAnimation(std::vector<std::uint8_t> bytes,
                                                   std::uint64_t budgetBytes = kMaxPictureBytes);

}  // namespace pelma
