#include <gtest/gtest.h>

#include <climits>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/picture_builders.h"
#include "view/formats/bitmap_reader.h"

namespace pelma {
namespace {

using testing::BmpSpec;
using testing::Bytes;
using testing::MakeBmp;
using testing::PackRows;
using Rows = std::vector<std::vector<std::uint32_t>>;

DecodedBitmap Read(const Bytes& b, std::uint64_t budget = kMaxPictureBytes) {
    return ReadBitmap(b.data(), b.size(), budget);
}

template <class E>
std::wstring FailureOf(const Bytes& b) {
    return testing::FailureOf<E>([&] { Read(b); });
}

const std::wstring kReadError = L"ストリームからの読み込みエラー";
const std::wstring kInvalid = L"ビットマップイメージが不正です";
const std::wstring kTooLarge = L"画像が大きすぎます";

constexpr std::uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF, K = 0;

BmpSpec Bitmap(std::int32_t w, std::int32_t h, std::uint16_t bits, Bytes data) {
    BmpSpec s;
    s.width = w, s.height = h, s.bitCount = bits, s.bits = std::move(data);
    return s;
}

TEST(BitmapReader, FailureTable) {
    EXPECT_EQ(Read({}).width, 0);
    EXPECT_TRUE(Read({}).pixels.empty());
    for (std::size_t n = 1; n < 14; ++n) EXPECT_EQ(FailureOf<EReadError>(Bytes(n, 'B')), kReadError) << n;

    const Bytes good = MakeBmp(Bitmap(1, 1, 24, PackRows({{R}}, 24)));
    Bytes notBm = good;
    notBm[1] = 'X';
    EXPECT_EQ(FailureOf<EInvalidGraphic>(notBm), kInvalid);
    BmpSpec twoPlanes = Bitmap(1, 1, 24, PackRows({{R}}, 24));
    twoPlanes.planes = 2;
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeBmp(twoPlanes)), kInvalid);

    // The file ends inside the information header, the masks or the colour table.
    EXPECT_EQ(FailureOf<EReadError>(Bytes(good.begin(), good.begin() + 30)), kReadError);
    BmpSpec fields = Bitmap(1, 1, 16, PackRows({{0}}, 16));
    fields.compression = 3, fields.masks = {0xF800, 0x07E0, 0x001F};
    Bytes fieldsCut = MakeBmp(fields);
    fieldsCut.resize(14 + 40 + 6);
    EXPECT_EQ(FailureOf<EReadError>(fieldsCut), kReadError);
    BmpSpec paletted = Bitmap(1, 1, 8, PackRows({{1}}, 8));
    paletted.palette = {R, G};
    paletted.clrUsed = 2;
    Bytes cut = MakeBmp(paletted);
    cut.resize(14 + 40 + 6);
    EXPECT_EQ(FailureOf<EReadError>(cut), kReadError);

    // Layouts this reader refuses.
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeBmp(Bitmap(1, 1, 7, PackRows({{0}}, 8)))), kInvalid);
    BmpSpec rle24 = Bitmap(1, 1, 24, {});
    rle24.compression = 1;
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeBmp(rle24)), kInvalid);
    BmpSpec oddHeader = Bitmap(1, 1, 24, PackRows({{R}}, 24));
    oddHeader.headerSize = 20;
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeBmp(oddHeader)), kInvalid);
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeBmp(Bitmap(-1, 1, 24, PackRows({{R}}, 24)))), kInvalid);
}

TEST(BitmapReader, PalettedDepthsPixelExact) {
    // 1 bit, 3 wide (one partial byte per row), bottom-up.
    BmpSpec one = Bitmap(3, 2, 1, PackRows({{1, 0, 1}, {0, 1, 1}}, 1));
    one.palette = {K, W};
    DecodedBitmap b1 = Read(MakeBmp(one));
    EXPECT_EQ(b1.width, 3);
    EXPECT_EQ(b1.height, 2);
    EXPECT_EQ(b1.pixels, (std::vector<std::uint32_t>{W, K, W, K, W, W}));

    // 4 bits, odd width.
    BmpSpec four = Bitmap(3, 1, 4, PackRows({{2, 0, 1}}, 4));
    four.palette = {R, G, B};
    four.clrUsed = 3;
    EXPECT_EQ(Read(MakeBmp(four)).pixels, (std::vector<std::uint32_t>{B, R, G}));

    // 8 bits with a short table: indices past it are black.
    BmpSpec eight = Bitmap(4, 1, 8, PackRows({{0, 1, 2, 255}}, 8));
    eight.palette = {R, G};
    eight.clrUsed = 2;
    EXPECT_EQ(Read(MakeBmp(eight)).pixels, (std::vector<std::uint32_t>{R, G, K, K}));

    // Core header: 3-byte colour entries.
    BmpSpec core = Bitmap(2, 1, 8, PackRows({{1, 0}}, 8));
    core.headerSize = 12;
    core.palette = std::vector<std::uint32_t>(256, 0x123456);
    core.palette[1] = B;
    EXPECT_EQ(Read(MakeBmp(core)).pixels, (std::vector<std::uint32_t>{B, 0x123456}));
}

TEST(BitmapReader, DirectColourDepthsAndMasks) {
    // 16 bits, default 5-5-5.
    EXPECT_EQ(Read(MakeBmp(Bitmap(3, 1, 16, PackRows({{0x7C00, 0x03E0, 0x4210}}, 16)))).pixels,
              (std::vector<std::uint32_t>{R, G, 0x848484}));
    // 16 bits 5-6-5 from masks after a 40-byte header.
    BmpSpec f565 = Bitmap(2, 1, 16, PackRows({{0xF800, 0x07E0}}, 16));
    f565.compression = 3, f565.masks = {0xF800, 0x07E0, 0x001F};
    EXPECT_EQ(Read(MakeBmp(f565)).pixels, (std::vector<std::uint32_t>{R, G}));
    // 24 bits, top-down.
    BmpSpec topDown = Bitmap(2, -2, 24, PackRows({{R, G}, {B, W}}, 24, true));
    EXPECT_EQ(Read(MakeBmp(topDown)).pixels, (std::vector<std::uint32_t>{R, G, B, W}));
    // 32 bits: the fourth byte is dropped.
    EXPECT_EQ(Read(MakeBmp(Bitmap(2, 1, 32, PackRows({{0xAAFF0000, 0x000000FF}}, 32)))).pixels,
              (std::vector<std::uint32_t>{R, B}));
    // 32 bits with reversed masks inside a 124-byte header.
    BmpSpec v5 = Bitmap(1, 1, 32, PackRows({{0x000000FF}}, 32));
    v5.headerSize = 124, v5.compression = 3, v5.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    EXPECT_EQ(Read(MakeBmp(v5)).pixels, (std::vector<std::uint32_t>{R}));
    // The same masks in the header are ignored without compression 3.
    v5.compression = 0;
    EXPECT_EQ(Read(MakeBmp(v5)).pixels, (std::vector<std::uint32_t>{B}));
}

TEST(BitmapReader, PixelDataOffsetAndTruncation) {
    // A gap before the pixels named by the file header.
    BmpSpec gap = Bitmap(1, 1, 24, PackRows({{G}}, 24));
    gap.offBits = 14 + 40 + 10;
    EXPECT_EQ(Read(MakeBmp(gap)).pixels, (std::vector<std::uint32_t>{G}));
    // An offset past the end of the file: the pixels follow the headers.
    Bytes far = MakeBmp(Bitmap(1, 1, 24, PackRows({{G}}, 24)));
    far.put32(10, 0xFFFFFFF0);
    EXPECT_EQ(Read(far).pixels, (std::vector<std::uint32_t>{G}));
    // Rows cut off by the end of the file are black; the bottom row comes first.
    Bytes cut = MakeBmp(Bitmap(2, 3, 24, PackRows({{R, R}, {G, G}, {B, B}}, 24)));
    cut.resize(cut.size() - 8 - 3);  // the top row and one pixel of the middle row missing
    EXPECT_EQ(Read(cut).pixels, (std::vector<std::uint32_t>{K, K, G, K, B, B}));
}

TEST(BitmapReader, HostileDimensions) {
    const Bytes tiny = PackRows({{R}}, 24);
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeBmp(Bitmap(INT_MAX, INT_MAX, 32, tiny))), kTooLarge);
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeBmp(Bitmap(65536, 65536, 16, tiny))), kTooLarge);
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeBmp(Bitmap(1, INT_MIN, 24, tiny))), kTooLarge);
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeBmp(Bitmap(16385, 16384, 24, tiny))), kTooLarge);
    // Zero sides give the empty bitmap.
    EXPECT_EQ(Read(MakeBmp(Bitmap(0, 5, 24, tiny))).height, 0);
    EXPECT_EQ(Read(MakeBmp(Bitmap(5, 0, 24, tiny))).width, 0);
    // Within a budget a short file still makes the whole picture, black.
    DecodedBitmap big = Read(MakeBmp(Bitmap(300, -200, 24, tiny)), 300 * 200 * 4);
    EXPECT_EQ(big.pixels.size(), 300u * 200u);
    EXPECT_EQ(big.pixels[0], R);
    EXPECT_EQ(big.pixels[1], K);
}

TEST(BitmapReader, Rle8RunsAbsoluteJumpsAndClipping) {
    BmpSpec s = Bitmap(4, 3, 8, {});
    s.compression = 1;
    s.palette = {K, R, G, B, W};
    s.clrUsed = 5;
    s.bits = Bytes{
        3, 1,              // bottom row: R R R
        0, 0,              // end of row
        0, 3, 2, 3, 4, 0,  // absolute: G B W, padded
        0, 2, 2, 1,        // jump from (3, 1) to (5, 2), past the row
        9, 2,              // a run beyond the row: clipped
        0, 2, 0, 9,        // jump past the top: the picture ends
        5, 3,
    };
    DecodedBitmap b = Read(MakeBmp(s));
    // clang-format off
    EXPECT_EQ(b.pixels, (std::vector<std::uint32_t>{K, K, K, K,    // top row: the run starts at x 5
                                                    G, B, W, K,
                                                    R, R, R, K}));
    // clang-format on
}

TEST(BitmapReader, Rle4AndRunsPastThePicture) {
    BmpSpec s = Bitmap(5, 2, 4, {});
    s.compression = 2;
    s.palette = {K, R, G, B};
    s.clrUsed = 4;
    s.bits = Bytes{
        5,   0x12,                       // R G R G R
        0,   0,    0, 3,    0x31, 0x20,  // absolute B R G (two bytes: already 16-bit aligned)
        255, 0x33,                       // far past the row: clipped
        0,   0,    4, 0x11,              // a third row does not exist
        0,   1,
    };
    DecodedBitmap b = Read(MakeBmp(s));
    EXPECT_EQ(b.pixels, (std::vector<std::uint32_t>{B, R, G, B, B, R, G, R, G, R}));

    // RLE data cut off in the middle of an absolute run.
    BmpSpec cut = Bitmap(4, 1, 8, Bytes{0, 4, 1, 2});
    cut.compression = 1;
    cut.palette = {K, R, G};
    cut.clrUsed = 3;
    EXPECT_EQ(Read(MakeBmp(cut)).pixels, (std::vector<std::uint32_t>{R, G, K, K}));
}

}  // namespace
}  // namespace pelma
