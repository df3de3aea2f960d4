#include "view/formats/heif_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <libheif/heif.h>

#include "core/errors.h"
#include "view/formats/colour_profile.h"

#ifdef PELMA_HEIF_PIXEL_LIMIT
// The largest image, in pixels, that libheif decodes: any item, a grid's or
// overlay's output, an AV1 frame (our patch to libheif).
extern "C" void heif_set_image_pixel_limit(unsigned pixels);
#endif

namespace pelma {
namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
struct NclxFree {
    void operator()(heif_color_profile_nclx* n) const { heif_nclx_color_profile_free(n); }
};

// A file of either kind begins with its 'ftyp' box; which brands it names is
// left to libheif (a photo named .heic may hold AV1, and it shows).
bool HasFileTypeBox(const std::uint8_t* d, std::size_t size) {
    return size >= 16 && std::memcmp(d + 4, "ftyp", 4) == 0;
}

// The colour description an image carries, as the profile its colours are
// converted from; none for sRGB's own (or one not told).
ColourSource SourceOf(const heif_image_handle* handle, const heif_image* image) {
    ColourSource source;
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        source.icc.resize(heif_image_handle_get_raw_color_profile_size(handle));
        if (source.icc.empty() || heif_image_handle_get_raw_color_profile(handle, source.icc.data()).code)
            source.icc.clear();
        return source;
    }
    // From the image's coded stream first, then from the file's boxes. What
    // libheif hands out is freed even with an error: it may say so after
    // filling in a description it could not take in whole.
    for (int from = 0; from < 2 && !source.described; ++from) {
        heif_color_profile_nclx* raw = nullptr;
        const heif_error error = from == 0 ? heif_image_get_nclx_color_profile(image, &raw)
                                           : heif_image_handle_get_nclx_color_profile(handle, &raw);
        std::unique_ptr<heif_color_profile_nclx, NclxFree> nclx(raw);
        if (error.code == heif_error_Ok && nclx)
            source.described = ColourDescription{static_cast<int>(nclx->color_primaries),
                                                 static_cast<int>(nclx->transfer_characteristics)};
    }
    return source;
}

}  // namespace

const wchar_t* InvalidHeifMessage(HeifFlavour flavour) {
    return flavour == HeifFlavour::Heic ? L"HEIF イメージが不正です" : L"AVIF イメージが不正です";
}

PictureInfo ReadHeifInto(const std::uint8_t* data, std::size_t size, HeifFlavour flavour,
                         const PictureAllocator& allocate, std::uint64_t budgetBytes) {
    const auto invalid = [flavour] { throw EInvalidGraphic(InvalidHeifMessage(flavour)); };
    if (!HasFileTypeBox(data, size)) invalid();
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context) invalid();
    if (heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr).code) invalid();
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code) invalid();
    std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);

    // The size shown and the size decoded (before the crop), both within the
    // budget; a turned image is decoded as stored and then turned.
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    const int storedWidth = heif_image_handle_get_ispe_width(handle.get());
    const int storedHeight = heif_image_handle_get_ispe_height(handle.get());
    if (width <= 0 || height <= 0) invalid();
    CheckPixelBudget(static_cast<std::uint64_t>(width) * 2, static_cast<std::uint64_t>(height), budgetBytes);
    if (storedWidth > 0 && storedHeight > 0)
        CheckPixelBudget(static_cast<std::uint64_t>(storedWidth) * 2,
                         static_cast<std::uint64_t>(storedHeight), budgetBytes);

#ifdef PELMA_HEIF_PIXEL_LIMIT
    // The images the primary is made of (tiles, an overlay's parts, its
    // alpha) and its coded frames may say they are of any size, whatever the
    // primary's boxes say: none is made larger than the budget allows a
    // picture to be.
    heif_set_image_pixel_limit(static_cast<unsigned>(std::min<std::uint64_t>(budgetBytes / 8, 1u << 30)));
#endif
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options) invalid();
    options->convert_hdr_to_8bit = 1;
    heif_image* rawImage = nullptr;
    if (heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get())
            .code)
        invalid();
    std::unique_ptr<heif_image, ImageRelease> image(rawImage);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int decodedWidth = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int decodedHeight = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!plane || decodedWidth <= 0 || decodedHeight <= 0 || stride < decodedWidth * (alpha ? 4 : 3) ||
        heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8)
        invalid();
    CheckPixelBudget(static_cast<std::uint64_t>(decodedWidth), static_cast<std::uint64_t>(decodedHeight),
                     budgetBytes);

    PictureInfo info{decodedWidth, decodedHeight, false};
    const PixelRows rows = allocate(info.width, info.height);
    if (!rows.first || rows.width != info.width || rows.height != info.height || rows.pixelBytes != 4)
        return info;
    const bool premultiplied = alpha && heif_image_is_premultiplied_alpha(image.get());
    bool transparent[2] = {false, false};
    ForRowHalves(decodedWidth, decodedHeight, [&](int first, int end) {
        bool& seen = transparent[first > 0];
        for (int y = first; y < end; ++y) {
            const std::uint8_t* from = plane + static_cast<std::size_t>(stride) * y;
            auto* to = reinterpret_cast<std::uint32_t*>(rows.Row(y));
            if (!alpha) {
                for (int x = 0; x < decodedWidth; ++x, from += 3)
                    to[x] =
                        0xFF000000u | std::uint32_t{from[0]} << 16 | std::uint32_t{from[1]} << 8 | from[2];
                continue;
            }
            for (int x = 0; x < decodedWidth; ++x, from += 4) {
                const std::uint32_t r = from[0], g = from[1], b = from[2], a = from[3];
                seen |= a != 255;
                to[x] = premultiplied ? StraightPixel(r, g, b, a) : a << 24 | r << 16 | g << 8 | b;
            }
        }
    });
    info.hasAlpha = transparent[0] || transparent[1];
    const ColourSource source = SourceOf(handle.get(), image.get());
    image.reset();
    ConvertToDisplay(source, rows);
    return info;
}

DecodedPicture ReadHeif(const std::uint8_t* data, std::size_t size, HeifFlavour flavour,
                        std::uint64_t budgetBytes) {
    return DecodeToPixels([&](const PictureAllocator& allocate) {
        return ReadHeifInto(data, size, flavour, allocate, budgetBytes);
    });
}

}  // namespace pelma
