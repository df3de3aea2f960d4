#include "view/formats/tiff_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

#include "core/errors.h"
#include "view/formats/colour_profile.h"
#include "view/formats/orientation.h"

namespace pelma {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(InvalidTiffMessage()); }

// The file's bytes as libtiff reads them: a read-only stream over memory.
struct Memory {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

tmsize_t Read(thandle_t h, void* out, tmsize_t count) {
    auto* m = static_cast<Memory*>(h);
    const std::size_t n = std::min(static_cast<std::size_t>(count), m->size - m->at);
    if (n) std::memcpy(out, m->data + m->at, n);
    m->at += n;
    return static_cast<tmsize_t>(n);
}
tmsize_t Write(thandle_t, void*, tmsize_t) { return 0; }
toff_t Seek(thandle_t h, toff_t offset, int whence) {
    auto* m = static_cast<Memory*>(h);
    const toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : m->size;
    if (offset > ~toff_t{0} - base) return static_cast<toff_t>(-1);
    // A position past the end is allowed; reads there find nothing.
    m->at = static_cast<std::size_t>(std::min<toff_t>(base + offset, m->size));
    return base + offset;
}
int Close(thandle_t) { return 0; }
toff_t Size(thandle_t h) { return static_cast<Memory*>(h)->size; }
int Map(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<Memory*>(h);
    *base = const_cast<std::uint8_t*>(m->data);
    *size = m->size;
    return 1;
}
void Unmap(thandle_t, void*, toff_t) {}

// libtiff's messages go nowhere: a failure is told by its results.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct Closer {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

bool IsTiff(const std::uint8_t* d, std::size_t size) {
    return size >= 8 && ((d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
                         (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43)));
}

}  // namespace

const wchar_t* InvalidTiffMessage() { return L"TIFF イメージが不正です"; }

PictureInfo ReadTiffInto(const std::uint8_t* data, std::size_t size, const PictureAllocator& allocate,
                         std::uint64_t budgetBytes) {
    if (!IsTiff(data, size)) Invalid();
    Memory memory{data, size};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) Invalid();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    // No single allocation of libtiff's own may go beyond the budget either.
    TIFFOpenOptionsSetMaxSingleMemAlloc(
        options, static_cast<tmsize_t>(std::min<std::uint64_t>(budgetBytes, 1u << 30)));
    std::unique_ptr<TIFF, Closer> tif(
        TIFFClientOpenExt("picture", "rm", &memory, Read, Write, Seek, Close, Size, Map, Unmap, options));
    TIFFOpenOptionsFree(options);
    if (!tif) Invalid();

    std::uint32_t width = 0, height = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height))
        Invalid();
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ORIENTATION, &orientation);
    if (orientation < 1 || orientation > 8) orientation = ORIENTATION_TOPLEFT;
    const bool turned = orientation != ORIENTATION_TOPLEFT;
    // A turned picture is read as stored first, then placed upright.
    CheckPixelBudget(std::uint64_t{width} * (turned ? 2 : 1), height, budgetBytes);
    if (width == 0 || height == 0) Invalid();
    char message[1024];
    if (!TIFFRGBAImageOK(tif.get(), message)) Invalid();
    TIFFRGBAImage image;
    // A strip or tile that cannot be read ends the page: the file is damaged or cut.
    if (!TIFFRGBAImageBegin(&image, tif.get(), 1, message)) Invalid();
    struct End {
        TIFFRGBAImage* image;
        ~End() { TIFFRGBAImageEnd(image); }
    } end{&image};
    // Rows as stored: libtiff turns nothing itself (it cannot turn a quarter).
    image.req_orientation = image.orientation;

    const bool across = MovesRowsAcross(orientation);
    PictureInfo info{static_cast<int>(across ? height : width), static_cast<int>(across ? width : height),
                     false};
    const PixelRows rows = allocate(info.width, info.height);
    if (!rows.first || rows.width != info.width || rows.height != info.height || rows.pixelBytes != 4)
        return info;
    std::vector<std::uint32_t> stored;
    std::uint32_t* raster = nullptr;
    if (turned) {
        stored = AllocatePixels<std::uint32_t>(std::size_t{width} * height);
        raster = stored.data();
    } else if (rows.stride == std::size_t{width} * 4) {
        raster = reinterpret_cast<std::uint32_t*>(rows.first);
    } else {
        stored = AllocatePixels<std::uint32_t>(std::size_t{width} * height);
        raster = stored.data();
    }
    if (!TIFFRGBAImageGet(&image, raster, width, height)) Invalid();

    // libtiff gives A, B, G, R from the top byte down, with the colours
    // multiplied by alpha; the picture's rows hold straight A, R, G, B.
    const bool alpha = image.alpha != 0;
    bool transparent[2] = {false, false};
    ForRowHalves(static_cast<int>(width), static_cast<int>(height), [&](int first, int end) {
        bool& seen = transparent[first > 0];
        for (int y = first; y < end; ++y) {
            std::uint32_t* src = raster + std::size_t{width} * static_cast<std::uint32_t>(y);
            // Opaque: red and blue trade places (a loop the compiler vectorises).
            if (!alpha)
                for (std::uint32_t x = 0; x < width; ++x) {
                    const std::uint32_t p = src[x];
                    src[x] = 0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
                }
            for (std::uint32_t x = 0; alpha && x < width; ++x) {
                const std::uint32_t p = src[x];
                seen |= TIFFGetA(p) != 255;
                src[x] = StraightPixel(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p), TIFFGetA(p));
            }
            if (raster == reinterpret_cast<std::uint32_t*>(rows.first)) continue;
            const Placement place = Place(orientation, rows.first, rows.stride, 4, y, static_cast<int>(width),
                                          static_cast<int>(height));
            std::uint8_t* to = place.first;
            for (std::uint32_t x = 0; x < width; ++x, to += place.step) std::memcpy(to, src + x, 4);
        }
    });
    info.hasAlpha = transparent[0] || transparent[1];
    ColourSource colours;
    std::uint32_t profileSize = 0;
    const std::uint8_t* profile = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &profileSize, &profile) && profile && profileSize)
        colours.icc.assign(profile, profile + profileSize);
    ConvertToDisplay(colours, rows);
    return info;
}

DecodedPicture ReadTiff(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes) {
    return DecodeToPixels(
        [&](const PictureAllocator& allocate) { return ReadTiffInto(data, size, allocate, budgetBytes); });
}

}  // namespace pelma
