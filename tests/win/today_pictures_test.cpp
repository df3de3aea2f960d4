// Today's pictures through ViewFile on the real main window: PNG with
// transparency over the view's background, animated GIF and WebP playing at
// their delays and stopping when another file opens, PNG and maskless icons,
// CMYK and turned JPEG photographs, and damaged files of each new kind.
#include "media_support.h"
#include "picture_files.h"
#include "tests/native/formats/gif_builder.h"
#include "view/animated_picture.h"
#include "view/formats/png_reader.h"

namespace pelma::test {
namespace {

using pelma::testing::GifFrameSpec;
using pelma::testing::GifSpec;
using pelma::testing::MakeGif;

struct TodaysPictures : MainWindowTest {
    void SetUp() override {
        MainWindowTest::SetUp();
        ShowAndPaint(Form());
    }
    std::wstring Pillow(const wchar_t* name) { return DataFile((std::wstring(L"pillow\\") + name).c_str()); }
    // A picture made at build time by tests/data/make_pictures.sh.
    std::wstring MadePicture(const wchar_t* name) {
        return environment::HostPath(PELMA_TEST_PICTURES_W L"\\") + name;
    }
    // What the picture shows at (x, y) of its own, as painted in the scroll box.
    std::uint32_t At(int x, int y) {
        Pump();
        return ShownPixel(Form().ScrollBox1->Handle(), Form().Image1->Left() + x, Form().Image1->Top() + y);
    }
    TAnimatedPicture* Animation() { return dynamic_cast<TAnimatedPicture*>(Form().Image1->Picture().get()); }
    std::uint32_t Background() {
        const COLORREF c = Form().ScrollBox1->Color();
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
};

// A 20 × 10 animation: frame 1 red, frame 2 green over its right half only
// (disposal "restore to previous"), frame 3 blue in the left half; shown twice.
Bytes ThreeFrameGif(int delayCs) {
    GifSpec s;
    s.width = 20, s.height = 10;
    s.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
    s.netscapeLoops = 1;
    GifFrameSpec red{.left = 0, .top = 0, .width = 20, .height = 10};
    red.indices.assign(200, 0);
    red.delayCs = delayCs;
    GifFrameSpec green{.left = 10, .top = 0, .width = 10, .height = 10};
    green.indices.assign(100, 1);
    green.delayCs = delayCs;
    green.disposal = 3;
    GifFrameSpec blue{.left = 0, .top = 0, .width = 10, .height = 10};
    blue.indices.assign(100, 2);
    blue.delayCs = delayCs;
    s.frames = {red, green, blue};
    return MakeGif(s);
}

// A PNG is decoded as its file is read, buffer by buffer: one several buffers
// long comes out exactly as decoded from memory.
TEST_F(TodaysPictures, APngReadInPiecesIsDecodedWhole) {
    const std::wstring path = MadePicture(L"noise.png");
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 600'000u);
    const DecodedPicture expected = ReadPng(bytes.data(), bytes.size());
    Open(path);
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    auto* bitmap = dynamic_cast<TBitmap*>(Form().Image1->Picture().get());
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), 600);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, 600, -400, 1, 32, BI_RGB};
    std::vector<std::uint32_t> shown(600 * 400);
    ui::ScreenDc screen;
    ASSERT_EQ(GetDIBits(screen.get(), bitmap->Handle(), 0, 400, shown.data(), &bi, DIB_RGB_COLORS), 400);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
        differing += ((shown[i] ^ expected.pixels[i]) & 0xFFFFFF) != 0;
    EXPECT_EQ(differing, 0u);
}

TEST_F(TodaysPictures, TransparentPixelsShowTheViewsBackground) {
    // A gray PNG whose tRNS key makes part of it transparent, a version-5 bitmap
    // with alpha and a WebP with alpha: each fits and shows at actual size.
    for (const wchar_t* name : {L"1_trns.png", L"rgba32.bmp", L"transparent.webp"}) {
        Open(Pillow(name));
        ASSERT_TRUE(Boxes().empty()) << Narrow(name) << ": " << Narrow(Boxes()[0].text);
        EXPECT_TRUE(Form().Image1->Visible());
        EXPECT_FALSE(Form().SpeedButton2->Visible()) << Narrow(name);  // actual size
    }
    // 1_trns.png: its tRNS key makes the white transparent; the black stays.
    Open(Pillow(L"1_trns.png"));
    ASSERT_NE(Background(), 0xFFFFFFu);
    int background = 0, black = 0;
    for (int y = 0; y < 64; y += 4)
        for (int x = 0; x < 64; x += 4) {
            const std::uint32_t c = At(x, y);
            background += c == Background();
            black += c == 0;
        }
    EXPECT_GT(background, 10);
    EXPECT_GT(black, 10);
}

TEST_F(TodaysPictures, AnAnimatedGifPlaysItsFramesWithDisposalAndStopsAtItsLoopEnd) {
    Open(dir_.Write(L"anim.gif", ThreeFrameGif(40)));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    ASSERT_NE(Animation(), nullptr);
    EXPECT_EQ(Form().Image1->Width(), 20);
    EXPECT_TRUE(Near(At(15, 5), 0xFF0000));  // the first frame at once
    EXPECT_TRUE(Animation()->Playing());

    // Frame 2 (green right half), then frame 3: the green is put back to red
    // by its disposal and the blue covers the left half.
    EXPECT_TRUE(PumpUntil([&] { return Animation()->FrameIndex() == 1; }, 2000));
    EXPECT_TRUE(Near(At(15, 5), 0x00FF00));
    EXPECT_TRUE(Near(At(5, 5), 0xFF0000));
    EXPECT_TRUE(PumpUntil([&] { return Animation()->FrameIndex() == 2; }, 2000));
    EXPECT_TRUE(Near(At(15, 5), 0xFF0000));
    EXPECT_TRUE(Near(At(5, 5), 0x0000FF));

    // Shown twice in all (one repeat), then it rests on the last frame.
    const DWORD start = GetTickCount();
    EXPECT_TRUE(PumpUntil([&] { return !Animation()->Playing(); }, 3000));
    EXPECT_GE(GetTickCount() - start, 3 * 40u);  // three more delays at least
    EXPECT_EQ(Animation()->FrameIndex(), 2);
    EXPECT_TRUE(Boxes().empty());
}

// Larger than the screen, an animation plays in the reduced view: each
// frame's area is brought up to date in the reduced copy, and what earlier
// frames drew stays.
TEST_F(TodaysPictures, AnAnimatedGifPlaysReduced) {
    GifSpec s;
    s.width = 1600, s.height = 1200;
    s.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
    GifFrameSpec red{.left = 0, .top = 0, .width = 1600, .height = 1200};
    red.indices.assign(1600 * 1200, 0);
    red.delayCs = 100;  // long enough to be seen again at the next loop
    GifFrameSpec green{.left = 200, .top = 200, .width = 200, .height = 200};
    green.indices.assign(200 * 200, 1);
    green.delayCs = 30;
    GifFrameSpec blue{.left = 1200, .top = 800, .width = 200, .height = 200};
    blue.indices.assign(200 * 200, 2);
    blue.delayCs = 30;
    s.frames = {red, green, blue};
    s.netscapeLoops = 1;
    Open(dir_.Write(L"large.gif", MakeGif(s)));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    ASSERT_NE(Animation(), nullptr);
    ASSERT_TRUE(Form().Image1->Stretch());  // reduced
    // A point of the picture (in its own pixels) where the reduced view shows it.
    auto shown = [&](int x, int y) {
        Pump();
        return ShownPixel(Form().ScrollBox1->Handle(), Form().Image1->Width() * x / 1600,
                          Form().Image1->Height() * y / 1200);
    };
    EXPECT_TRUE(Near(shown(300, 300), 0xFF0000, 40));
    ASSERT_TRUE(PumpUntil([&] { return Animation()->FrameIndex() == 1; }, 3000));
    EXPECT_TRUE(Near(shown(300, 300), 0x00FF00, 40));
    EXPECT_TRUE(Near(shown(1300, 900), 0xFF0000, 40));
    ASSERT_TRUE(PumpUntil([&] { return Animation()->FrameIndex() == 2; }, 3000));
    EXPECT_TRUE(Near(shown(1300, 900), 0x0000FF, 40));
    EXPECT_TRUE(Near(shown(300, 300), 0x00FF00, 40));
    EXPECT_TRUE(Near(shown(800, 600), 0xFF0000, 40));
    // The next loop starts from a cleared canvas: the first frame alone.
    ASSERT_TRUE(PumpUntil([&] { return Animation()->FrameIndex() == 0; }, 3000));
    EXPECT_TRUE(Near(shown(300, 300), 0xFF0000, 40));
    EXPECT_TRUE(Near(shown(1300, 900), 0xFF0000, 40));
}

TEST_F(TodaysPictures, OpeningAnotherFileStopsTheAnimation) {
    Open(dir_.Write(L"short.gif", ThreeFrameGif(1)));  // 10 ms: shown at 100 ms
    ASSERT_NE(Animation(), nullptr);
    TAnimatedPicture* animation = Animation();
    Open(dir_.Write(L"notes.txt", std::string("words")));
    EXPECT_FALSE(animation->Playing());
    const int frame = animation->FrameIndex();
    PumpFor(300);
    EXPECT_EQ(animation->FrameIndex(), frame);
}

TEST_F(TodaysPictures, AnimatedWebPPlaysLikeAGif) {
    // gif2webp's copy of a GIF of red 200 ms, green 0 ms (100 ms), blue 300 ms, shown twice.
    Open(MadePicture(L"anim.webp"));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    ASSERT_NE(Animation(), nullptr);
    EXPECT_EQ(Animation()->FrameCount(), 3);
    EXPECT_TRUE(Near(At(8, 8), 0xFF0000));
    EXPECT_TRUE(PumpUntil([&] { return Animation()->FrameIndex() == 1; }, 2000));
    EXPECT_TRUE(Near(At(8, 8), 0x00FF00));
    EXPECT_TRUE(PumpUntil([&] { return !Animation()->Playing(); }, 4000));
    EXPECT_TRUE(Near(At(8, 8), 0x0000FF));
}

TEST_F(TodaysPictures, AnAnimatedPngPlaysLikeAGif) {
    // Red; a half-transparent green square over it, put back; a blue pixel; shown twice.
    // Under the .apng name that animated PNGs also go by.
    Open(dir_.Write(L"animated.apng", ReadFileBytes(MadePicture(L"png\\animated.png"))));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    ASSERT_NE(Animation(), nullptr);
    EXPECT_EQ(Animation()->FrameCount(), 3);
    EXPECT_TRUE(Near(At(1, 1), 0xFF0000));
    EXPECT_TRUE(PumpUntil([&] { return Animation()->FrameIndex() == 1; }, 2000));
    EXPECT_TRUE(Near(At(1, 1), 0x7F8000, 4));
    EXPECT_TRUE(PumpUntil([&] { return !Animation()->Playing(); }, 4000));
    EXPECT_TRUE(Near(At(0, 0), 0x0000FF));
    EXPECT_TRUE(Near(At(1, 1), 0xFF0000));
}

TEST_F(TodaysPictures, IconsWithPngImagesAndAlphaAreDrawnOnTheCanvas) {
    // One 16 × 16 PNG image (hopper_draw.ico); three 32-bit images with alpha (python.ico).
    for (const wchar_t* name : {L"hopper_draw.ico", L"python.ico"}) {
        Open(Pillow(name));
        ASSERT_TRUE(Boxes().empty()) << Narrow(name) << ": " << Narrow(Boxes()[0].text);
        EXPECT_EQ(Form().Image1->Width(), 385) << Narrow(name);
        // Drawn, not left white: some pixel of the enlarged image is coloured.
        int coloured = 0;
        for (int y = 20; y < 385; y += 24)
            for (int x = 20; x < 385; x += 24) coloured += At(x, y) != 0xFFFFFF;
        EXPECT_GT(coloured, 10) << Narrow(name);
    }
}

TEST_F(TodaysPictures, PhotographsShowUprightAndInRgb) {
    // Stored turned a quarter with orientation 6, it is shown upright: its
    // window is sized by the upright width and height.
    Open(Pillow(L"hopper_orientation_6.jpg"));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    EXPECT_EQ(Form().Image1->Width(), 128);
    EXPECT_EQ(Form().Image1->Height(), 128);
    const std::uint32_t upright = At(10, 100);
    Open(Pillow(L"hopper.jpg"));
    EXPECT_TRUE(Near(At(10, 100), upright, 40));

    // An Adobe CMYK JPEG shows the colours of its RGB copy.
    Open(Pillow(L"pil_sample_rgb.jpg"));
    const std::uint32_t rgb[] = {At(20, 20), At(50, 50), At(80, 30)};
    Open(Pillow(L"pil_sample_cmyk.jpg"));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    EXPECT_TRUE(Near(At(20, 20), rgb[0], 30));
    EXPECT_TRUE(Near(At(50, 50), rgb[1], 30));
    EXPECT_TRUE(Near(At(80, 30), rgb[2], 30));

    // A TIFF tagged as turned a quarter, sized and shown upright; its
    // half-transparent part over the view's background.
    Open(MadePicture(L"tiff\\right-top.tif"));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    EXPECT_EQ(Form().Image1->Width(), 48);
    EXPECT_EQ(Form().Image1->Height(), 64);
    EXPECT_TRUE(Near(At(35, 16), 0xFF0000));
    Open(MadePicture(L"tiff\\alpha.tif"));
    const std::uint32_t bg = Background();
    const auto half = [](std::uint32_t a, std::uint32_t b, int shift) {
        return ((a >> shift & 0xFF) + (b >> shift & 0xFF)) / 2 << shift;
    };
    EXPECT_TRUE(Near(At(48, 12), half(0x00FF00, bg, 16) | half(0x00FF00, bg, 8) | half(0x00FF00, bg, 0), 4));
    EXPECT_TRUE(Near(At(16, 12), 0xFF0000));
    // The same of HEIF and AVIF: an AVIF turned and mirrored, sized upright;
    // a HEIC's half-transparent part over the background.
    Open(MadePicture(L"heif\\turned.avif"));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    EXPECT_EQ(Form().Image1->Width(), 48);
    EXPECT_EQ(Form().Image1->Height(), 64);
    EXPECT_TRUE(Near(At(12, 16), 0xFFFF00, 24));
    Open(MadePicture(L"heif\\alpha.heic"));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    EXPECT_TRUE(Near(At(48, 12), half(0x00FF00, bg, 16) | half(0x00FF00, bg, 8) | half(0x00FF00, bg, 0), 24));
    // A Display P3 photo is painted in the colours of its sRGB copy (the
    // display's profile here is sRGB).
    Open(MadePicture(L"colour\\srgb-copy.png"));
    const std::uint32_t copy = At(10, 10);
    Open(MadePicture(L"colour\\p3.jpg"));
    EXPECT_TRUE(Near(At(10, 10), copy, 4)) << std::hex << At(10, 10) << " " << copy;
}

TEST_F(TodaysPictures, DamagedFilesOfEachNewKindEndInOneMessageAndKeepThePicture) {
    Open(dir_.Write(L"good.bmp", BitmapFile(8, 8, 0x123456)));
    const auto good = Form().Image1->Picture();
    const Bytes gif = ThreeFrameGif(10);
    const std::vector<std::uint8_t> png = ReadFileBytes(Pillow(L"1_trns.png"));
    const std::vector<std::uint8_t> webp = ReadFileBytes(Pillow(L"transparent.webp"));
    const std::vector<std::uint8_t> tiff = ReadFileBytes(MadePicture(L"tiff\\LZW.tif"));
    const std::vector<std::uint8_t> heic = ReadFileBytes(MadePicture(L"heif\\quarters.heic"));
    const struct {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        const wchar_t* message;
    } cases[] = {
        {L"cut.png", {png.begin(), png.begin() + png.size() / 2}, L"PNG イメージが不正です."},
        {L"broken.png", ReadFileBytes(Pillow(L"broken.png")), L"PNG イメージが不正です."},
        {L"cut.gif", {gif.begin(), gif.begin() + 20}, L"GIF イメージが不正です."},
        {L"cut.webp", {webp.begin(), webp.begin() + webp.size() / 2}, L"WebP イメージが不正です."},
        {L"text.webp", {'R', 'I', 'F', 'F', 'x'}, L"WebP イメージが不正です."},
        {L"empty.png", {}, L"PNG イメージが不正です."},
        {L"cut.tif", {tiff.begin(), tiff.begin() + 40}, L"TIFF イメージが不正です."},
        {L"text.tiff", {'I', 'I', '*', 0, 'x'}, L"TIFF イメージが不正です."},
        {L"empty.tif", {}, L"TIFF イメージが不正です."},
        {L"cut.heic", {heic.begin(), heic.begin() + heic.size() / 2}, L"HEIF イメージが不正です."},
        {L"text.avif", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'A', 'V', 'I', 'F'}, L"AVIF イメージが不正です."},
    };
    for (const auto& c : cases) {
        Boxes().clear();
        Open(dir_.Write(c.name, c.bytes));
        ASSERT_EQ(Boxes().size(), 1u) << Narrow(c.name);
        EXPECT_EQ(Boxes()[0].text, c.message) << Narrow(c.name);
        EXPECT_EQ(Form().Image1->Picture(), good) << Narrow(c.name);
        EXPECT_FALSE(Form().Image1->Visible()) << Narrow(c.name);
    }
}

}  // namespace
}  // namespace pelma::test
