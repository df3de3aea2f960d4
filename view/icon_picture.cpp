#include "view/icon_picture.h"

#include "core/errors.h"
#include "view/formats/icon_reader.h"
#include "view/picture_graphics.h"

namespace pelma {

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

}  // namespace pelma
