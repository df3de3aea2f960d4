#include <gtest/gtest.h>
#include <algorithm>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/picture_files.h"
#include "view/formats/heif_reader.h"

namespace pelma {
namespace {

using namespace testing;

// The quarters as heif-enc and avifenc wrote them, each quarter's middle
// against its colour: plain, 10 bits, grids of 2 × 2 tiles of the quarters
// four times larger (the HEIC one cut to 250 × 190), and turned a quarter
// anticlockwise then mirrored left to right (irot 1, imir 1).
TEST(HeifReader, EveryKindShowsTheQuarters) {
    const struct {
        const char* name;
        HeifFlavour flavour;
        int width, height;
        std::uint32_t topLeft, topRight, bottomLeft, bottomRight;
    } files[] = {
        {"quarters.heic", HeifFlavour::Heic, 64, 48, kRed, kGreen, kBlue, kYellow},
        {"grid.heic", HeifFlavour::Heic, 250, 190, kRed, kGreen, kBlue, kYellow},
        {"quarters.avif", HeifFlavour::Avif, 64, 48, kRed, kGreen, kBlue, kYellow},
        {"10bit.avif", HeifFlavour::Avif, 64, 48, kRed, kGreen, kBlue, kYellow},
        {"grid.avif", HeifFlavour::Avif, 256, 192, kRed, kGreen, kBlue, kYellow},
        {"turned.avif", HeifFlavour::Avif, 48, 64, kYellow, kGreen, kBlue, kRed},
    };
    for (const auto& f : files) {
        const Bytes file = MadePicture(std::string("heif/") + f.name);
        const DecodedPicture p = ReadHeif(file.data(), file.size(), f.flavour);
        ASSERT_EQ(p.width, f.width) << f.name;
        ASSERT_EQ(p.height, f.height) << f.name;
        EXPECT_FALSE(p.hasAlpha) << f.name;
        const int w = f.width, h = f.height;
        const std::uint32_t want[] = {f.topLeft, f.topRight, f.bottomLeft, f.bottomRight};
        for (int i = 0; i < 4; ++i) {
            const std::uint32_t got = At(p, w / 4 + w / 2 * (i % 2), h / 4 + h / 2 * (i / 2));
            EXPECT_TRUE(Near(got, 0xFF000000 | want[i], 12))
                << f.name << " quarter " << i << std::hex << " " << got;
        }
    }
}

TEST(HeifReader, AlphaAndDamage) {
    // Straight colours, half transparent on the right.
    for (const auto& [name, flavour] :
         {std::pair{"heif/alpha.heic", HeifFlavour::Heic}, std::pair{"heif/alpha.avif", HeifFlavour::Avif}}) {
        const Bytes file = MadePicture(name);
        const DecodedPicture a = ReadHeif(file.data(), file.size(), flavour);
        EXPECT_TRUE(a.hasAlpha) << name;
        EXPECT_TRUE(Near(At(a, 16, 12), 0xFF000000 | kRed, 12)) << name << std::hex << " " << At(a, 16, 12);
        EXPECT_TRUE(Near(At(a, 48, 12), 0x80000000 | kGreen, 12)) << name << std::hex << " " << At(a, 48, 12);
    }
    // Not of the kind, cut short or inside its data, or over the budget: the kind's message.
    const auto failure = [](const Bytes& b, HeifFlavour flavour, std::uint64_t budget = kMaxPictureBytes) {
        return testing::FailureOf<EInvalidGraphic>([&] { ReadHeif(b.data(), b.size(), flavour, budget); });
    };
    const Bytes heic = MadePicture("heif/quarters.heic"), avif = MadePicture("heif/quarters.avif");
    EXPECT_EQ(failure(MadePicture("quarters.png"), HeifFlavour::Heic), L"HEIF イメージが不正です");
    EXPECT_EQ(failure(MadePicture("tiff/LZW.tif"), HeifFlavour::Avif), L"AVIF イメージが不正です");
    for (const Bytes* b : {&heic, &avif}) {
        const HeifFlavour flavour = b == &heic ? HeifFlavour::Heic : HeifFlavour::Avif;
        for (std::size_t cut : {std::size_t{20}, b->size() / 2, b->size() - 8})
            EXPECT_EQ(failure(Bytes(b->begin(), b->begin() + static_cast<std::ptrdiff_t>(cut)), flavour),
                      InvalidHeifMessage(flavour))
                << cut;
        EXPECT_EQ(failure(*b, flavour, 64 * 48 * 4 - 1), L"画像が大きすぎます");
    }
    // A grid whose output is larger than its item says (the grid data ends
    // the file: its last 8 bytes are the output's width and height).
    Bytes grid = MadePicture("heif/grid.heic");
    const std::uint8_t huge[8] = {0, 0, 0x40, 0, 0, 0, 0x30, 0};  // 16384 × 12288
    std::copy(huge, huge + 8, grid.end() - 8);
    EXPECT_EQ(failure(grid, HeifFlavour::Heic), L"HEIF イメージが不正です");
    // A grid that lists itself as its first tile (dimg: from, count, to...).
    grid = MadePicture("heif/grid.heic");
    const auto dimg = std::search(grid.begin(), grid.end(), std::begin("dimg"), std::end("dimg") - 1) + 4;
    std::copy(dimg, dimg + 2, dimg + 4);
    EXPECT_EQ(failure(grid, HeifFlavour::Heic), L"HEIF イメージが不正です");
    // A HEIC named .avif still shows: the kind is told by the file.
    EXPECT_EQ(ReadHeif(heic.data(), heic.size(), HeifFlavour::Avif).width, 64);
}

}  // namespace
}  // namespace pelma
