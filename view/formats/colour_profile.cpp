#include "view/formats/colour_profile.h"

#include <algorithm>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>

#include <lcms2.h>

#include "view/formats/decoded_picture.h"

namespace pelma {
namespace {

struct ProfileClose {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

struct TransformDelete {
    void operator()(void* t) const { cmsDeleteTransform(t); }
};
using Transform = std::unique_ptr<void, TransformDelete>;

// The primaries of H.273's codes as CIE xy chromaticities: red, green, blue
// and white.
bool PrimariesOf(int code, cmsCIExyYTRIPLE& primaries, cmsCIExyY& white) {
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    switch (code) {
        case 1:  // BT.709, sRGB
            primaries = {{0.640, 0.330, 1.0}, {0.300, 0.600, 1.0}, {0.150, 0.060, 1.0}};
            white = d65;
            return true;
        case 4:  // BT.470 System M
            primaries = {{0.670, 0.330, 1.0}, {0.210, 0.710, 1.0}, {0.140, 0.080, 1.0}};
            white = {0.310, 0.316, 1.0};
            return true;
        case 5:  // BT.470 System B, G; BT.601 625
            primaries = {{0.640, 0.330, 1.0}, {0.290, 0.600, 1.0}, {0.150, 0.060, 1.0}};
            white = d65;
            return true;
        case 6:  // BT.601 525
        case 7:  // SMPTE 240M
            primaries = {{0.630, 0.340, 1.0}, {0.310, 0.595, 1.0}, {0.155, 0.070, 1.0}};
            white = d65;
            return true;
        case 9:  // BT.2020
            primaries = {{0.708, 0.292, 1.0}, {0.170, 0.797, 1.0}, {0.131, 0.046, 1.0}};
            white = d65;
            return true;
        case 11:  // DCI-P3
            primaries = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
            white = {0.314, 0.351, 1.0};
            return true;
        case 12:  // Display P3
            primaries = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
            white = d65;
            return true;
        default:
            return false;
    }
}

// The transfer of H.273's codes as a tone curve. The BT.709 family is shown
// as sRGB, as displays show video; HDR transfers (PQ, HLG) are not drawn here.
cmsToneCurve* CurveOf(int code) {
    switch (code) {
        case 1:
        case 2:
        case 6:
        case 13:
        case 14:
        case 15: {
            const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
            return cmsBuildParametricToneCurve(nullptr, 4, srgb);
        }
        case 4:
            return cmsBuildGamma(nullptr, 2.2);
        case 5:
            return cmsBuildGamma(nullptr, 2.8);
        case 8:
            return cmsBuildGamma(nullptr, 1.0);
        default:
            return nullptr;
    }
}

bool IsSrgbDescription(const ColourDescription& d) {
    const bool srgbPrimaries = d.primaries == 1 || d.primaries == 2;
    const bool srgbTransfer = d.transfer == 1 || d.transfer == 2 || d.transfer == 6 || d.transfer == 13 ||
                              d.transfer == 14 || d.transfer == 15;
    return srgbPrimaries && srgbTransfer;
}

Profile ProfileOf(const ColourDescription& d) {
    cmsCIExyYTRIPLE primaries;
    cmsCIExyY white;
    if (!PrimariesOf(d.primaries == 2 ? 1 : d.primaries, primaries, white)) return nullptr;
    cmsToneCurve* curve = CurveOf(d.transfer);
    if (!curve) return nullptr;
    cmsToneCurve* curves[3] = {curve, curve, curve};
    Profile p(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    return p;
}

// An RGB profile a picture's colours can come from, or the display's.
Profile OpenRgbProfile(const std::vector<std::uint8_t>& icc) {
    if (icc.size() < 132) return nullptr;
    Profile p(cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size())));
    if (!p || cmsGetColorSpace(p.get()) != cmsSigRgbData) return nullptr;
    const cmsProfileClassSignature c = cmsGetDeviceClass(p.get());
    if (c != cmsSigDisplayClass && c != cmsSigInputClass && c != cmsSigOutputClass &&
        c != cmsSigColorSpaceClass)
        return nullptr;
    return p;
}

// The profile's own ID (its MD5 in the header), all zero when it has none.
bool SameProfileId(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    static const std::uint8_t kNone[16] = {};
    return a.size() >= 100 && b.size() >= 100 && std::memcmp(a.data() + 84, kNone, 16) != 0 &&
           std::memcmp(a.data() + 84, b.data() + 84, 16) == 0;
}

// Linear light in the fast path's fixed point: 0 to kOne.
constexpr int kLinearBits = 14;
constexpr std::int32_t kOne = 1 << kLinearBits;

}  // namespace

// How one source's colours become the display's. Between two profiles of
// three tone curves and a matrix (nearly every camera's, phone's and
// monitor's), by tables: each 8-bit value to linear light, one matrix, and
// linear light to the display's 8-bit values. Otherwise through Little CMS's
// own transform of the two profiles.
struct ColourConversion::Steps {
    bool tables = false;
    std::int32_t toLinear[3][256];
    std::int32_t matrix[3][3];  // rows: display R, G, B from source R, G, B
    std::uint8_t fromLinear[3][kOne + 1];
    Transform fourBytes, threeBytes;
};

namespace {

// The matrix from a matrix-shaper profile's colorants (XYZ of R, G, B as
// columns) and its three tone curves; false for any other profile.
bool ReadMatrixShaper(cmsHPROFILE p, double m[3][3], cmsToneCurve* curves[3]) {
    if (!cmsIsMatrixShaper(p)) return false;
    const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                          cmsSigBlueColorantTag};
    const cmsTagSignature trcs[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(p, colorants[c]));
        curves[c] = static_cast<cmsToneCurve*>(cmsReadTag(p, trcs[c]));
        if (!xyz || !curves[c]) return false;
        m[0][c] = xyz->X, m[1][c] = xyz->Y, m[2][c] = xyz->Z;
    }
    return true;
}

bool Invert(const double m[3][3], double inv[3][3]) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (det > -1e-9 && det < 1e-9) return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return true;
}

bool MakeTables(cmsHPROFILE from, cmsHPROFILE to, ColourConversion::Steps& steps);

// The display profile and the conversions made to it, kept for the next
// picture with the same source (a folder of one camera's photos).
struct State {
    std::mutex mutex;
    std::vector<std::uint8_t> display;
    struct Entry {
        std::vector<std::uint8_t> icc;
        std::optional<ColourDescription> described;
        std::shared_ptr<const ColourConversion::Steps> steps;  // null: nothing to do
    };
    std::list<Entry> recent;
};

State& Shared() {
    static State state;
    return state;
}

bool SameSource(const State::Entry& e, const ColourSource& s) {
    if (e.icc != s.icc) return false;
    if (e.described.has_value() != s.described.has_value()) return false;
    return !e.described || (e.described->primaries == s.described->primaries &&
                            e.described->transfer == s.described->transfer);
}

bool IsSrgbSource(const ColourSource& source) {
    return source.icc.empty() && (!source.described || IsSrgbDescription(*source.described));
}

std::shared_ptr<const ColourConversion::Steps> MakeSteps(const ColourSource& source,
                                                         const std::vector<std::uint8_t>& display) {
    Profile from;
    if (!source.icc.empty()) {
        if (SameProfileId(source.icc, display)) return nullptr;
        from = OpenRgbProfile(source.icc);
    } else if (source.described && !IsSrgbDescription(*source.described)) {
        from = ProfileOf(*source.described);
    }
    if (!from) return nullptr;
    Profile to = OpenRgbProfile(display);
    if (!to) to.reset(cmsCreate_sRGBProfile());
    if (!to) return nullptr;
    auto steps = std::make_shared<ColourConversion::Steps>();
    if (MakeTables(from.get(), to.get(), *steps)) return steps;
    // In place; the fourth byte of a pixel (alpha, or unused) is left as it is.
    steps->fourBytes.reset(cmsCreateTransform(from.get(), TYPE_BGRA_8, to.get(), TYPE_BGRA_8,
                                              INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE));
    steps->threeBytes.reset(cmsCreateTransform(from.get(), TYPE_BGR_8, to.get(), TYPE_BGR_8,
                                               INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE));
    if (!steps->fourBytes || !steps->threeBytes) return nullptr;
    return steps;
}

bool MakeTables(cmsHPROFILE from, cmsHPROFILE to, ColourConversion::Steps& steps) {
    double source[3][3], display[3][3], toDisplay[3][3];
    cmsToneCurve *in[3], *out[3];
    // A profile with tables of its own for the intent is left to Little CMS,
    // which uses them.
    if (cmsIsCLUT(from, INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT) ||
        cmsIsCLUT(to, INTENT_PERCEPTUAL, LCMS_USED_AS_OUTPUT) || !ReadMatrixShaper(from, source, in) ||
        !ReadMatrixShaper(to, display, out) || !Invert(display, toDisplay))
        return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            double sum = 0;
            for (int k = 0; k < 3; ++k) sum += toDisplay[r][k] * source[k][c];
            if (sum > 8 || sum < -8) return false;
            steps.matrix[r][c] = static_cast<std::int32_t>(sum * kOne + (sum < 0 ? -0.5 : 0.5));
        }
    for (int c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v) {
            const double linear = cmsEvalToneCurveFloat(in[c], static_cast<cmsFloat32Number>(v / 255.0));
            steps.toLinear[c][v] = static_cast<std::int32_t>(std::clamp(linear, 0.0, 1.0) * kOne + 0.5);
        }
        cmsToneCurve* reversed = cmsReverseToneCurve(out[c]);
        if (!reversed) return false;
        for (int v = 0; v <= kOne; ++v) {
            const double encoded = cmsEvalToneCurveFloat(reversed, static_cast<cmsFloat32Number>(v) / kOne);
            steps.fromLinear[c][v] = static_cast<std::uint8_t>(std::clamp(encoded, 0.0, 1.0) * 255 + 0.5);
        }
        cmsFreeToneCurve(reversed);
    }
    steps.tables = true;
    return true;
}

std::shared_ptr<const ColourConversion::Steps> StepsFor(const ColourSource& source) {
    State& s = Shared();
    std::lock_guard lock(s.mutex);
    for (auto it = s.recent.begin(); it != s.recent.end(); ++it)
        if (SameSource(*it, source)) {
            s.recent.splice(s.recent.begin(), s.recent, it);
            return it->steps;
        }
    std::shared_ptr<const ColourConversion::Steps> steps = MakeSteps(source, s.display);
    s.recent.push_front({source.icc, source.described, steps});
    if (s.recent.size() > 4) s.recent.pop_back();
    return steps;
}

void ConvertRows(const ColourConversion::Steps& steps, PixelRows rows, int from, int to) {
    const int bytes = rows.pixelBytes;
    for (int y = from; y < to; ++y) {
        std::uint8_t* p = rows.Row(y);
        if (!steps.tables) {
            cmsDoTransform(bytes == 4 ? steps.fourBytes.get() : steps.threeBytes.get(), p, p,
                           static_cast<cmsUInt32Number>(rows.width));
            continue;
        }
        const auto& m = steps.matrix;
        for (int x = 0; x < rows.width; ++x, p += bytes) {
            const std::int32_t r = steps.toLinear[0][p[2]], g = steps.toLinear[1][p[1]],
                               b = steps.toLinear[2][p[0]];
            const auto encode = [&](int c, std::int64_t v) {
                v >>= kLinearBits;
                return steps.fromLinear[c][v < 0 ? 0 : v > kOne ? kOne : v];
            };
            const std::uint8_t outR =
                encode(0, std::int64_t{m[0][0]} * r + std::int64_t{m[0][1]} * g + std::int64_t{m[0][2]} * b);
            const std::uint8_t outG =
                encode(1, std::int64_t{m[1][0]} * r + std::int64_t{m[1][1]} * g + std::int64_t{m[1][2]} * b);
            const std::uint8_t outB =
                encode(2, std::int64_t{m[2][0]} * r + std::int64_t{m[2][1]} * g + std::int64_t{m[2][2]} * b);
            p[0] = outB, p[1] = outG, p[2] = outR;
        }
    }
}

}  // namespace

void SetDisplayProfile(std::vector<std::uint8_t> icc) {
    if (!icc.empty() && !OpenRgbProfile(icc)) icc.clear();
    State& s = Shared();
    std::lock_guard lock(s.mutex);
    if (icc == s.display) return;
    s.display = std::move(icc);
    s.recent.clear();
}

ColourConversion::ColourConversion(const ColourSource& source)
    : steps_(IsSrgbSource(source) ? nullptr : StepsFor(source)) {}

ColourConversion::~ColourConversion() = default;

void ColourConversion::Convert(PixelRows rows) const {
    if (!steps_ || !rows.first || rows.width <= 0 || rows.height <= 0 ||
        (rows.pixelBytes != 3 && rows.pixelBytes != 4))
        return;
    ForRowHalves(rows.width, rows.height,
                 [&](int first, int end) { ConvertRows(*steps_, rows, first, end); });
}

void ConvertToDisplay(const ColourSource& source, PixelRows rows) { ColourConversion(source).Convert(rows); }

}  // namespace pelma
