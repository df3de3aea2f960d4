// A writer of GIF files for the reader tests and the fuzz seeds: every
// block laid down here, the pixel data LZW-coded with a clear code often
// enough that the code width never grows (simple, and valid for any decoder).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/native/formats/picture_builders.h"

namespace pelma::testing {

struct GifFrameSpec {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;        // width × height, rows top-down
    int delayCs = 0;                          // hundredths of a second
    int disposal = 0;                         // 0..3
    int transparent = -1;                     // the transparent index, or none
    std::vector<std::uint32_t> localPalette;  // 0x00RRGGBB; empty: the global one
    bool interlaced = false;
    bool control = true;  // write a graphic control extension
    // Coded as LZW encoders code, the code width growing with the table up
    // to 12 bits, and no clear code once the table is full (as encoders that
    // defer their clear code write it).
    bool fullTable = false;
    int codeSize = 0;  // the LZW minimum code size; 0: the palette's bits
};

struct GifSpec {
    int width = 0, height = 0;
    std::vector<std::uint32_t> palette;  // the global palette, 2..256 colours
    std::vector<GifFrameSpec> frames;
    int netscapeLoops = -1;  // the NETSCAPE2.0 loop count, or no block
    bool trailer = true;
};

inline int GifTableBits(std::size_t colours) {
    int bits = 1;
    while ((std::size_t{1} << bits) < colours) ++bits;
    return bits;
}

inline void PutGifPalette(Bytes& out, const std::vector<std::uint32_t>& palette, int bits) {
    for (std::size_t i = 0; i < (std::size_t{1} << bits); ++i) {
        const std::uint32_t c = i < palette.size() ? palette[i] : 0;
        out.u8(c >> 16 & 0xFF).u8(c >> 8 & 0xFF).u8(c & 0xFF);
    }
}

// LZW codes of `indices` with minimum code size `minBits`, in sub-blocks.
inline void PutGifPixels(Bytes& out, const std::vector<std::uint8_t>& indices, int minBits,
                         bool fullTable = false) {
    const unsigned clear = 1u << minBits, end = clear + 1;
    unsigned width = minBits + 1, next = clear + 2;
    std::vector<std::uint8_t> packed;
    std::uint32_t acc = 0;
    int bits = 0;
    auto put = [&](unsigned code) {
        acc |= code << bits;
        bits += width;
        while (bits >= 8) {
            packed.push_back(static_cast<std::uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    };
    if (fullTable) {
        // The encoder adds an entry as it writes each code; the decoder adds
        // it on reading the next one, so the width grows once the encoder's
        // next entry is past the width's last code.
        std::map<std::pair<unsigned, unsigned>, unsigned> table;
        put(clear);
        unsigned w = indices.empty() ? 0 : indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const auto it = table.find({w, indices[i]});
            if (it != table.end()) {
                w = it->second;
                continue;
            }
            put(w);
            if (next < 4096) table[{w, indices[i]}] = next++;
            if (next > (1u << width) && width < 12) ++width;
            w = indices[i];
        }
        if (!indices.empty()) put(w);
    } else {
        const std::size_t run = clear - 2;  // literals between clear codes
        for (std::size_t i = 0; i < indices.size(); ++i) {
            if (i % run == 0) put(clear);
            put(indices[i]);
        }
    }
    put(end);
    if (bits) packed.push_back(static_cast<std::uint8_t>(acc));
    out.u8(minBits);
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::size_t n = packed.size() - at < 255 ? packed.size() - at : 255;
        out.u8(static_cast<unsigned>(n));
        out.insert(out.end(), packed.begin() + at, packed.begin() + at + n);
    }
    out.u8(0);
}

inline Bytes MakeGif(const GifSpec& s) {
    Bytes out;
    for (char c : std::string("GIF89a")) out.u8(static_cast<unsigned char>(c));
    const int bits = GifTableBits(s.palette.size());
    out.u16(s.width).u16(s.height).u8(0x80 | 0x70 | (bits - 1)).u8(0).u8(0);
    PutGifPalette(out, s.palette, bits);
    if (s.netscapeLoops >= 0) {
        out.u8(0x21).u8(0xFF).u8(11);
        for (char c : std::string("NETSCAPE2.0")) out.u8(static_cast<unsigned char>(c));
        out.u8(3).u8(1).u16(s.netscapeLoops).u8(0);
    }
    for (const GifFrameSpec& f : s.frames) {
        if (f.control)
            out.u8(0x21)
                .u8(0xF9)
                .u8(4)
                .u8((f.disposal << 2) | (f.transparent >= 0 ? 1 : 0))
                .u16(f.delayCs)
                .u8(f.transparent >= 0 ? f.transparent : 0)
                .u8(0);
        const bool local = !f.localPalette.empty();
        const int localBits = local ? GifTableBits(f.localPalette.size()) : bits;
        out.u8(0x2C).u16(f.left).u16(f.top).u16(f.width).u16(f.height);
        out.u8((local ? 0x80 | (localBits - 1) : 0) | (f.interlaced ? 0x40 : 0));
        if (local) PutGifPalette(out, f.localPalette, localBits);
        std::vector<std::uint8_t> rows;
        if (f.interlaced) {
            static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = kStart[pass]; y < f.height; y += kStep[pass])
                    rows.insert(rows.end(), f.indices.begin() + y * f.width,
                                f.indices.begin() + (y + 1) * f.width);
        } else {
            rows = f.indices;
        }
        PutGifPixels(out, rows, f.codeSize ? f.codeSize : localBits < 2 ? 2 : localBits, f.fullTable);
    }
    if (s.trailer) out.u8(0x3B);
    return out;
}

}  // namespace pelma::testing
