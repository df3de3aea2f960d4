#include <gtest/gtest.h>

#include "tests/native/formats/picture_builders.h"
#include "view/formats/picture_header.h"
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

TEST(PictureRegistry, HeadersTellTheSizeBeforeAnyDecoding) {
    using namespace pelma::testing;
    const Bytes jpeg = MakeJpeg(48, 20, 3, [](int, int) { return 0x808080u; });
    const Bytes bmp = MakeBmp({.width = 7, .height = -5, .bitCount = 24});
    struct Row {
        Bytes bytes;
        PictureKind kind;
        int width, height;
    } rows[] = {{jpeg, PictureKind::Jpeg, 48, 20},
                {bmp, PictureKind::Bitmap, 7, 5},
                {Bytes{'G', 'I', 'F', '8', '9', 'a', 0x2C, 0x01, 0x10, 0x00}, PictureKind::Gif, 300, 16}};
    for (const Row& r : rows) {
        const auto info = PeekPictureSize(r.bytes.data(), r.bytes.size(), r.kind);
        ASSERT_TRUE(info.has_value()) << static_cast<int>(r.kind);
        EXPECT_EQ(info->width, r.width);
        EXPECT_EQ(info->height, r.height);
        // Cut short, or of another kind: nothing is told, nothing raised.
        EXPECT_FALSE(PeekPictureSize(r.bytes.data(), 5, r.kind));
        EXPECT_FALSE(PeekPictureSize(r.bytes.data(), r.bytes.size(), PictureKind::Png));
    }
    EXPECT_FALSE(PeekPictureSize(jpeg.data(), jpeg.size(), PictureKind::Icon));
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
