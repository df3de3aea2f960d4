// WebP pictures through libwebp: lossy, lossless, with or without alpha, and
// animated ones through libwebp's demuxer and animation decoder (which
// composes the frames on its canvas with their blending and disposal) behind
// the animation model of animation.h. The loop count is the file's: the
// animation is shown that many times, 0 meaning for ever.
//
// A file that is not a WebP, is damaged or cut short is EInvalidGraphic
// "WebP イメージが不正です"; a picture beyond the budget "画像が大きすぎます",
// found from the headers before pixel memory is taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "view/formats/animation.h"
#include "view/formats/decoded_picture.h"
#include "view/formats/picture_limits.h"

namespace pelma {

struct WebPHeader {
    int width = 0;  // the canvas of an animation
    int height = 0;
    bool hasAlpha = false;  // the file says it may carry alpha
    bool animated = false;
};

// The headers only, no decoding.
WebPHeader ReadWebPHeader(const std::uint8_t* data, std::size_t size,
                          std::uint64_t budgetBytes = kMaxPictureBytes);

// Decodes a still WebP picture straight into the caller's rows (see
// PictureAllocator); an animated one gives its first frame as composed.
PictureInfo ReadWebPInto(const std::uint8_t* data, std::size_t size, const PictureAllocator& allocate,
                         std::uint64_t budgetBytes = kMaxPictureBytes);

DecodedPicture ReadWebP(const std::uint8_t* data, std::size_t size,
                        std::uint64_t budgetBytes = kMaxPictureBytes);

// An animation over the file's bytes (kept by it), the first frame composed;
// a still picture gives an animation of one frame. The decoder keeps two
// canvases (the frame shown and the one before it); both together are held
// to `budgetBytes`.
std::unique_ptr<PictureAnimation> OpenWebPAnimation(std::vector<std::uint8_t> bytes,
                                                    std::uint64_t budgetBytes = kMaxPictureBytes);

// "WebP イメージが不正です"
const wchar_t* InvalidWebPMessage();

}  // namespace pelma
