// The picture kinds that Image1 holds, built from the portable readers' plain
// pixel data and drawn with GDI.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/graphic.h"
#include "ui/handles.h"
#include "view/area_scale.h"
#include "view/page_warmer.h"

namespace pelma {

// A picture's pixels: a top-down 32-bit DIB section, with copies
// scaled to the last two sizes it was reduced to. A picture reduced to at most a
// screen's size is scaled once per size; repainting it is then a plain copy,
// however large the picture. Drawn larger, only the part that the device
// context's clip box shows is scaled, at each paint, into a buffer of that
// part's size: a picture zoomed far beyond the screen costs no more memory
// than the picture and the window.
class DibPixels {
public:
    DibPixels() = default;
    // Makes a width × height section, zeroed; false when the system cannot
    // (no memory). 0 × 0 makes nothing and succeeds.
    bool Create(int width, int height);
    // Adopts a bitmap made elsewhere (any layout GDI can read).
    void Adopt(int width, int height, ui::UniqueGdi bitmap);

    int Width() const { return width_; }
    int Height() const { return height_; }
    HBITMAP Handle() const { return static_cast<HBITMAP>(bitmap_.get()); }
    // The section's rows (B, G, R[, 0] pixels); no memory for an adopted bitmap.
    const PixelRows& Rows() const { return rows_; }

    // Draws into r, over the part of r inside the clip box only: 1:1 when
    // the sizes match; enlarged on both sides, with square pixels (nearest
    // neighbour); else by area averaging, from the scaled copy when r is at
    // most a screen's size. An adopted bitmap is scaled with halftone
    // stretching instead.
    void Draw(HDC dc, const RECT& r);
    // Starts the scaled copy for drawing at width × height while the pixels
    // are still being written: the scaler is fed their rows as they are
    // finished (and must be fed all of them). None when no copy is needed at
    // that size or there is no room for one.
    std::unique_ptr<AreaScaler> StartScaledCopy(int width, int height);
    // Makes the scaled copy for drawing at width × height now (none when
    // not needed at that size), so that the first paint is a plain copy.
    void PrepareScaledCopy(int width, int height);
    // Forgets the scaled copy (the pixels changed).
    void Changed() { scaled_ = {}, spare_ = {}, quarter_.reset(); }
    // Only the pixels in [left, right) × [top, bottom) changed: the scaled
    // copy is brought up to date over that part alone when next drawn.
    void Changed(int left, int top, int right, int bottom);

private:
    // Replaces the scaled copy by an empty one of that size; false when there is no room.
    bool NewScaledCopy(int width, int height, PixelRows* rows);
    // The part `shown` of the picture drawn into r, made in the part buffer
    // by nearest neighbour or by area averaging.
    void DrawPart(HDC dc, const RECT& r, const RECT& shown, bool enlarged);
    // What a reduction to width × height is scaled from: the pixels, or for
    // a large picture reduced to a quarter or less, their quarter-size copy.
    const PixelRows& ReductionSource(int width, int height);

    int width_ = 0, height_ = 0;
    ui::UniqueGdi bitmap_;
    PixelRows rows_;
    struct ScaledCopy {
        ui::UniqueGdi bitmap;
        PixelRows rows;
        int width = 0, height = 0;
        RECT stale{};  // the part of the pixels changed since the copy was made
        bool Is(int w, int h) const { return bitmap && width == w && height == h; }
    };
    ScaledCopy scaled_;
    // The copy made before, kept: going back to the size it was made for
    // (out of full screen, a zoom step back) is a plain copy again.
    ScaledCopy spare_;
    ui::UniqueGdi part_;  // what the window shows of a picture drawn larger than the scaled copy may be
    PixelRows partRows_;
    // Made when first needed and kept while the picture is shown reduced
    // that far: zoom steps and full screen then read a sixteenth of the
    // pixels instead of all of them.
    ui::UniqueGdi quarter_;
    PixelRows quarterRows_;
};

// A colour as the pixel readers hold one: 0x00RRGGBB.
inline std::uint32_t PixelColour(COLORREF c) {
    return (std::uint32_t{GetRValue(c)} << 16) | (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}

// A top-down 32-bit DIB section holding the given 0x00RRGGBB pixels.
DibPixels MakeDib(int width, int height, const std::uint32_t* pixels);

// A bitmap picture (also the icon canvas).
class TBitmap : public ui::TGraphic {
public:
    TBitmap() = default;
    explicit TBitmap(DibPixels pixels) : pixels_(std::move(pixels)) {}
    TBitmap(int width, int height, ui::UniqueGdi bitmap) { pixels_.Adopt(width, height, std::move(bitmap)); }
    int Width() const override { return pixels_.Width(); }
    int Height() const override { return pixels_.Height(); }
    void Draw(HDC dc, const RECT& r) override { pixels_.Draw(dc, r); }
    HBITMAP Handle() const { return pixels_.Handle(); }
    // Gets ready to be drawn at width × height (see DibPixels::PrepareScaledCopy).
    void PrepareDraw(int width, int height) { pixels_.PrepareScaledCopy(width, height); }

private:
    DibPixels pixels_;
};

// A JPEG picture: its size comes from the headers; the pixels are decoded when
// it is first drawn, once, straight into the DIB section that draws them.
class TJPEGImage : public ui::TGraphic {
public:
    // Reads the headers; raises EJPEG on a fatal decoder error.
    explicit TJPEGImage(std::vector<std::uint8_t> bytes);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& r) override;

    bool Decoded() const { return decoded_; }
    // How many times the pixels were decoded: once when first drawn, and once
    // more at a finer scale if it is later drawn larger than that decoding
    // can show.
    int DecodeCount() const { return decodeCount_; }
    // Decodes now unless the pixels decoded already suffice for the size it
    // is about to be drawn at (0 × 0: its full size). A picture drawn smaller
    // than half its size is decoded straight at the coarsest of the decoder's
    // scales (1/2, 1/4, 1/8) that still has a pixel for every pixel drawn,
    // and the scaled copy for the size drawn at is made from the rows as they
    // are decoded. A fatal error is reported once through the error display
    // and the picture keeps what was decoded.
    void Decode(int drawWidth = 0, int drawHeight = 0);
    // The same decoding ahead of being shown, off the user-interface thread:
    // nothing is reported; a fatal error leaves the picture undecoded, to be
    // decoded and reported when it is first drawn. False then.
    bool DecodeAhead(int drawWidth, int drawHeight);
    // The decoded pixels: the picture's full size, or the scale decoded at.
    HBITMAP Handle() const { return pixels_.Handle(); }
    int DecodedWidth() const { return pixels_.Width(); }

    // Makes the memory for the full-size pixels now, and for a large picture
    // has its pages brought in on another core until it is decoded: to be
    // called once the picture is the one shown at its actual size (no
    // earlier, so that two large pictures are not held at once). Decoding
    // needs no call to this.
    void Prepare();

    // Whether the screen has 8 bits or fewer per pixel (tested once).
    static bool ScreenIsEightBit();

private:
    struct Outcome {
        int errorCode = 0;
        bool noRoom = false;
    };
    Outcome DecodePixels(int drawWidth, int drawHeight, int scale);
    void ForgetBytesOnceWhole();

    std::vector<std::uint8_t> bytes_;
    int width_ = 0, height_ = 0;
    bool decoded_ = false;
    int decodeCount_ = 0;
    int decodedScale_ = 0;  // the denominator decoded at
    bool errorShown_ = false;
    DibPixels pixels_;
    std::unique_ptr<PageWarmer> warmer_;  // after pixels_: stopped before they are freed
};

// The splash photograph shipped as a resource.
std::shared_ptr<ui::TGraphic> LoadSplashPicture();

}  // namespace pelma
