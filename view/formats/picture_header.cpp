#include "view/formats/picture_header.h"

#include <cstdlib>

#include "view/formats/byte_order.h"
#include "view/formats/jpeg_reader.h"
#include "view/formats/png_reader.h"
#include "view/formats/webp_reader.h"

namespace pelma {

namespace {

using formats::I32At;
using formats::U16At;
using formats::U32At;

std::optional<PictureInfo> Sized(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 ||
        !FitsPixelBudget(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height),
                         kMaxPictureBytes))
        return std::nullopt;
    return PictureInfo{static_cast<int>(width), static_cast<int>(height), false};
}

}  // namespace

std::optional<PictureInfo> PeekPictureSize(const std::uint8_t* data, std::size_t size, PictureKind kind) {
    try {
        switch (kind) {
            case PictureKind::Bitmap: {
                if (size < 26 || data[0] != 'B' || data[1] != 'M') return std::nullopt;
                if (U32At(data + 14) == 12) return Sized(U16At(data + 18), U16At(data + 20));
                // A negative height is a top-down bitmap.
                return Sized(I32At(data + 18), std::llabs(I32At(data + 22)));
            }
            case PictureKind::Gif:
                if (size < 10 || data[0] != 'G' || data[1] != 'I' || data[2] != 'F') return std::nullopt;
                return Sized(U16At(data + 6), U16At(data + 8));
            case PictureKind::Jpeg: {
                const JpegHeader h = ReadJpegHeader(data, size);
                return Sized(h.width, h.height);
            }
            case PictureKind::Png: {
                const PictureInfo info = ReadPngHeader(data, size);
                return Sized(info.width, info.height);
            }
            case PictureKind::WebP: {
                const WebPHeader h = ReadWebPHeader(data, size);
                return Sized(h.width, h.height);
            }
            case PictureKind::Icon:
            case PictureKind::Metafile:
            case PictureKind::Tiff:  // its directory may be anywhere in the file
            case PictureKind::Heif:  // the size shown follows from several boxes, read whole
            case PictureKind::Avif:
                break;
        }
    } catch (...) {
        // A header that cannot be read tells nothing; opening the file says why.
    }
    return std::nullopt;
}

}  // namespace pelma
