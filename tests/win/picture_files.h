// Picture files and screen reads for the picture tests: the portable
// builders (bitmaps, icons, metafiles, JPEGs through libjpeg's compressor)
// and the pixels the main window really shows.
#pragma once

#include "harness.h"

#include "tests/native/formats/picture_builders.h"

namespace pelma::test {

using pelma::testing::Bytes;

// A 24-bit bitmap file whose pixel (x, y), counted from the top, is pixel(x, y) (0x00RRGGBB).
Bytes PatternBitmap(int width, int height, const std::function<std::uint32_t(int, int)>& pixel);

// A one-entry icon of 4-bit colour: every pixel `rgb`, the left half
// transparent when `leftHalfClear`.
pelma::testing::IcoEntrySpec IconEntry(int size, std::uint32_t rgb, unsigned coloursByte,
                                       bool leftHalfClear = false);

// A baseline colour JPEG of one colour.
Bytes PlainJpeg(int width, int height, std::uint32_t rgb);

// Shows the main window (once) and paints everything that needs it.
void ShowAndPaint(TPelmaForm1& form);

// The colour (0x00RRGGBB) a window shows at a client point.
std::uint32_t ShownPixel(HWND hwnd, int x, int y);

// A bitmap's pixel (0x00RRGGBB), read through a memory DC.
std::uint32_t BitmapPixel(HBITMAP bitmap, int x, int y);

// Whether two colours differ by at most `tolerance` in every channel.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 24);

}  // namespace pelma::test
