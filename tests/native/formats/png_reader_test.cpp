#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/picture_files.h"
#include "view/formats/png_reader.h"

namespace pelma {
namespace {

using testing::Bytes;
using testing::FailureOf;
using testing::MadePicture;

std::wstring PngFailure(const Bytes& b, std::uint64_t budget = kMaxPictureBytes) {
    return FailureOf<EInvalidGraphic>([&] { ReadPng(b.data(), b.size(), budget); });
}

// Every colour type and bit depth, with and without tRNS, plain and Adam7:
// the pixels make_png.py wrote down as the ones a reader must give. 16-bit
// samples may differ by one step in their rounding to 8 bits.
TEST(PngReader, EveryLayoutDecodesToTheExpectedPixels) {
    const int depths[][6] = {{0, 1, 2, 4, 8, 16}, {2, 8, 16}, {3, 1, 2, 4, 8}, {4, 8, 16}, {6, 8, 16}};
    const int counts[] = {5, 2, 4, 2, 2};
    int files = 0;
    for (int t = 0; t < 5; ++t) {
        const int type = depths[t][0];
        for (int d = 1; d <= counts[t]; ++d) {
            const int depth = depths[t][d];
            for (const char* interlace : {"", "_adam7"})
                for (const char* trns : {"", "_trns"}) {
                    if (*trns && (type == 4 || type == 6)) continue;
                    const std::string name =
                        "png/type" + std::to_string(type) + "_" + std::to_string(depth) + interlace + trns;
                    SCOPED_TRACE(name);
                    const Bytes png = MadePicture(name + ".png"), expected = MadePicture(name + ".bgra");
                    ASSERT_FALSE(png.empty());
                    const DecodedPicture p = ReadPng(png.data(), png.size());
                    ASSERT_EQ(p.width, 13);
                    ASSERT_EQ(p.height, 11);
                    ASSERT_EQ(expected.size(), p.pixels.size() * 4);
                    bool anyTransparent = false;
                    for (std::size_t i = 0; i < p.pixels.size(); ++i) {
                        for (int c = 0; c < 4; ++c) {
                            const int got = (p.pixels[i] >> (8 * c)) & 0xFF, want = expected[i * 4 + c];
                            ASSERT_LE(std::abs(got - want), depth == 16 ? 1 : 0)
                                << "pixel " << i << " byte " << c;
                        }
                        anyTransparent = anyTransparent || expected[i * 4 + 3] != 255;
                    }
                    EXPECT_EQ(p.hasAlpha, anyTransparent);
                    const PictureInfo h = ReadPngHeader(png.data(), png.size());
                    EXPECT_EQ(h.width, 13);
                    EXPECT_EQ(h.height, 11);
                    ++files;
                }
        }
    }
    EXPECT_EQ(files, 2 * (5 * 2 + 2 * 2 + 4 * 2 + 2 + 2));
}

TEST(PngReader, DamagedTruncatedAndOversizedFilesFailWithOneMessage) {
    const Bytes png = MadePicture("png/type2_8_adam7.png");
    ASSERT_GT(png.size(), 100u);
    // Cut anywhere: in the signature, the header, the data, before the end chunk.
    for (std::size_t cut :
         {std::size_t{0}, std::size_t{5}, std::size_t{20}, std::size_t{40}, png.size() / 2, png.size() - 13})
        EXPECT_EQ(PngFailure(Bytes(png.begin(), png.begin() + cut)), L"PNG イメージが不正です") << cut;
    // The end chunk itself may be missing: every pixel is there.
    const Bytes noEnd(png.begin(), png.end() - 12);
    EXPECT_EQ(ReadPng(noEnd.data(), noEnd.size()).width, 13);

    Bytes damaged = png;
    damaged[damaged.size() - 20] ^= 0x55;  // inside the image data: its checksum no longer matches
    EXPECT_EQ(PngFailure(damaged), L"PNG イメージが不正です");
    EXPECT_EQ(PngFailure(MadePicture("lossy.webp")), L"PNG イメージが不正です");

    // A header claiming 40000 × 40000 pixels: too large before anything is decoded.
    const Bytes big = MadePicture("png/type6_8.png");
    Bytes huge = big;
    huge[16] = 0, huge[17] = 0, huge[18] = 0x9C, huge[19] = 0x40;  // width
    huge[20] = 0, huge[21] = 0, huge[22] = 0x9C, huge[23] = 0x40;  // height (checksum now wrong too)
    EXPECT_NE(PngFailure(huge), L"(no such error)");
    EXPECT_EQ(PngFailure(big, 13 * 11 * 4 - 1), L"画像が大きすぎます");
    EXPECT_EQ(ReadPng(big.data(), big.size(), 13 * 11 * 4).width, 13);
}

TEST(PngReader, DecodesIntoTheCallersRows) {
    const Bytes png = MadePicture("png/type6_8.png"), expected = MadePicture("png/type6_8.bgra");
    // Rows with a padded stride, as a section of another width might have.
    std::vector<std::uint8_t> memory(16 * 4 * 11, 0xCD);
    const PictureInfo info = ReadPngInto(png.data(), png.size(), [&](int w, int h) {
        return PixelRows{memory.data(), 16 * 4, w, h, 4};
    });
    EXPECT_TRUE(info.hasAlpha);
    for (int y = 0; y < 11; ++y) {
        EXPECT_EQ(0, std::memcmp(&memory[y * 64], &expected[y * 13 * 4], 13 * 4)) << y;
        EXPECT_EQ(memory[y * 64 + 13 * 4], 0xCD);  // the padding is left alone
    }
    // No memory: nothing decoded, no failure.
    EXPECT_EQ(ReadPngInto(png.data(), png.size(), [](int, int) { return PixelRows{}; }).width, 13);
}

// The helpers that make straight-alpha pixels into what the screen shows.
TEST(PngAnimation, FramesBlendAndDisposeAsTheyAskAndLoop) {
    // Red; half-transparent green over it, put back after; blue in place, cleared after.
    constexpr std::uint32_t kRed = 0xFFFF0000, kMixed = 0xFF7F8000, kBlue = 0xFF0000FF;
    for (const char* name : {"png/animated.png", "png/animated_hidden_default.png"}) {
        const Bytes file = MadePicture(name);
        ASSERT_TRUE(IsAnimatedPng(file.data(), file.size())) << name;
        auto a = OpenPngAnimation(file);
        const auto at = [&a](int x, int y) { return a->Canvas()[y * 4 + x]; };
        ASSERT_EQ(a->FrameCount(), 3) << name;
        EXPECT_EQ(a->LoopCount(), 2);
        EXPECT_EQ(at(1, 1), kRed) << name;  // a hidden default image is not a frame
        EXPECT_EQ(a->Delay(), 100);
        ASSERT_TRUE(a->Advance());
        EXPECT_EQ(a->Delay(), 200);
        EXPECT_EQ(at(1, 1), kMixed);
        EXPECT_EQ(at(2, 2), kMixed);
        EXPECT_EQ(at(0, 0), kRed);
        ASSERT_TRUE(a->Advance());
        EXPECT_EQ(at(0, 0), kBlue);
        EXPECT_EQ(at(1, 1), kRed);   // put back as it was before the green
        EXPECT_EQ(a->Delay(), 100);  // no delay given: as browsers show it
        ASSERT_TRUE(a->Advance());   // the second time round starts on a cleared canvas
        EXPECT_EQ(at(0, 0), kRed);
        ASSERT_TRUE(a->Advance());
        ASSERT_TRUE(a->Advance());
        EXPECT_FALSE(a->Advance());
        EXPECT_EQ(at(0, 0), kBlue);
    }
    // A still PNG is not animated; a frame outside the canvas, or cut data, is refused.
    const Bytes still = MadePicture("png/type6_8.png");
    EXPECT_FALSE(IsAnimatedPng(still.data(), still.size()));
    Bytes outside = MadePicture("png/animated.png");
    const auto fctl = std::search(outside.begin(), outside.end(), std::begin("fcTL"), std::end("fcTL") - 1);
    fctl[4 + 15] = 9;  // the first frame's left edge
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { OpenPngAnimation(outside); }), L"PNG イメージが不正です");
    const Bytes animated = MadePicture("png/animated.png");
    EXPECT_EQ(FailureOf<EInvalidGraphic>(
                  [&] { OpenPngAnimation(Bytes(animated.begin(), animated.begin() + 120)); }),
              L"PNG イメージが不正です");
}

TEST(DecodedPicture, CompositeAndPremultiply) {
    std::vector<std::uint32_t> px = {0xFF102030, 0x00102030, 0x80FF0000, 0x40FFFFFF};
    EXPECT_TRUE(AnyTransparent(px.data(), px.size()));
    EXPECT_FALSE(AnyTransparent(px.data(), 1));
    std::vector<std::uint32_t> over = px;
    CompositeOver({reinterpret_cast<std::uint8_t*>(over.data()), 16, 4, 1, 4}, 0x0000FF);  // onto blue
    EXPECT_EQ(over[0], 0x00102030u);  // opaque: as it was
    EXPECT_EQ(over[1], 0x000000FFu);  // clear: the background
    EXPECT_EQ(over[2], 0x0080007Fu);  // half red over blue
    EXPECT_EQ(over[3], 0x004040FFu);
    std::vector<std::uint32_t> pre = px;
    Premultiply({reinterpret_cast<std::uint8_t*>(pre.data()), 16, 4, 1, 4});
    EXPECT_EQ(pre[0], 0xFF102030u);
    EXPECT_EQ(pre[1], 0x00000000u);
    EXPECT_EQ(pre[2], 0x80800000u);
    EXPECT_EQ(pre[3], 0x40404040u);
}

}  // namespace
}  // namespace pelma
