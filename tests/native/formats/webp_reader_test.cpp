#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/picture_files.h"
#include "view/formats/webp_reader.h"

namespace pelma {
namespace {

using testing::Bytes;
using testing::FailureOf;
using testing::MadePicture;

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
            tolerance)
            return false;
    return true;
}

// The quarters of quarters.png: red, green / blue, yellow.
std::uint32_t Quarter(int x, int y) {
    if (y < 24) return x < 32 ? 0xFFFF0000 : 0xFF00FF00;
    return x < 32 ? 0xFF0000FF : 0xFFFFFF00;
}

TEST(WebPReader, LossyLosslessAndAlpha) {
    for (const char* name : {"lossless.webp", "lossy.webp"}) {
        SCOPED_TRACE(name);
        const Bytes b = MadePicture(name);
        const WebPHeader h = ReadWebPHeader(b.data(), b.size());
        EXPECT_EQ(h.width, 64);
        EXPECT_EQ(h.height, 48);
        EXPECT_FALSE(h.animated);
        const DecodedPicture p = ReadWebP(b.data(), b.size());
        ASSERT_EQ(p.width, 64);
        ASSERT_EQ(p.height, 48);
        EXPECT_FALSE(p.hasAlpha);
        const int tolerance = std::string(name) == "lossy.webp" ? 40 : 0;
        // Away from the edges between quarters, where lossy coding blurs.
        for (int y : {4, 20, 28, 44})
            for (int x : {4, 28, 36, 60})
                EXPECT_TRUE(Near(p.pixels[y * 64 + x], Quarter(x, y), tolerance)) << x << "," << y;
    }
    // Straight alpha, exactly for lossless, colours under full transparency included.
    const Bytes expected = MadePicture("png/type6_8.bgra");
    const Bytes lossless = MadePicture("alpha_lossless.webp");
    const DecodedPicture a = ReadWebP(lossless.data(), lossless.size());
    ASSERT_EQ(a.pixels.size() * 4, expected.size());
    EXPECT_TRUE(a.hasAlpha);
    EXPECT_EQ(0, std::memcmp(a.pixels.data(), expected.data(), expected.size()));
    const Bytes lossy = MadePicture("alpha_lossy.webp");
    const DecodedPicture l = ReadWebP(lossy.data(), lossy.size());
    EXPECT_TRUE(l.hasAlpha);
    EXPECT_TRUE(ReadWebPHeader(lossy.data(), lossy.size()).hasAlpha);
    for (std::size_t i = 0; i < l.pixels.size(); ++i)
        EXPECT_LE(std::abs(static_cast<int>(l.pixels[i] >> 24) - expected[i * 4 + 3]), 2) << i;
}

TEST(WebPReader, AnimationFramesDelaysAndLoops) {
    const Bytes b = MadePicture("anim.webp");  // gif2webp of ImageMagick's red, green, blue
    EXPECT_TRUE(ReadWebPHeader(b.data(), b.size()).animated);
    auto a = OpenWebPAnimation(b);
    ASSERT_EQ(a->Width(), 16);
    EXPECT_EQ(a->FrameCount(), 3);
    EXPECT_EQ(a->LoopCount(), 1);
    const std::uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    const int delays[] = {200, 100, 300};
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(a->FrameIndex(), f);
        EXPECT_EQ(a->Delay(), delays[f]);
        EXPECT_EQ(a->Canvas()[7 * 16 + 9], colours[f]);
        EXPECT_EQ(a->Advance(), f < 2);
    }
    EXPECT_EQ(a->Canvas()[0], colours[2]);  // over: the last frame stays
    // The first frame as a still picture.
    const DecodedPicture first = ReadWebP(b.data(), b.size());
    EXPECT_EQ(first.pixels[100], colours[0]);
    // A still file as an animation of one frame.
    auto still = OpenWebPAnimation(MadePicture("lossless.webp"));
    EXPECT_EQ(still->FrameCount(), 1);
    EXPECT_EQ(still->Canvas()[0], 0xFFFF0000u);
    EXPECT_FALSE(still->Advance());
}

TEST(WebPReader, DamagedTruncatedAndOversizedFiles) {
    auto failure = [](const Bytes& b, std::uint64_t budget = kMaxPictureBytes) {
        return FailureOf<EInvalidGraphic>([&] { ReadWebP(b.data(), b.size(), budget); });
    };
    auto animationFailure = [](const Bytes& b) {
        return FailureOf<EInvalidGraphic>([&] { OpenWebPAnimation(b); });
    };
    for (const char* name : {"lossy.webp", "lossless.webp", "alpha_lossy.webp", "anim.webp"}) {
        SCOPED_TRACE(name);
        const Bytes b = MadePicture(name);
        for (std::size_t cut :
             {std::size_t{0}, std::size_t{10}, std::size_t{30}, b.size() / 2, b.size() - 1}) {
            const Bytes c(b.begin(), b.begin() + cut);
            EXPECT_EQ(failure(c), L"WebP イメージが不正です") << cut;
            EXPECT_EQ(animationFailure(c), L"WebP イメージが不正です") << cut;
        }
    }
    EXPECT_EQ(failure(MadePicture("quarters.png")), L"WebP イメージが不正です");
    const Bytes lossy = MadePicture("lossy.webp");
    EXPECT_EQ(failure(lossy, 64 * 48 * 4 - 1), L"画像が大きすぎます");
    Bytes damaged = lossy;
    for (std::size_t i = 40; i < damaged.size(); i += 7) damaged[i] ^= 0xA5;
    // Lossy data carries no checksum: damage either decodes to something or fails with the message.
    try {
        ReadWebP(damaged.data(), damaged.size());
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), L"WebP イメージが不正です");
    }
}

}  // namespace
}  // namespace pelma
