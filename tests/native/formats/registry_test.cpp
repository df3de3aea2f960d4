#include <gtest/gtest.h>

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

}  // namespace
}  // namespace pelma
