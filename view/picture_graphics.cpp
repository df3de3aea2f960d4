#include "view/picture_graphics.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "resource_ids.h"
#include "ui/application.h"
#include "view/file_access.h"
#include "view/formats/jpeg_reader.h"

namespace pelma {

namespace {

// A top-down 32-bit DIB section; its bits start zeroed.
ui::UniqueGdi CreateDib(int width, int height, std::uint32_t** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    ui::UniqueGdi bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    *bits = bitmap ? static_cast<std::uint32_t*>(p) : nullptr;
    if (!*bits) bitmap.reset();
    return bitmap;
}

// Good-quality scaling: halftone averages the pixels it reduces.
void HalftoneBlt(HDC to, int x, int y, int w, int h, HDC from, int fromW, int fromH) {
    int oldMode = SetStretchBltMode(to, HALFTONE);
    POINT oldOrg;
    SetBrushOrgEx(to, 0, 0, &oldOrg);  // halftone needs the brush origin reset after choosing it
    StretchBlt(to, x, y, w, h, from, 0, 0, fromW, fromH, SRCCOPY);
    SetBrushOrgEx(to, oldOrg.x, oldOrg.y, nullptr);
    SetStretchBltMode(to, oldMode);
}

}  // namespace

void ScalePixels(const std::uint32_t* src, int srcWidth, int srcHeight, std::uint32_t* dst, int width,
                 int height) {
    if (srcWidth <= 0 || srcHeight <= 0 || width <= 0 || height <= 0) return;
    // The source span [begin, end) that target pixel i covers: at least one pixel.
    auto spans = [](int from, int to) {
        std::vector<std::pair<int, int>> s(static_cast<std::size_t>(to));
        for (int i = 0; i < to; ++i) {
            const int begin = static_cast<int>(std::int64_t{i} * from / to);
            const int end = static_cast<int>((std::int64_t{i + 1} * from + to - 1) / to);
            s[static_cast<std::size_t>(i)] = {begin, std::max(begin + 1, end)};
        }
        return s;
    };
    const auto xs = spans(srcWidth, width), ys = spans(srcHeight, height);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 3);
    for (int ty = 0; ty < height; ++ty) {
        std::fill(sums.begin(), sums.end(), 0);
        const auto [y0, y1] = ys[static_cast<std::size_t>(ty)];
        for (int y = y0; y < y1; ++y) {
            const std::uint32_t* row = src + static_cast<std::size_t>(y) * static_cast<std::size_t>(srcWidth);
            std::uint64_t* sum = sums.data();
            for (const auto& [x0, x1] : xs) {
                std::uint32_t r = 0, g = 0, b = 0;  // one row of one span: no overflow
                for (int x = x0; x < x1; ++x) {
                    const std::uint32_t p = row[x];
                    r += (p >> 16) & 0xFF, g += (p >> 8) & 0xFF, b += p & 0xFF;
                }
                sum[0] += r, sum[1] += g, sum[2] += b;
                sum += 3;
            }
        }
        std::uint32_t* out = dst + static_cast<std::size_t>(ty) * static_cast<std::size_t>(width);
        const std::uint64_t rows = static_cast<std::uint64_t>(y1 - y0);
        for (int tx = 0; tx < width; ++tx) {
            const auto [x0, x1] = xs[static_cast<std::size_t>(tx)];
            const std::uint64_t n = rows * static_cast<std::uint64_t>(x1 - x0), half = n / 2;
            const std::uint64_t* sum = &sums[static_cast<std::size_t>(tx) * 3];
            out[tx] = static_cast<std::uint32_t>(((sum[0] + half) / n) << 16 | ((sum[1] + half) / n) << 8 |
                                                 ((sum[2] + half) / n));
        }
    }
}

bool DibPixels::Create(int width, int height) {
    *this = DibPixels();
    if (width <= 0 || height <= 0) return true;
    bitmap_ = CreateDib(width, height, &bits_);
    if (!bitmap_) return false;
    width_ = width;
    height_ = height;
    return true;
}

void DibPixels::Adopt(int width, int height, ui::UniqueGdi bitmap) {
    *this = DibPixels();
    width_ = width;
    height_ = height;
    bitmap_ = std::move(bitmap);
}

void DibPixels::Draw(HDC dc, const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (!bitmap_ || w <= 0 || h <= 0) return;
    ui::UniqueDc mem(CreateCompatibleDC(dc));
    if (w == width_ && h == height_) {
        ui::SelectObjectScope sel(mem.get(), bitmap_.get());
        BitBlt(dc, r.left, r.top, w, h, mem.get(), 0, 0, SRCCOPY);
        return;
    }
    if (!scaled_ || scaledWidth_ != w || scaledHeight_ != h) {
        scaled_.reset();
        std::uint32_t* bits = nullptr;
        ui::UniqueGdi scaled = CreateDib(w, h, &bits);
        if (!scaled) {
            // No room for a copy: scale straight onto the target.
            ui::SelectObjectScope sel(mem.get(), bitmap_.get());
            HalftoneBlt(dc, r.left, r.top, w, h, mem.get(), width_, height_);
            return;
        }
        if (bits_) {
            GdiFlush();  // the section's bits are read directly
            ScalePixels(bits_, width_, height_, bits, w, h);
        } else {
            ui::UniqueDc source(CreateCompatibleDC(dc));
            ui::SelectObjectScope selSource(source.get(), bitmap_.get());
            ui::SelectObjectScope selScaled(mem.get(), scaled.get());
            HalftoneBlt(mem.get(), 0, 0, w, h, source.get(), width_, height_);
        }
        scaled_ = std::move(scaled);
        scaledWidth_ = w;
        scaledHeight_ = h;
    }
    ui::SelectObjectScope sel(mem.get(), scaled_.get());
    BitBlt(dc, r.left, r.top, w, h, mem.get(), 0, 0, SRCCOPY);
}

DibPixels MakeDib(int width, int height, const std::uint32_t* pixels) {
    DibPixels dib;
    if (dib.Create(width, height) && dib.Bits() && pixels)
        std::memcpy(dib.Bits(), pixels,
                    static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    return dib;
}

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
    ++decodeCount_;
    bool noRoom = false;
    DecodedJpeg d = DecodeJpegInto(bytes_.data(), bytes_.size(), ScreenIsEightBit(), [&](int w, int h) {
        noRoom = !pixels_.Create(w, h);
        return pixels_.Bits();
    });
    bytes_ = {};
    bytes_.shrink_to_fit();
    // Painting may not show a box: the error display shows it afterwards.
    if (d.errorCode != 0) ui::Application().PostErrorMessage(JpegErrorMessage(d.errorCode));
    if (noRoom) ui::Application().PostErrorMessage(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
}

void TJPEGImage::Draw(HDC dc, const RECT& r) {
    if (Empty()) return;
    Decode();
    pixels_.Draw(dc, r);
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
