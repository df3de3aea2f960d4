#include "view/animated_picture.h"

#include <cstring>

#include "core/errors.h"
#include "view/file_access.h"
#include "view/formats/decoded_picture.h"

namespace pelma {

TAnimatedPicture::TAnimatedPicture(std::unique_ptr<PictureAnimation> animation, COLORREF background)
    : TAnimatedPicture([&animation](const PictureAllocator&, std::uint32_t) { return std::move(animation); },
                       background) {}

TAnimatedPicture::TAnimatedPicture(const Opener& open, COLORREF background) : background_(background) {
    bool noMemory = false;
    const PictureAllocator section = [&](int width, int height) -> PixelRows {
        if (!pixels_.Create(width, height)) {
            noMemory = true;
            return {};
        }
        return pixels_.Rows();
    };
    animation_ = open(section, 0xFF000000u | PixelColour(background));
    if (noMemory) throw Exception(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    if (!pixels_.Handle() && !pixels_.Create(animation_->Width(), animation_->Height()))
        throw Exception(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    ShowCanvas();
    timer_.OnTimer = [this] { NextFrame(); };
}

void TAnimatedPicture::ShowCanvas() {
    const PixelRows& rows = pixels_.Rows();
    if (!rows.first) return;
    // A canvas of the animation's own is copied and composed over the
    // background; one in the section is shown as it is.
    const std::uint32_t* canvas = animation_->Canvas();
    if (canvas != reinterpret_cast<const std::uint32_t*>(rows.first)) {
        for (int y = 0; y < rows.height; ++y)
            std::memcpy(rows.Row(y), canvas + static_cast<std::size_t>(y) * rows.width,
                        static_cast<std::size_t>(rows.width) * 4);
        CompositeOver(rows, PixelColour(background_));
        pixels_.Changed();
        return;
    }
    const PictureAnimation::Area a = animation_->Changed();
    pixels_.Changed(a.left, a.top, a.right, a.bottom);
}

void TAnimatedPicture::Play(std::function<void()> frameShown) {
    frameShown_ = std::move(frameShown);
    if (animation_->FrameCount() < 2) return;
    timer_.SetInterval(static_cast<UINT>(animation_->Delay()));
    timer_.SetEnabled(true);
}

void TAnimatedPicture::NextFrame() {
    bool more = false;
    GdiFlush();  // the frame may be composed straight into the section
    bool damaged = false;
    try {
        more = animation_->Advance();
    } catch (const Exception&) {
        // A frame damaged after the first: the animation ends on what was
        // drawn of it, as a browser shows it; the picture itself loaded.
        damaged = true;
    }
    if (!more) {
        timer_.SetEnabled(false);
        if (damaged) {
            pixels_.Changed();
            if (frameShown_) frameShown_();
        }
        return;
    }
    ShowCanvas();
    timer_.SetInterval(static_cast<UINT>(animation_->Delay()));
    if (frameShown_) frameShown_();
}

}  // namespace pelma
