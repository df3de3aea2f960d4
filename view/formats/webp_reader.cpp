#include "view/formats/webp_reader.h"

#include <algorithm>

#include <webp/decode.h>
#include <webp/demux.h>

#include "core/errors.h"
#include "view/formats/colour_profile.h"

namespace pelma {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(InvalidWebPMessage()); }

WebPBitstreamFeatures Features(const std::uint8_t* data, std::size_t size) {
    WebPBitstreamFeatures f{};
    if (WebPGetFeatures(data, size, &f) != VP8_STATUS_OK || f.width <= 0 || f.height <= 0) Invalid();
    return f;
}

class WebPAnimation final : public PictureAnimation {
public:
    WebPAnimation(std::vector<std::uint8_t> bytes, std::uint64_t budgetBytes) : bytes_(std::move(bytes)) {
        const WebPBitstreamFeatures f = Features(bytes_.data(), bytes_.size());
        CheckPixelBudget(static_cast<std::uint64_t>(f.width) * 2, static_cast<std::uint64_t>(f.height),
                         budgetBytes);
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options)) Invalid();
        options.color_mode = MODE_BGRA;
        options.use_threads = 0;
        const WebPData data{bytes_.data(), bytes_.size()};
        decoder_.reset(WebPAnimDecoderNew(&data, &options));
        if (!decoder_) Invalid();
        WebPAnimInfo info{};
        if (!WebPAnimDecoderGetInfo(decoder_.get(), &info) || info.frame_count == 0) Invalid();
        // The canvas may be larger than the first frame's features said.
        CheckPixelBudget(std::uint64_t{info.canvas_width} * 2, info.canvas_height, budgetBytes);
        width_ = static_cast<int>(info.canvas_width);
        height_ = static_cast<int>(info.canvas_height);
        frameCount_ = static_cast<int>(std::min<std::uint32_t>(info.frame_count, 0x7FFFFFFF));
        loopCount_ = static_cast<int>(std::min<std::uint32_t>(info.loop_count, 0xFFFF));
        ComposeFrame(0);
    }

private:
    void ComposeFrame(int index) override {
        if (index == 0) {
            WebPAnimDecoderReset(decoder_.get());
            time_ = 0;
        }
        std::uint8_t* pixels = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder_.get(), &pixels, &timestamp) || !pixels) Invalid();
        canvas_ = reinterpret_cast<const std::uint32_t*>(pixels);
        delay_ = ShownFrameDelay(timestamp - time_);
        time_ = timestamp;
    }

    std::vector<std::uint8_t> bytes_;
    struct Delete {
        void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
    };
    std::unique_ptr<WebPAnimDecoder, Delete> decoder_;
    int time_ = 0;  // when the frame now shown started, in milliseconds
};

// The ICC profile of an extended file (its 'ICCP' chunk), if it has one.
ColourSource EmbeddedProfile(const std::uint8_t* data, std::size_t size) {
    ColourSource source;
    const WebPData bytes{data, size};
    struct Delete {
        void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
    };
    std::unique_ptr<WebPDemuxer, Delete> demux(WebPDemux(&bytes));
    if (!demux || !(WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG)) return source;
    WebPChunkIterator chunk;
    if (WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk)) {
        source.icc.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return source;
}

}  // namespace

const wchar_t* InvalidWebPMessage() { return L"WebP イメージが不正です"; }

WebPHeader ReadWebPHeader(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes) {
    const WebPBitstreamFeatures f = Features(data, size);
    CheckPixelBudget(static_cast<std::uint64_t>(f.width), static_cast<std::uint64_t>(f.height), budgetBytes);
    return {f.width, f.height, f.has_alpha != 0, f.has_animation != 0};
}

PictureInfo ReadWebPInto(const std::uint8_t* data, std::size_t size, const PictureAllocator& allocate,
                         std::uint64_t budgetBytes) {
    const WebPHeader h = ReadWebPHeader(data, size, budgetBytes);
    if (h.animated) {
        auto animation = OpenWebPAnimation(std::vector<std::uint8_t>(data, data + size), budgetBytes);
        const int w = animation->Width(), ht = animation->Height();
        const PixelRows rows = allocate(w, ht);
        PictureInfo info{w, ht, false};
        if (!rows.first || rows.width != w || rows.height != ht || rows.pixelBytes != 4) return info;
        for (int y = 0; y < ht; ++y) {
            const std::uint32_t* src = animation->Canvas() + static_cast<std::size_t>(y) * w;
            std::copy_n(src, w, reinterpret_cast<std::uint32_t*>(rows.Row(y)));
            info.hasAlpha = info.hasAlpha || AnyTransparent(src, static_cast<std::size_t>(w));
        }
        return info;
    }
    PictureInfo info{h.width, h.height, false};
    const PixelRows rows = allocate(h.width, h.height);
    if (!rows.first || rows.width != h.width || rows.height != h.height || rows.pixelBytes != 4) return info;
    const std::size_t bytes = rows.stride * static_cast<std::size_t>(h.height - 1) + std::size_t{4} * h.width;
    if (!WebPDecodeBGRAInto(data, size, rows.first, bytes, static_cast<int>(rows.stride))) Invalid();
    ConvertToDisplay(EmbeddedProfile(data, size), rows);
    // From the pixels, not the headers: a lossless stream may carry alpha its header calls unused.
    for (int y = 0; y < h.height && !info.hasAlpha; ++y)
        info.hasAlpha = AnyTransparent(reinterpret_cast<const std::uint32_t*>(rows.Row(y)),
                                       static_cast<std::size_t>(h.width));
    return info;
}

DecodedPicture ReadWebP(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes) {
    return DecodeToPixels(
        [&](const PictureAllocator& allocate) { return ReadWebPInto(data, size, allocate, budgetBytes); });
}

std::unique_ptr<PictureAnimation> OpenWebPAnimation(std::vector<std::uint8_t> bytes,
                                                    std::uint64_t budgetBytes) {
    return std::make_unique<WebPAnimation>(std::move(bytes), budgetBytes);
}

}  // namespace pelma
