// Small writers of picture files for the reader tests and the fuzz seed
// corpus: every byte is laid down here, field by field, so a test states
// exactly what the reader is given.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

#include <jpeglib.h>

namespace pelma::testing {

struct Bytes : std::vector<std::uint8_t> {
    using std::vector<std::uint8_t>::vector;
    Bytes& u8(unsigned v) {
        push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Bytes& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    Bytes& zeros(std::size_t n) {
        insert(end(), n, 0);
        return *this;
    }
    Bytes& append(const std::vector<std::uint8_t>& b) {
        insert(end(), b.begin(), b.end());
        return *this;
    }
    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) (*this)[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
};

// Uncompressed rows, given top-down as raw pixel values (palette indices, or
// 0x00RRGGBB for 24 bits, the 16/32-bit word otherwise), written in file
// order (bottom-up unless topDown) and padded to 32 bits.
inline Bytes PackRows(const std::vector<std::vector<std::uint32_t>>& rows, unsigned bitCount,
                      bool topDown = false) {
    Bytes out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[topDown ? r : rows.size() - 1 - r];
        Bytes bytes;
        unsigned acc = 0, nbits = 0;
        for (std::uint32_t v : row) {
            if (bitCount < 8) {
                acc = (acc << bitCount) | v;
                nbits += bitCount;
                if (nbits == 8) bytes.u8(acc), acc = 0, nbits = 0;
            } else if (bitCount == 8) {
                bytes.u8(v);
            } else if (bitCount == 16) {
                bytes.u16(v);
            } else if (bitCount == 24) {
                bytes.u8(v & 0xFF).u8((v >> 8) & 0xFF).u8((v >> 16) & 0xFF);
            } else {
                bytes.u32(v);
            }
        }
        if (nbits) bytes.u8(acc << (8 - nbits));
        while (bytes.size() % 4) bytes.u8(0);
        out.append(bytes);
    }
    return out;
}

struct BmpSpec {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 24;
    std::uint16_t planes = 1;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::vector<std::uint32_t> masks;    // inside a header of 52+ bytes, else after a 40-byte one
    Bytes bits;
    std::optional<std::uint32_t> offBits;  // default: right after the colour table
};

inline Bytes MakeBmp(const BmpSpec& s) {
    Bytes info;
    if (s.headerSize == 12) {
        info.u32(12).u16(s.width).u16(s.height).u16(s.planes).u16(s.bitCount);
    } else {
        info.u32(s.headerSize).i32(s.width).i32(s.height).u16(s.planes).u16(s.bitCount).u32(s.compression);
        info.u32(static_cast<std::uint32_t>(s.bits.size())).i32(2835).i32(2835).u32(s.clrUsed).u32(0);
        if (s.headerSize >= 52)
            for (std::size_t i = 0; i < 4 && info.size() < s.headerSize; ++i)
                info.u32(i < s.masks.size() ? s.masks[i] : 0);
        if (info.size() > s.headerSize)
            info.resize(s.headerSize);  // a header too short to be one
        else
            info.zeros(s.headerSize - info.size());
        if (s.headerSize < 52)
            for (std::uint32_t m : s.masks) info.u32(m);
    }
    for (std::uint32_t c : s.palette) {
        info.u8(c & 0xFF).u8((c >> 8) & 0xFF).u8((c >> 16) & 0xFF);
        if (s.headerSize != 12) info.u8(0);
    }
    const std::uint32_t off = s.offBits.value_or(14 + static_cast<std::uint32_t>(info.size()));
    Bytes file;
    file.u8('B').u8('M').u32(static_cast<std::uint32_t>(14 + info.size() + s.bits.size())).u32(0).u32(off);
    file.append(info);
    if (off > file.size()) file.zeros(off - file.size());
    file.append(s.bits);
    return file;
}

// An icon image: BITMAPINFOHEADER of double height, colour table, colour rows
// (top-down raw values as for PackRows) and the 1-bit mask (top-down, 1 =
// transparent).
inline Bytes MakeIconImage(int width, int height, unsigned bitCount,
                           const std::vector<std::uint32_t>& palette,
                           const std::vector<std::vector<std::uint32_t>>& colours,
                           const std::vector<std::vector<std::uint32_t>>& mask) {
    Bytes b;
    b.u32(40).i32(width).i32(2 * height).u16(1).u16(bitCount).u32(0).u32(0).i32(0).i32(0);
    b.u32(static_cast<std::uint32_t>(palette.size())).u32(0);
    for (std::uint32_t c : palette) b.u8(c & 0xFF).u8((c >> 8) & 0xFF).u8((c >> 16) & 0xFF).u8(0);
    b.append(PackRows(colours, bitCount));
    b.append(PackRows(mask, 1));
    return b;
}

struct IcoEntrySpec {
    unsigned widthByte = 0, heightByte = 0, coloursByte = 0;
    unsigned planes = 1, bitCount = 0;
    Bytes image;
    std::optional<std::uint32_t> bytesInRes, offset;  // default: the image's own
};

inline Bytes MakeIco(unsigned type, const std::vector<IcoEntrySpec>& entries) {
    Bytes file;
    file.u16(0).u16(type).u16(static_cast<unsigned>(entries.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
    for (const auto& e : entries) {
        file.u8(e.widthByte).u8(e.heightByte).u8(e.coloursByte).u8(0).u16(e.planes).u16(e.bitCount);
        file.u32(e.bytesInRes.value_or(static_cast<std::uint32_t>(e.image.size())))
            .u32(e.offset.value_or(offset));
        offset += static_cast<std::uint32_t>(e.image.size());
    }
    for (const auto& e : entries) file.append(e.image);
    return file;
}

// An enhanced metafile: a 108-byte header record and an end record.
inline Bytes MakeEmf(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t devPxW,
                     std::int32_t devPxH, std::int32_t devMmW, std::int32_t devMmH) {
    Bytes e;
    e.u32(1).u32(108);
    e.i32(0).i32(0).i32(100).i32(100);  // bounds
    e.i32(l).i32(t).i32(r).i32(b);      // frame
    e.u32(0x464D4520).u32(0x10000).u32(128).u32(2);
    e.u16(1).u16(0).u32(0).u32(0).u32(0);
    e.i32(devPxW).i32(devPxH).i32(devMmW).i32(devMmH);
    e.u32(0).u32(0).u32(0).i32(devMmW * 1000).i32(devMmH * 1000);
    e.u32(14).u32(20).u32(0).u32(16).u32(20);  // EMR_EOF
    return e;
}

// A Windows metafile body: the 18-byte header and the end record.
inline Bytes MakeWmfBody() {
    Bytes w;
    w.u16(1).u16(9).u16(0x300).u32(12).u16(0).u32(3).u16(0);
    w.u32(3).u16(0);
    return w;
}

inline Bytes MakePlaceableWmf(std::int16_t l, std::int16_t t, std::int16_t r, std::int16_t b, unsigned inch,
                              bool breakChecksum = false) {
    Bytes h;
    h.u32(0x9AC6CDD7).u16(0).u16(static_cast<std::uint16_t>(l)).u16(static_cast<std::uint16_t>(t));
    h.u16(static_cast<std::uint16_t>(r)).u16(static_cast<std::uint16_t>(b)).u16(inch).u32(0);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 20; i += 2) sum ^= h[i] | (h[i + 1] << 8);
    h.u16(breakChecksum ? sum ^ 1 : sum);
    return h.append(MakeWmfBody());
}

// A JPEG made by libjpeg's compressor; pixel(x, y) gives 0x00RRGGBB (the
// gray level is its low byte for one component; for four, the C, M, Y and K
// samples as written, from the high byte down).
inline Bytes MakeJpeg(int width, int height, int components,
                      const std::function<std::uint32_t(int, int)>& pixel, bool progressive = false,
                      int quality = 90, bool fullChroma = false,
                      const std::function<void(jpeg_compress_struct&)>& tweak = {}) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (fullChroma) c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(&c);
    if (tweak) tweak(c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components));
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixel(x, static_cast<int>(c.next_scanline));
            if (components == 1) {
                row[x] = static_cast<JSAMPLE>(p & 0xFF);
            } else if (components == 4) {
                for (int k = 0; k < 4; ++k) row[4 * x + k] = static_cast<JSAMPLE>(p >> (24 - 8 * k));
            } else {
                row[3 * x] = static_cast<JSAMPLE>(p >> 16);
                row[3 * x + 1] = static_cast<JSAMPLE>(p >> 8);
                row[3 * x + 2] = static_cast<JSAMPLE>(p);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return out;
}

// The offset of the first marker `code` (0xC0 for SOF0, 0xDA for SOS) at or
// after `from`, or 0.
inline std::size_t FindMarker(const Bytes& jpeg, unsigned code, std::size_t from = 2) {
    for (std::size_t i = from; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
    return 0;
}

}  // namespace pelma::testing
