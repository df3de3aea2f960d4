#include "ui/font.h"

namespace pelma::ui {

HFONT FontHandle::Get(const TFont& font) {
    if (handle_ && made_ == font) return static_cast<HFONT>(handle_.get());
    LOGFONTW lf{};
    lf.lfHeight = -font.Height;
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = font.Charset;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lstrcpynW(lf.lfFaceName, font.Name.c_str(), LF_FACESIZE);
    handle_.reset(CreateFontIndirectW(&lf));
    made_ = font;
    return static_cast<HFONT>(handle_.get());
}

}  // namespace pelma::ui
