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
    // Converted once, with no extents: the platform then frames the result on
    // what the records really draw, and playback stretches that frame over the
    // picture's rectangle, as other viewers and the platform's own rendering
    // show such a file. A second conversion with the first frame's right and
    // bottom as extents would drop the frame's left and top, so a drawing that
    // does not start at the origin came out shifted, too large and clipped.
    METAFILEPICT pict{MM_ANISOTROPIC, 0, 0, nullptr};
    emf_.reset(SetWinMetaFileBits(static_cast<UINT>(data.bytes.size()), data.bytes.data(), nullptr, &pict));
    if (!emf_) throw EInvalidGraphic(InvalidMetafileMessage());
    auto size = PlaceableMetafilePixelSize(data, ScreenDpiY());
    if (!size)
        size = EnhancedMetafilePixelSize(FrameFromOrigin(FrameOf(static_cast<HENHMETAFILE>(emf_.get()))));
    width_ = size->width;
    height_ = size->height;
}

void TMetafile::Draw(HDC dc, const RECT& r) {
    PlayEnhMetaFile(dc, static_cast<HENHMETAFILE>(emf_.get()), &r);
}

}  // namespace pelma
