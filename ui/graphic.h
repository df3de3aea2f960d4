// A picture that a control can draw: bitmap, icon, metafile or JPEG image.
#pragma once

#include <windows.h>

#include <memory>

namespace pelma::ui {

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // Draws the picture scaled into the rectangle.
    virtual void Draw(HDC dc, const RECT& r) = 0;
};

}  // namespace pelma::ui
