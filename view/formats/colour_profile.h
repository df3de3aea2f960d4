// Colours as a picture's profile says: pixels decoded in the colour space an
// embedded ICC profile (or a HEIF/AVIF colour description) names are
// converted, once per decode, to the display's profile, or to sRGB when the
// system reports none. A picture without a profile is shown as decoded, as
// sRGB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "view/formats/pixel_rows.h"

namespace pelma {

// A colour description in the codes of ITU-T H.273: colour primaries (1
// BT.709/sRGB, 9 BT.2020, 11 DCI-P3, 12 Display P3, ...) and transfer
// characteristics (13 sRGB, 1 and 6 BT.709, 8 linear, ...).
struct ColourDescription {
    int primaries = 2;
    int transfer = 2;
};

// Where a picture's colours come from: its embedded ICC profile when it has
// one, else its colour description, else neither (sRGB).
struct ColourSource {
    std::vector<std::uint8_t> icc;
    std::optional<ColourDescription> described;
};

// The profile of the display pictures are converted to: an ICC profile's
// bytes, or none for sRGB (also when the bytes are not an RGB display
// profile). Safe to call while other threads convert.
void SetDisplayProfile(std::vector<std::uint8_t> icc);

// The conversion from one source's colours to the display's, made once for
// a decode (and kept for the next pictures of the same source). It is empty,
// and converts nothing, for a source that is sRGB, or the display's own
// profile, or that cannot be used (an ICC profile that is damaged or not of
// RGB colours, a description of HDR transfer): those pixels are shown as
// decoded.
class ColourConversion {
public:
    struct Steps;

    explicit ColourConversion(const ColourSource& source);
    ~ColourConversion();
    ColourConversion(const ColourConversion&) = default;
    ColourConversion& operator=(const ColourConversion&) = default;

    explicit operator bool() const { return steps_ != nullptr; }

    // Converts rows of 8-bit B, G, R (3 bytes a pixel, or 4 with the fourth
    // left as it is) in place.
    void Convert(PixelRows rows) const;

private:
    std::shared_ptr<const Steps> steps_;
};

// ColourConversion(source).Convert(rows).
void ConvertToDisplay(const ColourSource& source, PixelRows rows);

}  // namespace pelma
