#include "ui/font.h"

#include <map>
#include <tuple>

namespace pelma::ui {

HFONT SharedFont(const TFont& font) {
    using Key = std::tuple<std::wstring, int, bool, BYTE>;
    static std::map<Key, UniqueGdi> fonts;
    Key key{font.Name, font.Height, font.Bold, font.Charset};
    auto it = fonts.find(key);
    if (it != fonts.end()) return static_cast<HFONT>(it->second.get());
    LOGFONTW lf{};
    lf.lfHeight = -font.Height;
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = font.Charset;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lstrcpynW(lf.lfFaceName, font.Name.c_str(), LF_FACESIZE);
    HFONT made = CreateFontIndirectW(&lf);
    fonts.emplace(key, UniqueGdi(made));
    return made;
}

}  // namespace pelma::ui
