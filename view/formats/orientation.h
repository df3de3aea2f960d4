// Pictures stored turned or mirrored (the EXIF and TIFF orientation tag, 1
// to 8): where each stored row goes in the upright picture.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelma {

// Where one decoded row goes in the upright output: the first pixel's
// address and the step from pixel to pixel, for rows of `pixelBytes` bytes
// `stride` apart holding the picture as the orientation turns it.
struct Placement {
    std::uint8_t* first;
    std::ptrdiff_t step;
};

inline Placement Place(int orientation, std::uint8_t* out, std::size_t stride, int pixelBytes, int y,
                       int width, int height) {
    const auto s = static_cast<std::ptrdiff_t>(stride), pb = static_cast<std::ptrdiff_t>(pixelBytes);
    const std::ptrdiff_t w = width, h = height, yy = y;
    switch (orientation) {
        case 2:  // mirrored left to right
            return {out + yy * s + (w - 1) * pb, -pb};
        case 3:  // turned half round
            return {out + (h - 1 - yy) * s + (w - 1) * pb, -pb};
        case 4:  // mirrored top to bottom
            return {out + (h - 1 - yy) * s, pb};
        case 5:  // mirrored along the main diagonal
            return {out + yy * pb, s};
        case 6:  // to be turned a quarter clockwise
            return {out + (h - 1 - yy) * pb, s};
        case 7:  // mirrored along the other diagonal
            return {out + (w - 1) * s + (h - 1 - yy) * pb, -s};
        case 8:  // to be turned a quarter anticlockwise
            return {out + (w - 1) * s + yy * pb, -s};
        default:
            return {out + yy * s, pb};
    }
}

// Orientations that swap width and height.
inline bool MovesRowsAcross(int orientation) { return orientation >= 5 && orientation <= 8; }

// Orientations whose rows come out in another order than decoded.
inline bool MovesRows(int orientation) { return orientation >= 3 && orientation <= 8; }

}  // namespace pelma
