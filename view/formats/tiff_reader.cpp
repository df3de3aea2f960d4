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

// The file's bytes as libtiff reads them: a read-only stream over the source.
struct Stream {
    std::uint64_t size;
    const ByteSourceAt& read;
    std::uint64_t at = 0;
};

tmsize_t Read(thandle_t h, void* out, tmsize_t count) {
    auto* s = static_cast<Stream*>(h);
    if (count <= 0) return 0;
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(count), s->size - s->at));
    const std::size_t got = n ? s->read(s->at, static_cast<std::uint8_t*>(out), n) : 0;
    s->at += got;
    return static_cast<tmsize_t>(got);
}
tmsize_t Write(thandle_t, void*, tmsize_t) { return 0; }
toff_t Seek(thandle_t h, toff_t offset, int whence) {
    auto* s = static_cast<Stream*>(h);
    const toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->at : s->size;
    if (offset > ~toff_t{0} - base) return static_cast<toff_t>(-1);
    // A position past the end is allowed; reads there find nothing.
    s->at = std::min<toff_t>(base + offset, s->size);
    return base + offset;
}
int Close(thandle_t) { return 0; }
toff_t Size(thandle_t h) { return static_cast<Stream*>(h)->size; }
// Opened with "m": libtiff reads, and maps nothing.
int Map(thandle_t, void**, toff_t*) { return 0; }
void Unmap(thandle_t, void*, toff_t) {}

// libtiff's messages go nowhere: a failure is told by its results.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct Closer {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

// libtiff gives A, B, G, R from the top byte down, with the colours
// multiplied by alpha; the picture's rows hold straight A, R, G, B. Each
// strip or tile is made so as soon as libtiff has put it in the raster, while
// it is still in the cache, by wrapping libtiff's own put routine.
struct Reading {
    TIFFRGBAImage image;  // first, so that libtiff's pointer to it is one to this
    tileContigRoutine contig = nullptr;
    tileSeparateRoutine separate = nullptr;
    bool transparent = false;
};

void MakeStraight(Reading& r, std::uint32_t* row, std::uint32_t w, std::uint32_t h, std::int32_t toskew) {
    const bool alpha = r.image.alpha != 0;
    for (std::uint32_t y = 0; y < h; ++y, row += static_cast<std::ptrdiff_t>(w) + toskew) {
        // Opaque: red and blue trade places (a loop the compiler vectorises).
        if (!alpha)
            for (std::uint32_t x = 0; x < w; ++x) {
                const std::uint32_t p = row[x];
                row[x] = 0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
            }
        for (std::uint32_t x = 0; alpha && x < w; ++x) {
            const std::uint32_t p = row[x];
            r.transparent |= TIFFGetA(p) != 255;
            row[x] = StraightPixel(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p), TIFFGetA(p));
        }
    }
}

void PutContig(TIFFRGBAImage* image, std::uint32_t* raster, std::uint32_t x, std::uint32_t y, std::uint32_t w,
               std::uint32_t h, std::int32_t fromskew, std::int32_t toskew, unsigned char* pp) {
    auto& r = *reinterpret_cast<Reading*>(image);
    r.contig(image, raster, x, y, w, h, fromskew, toskew, pp);
    MakeStraight(r, raster, w, h, toskew);
}

void PutSeparate(TIFFRGBAImage* image, std::uint32_t* raster, std::uint32_t x, std::uint32_t y,
                 std::uint32_t w, std::uint32_t h, std::int32_t fromskew, std::int32_t toskew,
                 unsigned char* red, unsigned char* green, unsigned char* blue, unsigned char* alpha) {
    auto& r = *reinterpret_cast<Reading*>(image);
    r.separate(image, raster, x, y, w, h, fromskew, toskew, red, green, blue, alpha);
    MakeStraight(r, raster, w, h, toskew);
}

bool IsTiff(const std::uint8_t* d, std::size_t size) {
    return size >= 8 && ((d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
                         (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43)));
}

}  // namespace

const wchar_t* InvalidTiffMessage() { return L"TIFF イメージが不正です"; }

PictureInfo ReadTiffInto(std::uint64_t size, const ByteSourceAt& read, const PictureAllocator& allocate,
                         std::uint64_t budgetBytes) {
    std::uint8_t head[8];
    if (size < sizeof head || read(0, head, sizeof head) != sizeof head || !IsTiff(head, sizeof head))
        Invalid();
    Stream stream{size, read};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) Invalid();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    // No single allocation of libtiff's own may go beyond the budget either.
    TIFFOpenOptionsSetMaxSingleMemAlloc(
        options, static_cast<tmsize_t>(std::min<std::uint64_t>(budgetBytes, 1u << 30)));
    std::unique_ptr<TIFF, Closer> tif(
        TIFFClientOpenExt("picture", "rm", &stream, Read, Write, Seek, Close, Size, Map, Unmap, options));
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
    Reading reading;
    TIFFRGBAImage& image = reading.image;
    // A strip or tile that cannot be read ends the page: the file is damaged or cut.
    if (!TIFFRGBAImageBegin(&image, tif.get(), 1, message)) Invalid();
    struct End {
        TIFFRGBAImage* image;
        ~End() { TIFFRGBAImageEnd(image); }
    } end{&image};
    // Rows as stored: libtiff turns nothing itself (it cannot turn a quarter).
    image.req_orientation = image.orientation;
    if (image.isContig) {
        reading.contig = image.put.contig;
        image.put.contig = PutContig;
    } else {
        reading.separate = image.put.separate;
        image.put.separate = PutSeparate;
    }
    if (!reading.contig && !reading.separate) Invalid();

    const bool across = MovesRowsAcross(orientation);
    PictureInfo info{static_cast<int>(across ? height : width), static_cast<int>(across ? width : height),
                     false};
    const PixelRows rows = allocate(info.width, info.height);
    if (!rows.first || rows.width != info.width || rows.height != info.height || rows.pixelBytes != 4)
        return info;
    std::vector<std::uint32_t> stored;
    std::uint32_t* raster = nullptr;
    if (!turned && rows.stride == std::size_t{width} * 4) {
        raster = reinterpret_cast<std::uint32_t*>(rows.first);
    } else {
        stored = AllocatePixels<std::uint32_t>(std::size_t{width} * height);
        raster = stored.data();
    }
    if (!TIFFRGBAImageGet(&image, raster, width, height)) Invalid();
    if (raster != reinterpret_cast<std::uint32_t*>(rows.first))
        ForRowHalves(static_cast<int>(width), static_cast<int>(height), [&](int first, int end) {
            for (int y = first; y < end; ++y) {
                const std::uint32_t* src = raster + std::size_t{width} * static_cast<std::uint32_t>(y);
                const Placement place = Place(orientation, rows.first, rows.stride, 4, y,
                                              static_cast<int>(width), static_cast<int>(height));
                std::uint8_t* to = place.first;
                for (std::uint32_t x = 0; x < width; ++x, to += place.step) std::memcpy(to, src + x, 4);
            }
        });
    info.hasAlpha = reading.transparent;
    ColourSource colours;
    std::uint32_t profileSize = 0;
    const std::uint8_t* profile = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &profileSize, &profile) && profile && profileSize)
        colours.icc.assign(profile, profile + profileSize);
    ConvertToDisplay(colours, rows);
    return info;
}

PictureInfo ReadTiffInto(const std::uint8_t* data, std::size_t size, const PictureAllocator& allocate,
                         std::uint64_t budgetBytes) {
    const ByteSourceAt read = [data, size](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
        const std::size_t n = offset < size ? std::min<std::size_t>(count, size - offset) : 0;
        if (n) std::memcpy(out, data + offset, n);
        return n;
    };
    return ReadTiffInto(size, read, allocate, budgetBytes);
}

DecodedPicture ReadTiff(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes) {
    return DecodeToPixels(
        [&](const PictureAllocator& allocate) { return ReadTiffInto(data, size, allocate, budgetBytes); });
}

}  // namespace pelma
