#include "view/picture_graphics.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "resource_ids.h"
#include "ui/application.h"
#include "view/file_access.h"
#include "view/formats/jpeg_reader.h"

namespace pelma {

namespace {

// A top-down 32-bit DIB section; its bits start zeroed. 32 bits, the depth of
// today's screens: a copy to the screen needs no conversion, every row is
// aligned whatever the width, and a decoder writes the fourth byte at no cost.
ui::UniqueGdi CreateDib(int width, int height, PixelRows* rows) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    ui::UniqueGdi bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    if (!bitmap || !p) return {};
    *rows = {static_cast<std::uint8_t*>(p), static_cast<std::size_t>(width) * 4, width, height, 4};
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

// Brings fresh pages in without writing them: one read of each page (of bytes
// inside the range only, since the page's first bytes may be another thread's).
void WarmPages(std::uint8_t* first, std::size_t size) {
    constexpr std::uintptr_t kPage = 4096;
    std::uint8_t* const end = first + size;
    std::uint8_t sum = 0;
    for (std::uint8_t* p = first; p < end;
         p = reinterpret_cast<std::uint8_t*>((reinterpret_cast<std::uintptr_t>(p) | (kPage - 1)) + 1))
        sum = static_cast<std::uint8_t>(sum + *static_cast<volatile std::uint8_t*>(p));
    static_cast<void>(sum);
}

// From this many pixels on a picture reduced to a quarter or less is scaled
// from a quarter-size copy: reading all of its pixels would take longer
// than a frame.
constexpr std::int64_t kQuarterFrom = std::int64_t{8} << 20;

// Below this many bytes of pixels the second core is not worth waking.
constexpr std::size_t kWarmFrom = std::size_t{2} << 20;

// A scaled copy is kept up to the size of the screens: beyond it, the part
// shown is scaled at each paint instead.
bool FitsScreens(int width, int height) {
    const std::int64_t screens = std::int64_t{std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1)} *
                                 std::max(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1);
    return std::int64_t{width} * height <= screens;
}

// The source pixel under each of `count` target pixels from `first` on, of a
// scaling of `from` pixels to `to`: the one under the target pixel's centre.
void Nearest(int from, int to, int first, int count, std::vector<int>& source) {
    source.resize(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k)
        source[static_cast<std::size_t>(k)] =
            static_cast<int>((2 * (std::int64_t{first} + k) + 1) * from / (2 * std::int64_t{to}));
}

}  // namespace

bool DibPixels::Create(int width, int height) {
    *this = DibPixels();
    if (width <= 0 || height <= 0) return true;
    bitmap_ = CreateDib(width, height, &rows_);
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

bool DibPixels::NewScaledCopy(int width, int height, PixelRows* rows) {
    spare_ = std::move(scaled_);  // the copy before it, if any, goes first
    scaled_ = {};
    scaled_.bitmap = CreateDib(width, height, rows);
    if (scaled_.bitmap) scaled_.rows = *rows;
    scaled_.width = width;
    scaled_.height = height;
    return static_cast<bool>(scaled_.bitmap);
}

void DibPixels::Changed(int left, int top, int right, int bottom) {
    quarter_.reset();
    if (left >= right || top >= bottom) return;
    for (ScaledCopy* copy : {&scaled_, &spare_}) {
        if (!copy->bitmap) continue;
        RECT& stale = copy->stale;
        if (IsRectEmpty(&stale)) {
            stale = {left, top, right, bottom};
        } else {
            stale = {std::min<LONG>(stale.left, left), std::min<LONG>(stale.top, top),
                     std::max<LONG>(stale.right, right), std::max<LONG>(stale.bottom, bottom)};
        }
    }
}

std::unique_ptr<AreaScaler> DibPixels::StartScaledCopy(int width, int height) {
    if (!rows_.first || width <= 0 || height <= 0 || (width == width_ && height == height_) ||
        (width >= width_ && height >= height_) || !FitsScreens(width, height))
        return nullptr;
    PixelRows target;
    if (!NewScaledCopy(width, height, &target)) return nullptr;
    return std::make_unique<AreaScaler>(width_, height_, rows_.pixelBytes, target);
}

void DibPixels::PrepareScaledCopy(int width, int height) {
    // As Draw makes it: an enlarged picture, or one larger than a screen, is
    // drawn part by part and has no copy.
    if (!rows_.first || width <= 0 || height <= 0 || (width == width_ && height == height_) ||
        scaled_.Is(width, height) || (width >= width_ && height >= height_) || !FitsScreens(width, height))
        return;
    const PixelRows& source = ReductionSource(width, height);
    PixelRows target;
    if (NewScaledCopy(width, height, &target)) ScalePixels(source, target);
}

const PixelRows& DibPixels::ReductionSource(int width, int height) {
    if (!rows_.first || std::int64_t{width_} * height_ < kQuarterFrom || std::int64_t{width} * 4 > width_ ||
        std::int64_t{height} * 4 > height_)
        return rows_;
    if (!quarter_) {
        quarterRows_ = {};
        quarter_ = CreateDib((width_ + 3) / 4, (height_ + 3) / 4, &quarterRows_);
        if (!quarter_) return rows_;
        GdiFlush();  // the sections' bits are read and written directly
        ScalePixels(rows_, quarterRows_);
    }
    return quarterRows_;
}

void DibPixels::DrawPart(HDC dc, const RECT& r, const RECT& shown, bool enlarged) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int pw = shown.right - shown.left, ph = shown.bottom - shown.top;
    const int left = shown.left - r.left, top = shown.top - r.top;
    if (!part_ || partRows_.width != pw || partRows_.height != ph) {
        part_.reset();
        partRows_ = {};
        part_ = CreateDib(pw, ph, &partRows_);
        if (!part_) return;  // no room even for the window's pixels: nothing to draw with
    }
    GdiFlush();  // the sections' bits are read and written directly
    if (enlarged) {
        thread_local std::vector<int> columns, rows;
        Nearest(width_, w, left, pw, columns);
        Nearest(height_, h, top, ph, rows);
        for (int y = 0; y < ph; ++y) {
            auto* out = reinterpret_cast<std::uint32_t*>(partRows_.Row(y));
            if (y > 0 && rows[static_cast<std::size_t>(y)] == rows[static_cast<std::size_t>(y - 1)]) {
                std::memcpy(out, partRows_.Row(y - 1), static_cast<std::size_t>(pw) * 4);
                continue;
            }
            const auto* in =
                reinterpret_cast<const std::uint32_t*>(rows_.Row(rows[static_cast<std::size_t>(y)]));
            for (int x = 0; x < pw; ++x) out[x] = in[columns[static_cast<std::size_t>(x)]];
        }
    } else {
        ScalePart(ReductionSource(w, h), partRows_, w, h, left, top);
    }
    ui::UniqueDc mem(CreateCompatibleDC(dc));
    ui::SelectObjectScope sel(mem.get(), part_.get());
    BitBlt(dc, shown.left, shown.top, pw, ph, mem.get(), 0, 0, SRCCOPY);
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
    RECT clip, shown;
    if (GetClipBox(dc, &clip) == NULLREGION || !IntersectRect(&shown, &clip, &r)) return;
    const bool enlarged = w >= width_ && h >= height_;
    if (rows_.first && (enlarged || !FitsScreens(w, h))) {
        scaled_ = {};  // the part drawn takes their place
        spare_ = {};
        if (enlarged) quarter_.reset();
        DrawPart(dc, r, shown, enlarged);
        return;
    }
    part_.reset();
    partRows_ = {};
    if (!scaled_.Is(w, h) && spare_.Is(w, h)) std::swap(scaled_, spare_);
    if (scaled_.Is(w, h) && !IsRectEmpty(&scaled_.stale) && rows_.first) {
        GdiFlush();  // the section's bits are read directly
        const RECT& stale = scaled_.stale;
        RescalePixels(rows_, scaled_.rows, stale.left, stale.top, stale.right, stale.bottom);
        scaled_.stale = {};
    }
    if (!scaled_.Is(w, h)) {
        if (rows_.first) {
            GdiFlush();  // the section's bits are read directly
            PrepareScaledCopy(w, h);
        } else {
            PixelRows target;
            if (NewScaledCopy(w, h, &target)) {
                ui::UniqueDc source(CreateCompatibleDC(dc));
                ui::SelectObjectScope selSource(source.get(), bitmap_.get());
                ui::SelectObjectScope selScaled(mem.get(), scaled_.bitmap.get());
                HalftoneBlt(mem.get(), 0, 0, w, h, source.get(), width_, height_);
            }
        }
        if (!scaled_.bitmap) {
            // No room for a copy: scale straight onto the target.
            ui::SelectObjectScope sel(mem.get(), bitmap_.get());
            HalftoneBlt(dc, r.left, r.top, w, h, mem.get(), width_, height_);
            return;
        }
    }
    ui::SelectObjectScope sel(mem.get(), scaled_.bitmap.get());
    BitBlt(dc, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top, mem.get(),
           shown.left - r.left, shown.top - r.top, SRCCOPY);
}

DibPixels MakeDib(int width, int height, const std::uint32_t* pixels) {
    DibPixels dib;
    if (dib.Create(width, height) && dib.Rows().first && pixels)
        std::memcpy(dib.Rows().first, pixels,
                    static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    return dib;
}

bool TJPEGImage::ScreenIsEightBit() {
    static const bool eightBit = ui::ScreenCaps(BITSPIXEL) * ui::ScreenCaps(PLANES) <= 8;
    return eightBit;
}

TJPEGImage::TJPEGImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
    JpegHeader header = ReadJpegHeader(bytes_.data(), bytes_.size());
    width_ = header.width;
    height_ = header.height;
}

void TJPEGImage::Prepare() {
    if (decoded_ || pixels_.Handle() || Empty()) return;
    if (!pixels_.Create(width_, height_)) return;  // decoding tries again and reports it
    const PixelRows& rows = pixels_.Rows();
    const std::size_t size = rows.stride * static_cast<std::size_t>(rows.height);
    if (size >= kWarmFrom) warmer_ = std::make_unique<PageWarmer>(rows.first, size, WarmPages);
}

TJPEGImage::Outcome TJPEGImage::DecodePixels(int drawWidth, int drawHeight, int scale) {
    decoded_ = true;
    decodedScale_ = scale;
    ++decodeCount_;
    bool noRoom = false;
    std::unique_ptr<AreaScaler> scaler;
    // Claims the rows up to and including row y from the page warmer.
    auto claim = [&](int y) {
        if (warmer_ && y < pixels_.Height())
            warmer_->Claim(pixels_.Rows().stride * static_cast<std::size_t>(y + 1));
    };
    DecodedJpeg d = DecodeJpegInto(
        bytes_.data(), bytes_.size(), ScreenIsEightBit(),
        [&](int w, int h) {
            if (!pixels_.Handle() || pixels_.Width() != w || pixels_.Height() != h) {  // not prepared
                warmer_.reset();
                pixels_ = DibPixels();  // the coarser pixels go before the finer ones are made
                noRoom = !pixels_.Create(w, h);
            }
            scaler = pixels_.StartScaledCopy(drawWidth, drawHeight);
            claim(0);
            return pixels_.Rows();
        },
        [&](int y) {
            claim(y + 1);  // the next row is written next
            if (scaler) scaler->AddRow(pixels_.Rows().Row(y));
        },
        kMaxPictureBytes, scale);
    warmer_.reset();
    // Rows the decoder never reached stay black, in the scaled copy too.
    if (scaler)
        for (int y = scaler->RowsAdded(); y < pixels_.Height(); ++y) scaler->AddRow(pixels_.Rows().Row(y));
    return {d.errorCode, noRoom};
}

void TJPEGImage::ForgetBytesOnceWhole() {
    // The file is kept while a finer decoding may still be asked for.
    if (decodedScale_ == 1) {
        bytes_ = {};
        bytes_.shrink_to_fit();
    }
}

void TJPEGImage::Decode(int drawWidth, int drawHeight) {
    const int scale = JpegScaleDenominator(width_, height_, drawWidth, drawHeight);
    if (decoded_ && (scale >= decodedScale_ || bytes_.empty())) return;
    const Outcome outcome = DecodePixels(drawWidth, drawHeight, scale);
    ForgetBytesOnceWhole();
    // Painting may not show a box: the error display shows it afterwards,
    // once for the picture however often it is decoded.
    if (errorShown_) return;
    errorShown_ = outcome.errorCode != 0 || outcome.noRoom;
    if (outcome.errorCode != 0) ui::Application().PostErrorMessage(JpegErrorMessage(outcome.errorCode));
    if (outcome.noRoom) ui::Application().PostErrorMessage(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
}

bool TJPEGImage::DecodeAhead(int drawWidth, int drawHeight) {
    if (Empty()) return true;
    const Outcome outcome =
        DecodePixels(drawWidth, drawHeight, JpegScaleDenominator(width_, height_, drawWidth, drawHeight));
    if (outcome.errorCode == 0 && !outcome.noRoom) {
        ForgetBytesOnceWhole();
        return true;
    }
    // Undone: decoded when shown, the error is reported then.
    decoded_ = false;
    decodedScale_ = 0;
    decodeCount_ = 0;
    pixels_ = DibPixels();
    return false;
}

void TJPEGImage::Draw(HDC dc, const RECT& r) {
    if (Empty()) return;
    Decode(r.right - r.left, r.bottom - r.top);
    pixels_.Draw(dc, r);
}

std::shared_ptr<ui::TGraphic> LoadSplashPicture() {
    const auto bytes = ui::ResourceBytes(MAKEINTRESOURCEW(IDR_SPLASH_JPEG), RT_RCDATA);
    if (bytes.empty()) return nullptr;
    return std::make_shared<TJPEGImage>(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

}  // namespace pelma
