#include "view/formats/animation.h"

namespace pelma {

bool PictureAnimation::Advance() {
    if (finished_ || frameCount_ <= 1) return false;
    int next = frame_ + 1;
    if (next == frameCount_) {
        if (loopCount_ != 0 && loopsShown_ >= loopCount_) {
            finished_ = true;
            return false;
        }
        ++loopsShown_;
        next = 0;
    }
    changed_ = {0, 0, width_, height_};
    try {
        ComposeFrame(next);
    } catch (...) {
        finished_ = true;
        throw;
    }
    frame_ = next;
    return true;
}

}  // namespace pelma
