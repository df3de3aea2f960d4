// Any byte string through the HEIF/AVIF reader: the primary image decoded to
// 32-bit rows, with its transformations and colours. An image that decodes
// must have every pixel and an alpha flag that tells the truth.
#include <cstddef>
#include <cstdint>

#include "core/errors.h"
#include "fuzz/picture_checks.h"
#include "view/formats/heif_reader.h"

namespace {

// 128 K pixels (turned ones counted twice): a small file may claim a large
// image, and every HEVC or AV1 pixel decoded costs time; the seeds' largest
// picture, a grid of 256 × 192, fits.
constexpr std::uint64_t kBudget = 1u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 16)) return 0;
    // The first byte's low bit picks the kind's message; the reader is the same.
    const auto flavour = size && (data[0] & 1) ? pelma::HeifFlavour::Avif : pelma::HeifFlavour::Heic;
    pelma::fuzz::Checked([&] { pelma::fuzz::CheckPicture(pelma::ReadHeif(data, size, flavour, kBudget)); });
    return 0;
}
