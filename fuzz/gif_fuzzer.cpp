// Any byte string through the GIF reader: the animation is opened and stepped
// through its frames (twice round when it loops, within a bound), as the
// picture view plays it. Delays are never shorter than the rule allows and
// the canvas stays the size it was made.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/errors.h"
#include "view/formats/gif_reader.h"

namespace {

// 64 K pixels (the budget counts bytes): each loop starts from a cleared
// canvas, and a frame may save and restore most of it.
constexpr std::uint64_t kBudget = 256u << 10;
constexpr int kMaxSteps = 32;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 15)) return 0;
    // Half the inputs compose into memory of their own, as the picture view
    // has them, over an opaque background.
    std::vector<std::uint32_t> memory;
    const pelma::PictureAllocator canvas = [&memory](int w, int h) {
        memory.assign(static_cast<std::size_t>(w) * h, 0);
        return pelma::PixelRows{reinterpret_cast<std::uint8_t*>(memory.data()),
                                static_cast<std::size_t>(w) * 4, w, h, 4};
    };
    const bool given = size % 2 == 1;
    try {
        auto a = pelma::OpenGifAnimation(std::vector<std::uint8_t>(data, data + size), kBudget,
                                         given ? &canvas : nullptr, given ? 0xFF808080u : 0u);
        const int w = a->Width(), h = a->Height();
        if (w <= 0 || h <= 0 || a->FrameCount() < 1 || a->LoopCount() < 0 || !a->Canvas()) __builtin_trap();
        if (given && a->Canvas() != memory.data()) __builtin_trap();
        const int steps = a->FrameCount() * 2 < kMaxSteps ? a->FrameCount() * 2 : kMaxSteps;
        for (int i = 0; i < steps; ++i) {
            try {
                if (!a->Advance()) break;
            } catch (const pelma::Exception& e) {
                if (e.Message().empty()) __builtin_trap();
                if (a->Advance()) __builtin_trap();  // a damaged frame ends the animation
                break;
            }
            if (a->Delay() <= pelma::kShortestFrameDelay || a->FrameIndex() >= a->FrameCount())
                __builtin_trap();
            if (a->Width() != w || a->Height() != h) __builtin_trap();
        }
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    return 0;
}
