// A picture with frames of its own (an animated GIF or WebP): its first frame
// at once, then each frame in turn at its delay, on a timer that ticks only
// when a frame is due.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "ui/graphic.h"
#include "ui/timer.h"
#include "view/formats/animation.h"
#include "view/formats/decoded_picture.h"
#include "view/picture_graphics.h"

namespace pelma {

class TAnimatedPicture : public ui::TGraphic {
public:
    // The first frame is composed over `background` (0x00BBGGRR, a COLORREF)
    // at once; raises when there is no memory for the frame.
    TAnimatedPicture(std::unique_ptr<PictureAnimation> animation, COLORREF background);
    // An animation that composes its frames straight into the section shown,
    // over the background: `open` is handed the allocator of that section and
    // the background's opaque colour (0xFFRRGGBB). An animation that keeps a
    // canvas of its own is shown as above.
    using Opener = std::function<std::unique_ptr<PictureAnimation>(const PictureAllocator& canvas,
                                                                   std::uint32_t background)>;
    TAnimatedPicture(const Opener& open, COLORREF background);

    int Width() const override { return pixels_.Width(); }
    int Height() const override { return pixels_.Height(); }
    void Draw(HDC dc, const RECT& r) override { pixels_.Draw(dc, r); }

    // Starts playing (a picture of one frame has nothing to play);
    // `frameShown` is called after each new frame is on the canvas.
    void Play(std::function<void()> frameShown);
    // Stops at the frame shown.
    void Stop() { timer_.SetEnabled(false); }
    bool Playing() const { return timer_.Enabled(); }

    int FrameIndex() const { return animation_->FrameIndex(); }
    int FrameCount() const { return animation_->FrameCount(); }

private:
    void ShowCanvas();
    void NextFrame();

    std::unique_ptr<PictureAnimation> animation_;
    COLORREF background_;
    DibPixels pixels_;
    ui::TTimer timer_;
    std::function<void()> frameShown_;
};

}  // namespace pelma
