#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>

#include <lcms2.h>

#include "tests/native/formats/picture_files.h"
#include "view/formats/colour_profile.h"
#include "view/formats/heif_reader.h"
#include "view/formats/jpeg_reader.h"
#include "view/formats/png_reader.h"
#include "view/formats/tiff_reader.h"
#include "view/formats/webp_reader.h"

namespace pelma {
namespace {

using testing::Bytes;
using testing::MadePicture;

int Distance(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return worst;
}

// Display P3's (200, 60, 40) as each kind carries it, against Little CMS's
// sRGB copy made by ImageMagick; and as the display's own profile.
TEST(ColourProfiles, EachKindShowsItsProfilesColours) {
    const Bytes copy = MadePicture("colour/srgb-copy.png");
    const std::uint32_t want = ReadPng(copy.data(), copy.size()).pixels[0] & 0xFFFFFF;
    ASSERT_LT(Distance(want, 0xC83C28), 40 - 20);  // redder than the P3 numbers, not another colour
    ASSERT_GT(Distance(want, 0xC83C28), 10);
    using Read = std::function<std::uint32_t(const Bytes&)>;
    const Read png = [](const Bytes& b) { return ReadPng(b.data(), b.size()).pixels[65]; };
    const Read jpeg = [](const Bytes& b) { return DecodeJpeg(b.data(), b.size(), false).pixels[65]; };
    const Read apng = [](const Bytes& b) { return OpenPngAnimation(b)->Canvas()[65]; };
    const Read tiff = [](const Bytes& b) { return ReadTiff(b.data(), b.size()).pixels[65]; };
    const Read webp = [](const Bytes& b) { return ReadWebP(b.data(), b.size()).pixels[65]; };
    const Read heic = [](const Bytes& b) {
        return ReadHeif(b.data(), b.size(), HeifFlavour::Heic).pixels[65];
    };
    const Read avif = [](const Bytes& b) {
        return ReadHeif(b.data(), b.size(), HeifFlavour::Avif).pixels[65];
    };
    const struct {
        const char* name;
        const Read& read;
        int tolerance;  // lossy ones come close
    } files[] = {
        {"p3.png", png, 1},   {"p3.apng", apng, 1}, {"p3.jpg", jpeg, 4},           {"p3.tif", tiff, 1},
        {"p3.webp", webp, 6}, {"p3.heic", heic, 6}, {"p3-described.avif", avif, 6}};
    for (const auto& f : files) {
        const std::uint32_t got = f.read(MadePicture(std::string("colour/") + f.name)) & 0xFFFFFF;
        EXPECT_LE(Distance(got, want), f.tolerance) << f.name << std::hex << " " << got << " " << want;
    }
    const Bytes plain = MadePicture("colour/plain.png"), p3 = MadePicture("colour/p3.png");
    EXPECT_EQ(png(plain) & 0xFFFFFF, 0xC83C28u);  // no profile: as decoded
    // On a Display P3 monitor the P3 picture is drawn as stored; pictures
    // without a profile stay as they are.
    SetDisplayProfile(MadePicture("colour/display-p3.icc"));
    EXPECT_LE(Distance(png(p3), 0xC83C28), 1);
    EXPECT_EQ(png(plain) & 0xFFFFFF, 0xC83C28u);
    SetDisplayProfile({});
    EXPECT_LE(Distance(png(p3), want), 1);
}

// The conversion by tables against Little CMS's own transform of the same
// two profiles, over many colours; and profiles that cannot be used.
TEST(ColourProfiles, TablesMatchLittleCmsAndBadProfilesChangeNothing) {
    const Bytes icc = MadePicture("colour/display-p3.icc");
    // A megapixel: converted in two halves, one on a thread of its own.
    std::vector<std::uint32_t> pixels(1 << 20), reference;
    std::mt19937 random(7);
    for (auto& p : pixels) p = (random() & 0xFFFFFF) | 0x80000000;
    reference = pixels;
    ConvertToDisplay({icc, {}}, {reinterpret_cast<std::uint8_t*>(pixels.data()), 4 * 1024, 1024, 1024, 4});
    cmsHPROFILE from = cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size()));
    cmsHPROFILE to = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_BGRA_8, to, TYPE_BGRA_8, INTENT_PERCEPTUAL, 0);
    cmsDoTransform(t, reference.data(), reference.data(), static_cast<cmsUInt32Number>(reference.size()));
    cmsDeleteTransform(t);
    cmsCloseProfile(from);
    cmsCloseProfile(to);
    int worst = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        worst = std::max(worst, Distance(pixels[i], reference[i]));
        ASSERT_EQ(pixels[i] >> 24, 0x80u) << i;  // the fourth byte is kept
    }
    EXPECT_LE(worst, 1);
    // Cut, damaged, or of grey: the pixels are left as decoded.
    Bytes cut(icc.begin(), icc.begin() + 200), damaged = icc;
    for (std::size_t i = 128; i < damaged.size(); ++i) damaged[i] ^= 0x5A;
    std::uint32_t pixel = 0xFFC83C28;
    for (const Bytes* b : {&cut, &damaged}) {
        ConvertToDisplay({*b, {}}, {reinterpret_cast<std::uint8_t*>(&pixel), 4, 1, 1, 4});
        EXPECT_EQ(pixel, 0xFFC83C28u);
    }
    // A description of sRGB, or of HDR's transfer (PQ), changes nothing either.
    for (ColourDescription d : {ColourDescription{1, 13}, ColourDescription{9, 16}}) {
        ConvertToDisplay({{}, d}, {reinterpret_cast<std::uint8_t*>(&pixel), 4, 1, 1, 4});
        EXPECT_EQ(pixel, 0xFFC83C28u);
    }
}

}  // namespace
}  // namespace pelma
