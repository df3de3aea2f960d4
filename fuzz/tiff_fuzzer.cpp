// Any byte string through the TIFF reader: the first page decoded to 32-bit
// rows. A page that decodes must have every pixel and an alpha flag that
// tells the truth.
#include <cstddef>
#include <cstdint>

#include "core/errors.h"
#include "fuzz/picture_checks.h"
#include "view/formats/tiff_reader.h"

namespace {

// About a million pixels: a small file may claim a large page.
constexpr std::uint64_t kBudget = 4u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 16)) return 0;
    pelma::fuzz::Checked([&] { pelma::fuzz::CheckPicture(pelma::ReadTiff(data, size, kBudget)); });
    return 0;
}
