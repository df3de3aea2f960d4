// The device-independent bitmap layout shared by bitmap files and icon
// images: the information header, the colour table and the pixel rows.
// Used by the bitmap and icon readers only; the results of those readers are
// the public interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelma::dib {

inline constexpr std::uint32_t kRgb = 0;
inline constexpr std::uint32_t kRle8 = 1;
inline constexpr std::uint32_t kRle4 = 2;
inline constexpr std::uint32_t kBitFields = 3;
inline constexpr std::uint32_t kJpeg = 4;  // the bits are a JPEG file
inline constexpr std::uint32_t kPng = 5;   // the bits are a PNG file
inline constexpr std::uint32_t kAlphaBitFields = 6;

inline constexpr std::uint32_t kCoreHeaderSize = 12;
inline constexpr std::uint32_t kInfoHeaderSize = 40;

// The information header as read; a 12-byte core header is widened to it.
struct Header {
    std::uint32_t size = 0;  // bytes the header takes in the file
    bool core = false;       // 12-byte header: colour table entries of 3 bytes
    std::int64_t width = 0;
    std::int64_t height = 0;  // as stored: negative means the rows run top-down
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t clrUsed = 0;
    bool masksInHeader = false;          // a header of 52 bytes or more holds the masks
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    std::uint32_t alphaMask = 0;         // from a header of 56 bytes or more (version 4 and 5 included)
};

enum class Status { Ok, Truncated, Invalid };

// Reads the header at p (avail bytes there). Truncated: the bytes end inside
// it. Invalid: a size other than 12 or at least 40, or planes other than 1.
Status ReadHeader(const std::uint8_t* p, std::size_t avail, Header& out);

// Whether bit count and compression form a layout this reader can decode:
// 1, 4, 8, 16, 24 or 32 bits; RLE8 with 8 bits, RLE4 with 4, bit fields with
// 16 or 32; a core header only uncompressed.
bool IsDecodable(const Header& h);

// Bytes of one uncompressed row: padded to 32 bits.
std::uint64_t RowBytes(std::uint64_t width, unsigned bitCount);

// The number of colour table entries to read for 1..8 bits: clrUsed when it
// is from 1 to 2^bits, else 2^bits. 0 for deeper pixels.
std::uint32_t PaletteEntries(const Header& h);

// Reads `entries` colours (3 bytes each for a core header, else 4) as
// 0x00RRGGBB. False when the bytes end first.
bool ReadPalette(const std::uint8_t* p, std::size_t avail, std::uint32_t entries, bool core,
                 std::vector<std::uint32_t>& out);

// Everything the pixel decoder needs. Pixels are written top-down as
// 0x00RRGGBB; palette indices past the table give black. With keepAlpha the
// top byte of 32-bit uncompressed pixels is kept (icon images); with an
// alpha mask the top byte is that channel, scaled to 0..255.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    unsigned bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t masks[3] = {0, 0, 0};  // for 16 and 32 bits; all zero means the defaults
    std::uint32_t alphaMask = 0;         // for 16 and 32 bits with bit fields: the alpha channel
    const std::vector<std::uint32_t>* palette = nullptr;
    bool keepAlpha = false;
};

// Decodes `len` bytes of pixel data into out (width × height, zero-filled by
// the caller). Rows and pixels beyond the data are left untouched; RLE runs
// and jumps past the row or the picture are clipped.
void DecodePixels(const Layout& layout, const std::uint8_t* bits, std::size_t len, std::uint32_t* out);

}  // namespace pelma::dib
