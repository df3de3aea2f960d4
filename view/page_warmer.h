// Brings a block of freshly allocated memory into the process on a second
// core while one writer fills it from the start. The first touch of a fresh
// page is what costs most when a large picture is decoded; this way two cores
// share that cost, and the writer finds most pages already there.
//
// The worker takes the block from its end backwards, one step at a time; the
// writer claims the bytes it is about to write. The two never share a byte:
// the worker touches only bytes of its own steps, the writer writes only
// bytes it has claimed, and a claim that reaches the worker's part returns
// only when no step there is still being touched.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace pelma {

class PageWarmer {
public:
    // Touches [first, first + size), reading or committing only: never writes.
    using Touch = std::function<void(std::uint8_t* first, std::size_t size)>;

    PageWarmer(std::uint8_t* base, std::size_t size, Touch touch, std::size_t step = 256 * 1024);
    ~PageWarmer() { Stop(); }
    PageWarmer(const PageWarmer&) = delete;
    PageWarmer& operator=(const PageWarmer&) = delete;

    // The writer is about to write [0, end): returns once none of it is, or
    // will be, touched by the worker.
    void Claim(std::size_t end);
    // Ends the worker after the step it is on; the block may be freed then.
    void Stop();

private:
    void Run();

    std::uint8_t* const base_;
    const std::size_t size_, step_;
    const Touch touch_;
    std::mutex mutex_;
    std::condition_variable stepDone_;
    std::size_t claimed_ = 0;  // [0, claimed_) is the writer's
    std::size_t low_;          // [low_, size_) is the worker's
    bool busy_ = false;        // the worker is touching [low_, its step's end)
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace pelma
