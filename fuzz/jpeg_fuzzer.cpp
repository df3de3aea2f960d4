// Any byte string through the JPEG header reader and the full decoder, to
// 24 bits and to 8 bits with a palette; and through the decoder writing
// straight into 32-bit rows, as the picture view does, with the reduced copy
// made from the rows as they come. Both ways must give the same colours.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/errors.h"
#include "view/area_scale.h"
#include "view/formats/jpeg_reader.h"

namespace {

// 16 K pixels: a few bytes can declare a large frame that the decoder then
// fills in whole, three times a run. A small budget keeps every run short;
// the layouts and the code paths are the same at any size.
constexpr std::uint64_t kBudget = 64u << 10;

pelma::DecodedJpeg Decode(const std::uint8_t* data, std::size_t size, bool eightBit) {
    try {
        pelma::DecodedJpeg d = pelma::DecodeJpeg(data, size, eightBit, kBudget);
        const std::size_t n = static_cast<std::size_t>(d.width) * d.height;
        if (d.rowsDecoded < 0 || d.rowsDecoded > d.height || d.palette.size() > 256) __builtin_trap();
        if ((d.eightBit ? d.indices.size() : d.pixels.size()) != n) __builtin_trap();
        if (d.errorCode == 0 && d.rowsDecoded != d.height) __builtin_trap();
        return d;
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    return {};
}

void DecodeIntoRows(const std::uint8_t* data, std::size_t size, const pelma::DecodedJpeg& expected) {
    std::vector<std::uint8_t> rows, small(37 * 23 * 4);
    pelma::PixelRows view;
    std::unique_ptr<pelma::AreaScaler> scaler;
    int next = 0;
    try {
        const pelma::DecodedJpeg d = pelma::DecodeJpegInto(
            data, size, false,
            [&](int w, int h) {
                rows.assign(static_cast<std::size_t>(w) * h * 4, 0);
                view = {rows.data(), static_cast<std::size_t>(w) * 4, w, h, 4};
                scaler = std::make_unique<pelma::AreaScaler>(
                    w, h, 4, pelma::PixelRows{small.data(), 37 * 4, 37, 23, 4});
                return view;
            },
            [&](int y) {
                if (y != next++) __builtin_trap();  // every row once, in order
                scaler->AddRow(view.Row(y));
            },
            kBudget);
        if (next != d.rowsDecoded) __builtin_trap();
        if (d.eightBit || expected.eightBit || d.rowsDecoded != expected.rowsDecoded) return;
        for (int y = 0; y < d.rowsDecoded; ++y)
            for (int x = 0; x < d.width; ++x) {
                const std::uint8_t* p = view.Row(y) + x * 4;
                const std::uint32_t c = static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
                if (c != expected.pixels[static_cast<std::size_t>(y) * d.width + x]) __builtin_trap();
            }
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
}

// Decoded smaller as it decodes, as for a reduced view: the rows asked for
// are the upright size divided and rounded up, and each comes once, in order.
void DecodeScaled(const std::uint8_t* data, std::size_t size, const pelma::JpegHeader& h, int scale) {
    std::vector<std::uint8_t> rows;
    int next = 0, height = 0;
    try {
        const pelma::DecodedJpeg d = pelma::DecodeJpegInto(
            data, size, false,
            [&](int w, int ht) {
                if (w != (h.width + scale - 1) / scale || ht != (h.height + scale - 1) / scale)
                    __builtin_trap();
                height = ht;
                rows.assign(static_cast<std::size_t>(w) * ht * 3, 0);
                return pelma::PixelRows{rows.data(), static_cast<std::size_t>(w) * 3, w, ht, 3};
            },
            [&](int y) {
                if (y != next++ || y >= height) __builtin_trap();
            },
            kBudget, scale);
        if (next != d.rowsDecoded) __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pelma::JpegHeader h;
    try {
        h = pelma::ReadJpegHeader(data, size, kBudget);
        if (h.width < 0 || h.height < 0) __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
        return 0;
    }
    const pelma::DecodedJpeg colour = Decode(data, size, false);
    Decode(data, size, true);
    DecodeIntoRows(data, size, colour);
    DecodeScaled(data, size, h, 2 << (size % 3));
    return 0;
}
