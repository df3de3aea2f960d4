#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "view/page_warmer.h"

namespace pelma {
namespace {

// A writer fills a block row by row, claiming each row first, while the worker
// touches it from the end, sometimes slowly. Every byte is marked as it is
// used: no byte may be touched twice, touched once the writer has it, or
// written while a touch of it is under way.
TEST(PageWarmer, WriterAndWorkerNeverShareAByte) {
    constexpr std::size_t kRow = 1000, kRows = 200, kSize = kRow * kRows;
    for (std::size_t step : {std::size_t{1}, std::size_t{777}, std::size_t{4096}, kSize * 2}) {
        for (int touchMicroseconds : {0, 50}) {
            std::vector<std::uint8_t> block(kSize, 0);
            // 0 unused, 1 written, 2 being touched, 3 touched
            auto owner = std::make_unique<std::atomic<int>[]>(kSize);
            std::atomic<int> conflicts{0};
            std::atomic<std::size_t> touched{0};
            PageWarmer warmer(
                block.data(), kSize,
                [&](std::uint8_t* first, std::size_t size) {
                    const std::size_t from = static_cast<std::size_t>(first - block.data());
                    for (std::size_t i = from; i < from + size; ++i) {
                        int none = 0;
                        if (!owner[i].compare_exchange_strong(none, 2)) ++conflicts;
                    }
                    if (touchMicroseconds)
                        std::this_thread::sleep_for(std::chrono::microseconds(touchMicroseconds));
                    for (std::size_t i = from; i < from + size; ++i) owner[i] = 3;
                    touched += size;
                },
                step);
            for (std::size_t row = 0; row < kRows; ++row) {
                warmer.Claim((row + 1) * kRow);
                for (std::size_t i = row * kRow; i < (row + 1) * kRow; ++i) {
                    const int was = owner[i].exchange(1);
                    if (was == 1 || was == 2) ++conflicts;
                    block[i] = 1;
                }
                // The writer is slower than the worker, sometimes.
                if (row % 50 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            warmer.Stop();
            EXPECT_EQ(conflicts, 0) << "step " << step << ", touch " << touchMicroseconds << " us";
            EXPECT_LE(touched, kSize);
        }
    }
}

TEST(PageWarmer, StopsWhenAskedAndWithNothingToDo) {
    std::vector<std::uint8_t> block(1 << 16);
    std::atomic<int> steps{0};
    {
        // Stopped at once: at most the step under way is touched.
        PageWarmer warmer(
            block.data(), block.size(),
            [&](std::uint8_t*, std::size_t) {
                ++steps;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            },
            1024);
        warmer.Stop();
        warmer.Stop();  // a second stop is harmless
    }
    EXPECT_LE(steps, 1);
    // Once a writer has claimed everything the worker touches nothing more
    // (what it touched before the claim depends on the scheduler).
    steps = 0;
    int beforeClaim = 0;
    {
        PageWarmer warmer(
            block.data(), block.size(), [&](std::uint8_t*, std::size_t) { ++steps; }, 1024);
        warmer.Claim(block.size() * 2);  // past the end: the whole block
        beforeClaim = steps;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(steps, beforeClaim);
    // No memory, no touch function: no worker.
    PageWarmer none(nullptr, 100, [&](std::uint8_t*, std::size_t) { ++steps; });
    none.Claim(50);
    PageWarmer noTouch(block.data(), block.size(), nullptr);
    noTouch.Claim(block.size());
}

}  // namespace
}  // namespace pelma
