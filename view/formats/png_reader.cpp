#include "view/formats/png_reader.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

#include "core/errors.h"

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
    // Only the chunks that make the pixels are read; every other one is skipped unread.
    static const png_byte kKept[] = {'t', 'R', 'N', 'S', 0};
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_AS_DEFAULT, kKept, 1);
    png_read_info(s.png, s.info);
    s.width = png_get_image_width(s.png, s.info);
    s.height = png_get_image_height(s.png, s.info);
    s.colourType = png_get_color_type(s.png, s.info);
    s.transparency = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
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
