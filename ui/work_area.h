// The desktop's work area, which the views size their windows against.
#pragma once

namespace pelma::ui {

// The work area's right and bottom edges (the screen size when the system
// cannot tell).
struct TWorkArea {
    int Width;
    int Height;
};
TWorkArea WorkArea();

}  // namespace pelma::ui
