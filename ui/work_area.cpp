#include "ui/work_area.h"

#include <windows.h>

namespace pelma::ui {

TWorkArea WorkArea() {
    RECT r{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return {r.right, r.bottom};
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace pelma::ui
