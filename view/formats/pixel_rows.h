// A picture's pixels as the program keeps them: rows top-down, `stride`
// bytes apart, each pixel 3 bytes (B, G, R) or 4 bytes (B, G, R, unused): the
// layouts of 24-bit and 32-bit top-down DIB sections.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelma {

struct PixelRows {
    std::uint8_t* first = nullptr;
    std::size_t stride = 0;
    int width = 0;
    int height = 0;
    int pixelBytes = 4;

    std::uint8_t* Row(int y) const { return first + stride * static_cast<std::size_t>(y); }
};

}  // namespace pelma
