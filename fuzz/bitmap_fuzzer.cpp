// Any byte string through the bitmap reader: it returns a whole picture or
// throws a pelma::Exception, and never reads or writes out of bounds.
#include <cstddef>
#include <cstdint>

#include "core/errors.h"
#include "view/formats/bitmap_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A far smaller budget than the program's (64 K pixels; it counts bytes) keeps
    // each run fast; the check itself is the same.
    constexpr std::uint64_t kBudget = 256u << 10;
    try {
        const pelma::DecodedBitmap b = pelma::ReadBitmap(data, size, kBudget);
        if (b.width < 0 || b.height < 0 || b.pixels.size() != static_cast<std::size_t>(b.width) * b.height)
            __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    return 0;
}
