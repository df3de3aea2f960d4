// What the readers of PNG, GIF and WebP pictures give: 32-bit pixels with
// straight (not premultiplied) alpha, and the helpers that turn them into
// what the screen shows.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "view/formats/pixel_rows.h"

namespace pelma {

// A decoded picture: width × height pixels, rows top-down, each 0xAARRGGBB
// (B, G, R, A in memory: the layout of a top-down 32-bit DIB section). The
// alpha is straight; `hasAlpha` is true when some pixel is not fully opaque,
// and then the picture must be composed over the view's background (with
// CompositeOver, or Premultiply and an alpha blend). When it is false every
// alpha byte is 0xFF.
struct DecodedPicture {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::vector<std::uint32_t> pixels;
};

// What a reader writing into the caller's memory reports.
struct PictureInfo {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
};

// Memory the caller provides once the picture's size is known: 4-byte pixel
// rows of exactly that size (a top-down 32-bit DIB section's bits, say), or
// rows with no memory to decode nothing.
using PictureAllocator = std::function<PixelRows(int width, int height)>;

// Where a decoder that reads as it goes takes its bytes from: up to `count`
// bytes into `out`, returning how many arrived; fewer than asked only at the
// end of the bytes (or when they cannot be read: the source keeps why).
using ByteSource = std::function<std::size_t(std::uint8_t* out, std::size_t count)>;

// Where a decoder that reads here and there takes its bytes from: up to
// `count` bytes from `offset` into `out`, returning how many arrived; fewer
// only at the end of the bytes (or when they cannot be read, as above).
using ByteSourceAt = std::function<std::size_t(std::uint64_t offset, std::uint8_t* out, std::size_t count)>;

// A decoder that writes into the caller's rows (`decode`, handed the
// allocator) run into a picture of its own, in memory held to the budget.
DecodedPicture DecodeToPixels(const std::function<PictureInfo(const PictureAllocator&)>& decode);

// work(first, end) over rows [0, height): a picture of a megapixel or more
// in two halves, the second on a thread of its own (for a pass over every
// pixel, whose first touch of fresh memory costs as much as the work).
void ForRowHalves(int width, int height, const std::function<void(int first, int end)>& work);
// The same for a pass that makes `rows` rows from `pixels` pixels in all (a
// scaling, say): halved when those are a megapixel or more.
void ForRowHalves(int rows, std::uint64_t pixels, const std::function<void(int first, int end)>& work);

// The 0xAARRGGBB pixel of colours that were multiplied by their alpha `a`,
// made straight again.
inline std::uint32_t StraightPixel(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    if (a != 0 && a != 255) {
        r = std::min<std::uint32_t>(255, (r * 255 + a / 2) / a);
        g = std::min<std::uint32_t>(255, (g * 255 + a / 2) / a);
        b = std::min<std::uint32_t>(255, (b * 255 + a / 2) / a);
    }
    return a << 24 | r << 16 | g << 8 | b;
}

// Whether any of `count` pixels has an alpha byte other than 0xFF.
bool AnyTransparent(const std::uint32_t* pixels, std::size_t count);

// Each pixel of `rows` composed over the opaque colour `background`
// (0x00RRGGBB): the result is opaque, its alpha byte 0.
void CompositeOver(PixelRows rows, std::uint32_t background);

// Each pixel's colour multiplied by its alpha, as an alpha blend of the
// platform (AlphaBlend with AC_SRC_ALPHA, an icon's colour bits) expects.
void Premultiply(PixelRows rows);

}  // namespace pelma
