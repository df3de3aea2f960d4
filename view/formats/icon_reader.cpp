#include "view/formats/icon_reader.h"

#include <cstdlib>

#include "core/errors.h"
#include "core/messages.h"
#include "view/formats/byte_order.h"
#include "view/formats/dib.h"
#include "view/formats/png_reader.h"

namespace pelma {
namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;

[[noreturn]] void Invalid() { throw EInvalidGraphic(InvalidIconMessage()); }

int SideFromByte(std::uint8_t b) { return b == 0 ? 256 : b; }

bool IsBetterSide(int side, int best, int wanted) {
    const int d = side - wanted, dBest = best - wanted;
    return std::abs(d) <= std::abs(dBest) && (d <= 0 || d <= dBest);
}

}  // namespace

const wchar_t* InvalidIconMessage() { return L"アイコンイメージが不正です"; }

IconFile ReadIconFile(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderSize) throw EReadError(StreamReadErrorMessage());
    const std::uint16_t type = formats::U16At(data + 2);
    if (type > 1) Invalid();
    IconFile file;
    if (type == 0) {
        file.stockIcon = true;
        return file;
    }
    const std::size_t count = formats::U16At(data + 4);
    if (count == 0 || (size - kHeaderSize) / kEntrySize < count) Invalid();
    file.entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = data + kHeaderSize + i * kEntrySize;
        IconDirEntry entry;
        entry.width = SideFromByte(e[0]);
        entry.height = SideFromByte(e[1]);
        entry.colours = e[2] == 0 ? kUnlimitedColours : e[2];
        entry.planes = formats::U16At(e + 4);
        entry.bitCount = formats::U16At(e + 6);
        entry.bytesInRes = formats::U32At(e + 8);
        entry.imageOffset = formats::U32At(e + 12);
        if (entry.bytesInRes == 0 || entry.imageOffset > size || entry.bytesInRes > size - entry.imageOffset)
            Invalid();
        file.entries.push_back(entry);
    }
    return file;
}

int ScreenColours(int bitsPerPixel, int planes) {
    const long long product = static_cast<long long>(bitsPerPixel) * planes;
    if (product > 8) return kUnlimitedColours;
    return product <= 0 ? 1 : 1 << product;
}

std::size_t ChooseIconEntry(const std::vector<IconDirEntry>& entries, int wantedWidth, int wantedHeight,
                            int screenColours) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const IconDirEntry& e = entries[i];
        const IconDirEntry& b = entries[best];
        if (e.colours <= screenColours && e.colours >= b.colours &&
            IsBetterSide(e.width, b.width, wantedWidth) && IsBetterSide(e.height, b.height, wantedHeight))
            best = i;
    }
    return best;
}

namespace {

// The mask of an image that brings its own alpha: the background shows
// through where the alpha is 0, and there the colour is made black so that
// the mask's exclusive-or leaves the background as it is.
void MaskFromAlpha(DecodedIcon& icon) {
    icon.hasAlpha = true;
    icon.mask.assign(icon.pixels.size(), 0);
    for (std::size_t i = 0; i < icon.pixels.size(); ++i)
        if ((icon.pixels[i] >> 24) == 0) icon.pixels[i] = 0, icon.mask[i] = 1;
}

DecodedIcon DecodePngImage(const std::uint8_t* image, std::size_t len, const IconDirEntry& entry) {
    DecodedPicture png;
    try {
        png = ReadPng(image, len, std::uint64_t{256} * 256 * 4);
    } catch (const EInvalidGraphic&) {
        Invalid();
    }
    if (png.width != entry.width || png.height != entry.height) Invalid();
    DecodedIcon icon;
    icon.width = png.width;
    icon.height = png.height;
    icon.pixels = std::move(png.pixels);
    MaskFromAlpha(icon);
    return icon;
}

}  // namespace

DecodedIcon DecodeIconImage(const std::uint8_t* data, std::size_t size, const IconDirEntry& entry) {
    if (entry.imageOffset > size || entry.bytesInRes > size - entry.imageOffset) Invalid();
    if (entry.width <= 0 || entry.height <= 0 || entry.width > 256 || entry.height > 256) Invalid();
    const std::uint8_t* image = data + entry.imageOffset;
    const std::size_t len = entry.bytesInRes;
    if (IsPng(image, len)) return DecodePngImage(image, len, entry);

    dib::Header h;
    if (dib::ReadHeader(image, len, h) != dib::Status::Ok) Invalid();
    if (h.compression != dib::kRgb || !dib::IsDecodable(h)) Invalid();
    if (h.width != entry.width || h.height != 2 * std::int64_t{entry.height}) Invalid();

    const std::uint32_t w = static_cast<std::uint32_t>(entry.width);
    const std::uint32_t hgt = static_cast<std::uint32_t>(entry.height);
    std::size_t pos = h.size;
    std::vector<std::uint32_t> palette;
    const std::uint32_t entries = dib::PaletteEntries(h);
    if (!dib::ReadPalette(image + pos, len - pos, entries, h.core, palette)) Invalid();
    pos += std::size_t{entries} * (h.core ? 3 : 4);

    const std::size_t colourBytes = static_cast<std::size_t>(dib::RowBytes(w, h.bitCount) * hgt);
    const std::size_t maskStride = static_cast<std::size_t>(dib::RowBytes(w, 1));
    if (len - pos < colourBytes) Invalid();
    // A 32-bit image may come without its mask: its alpha stands for it.
    const bool maskless = len - pos - colourBytes < maskStride * hgt;
    if (maskless && h.bitCount != 32) Invalid();

    DecodedIcon icon;
    icon.width = entry.width;
    icon.height = entry.height;
    icon.pixels.assign(std::size_t{w} * hgt, 0);
    dib::Layout layout;
    layout.width = w;
    layout.height = hgt;
    layout.bitCount = h.bitCount;
    layout.palette = &palette;
    layout.keepAlpha = true;
    dib::DecodePixels(layout, image + pos, colourBytes, icon.pixels.data());
    if (h.bitCount == 32)
        for (std::uint32_t p : icon.pixels)
            if (p >> 24) icon.hasAlpha = true;
    if (maskless) {
        // All alpha 0 says nothing: such an image is opaque.
        if (!icon.hasAlpha)
            for (std::uint32_t& p : icon.pixels) p |= 0xFF000000u;
        MaskFromAlpha(icon);
        return icon;
    }

    const std::uint8_t* maskRows = image + pos + colourBytes;
    icon.mask.assign(std::size_t{w} * hgt, 0);
    for (std::uint32_t y = 0; y < hgt; ++y) {
        const std::uint8_t* row = maskRows + std::size_t{hgt - 1 - y} * maskStride;
        for (std::uint32_t x = 0; x < w; ++x)
            icon.mask[std::size_t{y} * w + x] = (row[x >> 3] >> (7 - (x & 7))) & 1u;
    }
    return icon;
}

std::vector<std::uint8_t> PackMask(const DecodedIcon& icon, std::size_t rowAlignment) {
    if (rowAlignment == 0) rowAlignment = 1;
    const std::size_t w = static_cast<std::size_t>(icon.width), h = static_cast<std::size_t>(icon.height);
    const std::size_t stride = ((w + 7) / 8 + rowAlignment - 1) / rowAlignment * rowAlignment;
    std::vector<std::uint8_t> packed(stride * h, 0);
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x)
            if (icon.mask[y * w + x])
                packed[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    return packed;
}

}  // namespace pelma
