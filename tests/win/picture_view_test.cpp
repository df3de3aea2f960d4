#include "harness.h"

namespace pelma::test {
namespace {

using PictureView = MainWindowTest;

TEST_F(PictureView, SmallBitmapAtActualSize) {
    Open(dir_.Write(L"small.bmp", BitmapFile(200, 100, 0x3366CC)));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    TPelmaForm1& f = Form();
    SIZE c = ClientSize(f.Handle());
    EXPECT_EQ(c.cx, 204);
    EXPECT_EQ(c.cy, 133);
    EXPECT_TRUE(f.Image1->Visible());
    EXPECT_FALSE(f.Image1->Stretch());
    EXPECT_EQ(f.Image1->Width(), 200);
    EXPECT_TRUE(f.SpeedButton4->Visible());
    EXPECT_EQ(f.SpeedButton4->Left(), 100);
    EXPECT_FALSE(f.SpeedButton2->Visible());
    EXPECT_TRUE(f.ActS->Enabled());
    EXPECT_FALSE(f.ActL->Enabled());
    EXPECT_FALSE(f.OpenLabel->Visible());

    // Reduce: half size, rounded down, stretched to fill the scroll box.
    Open(dir_.Write(L"odd.bmp", BitmapFile(641, 507, 0x00FF00)));
    f.ActSExecute();
    c = ClientSize(f.Handle());
    EXPECT_EQ(c.cx, 320);
    EXPECT_EQ(c.cy, 253 + 29);
    // Shown and set to fill, the picture takes the scroll box's client area.
    SIZE box = ClientSize(f.ScrollBox1->Handle());
    EXPECT_EQ(f.Image1->Width(), box.cx);
    EXPECT_EQ(f.Image1->Height(), box.cy);
    EXPECT_TRUE(f.Image1->Stretch());
    EXPECT_TRUE(f.SpeedButton2->Visible());
    EXPECT_FALSE(f.SpeedButton4->Visible());
    EXPECT_FALSE(f.ActS->Enabled());
    EXPECT_TRUE(f.ActL->Enabled());
}

TEST_F(PictureView, FailedLoadsKeepThePreviousPicture) {
    Open(dir_.Write(L"small.bmp", BitmapFile(20, 10, 0xFF0000)));
    auto before = Form().Image1->Picture();
    Open(dir_.Write(L"a.dib", BitmapFile(20, 10, 0)));
    Open(dir_.Write(L"B.DIB", BitmapFile(20, 10, 0)));
    Open(dir_.Write(L"short.bmp", std::string("BM12345")));
    Open(dir_.Write(L"notbmp.bmp", std::string(40, 'x')));
    Open(dir_.Write(L"bitmap.jpg", BitmapFile(4, 4, 0)));
    Open(dir_.File(L"missing.bmp"));
    ASSERT_EQ(Boxes().size(), 6u);
    EXPECT_EQ(Boxes()[0].text, L"拡張子 .dib の画像形式は処理できません.");
    EXPECT_EQ(Boxes()[1].text, L"拡張子 .DIB の画像形式は処理できません.");
    EXPECT_EQ(Boxes()[2].text, L"ストリームからの読み込みエラー.");
    EXPECT_EQ(Boxes()[3].text, L"ビットマップイメージが不正です.");
    EXPECT_EQ(Boxes()[4].text, L"JPEG エラー #53.");
    EXPECT_EQ(Boxes()[5].text.rfind(L"ファイル \"" + dir_.File(L"missing.bmp") + L"\". ", 0), 0u)
        << Narrow(Boxes()[5].text);
    EXPECT_NE(Boxes()[5].text.find(L" は開けません"), std::wstring::npos);
    EXPECT_EQ(Form().Image1->Picture(), before);
    EXPECT_FALSE(Form().Image1->Visible());
}

TEST_F(PictureView, EmptyBitmapTakesTheActualSizePath) {
    Open(dir_.Write(L"empty.bmp", std::string()));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form().Image1->Picture()->Width(), 0);
    EXPECT_FALSE(Form().ActL->Enabled());
}

}  // namespace
}  // namespace pelma::test
