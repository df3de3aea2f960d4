#include "view/picture_graphics.h"

#include <cstring>

#include "resource_ids.h"
#include "ui/application.h"
#include "view/formats/jpeg_reader.h"

namespace pelma {

ui::UniqueGdi MakeDibSection(int width, int height, const std::uint32_t* pixels) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ui::UniqueGdi bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits && pixels)
        std::memcpy(bits, pixels, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    return bitmap;
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int width, int height, const RECT& r) {
    if (!bitmap) return;
    ui::UniqueDc mem(CreateCompatibleDC(dc));
    ui::SelectObjectScope sel(mem.get(), bitmap);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w == width && h == height) {
        BitBlt(dc, r.left, r.top, w, h, mem.get(), 0, 0, SRCCOPY);
        return;
    }
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrg;
    SetBrushOrgEx(dc, 0, 0, &oldOrg);  // required after choosing HALFTONE
    StretchBlt(dc, r.left, r.top, w, h, mem.get(), 0, 0, width, height, SRCCOPY);
    SetBrushOrgEx(dc, oldOrg.x, oldOrg.y, nullptr);
    SetStretchBltMode(dc, oldMode);
}

void TBitmap::Draw(HDC dc, const RECT& r) { DrawBitmap(dc, Handle(), width_, height_, r); }

bool TJPEGImage::ScreenIsEightBit() {
    static const bool eightBit = [] {
        ui::ScreenDc screen;
        return GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES) <= 8;
    }();
    return eightBit;
}

TJPEGImage::TJPEGImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
    JpegHeader header = ReadJpegHeader(bytes_.data(), bytes_.size());
    width_ = header.width;
    height_ = header.height;
}

void TJPEGImage::Decode() {
    if (decoded_) return;
    decoded_ = true;
    DecodedJpeg d = DecodeJpeg(bytes_.data(), bytes_.size(), ScreenIsEightBit());
    if (d.eightBit) {
        // Spread the palette into 32-bit pixels: GDI converts on the way to the screen anyway.
        std::vector<std::uint32_t> pixels(d.indices.size());
        for (std::size_t i = 0; i < d.indices.size(); ++i)
            pixels[i] = d.indices[i] < d.palette.size() ? d.palette[d.indices[i]] : 0;
        bitmap_ = MakeDibSection(d.width, d.height, pixels.data());
    } else {
        bitmap_ = MakeDibSection(d.width, d.height, d.pixels.data());
    }
    bytes_ = {};
    bytes_.shrink_to_fit();
    // Painting may not show a box: the error display shows it afterwards.
    if (d.errorCode != 0) ui::Application().PostErrorMessage(JpegErrorMessage(d.errorCode));
}

void TJPEGImage::Draw(HDC dc, const RECT& r) {
    if (Empty()) return;
    Decode();
    DrawBitmap(dc, static_cast<HBITMAP>(bitmap_.get()), width_, height_, r);
}

std::shared_ptr<ui::TGraphic> LoadSplashPicture() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(IDR_SPLASH_JPEG), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL data = info ? LoadResource(module, info) : nullptr;
    const auto* bytes = data ? static_cast<const std::uint8_t*>(LockResource(data)) : nullptr;
    if (!bytes) return nullptr;
    std::vector<std::uint8_t> copy(bytes, bytes + SizeofResource(module, info));
    return std::make_shared<TJPEGImage>(std::move(copy));
}

}  // namespace pelma
