#include "view/formats/bitmap_reader.h"

#include "core/errors.h"
#include "core/messages.h"
#include "view/formats/byte_order.h"
#include "view/formats/dib.h"
#include "view/formats/jpeg_reader.h"
#include "view/formats/png_reader.h"

namespace pelma {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

[[noreturn]] void Invalid() { throw EInvalidGraphic(InvalidBitmapMessage()); }
[[noreturn]] void Truncated() { throw EReadError(StreamReadErrorMessage()); }

// A bitmap whose bits are a whole JPEG or PNG file of the header's size.
// Any failure of the embedded file is the bitmap's own.
DecodedBitmap ReadEmbedded(const dib::Header& h, const std::uint8_t* bits, std::size_t len,
                           std::uint64_t budgetBytes) {
    if (h.width <= 0 || h.height <= 0) Invalid();  // no top-down rows for a compressed bitmap
    CheckPixelBudget(static_cast<std::uint64_t>(h.width), static_cast<std::uint64_t>(h.height), budgetBytes);
    DecodedBitmap result;
    try {
        if (h.compression == dib::kPng) {
            DecodedPicture p = ReadPng(bits, len, budgetBytes);
            result.width = p.width, result.height = p.height, result.hasAlpha = p.hasAlpha;
            result.pixels = std::move(p.pixels);
            if (!result.hasAlpha)
                for (std::uint32_t& px : result.pixels) px &= 0x00FFFFFF;
        } else {
            DecodedJpeg j = DecodeJpeg(bits, len, false, budgetBytes);
            if (j.errorCode != 0) Invalid();
            result.width = j.width, result.height = j.height;
            if (j.eightBit) {  // grayscale: the levels its indices stand for
                result.pixels = AllocatePixels<std::uint32_t>(j.indices.size());
                for (std::size_t i = 0; i < j.indices.size(); ++i)
                    result.pixels[i] = j.indices[i] < j.palette.size() ? j.palette[j.indices[i]] : 0;
            } else {
                result.pixels = std::move(j.pixels);
            }
        }
    } catch (const EInvalidGraphic& e) {
        if (e.Message() == PictureTooLargeMessage()) throw;
        Invalid();
    } catch (const EJPEG&) {
        Invalid();
    }
    if (result.width != h.width || result.height != h.height) Invalid();
    return result;
}

}  // namespace

const wchar_t* InvalidBitmapMessage() { return L"ビットマップイメージが不正です"; }

DecodedBitmap ReadBitmap(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes) {
    if (size == 0) return {};
    if (size < kFileHeaderSize) Truncated();
    if (data[0] != 'B' || data[1] != 'M') Invalid();
    const std::uint32_t offBits = formats::U32At(data + 10);

    dib::Header h;
    switch (dib::ReadHeader(data + kFileHeaderSize, size - kFileHeaderSize, h)) {
        case dib::Status::Truncated:
            Truncated();
        case dib::Status::Invalid:
            Invalid();
        case dib::Status::Ok:
            break;
    }
    if (h.compression == dib::kJpeg || h.compression == dib::kPng) {
        if (h.core) Invalid();
        const std::uint64_t start = offBits >= kFileHeaderSize + std::uint64_t{h.size} && offBits < size
                                        ? offBits
                                        : kFileHeaderSize + std::uint64_t{h.size};
        if (start >= size) Truncated();
        return ReadEmbedded(h, data + start, size - static_cast<std::size_t>(start), budgetBytes);
    }
    if (!dib::IsDecodable(h) || h.width < 0) Invalid();

    // Bit-field masks follow a header too small to hold them.
    std::uint64_t pos = kFileHeaderSize + std::uint64_t{h.size};
    if ((h.compression == dib::kBitFields || h.compression == dib::kAlphaBitFields) && !h.masksInHeader) {
        const std::uint64_t maskBytes = h.compression == dib::kAlphaBitFields ? 16 : 12;
        if (size - pos < maskBytes) Truncated();
        for (int c = 0; c < 3; ++c) h.masks[c] = formats::U32At(data + pos + 4 * c);
        if (maskBytes == 16) h.alphaMask = formats::U32At(data + pos + 12);
        pos += maskBytes;
    } else if (h.compression == dib::kRgb) {
        h.masks[0] = h.masks[1] = h.masks[2] = 0;  // the defaults of the bit count
        h.alphaMask = 0;                           // the top byte of uncompressed pixels is unused
    }
    const std::uint64_t headersEnd = pos;

    std::vector<std::uint32_t> palette;
    if (h.bitCount <= 8) {
        const std::uint32_t entries = dib::PaletteEntries(h);
        if (!dib::ReadPalette(data + pos, size - pos, entries, h.core, palette)) Truncated();
        pos += std::uint64_t{entries} * (h.core ? 3 : 4);
    } else {
        // An optional colour table for palette devices; only its length matters.
        pos += std::uint64_t{h.clrUsed} * 4;
        if (pos > size) pos = size;
    }

    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    const bool topDown = h.height < 0;
    const std::uint64_t height = static_cast<std::uint64_t>(topDown ? -h.height : h.height);
    if (width == 0 || height == 0) return {};
    CheckPixelBudget(width, height, budgetBytes);

    if (offBits >= headersEnd && offBits <= size) pos = offBits;

    DecodedBitmap result;
    result.width = static_cast<int>(width);
    result.height = static_cast<int>(height);
    result.pixels = AllocatePixels<std::uint32_t>(static_cast<std::size_t>(width * height));

    dib::Layout layout;
    layout.width = static_cast<std::uint32_t>(width);
    layout.height = static_cast<std::uint32_t>(height);
    layout.topDown = topDown;
    layout.bitCount = h.bitCount;
    layout.compression = h.compression;
    for (int c = 0; c < 3; ++c) layout.masks[c] = h.masks[c];
    layout.alphaMask = h.bitCount == 16 || h.bitCount == 32 ? h.alphaMask : 0;
    layout.palette = &palette;
    dib::DecodePixels(layout, data + pos, size - static_cast<std::size_t>(pos), result.pixels.data());
    if (layout.alphaMask != 0) {
        // An alpha channel that is all 0 or all 255 says nothing: the bitmap is opaque.
        std::uint32_t any = 0, all = 0xFF000000u;
        for (std::uint32_t p : result.pixels) any |= p, all &= p;
        result.hasAlpha = (any >> 24) != 0 && (all >> 24) != 0xFF;
        if (!result.hasAlpha)
            for (std::uint32_t& p : result.pixels) p &= 0x00FFFFFF;
    }
    return result;
}

}  // namespace pelma
