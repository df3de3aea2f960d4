#include "view/metafile_picture.h"

#include "core/errors.h"
#include "view/formats/metafile_reader.h"
#include "view/formats/picture_limits.h"

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

}  // namespace

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

}  // namespace pelma
