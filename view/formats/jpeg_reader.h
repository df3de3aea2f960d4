// JPEG pictures through libjpeg (6b API, library version 62). This header is
// free of <jpeglib.h>, so it can be included after <windows.h> or anywhere else.
//
// The decoder reads from an in-memory copy of the file, fed to it in
// 4096-byte steps; when the data ends it is given an end-of-image marker and a
// warning. Warnings (corrupt or truncated entropy-coded data and the like) are
// ignored: the picture decodes as far as it goes and the decoder fills the
// rest. A fatal decoder error becomes EJPEG "JPEG エラー #%d" with libjpeg's
// message code (a file not starting with 0xFF 0xD8 gives 53).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "view/formats/picture_limits.h"
#include "view/formats/pixel_rows.h"

namespace pelma {

// The size is the upright one: with an EXIF orientation of 5 to 8 (the
// picture is stored turned a quarter) the stored width and height are swapped.
struct JpegHeader {
    int width = 0;
    int height = 0;
    int components = 0;
    int orientation = 1;
};

// The orientation of an EXIF block (APP1 "Exif") before the first scan: 1
// (as stored) to 8, the TIFF orientation tag of the first image directory;
// 1 when there is none or it cannot be read. The decoders apply it: 2 mirror
// left to right, 3 turn half round, 4 mirror top to bottom, 5 mirror along
// the main diagonal, 6 turn a quarter clockwise, 7 mirror along the other
// diagonal, 8 turn a quarter anticlockwise.
int ReadJpegOrientation(const std::uint8_t* data, std::size_t size);

// Reads the headers up to the first scan. 0 bytes: 0 × 0 without reading.
// EJPEG on a fatal decoder error; EInvalidGraphic "画像が大きすぎます" when the
// frame is larger than `budgetBytes` allows (as 32-bit pixels).
JpegHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size,
                          std::uint64_t budgetBytes = kMaxPictureBytes);

// A decoded JPEG picture, rows top-down, at full scale, upright (the EXIF
// orientation applied; width and height are the upright ones). CMYK and
// YCCK pictures (Adobe's inverted inks included) are converted to RGB.
// - 24-bit output: `pixels` holds width × height values 0x00RRGGBB (B, G, R, 0
//   in memory, the layout of a top-down 32-bit DIB section).
// - 8-bit output: `indices` holds width × height palette indices and
//   `palette` up to 236 colours 0x00RRGGBB.
// When a fatal decoder error stopped the decoding, `errorCode` is its message
// code (else 0): the first `rowsDecoded` rows are the picture as decoded
// before the error and the rest are zero (an 8-bit result's palette is empty
// when the error came before the colours were chosen). The caller keeps the
// picture and reports the error once (JpegErrorMessage). With an orientation
// of 3 to 8 the rows are complete only at the end: `rowsDecoded` is then the
// height whether or not an error came first, and the parts not decoded are zero.
struct DecodedJpeg {
    int width = 0;
    int height = 0;
    bool eightBit = false;
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> indices;
    std::vector<std::uint32_t> palette;
    int rowsDecoded = 0;
    int errorCode = 0;
    int orientation = 1;
};

// Whether a picture is decoded to 8 bits with a palette: always for a
// single-component (grayscale) JPEG; for three components when the screen is
// 8 bits or less; never for four (CMYK, YCCK), whose inks are converted after
// the decoder, which cannot then choose the palette.
bool JpegDecodesToEightBit(bool screenEightBit, int components);

// Decodes a whole JPEG file held in memory with the program's fixed settings:
// scale 1/1, accurate integer DCT, block smoothing on, no progressive
// display; 24-bit RGB, or quantized to 236 colours (Floyd–Steinberg dithered)
// when JpegDecodesToEightBit(screenEightBit, components). 0 bytes give 0 × 0.
// A fatal error while reading the headers throws EJPEG; after that it is
// reported in the result. EInvalidGraphic "画像が大きすぎます" before anything
// is allocated when the frame exceeds `budgetBytes`; libjpeg's own
// whole-picture buffers (progressive files, two-pass quantization) are held
// to the same budget and fail with a decoder error beyond it. A file with more
// than kMaxJpegScans scans is treated as if it ended there.
DecodedJpeg DecodeJpeg(const std::uint8_t* data, std::size_t size, bool screenEightBit,
                       std::uint64_t budgetBytes = kMaxPictureBytes);

// The same decoding into memory that the caller provides once the frame size
// is known: `allocate(width, height)` returns the rows to write (of that
// size, 3 or 4 bytes per pixel: the bits of a top-down DIB section, say), or
// rows with no memory to decode nothing. Colour rows are written by the
// decoder itself, with no copy; the fourth byte of a 4-byte pixel is left
// unspecified (a DIB section ignores it). 8-bit output is written as the palette
// colours its indices stand for. `rowDone(y)`, when given, is called as soon
// as row y has been written (for orientations 3 to 8, for every row at the
// end). The result holds no pixel vectors; its width,
// height, eightBit, rowsDecoded and errorCode mean what they mean above. Rows
// not decoded are left as allocate gave them. Throws as DecodeJpeg does.
// With a `scaleDenominator` of 2, 4 or 8 the decoder itself makes the picture
// that much smaller as it decodes (its DCT scaling: less work than decoding
// whole, and a quarter of the memory or less): each side is the full side
// divided and rounded up, and allocate is asked for that size. The budget
// still counts the full size.
DecodedJpeg DecodeJpegInto(const std::uint8_t* data, std::size_t size, bool screenEightBit,
                           const std::function<PixelRows(int width, int height)>& allocate,
                           const std::function<void(int y)>& rowDone = {},
                           std::uint64_t budgetBytes = kMaxPictureBytes, int scaleDenominator = 1);

// The coarsest scale (1, 2, 4 or 8, as a denominator) at which a picture of
// width × height still has at least drawWidth × drawHeight pixels, so that it
// can be decoded that small and then reduced to the size it is drawn at with
// nothing lost. 1 when the size drawn at is not known (0 or less).
int JpegScaleDenominator(int width, int height, int drawWidth, int drawHeight);

inline constexpr int kMaxJpegScans = 500;

// "JPEG エラー #%d"
std::wstring JpegErrorMessage(int code);

}  // namespace pelma
