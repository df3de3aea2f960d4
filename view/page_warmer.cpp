#include "view/page_warmer.h"

#include <algorithm>

namespace pelma {

PageWarmer::PageWarmer(std::uint8_t* base, std::size_t size, Touch touch, std::size_t step)
    : base_(base),
      size_(base ? size : 0),
      step_(std::max<std::size_t>(step, 1)),
      touch_(std::move(touch)),
      low_(size_) {
    if (size_ > 0 && touch_) worker_ = std::thread([this] { Run(); });
}

void PageWarmer::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_ && low_ > claimed_) {
        const std::size_t end = low_;
        low_ = end - std::min(step_, end - claimed_);
        busy_ = true;
        lock.unlock();
        touch_(base_ + low_, end - low_);
        lock.lock();
        busy_ = false;
        stepDone_.notify_all();
    }
}

void PageWarmer::Claim(std::size_t end) {
    std::unique_lock lock(mutex_);
    end = std::min(end, size_);
    if (end <= claimed_) return;
    if (end <= low_) {
        claimed_ = end;  // the worker stops short of it
        return;
    }
    // Into the worker's part: all of it is the worker's or the writer's now,
    // so the worker ends with the step it is on.
    claimed_ = low_;
    stepDone_.wait(lock, [this] { return !busy_; });
}

void PageWarmer::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    if (worker_.joinable()) worker_.join();
}

}  // namespace pelma
