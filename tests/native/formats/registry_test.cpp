#include <gtest/gtest.h>

#include "view/formats/picture_limits.h"
#include "view/formats/picture_registry.h"

namespace pelma {
namespace {

TEST(PictureRegistry, LooksUpExtensionsInAnyAsciiCase) {
    EXPECT_EQ(LookUpPictureFormat(L"wmf"), PictureKind::Metafile);
    EXPECT_EQ(LookUpPictureFormat(L"EMF"), PictureKind::Metafile);
    EXPECT_EQ(LookUpPictureFormat(L"Ico"), PictureKind::Icon);
    EXPECT_EQ(LookUpPictureFormat(L"BMP"), PictureKind::Bitmap);
    EXPECT_EQ(LookUpPictureFormat(L"Jpg"), PictureKind::Jpeg);   // Photo.Jpg
    EXPECT_EQ(LookUpPictureFormat(L"JPEG"), PictureKind::Jpeg);  // photo.JPEG
    EXPECT_EQ(LookUpPictureFormat(L"dib"), std::nullopt);
    EXPECT_EQ(LookUpPictureFormat(L""), std::nullopt);
    EXPECT_EQ(LookUpPictureFormat(L"jp"), std::nullopt);
    EXPECT_EQ(LookUpPictureFormat(L"ｊｐｇ"), std::nullopt);  // only ASCII letters fold
}

TEST(PictureRegistry, UnknownExtensionMessageKeepsTheCaseAsWritten) {
    EXPECT_EQ(UnknownPictureFormatMessage(L"dib"), L"拡張子 .dib の画像形式は処理できません");
    EXPECT_EQ(UnknownPictureFormatMessage(L"DIB"), L"拡張子 .DIB の画像形式は処理できません");
}

TEST(PictureBudget, SizedByTheAddressSpaceOfTheBuild) {
    // 64-bit: 1 GiB of 32-bit pixels, 16384 × 16384; 32-bit: a quarter of that.
    EXPECT_TRUE(FitsPixelBudget(16384, 16384, PictureBudgetFor(64)));
    EXPECT_FALSE(FitsPixelBudget(16384, 16385, PictureBudgetFor(64)));
    EXPECT_FALSE(FitsPixelBudget(16384, 16384, PictureBudgetFor(32)));
    EXPECT_TRUE(FitsPixelBudget(8192, 8192, PictureBudgetFor(32)));
    EXPECT_FALSE(FitsPixelBudget(8192, 8193, PictureBudgetFor(32)));
    EXPECT_TRUE(FitsPixelBudget(6000, 4000, PictureBudgetFor(32)));  // a 24-megapixel photo either way
    EXPECT_EQ(kMaxPictureBytes, PictureBudgetFor(sizeof(void*) * 8));
}

}  // namespace
}  // namespace pelma
