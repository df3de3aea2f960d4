#include "view/formats/gif_reader.h"

#include <algorithm>
#include <cstring>

#include <gif_lib.h>

#include "core/errors.h"

namespace pelma {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(InvalidGifMessage()); }

constexpr std::uint32_t kOpaque = 0xFF000000u;

// One pass of giflib over the bytes, from the start.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
        int error = 0;
        gif_ = DGifOpen(this, &Reader::Read, &error);
        if (!gif_) Invalid();
    }
    ~Reader() {
        int error = 0;
        DGifCloseFile(gif_, &error);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    GifFileType* operator->() const { return gif_; }
    GifFileType* get() const { return gif_; }

    // The next record; TERMINATE_RECORD_TYPE also when the data ends or
    // breaks between records.
    GifRecordType NextRecord() {
        GifRecordType type = TERMINATE_RECORD_TYPE;
        if (DGifGetRecordType(gif_, &type) == GIF_ERROR) return TERMINATE_RECORD_TYPE;
        return type;
    }

    // Reads an image descriptor. giflib also keeps a copy of every
    // descriptor it reads; dropping it keeps the memory independent of the
    // frame count.
    bool ImageDescriptor() {
        if (DGifGetImageDesc(gif_) == GIF_ERROR) return false;
        GifFreeSavedImages(gif_);
        gif_->SavedImages = nullptr;
        gif_->ImageCount = 0;
        return true;
    }

    // Skips the compressed data of the image just described.
    bool SkipImageData() {
        int codeSize = 0;
        GifByteType* block = nullptr;
        if (DGifGetCode(gif_, &codeSize, &block) == GIF_ERROR) return false;
        while (block)
            if (DGifGetCodeNext(gif_, &block) == GIF_ERROR) return false;
        return true;
    }

    // Skips the compressed data left of an image partly decoded.
    bool SkipRestOfImage() {
        GifByteType* block = nullptr;
        do
            if (DGifGetCodeNext(gif_, &block) == GIF_ERROR) return false;
        while (block);
        return true;
    }

    // Reads an extension: its code, a copy of its first sub-block (null
    // when it has none) and the rest (`rest(block)` for each further
    // sub-block, length in block[0]). giflib hands every sub-block in the
    // same buffer, hence the copy.
    template <class Rest>
    bool Extension(int& code, const GifByteType*& first, Rest rest) {
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif_, &code, &block) == GIF_ERROR) return false;
        first = nullptr;
        if (block) {
            std::memcpy(firstBlock_, block, std::size_t{block[0]} + 1);
            first = firstBlock_;
        }
        while (block) {
            if (DGifGetExtensionNext(gif_, &block) == GIF_ERROR) return false;
            if (block) rest(block);
        }
        return true;
    }

private:
    static int Read(GifFileType* gif, GifByteType* out, int count) {
        auto* self = static_cast<Reader*>(gif->UserData);
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), self->size_ - self->at_);
        if (count <= 0 || n == 0) return 0;
        std::memcpy(out, self->data_ + self->at_, n);
        self->at_ += n;
        return static_cast<int>(n);
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    GifFileType* gif_ = nullptr;
    GifByteType firstBlock_[256] = {};
};

bool IsNetscapeLoop(const GifByteType* first) {
    return first && first[0] == 11 &&
           (std::memcmp(first + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(first + 1, "ANIMEXTS1.0", 11) == 0);
}

// A frame's area on the canvas, clipped.
using Area = PictureAnimation::Area;
bool Empty(const Area& a) { return a.right <= a.left || a.bottom <= a.top; }
Area Union(const Area& a, const Area& b) {
    if (Empty(a)) return b;
    if (Empty(b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

class GifAnimation final : public PictureAnimation {
public:
    GifAnimation(std::vector<std::uint8_t> bytes, std::uint64_t budgetBytes, const PictureAllocator* canvas,
                 std::uint32_t clear)
        : bytes_(std::move(bytes)), clear_(clear) {
        Scan(budgetBytes);
        const std::size_t count = static_cast<std::size_t>(width_) * height_;
        PixelRows rows;
        if (canvas) rows = (*canvas)(width_, height_);
        if (rows.first && rows.width == width_ && rows.height == height_ && rows.pixelBytes == 4 &&
            rows.stride == static_cast<std::size_t>(width_) * 4) {
            pixels_ = reinterpret_cast<std::uint32_t*>(rows.first);
        } else {
            own_ = AllocatePixels<std::uint32_t>(count);
            pixels_ = own_.data();
        }
        end_ = pixels_ + count;
        canvas_ = pixels_;
        ComposeFrame(0);
    }

private:
    // Walks every record once without decoding any pixels: the frame count
    // (complete frames only), the loop count and the canvas size.
    void Scan(std::uint64_t budgetBytes) {
        Reader r(bytes_.data(), bytes_.size());
        int screenW = r->SWidth, screenH = r->SHeight;
        int frames = 0, loops = -1;
        for (bool more = true; more;) {
            switch (r.NextRecord()) {
                case IMAGE_DESC_RECORD_TYPE: {
                    if (!r.ImageDescriptor()) {
                        more = false;
                        break;
                    }
                    const GifImageDesc d = r->Image;
                    if (!r.SkipImageData()) {
                        more = false;
                        break;
                    }
                    if (frames == 0 && (screenW <= 0 || screenH <= 0)) {
                        screenW = d.Left + d.Width;
                        screenH = d.Top + d.Height;
                    }
                    ++frames;
                    break;
                }
                case EXTENSION_RECORD_TYPE: {
                    int code = 0;
                    const GifByteType* first = nullptr;
                    const bool ok = r.Extension(code, first, [&](const GifByteType* block) {
                        if (code == APPLICATION_EXT_FUNC_CODE && IsNetscapeLoop(first) && block[0] >= 3 &&
                            block[1] == 1 && loops < 0)
                            loops = block[2] | (block[3] << 8);
                    });
                    if (!ok) more = false;
                    break;
                }
                default:
                    more = false;
            }
        }
        if (frames == 0) Invalid();
        CheckPixelBudget(static_cast<std::uint64_t>(screenW), static_cast<std::uint64_t>(screenH),
                         budgetBytes);
        if (screenW <= 0 || screenH <= 0) Invalid();
        width_ = screenW;
        height_ = screenH;
        frameCount_ = frames;
        loopCount_ = loops < 0 ? 1 : loops == 0 ? 0 : loops + 1;
    }

    void ComposeFrame(int index) override {
        // What this step may change: the area of the frame before when its
        // disposal changes it, and that of this frame; all of it at a new loop.
        const bool restart = index == 0 || !reader_;
        const bool disposes = lastDisposal_ == DISPOSE_BACKGROUND || lastDisposal_ == DISPOSE_PREVIOUS;
        const Area before = disposes ? lastArea_ : Area{};
        if (restart) {
            reader_.reset();
            reader_ = std::make_unique<Reader>(bytes_.data(), bytes_.size());
            std::fill(pixels_, end_, clear_);
            lastDisposal_ = DISPOSAL_UNSPECIFIED;
            lastArea_ = {};
            saved_.clear();
        }
        DisposeLast();
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        for (;;) {
            switch (reader_->NextRecord()) {
                case IMAGE_DESC_RECORD_TYPE:
                    DrawFrame(gcb);
                    if (!restart) changed_ = Union(before, lastArea_);
                    return;
                case EXTENSION_RECORD_TYPE: {
                    int code = 0;
                    const GifByteType* first = nullptr;
                    if (!reader_->Extension(code, first, [](const GifByteType*) {})) Invalid();
                    if (code == GRAPHICS_EXT_FUNC_CODE && first && first[0] >= 4)
                        DGifExtensionToGCB(first[0], first + 1, &gcb);
                    break;
                }
                default:
                    Invalid();  // the scan counted a frame here
            }
        }
    }

    // Applies the disposal of the frame now on the canvas.
    void DisposeLast() {
        const Area a = lastArea_;
        if (Empty(a)) return;
        if (lastDisposal_ == DISPOSE_BACKGROUND) {
            for (int y = a.top; y < a.bottom; ++y)
                std::fill_n(&pixels_[static_cast<std::size_t>(y) * width_ + a.left], a.right - a.left,
                            clear_);
        } else if (lastDisposal_ == DISPOSE_PREVIOUS && !saved_.empty()) {
            const std::size_t w = static_cast<std::size_t>(a.right - a.left);
            for (int y = a.top; y < a.bottom; ++y)
                std::copy_n(&saved_[static_cast<std::size_t>(y - a.top) * w], w,
                            &pixels_[static_cast<std::size_t>(y) * width_ + a.left]);
        }
        lastArea_ = {};
    }

    void DrawFrame(const GraphicsControlBlock& gcb) {
        Reader& r = *reader_;
        if (!r.ImageDescriptor()) Invalid();
        const GifImageDesc& d = r->Image;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : r->SColorMap;
        Area a{std::min(d.Left, width_), std::min(d.Top, height_), std::min(d.Left + d.Width, width_),
               std::min(d.Top + d.Height, height_)};
        if (Empty(a)) a = {};

        if (gcb.DisposalMode == DISPOSE_PREVIOUS && !Empty(a)) {
            const std::size_t w = static_cast<std::size_t>(a.right - a.left);
            if (saved_.size() < w * static_cast<std::size_t>(a.bottom - a.top))
                saved_ = AllocatePixels<std::uint32_t>(w * static_cast<std::size_t>(a.bottom - a.top));
            for (int y = a.top; y < a.bottom; ++y)
                std::copy_n(&pixels_[static_cast<std::size_t>(y) * width_ + a.left], w,
                            &saved_[static_cast<std::size_t>(y - a.top) * w]);
        }

        std::uint32_t colours[256];
        for (int i = 0; i < 256; ++i) {
            if (map && i < map->ColorCount) {
                const GifColorType& c = map->Colors[i];
                colours[i] = kOpaque | (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
            } else {
                colours[i] = kOpaque;
            }
        }
        const int transparent = gcb.TransparentColor;
        lastArea_ = a;
        lastDisposal_ = gcb.DisposalMode;
        delay_ = ShownFrameDelay(gcb.DelayTime * 10);
        if (d.Width <= 0 || d.Height <= 0) {
            if (!r.SkipImageData()) Invalid();
            return;
        }

        line_.resize(static_cast<std::size_t>(d.Width));
        static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        const int passes = d.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const int start = d.Interlace ? kStart[pass] : 0, step = d.Interlace ? kStep[pass] : 1;
            for (int row = start; row < d.Height; row += step) {
                const int y = d.Top + row;
                if (!d.Interlace && y >= a.bottom) {
                    // The rest lies below the canvas: its data is skipped, not decoded.
                    if (!r.SkipRestOfImage()) Invalid();
                    break;
                }
                if (DGifGetLine(r.get(), line_.data(), d.Width) == GIF_ERROR) Invalid();
                if (y < a.top || y >= a.bottom) continue;
                std::uint32_t* out = &pixels_[static_cast<std::size_t>(y) * width_];
                for (int x = a.left; x < a.right; ++x) {
                    const GifPixelType index = line_[static_cast<std::size_t>(x - d.Left)];
                    if (index != transparent) out[x] = colours[index];
                }
            }
        }
    }

    std::vector<std::uint8_t> bytes_;
    std::uint32_t clear_;              // what the canvas starts as and is cleared to
    std::vector<std::uint32_t> own_;   // the canvas, unless the caller gave its memory
    std::uint32_t* pixels_ = nullptr;  // the canvas
    std::uint32_t* end_ = nullptr;
    std::unique_ptr<Reader> reader_;
    std::vector<GifPixelType> line_;
    std::vector<std::uint32_t> saved_;  // the area under a restore-to-previous frame
    Area lastArea_;
    int lastDisposal_ = DISPOSAL_UNSPECIFIED;
};

}  // namespace

const wchar_t* InvalidGifMessage() { return L"GIF イメージが不正です"; }

std::unique_ptr<PictureAnimation> OpenGifAnimation(std::vector<std::uint8_t> bytes, std::uint64_t budgetBytes,
                                                   const PictureAllocator* canvas, std::uint32_t clear) {
    return std::make_unique<GifAnimation>(std::move(bytes), budgetBytes, canvas, clear);
}

DecodedPicture ReadGif(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes) {
    auto animation = OpenGifAnimation(std::vector<std::uint8_t>(data, data + size), budgetBytes);
    DecodedPicture picture;
    picture.width = animation->Width();
    picture.height = animation->Height();
    const std::size_t count = static_cast<std::size_t>(picture.width) * picture.height;
    picture.pixels = AllocatePixels<std::uint32_t>(count);
    std::copy_n(animation->Canvas(), count, picture.pixels.data());
    picture.hasAlpha = AnyTransparent(picture.pixels.data(), picture.pixels.size());
    return picture;
}

}  // namespace pelma
