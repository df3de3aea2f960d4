#include "view/animated_picture.h"

#include <cstring>

#include "core/errors.h"
#include "view/file_access.h"
#include "view/formats/decoded_picture.h"

namespace pelma {

TAnimatedPicture::TAnimatedPicture(std::unique_ptr<PictureAnimation> animation, COLORREF background)
    : animation_(std::move(animation)), background_(background) {
    if (!pixels_.Create(animation_->Width(), animation_->Height()))
        throw Exception(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    ShowCanvas();
    timer_.OnTimer = [this] { NextFrame(); };
}

void TAnimatedPicture::ShowCanvas() {
    const PixelRows& rows = pixels_.Rows();
    if (!rows.first) return;
    const std::uint32_t* canvas = animation_->Canvas();
    for (int y = 0; y < rows.height; ++y)
        std::memcpy(rows.Row(y), canvas + static_cast<std::size_t>(y) * rows.width,
                    static_cast<std::size_t>(rows.width) * 4);
    CompositeOver(rows, PixelColour(background_));
    pixels_.Changed();
}

void TAnimatedPicture::Play(std::function<void()> frameShown) {
    frameShown_ = std::move(frameShown);
    if (animation_->FrameCount() < 2) return;
    timer_.SetInterval(static_cast<UINT>(animation_->Delay()));
    timer_.SetEnabled(true);
}

void TAnimatedPicture::NextFrame() {
    bool more = false;
    try {
        more = animation_->Advance();
    } catch (const Exception&) {
        // A frame damaged after the first: the animation ends on the last
        // good frame, as a browser shows it; the picture itself loaded.
        more = false;
    }
    if (!more) {
        timer_.SetEnabled(false);
        return;
    }
    ShowCanvas();
    timer_.SetInterval(static_cast<UINT>(animation_->Delay()));
    if (frameShown_) frameShown_();
}

}  // namespace pelma
