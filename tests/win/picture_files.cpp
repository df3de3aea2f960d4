#include "picture_files.h"

#include <cstdlib>

namespace pelma::test {

Bytes PatternBitmap(int width, int height, const std::function<std::uint32_t(int, int)>& pixel) {
    std::vector<std::vector<std::uint32_t>> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rows[static_cast<std::size_t>(y)].push_back(pixel(x, y));
    pelma::testing::BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bits = pelma::testing::PackRows(rows, 24);
    return pelma::testing::MakeBmp(spec);
}

pelma::testing::IcoEntrySpec IconEntry(int size, std::uint32_t rgb, unsigned coloursByte,
                                       bool leftHalfClear) {
    std::vector<std::uint32_t> palette(16, 0);
    palette[1] = rgb;
    std::vector<std::vector<std::uint32_t>> colours(
        static_cast<std::size_t>(size), std::vector<std::uint32_t>(static_cast<std::size_t>(size), 1));
    std::vector<std::vector<std::uint32_t>> mask(static_cast<std::size_t>(size));
    for (auto& row : mask)
        for (int x = 0; x < size; ++x) row.push_back(leftHalfClear && x < size / 2 ? 1 : 0);
    // Where the mask is set the colour must be black for the background to show unchanged.
    if (leftHalfClear)
        for (auto& row : colours)
            for (int x = 0; x < size / 2; ++x) row[static_cast<std::size_t>(x)] = 0;
    pelma::testing::IcoEntrySpec e;
    e.widthByte = static_cast<unsigned>(size);
    e.heightByte = static_cast<unsigned>(size);
    e.coloursByte = coloursByte;
    e.bitCount = 4;
    e.image = pelma::testing::MakeIconImage(size, size, 4, palette, colours, mask);
    return e;
}

Bytes PlainJpeg(int width, int height, std::uint32_t rgb) {
    return pelma::testing::MakeJpeg(width, height, 3, [rgb](int, int) { return rgb; });
}

void ShowAndPaint(TPelmaForm1& form) {
    if (!IsWindowVisible(form.Handle())) {
        form.ShowForm();
        SetWindowPos(form.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    }
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

namespace {
std::uint32_t FromColorRef(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
}  // namespace

std::uint32_t ShownPixel(HWND hwnd, int x, int y) {
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return FromColorRef(c);
}

std::uint32_t BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return FromColorRef(c);
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
            tolerance)
            return false;
    return true;
}

}  // namespace pelma::test
