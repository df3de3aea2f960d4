// Picture files as they load through ViewFile and draw in the main window:
// every failure with its message, the icon choice, metafile sizes, JPEG
// decoding at first paint, and files closed after every load.
#include "media_support.h"
#include "picture_files.h"

#include <jerror.h>

#include "core/errors.h"
#include "view/file_access.h"
#include "view/formats/png_reader.h"
#include "view/picture_graphics.h"
#include "view/picture_loader.h"

namespace pelma::test {
namespace {

using pelma::testing::IcoEntrySpec;
using pelma::testing::MakeEmf;
using pelma::testing::MakeIco;
using pelma::testing::MakePlaceableWmf;
using pelma::testing::MakeWmfBody;

class PictureFormats : public MainWindowTest {
protected:
    // Opens the file and returns the one message box it gave ("" for none).
    std::wstring MessageOf(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
        Boxes().clear();
        std::wstring path = dir_.Write(name, bytes);
        Open(path);
        ExpectClosed(path);
        EXPECT_LE(Boxes().size(), 1u);
        return Boxes().empty() ? L"" : Boxes()[0].text;
    }
    // Nothing holds the file open: it can be renamed and deleted.
    void ExpectClosed(const std::wstring& path) {
        std::wstring moved = path + L".moved";
        EXPECT_TRUE(MoveFileW(path.c_str(), moved.c_str())) << Narrow(path);
        EXPECT_TRUE(DeleteFileW(moved.c_str())) << Narrow(path);
    }
    HBITMAP Canvas() { return static_cast<TBitmap*>(Form().Image1->Picture().get())->Handle(); }
};

const std::wstring kReadError = L"ストリームからの読み込みエラー.";
const std::wstring kBadBitmap = L"ビットマップイメージが不正です.";
const std::wstring kBadIcon = L"アイコンイメージが不正です.";
const std::wstring kBadMetafile = L"メタファイルが不正です.";

TEST_F(PictureFormats, EveryFailureGivesItsMessageAndKeepsThePicture) {
    Open(dir_.Write(L"good.bmp", BitmapFile(20, 10, 0xFF0000)));
    const auto before = Form().Image1->Picture();

    EXPECT_EQ(MessageOf(L"a.dib", BitmapFile(2, 2, 0)), L"拡張子 .dib の画像形式は処理できません.");
    EXPECT_EQ(MessageOf(L"A.DIB", BitmapFile(2, 2, 0)), L"拡張子 .DIB の画像形式は処理できません.");

    // Read errors: the parts that must be read whole.
    for (std::size_t n : {1u, 13u}) EXPECT_EQ(MessageOf(L"short.bmp", Bytes(n, 'B')), kReadError) << n;
    pelma::testing::BmpSpec paletted;
    paletted.width = 2, paletted.height = 2, paletted.bitCount = 8, paletted.palette = {0, 0xFFFFFF};
    paletted.bits = Bytes(8, 1);
    Bytes cutPalette = pelma::testing::MakeBmp(paletted);
    cutPalette.resize(14 + 40 + 5);
    EXPECT_EQ(MessageOf(L"cutpalette.bmp", cutPalette), kReadError);
    EXPECT_EQ(MessageOf(L"short.ico", Bytes{0, 0, 1, 0, 1}), kReadError);
    Bytes cutEmf = MakeEmf(0, 0, 1000, 1000, 1024, 768, 320, 240);
    cutEmf[48] = 200;  // a total size past the end of the file
    EXPECT_EQ(MessageOf(L"cut.emf", cutEmf), kReadError);

    EXPECT_EQ(MessageOf(L"text.bmp", Bytes(40, 'x')), kBadBitmap);
    pelma::testing::BmpSpec planes;
    planes.width = 1, planes.height = 1, planes.planes = 2, planes.bits = Bytes(4, 0);
    EXPECT_EQ(MessageOf(L"planes.bmp", pelma::testing::MakeBmp(planes)), kBadBitmap);

    EXPECT_EQ(MessageOf(L"cursor.ico", MakeIco(2, {IconEntry(32, 0xFF, 16)})), kBadIcon);

    EXPECT_EQ(MessageOf(L"key.wmf",
                        [] {
                            Bytes b = MakePlaceableWmf(0, 0, 100, 100, 96);
                            b[0] ^= 1;
                            return b;
                        }()),
              kBadMetafile);
    EXPECT_EQ(MessageOf(L"sum.wmf", MakePlaceableWmf(0, 0, 100, 100, 96, true)), kBadMetafile);
    EXPECT_EQ(MessageOf(L"bare.wmf", MakeWmfBody()), kBadMetafile);
    EXPECT_EQ(MessageOf(L"tiny.emf", Bytes(21, 0)), kBadMetafile);

    EXPECT_EQ(MessageOf(L"bitmap.jpg", BitmapFile(4, 4, 0)), L"JPEG エラー #53.");

    EXPECT_EQ(Form().Image1->Picture(), before);
    EXPECT_FALSE(Form().Image1->Visible());
    EXPECT_FALSE(Form().SpeedButton2->Visible());
    EXPECT_FALSE(Form().SpeedButton4->Visible());
}

TEST_F(PictureFormats, OpenFailuresNameTheAbsolutePathAndTheSystemsText) {
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    SetCurrentDirectoryW(dir_.Path().c_str());
    Open(L"missing.jpg");
    std::wstring locked = dir_.Write(L"locked.bmp", BitmapFile(2, 2, 0));
    HANDLE writer = CreateFileW(locked.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    Open(L"locked.bmp");
    CloseHandle(writer);
    SetCurrentDirectoryW(old);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].text, L"ファイル \"" + dir_.File(L"missing.jpg") + L"\". " +
                                   environment::kFileNotFoundText + L" は開けません.");
    EXPECT_EQ(Boxes()[1].text, L"ファイル \"" + dir_.File(L"locked.bmp") + L"\". " +
                                   environment::kSharingViolationText + L" は開けません.");
}

// A read that fails once the file is open (here a handle that may only read
// attributes) is the stream's read error, not the I/O error for the code.
TEST_F(PictureFormats, AReadFailureAfterOpeningIsTheStreamReadError) {
    std::wstring path = dir_.Write(L"region.bmp", BitmapFile(4, 4, 0x123456));
    ui::UniqueFile file(
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    try {
        ReadPictureBytes(file.get());
        ADD_FAILURE() << "the read did not fail";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), L"ストリームからの読み込みエラー");
    }
    // Read as a decoder asks: the bytes end at once, and say why.
    FileByteSource unreadable(file.get());
    std::uint8_t byte = 0;
    EXPECT_EQ(unreadable.Read(&byte, 1), 0u);
    EXPECT_TRUE(unreadable.Failed());
}

TEST_F(PictureFormats, AFileReadAsADecoderAsksGivesEveryByteOnce) {
    Bytes content(700'000);
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    const std::wstring path = dir_.Write(L"pieces.bin", content);
    ui::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    FileByteSource source(file.get());
    Bytes read;
    // Small pieces across the buffer's refills, pieces larger than the buffer,
    // and a piece that runs past the end.
    for (std::size_t piece : {7u, 8192u, 300'000u, 13u, 262'144u, 500'000u}) {
        Bytes part(piece);
        part.resize(source.Read(part.data(), piece));
        read.append(part);
    }
    EXPECT_FALSE(source.Failed());
    EXPECT_EQ(read, content);
    std::uint8_t byte = 0;
    EXPECT_EQ(source.Read(&byte, 1), 0u);
    EXPECT_FALSE(source.Failed());
}

// A placeable metafile of 40 × 40 units at 96 units an inch drawing one
// StretchDIB record of a 4 × 4 bitmap of `bits` bits, all pixels index 1
// (red), whose header leaves the colour count 0: all 2^bits colours.
Bytes MetafileWithBitmap(unsigned bits) {
    Bytes dib;
    dib.u32(40).i32(4).i32(4).u16(1).u16(bits).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    for (unsigned i = 0; i < (1u << bits); ++i) dib.u32(i == 1 ? 0xFF0000 : 0);
    const unsigned stride = (4 * bits + 31) / 32 * 4;
    for (unsigned y = 0; y < 4; ++y) {
        Bytes row(stride, 0);
        for (unsigned x = 0; x < 4; ++x)
            row[x * bits / 8] |= static_cast<std::uint8_t>(1u << (8 - bits - (x * bits) % 8));
        dib.append(row);
    }
    Bytes record;
    record.u32(0).u16(0x0F43);
    for (unsigned w : {0x0020u, 0x00CCu, 0u, 4u, 4u, 0u, 0u, 40u, 40u, 0u, 0u}) record.u16(w);
    record.append(dib);
    record.put32(0, static_cast<std::uint32_t>(record.size() / 2));
    Bytes body;
    body.u16(1).u16(9).u16(0x300).u32(static_cast<std::uint32_t>(9 + record.size() / 2 + 3)).u16(0);
    body.u32(static_cast<std::uint32_t>(record.size() / 2)).u16(0);
    body.append(record).u32(3).u16(0);
    Bytes file = MakePlaceableWmf(0, 0, 40, 40, 96);
    file.resize(22);
    return file.append(body);
}

TEST_F(PictureFormats, MetafilesAreCheckedRecordByRecordBeforeConversion) {
    // Bitmaps that leave their colour count to the bit depth convert and draw
    // (the platform's converter is given the count stated).
    for (unsigned bits : {1u, 4u, 8u}) {
        EXPECT_EQ(MessageOf(L"colours.wmf", MetafileWithBitmap(bits)), L"") << bits;
        ShowAndPaint(Form());
    }
    // Other metafile libraries' test files show (the walker's tests say what is rewritten).
    for (const wchar_t* name : {L"metafile-library-reference.wmf", L"metafile-library-reference.emf",
                                L"metafile-library-check3.emf"}) {
        const std::vector<std::uint8_t> file =
            ReadFileBytes(environment::HostPath(PELMA_SOURCE_DIR_W) + L"\\tests\\data\\" + name);
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(MessageOf(name, file), L"") << Narrow(name);
        ShowAndPaint(Form());
    }
}

// Pillow's drawing.wmf: a red circle that reaches past the right and bottom
// of the placeable box. Pillow's reference rendering (made on Windows at 144
// dpi) fits the whole circle in the box.
TEST_F(PictureFormats, APlaceableMetafileDrawsAsItsReferenceRendering) {
    const std::wstring dir = environment::HostPath(PELMA_SOURCE_DIR_W) + L"\\tests\\data\\pillow\\";
    const std::vector<std::uint8_t> png = ReadFileBytes(dir + L"drawing_wmf_ref_144.png");
    const DecodedPicture ref = ReadPng(png.data(), png.size());
    ASSERT_EQ(ref.width, 164);
    const std::vector<std::uint8_t> wmf = ReadFileBytes(dir + L"drawing.wmf");
    EXPECT_EQ(MessageOf(L"drawing.wmf", wmf), L"");
    // 1369 units at 1200 per inch: 2898 hundredths of a mm, 110 pixels at 96 dpi.
    const int size = Form().Image1->Picture()->Width();
    EXPECT_EQ(size, MulDiv(MulDiv(1369, 2540, 1200), ui::ScreenCaps(LOGPIXELSY), 2540));
    ShowAndPaint(Form());
    Pump();
    auto red = [](std::uint32_t c) {
        return (c >> 16 & 0xFF) > 160 && (c >> 8 & 0xFF) < 100 && (c & 0xFF) < 100;
    };
    int samples = 0, differing = 0;
    for (int y = 0; y < size; y += 2)
        for (int x = 0; x < size; x += 2) {
            const std::uint32_t shown =
                ShownPixel(Form().ScrollBox1->Handle(), Form().Image1->Left() + x, Form().Image1->Top() + y);
            const std::uint32_t want =
                ref.pixels[static_cast<std::size_t>(y * ref.height / size) * ref.width +
                           x * ref.width / size];
            ++samples;
            differing += red(shown) != red(want);
        }
    // Only the circle's rim may land differently at the other scale (about
    // 3 % of the samples); drawn shifted and clipped, 30 % differed.
    EXPECT_LT(differing, samples / 16) << differing << " of " << samples;
}

// Without units per inch, a Windows metafile takes the size of the enhanced
// metafile that the platform makes from it, converted with MM_ANISOTROPIC and
// then again with the first result's frame right and bottom as extents.
TEST_F(PictureFormats, AMetafileWithoutUnitsPerInchTakesTheSizeOfItsConversion) {
    std::vector<std::uint8_t> wmf =
        ReadFileBytes(environment::HostPath(PELMA_SOURCE_DIR_W) + L"\\tests\\data\\pillow\\drawing.wmf");
    ASSERT_GT(wmf.size(), 22u);
    wmf[14] = wmf[15] = 0;  // units per inch
    std::uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2) sum ^= static_cast<std::uint16_t>(wmf[i] | wmf[i + 1] << 8);
    wmf[20] = static_cast<std::uint8_t>(sum), wmf[21] = static_cast<std::uint8_t>(sum >> 8);

    METAFILEPICT pict{MM_ANISOTROPIC, 0, 0, nullptr};
    const UINT n = static_cast<UINT>(wmf.size() - 22);
    HENHMETAFILE first = SetWinMetaFileBits(n, wmf.data() + 22, nullptr, &pict);
    ASSERT_NE(first, nullptr);
    ENHMETAHEADER h{};
    GetEnhMetaFileHeader(first, sizeof h, &h);
    DeleteEnhMetaFile(first);
    ASSERT_GT(h.rclFrame.left, 0);  // the drawing does not start at the origin
    pict.xExt = h.rclFrame.right, pict.yExt = h.rclFrame.bottom;
    HENHMETAFILE second = SetWinMetaFileBits(n, wmf.data() + 22, nullptr, &pict);
    ASSERT_NE(second, nullptr);
    GetEnhMetaFileHeader(second, sizeof h, &h);
    DeleteEnhMetaFile(second);

    EXPECT_EQ(MessageOf(L"noinch.wmf", wmf), L"");
    EXPECT_EQ(Form().Image1->Picture()->Width(),
              MulDiv(h.rclFrame.right - h.rclFrame.left, h.szlDevice.cx, h.szlMillimeters.cx * 100));
    EXPECT_EQ(Form().Image1->Picture()->Height(),
              MulDiv(h.rclFrame.bottom - h.rclFrame.top, h.szlDevice.cy, h.szlMillimeters.cy * 100));
    ShowAndPaint(Form());
}

// An A4 page (frame 210 × 297 mm): larger than the screen, so it is shown
// reduced, and every part of it is drawn.
TEST_F(PictureFormats, AnA4EnhancedMetafileIsDrawnWhole) {
    const RECT frame{0, 0, 21000, 29700};
    HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    ASSERT_NE(rec, nullptr);
    const int w = MulDiv(210, GetDeviceCaps(rec, HORZRES), GetDeviceCaps(rec, HORZSIZE));
    const int h = MulDiv(297, GetDeviceCaps(rec, VERTRES), GetDeviceCaps(rec, VERTSIZE));
    auto fill = [&](int l, int t, int r, int b, COLORREF c) {
        const RECT area{l * w / 4, t * h / 4, r * w / 4, b * h / 4};
        HBRUSH brush = CreateSolidBrush(c);
        FillRect(rec, &area, brush);
        DeleteObject(brush);
    };
    fill(0, 0, 4, 4, RGB(255, 255, 255));
    fill(0, 0, 1, 1, RGB(255, 0, 0));  // top left
    fill(3, 3, 4, 4, RGB(0, 0, 255));  // bottom right
    fill(1, 1, 3, 3, RGB(0, 160, 0));  // middle
    HENHMETAFILE emf = CloseEnhMetaFile(rec);
    ASSERT_NE(emf, nullptr);
    std::vector<std::uint8_t> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), bytes.data());
    DeleteEnhMetaFile(emf);

    EXPECT_EQ(MessageOf(L"a4.emf", bytes), L"");
    EXPECT_GT(Form().Image1->Picture()->Height(), 1000);  // about 1123 pixels at 96 dpi
    ShowAndPaint(Form());
    Pump();
    auto at = [&](int fx, int fy) {  // a point in eighths of the shown picture
        return ShownPixel(Form().ScrollBox1->Handle(),
                          Form().Image1->Left() + Form().Image1->Width() * fx / 8,
                          Form().Image1->Top() + Form().Image1->Height() * fy / 8);
    };
    ASSERT_GT(Form().Image1->Height(), 100);
    EXPECT_TRUE(Near(at(1, 1), 0xFF0000, 40)) << std::hex << at(1, 1);
    EXPECT_TRUE(Near(at(4, 4), 0x00A000, 40)) << std::hex << at(4, 4);
    EXPECT_TRUE(Near(at(1, 7), 0xFFFFFF, 40)) << std::hex << at(1, 7);
    EXPECT_TRUE(Near(at(7, 7), 0x0000FF, 40)) << std::hex << at(7, 7);

    // At actual size the page scrolls; what is in view is drawn.
    Form().ActLExecute();
    ShowAndPaint(Form());
    Pump();
    EXPECT_EQ(Form().Image1->Height(), Form().Image1->Picture()->Height());
    EXPECT_TRUE(Near(at(1, 1), 0xFF0000, 40)) << std::hex << at(1, 1);
    EXPECT_TRUE(Near(at(3, 3), 0x00A000, 40)) << std::hex << at(3, 3);
    EXPECT_TRUE(Near(at(1, 3), 0xFFFFFF, 40)) << std::hex << at(1, 3);
}

TEST_F(PictureFormats, FilesAreClosedAfterEverySuccessfulLoad) {
    EXPECT_EQ(MessageOf(L"ok.bmp", BitmapFile(3, 3, 0)), L"");
    EXPECT_EQ(MessageOf(L"ok.ico", MakeIco(1, {IconEntry(32, 0xFF, 16)})), L"");
    EXPECT_EQ(MessageOf(L"ok.emf", MakeEmf(0, 0, 1000, 1000, 1024, 768, 320, 240)), L"");
    EXPECT_EQ(MessageOf(L"ok.wmf", MakePlaceableWmf(0, 0, 96, 96, 96)), L"");
    EXPECT_EQ(MessageOf(L"Photo.Jpg", PlainJpeg(8, 8, 0)), L"");
    EXPECT_EQ(MessageOf(L"photo.JPEG", PlainJpeg(8, 8, 0)), L"");
    EXPECT_NE(dynamic_cast<TJPEGImage*>(Form().Image1->Picture().get()), nullptr);
}

TEST_F(PictureFormats, TheIconEntryForTheStandardSizeIsDrawn) {
    // Red 16 × 16 and blue 32 × 32, same colour count: the 32 × 32 one, in either order.
    const IcoEntrySpec red16 = IconEntry(16, 0xFF0000, 16), blue32 = IconEntry(32, 0x0000FF, 16);
    for (const auto& entries :
         {std::vector<IcoEntrySpec>{red16, blue32}, std::vector<IcoEntrySpec>{blue32, red16}}) {
        EXPECT_EQ(MessageOf(L"two.ico", MakeIco(1, entries)), L"");
        ShowAndPaint(Form());
        EXPECT_TRUE(Near(ShownPixel(Form().ScrollBox1->Handle(), 190, 190), 0x0000FF));
    }
    // A 16 × 16 of unlimited colours first, then a 32 × 32 of 16: the 16 × 16 stays.
    EXPECT_EQ(MessageOf(L"first.ico", MakeIco(1, {IconEntry(16, 0xFF0000, 0), blue32})), L"");
    ShowAndPaint(Form());
    EXPECT_TRUE(Near(ShownPixel(Form().ScrollBox1->Handle(), 190, 190), 0xFF0000));
}

TEST_F(PictureFormats, IconTypeZeroShowsTheStockApplicationIcon) {
    EXPECT_EQ(MessageOf(L"stock.ico", Bytes{0, 0, 0, 0, 0, 0}), L"");
    // What the stock icon looks like on the same canvas.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP expected = CreateCompatibleBitmap(screen, 385, 385);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, expected);
    RECT r = {0, 0, 385, 385};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, LoadIconW(nullptr, IDI_APPLICATION), 385, 385, 0, nullptr, DI_NORMAL);
    SelectObject(dc, old);
    DeleteDC(dc);
    int differing = 0, drawn = 0;
    for (int y = 0; y < 385; y += 11)
        for (int x = 0; x < 385; x += 11) {
            std::uint32_t want = BitmapPixel(expected, x, y);
            drawn += want != 0xFFFFFF;
            differing += BitmapPixel(Canvas(), x, y) != want;
        }
    DeleteObject(expected);
    EXPECT_GT(drawn, 100);
    EXPECT_EQ(differing, 0);
}

TEST_F(PictureFormats, EmptyBitmapsAndJpegsTakeTheActualSizePath) {
    for (const wchar_t* name : {L"empty.bmp", L"empty.jpg"}) {
        EXPECT_EQ(MessageOf(name, Bytes()), L"");
        EXPECT_EQ(Form().Image1->Picture()->Width(), 0);
        EXPECT_EQ(Form().Image1->Picture()->Height(), 0);
        EXPECT_EQ(Form().Image1->Width(), 0);
        EXPECT_FALSE(Form().ActL->Enabled());
        EXPECT_TRUE(Form().SpeedButton4->Visible());
        ShowAndPaint(Form());
        Pump();
        EXPECT_TRUE(Boxes().empty());
    }
    auto* jpeg = dynamic_cast<TJPEGImage*>(Form().Image1->Picture().get());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->DecodeCount(), 0);
}

TEST_F(PictureFormats, MetafilesTakeTheirPixelSizes) {
    // 4320 × 2160 units at 1440 per inch: 7620 × 3810 hundredths of a mm, 288 × 144 pixels at 96 dpi.
    EXPECT_EQ(MessageOf(L"inch.wmf", MakePlaceableWmf(0, 0, 4320, 2160, 1440)), L"");
    EXPECT_EQ(Form().Image1->Picture()->Width(), 288);
    EXPECT_EQ(Form().Image1->Picture()->Height(), 144);
    EXPECT_EQ(ClientSize(Form().Handle()).cx, 292);
    // Negative extents round like MulDiv: (10 − 30) units at 96 per inch.
    EXPECT_EQ(MessageOf(L"neg.wmf", MakePlaceableWmf(30, 0, 10, 300, 96)), L"");
    EXPECT_EQ(Form().Image1->Picture()->Width(), 0);
    EXPECT_EQ(Form().Image1->Picture()->Height(), 300);

    // Frame 10000 × 5000 hundredths of a mm on a 1024 × 768 px, 320 × 240 mm
    // device: MulDiv(10000, 1024, 32000) × MulDiv(5000, 768, 24000).
    EXPECT_EQ(MessageOf(L"frame.emf", MakeEmf(0, 0, 10000, 5000, 1024, 768, 320, 240)), L"");
    EXPECT_EQ(Form().Image1->Picture()->Width(), 320);
    EXPECT_EQ(Form().Image1->Picture()->Height(), 160);
    EXPECT_EQ(ClientSize(Form().Handle()).cx, 324);
    ShowAndPaint(Form());
}

TEST_F(PictureFormats, AJpegCutInsideItsFirstScanDrawsWithoutAMessage) {
    const Bytes jpeg =
        pelma::testing::MakeJpeg(64, 64, 3, [](int, int y) { return y < 8 ? 0x00FF00u : 0x0000FFu; });
    const std::size_t sos = pelma::testing::FindMarker(jpeg, 0xDA);
    EXPECT_EQ(
        MessageOf(L"cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(sos) + 60)),
        L"");
    ShowAndPaint(Form());
    Pump();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Near(ShownPixel(Form().ScrollBox1->Handle(), 2, 2), 0x00FF00, 40));
}

TEST_F(PictureFormats, ADecodeFailureAtFirstDrawIsReportedOnce) {
    // A second scan where the frame has room for none: the picture decodes,
    // then the decoder fails at its end.
    const Bytes jpeg = PlainJpeg(64, 48, 0xFF8000);
    const std::size_t sos = pelma::testing::FindMarker(jpeg, 0xDA);
    Bytes twoScans(jpeg.begin(), jpeg.end() - 2);
    twoScans.insert(twoScans.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(sos), jpeg.end());
    EXPECT_EQ(MessageOf(L"twoscans.jpg", twoScans), L"");
    EXPECT_TRUE(Form().Image1->Visible());
    const SIZE client = ClientSize(Form().Handle());
    ShowAndPaint(Form());
    Pump();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"JPEG エラー #" + std::to_wstring(JERR_EOI_EXPECTED) + L".");
    EXPECT_TRUE(Near(ShownPixel(Form().ScrollBox1->Handle(), 10, 10), 0xFF8000, 40));  // kept what decoded
    for (int i = 0; i < 3; ++i) {
        ShowAndPaint(Form());
        Pump();
    }
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(ClientSize(Form().Handle()).cx, client.cx);
    EXPECT_EQ(dynamic_cast<TJPEGImage*>(Form().Image1->Picture().get())->DecodeCount(), 1);

    // Larger than the screen: decoded at half size for the reduced view, then
    // whole for the actual size, failing both times; still one message.
    const Bytes large = PlainJpeg(1600, 1200, 0xFF8000);
    const std::size_t largeSos = pelma::testing::FindMarker(large, 0xDA);
    Bytes largeTwoScans(large.begin(), large.end() - 2);
    largeTwoScans.insert(largeTwoScans.end(), large.begin() + static_cast<std::ptrdiff_t>(largeSos),
                         large.end());
    EXPECT_EQ(MessageOf(L"large.jpg", largeTwoScans), L"");
    ShowAndPaint(Form());
    Pump();
    EXPECT_EQ(Boxes().size(), 1u);
    Form().ActLExecute();
    ShowAndPaint(Form());
    Pump();
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(dynamic_cast<TJPEGImage*>(Form().Image1->Picture().get())->DecodeCount(), 2);
    EXPECT_TRUE(Near(ShownPixel(Form().ScrollBox1->Handle(), 10, 10), 0xFF8000, 40));
}

}  // namespace
}  // namespace pelma::test
