#include "view/formats/dib.h"

#include "view/formats/byte_order.h"

namespace pelma::dib {
namespace {

using formats::I32At;
using formats::U16At;
using formats::U32At;

// One colour channel of a 16- or 32-bit pixel: (pixel & mask) >> shift,
// scaled from 0..max to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    unsigned shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        while (((m >> shift) & 1u) == 0) ++shift;
        max = m >> shift;
    }

    std::uint32_t Value(std::uint32_t pixel) const {
        if (max == 0) return 0;
        std::uint64_t v = (pixel & mask) >> shift;
        return static_cast<std::uint32_t>((v * 255 + max / 2) / max);
    }
};

struct PixelSink {
    const Layout& layout;
    std::uint32_t* out;

    // Row y counted in file order (the first stored row is 0).
    std::uint32_t* Row(std::uint32_t y) const {
        std::uint32_t outY = layout.topDown ? y : layout.height - 1 - y;
        return out + static_cast<std::size_t>(outY) * layout.width;
    }

    std::uint32_t Colour(std::uint32_t index) const {
        const auto& palette = *layout.palette;
        return index < palette.size() ? palette[index] : 0;
    }
};

void DecodeRows(const Layout& L, const std::uint8_t* bits, std::size_t len, const PixelSink& sink) {
    const std::uint64_t stride = RowBytes(L.width, L.bitCount);
    std::uint32_t m[3] = {L.masks[0], L.masks[1], L.masks[2]};
    if (m[0] == 0 && m[1] == 0 && m[2] == 0) {
        if (L.bitCount == 16) {
            m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F;
        } else {
            m[0] = 0xFF0000, m[1] = 0x00FF00, m[2] = 0x0000FF;
        }
    }
    const Channel red(m[0]), green(m[1]), blue(m[2]), alpha(L.alphaMask);
    const bool plain32 = L.bitCount == 32 && m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF &&
                         (L.alphaMask == 0 || L.alphaMask == 0xFF000000u);
    const bool keepTop = L.keepAlpha || L.alphaMask == 0xFF000000u;

    for (std::uint32_t y = 0; y < L.height; ++y) {
        const std::uint64_t start = stride * y;
        if (start >= len) break;
        const std::uint8_t* row = bits + start;
        const std::uint64_t avail = len - start < stride ? len - start : stride;
        std::uint32_t* dst = sink.Row(y);
        // Pixels whose bytes lie within `avail`.
        const std::uint64_t whole = avail * 8 / L.bitCount;
        const std::uint32_t count = static_cast<std::uint32_t>(whole < L.width ? whole : L.width);
        switch (L.bitCount) {
            case 1:
                for (std::uint32_t x = 0; x < count; ++x)
                    dst[x] = sink.Colour((row[x >> 3] >> (7 - (x & 7))) & 1u);
                break;
            case 4:
                for (std::uint32_t x = 0; x < count; ++x)
                    dst[x] = sink.Colour((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
                break;
            case 8:
                for (std::uint32_t x = 0; x < count; ++x) dst[x] = sink.Colour(row[x]);
                break;
            case 16:
                for (std::uint32_t x = 0; x < count; ++x) {
                    std::uint32_t p = U16At(row + 2 * x);
                    dst[x] =
                        (alpha.Value(p) << 24) | (red.Value(p) << 16) | (green.Value(p) << 8) | blue.Value(p);
                }
                break;
            case 24:
                for (std::uint32_t x = 0; x < count; ++x) {
                    const std::uint8_t* p = row + 3 * x;
                    dst[x] = (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
                }
                break;
            case 32:
                for (std::uint32_t x = 0; x < count; ++x) {
                    std::uint32_t p = U32At(row + 4 * x);
                    if (plain32)
                        dst[x] = keepTop ? p : (p & 0x00FFFFFF);
                    else
                        dst[x] = (alpha.Value(p) << 24) | (red.Value(p) << 16) | (green.Value(p) << 8) |
                                 blue.Value(p);
                }
                break;
            default:
                return;
        }
    }
}

// Run-length encoded rows (RLE8, RLE4). Rows are stored bottom-up as usual;
// pixels a run or a jump leaves out stay untouched.
void DecodeRle(const Layout& L, const std::uint8_t* bits, std::size_t len, const PixelSink& sink) {
    const bool four = L.compression == kRle4;
    std::uint64_t x = 0, y = 0;
    auto put = [&](std::uint32_t index) {
        if (x < L.width) sink.Row(static_cast<std::uint32_t>(y))[x] = sink.Colour(index);
        ++x;
    };
    std::size_t i = 0;
    while (i + 1 < len && y < L.height) {
        const unsigned count = bits[i], value = bits[i + 1];
        i += 2;
        if (count > 0) {
            if (x >= L.width) {
                x += count;
                continue;
            }
            for (unsigned k = 0; k < count; ++k)
                put(four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        switch (value) {
            case 0:  // end of row
                x = 0;
                ++y;
                break;
            case 1:  // end of picture
                return;
            case 2:  // jump right and up
                if (i + 1 >= len) return;
                x += bits[i];
                y += bits[i + 1];
                i += 2;
                break;
            default: {  // `value` pixels stored as they are, padded to 16 bits
                const std::size_t bytes = four ? (value + 1) / 2 : value;
                for (unsigned k = 0; k < value; ++k) {
                    const std::size_t at = i + (four ? k / 2 : k);
                    if (at >= len) break;
                    put(four ? ((k & 1) ? (bits[at] & 0x0F) : (bits[at] >> 4)) : bits[at]);
                }
                i += (bytes + 1) & ~std::size_t{1};
                break;
            }
        }
    }
}

}  // namespace

Status ReadHeader(const std::uint8_t* p, std::size_t avail, Header& out) {
    if (avail < 4) return Status::Truncated;
    out = Header{};
    out.size = U32At(p);
    if (out.size == kCoreHeaderSize) {
        if (avail < kCoreHeaderSize) return Status::Truncated;
        out.core = true;
        out.width = U16At(p + 4);
        out.height = U16At(p + 6);
        out.planes = U16At(p + 8);
        out.bitCount = U16At(p + 10);
    } else {
        if (out.size < kInfoHeaderSize) return Status::Invalid;
        if (avail < out.size) return Status::Truncated;
        out.width = I32At(p + 4);
        out.height = I32At(p + 8);
        out.planes = U16At(p + 12);
        out.bitCount = U16At(p + 14);
        out.compression = U32At(p + 16);
        out.clrUsed = U32At(p + 32);
        if (out.size >= 52) {
            out.masksInHeader = true;
            for (int c = 0; c < 3; ++c) out.masks[c] = U32At(p + 40 + 4 * c);
        }
        if (out.size >= 56) out.alphaMask = U32At(p + 52);
    }
    if (out.planes != 1) return Status::Invalid;
    return Status::Ok;
}

bool IsDecodable(const Header& h) {
    switch (h.bitCount) {
        case 1:
        case 24:
            return h.compression == kRgb;
        case 4:
            return h.compression == kRgb || h.compression == kRle4;
        case 8:
            return h.compression == kRgb || h.compression == kRle8;
        case 16:
        case 32:
            return h.compression == kRgb || h.compression == kBitFields || h.compression == kAlphaBitFields;
        default:
            return false;
    }
}

std::uint64_t RowBytes(std::uint64_t width, unsigned bitCount) { return (width * bitCount + 31) / 32 * 4; }

std::uint32_t PaletteEntries(const Header& h) {
    if (h.bitCount > 8) return 0;
    const std::uint32_t full = 1u << h.bitCount;
    return h.clrUsed >= 1 && h.clrUsed <= full ? h.clrUsed : full;
}

bool ReadPalette(const std::uint8_t* p, std::size_t avail, std::uint32_t entries, bool core,
                 std::vector<std::uint32_t>& out) {
    const std::size_t step = core ? 3 : 4;
    if (avail / step < entries) return false;
    out.resize(entries);
    for (std::uint32_t i = 0; i < entries; ++i, p += step)
        out[i] = (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
    return true;
}

void DecodePixels(const Layout& layout, const std::uint8_t* bits, std::size_t len, std::uint32_t* out) {
    static const std::vector<std::uint32_t> kNoPalette;
    Layout L = layout;
    if (L.palette == nullptr) L.palette = &kNoPalette;
    if (L.width == 0 || L.height == 0 || bits == nullptr) return;
    const PixelSink sink{L, out};
    if (L.compression == kRle8 || L.compression == kRle4)
        DecodeRle(L, bits, len, sink);
    else
        DecodeRows(L, bits, len, sink);
}

}  // namespace pelma::dib
