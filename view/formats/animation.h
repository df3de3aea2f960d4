// The animation model of animated pictures (GIF, WebP): one canvas that each
// frame is composed onto, stepped frame by frame. Memory does not grow with
// the number of frames: the model keeps the file's bytes, the canvas and at
// most one saved copy of a frame's area (for GIF's restore-to-previous).
//
// Usage: after opening, Canvas() holds the first frame composed and Delay() is
// how long it stays. When the delay has passed, Advance() composes the next
// frame (after the last frame it starts again from the first, counting a
// loop); it returns false once the animation has been shown LoopCount()
// times, and the canvas then keeps the last frame. A picture with one frame
// has FrameCount() 1 and never needs Advance().
#pragma once

#include <cstdint>

namespace pelma {

// A delay of 10 ms or less is shown as 100 ms, as browsers do.
inline constexpr int kShortestFrameDelay = 10;
inline constexpr int kDefaultFrameDelay = 100;

// The delay a picture asks for (milliseconds) as it is shown.
inline int ShownFrameDelay(int requestedMs) {
    return requestedMs <= kShortestFrameDelay ? kDefaultFrameDelay : requestedMs;
}

class PictureAnimation {
public:
    virtual ~PictureAnimation() = default;

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Width × height pixels, top-down, 0xAARRGGBB with straight alpha (the
    // layout of DecodedPicture); alpha 0 where no frame has drawn. Valid
    // until the next Advance() or the end of the animation object.
    const std::uint32_t* Canvas() const { return canvas_; }

    // The frame now on the canvas (0 for the first) and the time in
    // milliseconds it is shown, after ShownFrameDelay.
    int FrameIndex() const { return frame_; }
    int Delay() const { return delay_; }

    // The number of frames in the file; 1 for a still picture.
    int FrameCount() const { return frameCount_; }
    // How many times the whole animation is shown; 0 means for ever.
    int LoopCount() const { return loopCount_; }

    // The part of the canvas that the last Advance() may have changed, as
    // [left, right) × [top, bottom); the whole canvas unless the format
    // knows better.
    struct Area {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    Area Changed() const { return changed_; }

    // Composes the next frame; false (canvas unchanged) when the animation
    // is over. A frame that turns out damaged throws EInvalidGraphic with
    // the format's message; the canvas keeps what was drawn and every later
    // call returns false.
    bool Advance();

protected:
    PictureAnimation() = default;
    PictureAnimation(const PictureAnimation&) = delete;
    PictureAnimation& operator=(const PictureAnimation&) = delete;

    // Composes frame `index` (1..FrameCount()-1, or 0 to start a new loop)
    // onto the canvas and sets delay_; may narrow changed_, which is the
    // whole canvas when it is called. Frames are asked for in order.
    virtual void ComposeFrame(int index) = 0;

    int width_ = 0;
    int height_ = 0;
    int frameCount_ = 1;
    int loopCount_ = 1;
    int frame_ = 0;
    int delay_ = kDefaultFrameDelay;
    const std::uint32_t* canvas_ = nullptr;  // set by the format's model
    Area changed_;

private:
    int loopsShown_ = 1;
    bool finished_ = false;
};

}  // namespace pelma
