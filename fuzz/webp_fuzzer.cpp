// Any byte string through the WebP reader: the headers, the still decoding
// into 32-bit rows, and the animation stepped through its frames.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/errors.h"
#include "fuzz/picture_checks.h"
#include "view/formats/webp_reader.h"

namespace {

// 64 K pixels (the budget counts bytes): a small file may declare a large
// canvas, and it is decoded twice a run.
constexpr std::uint64_t kBudget = 256u << 10;
constexpr int kMaxSteps = 32;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 16)) return 0;
    try {
        const pelma::WebPHeader h = pelma::ReadWebPHeader(data, size, kBudget);
        if (h.width <= 0 || h.height <= 0) __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
        return 0;
    }
    pelma::fuzz::Checked([&] { pelma::fuzz::CheckPicture(pelma::ReadWebP(data, size, kBudget)); });
    try {
        auto a = pelma::OpenWebPAnimation(std::vector<std::uint8_t>(data, data + size), kBudget);
        if (a->Width() <= 0 || a->Height() <= 0 || !a->Canvas()) __builtin_trap();
        for (int i = 0; i < kMaxSteps && a->Advance(); ++i)
            if (a->Delay() <= pelma::kShortestFrameDelay || !a->Canvas()) __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    return 0;
}
