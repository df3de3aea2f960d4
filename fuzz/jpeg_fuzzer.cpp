// Any byte string through the JPEG header reader and the full decoder, to
// 24 bits and to 8 bits with a palette.
#include <cstddef>
#include <cstdint>

#include "core/errors.h"
#include "view/formats/jpeg_reader.h"

namespace {

// About a million pixels: decoding is the slow part of every run.
constexpr std::uint64_t kBudget = 4u << 20;

void Decode(const std::uint8_t* data, std::size_t size, bool eightBit) {
    try {
        const pelma::DecodedJpeg d = pelma::DecodeJpeg(data, size, eightBit, kBudget);
        const std::size_t n = static_cast<std::size_t>(d.width) * d.height;
        if (d.rowsDecoded < 0 || d.rowsDecoded > d.height || d.palette.size() > 256) __builtin_trap();
        if ((d.eightBit ? d.indices.size() : d.pixels.size()) != n) __builtin_trap();
        if (d.errorCode == 0 && d.rowsDecoded != d.height) __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const pelma::JpegHeader h = pelma::ReadJpegHeader(data, size, kBudget);
        if (h.width < 0 || h.height < 0) __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
        return 0;
    }
    Decode(data, size, false);
    Decode(data, size, true);
    return 0;
}
