#include "ui/timer.h"

#include "ui/application.h"

namespace pelma::ui {

TTimer::~TTimer() {
    if (id_) Application().RemoveTimer(id_);
}

void TTimer::SetInterval(UINT ms) {
    if (interval_ == ms) return;
    interval_ = ms;
    if (enabled_) Restart();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Restart();
}

void TTimer::Restart() {
    if (id_) Application().RemoveTimer(id_);
    id_ = 0;
    if (enabled_ && interval_ > 0) id_ = Application().AddTimer(this, interval_);
}

}  // namespace pelma::ui
