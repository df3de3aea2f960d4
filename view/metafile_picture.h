// A metafile shown as a picture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/graphic.h"
#include "ui/handles.h"

namespace pelma {

// A Windows metafile (with its placeable header) or an enhanced metafile,
// drawn as an enhanced metafile.
class TMetafile : public ui::TGraphic {
public:
    explicit TMetafile(const std::vector<std::uint8_t>& bytes);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& r) override;

private:
    int width_ = 0, height_ = 0;
    ui::UniqueEnhMetaFile emf_;
};

}  // namespace pelma
