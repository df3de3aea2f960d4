// A font description that controls turn into an HFONT when they need one.
#pragma once

#include <windows.h>

#include <string>

#include "ui/handles.h"

namespace pelma::ui {

struct TFont {
    std::wstring Name = L"ＭＳ Ｐゴシック";
    int Height = 12;  // character height in pixels
    bool Bold = false;
    COLORREF Color = GetSysColor(COLOR_WINDOWTEXT);
    BYTE Charset = SHIFTJIS_CHARSET;

    // Point size at 96 pixels per inch: 9 points are 12 pixels.
    void SetSize(int points) { Height = MulDiv(points, 96, 72); }

    bool operator==(const TFont&) const = default;
};

// The HFONT for a font description. One is made per face, height, weight and
// character set and kept for the program's life: the templates use a handful,
// and making a font again for every paint and every measurement is slow.
HFONT SharedFont(const TFont& font);

}  // namespace pelma::ui
