// The reader of icon files (.ico): the header and image directory, the
// choice of one image for the screen, and the decoding of that image.
//
// Load time (ReadIconFile) checks the header and the whole directory, so a
// file that loads has an image for every entry inside the file. The chosen
// entry's pixels are decoded when the icon is first needed (DecodeIconImage);
// a defect found only then (a damaged PNG image, a bitmap header disagreeing
// with the entry, pixel data cut short) is the same EInvalidGraphic. Every icon error
// other than the short header carries "アイコンイメージが不正です".
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace pelma {

// Colour counts: a directory byte of 0, and a screen deeper than 8 bits.
inline constexpr int kUnlimitedColours = std::numeric_limits<int>::max();

struct IconDirEntry {
    int width = 0;    // pixels; a directory byte of 0 means 256
    int height = 0;   // pixels; a directory byte of 0 means 256
    int colours = 0;  // the colour count byte; 0 becomes kUnlimitedColours
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t bytesInRes = 0;
    std::uint32_t imageOffset = 0;
};

struct IconFile {
    // Type 0: the platform's stock application icon stands for the file; no
    // directory is read.
    bool stockIcon = false;
    std::vector<IconDirEntry> entries;  // type 1: at least one
};

// Reads the header and directory of a whole icon file held in memory.
// - EReadError "ストリームからの読み込みエラー" when the file has fewer than 6 bytes.
// - EInvalidGraphic "アイコンイメージが不正です" for a type greater than 1, and
//   for type 1 when the image count is 0, the directory runs past the end of
//   the file, or an entry's image (offset, byte size) is empty or does not lie
//   inside the file.
IconFile ReadIconFile(const std::uint8_t* data, std::size_t size);

// The screen colours for the choice: 2^(bitsPerPixel × planes) when that
// product is at most 8, else kUnlimitedColours.
int ScreenColours(int bitsPerPixel, int planes);

// The index of the entry to show. The first entry is the best so far; each
// later one becomes the best when its colours are ≤ screenColours and ≥ the
// best's colours, and it is the better size: with dx = width − wantedWidth,
// |dx(new)| ≤ |dx(best)| and (dx(new) ≤ 0 or dx(new) ≤ dx(best)), and the same
// for the heights. `entries` must not be empty.
std::size_t ChooseIconEntry(const std::vector<IconDirEntry>& entries, int wantedWidth, int wantedHeight,
                            int screenColours);

// One decoded icon image, entry.width × entry.height, rows top-down.
// - pixels: the colour (XOR) image as 0xAARRGGBB (B, G, R, A in memory).
//   When hasAlpha is true the image came with alpha (a PNG image, or 32 bits
//   with alpha) and the alpha byte is straight (not premultiplied): draw it
//   with its alpha; otherwise the alpha byte is 0 and only the mask decides
//   what is transparent.
// - mask: the AND mask, one byte per pixel, 1 where the background shows
//   through (where the colour is then combined with the background by XOR).
struct DecodedIcon {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> mask;
};

// Decodes the image of one entry of a file read by ReadIconFile. The image
// is either a PNG of the entry's width and height (its alpha kept, the mask
// made from it: 1 where the alpha is 0), or a BITMAPINFOHEADER (or core
// header) bitmap of the entry's width and twice its height, uncompressed,
// 1/4/8/16/24/32 bits, followed by its colour table, colour rows and 1-bit
// mask rows, all inside the entry's byte range. A 32-bit bitmap may lack its
// mask rows: its alpha then makes the mask as for a PNG (an alpha of 0
// throughout counts as opaque), and it is complete. Anything else is
// EInvalidGraphic "アイコンイメージが不正です".
DecodedIcon DecodeIconImage(const std::uint8_t* data, std::size_t size, const IconDirEntry& entry);

// The mask packed as a monochrome bitmap: top-down rows of 1 bit per pixel,
// most significant bit first, each row padded to a multiple of `rowAlignment`
// bytes (2 for CreateIcon, 4 for a DIB).
std::vector<std::uint8_t> PackMask(const DecodedIcon& icon, std::size_t rowAlignment);

// "アイコンイメージが不正です"
const wchar_t* InvalidIconMessage();

}  // namespace pelma
