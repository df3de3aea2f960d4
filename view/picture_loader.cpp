#include "view/picture_loader.h"

#include <windows.h>

#include "core/errors.h"
#include "core/messages.h"
#include "view/file_access.h"
#include "view/formats/bitmap_reader.h"
#include "view/formats/picture_limits.h"
#include "view/icon_picture.h"
#include "view/metafile_picture.h"
#include "view/picture_graphics.h"

namespace pelma {

namespace {

constexpr std::uint64_t kMaxPictureFileBytes = kMaxPictureBytes + (1u << 20);

}  // namespace

std::vector<std::uint8_t> ReadPictureBytes(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) RaiseInOutError(GetLastError());
    if (static_cast<std::uint64_t>(size.QuadPart) > kMaxPictureFileBytes)
        throw EInvalidGraphic(PictureTooLargeMessage());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t got = 0;
    if (!ReadUpTo(file, bytes.data(), bytes.size(), got)) throw EReadError(StreamReadErrorMessage());
    bytes.resize(got);
    return bytes;
}

std::shared_ptr<ui::TGraphic> LoadPicture(const std::wstring& fileName, PictureKind kind) {
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
            b = {};  // the pixels now live in the section
            if (!pixels.Handle()) throw Exception(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
            return std::make_shared<TBitmap>(std::move(pixels));
        }
        case PictureKind::Icon:
            return std::make_shared<TIcon>(bytes);
        case PictureKind::Metafile:
            return std::make_shared<TMetafile>(bytes);
        case PictureKind::Jpeg:
            return std::make_shared<TJPEGImage>(std::move(bytes));
    }
    return nullptr;
}

}  // namespace pelma
