#include "view/formats/metafile_reader.h"

#include "core/arith.h"
#include "core/errors.h"
#include "core/messages.h"
#include "view/formats/byte_order.h"
#include "view/formats/metafile_records.h"
#include "view/formats/picture_limits.h"

namespace pelma {
namespace {

using formats::I16At;
using formats::I32At;
using formats::U16At;
using formats::U32At;

constexpr std::size_t kEmfHeaderSize = 100;
constexpr std::uint32_t kEmfMinHeaderRecord = 88;
constexpr std::uint32_t kEmfSignature = 0x464D4520;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kWmfHeaderSize = 18;

[[noreturn]] void Invalid() { throw EInvalidGraphic(InvalidMetafileMessage()); }

// MulDiv over a 64-bit difference; anything that does not fit or cannot be
// divided gives 0, as does a negative size.
int SizeFrom(std::int64_t extent, std::int64_t numerator, std::int64_t denominator) {
    if (extent < INT32_MIN || extent > INT32_MAX || numerator < INT32_MIN || numerator > INT32_MAX ||
        denominator < INT32_MIN || denominator > INT32_MAX || denominator == 0)
        return 0;
    const int v =
        MulDiv(static_cast<int>(extent), static_cast<int>(numerator), static_cast<int>(denominator));
    return v < 0 ? 0 : v;
}

}  // namespace

const wchar_t* InvalidMetafileMessage() { return L"メタファイルが不正です"; }

EmfFrame ReadEmfFrame(const std::uint8_t* header) {
    EmfFrame f;
    f.frameLeft = I32At(header + 24);
    f.frameTop = I32At(header + 28);
    f.frameRight = I32At(header + 32);
    f.frameBottom = I32At(header + 36);
    f.deviceWidthPixels = I32At(header + 72);
    f.deviceHeightPixels = I32At(header + 76);
    f.deviceWidthMm = I32At(header + 80);
    f.deviceHeightMm = I32At(header + 84);
    return f;
}

MetafileData ReadMetafile(const std::uint8_t* data, std::size_t size) {
    MetafileData result;
    if (size > kEmfHeaderSize && U32At(data) == 1 && U32At(data + 40) == kEmfSignature) {
        const std::uint32_t total = U32At(data + 48);
        const std::uint32_t recordSize = U32At(data + 4);
        if (total < kEmfHeaderSize || recordSize < kEmfMinHeaderRecord || recordSize > total) Invalid();
        if (total > size) throw EReadError(StreamReadErrorMessage());
        result.bytes.assign(data, data + total);
        CheckEnhancedMetafile(result.bytes.data(), total, kMaxPictureBytes);
        result.enhanced = true;
        result.frame = ReadEmfFrame(data);
        return result;
    }
    if (size < kPlaceableSize || U32At(data) != kPlaceableKey) Invalid();
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2) sum ^= U16At(data + i);
    if (sum != U16At(data + 20)) Invalid();
    if (size - kPlaceableSize < kWmfHeaderSize) Invalid();
    result.left = I16At(data + 6);
    result.top = I16At(data + 8);
    result.right = I16At(data + 10);
    result.bottom = I16At(data + 12);
    result.unitsPerInch = U16At(data + 14);
    result.bytes = CheckWindowsMetafile(data + kPlaceableSize, size - kPlaceableSize, kMaxPictureBytes);
    return result;
}

PictureSize EnhancedMetafilePixelSize(const EmfFrame& f) {
    PictureSize s;
    s.width = SizeFrom(std::int64_t{f.frameRight} - f.frameLeft, f.deviceWidthPixels,
                       std::int64_t{f.deviceWidthMm} * 100);
    s.height = SizeFrom(std::int64_t{f.frameBottom} - f.frameTop, f.deviceHeightPixels,
                        std::int64_t{f.deviceHeightMm} * 100);
    return s;
}

EmfFrame FrameFromOrigin(const EmfFrame& converted) {
    EmfFrame f = converted;
    f.frameLeft = 0;
    f.frameTop = 0;
    return f;
}

PictureSize PlaceableMetafileHundredthsMm(const MetafileData& wmf) {
    const int inch = wmf.unitsPerInch == 0 ? 96 : wmf.unitsPerInch;
    return {MulDiv(wmf.right - wmf.left, 2540, inch), MulDiv(wmf.bottom - wmf.top, 2540, inch)};
}

std::optional<PictureSize> PlaceableMetafilePixelSize(const MetafileData& wmf, int screenDpiY) {
    if (wmf.unitsPerInch == 0) return std::nullopt;
    const PictureSize mm = PlaceableMetafileHundredthsMm(wmf);
    return PictureSize{SizeFrom(mm.width, screenDpiY, 2540), SizeFrom(mm.height, screenDpiY, 2540)};
}

}  // namespace pelma
