// Icons, metafiles and the loader that picks a picture kind by extension.
#include "core/errors.h"
#include "core/messages.h"
#include "view/file_access.h"
#include "view/file_kind.h"
#include "view/formats/bitmap_reader.h"
#include "view/formats/icon_reader.h"
#include "view/formats/metafile_reader.h"
#include "view/formats/picture_registry.h"
#include "view/picture_graphics.h"

namespace pelma {

namespace {

// The screen's vertical logical dots per inch, read once.
int ScreenDpiY() {
    static const int dpi = ui::ScreenCaps(LOGPIXELSY);
    return dpi;
}

EmfFrame FrameOf(HENHMETAFILE emf) {
    ENHMETAHEADER h{};
    GetEnhMetaFileHeader(emf, sizeof h, &h);
    EmfFrame f;
    f.frameLeft = h.rclFrame.left;
    f.frameTop = h.rclFrame.top;
    f.frameRight = h.rclFrame.right;
    f.frameBottom = h.rclFrame.bottom;
    f.deviceWidthPixels = h.szlDevice.cx;
    f.deviceHeightPixels = h.szlDevice.cy;
    f.deviceWidthMm = h.szlMillimeters.cx;
    f.deviceHeightMm = h.szlMillimeters.cy;
    return f;
}

constexpr std::uint64_t kMaxPictureFileBytes = kMaxPictureBytes + (1u << 20);

}  // namespace

TIcon::TIcon(const std::vector<std::uint8_t>& bytes) {
    IconFile file = ReadIconFile(bytes.data(), bytes.size());
    if (file.stockIcon) {
        stock_ = LoadIconW(nullptr, IDI_APPLICATION);
        width_ = GetSystemMetrics(SM_CXICON);
        height_ = GetSystemMetrics(SM_CYICON);
        return;
    }
    int colours = ScreenColours(ui::ScreenCaps(BITSPIXEL), ui::ScreenCaps(PLANES));
    std::size_t index =
        ChooseIconEntry(file.entries, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), colours);
    const IconDirEntry& entry = file.entries[index];
    DecodedIcon image = DecodeIconImage(bytes.data(), bytes.size(), entry);
    width_ = entry.width;
    height_ = entry.height;
    // Colour bits with alpha, and the AND mask as a monochrome bitmap.
    DibPixels colorDib = MakeDib(image.width, image.height, image.pixels.data());
    HBITMAP color = colorDib.Handle();
    std::vector<std::uint8_t> mask = PackMask(image, 2);
    ui::UniqueGdi maskBitmap(CreateBitmap(image.width, image.height, 1, 1, mask.data()));
    ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(maskBitmap.get()), color};
    icon_.reset(CreateIconIndirect(&info));
    if (!icon_) throw EInvalidGraphic(InvalidIconMessage());
}

void TIcon::Draw(HDC dc, const RECT& r) {
    DrawIconEx(dc, r.left, r.top, Handle(), r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
}

TMetafile::TMetafile(const std::vector<std::uint8_t>& bytes) {
    MetafileData data = ReadMetafile(bytes.data(), bytes.size());
    if (data.enhanced) {
        emf_.reset(SetEnhMetaFileBits(static_cast<UINT>(data.bytes.size()), data.bytes.data()));
        if (!emf_) throw EInvalidGraphic(InvalidMetafileMessage());
        PictureSize size = EnhancedMetafilePixelSize(FrameOf(static_cast<HENHMETAFILE>(emf_.get())));
        width_ = size.width;
        height_ = size.height;
        return;
    }
    // Converted twice: the second time with the first result's frame as extents.
    METAFILEPICT pict{MM_ANISOTROPIC, 0, 0, nullptr};
    ui::UniqueEnhMetaFile first(
        SetWinMetaFileBits(static_cast<UINT>(data.bytes.size()), data.bytes.data(), nullptr, &pict));
    if (!first) throw EInvalidGraphic(InvalidMetafileMessage());
    EmfFrame frame = FrameOf(static_cast<HENHMETAFILE>(first.get()));
    pict.xExt = frame.frameRight;
    pict.yExt = frame.frameBottom;
    emf_.reset(SetWinMetaFileBits(static_cast<UINT>(data.bytes.size()), data.bytes.data(), nullptr, &pict));
    if (!emf_) throw EInvalidGraphic(InvalidMetafileMessage());
    auto size = PlaceableMetafilePixelSize(data, ScreenDpiY());
    if (!size) size = EnhancedMetafilePixelSize(FrameOf(static_cast<HENHMETAFILE>(emf_.get())));
    width_ = size->width;
    height_ = size->height;
}

void TMetafile::Draw(HDC dc, const RECT& r) {
    PlayEnhMetaFile(dc, static_cast<HENHMETAFILE>(emf_.get()), &r);
}

std::shared_ptr<ui::TGraphic> LoadPicture(const std::wstring& fileName) {
    std::wstring ext = ExtractFileExt(fileName);
    if (!ext.empty()) ext.erase(0, 1);
    auto kind = LookUpPictureFormat(ext);
    if (!kind) throw EInvalidGraphic(UnknownPictureFormatMessage(ext));

    std::vector<std::uint8_t> bytes;
    {
        ui::UniqueFile file = OpenNamedFile(fileName, FILE_SHARE_READ);
        if (!file) {
            DWORD code = GetLastError();
            throw EFOpenError(StreamOpenFailureMessage(AbsolutePath(fileName), SystemErrorText(code)));
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size)) RaiseInOutError(GetLastError());
        if (static_cast<std::uint64_t>(size.QuadPart) > kMaxPictureFileBytes)
            throw EInvalidGraphic(PictureTooLargeMessage());
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t got = 0;
        while (got < bytes.size()) {
            DWORD n = 0;
            if (!ReadFile(file.get(), bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &n,
                          nullptr))
                RaiseInOutError(GetLastError());
            if (n == 0) break;
            got += n;
        }
        bytes.resize(got);
    }

    switch (*kind) {
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
