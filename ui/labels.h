// Graphic controls drawn by their parent: the label and the picture.
#pragma once

#include <memory>

#include "ui/control.h"
#include "ui/graphic.h"

namespace pelma::ui {

class TLabel : public TControl {
public:
    explicit TLabel(TWinControl* parent);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Transparent = true;
    bool WordWrap = false;
    bool CenterVertically = false;

    // The size the caption needs in the label's font.
    SIZE TextExtent() const;
    void Paint(HDC dc, int x, int y) override;

protected:
    void AdjustSize() override;
    void MeasurePending() override;

private:
    bool autoSize_ = true;
};

class TImage : public TControl {
public:
    explicit TImage(TWinControl* parent);

    // The picture; shared so that a template can show one picture twice.
    const std::shared_ptr<TGraphic>& Picture() const { return picture_; }
    void SetPicture(std::shared_ptr<TGraphic> picture);

    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);

    void Paint(HDC dc, int x, int y) override;

protected:
    void AdjustSize() override;
    // A picture placed by its own bounds may change what a scroll box scrolls.
    void BoundsChanged() override;

private:
    std::shared_ptr<TGraphic> picture_;
    bool stretch_ = false;
    bool autoSize_ = false;
};

}  // namespace pelma::ui
