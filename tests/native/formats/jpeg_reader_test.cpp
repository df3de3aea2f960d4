#include <gtest/gtest.h>

#include <cstdlib>

#include "core/errors.h"
#include "tests/native/formats/picture_builders.h"
#include "view/formats/jpeg_reader.h"

#include <jerror.h>

namespace pelma {
namespace {

using testing::Bytes;
using testing::FindMarker;
using testing::MakeBmp;
using testing::MakeJpeg;

// Left half red, right half blue.
std::uint32_t Halves(int x, int) { return x < 16 ? 0xFF0000 : 0x0000FF; }

bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 24) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
            tolerance)
            return false;
    return true;
}

int JpegErrorOf(const Bytes& b) {
    try {
        ReadJpegHeader(b.data(), b.size());
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), L"JPEG エラー #" + std::to_wstring(e.Code()));
        return e.Code();
    }
    return 0;
}

// A JPEG whose frame header claims another size.
Bytes WithFrameSize(Bytes jpeg, unsigned width, unsigned height) {
    const std::size_t sof = FindMarker(jpeg, 0xC0);
    jpeg[sof + 5] = static_cast<std::uint8_t>(height >> 8), jpeg[sof + 6] = static_cast<std::uint8_t>(height);
    jpeg[sof + 7] = static_cast<std::uint8_t>(width >> 8), jpeg[sof + 8] = static_cast<std::uint8_t>(width);
    return jpeg;
}

TEST(JpegReader, HeaderAndItsFailures) {
    const Bytes jpeg = MakeJpeg(32, 24, 3, Halves);
    const JpegHeader h = ReadJpegHeader(jpeg.data(), jpeg.size());
    EXPECT_EQ(h.width, 32);
    EXPECT_EQ(h.height, 24);
    EXPECT_EQ(h.components, 3);
    EXPECT_EQ(ReadJpegHeader(nullptr, 0).width, 0);  // an empty file reads nothing

    testing::BmpSpec bmp;
    bmp.width = 1, bmp.height = 1, bmp.bits = Bytes(4, 0);
    EXPECT_EQ(JpegErrorOf(MakeBmp(bmp)), 53);  // a bitmap named .jpg
    EXPECT_EQ(JpegErrorOf(Bytes{0xFF}), 53);
    EXPECT_EQ(JpegErrorOf(Bytes{0xFF, 0xD8}), JERR_NO_IMAGE);
    EXPECT_EQ(JpegErrorOf(Bytes(jpeg.begin(), jpeg.begin() + FindMarker(jpeg, 0xDA))), JERR_SOF_NO_SOS);
    EXPECT_EQ(JpegErrorOf(Bytes(jpeg.begin(), jpeg.begin() + FindMarker(jpeg, 0xC0) + 4)), JERR_BAD_LENGTH);
}

TEST(JpegReader, OversizedFramesAreRefusedBeforeDecoding) {
    const Bytes jpeg = MakeJpeg(16, 16, 3, Halves);
    // Past libjpeg's own limit: a decoder error at the header.
    EXPECT_EQ(JpegErrorOf(WithFrameSize(jpeg, 65535, 65535)), JERR_IMAGE_TOO_BIG);
    // Within it but past the pixel budget: refused before any pixel exists.
    const Bytes huge = WithFrameSize(jpeg, 60000, 60000);
    for (bool eightBit : {false, true}) {
        try {
            DecodeJpeg(huge.data(), huge.size(), eightBit);
            ADD_FAILURE() << "decoded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), L"画像が大きすぎます");
        }
    }
    EXPECT_THROW(ReadJpegHeader(huge.data(), huge.size()), EInvalidGraphic);
}

TEST(JpegReader, DecodesTwentyFourBitRgb) {
    const Bytes jpeg = MakeJpeg(32, 16, 3, Halves);
    const DecodedJpeg d = DecodeJpeg(jpeg.data(), jpeg.size(), false);
    EXPECT_EQ(d.errorCode, 0);
    EXPECT_FALSE(d.eightBit);
    EXPECT_EQ(d.rowsDecoded, 16);
    ASSERT_EQ(d.pixels.size(), 32u * 16u);
    EXPECT_TRUE(Near(d.pixels[0], 0xFF0000));
    EXPECT_TRUE(Near(d.pixels[15 * 32 + 31], 0x0000FF));
    EXPECT_EQ(DecodeJpeg(nullptr, 0, false).width, 0);

    const Bytes progressive = MakeJpeg(32, 16, 3, Halves, true);
    const DecodedJpeg p = DecodeJpeg(progressive.data(), progressive.size(), false);
    EXPECT_EQ(p.errorCode, 0);
    EXPECT_TRUE(Near(p.pixels[5 * 32 + 2], 0xFF0000));
}

TEST(JpegReader, DecodesEightBitWithAPalette) {
    const Bytes jpeg = MakeJpeg(32, 16, 3, Halves);
    const DecodedJpeg d = DecodeJpeg(jpeg.data(), jpeg.size(), true);
    EXPECT_TRUE(d.eightBit);
    EXPECT_TRUE(d.pixels.empty());
    ASSERT_EQ(d.indices.size(), 32u * 16u);
    ASSERT_FALSE(d.palette.empty());
    EXPECT_LE(d.palette.size(), 236u);
    EXPECT_TRUE(Near(d.palette.at(d.indices[0]), 0xFF0000, 40));
    EXPECT_TRUE(Near(d.palette.at(d.indices[8 * 32 + 30]), 0x0000FF, 40));

    // Grayscale is always 8 bits: levels of gray, whatever the screen.
    const Bytes gray = MakeJpeg(16, 16, 1, [](int x, int) { return x < 8 ? 0x20u : 0xE0u; });
    const DecodedJpeg g = DecodeJpeg(gray.data(), gray.size(), false);
    EXPECT_TRUE(g.eightBit);
    ASSERT_FALSE(g.palette.empty());
    for (std::uint32_t c : g.palette) EXPECT_EQ(c, (c & 0xFF) * 0x010101u);
    EXPECT_TRUE(Near(g.palette.at(g.indices[0]), 0x202020));
    EXPECT_TRUE(Near(g.palette.at(g.indices[15]), 0xE0E0E0));
}

TEST(JpegReader, TruncatedAndBrokenData) {
    const Bytes jpeg = MakeJpeg(32, 64, 3, Halves);
    // Cut inside the first scan: decodes without error, the decoder fills the rest.
    const std::size_t sos = FindMarker(jpeg, 0xDA);
    const Bytes cut(jpeg.begin(), jpeg.begin() + sos + 40);
    const DecodedJpeg d = DecodeJpeg(cut.data(), cut.size(), false);
    EXPECT_EQ(d.errorCode, 0);
    EXPECT_EQ(d.rowsDecoded, 64);
    EXPECT_TRUE(Near(d.pixels[0], 0xFF0000));

    // A second scan where the frame allows none: a fatal error in the last
    // step keeps every decoded row and reports the code instead of throwing.
    Bytes twoScans(jpeg.begin(), jpeg.end() - 2);
    twoScans.insert(twoScans.end(), jpeg.begin() + sos, jpeg.end());
    const DecodedJpeg e = DecodeJpeg(twoScans.data(), twoScans.size(), false);
    EXPECT_EQ(e.errorCode, JERR_EOI_EXPECTED);
    EXPECT_EQ(e.rowsDecoded, 64);
    EXPECT_EQ(JpegErrorMessage(e.errorCode), L"JPEG エラー #" + std::to_wstring(JERR_EOI_EXPECTED));
}

TEST(JpegReader, DecoderWholePictureBuffersKeepToTheBudget) {
    // A progressive picture needs its coefficients kept whole (2 bytes a
    // sample, 6 a pixel without chroma subsampling); a budget that fits the
    // pixels but not those ends in an error.
    const Bytes jpeg = MakeJpeg(256, 256, 3, Halves, true, 90, true);
    const DecodedJpeg d = DecodeJpeg(jpeg.data(), jpeg.size(), false, 256 * 256 * 4);
    EXPECT_NE(d.errorCode, 0);
    EXPECT_EQ(d.rowsDecoded, 0);
    EXPECT_EQ(d.pixels.size(), 256u * 256u);
    EXPECT_EQ(DecodeJpeg(jpeg.data(), jpeg.size(), false).errorCode, 0);
}

TEST(JpegReader, ScansPastTheLimitAreDropped) {
    // 631 scans: DC, then each AC coefficient alone, the highest first, in
    // ten successive-approximation steps. Decoding stops feeding after scan
    // 500 and ends without an error, the lowest coefficients left unrefined.
    static std::vector<jpeg_scan_info> script;
    script.push_back({1, {0}, 0, 0, 0, 0});
    for (int k = 63; k >= 1; --k) {
        script.push_back({1, {0}, k, k, 0, 9});
        for (int al = 8; al >= 0; --al) script.push_back({1, {0}, k, k, al + 1, al});
    }
    auto noise = [](int x, int y) {
        return (static_cast<std::uint32_t>(x * 7919 + y * 104729) * 2654435761u) >> 24;
    };
    const Bytes jpeg = MakeJpeg(32, 32, 1, noise, false, 100, false, [](jpeg_compress_struct& c) {
        c.scan_info = script.data();
        c.num_scans = static_cast<int>(script.size());
    });
    const DecodedJpeg cut = DecodeJpeg(jpeg.data(), jpeg.size(), false);
    EXPECT_EQ(cut.errorCode, 0);
    EXPECT_EQ(cut.rowsDecoded, 32);
    // It decodes exactly as the file cut by hand before scan 501, while the
    // scans before that all count.
    auto firstScans = [&](int count) {
        std::size_t at = 0;
        for (int scan = 0; scan <= count; ++scan) at = FindMarker(jpeg, 0xDA, at + 2);
        return Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(at));
    };
    const Bytes first500 = firstScans(500), first450 = firstScans(450);
    EXPECT_EQ(cut.indices, DecodeJpeg(first500.data(), first500.size(), false).indices);
    EXPECT_NE(cut.indices, DecodeJpeg(first450.data(), first450.size(), false).indices);
}

}  // namespace
}  // namespace pelma

namespace pelma {
namespace {

// Decoding into the caller's memory gives the pixels DecodeJpeg gives, in
// rows of 3 or 4 bytes with padding, 8-bit output written as its palette's
// colours; it reports each row as it is done and keeps to what was allocated.
TEST(JpegReader, DecodesIntoCallerMemory) {
    using testing::Bytes;
    using testing::FindMarker;
    using testing::MakeJpeg;
    std::vector<std::uint8_t> room;
    int askedWidth = 0, askedHeight = 0, pixelBytes = 3;
    auto allocate = [&](int w, int h) {
        askedWidth = w, askedHeight = h;
        const std::size_t stride = static_cast<std::size_t>(w) * pixelBytes + 5;  // padded
        room.assign(stride * static_cast<std::size_t>(h), 0xEE);
        return PixelRows{room.data(), stride, w, h, pixelBytes};
    };
    // The colour at (x, y) of what was decoded into `room`, as 0x00RRGGBB.
    auto at = [&](int x, int y) {
        const std::uint8_t* p = room.data() + (static_cast<std::size_t>(askedWidth) * pixelBytes + 5) * y +
                                static_cast<std::size_t>(x) * pixelBytes;
        return static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
    };
    auto samePixels = [&](const std::vector<std::uint32_t>& expected) {
        for (int y = 0; y < askedHeight; ++y)
            for (int x = 0; x < askedWidth; ++x)
                if (at(x, y) != expected[static_cast<std::size_t>(y * askedWidth + x)]) return false;
        return true;
    };

    const Bytes jpeg = MakeJpeg(32, 16, 3, Halves);
    const DecodedJpeg v = DecodeJpeg(jpeg.data(), jpeg.size(), false);
    for (int bytes : {3, 4}) {
        pixelBytes = bytes;
        std::vector<int> done;
        const DecodedJpeg d =
            DecodeJpegInto(jpeg.data(), jpeg.size(), false, allocate, [&](int y) { done.push_back(y); });
        EXPECT_EQ(askedWidth, 32);
        EXPECT_EQ(askedHeight, 16);
        EXPECT_EQ(d.rowsDecoded, 16);
        EXPECT_EQ(d.errorCode, 0);
        EXPECT_TRUE(d.pixels.empty());
        EXPECT_TRUE(samePixels(v.pixels)) << bytes << " bytes per pixel";
        ASSERT_EQ(done.size(), 16u);
        for (int y = 0; y < 16; ++y) EXPECT_EQ(done[static_cast<std::size_t>(y)], y);
    }

    for (bool screenEightBit : {true, false}) {
        const Bytes source =
            screenEightBit ? jpeg : MakeJpeg(16, 16, 1, [](int x, int) { return x < 8 ? 0x20u : 0xE0u; });
        const DecodedJpeg q = DecodeJpeg(source.data(), source.size(), screenEightBit);
        const DecodedJpeg e = DecodeJpegInto(source.data(), source.size(), screenEightBit, allocate);
        EXPECT_TRUE(e.eightBit);
        ASSERT_EQ(static_cast<std::size_t>(askedWidth * askedHeight), q.indices.size());
        for (int y = 0; y < askedHeight; ++y)
            for (int x = 0; x < askedWidth; ++x)
                ASSERT_EQ(at(x, y), q.palette.at(q.indices[static_cast<std::size_t>(y * askedWidth + x)]));
    }

    // A fatal error after the rows keeps them; nothing allocated, nothing decoded.
    const std::size_t sos = FindMarker(jpeg, 0xDA);
    Bytes twoScans(jpeg.begin(), jpeg.end() - 2);
    twoScans.insert(twoScans.end(), jpeg.begin() + sos, jpeg.end());
    const DecodedJpeg f = DecodeJpegInto(twoScans.data(), twoScans.size(), false, allocate);
    EXPECT_EQ(f.errorCode, JERR_EOI_EXPECTED);
    EXPECT_EQ(f.rowsDecoded, 16);
    EXPECT_TRUE(samePixels(v.pixels));
    const DecodedJpeg none =
        DecodeJpegInto(jpeg.data(), jpeg.size(), false, [](int, int) { return PixelRows{}; });
    EXPECT_EQ(none.width, 32);
    EXPECT_EQ(none.rowsDecoded, 0);
    // Rows of another size than the picture's are not written into.
    std::vector<std::uint8_t> smaller(8 * 8 * 3, 0xEE);
    const DecodedJpeg wrong = DecodeJpegInto(jpeg.data(), jpeg.size(), false, [&](int, int) {
        return PixelRows{smaller.data(), 24, 8, 8, 3};
    });
    EXPECT_EQ(wrong.rowsDecoded, 0);
    EXPECT_EQ(smaller, std::vector<std::uint8_t>(smaller.size(), 0xEE));
    EXPECT_EQ(DecodeJpegInto(nullptr, 0, false, allocate).width, 0);
    EXPECT_THROW(DecodeJpegInto(jpeg.data(), 1, false, allocate), EJPEG);
}

// Quarters: red top left, green top right, blue bottom left, white bottom right.
std::uint32_t Quarters(int x, int y) {
    if (y < 8) return x < 16 ? 0xFF0000 : 0x00FF00;
    return x < 16 ? 0x0000FF : 0xFFFFFF;
}

// The JPEG with an EXIF block (big-endian TIFF) carrying `orientation` right after SOI.
Bytes WithOrientation(const Bytes& jpeg, unsigned orientation) {
    Bytes app1{0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1};
    app1.insert(app1.end(), {0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, static_cast<std::uint8_t>(orientation), 0, 0});
    app1.insert(app1.end(), {0, 0, 0, 0});
    app1[2] = static_cast<std::uint8_t>((app1.size() - 2) >> 8),
    app1[3] = static_cast<std::uint8_t>(app1.size() - 2);
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.append(app1);
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

TEST(JpegReader, TheScaleToDecodeAtLeavesAPixelForEveryPixelDrawn) {
    EXPECT_EQ(JpegScaleDenominator(5653, 4240, 1024, 720), 4);  // 1414 × 1060
    EXPECT_EQ(JpegScaleDenominator(1632, 1224, 812, 608), 2);
    EXPECT_EQ(JpegScaleDenominator(1600, 1200, 800, 600), 2);
    EXPECT_EQ(JpegScaleDenominator(1600, 1200, 801, 600), 1);
    EXPECT_EQ(JpegScaleDenominator(100, 60, 13, 8), 8);  // sides round up: 13 × 8
    EXPECT_EQ(JpegScaleDenominator(100, 60, 14, 8), 4);
    EXPECT_EQ(JpegScaleDenominator(100, 60, 0, 0), 1);  // no size drawn at: the whole picture
    EXPECT_EQ(JpegScaleDenominator(100, 60, 200, 120), 1);
}

TEST(JpegReader, DecodingAtAScaleGivesTheSmallerPictureUpright) {
    const std::uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF;
    const Bytes plain =
        MakeJpeg(100, 60, 3, [&](int x, int y) { return y < 30 ? (x < 50 ? R : G) : (x < 50 ? B : W); });
    for (unsigned o : {1u, 6u}) {
        const Bytes jpeg = WithOrientation(plain, o);
        for (int scale : {2, 4, 8}) {
            SCOPED_TRACE(::testing::Message() << "orientation " << o << ", 1/" << scale);
            std::vector<std::uint8_t> rows;
            int w = 0, h = 0;
            const DecodedJpeg d = DecodeJpegInto(
                jpeg.data(), jpeg.size(), false,
                [&](int width, int height) {
                    w = width, h = height;
                    rows.assign(static_cast<std::size_t>(w) * h * 4, 0);
                    return PixelRows{rows.data(), static_cast<std::size_t>(w) * 4, w, h, 4};
                },
                {}, kMaxPictureBytes, scale);
            const int across = (100 + scale - 1) / scale, down = (60 + scale - 1) / scale;
            EXPECT_EQ(w, o == 6 ? down : across);
            EXPECT_EQ(h, o == 6 ? across : down);
            EXPECT_EQ(d.errorCode, 0);
            EXPECT_EQ(d.rowsDecoded, h);
            auto at = [&](int x, int y) {
                const std::uint8_t* p = rows.data() + (static_cast<std::size_t>(y) * w + x) * 4;
                return static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
            };
            // Turned a quarter clockwise, the blue bottom left comes to the top left.
            EXPECT_TRUE(Near(at(1, 1), o == 6 ? B : R, 48)) << std::hex << at(1, 1);
            EXPECT_TRUE(Near(at(w - 2, h - 2), o == 6 ? G : W, 48)) << std::hex << at(w - 2, h - 2);
        }
    }
}

TEST(JpegReader, ExifOrientationTurnsThePictureUpright) {
    const Bytes plain = MakeJpeg(32, 16, 3, Quarters, false, 95, true);
    const std::uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF;
    // The colours at the upright corners (top left, top right, bottom left, bottom right).
    const std::uint32_t corners[9][4] = {{},           {R, G, B, W}, {G, R, W, B}, {W, B, G, R}, {B, W, R, G},
                                         {R, B, G, W}, {B, R, W, G}, {W, G, B, R}, {G, W, R, B}};
    for (unsigned o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const Bytes jpeg = WithOrientation(plain, o);
        const bool across = o >= 5;
        const JpegHeader h = ReadJpegHeader(jpeg.data(), jpeg.size());
        EXPECT_EQ(h.orientation, static_cast<int>(o));
        EXPECT_EQ(h.width, across ? 16 : 32);
        EXPECT_EQ(h.height, across ? 32 : 16);
        for (bool eightBit : {false, true}) {
            const DecodedJpeg d = DecodeJpeg(jpeg.data(), jpeg.size(), eightBit);
            ASSERT_EQ(d.width, h.width);
            ASSERT_EQ(d.height, h.height);
            EXPECT_EQ(d.rowsDecoded, d.height);
            auto at = [&](int x, int y) {
                const std::size_t i = static_cast<std::size_t>(y) * d.width + x;
                return eightBit ? d.palette[d.indices[i]] : d.pixels[i];
            };
            const int r = d.width - 3, b = d.height - 3;
            EXPECT_TRUE(Near(at(2, 2), corners[o][0], 40));
            EXPECT_TRUE(Near(at(r, 2), corners[o][1], 40));
            EXPECT_TRUE(Near(at(2, b), corners[o][2], 40));
            EXPECT_TRUE(Near(at(r, b), corners[o][3], 40));
        }
        // Into caller memory: every row reported once, in order.
        std::vector<std::uint8_t> rows(32 * 16 * 4);
        int next = 0;
        const DecodedJpeg into = DecodeJpegInto(
            jpeg.data(), jpeg.size(), false,
            [&](int w, int ht) {
                return PixelRows{rows.data(), static_cast<std::size_t>(w) * 4, w, ht, 4};
            },
            [&](int y) { EXPECT_EQ(y, next++); });
        EXPECT_EQ(next, into.height);
        const std::uint8_t* p = rows.data() + 2 * 4 + 2 * into.width * 4;
        EXPECT_TRUE(Near(static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]), corners[o][0], 40));
    }
    // A damaged EXIF block is no orientation.
    Bytes bad = WithOrientation(plain, 6);
    bad[19] = 0xF0;  // the directory's entry count
    EXPECT_EQ(ReadJpegOrientation(bad.data(), bad.size()), 1);
    EXPECT_EQ(ReadJpegOrientation(WithOrientation(plain, 9).data(), plain.size() + 36), 1);
}

// CMYK written by libjpeg with Adobe's marker, inks stored inverted as Adobe's
// own programs store them; and the same as YCCK.
TEST(JpegReader, CmykAndYcckBecomeRgb) {
    for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
        SCOPED_TRACE(space);
        const int w = 16, h = 8;
        // Cyan, magenta, yellow, and half black, in four columns of 4.
        const std::uint8_t inks[4][4] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {0, 0, 0, 128}};
        const Bytes jpeg = MakeJpeg(
            w, h, 4,
            [&](int x, int) {
                std::uint32_t p = 0;
                for (int k = 0; k < 4; ++k) p = p << 8 | static_cast<std::uint32_t>(255 - inks[x / 4][k]);
                return p;
            },
            false, 95, false, [space](jpeg_compress_struct& c) { jpeg_set_colorspace(&c, space); });

        const DecodedJpeg d = DecodeJpeg(jpeg.data(), jpeg.size(), true);  // even on an 8-bit screen: colour
        ASSERT_EQ(d.errorCode, 0);
        EXPECT_FALSE(d.eightBit);
        const std::uint32_t want[4] = {0x00FFFF, 0xFF00FF, 0xFFFF00, 0x7F7F7F};
        for (int col = 0; col < 4; ++col)
            EXPECT_TRUE(Near(d.pixels[4 * w + col * 4 + 1], want[col], 24))
                << col << " " << std::hex << d.pixels[4 * w + col * 4 + 1];
    }
}

// Precision 12 is not what this libjpeg decodes: the decoder's own message.
TEST(JpegReader, TwelveBitPicturesEndInTheDecodersMessage) {
    Bytes jpeg = MakeJpeg(8, 8, 1, [](int, int) { return 0x80u; });
    jpeg[FindMarker(jpeg, 0xC0) + 4] = 12;
    EXPECT_EQ(JpegErrorOf(jpeg), JERR_BAD_PRECISION);
}

}  // namespace
}  // namespace pelma
