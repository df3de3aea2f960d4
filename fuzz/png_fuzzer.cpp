// Any byte string through the PNG reader: the header alone, the whole
// decoding to 32-bit rows, and an animated PNG stepped through its frames. A picture that decodes must have
// every pixel and an alpha flag that tells the truth.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/errors.h"
#include "fuzz/picture_checks.h"
#include "view/formats/png_reader.h"

namespace {

// About a million pixels: inflating is the slow part of every run.
constexpr std::uint64_t kBudget = 4u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 16)) return 0;
    try {
        const pelma::PictureInfo h = pelma::ReadPngHeader(data, size, kBudget);
        if (h.width <= 0 || h.height <= 0) __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    pelma::fuzz::Checked([&] { pelma::fuzz::CheckPicture(pelma::ReadPng(data, size, kBudget)); });
    // An animation is stepped through its frames, twice round within a bound.
    if (!pelma::IsAnimatedPng(data, size)) return 0;
    try {
        auto a = pelma::OpenPngAnimation(std::vector<std::uint8_t>(data, data + size), kBudget);
        if (a->Width() <= 0 || a->Height() <= 0 || a->FrameCount() < 1 || !a->Canvas()) __builtin_trap();
        for (int i = 0; i < 2 * a->FrameCount() && i < 16; ++i) {
            if (!a->Advance()) break;
            if (a->Delay() <= pelma::kShortestFrameDelay) __builtin_trap();
        }
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    return 0;
}
