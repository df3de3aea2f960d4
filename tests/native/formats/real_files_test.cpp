// Pictures made by other programs (tests/data/pillow, see the table there):
// each gets the outcome a user would expect, checked against the reference
// rendering that came with it where there is one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/picture_files.h"
#include "view/formats/bitmap_reader.h"
#include "view/formats/gif_reader.h"
#include "view/formats/icon_reader.h"
#include "view/formats/jpeg_reader.h"
#include "view/formats/png_reader.h"
#include "view/formats/webp_reader.h"

namespace pelma {
namespace {

using testing::Bytes;
using testing::FailureOf;

Bytes Pillow(const std::string& name) {
    Bytes b = testing::DataFile("pillow/" + name);
    EXPECT_FALSE(b.empty()) << name;
    return b;
}

// The mean absolute difference of the colour channels of two pictures of one size.
double MeanDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    EXPECT_EQ(a.size(), b.size());
    if (a.size() != b.size() || a.empty()) return 1e9;
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            sum +=
                std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
    return sum / (a.size() * 3.0);
}

TEST(RealFiles, JpegOrientationsAndCmyk) {
    const Bytes upright = Pillow("hopper.jpg");
    const DecodedJpeg reference = DecodeJpeg(upright.data(), upright.size(), false);
    // Pillow's copies of the same photograph stored turned and tagged: upright again.
    for (int o = 2; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const Bytes b = Pillow("hopper_orientation_" + std::to_string(o) + ".jpg");
        EXPECT_EQ(ReadJpegOrientation(b.data(), b.size()), o);
        const DecodedJpeg d = DecodeJpeg(b.data(), b.size(), false);
        EXPECT_EQ(d.orientation, o);
        EXPECT_EQ(d.rowsDecoded, d.height);
        EXPECT_LT(MeanDifference(d.pixels, reference.pixels), 6.0);
    }
    // An Adobe CMYK photograph against Pillow's RGB copy of it.
    const Bytes cmyk = Pillow("pil_sample_cmyk.jpg"), rgb = Pillow("pil_sample_rgb.jpg");
    EXPECT_EQ(ReadJpegHeader(cmyk.data(), cmyk.size()).components, 4);
    const DecodedJpeg c = DecodeJpeg(cmyk.data(), cmyk.size(), false);
    EXPECT_EQ(c.errorCode, 0);
    EXPECT_FALSE(c.eightBit);
    EXPECT_LT(MeanDifference(c.pixels, DecodeJpeg(rgb.data(), rgb.size(), false).pixels), 8.0);
}

TEST(RealFiles, IconsWithPngAndAlpha) {
    // A 16 × 16 icon whose image is a PNG.
    const Bytes ico = Pillow("hopper_draw.ico");
    const IconFile f = ReadIconFile(ico.data(), ico.size());
    ASSERT_EQ(f.entries.size(), 1u);
    const DecodedIcon i = DecodeIconImage(ico.data(), ico.size(), f.entries[0]);
    EXPECT_EQ(i.width, 16);
    EXPECT_TRUE(i.hasAlpha);
    // Three 32-bit images with alpha and mask.
    const Bytes python = Pillow("python.ico");
    const IconFile p = ReadIconFile(python.data(), python.size());
    ASSERT_EQ(p.entries.size(), 3u);
    for (const IconDirEntry& e : p.entries) {
        const DecodedIcon d = DecodeIconImage(python.data(), python.size(), e);
        EXPECT_TRUE(d.hasAlpha);
        EXPECT_EQ(d.mask.size(), d.pixels.size());
    }
}

TEST(RealFiles, BitmapsWithAlphaAndEmbeddedStreams) {
    // Version-5 bit fields with an alpha mask, against the suite's PNG rendering.
    const Bytes bmp = Pillow("rgba32.bmp"), ref = Pillow("rgba32_reference.png");
    const DecodedBitmap b = ReadBitmap(bmp.data(), bmp.size());
    const DecodedPicture r = ReadPng(ref.data(), ref.size());
    ASSERT_EQ(b.width, r.width);
    ASSERT_EQ(b.height, r.height);
    EXPECT_TRUE(b.hasAlpha);
    for (std::size_t k = 0; k < b.pixels.size(); ++k) ASSERT_EQ(b.pixels[k] >> 24, r.pixels[k] >> 24) << k;
    const Bytes bmp16 = Pillow("rgba16-4444.bmp");
    EXPECT_TRUE(ReadBitmap(bmp16.data(), bmp16.size()).hasAlpha);
    // Uncompressed 32 bits with something in the unused byte: opaque.
    const Bytes fake = Pillow("rgb32fakealpha.bmp");
    const DecodedBitmap f = ReadBitmap(fake.data(), fake.size());
    EXPECT_FALSE(f.hasAlpha);
    EXPECT_EQ(f.pixels[0] >> 24, 0u);
    // Bits that are a whole PNG or JPEG file: decoded, against the suite's rendering.
    const Bytes refBytes = Pillow("rgb24_reference.png");
    const DecodedPicture ref24 = ReadPng(refBytes.data(), refBytes.size());
    std::vector<std::uint32_t> opaque = ref24.pixels;
    for (std::uint32_t& px : opaque) px &= 0x00FFFFFF;
    for (const char* name : {"rgb24png.bmp", "rgb24jpeg.bmp"}) {
        SCOPED_TRACE(name);
        const Bytes e = Pillow(name);
        const DecodedBitmap d = ReadBitmap(e.data(), e.size());
        ASSERT_EQ(d.width, ref24.width);
        ASSERT_EQ(d.height, ref24.height);
        EXPECT_FALSE(d.hasAlpha);
        EXPECT_LT(MeanDifference(d.pixels, opaque), std::string(name) == "rgb24png.bmp" ? 0.001 : 6.0);
        // Cut short: a PNG fails with the bitmap's own message; a JPEG decodes as
        // far as it goes, as JPEG files do. Claiming another size: refused.
        if (std::string(name) == "rgb24png.bmp")
            EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { ReadBitmap(e.data(), e.size() - 20); }),
                      L"ビットマップイメージが不正です");
        else
            EXPECT_EQ(ReadBitmap(e.data(), e.size() - 20).width, ref24.width);
        Bytes wider = e;
        wider[18] += 1;
        EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { ReadBitmap(wider.data(), wider.size()); }),
                  L"ビットマップイメージが不正です");
    }
}

TEST(RealFiles, GifFramesAgainstPillowsRenderings) {
    for (const char* pair : {"dispose_prev_first_frame", "dispose_none_load_end"}) {
        SCOPED_TRACE(pair);
        auto a = OpenGifAnimation(Pillow(std::string(pair) + ".gif"));
        ASSERT_TRUE(a->Advance());
        const Bytes png =
            Pillow(std::string(pair) +
                   (std::string(pair) == "dispose_none_load_end" ? "_second.png" : "_seeked.png"));
        const DecodedPicture want = ReadPng(png.data(), png.size());
        ASSERT_EQ(a->Width(), want.width);
        ASSERT_EQ(a->Height(), want.height);
        int differ = 0;
        for (std::size_t k = 0; k < want.pixels.size(); ++k) {
            const std::uint32_t got = a->Canvas()[k], w = want.pixels[k];
            if ((w >> 24) == 0 ? (got >> 24) != 0 : got != w) ++differ;
        }
        EXPECT_EQ(differ, 0);
    }
}

TEST(RealFiles, PngAndWebPOddities) {
    // Gray with a tRNS key, 1 and 16 bits deep.
    for (const char* name : {"1_trns.png", "i_trns.png"}) {
        const Bytes b = Pillow(name);
        const DecodedPicture p = ReadPng(b.data(), b.size());
        EXPECT_EQ(p.width, 64) << name;
        EXPECT_TRUE(p.hasAlpha) << name;
    }
    const Bytes broken = Pillow("broken.png");
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { ReadPng(broken.data(), broken.size()); }),
              L"PNG イメージが不正です");
    const Bytes webp = Pillow("transparent.webp");
    const DecodedPicture w = ReadWebP(webp.data(), webp.size());
    EXPECT_TRUE(w.hasAlpha);
    EXPECT_GT(w.width, 0);
}

}  // namespace
}  // namespace pelma
