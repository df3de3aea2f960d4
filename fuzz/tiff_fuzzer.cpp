// Any byte string through the TIFF reader: the first page decoded to 32-bit
// rows. A page that decodes must have every pixel and an alpha flag that
// tells the truth.
#include <cstddef>
#include <cstdint>

#include "core/errors.h"
#include "view/formats/tiff_reader.h"

namespace {

// About a million pixels: a small file may claim a large page.
constexpr std::uint64_t kBudget = 4u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 16)) return 0;
    try {
        const pelma::DecodedPicture p = pelma::ReadTiff(data, size, kBudget);
        if (p.pixels.size() != static_cast<std::size_t>(p.width) * p.height) __builtin_trap();
        if (p.hasAlpha != pelma::AnyTransparent(p.pixels.data(), p.pixels.size())) __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    return 0;
}
