#include "view/picture_loader.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <mutex>

#include "core/errors.h"
#include "core/messages.h"
#include "view/animated_picture.h"
#include "view/file_access.h"
#include "view/formats/bitmap_reader.h"
#include "view/formats/colour_profile.h"
#include "view/formats/decoded_picture.h"
#include "view/formats/gif_reader.h"
#include "view/formats/heif_reader.h"
#include "view/formats/picture_header.h"
#include "view/formats/picture_limits.h"
#include "view/formats/png_reader.h"
#include "view/formats/tiff_reader.h"
#include "view/formats/webp_reader.h"
#include "view/icon_picture.h"
#include "view/metafile_picture.h"
#include "view/picture_graphics.h"

namespace pelma {

namespace {

constexpr std::uint64_t kMaxPictureFileBytes = kMaxPictureBytes + (1u << 20);

// A picture decoded straight into a DIB section by `decode`, which is handed
// the allocator that makes the section; transparent pixels composed over the
// background.
template <typename Decode>
std::shared_ptr<ui::TGraphic> SectionPicture(Decode decode, COLORREF background) {
    DibPixels pixels;
    bool noMemory = false;
    const PictureInfo info = decode([&](int width, int height) -> PixelRows {
        if (!pixels.Create(width, height)) {
            noMemory = true;
            return {};
        }
        return pixels.Rows();
    });
    if (noMemory) throw Exception(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    if (info.hasAlpha) CompositeOver(pixels.Rows(), PixelColour(background));
    return std::make_shared<TBitmap>(std::move(pixels));
}

// The file's size, refused beyond what a picture within the budget may take.
std::size_t PictureFileSize(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) RaiseInOutError(GetLastError());
    if (static_cast<std::uint64_t>(size.QuadPart) > kMaxPictureFileBytes)
        throw EInvalidGraphic(PictureTooLargeMessage());
    return static_cast<std::size_t>(size.QuadPart);
}

// A PNG is decoded as its file is read, through a buffer: its bytes, which
// may be as many as its pixels', are never held whole. An animated one is
// read whole: its frames are decoded from its bytes again at every loop.
std::shared_ptr<ui::TGraphic> StreamedPng(const std::wstring& fileName, COLORREF background) {
    ui::UniqueFile file = OpenForReading(fileName, FILE_SHARE_READ, OpenFailure::StreamOpenError);
    // The animation control comes before the image data, near the start.
    std::vector<std::uint8_t> head(std::min<std::size_t>(PictureFileSize(file.get()), kPictureHeadBytes));
    std::size_t got = 0;
    LARGE_INTEGER start{};
    if (!ReadUpTo(file.get(), head.data(), head.size(), got) ||
        !SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN))
        throw EReadError(StreamReadErrorMessage());
    if (IsAnimatedPng(head.data(), got)) {
        std::vector<std::uint8_t> bytes = ReadPictureBytes(file.get());
        file.reset();
        return std::make_shared<TAnimatedPicture>(OpenPngAnimation(std::move(bytes)), background);
    }
    head = {};
    FileByteSource source(file.get());
    const ByteSource read = [&source](std::uint8_t* out, std::size_t count) {
        return source.Read(out, count);
    };
    try {
        return SectionPicture([&](const PictureAllocator& allocate) { return ReadPngInto(read, allocate); },
                              background);
    } catch (const EInvalidGraphic&) {
        if (source.Failed()) throw EReadError(StreamReadErrorMessage());
        throw;
    }
}

// A TIFF is read where libtiff asks, a strip or tile at a time: its bytes,
// which may be as many as its pixels', are never held whole.
std::shared_ptr<ui::TGraphic> StreamedTiff(const std::wstring& fileName, COLORREF background) {
    ui::UniqueFile file = OpenForReading(fileName, FILE_SHARE_READ, OpenFailure::StreamOpenError);
    const std::uint64_t size = PictureFileSize(file.get());
    bool failed = false;
    const ByteSourceAt read = [&](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset);
        std::size_t got = 0;
        if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) || !ReadUpTo(file.get(), out, count, got))
            failed = true;
        return got;
    };
    try {
        return SectionPicture(
            [&](const PictureAllocator& allocate) { return ReadTiffInto(size, read, allocate); }, background);
    } catch (const EInvalidGraphic&) {
        if (failed) throw EReadError(StreamReadErrorMessage());
        throw;
    }
}

std::atomic<HWND> picturesWindow{nullptr};

// The profile file the system names for the window's monitor, read when it
// is another than last time (at most a few megabytes: a profile, not a
// picture). A profile that cannot be read counts as none.
void ReadDisplayProfile() {
    static std::mutex mutex;
    static std::wstring current;
    static bool known = false;
    const HWND window = picturesWindow.load();
    std::wstring path(MAX_PATH, L'\0');
    if (HDC dc = GetDC(window)) {
        DWORD size = static_cast<DWORD>(path.size());
        BOOL ok = GetICMProfileW(dc, &size, path.data());
        if (!ok && size > path.size()) {
            path.assign(size, L'\0');
            ok = GetICMProfileW(dc, &size, path.data());
        }
        ReleaseDC(window, dc);
        path.resize(ok ? std::wcslen(path.c_str()) : 0);
    } else {
        path.clear();
    }
    std::lock_guard lock(mutex);
    if (known && path == current) return;
    known = true;
    current = path;
    std::vector<std::uint8_t> bytes;
    if (!path.empty()) {
        try {
            ui::UniqueFile file = OpenForReading(path, FILE_SHARE_READ, OpenFailure::StreamOpenError);
            LARGE_INTEGER size{};
            if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart <= (16 << 20)) {
                bytes.resize(static_cast<std::size_t>(size.QuadPart));
                std::size_t got = 0;
                if (!ReadUpTo(file.get(), bytes.data(), bytes.size(), got) || got != bytes.size())
                    bytes.clear();
            }
        } catch (const Exception&) {
            bytes.clear();
        }
    }
    SetDisplayProfile(std::move(bytes));
}

}  // namespace

void ShowPicturesIn(HWND window) { picturesWindow = window; }

std::optional<PictureInfo> PeekPictureFile(const std::wstring& fileName, PictureKind kind) {
    std::vector<std::uint8_t> head(kPictureHeadBytes);
    std::size_t got = 0;
    {
        ui::UniqueFile file = OpenForReading(fileName, FILE_SHARE_READ, OpenFailure::StreamOpenError);
        if (!ReadUpTo(file.get(), head.data(), head.size(), got)) return std::nullopt;
    }
    return PeekPictureSize(head.data(), got, kind);
}

std::vector<std::uint8_t> ReadPictureBytes(HANDLE file) {
    std::vector<std::uint8_t> bytes(PictureFileSize(file));
    std::size_t got = 0;
    if (!ReadUpTo(file, bytes.data(), bytes.size(), got)) throw EReadError(StreamReadErrorMessage());
    bytes.resize(got);
    return bytes;
}

std::shared_ptr<ui::TGraphic> LoadPicture(const std::wstring& fileName, PictureKind kind,
                                          COLORREF background) {
    ReadDisplayProfile();
    if (kind == PictureKind::Png) return StreamedPng(fileName, background);
    if (kind == PictureKind::Tiff) return StreamedTiff(fileName, background);
    std::vector<std::uint8_t> bytes;
    {
        ui::UniqueFile file = OpenForReading(fileName, FILE_SHARE_READ, OpenFailure::StreamOpenError);
        bytes = ReadPictureBytes(file.get());
    }
    switch (kind) {
        case PictureKind::Bitmap: {
            DecodedBitmap b = ReadBitmap(bytes.data(), bytes.size());
            if (b.width <= 0 || b.height <= 0) return std::make_shared<TBitmap>();
            DibPixels pixels = MakeDib(b.width, b.height, b.pixels.data());
            const bool alpha = b.hasAlpha;
            b = {};  // the pixels now live in the section
            if (!pixels.Handle()) throw Exception(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
            if (alpha) CompositeOver(pixels.Rows(), PixelColour(background));
            return std::make_shared<TBitmap>(std::move(pixels));
        }
        case PictureKind::Icon:
            return std::make_shared<TIcon>(bytes);
        case PictureKind::Metafile:
            return std::make_shared<TMetafile>(bytes);
        case PictureKind::Jpeg:
            return std::make_shared<TJPEGImage>(std::move(bytes));
        case PictureKind::Png:
        case PictureKind::Tiff:
            break;  // streamed above
        case PictureKind::Gif:
            return std::make_shared<TAnimatedPicture>(
                [&bytes](const PictureAllocator& canvas, std::uint32_t clear) {
                    return OpenGifAnimation(std::move(bytes), kMaxPictureBytes, &canvas, clear);
                },
                background);
        case PictureKind::Heif:
        case PictureKind::Avif: {
            const HeifFlavour flavour = kind == PictureKind::Heif ? HeifFlavour::Heic : HeifFlavour::Avif;
            return SectionPicture(
                [&](const PictureAllocator& allocate) {
                    return ReadHeifInto(bytes.data(), bytes.size(), flavour, allocate);
                },
                background);
        }
        case PictureKind::WebP:
            if (ReadWebPHeader(bytes.data(), bytes.size()).animated)
                return std::make_shared<TAnimatedPicture>(OpenWebPAnimation(std::move(bytes)), background);
            return SectionPicture(
                [&](const PictureAllocator& allocate) {
                    return ReadWebPInto(bytes.data(), bytes.size(), allocate);
                },
                background);
    }
    return nullptr;
}

}  // namespace pelma
