// The picture view's fit choice and the Actual-size / Reduce commands on the
// real main window (work area 1024 × 768 under the test display).
#include "picture_files.h"

#include "ui/application.h"
#include "view/formats/jpeg_reader.h"
#include "view/picture_graphics.h"
#include "view/picture_view.h"

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

// ---------------------------------------------------------------------------
// Fit, zoom, pan and full screen

// Four quadrants of their own colours, with a one-pixel checkerboard in the
// top-left 40 × 40.
std::uint32_t Quadrants(int x, int y, int width, int height) {
    if (x < 40 && y < 40) return (x + y) % 2 ? 0xFFFFFFu : 0x000000u;
    static const std::uint32_t colours[] = {0xC02020, 0x20C020, 0x2020C0, 0xE0E040};
    return colours[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
}

const POINT kCorner = {0, 0};

class PictureZoom : public PictureSizing {
protected:
    std::wstring Photo(int width, int height) {
        return dir_.Write(
            L"q" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L".bmp",
            PatternBitmap(width, height, [=](int x, int y) { return Quadrants(x, y, width, height); }));
    }
    // A key on the main window, through the shortcut dispatch; true when an action ran.
    bool Press(int key, bool ctrl = false) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        const bool ran =
            ui::Application().IsShortCut(MSG{Form().Handle(), WM_KEYDOWN, WPARAM(key), 1, 0, {}});
        state[VK_CONTROL] = state[VK_LCONTROL] = 0;
        SetKeyboardState(state);
        return ran;
    }
    HWND Box() { return Form().ScrollBox1->Handle(); }
    // The picture's pixel drawn at a point of the box, by the picture's own geometry.
    POINT PictureAt(POINT at) {
        const ui::TImage& image = *Form().Image1;
        const POINT origin = Form().ScrollBox1->ChildOrigin(image);
        return {static_cast<LONG>((at.x - origin.x) / Form().Pictures().Scale()),
                static_cast<LONG>((at.y - origin.y) / Form().Pictures().Scale())};
    }
    // The picture's corners where the presentation put it.
    void ExpectShowsWhole() {
        ShowAndPaint(Form());
        const RECT r = Form().Image1->BoundsRect();
        EXPECT_TRUE(Near(ShownPixel(Box(), r.left + 2, r.top + (r.bottom - r.top) * 3 / 4), 0x2020C0));
        EXPECT_TRUE(Near(ShownPixel(Box(), r.right - 3, r.bottom - 3), 0xE0E040));
        EXPECT_TRUE(Near(ShownPixel(Box(), r.right - 3, r.top + 2), 0x20C020));
    }
};

TEST_F(PictureZoom, FitShowsTheWholePictureInTheLargestWindowTheWorkAreaHoldsNeverLarger) {
    TPelmaForm1& f = Form();
    struct Case {
        SIZE picture;
        bool larger;
    } cases[] = {{{3000, 1000}, true}, {{1000, 3000}, true}, {{200, 100}, false}};
    for (const Case& c : cases) {
        Open(Photo(c.picture.cx, c.picture.cy));
        EXPECT_EQ(f.SpeedButton5->Visible(), c.larger);  // the tool bar's way to it, beside the sizing button
        EXPECT_EQ(f.SpeedButton5->Left(), 150);
        ASSERT_TRUE(Press('F'));
        // What a step would draw the next picture of that size at.
        const SIZE drawn = f.Pictures().DrawSize(c.picture.cx, c.picture.cy, ui::WorkArea(), true);
        EXPECT_EQ(f.Pictures().CurrentPresentation(), Presentation::Fit);
        EXPECT_FALSE(f.ActFit->Enabled());
        EXPECT_FALSE(f.SpeedButton5->Visible());
        EXPECT_TRUE(f.SpeedButton2->Visible());
        RECT w;
        GetWindowRect(f.Handle(), &w);
        EXPECT_TRUE(w.left >= 0 && w.top >= 0 && w.right <= 1024 && w.bottom <= 768);
        const SIZE shown = {f.Image1->Width(), f.Image1->Height()};
        EXPECT_NEAR(double(shown.cx) * c.picture.cy / c.picture.cx, shown.cy, 1);  // proportions kept
        if (c.larger) {  // one side fills the work area: the window reaches it
            EXPECT_TRUE(w.right - w.left == 1024 || w.bottom - w.top == 768);
            EXPECT_EQ(shown.cx, drawn.cx);
            EXPECT_EQ(shown.cy, drawn.cy);
        } else {  // never enlarged
            EXPECT_EQ(shown.cx, 200);
            EXPECT_EQ(Client().cx, 204);
            EXPECT_EQ(Client().cy, 133);
        }
        ExpectShowsWhole();
    }
    // Resized, the window fits the picture again; from the menu's item too.
    Open(Photo(3000, 1000));
    ASSERT_TRUE(MenuAction(L"N14")->Execute());
    f.SetClientSize(400, 500);
    EXPECT_EQ(f.Image1->Width(), ClientSize(Box()).cx);
    EXPECT_EQ(f.Image1->Height(), f.Image1->Width() / 3);
    EXPECT_EQ(f.Image1->Top(), (ClientSize(Box()).cy - f.Image1->Height()) / 2);
    ExpectShowsWhole();
    // The sizing commands still lead back.
    f.SpeedButton2->Click();
    ExpectActualSizeState();
}

TEST_F(PictureZoom, ZoomKeepsThePointUnderThePointerAndDrawsSquarePixelsBeyondActualSize) {
    TPelmaForm1& f = Form();
    Open(Photo(800, 600));
    ShowAndPaint(f);
    const POINT at = {30, 20};
    POINT screen = at;
    ClientToScreen(Box(), &screen);
    const POINT before = PictureAt(at);
    // 1.5, 2, 3, 4; sent to the main window too, as the wheel goes to the window with the focus.
    for (int notch = 0; notch < 4; ++notch)
        SendMessageW(notch % 2 ? Box() : f.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA),
                     MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(f.Pictures().Scale(), 4);
    EXPECT_EQ(f.Image1->Width(), 3200);
    EXPECT_NEAR(PictureAt(at).x, before.x, 1);
    EXPECT_NEAR(PictureAt(at).y, before.y, 1);
    // Square pixels: each picture pixel is a 4 × 4 block of its own colour.
    f.Pictures().ZoomTo(4, &kCorner);
    f.ScrollBox1->ScrollTo(0, 0);
    ShowAndPaint(f);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            ASSERT_EQ(ShownPixel(Box(), x, y), Quadrants(x / 4, y / 4, 800, 600)) << x << "," << y;
    // The keys zoom around the centre; Ctrl+0 goes back to the actual size, the window kept.
    const SIZE client = Client();
    ASSERT_TRUE(Press(VK_SUBTRACT, true));
    EXPECT_EQ(f.Pictures().Scale(), 3);
    ASSERT_TRUE(Press('0', true));
    EXPECT_EQ(f.Image1->Width(), 800);
    EXPECT_EQ(Client().cx, client.cx);
    for (int notch = 0; notch < 20; ++notch) Press(VK_OEM_MINUS, true);
    EXPECT_EQ(f.Pictures().Scale(), 1.0 / 16);
    EXPECT_EQ(f.Image1->Width(), 50);  // centred, and smoothly reduced
    ShowAndPaint(f);
    const RECT r = f.Image1->BoundsRect();
    EXPECT_EQ(r.left, (ClientSize(Box()).cx - 50) / 2);
    EXPECT_TRUE(Near(ShownPixel(Box(), r.right - 2, r.bottom - 2), 0xE0E040));
    EXPECT_TRUE(Near(ShownPixel(Box(), r.left + 1, r.top + 1), 0x808080, 64));  // the checkerboard averaged
}

TEST_F(PictureZoom, DraggingPansALargerPictureAndTheScrollBarsFollow) {
    TPelmaForm1& f = Form();
    Open(Photo(800, 600));
    f.Pictures().ZoomTo(4, &kCorner);
    ShowAndPaint(f);
    const POINT from = f.ScrollBox1->ScrollOffset();
    SendMessageW(Box(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 300));
    SendMessageW(Box(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 250));
    SendMessageW(Box(), WM_LBUTTONUP, 0, MAKELPARAM(200, 250));
    const POINT to = f.ScrollBox1->ScrollOffset();
    EXPECT_EQ(to.x, from.x + 100);
    EXPECT_EQ(to.y, from.y + 50);
    EXPECT_EQ(GetScrollPos(Box(), SB_HORZ), to.x);
    EXPECT_EQ(GetScrollPos(Box(), SB_VERT), to.y);
    ShowAndPaint(f);
    const POINT p = PictureAt({100, 100});
    EXPECT_EQ(ShownPixel(Box(), 100, 100), Quadrants(p.x, p.y, 800, 600));
}

TEST_F(PictureZoom, FullScreenShowsThePictureOnBlackAndGivesTheWindowBack) {
    TPelmaForm1& f = Form();
    Open(Photo(3000, 1000));
    ShowAndPaint(f);
    RECT before;
    GetWindowRect(f.Handle(), &before);
    for (int way = 0; way < 2; ++way) {
        const auto picture = f.Image1->Picture();
        if (way == 0)
            ASSERT_TRUE(Press(VK_F11));
        else
            SendMessageW(Box(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
        ASSERT_TRUE(f.Pictures().InFullScreen());
        RECT r;
        GetWindowRect(f.Handle(), &r);
        EXPECT_EQ(r.right - r.left, 1024);
        EXPECT_EQ(r.bottom - r.top, 768);
        EXPECT_FALSE(f.Style() & WS_CAPTION);
        EXPECT_FALSE(f.CoolBar1->Visible());
        EXPECT_TRUE(f.Image1->Width() == 1024 || f.Image1->Height() == 768);  // fitted to the whole screen
        EXPECT_EQ(f.Image1->Picture(), picture);                              // no copy of it
        ShowAndPaint(f);
        EXPECT_EQ(ShownPixel(Box(), 5, 5), 0x000000u);  // beside the picture: black
        // A picture opened by a step is shown full screen too; opened any other way, by the fit choice.
        if (way == 0) {
            EXPECT_TRUE(Near(ShownPixel(Box(), 1000, 300), 0x20C020));
            f.Pictures().Show(Photo(1000, 3000), L"bmp", ui::WorkArea(), true);
            EXPECT_TRUE(f.Pictures().InFullScreen());
            EXPECT_EQ(f.Image1->Height(), 768);
            ASSERT_TRUE(Press(VK_ESCAPE));
        } else {
            SendMessageW(Box(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
        }
        EXPECT_FALSE(f.Pictures().InFullScreen());
        GetWindowRect(f.Handle(), &r);
        EXPECT_TRUE(EqualRect(&r, &before));
        EXPECT_TRUE(f.Style() & WS_CAPTION);
        EXPECT_TRUE(f.CoolBar1->Visible());
        EXPECT_FALSE(Press(VK_ESCAPE));  // Esc is the keyboard's again
    }
    ExpectReducedState();
}

TEST_F(PictureZoom, TheChosenPresentationHoldsForAFolderStepOnly) {
    TPelmaForm1& f = Form();
    Open(Photo(3000, 1000));
    f.ActFitExecute();
    f.Pictures().Show(Photo(1000, 3000), L"bmp", ui::WorkArea(), true);
    EXPECT_EQ(f.Pictures().CurrentPresentation(), Presentation::Fit);
    EXPECT_EQ(f.Image1->Height() + 29 + 4, Client().cy);
    f.Pictures().ZoomTo(2, &kCorner);
    const SIZE client = Client();
    f.Pictures().Show(Photo(800, 600), L"bmp", ui::WorkArea(), true);
    EXPECT_EQ(f.Image1->Width(), 1600);
    EXPECT_EQ(f.Pictures().DrawSize(800, 600, ui::WorkArea(), true).cx, 1600);
    EXPECT_EQ(Client().cx, client.cx);  // the window kept
    Open(Photo(3000, 1000));            // not a step: the fit choice of actual size or reduced
    ExpectReducedState();
    // As the reduced picture is drawn: half, within the largest window the system allows.
    EXPECT_EQ(f.Pictures().DrawSize(3000, 1000, ui::WorkArea(), true).cx, f.Image1->Width());
    EXPECT_EQ(f.Pictures().DrawSize(3000, 1000, ui::WorkArea(), true).cy, f.Image1->Height());
}

}  // namespace
}  // namespace pelma::test
