// The picture view's fit choice and the Actual-size / Reduce commands on the
// real main window (work area 1024 × 768 under the test display).
#include "picture_files.h"

#include "view/formats/jpeg_reader.h"
#include "view/picture_graphics.h"

namespace pelma::test {
namespace {

class PictureSizing : public MainWindowTest {
protected:
    std::wstring Bmp(int width, int height, std::uint32_t rgb = 0x3366CC) {
        return dir_.Write(L"p" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L".bmp",
                          BitmapFile(width, height, rgb));
    }
    SIZE Client() { return ClientSize(Form().Handle()); }
    // The client area that the work-area-sized window has (no rule applied).
    SIZE WorkAreaClient() {
        Open(Bmp(environment::kWorkAreaWidth, environment::kWorkAreaHeight));
        return Client();
    }
    ui::TAction* MenuAction(const wchar_t* name) {
        for (auto& item : Form().PopupMenu2->Items)
            if (item.Name == name) return item.Action;
        return nullptr;
    }
    // The state table: which command the tool bar offers and which may run.
    void ExpectActualSizeState() {
        TPelmaForm1& f = Form();
        EXPECT_TRUE(f.SpeedButton4->Visible());
        EXPECT_EQ(f.SpeedButton4->Left(), layout::kFirstCommandLeft);
        EXPECT_FALSE(f.SpeedButton2->Visible());
        EXPECT_TRUE(f.ActS->Enabled());
        EXPECT_FALSE(f.ActL->Enabled());
        EXPECT_EQ(f.Image1->Align(), ui::TAlign::None);
        EXPECT_FALSE(f.Image1->Stretch());
        EXPECT_TRUE(f.Image1->AutoSize());
        EXPECT_TRUE(f.Image1->Visible());
    }
    void ExpectReducedState() {
        TPelmaForm1& f = Form();
        EXPECT_TRUE(f.SpeedButton2->Visible());
        EXPECT_EQ(f.SpeedButton2->Left(), layout::kFirstCommandLeft);
        EXPECT_FALSE(f.SpeedButton4->Visible());
        EXPECT_FALSE(f.ActS->Enabled());
        EXPECT_TRUE(f.ActL->Enabled());
        EXPECT_EQ(f.Image1->Align(), ui::TAlign::Client);
        EXPECT_TRUE(f.Image1->Stretch());
        EXPECT_FALSE(f.Image1->AutoSize());
        EXPECT_TRUE(f.Image1->Visible());
        // Shown and set to fill, the picture takes the scroll box's client area.
        SIZE box = ClientSize(f.ScrollBox1->Handle());
        EXPECT_EQ(f.Image1->Width(), box.cx);
        EXPECT_EQ(f.Image1->Height(), box.cy);
    }
};

TEST_F(PictureSizing, SmallPictureGetsATightWindowAndTheCommandsSwap) {
    Open(Bmp(200, 100));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    EXPECT_EQ(Client().cx, 204);
    EXPECT_EQ(Client().cy, 133);
    EXPECT_EQ(Form().Image1->Width(), 200);
    EXPECT_EQ(Form().Image1->Height(), 100);
    EXPECT_FALSE(Form().OpenLabel->Visible());
    ExpectActualSizeState();

    Form().SpeedButton4->Click();
    EXPECT_EQ(Client().cx, 104);  // 100 asked for: the narrowest window with a caption
    EXPECT_EQ(Client().cy, 50 + 29);
    ExpectReducedState();
    Form().SpeedButton4->Click();  // hidden and disabled: nothing happens
    Form().SpeedButton2->Click();
    EXPECT_EQ(Client().cx, 204);
    ExpectActualSizeState();
}

TEST_F(PictureSizing, FitChoiceIsStrictAgainstTheWorkArea) {
    const SIZE full = WorkAreaClient();
    ExpectActualSizeState();
    RECT r;
    GetWindowRect(Form().Handle(), &r);
    EXPECT_EQ(r.right - r.left, environment::kWorkAreaWidth);
    EXPECT_EQ(r.bottom - r.top, environment::kWorkAreaHeight);
    EXPECT_LT(full.cx, environment::kWorkAreaWidth);

    for (SIZE one : {SIZE{environment::kWorkAreaWidth + 1, environment::kWorkAreaHeight},
                     SIZE{environment::kWorkAreaWidth, environment::kWorkAreaHeight + 1}}) {
        Open(Bmp(one.cx, one.cy));
        EXPECT_EQ(Client().cx, one.cx / 2);
        EXPECT_EQ(Client().cy, one.cy / 2 + 29);
        ExpectReducedState();
    }
}

TEST_F(PictureSizing, ActualSizeRulesCompareTheClientAreaOfTheWorkArea) {
    const SIZE full = WorkAreaClient();
    // Narrower and taller: the width fits the picture and a vertical bar.
    Open(Bmp(300, 2000));
    Form().ActLExecute();
    EXPECT_EQ(Client().cx, 321);
    EXPECT_EQ(Client().cy, full.cy);
    LONG_PTR style = GetWindowLongPtrW(Form().ScrollBox1->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & WS_HSCROLL);

    // Wider and lower.
    Open(Bmp(2000, 300));
    Form().ActLExecute();
    EXPECT_EQ(Client().cx, full.cx);
    EXPECT_EQ(Client().cy, 350);

    // Exactly as wide as the client area: no rule; the work-area size stays.
    Open(Bmp(full.cx, 300));
    EXPECT_EQ(Client().cx, full.cx);
    EXPECT_EQ(Client().cy, full.cy);

    // Narrower, and less than 33 pixels lower than the client area: rule 3
    // makes the window taller than the work area allowed (within the largest
    // window the window manager allows here).
    const int h = full.cy - 30;
    Open(Bmp(500, h));
    EXPECT_EQ(Client().cx, 504);
    EXPECT_EQ(Client().cy, h + 33);
    EXPECT_GT(Client().cy, full.cy);
    ExpectActualSizeState();
}

TEST_F(PictureSizing, ActualSizeKeepsTheWindowsLeftEdge) {
    Form().SetBounds(100, 20, 300, 300);
    Open(Bmp(environment::kWorkAreaWidth, environment::kWorkAreaHeight));
    RECT r;
    GetWindowRect(Form().Handle(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 100 + environment::kWorkAreaWidth);  // past the work area's right edge
}

TEST_F(PictureSizing, ReduceHalvesTheSizesSetOnAHiddenPicture) {
    // The picture branch hides Image1 before the command runs: the halved
    // sizes stay as set while the client size is computed from them.
    Open(Bmp(641, 507));
    Open(dir_.Write(L"note.txt", std::string("text")));
    ASSERT_FALSE(Form().Image1->Visible());
    Form().ActSExecute();
    EXPECT_EQ(Client().cx, 320);
    EXPECT_EQ(Client().cy, 253 + 29);
    ExpectReducedState();
}

TEST_F(PictureSizing, ReduceOfAPictureBeyondTwiceTheWorkAreaIsNotLimited) {
    Open(Bmp(2200, 1700));
    ExpectReducedState();
    // 1100 × 879 is asked for; the window manager clamps to its largest window.
    RECT r;
    GetWindowRect(Form().Handle(), &r);
    EXPECT_GT(r.right - r.left, environment::kWorkAreaWidth);
    EXPECT_GT(r.bottom - r.top, environment::kWorkAreaHeight);
}

TEST_F(PictureSizing, WelcomeScreenReduceFromTheMenuFillsTheScrollBox) {
    TPelmaForm1& f = Form();
    ASSERT_TRUE(f.Image1->Visible());
    const SIZE box = ClientSize(f.ScrollBox1->Handle());
    ASSERT_TRUE(MenuAction(L"N8")->Execute());
    // The halved splash sizes give way at once to the scroll box's area.
    EXPECT_EQ(Client().cx, box.cx);
    EXPECT_EQ(Client().cy, box.cy + 29);
    ExpectReducedState();
    EXPECT_FALSE(MenuAction(L"N8")->Execute());  // disabled now
}

TEST_F(PictureSizing, MenuCommandsWhileATextIsShownActOnTheHeldPicture) {
    Open(Bmp(400, 200));
    Open(dir_.Write(L"note.txt", std::string("just text")));
    TPelmaForm1& f = Form();
    ASSERT_TRUE(f.Memo1->Visible());
    ASSERT_FALSE(f.Image1->Visible());
    // The last command was Actual size: only Reduce is enabled.
    EXPECT_FALSE(MenuAction(L"N10")->Execute());
    ASSERT_TRUE(MenuAction(L"N8")->Execute());
    EXPECT_EQ(Client().cx, 200);
    EXPECT_EQ(Client().cy, 129);
    EXPECT_TRUE(f.Image1->Visible());
    EXPECT_TRUE(f.Memo1->Visible());  // stays in front
    ASSERT_TRUE(MenuAction(L"N10")->Execute());
    EXPECT_EQ(Client().cx, 404);
    EXPECT_EQ(Client().cy, 233);
    EXPECT_FALSE(f.SpeedButton2->Visible() && f.SpeedButton4->Visible());
}

TEST_F(PictureSizing, AFailedLoadLeavesThePreviousPictureToTheCommands) {
    Open(Bmp(400, 200));
    Open(dir_.Write(L"a.dib", BitmapFile(20, 10, 0)));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_FALSE(Form().Image1->Visible());
    EXPECT_FALSE(Form().SpeedButton2->Visible());
    EXPECT_FALSE(Form().SpeedButton4->Visible());
    ASSERT_TRUE(MenuAction(L"N8")->Execute());
    EXPECT_EQ(Client().cx, 200);
    EXPECT_EQ(Client().cy, 129);
}

TEST_F(PictureSizing, EveryIconSizeShowsOnA385Canvas) {
    TPelmaForm1& f = Form();
    Open(Bmp(200, 100));  // Actual size: ActL disabled, ActS enabled
    for (int size : {16, 32, 48}) {
        Open(dir_.Write(L"i" + std::to_wstring(size) + L".ico",
                        pelma::testing::MakeIco(1, {IconEntry(size, 0xFF0000, 16, true)})));
        ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
        EXPECT_EQ(Client().cx, 389);
        EXPECT_EQ(Client().cy, 418);
        EXPECT_EQ(f.Image1->Picture()->Width(), 385);
        EXPECT_EQ(f.Image1->Picture()->Height(), 385);
        EXPECT_EQ(f.Image1->Width(), 385);
        EXPECT_TRUE(f.Image1->Visible());
        EXPECT_FALSE(f.Image1->AutoSize());
        EXPECT_FALSE(f.SpeedButton2->Visible());
        EXPECT_FALSE(f.SpeedButton4->Visible());
        EXPECT_TRUE(f.ActS->Enabled());  // untouched by the icon path
        EXPECT_FALSE(f.ActL->Enabled());

        // On screen: the transparent half is white, the other half the icon's colour.
        ShowAndPaint(f);
        EXPECT_EQ(ShownPixel(f.ScrollBox1->Handle(), 20, 200), 0xFFFFFFu);
        EXPECT_TRUE(Near(ShownPixel(f.ScrollBox1->Handle(), 360, 200), 0xFF0000));
        EXPECT_EQ(ShownPixel(f.ScrollBox1->Handle(), 190, 380), 0xFFFFFFu);
    }
}

TEST_F(PictureSizing, DrawsUnscaledAtActualSizeAndScaledWhenReduced) {
    TPelmaForm1& f = Form();
    // One-pixel black and white stripes: only a real reduction averages them to gray.
    Open(dir_.Write(L"stripes.bmp", PatternBitmap(400, 300, [](int x, int y) {
                        if (y < 10) return 0xFF0000u;
                        return x % 2 ? 0xFFFFFFu : 0x000000u;
                    })));
    ShowAndPaint(f);
    HWND box = f.ScrollBox1->Handle();
    EXPECT_EQ(ShownPixel(box, 5, 2), 0xFF0000u);
    EXPECT_EQ(ShownPixel(box, 100, 100), 0x000000u);
    EXPECT_EQ(ShownPixel(box, 101, 100), 0xFFFFFFu);

    f.ActSExecute();
    ShowAndPaint(f);
    ASSERT_EQ(Client().cx, 200);
    EXPECT_TRUE(Near(ShownPixel(box, 1, 1), 0xFF0000, 40));
    for (int x = 50; x < 56; ++x) EXPECT_TRUE(Near(ShownPixel(box, x, 100), 0x808080, 48)) << x;
}

TEST_F(PictureSizing, ScrollBarsAndWheelMoveTheActualSizePicture) {
    TPelmaForm1& f = Form();
    // Each 100 × 100 block has its own colour.
    auto colour = [](int x, int y) {
        return static_cast<std::uint32_t>(((x / 100) * 40) << 16 | ((y / 100) * 40) << 8);
    };
    Open(dir_.Write(L"big.bmp", PatternBitmap(1500, 1200, colour)));
    f.ActLExecute();
    ShowAndPaint(f);
    HWND box = f.ScrollBox1->Handle();
    LONG_PTR style = GetWindowLongPtrW(box, GWL_STYLE);
    ASSERT_TRUE(style & WS_VSCROLL);
    ASSERT_TRUE(style & WS_HSCROLL);
    EXPECT_EQ(ShownPixel(box, 50, 50), colour(50, 50));

    SendMessageW(box, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    SendMessageW(box, WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    POINT off = f.ScrollBox1->ScrollOffset();
    EXPECT_GT(off.y, 100);
    EXPECT_EQ(off.x, f.ScrollBox1->LineSize);
    ShowAndPaint(f);
    EXPECT_EQ(ShownPixel(box, 50, 50), colour(50 + off.x, 50 + off.y));

    // The wheel scrolls back up.
    POINT centre = {100, 100};
    ClientToScreen(box, &centre);
    SendMessageW(box, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(centre.x, centre.y));
    EXPECT_EQ(f.ScrollBox1->ScrollOffset().y, off.y - 3 * f.ScrollBox1->LineSize);
    SendMessageW(box, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    ShowAndPaint(f);
    SIZE c = ClientSize(box);
    EXPECT_EQ(ShownPixel(box, 10, c.cy - 1), colour(off.x + 10, 1199));
}

TEST_F(PictureSizing, AJpegIsDecodedWhenFirstDrawnAndOnlyThen) {
    TPelmaForm1& f = Form();
    Open(dir_.Write(L"photo.jpg", PlainJpeg(300, 200, 0x2040C0)));
    auto* jpeg = dynamic_cast<TJPEGImage*>(f.Image1->Picture().get());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_FALSE(jpeg->Decoded());  // the fit choice needs no pixels
    ShowAndPaint(f);
    EXPECT_EQ(jpeg->DecodeCount(), 1);
    EXPECT_TRUE(Near(ShownPixel(f.ScrollBox1->Handle(), 150, 100), 0x2040C0));
    f.ActSExecute();
    ShowAndPaint(f);
    ShowAndPaint(f);
    EXPECT_EQ(jpeg->DecodeCount(), 1);
    EXPECT_TRUE(Near(ShownPixel(f.ScrollBox1->Handle(), 75, 50), 0x2040C0));
}

// Decoded pixels against what libjpeg alone makes of the file at that scale.
std::size_t DifferingPixels(TJPEGImage& jpeg, const Bytes& bytes, int scale) {
    std::vector<std::uint32_t> expected;
    int w = 0, h = 0;
    DecodeJpegInto(
        bytes.data(), bytes.size(), false,
        [&](int width, int height) {
            w = width, h = height;
            expected.assign(static_cast<std::size_t>(w) * h, 0);
            return PixelRows{reinterpret_cast<std::uint8_t*>(expected.data()),
                             static_cast<std::size_t>(w) * 4, w, h, 4};
        },
        {}, kMaxPictureBytes, scale);
    if (jpeg.DecodedWidth() != w) return expected.size() + 1;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB};
    std::vector<std::uint32_t> shown(expected.size());
    ui::ScreenDc screen;
    if (GetDIBits(screen.get(), jpeg.Handle(), 0, static_cast<UINT>(h), shown.data(), &bi, DIB_RGB_COLORS) !=
        h)
        return expected.size() + 1;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) differing += ((shown[i] ^ expected[i]) & 0xFFFFFF) != 0;
    return differing;
}

// A photograph larger than the screen is decoded straight at half its size
// for the reduced view, and whole once it is shown at its actual size; one
// that fits is decoded whole, with its memory brought in on a second core.
// Every pixel is what libjpeg alone makes of the file at that scale, the
// reduced view is scaled from all of it, and a picture replaced before it
// was ever drawn goes quietly.
TEST_F(PictureSizing, AJpegIsDecodedAtTheScaleItIsShownAt) {
    TPelmaForm1& f = Form();
    const std::uint32_t quarters[] = {0xC02020, 0x20C020, 0x2020C0, 0xE0E040};
    const Bytes bytes = pelma::testing::MakeJpeg(
        1600, 1200, 3, [&](int x, int y) { return quarters[(y < 600 ? 0 : 2) + (x < 800 ? 0 : 1)]; });
    Open(dir_.Write(L"large.jpg", bytes));
    auto* jpeg = dynamic_cast<TJPEGImage*>(f.Image1->Picture().get());
    ASSERT_NE(jpeg, nullptr);
    ShowAndPaint(f);
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    ExpectReducedState();
    EXPECT_EQ(jpeg->DecodeCount(), 1);
    EXPECT_EQ(DifferingPixels(*jpeg, bytes, 2), 0u);
    HWND box = f.ScrollBox1->Handle();
    const SIZE c = ClientSize(box);
    EXPECT_TRUE(Near(ShownPixel(box, c.cx / 4, c.cy / 4), quarters[0]));
    EXPECT_TRUE(Near(ShownPixel(box, c.cx * 3 / 4, c.cy / 4), quarters[1]));
    EXPECT_TRUE(Near(ShownPixel(box, c.cx / 4, c.cy * 3 / 4), quarters[2]));
    EXPECT_TRUE(Near(ShownPixel(box, c.cx * 3 / 4, c.cy * 3 / 4), quarters[3]));

    f.ActLExecute();
    ShowAndPaint(f);
    EXPECT_EQ(jpeg->DecodeCount(), 2);
    EXPECT_EQ(DifferingPixels(*jpeg, bytes, 1), 0u);
    EXPECT_TRUE(Near(ShownPixel(box, 10, 10), quarters[0]));
    f.ActSExecute();  // the whole picture serves the reduced view too
    ShowAndPaint(f);
    EXPECT_EQ(jpeg->DecodeCount(), 2);
    EXPECT_TRUE(Near(ShownPixel(box, c.cx * 3 / 4, c.cy * 3 / 4), quarters[3]));

    // 1000 × 560 fits the screen: shown at actual size, its 2.2 MB of pixels
    // made ready while the window is laid out.
    const Bytes fits = pelma::testing::MakeJpeg(
        1000, 560, 3, [&](int x, int y) { return quarters[(y < 280 ? 0 : 2) + (x < 500 ? 0 : 1)]; });
    Open(dir_.Write(L"fits.jpg", fits));
    jpeg = dynamic_cast<TJPEGImage*>(f.Image1->Picture().get());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_FALSE(f.ActL->Enabled());
    ShowAndPaint(f);
    EXPECT_EQ(jpeg->DecodeCount(), 1);
    EXPECT_EQ(DifferingPixels(*jpeg, fits, 1), 0u);

    Open(dir_.Write(L"second.jpg", bytes));
    Open(dir_.Write(L"note.txt", Bytes{'h', 'i'}));
    ShowAndPaint(f);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(f.Memo1->Text(), L"hi");
}

}  // namespace
}  // namespace pelma::test
