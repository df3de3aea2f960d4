// A timer that ticks on the user-interface thread.
#pragma once

#include <windows.h>

#include <functional>

namespace pelma::ui {

class TTimer {
public:
    TTimer() = default;
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    UINT Interval() const { return interval_; }
    void SetInterval(UINT ms);
    bool Enabled() const { return enabled_; }
    // Enabling a running timer changes nothing.
    void SetEnabled(bool enabled);

    std::function<void()> OnTimer;
    void Tick() {
        if (enabled_ && OnTimer) OnTimer();
    }

private:
    void Restart();
    UINT interval_ = 1000;
    bool enabled_ = false;
    UINT_PTR id_ = 0;
};

}  // namespace pelma::ui
