// GIF pictures through giflib: the first frame as a still picture, and the
// animation model (animation.h) for all frames. Interlaced frames, local
// palettes and transparency are honoured; frames are composed as browsers do
// on a canvas of the logical screen's size that starts transparent (or of
// the first frame's extent when the screen says 0), each frame clipped to it,
// with the disposal of the frame before applied first: none/unspecified
// keeps it, restore-to-background clears its area to transparent,
// restore-to-previous puts back what its area held before it was drawn. The
// loop count comes from a NETSCAPE2.0 block: the animation is shown once and
// then repeated that many times, or for ever for 0; without the block, once.
//
// A file that is not a GIF, or whose first frame is damaged or cut short, is
// EInvalidGraphic "GIF イメージが不正です". Data ending after a complete frame
// (a missing trailer, a later frame cut off) ends the animation there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "view/formats/animation.h"
#include "view/formats/decoded_picture.h"
#include "view/formats/picture_limits.h"

namespace pelma {

// Opens an animation over the file's bytes (kept by the animation); the
// first frame is composed. The canvas is held to `budgetBytes`, and so is the
// copy of a frame's area that restore-to-previous needs. `canvas`, when given,
// is asked for the canvas's memory (rows of exactly its size, each right after
// the one before: a 32-bit DIB section's bits, say); it is made here when that
// gives none. `clear` is the colour the canvas starts as and that
// restore-to-background clears to: transparent, or an opaque background's
// colour for a canvas that is then already composed over it.
std::unique_ptr<PictureAnimation> OpenGifAnimation(std::vector<std::uint8_t> bytes,
                                                   std::uint64_t budgetBytes = kMaxPictureBytes,
                                                   const PictureAllocator* canvas = nullptr,
                                                   std::uint32_t clear = 0);

// The first frame as composed on its canvas.
DecodedPicture ReadGif(const std::uint8_t* data, std::size_t size,
                       std::uint64_t budgetBytes = kMaxPictureBytes);

// "GIF イメージが不正です"
const wchar_t* InvalidGifMessage();

}  // namespace pelma
