#include "ui/labels.h"

#include "ui/application.h"
#include "ui/handles.h"

namespace pelma::ui {

namespace {

UINT TextFlags(const TLabel& l) {
    return DT_NOPREFIX | DT_LEFT | DT_EXPANDTABS | (l.WordWrap ? DT_WORDBREAK : 0);
}

}  // namespace

// ---------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TWinControl* parent) : TControl(parent) {}

void TLabel::SetAutoSize(bool v) {
    autoSize_ = v;
    AdjustSize();
}

SIZE TLabel::TextExtent() const {
    HDC dc = ScreenMemoryDc();
    SelectObjectScope sel(dc, SharedFont(font_));
    RECT r = {0, 0, WordWrap ? width_ : 0, 0};
    std::wstring text = caption_.empty() ? L" " : caption_;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags(*this) | DT_CALCRECT);
    if (caption_.empty()) r.right = 0;
    return {r.right, r.bottom};
}

void TLabel::AdjustSize() {
    if (!autoSize_) return;
    if (!visible_) {
        sizePending_ = true;  // measured when shown, or when its size is asked for
        return;
    }
    MeasurePending();
}

void TLabel::MeasurePending() {
    sizePending_ = false;
    if (!autoSize_) return;
    SIZE s = TextExtent();
    SetBounds(left_, top_, WordWrap ? width_ : s.cx, s.cy);
}

void TLabel::Paint(HDC dc, int x, int y) {
    RECT r = {x, y, x + width_, y + height_};
    if (!Transparent) FillRect(dc, &r, BackgroundBrush());
    SelectObjectScope sel(dc, SharedFont(font_));
    SetBkMode(dc, TRANSPARENT);
    UINT flags = TextFlags(*this);
    if (CenterVertically && !WordWrap) {
        SIZE s = TextExtent();
        r.top += (height_ - s.cy) / 2;
    }
    if (!enabled_) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        SetTextColor(dc, font_.Color);
    }
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, flags);
}

// ---------------------------------------------------------------------------
// TImage

TImage::TImage(TWinControl* parent) : TControl(parent) {}

void TImage::SetPicture(std::shared_ptr<TGraphic> picture) {
    picture_ = std::move(picture);
    AdjustSize();
    Invalidate();
}

void TImage::SetStretch(bool v) {
    if (stretch_ == v) return;
    stretch_ = v;
    Invalidate();
}

void TImage::SetAutoSize(bool v) {
    autoSize_ = v;
    AdjustSize();
}

void TImage::AdjustSize() {
    if (autoSize_ && picture_ && align_ == TAlign::None)
        SetBounds(left_, top_, picture_->Width(), picture_->Height());
}

void TImage::BoundsChanged() {
    if (align_ == TAlign::None && visible_ && parent_) parent_->Realign();
}

void TImage::Paint(HDC dc, int x, int y) {
    if (!picture_ || picture_->Empty()) return;
    RECT r = stretch_ ? RECT{x, y, x + width_, y + height_}
                      : RECT{x, y, x + picture_->Width(), y + picture_->Height()};
    picture_->Draw(dc, r);
}

}  // namespace pelma::ui
