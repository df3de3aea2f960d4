#include "view/formats/png_reader.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>
#include <zlib.h>

#include "core/errors.h"
#include "view/formats/colour_profile.h"

namespace pelma {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

[[noreturn]] void Invalid() { throw EInvalidGraphic(InvalidPngMessage()); }

// One libpng reader over bytes from a source. libpng reports a fatal error by
// a longjmp to the buffer set in RunGuarded; the steps run there own no
// objects with destructors, and everything they change lives here.
struct Session {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const ByteSource& read;
    std::vector<png_bytep> rows;
    png_uint_32 width = 0, height = 0;
    int colourType = 0;
    bool transparency = false;
    ColourSource colours;

    explicit Session(const ByteSource& source) : read(source) {}
    ~Session() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

void ReadBytes(png_structp png, png_bytep out, std::size_t count) {
    auto* s = static_cast<Session*>(png_get_io_ptr(png));
    if (s->read(out, count) != count) png_error(png, "the data ends early");
}

// A source over bytes held in memory.
ByteSource MemorySource(const std::uint8_t* data, std::size_t size) {
    return [data, size, at = std::size_t{0}](std::uint8_t* out, std::size_t count) mutable {
        const std::size_t n = std::min(count, size - at);
        if (n != 0) std::memcpy(out, data + at, n);
        at += n;
        return n;
    };
}

void IgnoreWarning(png_structp, png_const_charp) {}

// A fatal error goes back to RunGuarded, without libpng's printing.
[[noreturn]] void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

using Step = void (*)(Session&);

[[gnu::noinline]] bool RunGuarded(Session& s, Step step) {
    if (setjmp(png_jmpbuf(s.png)) != 0) return false;
    step(s);
    return true;
}

void ReadInfo(Session& s) {
    png_set_read_fn(s.png, &s, ReadBytes);
    png_set_sig_bytes(s.png, sizeof kSignature);  // read and checked by Open
    // The budget decides what is too large, not libpng's default limits.
    png_set_user_limits(s.png, 0x7FFFFFFF, 0x7FFFFFFF);
    // Only the chunks that make the pixels and their colours are read; every
    // other one is skipped unread.
    static const png_byte kKept[] = {'t', 'R', 'N', 'S', 0, 'i', 'C', 'C', 'P', 0};
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_AS_DEFAULT, kKept, 2);
    png_read_info(s.png, s.info);
    s.width = png_get_image_width(s.png, s.info);
    s.height = png_get_image_height(s.png, s.info);
    s.colourType = png_get_color_type(s.png, s.info);
    s.transparency = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
    png_charp name = nullptr;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    int compression = 0;
    // Of colour pictures only: a grey one's profile is of grey.
    if ((s.colourType & PNG_COLOR_MASK_COLOR) &&
        png_get_iCCP(s.png, s.info, &name, &compression, &profile, &length) && profile)
        s.colours.icc.assign(profile, profile + length);
}

// Every layout to 8-bit B, G, R, A.
void SetTransforms(Session& s) {
    png_set_expand(s.png);
    png_set_scale_16(s.png);
    png_set_gray_to_rgb(s.png);
    png_set_bgr(s.png);
    png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    if (png_get_rowbytes(s.png, s.info) != std::size_t{s.width} * 4)
        png_error(s.png, "unexpected row layout");
}

void ReadImage(Session& s) { png_read_image(s.png, s.rows.data()); }

// Creates the reader and reads the header chunks; checks the budget.
void Open(Session& s, std::uint64_t budgetBytes) {
    std::uint8_t signature[sizeof kSignature];
    if (s.read(signature, sizeof signature) != sizeof signature || !IsPng(signature, sizeof signature))
        Invalid();
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, IgnoreWarning);
    if (!s.png) Invalid();
    s.info = png_create_info_struct(s.png);
    if (!s.info || !RunGuarded(s, ReadInfo)) Invalid();
    CheckPixelBudget(s.width, s.height, budgetBytes);
    if (s.width == 0 || s.height == 0) Invalid();
}

bool MayBeTransparent(const Session& s) {
    return s.transparency || (s.colourType & PNG_COLOR_MASK_ALPHA) != 0;
}

}  // namespace

const wchar_t* InvalidPngMessage() { return L"PNG イメージが不正です"; }

bool IsPng(const std::uint8_t* data, std::size_t size) {
    return size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

PictureInfo ReadPngHeader(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes) {
    const ByteSource source = MemorySource(data, size);
    Session s(source);
    Open(s, budgetBytes);
    return {static_cast<int>(s.width), static_cast<int>(s.height), MayBeTransparent(s)};
}

PictureInfo ReadPngInto(const std::uint8_t* data, std::size_t size, const PictureAllocator& allocate,
                        std::uint64_t budgetBytes) {
    return ReadPngInto(MemorySource(data, size), allocate, budgetBytes);
}

PictureInfo ReadPngInto(const ByteSource& read, const PictureAllocator& allocate, std::uint64_t budgetBytes) {
    Session s(read);
    Open(s, budgetBytes);
    PictureInfo info{static_cast<int>(s.width), static_cast<int>(s.height), false};
    if (!RunGuarded(s, SetTransforms)) Invalid();
    const PixelRows rows = allocate(info.width, info.height);
    if (!rows.first || rows.width != info.width || rows.height != info.height || rows.pixelBytes != 4)
        return info;
    s.rows.resize(s.height);
    for (int y = 0; y < info.height; ++y) s.rows[static_cast<std::size_t>(y)] = rows.Row(y);
    if (!RunGuarded(s, ReadImage)) Invalid();
    ConvertToDisplay(s.colours, rows);
    if (MayBeTransparent(s))
        for (int y = 0; y < info.height && !info.hasAlpha; ++y)
            info.hasAlpha = AnyTransparent(reinterpret_cast<const std::uint32_t*>(rows.Row(y)), s.width);
    return info;
}

DecodedPicture ReadPng(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes) {
    return DecodeToPixels(
        [&](const PictureAllocator& allocate) { return ReadPngInto(data, size, allocate, budgetBytes); });
}

}  // namespace pelma

// ---------------------------------------------------------------------------
// Animated PNG

namespace pelma {
namespace {

std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
std::uint16_t Be16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

struct Chunk {
    std::uint32_t type = 0;
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
};

constexpr std::uint32_t Type(const char (&name)[5]) {
    return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16 |
           std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint8_t(name[3]);
}

// The chunks in order, up to IEND or the first that does not fit the bytes.
std::vector<Chunk> Chunks(const std::uint8_t* data, std::size_t size) {
    std::vector<Chunk> chunks;
    if (!IsPng(data, size)) return chunks;
    std::size_t at = sizeof kSignature;
    while (size - at >= 12) {
        const std::uint32_t length = Be32(data + at);
        if (length > size - at - 12) break;
        chunks.push_back({Be32(data + at + 4), data + at + 8, length});
        if (chunks.back().type == Type("IEND")) break;
        at += 12 + std::size_t{length};
    }
    return chunks;
}

constexpr int kDisposeNone = 0, kDisposeBackground = 1, kDisposePrevious = 2;
constexpr int kBlendSource = 0;

struct ApngFrame {
    std::uint32_t width = 0, height = 0, left = 0, top = 0;
    int delayMs = 0;
    int dispose = kDisposeNone, blend = kBlendSource;
    std::vector<std::pair<const std::uint8_t*, std::uint32_t>> data;  // IDAT or fdAT contents
};

// Straight alpha, `src` over `dst`.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
    const std::uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    const std::uint32_t da = (dst >> 24) * (255 - sa) / 255, a = sa + da;
    auto channel = [&](int shift) {
        const std::uint32_t s = src >> shift & 0xFF, d = dst >> shift & 0xFF;
        return (s * sa + d * da + a / 2) / a << shift;
    };
    return a << 24 | channel(16) | channel(8) | channel(0);
}

class PngAnimation final : public PictureAnimation {
public:
    PngAnimation(std::vector<std::uint8_t> bytes, std::uint64_t budgetBytes) : bytes_(std::move(bytes)) {
        const std::vector<Chunk> chunks = Chunks(bytes_.data(), bytes_.size());
        if (chunks.empty() || chunks[0].type != Type("IHDR") || chunks[0].length != 13) Invalid();
        header_.assign(chunks[0].data, chunks[0].data + 13);
        width_ = static_cast<int>(std::min<std::uint32_t>(Be32(chunks[0].data), 0x7FFFFFFF));
        height_ = static_cast<int>(std::min<std::uint32_t>(Be32(chunks[0].data + 4), 0x7FFFFFFF));
        // The canvas, a frame and the copy kept for "put back as it was".
        CheckPixelBudget(static_cast<std::uint64_t>(width_) * 3, static_cast<std::uint64_t>(height_),
                         budgetBytes);
        if (width_ == 0 || height_ == 0) Invalid();
        bool imageSeen = false;
        ApngFrame* current = nullptr;  // the frame that image data goes to
        for (const Chunk& c : chunks) {
            if (c.type == Type("acTL") && c.length == 8) {
                loopCount_ = static_cast<int>(std::min<std::uint32_t>(Be32(c.data + 4), 0xFFFF));
            } else if (c.type == Type("PLTE") || c.type == Type("tRNS") || c.type == Type("iCCP")) {
                if (!imageSeen) prelude_.push_back(c);
            } else if (c.type == Type("fcTL")) {
                if (c.length != 26) Invalid();
                ApngFrame f;
                f.width = Be32(c.data + 4), f.height = Be32(c.data + 8);
                f.left = Be32(c.data + 12), f.top = Be32(c.data + 16);
                const unsigned num = Be16(c.data + 20), den = Be16(c.data + 22);
                f.delayMs = ShownFrameDelay(static_cast<int>(num * 1000u / (den == 0 ? 100u : den)));
                f.dispose = c.data[24], f.blend = c.data[25];
                if (f.width == 0 || f.height == 0 || f.left > std::uint32_t(width_) ||
                    f.width > std::uint32_t(width_) - f.left || f.top > std::uint32_t(height_) ||
                    f.height > std::uint32_t(height_) - f.top || f.dispose > kDisposePrevious || f.blend > 1)
                    Invalid();
                // The default image is the first frame only when its control comes before it.
                if (frames_.empty() && !imageSeen) firstIsImage_ = true;
                frames_.push_back(std::move(f));
                current = &frames_.back();
            } else if (c.type == Type("IDAT")) {
                imageSeen = true;
                if (firstIsImage_ && current) current->data.emplace_back(c.data, c.length);
            } else if (c.type == Type("fdAT") && c.length > 4) {
                if (current && imageSeen && !(firstIsImage_ && current == &frames_.front()))
                    current->data.emplace_back(c.data + 4, c.length - 4);
            }
        }
        // Frames without data are not shown.
        std::erase_if(frames_, [](const ApngFrame& f) { return f.data.empty(); });
        if (frames_.empty()) Invalid();
        frameCount_ = static_cast<int>(std::min<std::size_t>(frames_.size(), 0x7FFFFFFF));
        canvasPixels_.assign(static_cast<std::size_t>(width_) * height_, 0);
        canvas_ = canvasPixels_.data();
        ComposeFrame(0);
    }

private:
    void ComposeFrame(int index) override {
        const auto at = static_cast<std::size_t>(index);
        if (index == 0) {
            std::fill(canvasPixels_.begin(), canvasPixels_.end(), 0);
            previous_ = nullptr;
        }
        // The last frame goes as it asked, then this one is drawn.
        Area changed{width_, height_, 0, 0};
        auto include = [&changed](const ApngFrame& f) {
            changed.left = std::min(changed.left, static_cast<int>(f.left));
            changed.top = std::min(changed.top, static_cast<int>(f.top));
            changed.right = std::max(changed.right, static_cast<int>(f.left + f.width));
            changed.bottom = std::max(changed.bottom, static_cast<int>(f.top + f.height));
        };
        if (previous_) {
            include(*previous_);
            if (previous_->dispose == kDisposeBackground) {
                for (std::uint32_t y = 0; y < previous_->height; ++y)
                    std::fill_n(Row(previous_->top + y) + previous_->left, previous_->width, 0u);
            } else if (previous_->dispose == kDisposePrevious && !saved_.empty()) {
                for (std::uint32_t y = 0; y < previous_->height; ++y)
                    std::copy_n(
                        saved_.begin() + static_cast<std::ptrdiff_t>(std::size_t{y} * previous_->width),
                        previous_->width, Row(previous_->top + y) + previous_->left);
            }
        }
        const ApngFrame& f = frames_[at];
        include(f);
        changed_ = index == 0 ? Area{0, 0, width_, height_} : changed;
        delay_ = f.delayMs;
        previous_ = &f;
        // The first frame has nothing to put back: it is cleared instead.
        const bool keep = f.dispose == kDisposePrevious && index != 0;
        if (f.dispose == kDisposePrevious && index == 0) frames_[0].dispose = kDisposeBackground;
        saved_.clear();
        if (keep)
            for (std::uint32_t y = 0; y < f.height; ++y)
                saved_.insert(saved_.end(), Row(f.top + y) + f.left, Row(f.top + y) + f.left + f.width);

        const std::vector<std::uint32_t> pixels = DecodeFrame(f);
        for (std::uint32_t y = 0; y < f.height; ++y) {
            std::uint32_t* row = Row(f.top + y) + f.left;
            const std::uint32_t* src = pixels.data() + std::size_t{y} * f.width;
            if (f.blend == kBlendSource) {
                std::copy_n(src, f.width, row);
            } else {
                for (std::uint32_t x = 0; x < f.width; ++x) row[x] = Over(src[x], row[x]);
            }
        }
    }

    std::uint32_t* Row(std::uint32_t y) {
        return canvasPixels_.data() + std::size_t{y} * std::size_t(width_);
    }

    // The frame as a PNG of its own: the file's header at the frame's size,
    // its colour profile, palette and transparency, the frame's data as one
    // IDAT. Each frame is so converted by the profile as a still PNG is.
    std::vector<std::uint32_t> DecodeFrame(const ApngFrame& f) const {
        std::vector<std::uint8_t> png(kSignature, kSignature + sizeof kSignature);
        auto put = [&png](const char(&type)[5], const std::uint8_t* data, std::size_t length,
                          const std::uint8_t* more = nullptr, std::size_t moreLength = 0) {
            PutBe32(png, static_cast<std::uint32_t>(length + moreLength));
            const std::size_t start = png.size();
            png.insert(png.end(), type, type + 4);
            if (length) png.insert(png.end(), data, data + length);
            if (moreLength) png.insert(png.end(), more, more + moreLength);
            PutBe32(png, static_cast<std::uint32_t>(
                             crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
        };
        std::vector<std::uint8_t> ihdr;
        PutBe32(ihdr, f.width);
        PutBe32(ihdr, f.height);
        put("IHDR", ihdr.data(), ihdr.size(), header_.data() + 8, 5);
        for (const Chunk& c : prelude_) {
            const char type[5] = {char(c.type >> 24), char(c.type >> 16), char(c.type >> 8), char(c.type), 0};
            put(type, c.data, c.length);
        }
        std::vector<std::uint8_t> data;
        for (const auto& [p, n] : f.data) data.insert(data.end(), p, p + n);
        put("IDAT", data.data(), data.size());
        put("IEND", nullptr, 0);
        const DecodedPicture decoded = ReadPng(png.data(), png.size());
        return decoded.pixels;
    }

    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> header_;
    std::vector<Chunk> prelude_;
    std::vector<ApngFrame> frames_;
    bool firstIsImage_ = false;
    std::vector<std::uint32_t> canvasPixels_;
    std::vector<std::uint32_t> saved_;
    const ApngFrame* previous_ = nullptr;
};

}  // namespace

bool IsAnimatedPng(const std::uint8_t* data, std::size_t size) {
    for (const Chunk& c : Chunks(data, size)) {
        if (c.type == Type("IDAT")) return false;
        if (c.type == Type("acTL")) return c.length == 8 && Be32(c.data) > 1;
    }
    return false;
}

std::unique_ptr<PictureAnimation> OpenPngAnimation(std::vector<std::uint8_t> bytes,
                                                   std::uint64_t budgetBytes) {
    return std::make_unique<PngAnimation>(std::move(bytes), budgetBytes);
}

}  // namespace pelma
