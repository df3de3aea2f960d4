#include <gtest/gtest.h>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/picture_files.h"
#include "view/formats/tiff_reader.h"

namespace pelma {
namespace {

using namespace testing;

// The quarters (red, green over blue, yellow; 64 × 48) in every layout, as
// ImageMagick and tiffcp wrote them, against their colours.
TEST(TiffReader, EveryLayoutShowsTheQuarters) {
    const struct {
        const char* name;
        int tolerance;  // lossy and converted ones come close
    } files[] = {{"None", 0},   {"LZW", 0},       {"Zip", 0},    {"RLE", 0},   {"JPEG", 12},
                 {"ycbcr", 12}, {"tiles", 0},     {"strips", 0}, {"16bit", 1}, {"palette", 0},
                 {"cmyk", 2},   {"two-pages", 0}, {"planes", 0}};
    for (const auto& f : files) {
        const Bytes file = MadePicture(std::string("tiff/") + f.name + ".tif");
        const DecodedPicture p = ReadTiff(file.data(), file.size());
        ASSERT_EQ(p.width, 64) << f.name;
        ASSERT_EQ(p.height, 48) << f.name;
        EXPECT_FALSE(p.hasAlpha) << f.name;
        const std::uint32_t want[] = {kRed, kGreen, kBlue, kYellow};
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(Near(At(p, 16 + 32 * (i % 2), 12 + 24 * (i / 2)), 0xFF000000 | want[i], f.tolerance))
                << f.name << " quarter " << i << std::hex << " "
                << At(p, 16 + 32 * (i % 2), 12 + 24 * (i / 2));
    }
    // Grey: the quarters' luminance, red darker than green.
    const Bytes grey = MadePicture("tiff/grey.tif");
    const DecodedPicture g = ReadTiff(grey.data(), grey.size());
    EXPECT_EQ(At(g, 16, 12) & 0xFF, At(g, 16, 12) >> 8 & 0xFF);
    EXPECT_LT(At(g, 16, 12) & 0xFF, At(g, 48, 12) & 0xFF);
    // Faxes: a black quarter on white.
    for (const char* name : {"tiff/group3.tif", "tiff/group4.tif"}) {
        const Bytes fax = MadePicture(name);
        const DecodedPicture p = ReadTiff(fax.data(), fax.size());
        EXPECT_EQ(At(p, 10, 10), 0xFF000000u) << name;
        EXPECT_EQ(At(p, 50, 40), 0xFFFFFFFFu) << name;
    }
}

TEST(TiffReader, OrientationAlphaAndDamage) {
    // Stored as the quarters, tagged "row 0 right, column 0 top": upright, turned a quarter clockwise.
    const Bytes turned = MadePicture("tiff/right-top.tif");
    const DecodedPicture t = ReadTiff(turned.data(), turned.size());
    ASSERT_EQ(t.width, 48);
    ASSERT_EQ(t.height, 64);
    EXPECT_EQ(At(t, 35, 16) & 0xFFFFFF, kRed);
    EXPECT_EQ(At(t, 35, 48) & 0xFFFFFF, kGreen);
    EXPECT_EQ(At(t, 11, 16) & 0xFFFFFF, kBlue);
    // Unassociated alpha: straight colours, half transparent on the right.
    const Bytes alpha = MadePicture("tiff/alpha.tif");
    const DecodedPicture a = ReadTiff(alpha.data(), alpha.size());
    EXPECT_TRUE(a.hasAlpha);
    EXPECT_EQ(At(a, 16, 12), 0xFF000000 | kRed);
    EXPECT_TRUE(Near(At(a, 48, 12), 0x80000000 | kGreen, 2)) << std::hex << At(a, 48, 12);
    // Not a TIFF, cut inside its data, or over the budget.
    const Bytes lzw = MadePicture("tiff/LZW.tif");
    const auto failure = [](const Bytes& b, std::uint64_t budget = kMaxPictureBytes) {
        return testing::FailureOf<EInvalidGraphic>([&] { ReadTiff(b.data(), b.size(), budget); });
    };
    EXPECT_EQ(failure(MadePicture("quarters.png")), L"TIFF イメージが不正です");
    for (std::size_t cut : {std::size_t{20}, lzw.size() / 2})
        EXPECT_EQ(failure(Bytes(lzw.begin(), lzw.begin() + static_cast<std::ptrdiff_t>(cut))),
                  L"TIFF イメージが不正です");
    Bytes damaged = MadePicture("tiff/strips.tif");  // its strips come first: broken codes
    for (std::size_t i = 16; i < 200; ++i) damaged[i] = 0xFF;
    EXPECT_EQ(failure(damaged), L"TIFF イメージが不正です");
    EXPECT_EQ(failure(lzw, 64 * 48 * 4 - 1), L"画像が大きすぎます");
}

}  // namespace
}  // namespace pelma
