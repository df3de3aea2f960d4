// An icon file shown as a picture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/graphic.h"
#include "ui/handles.h"

namespace pelma {

// An icon picture: the entry chosen for the standard icon size, or the
// system's application icon for a file of type 0.
class TIcon : public ui::TGraphic {
public:
    // Reads and checks the file; raises the picture errors.
    explicit TIcon(const std::vector<std::uint8_t>& bytes);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& r) override;
    HICON Handle() const { return icon_ ? static_cast<HICON>(icon_.get()) : stock_; }

private:
    int width_ = 0, height_ = 0;
    ui::UniqueIcon icon_;
    HICON stock_ = nullptr;
};

}  // namespace pelma
