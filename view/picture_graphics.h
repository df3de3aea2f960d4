// The picture kinds that Image1 holds, built from the portable readers' plain
// pixel data and drawn with GDI.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/graphic.h"
#include "ui/handles.h"

namespace pelma {

// A top-down 32-bit DIB section holding the given 0x00RRGGBB pixels.
ui::UniqueGdi MakeDibSection(int width, int height, const std::uint32_t* pixels);

// Draws a bitmap into a rectangle: 1:1 when the sizes match, else scaled with
// good-quality halftone reduction.
void DrawBitmap(HDC dc, HBITMAP bitmap, int width, int height, const RECT& r);

// A bitmap picture (also the icon canvas).
class TBitmap : public ui::TGraphic {
public:
    TBitmap() = default;
    TBitmap(int width, int height, ui::UniqueGdi bitmap)
        : width_(width), height_(height), bitmap_(std::move(bitmap)) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& r) override;
    HBITMAP Handle() const { return static_cast<HBITMAP>(bitmap_.get()); }

private:
    int width_ = 0, height_ = 0;
    ui::UniqueGdi bitmap_;
};

// A JPEG picture: its size comes from the headers; the pixels are decoded when
// it is first drawn, once.
class TJPEGImage : public ui::TGraphic {
public:
    // Reads the headers; raises EJPEG on a fatal decoder error.
    explicit TJPEGImage(std::vector<std::uint8_t> bytes);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& r) override;

    bool Decoded() const { return decoded_; }
    // Decodes now if not yet done; a fatal error is reported once through the
    // error display and the picture keeps what was decoded.
    void Decode();

    // Whether the screen has 8 bits or fewer per pixel (tested once).
    static bool ScreenIsEightBit();

private:
    std::vector<std::uint8_t> bytes_;
    int width_ = 0, height_ = 0;
    bool decoded_ = false;
    ui::UniqueGdi bitmap_;
};

// The splash photograph shipped as a resource.
std::shared_ptr<ui::TGraphic> LoadSplashPicture();

}  // namespace pelma

namespace pelma {

// An icon picture: the entry chosen for the standard icon size, or the
// system's application icon for a file of type 0.
class TIcon : public ui::TGraphic {
public:
    // Reads and checks the file; raises the picture errors.
    explicit TIcon(const std::vector<std::uint8_t>& bytes);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& r) override;
    HICON Handle() const { return icon_ ? static_cast<HICON>(icon_.get()) : stock_; }

private:
    int width_ = 0, height_ = 0;
    ui::UniqueIcon icon_;
    HICON stock_ = nullptr;
};

// A Windows metafile (with its placeable header) or an enhanced metafile,
// drawn as an enhanced metafile.
class TMetafile : public ui::TGraphic {
public:
    explicit TMetafile(const std::vector<std::uint8_t>& bytes);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& r) override;

private:
    int width_ = 0, height_ = 0;
    ui::UniqueEnhMetaFile emf_;
};

// Loads a picture file by its extension: the registry's kind, or the picture
// errors. The file is read whole with other writers denied and closed again.
std::shared_ptr<ui::TGraphic> LoadPicture(const std::wstring& fileName);

}  // namespace pelma
