#include <gtest/gtest.h>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/picture_builders.h"
#include "tests/native/formats/picture_files.h"
#include "view/formats/icon_reader.h"

namespace pelma {
namespace {

using testing::Bytes;
using testing::IcoEntrySpec;
using testing::MakeIco;
using testing::MakeIconImage;
using Rows = std::vector<std::vector<std::uint32_t>>;

const std::wstring kInvalid = L"アイコンイメージが不正です";

IconFile Read(const Bytes& b) { return ReadIconFile(b.data(), b.size()); }

using testing::FailureOf;

// A 2 × 2, 4-bit image: red, green / blue, white, with the top-right pixel
// transparent.
Bytes SmallImage() {
    return MakeIconImage(2, 2, 4, {0, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, Rows{{1, 2}, {3, 4}},
                         Rows{{0, 1}, {0, 0}});
}

IcoEntrySpec Entry(unsigned w, unsigned h, unsigned colours, Bytes image = {}) {
    IcoEntrySpec e;
    e.widthByte = w, e.heightByte = h, e.coloursByte = colours,
    e.image = image.empty() ? Bytes(48, 0) : image;
    return e;
}

TEST(IconReader, HeaderAndDirectoryFailures) {
    for (std::size_t n = 0; n < 6; ++n)
        EXPECT_EQ(FailureOf<EReadError>([&] { Read(Bytes(n, 0)); }), L"ストリームからの読み込みエラー");
    EXPECT_EQ(FailureOf<EInvalidGraphic>([] { Read(MakeIco(2, {Entry(32, 32, 0)})); }),
              kInvalid);                                   // a cursor
    EXPECT_TRUE(Read(Bytes{0, 0, 0, 0, 0, 0}).stockIcon);  // type 0: the stock icon, nothing else read
    EXPECT_EQ(FailureOf<EInvalidGraphic>([] { Read(MakeIco(1, {})); }), kInvalid);  // no images

    Bytes shortDirectory = MakeIco(1, {Entry(16, 16, 0), Entry(32, 32, 0)});
    shortDirectory.resize(6 + 16 + 8);
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { Read(shortDirectory); }), kInvalid);

    IcoEntrySpec outside = Entry(16, 16, 0);
    outside.offset = 0xFFFFFFF0;
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { Read(MakeIco(1, {outside})); }), kInvalid);
    IcoEntrySpec tooLong = Entry(16, 16, 0);
    tooLong.bytesInRes = 49;
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { Read(MakeIco(1, {tooLong})); }), kInvalid);

    const IconFile f = Read(MakeIco(1, {Entry(0, 0, 0), Entry(48, 16, 16)}));
    ASSERT_EQ(f.entries.size(), 2u);
    EXPECT_EQ(f.entries[0].width, 256);  // byte 0 is 256
    EXPECT_EQ(f.entries[0].colours, kUnlimitedColours);
    EXPECT_EQ(f.entries[1].height, 16);
    EXPECT_EQ(f.entries[1].colours, 16);
}

TEST(IconReader, ChoiceOfTheEntry) {
    auto choose = [](std::vector<IcoEntrySpec> specs, int screenColours) {
        return ChooseIconEntry(Read(MakeIco(1, specs)).entries, 32, 32, screenColours);
    };
    const int screen = ScreenColours(32, 1);
    EXPECT_EQ(screen, kUnlimitedColours);
    EXPECT_EQ(ScreenColours(4, 1), 16);
    EXPECT_EQ(ScreenColours(8, 1), 256);
    EXPECT_EQ(ScreenColours(1, 4), 16);

    // Same colour count, either order: the standard size wins.
    EXPECT_EQ(choose({Entry(16, 16, 16), Entry(32, 32, 16)}, screen), 1u);
    EXPECT_EQ(choose({Entry(32, 32, 16), Entry(16, 16, 16)}, screen), 0u);
    // A later entry needs at least the colours of the best: 0 counts as unlimited.
    EXPECT_EQ(choose({Entry(16, 16, 0), Entry(32, 32, 16)}, screen), 0u);
    // ...and no more colours than the screen has.
    EXPECT_EQ(choose({Entry(16, 16, 2), Entry(32, 32, 0)}, 256), 0u);
    EXPECT_EQ(choose({Entry(16, 16, 2), Entry(32, 32, 16)}, 16), 1u);
    // A larger entry replaces the best only when it is closer; a smaller one
    // when it is at least as close, so of two at the same distance the
    // smaller wins in either order.
    EXPECT_EQ(choose({Entry(64, 64, 0), Entry(48, 48, 0), Entry(0, 0, 0)}, screen), 1u);
    EXPECT_EQ(choose({Entry(48, 48, 0), Entry(24, 24, 0)}, screen), 1u);
    EXPECT_EQ(choose({Entry(40, 40, 0), Entry(16, 16, 0)}, screen), 0u);
    EXPECT_EQ(choose({Entry(24, 24, 0), Entry(40, 40, 0)}, screen), 0u);
    EXPECT_EQ(choose({Entry(40, 40, 0), Entry(24, 24, 0)}, screen), 1u);
    // Both sides must be the better size.
    EXPECT_EQ(choose({Entry(16, 16, 0), Entry(32, 64, 0)}, screen), 0u);
}

TEST(IconReader, DecodesColourAndMask) {
    const Bytes file = MakeIco(1, {Entry(2, 2, 16, SmallImage())});
    const IconFile f = Read(file);
    const DecodedIcon icon = DecodeIconImage(file.data(), file.size(), f.entries[0]);
    EXPECT_EQ(icon.width, 2);
    EXPECT_EQ(icon.height, 2);
    EXPECT_FALSE(icon.hasAlpha);
    EXPECT_EQ(icon.pixels, (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
    EXPECT_EQ(icon.mask, (std::vector<std::uint8_t>{0, 1, 0, 0}));
    EXPECT_EQ(PackMask(icon, 2), (std::vector<std::uint8_t>{0x40, 0, 0x00, 0}));
    EXPECT_EQ(PackMask(icon, 4).size(), 8u);

    // 32 bits with alpha keep it, straight.
    const Bytes alpha = MakeIconImage(1, 1, 32, {}, Rows{{0x80112233}}, Rows{{0}});
    const Bytes file32 = MakeIco(1, {Entry(1, 1, 0, alpha)});
    const DecodedIcon icon32 = DecodeIconImage(file32.data(), file32.size(), Read(file32).entries[0]);
    EXPECT_TRUE(icon32.hasAlpha);
    EXPECT_EQ(icon32.pixels, (std::vector<std::uint32_t>{0x80112233}));
}

TEST(IconReader, ImagesThatCannotBeMade) {
    auto decode = [](const Bytes& image, unsigned w = 2, unsigned h = 2) {
        const Bytes file = MakeIco(1, {Entry(w, h, 0, image)});
        return FailureOf<EInvalidGraphic>(
            [&] { DecodeIconImage(file.data(), file.size(), Read(file).entries[0]); });
    };
    Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    png.zeros(40);
    EXPECT_EQ(decode(png), kInvalid);
    EXPECT_EQ(decode(SmallImage(), 2, 3), kInvalid);  // header height disagrees with the entry
    EXPECT_EQ(decode(SmallImage(), 4, 2), kInvalid);
    Bytes cut = SmallImage();
    cut.resize(cut.size() - 4);  // the mask's last row missing
    EXPECT_EQ(decode(cut), kInvalid);
    Bytes compressed = SmallImage();
    compressed.put32(16, 2);
    EXPECT_EQ(decode(compressed), kInvalid);

    // An entry made up by the caller outside the file.
    const Bytes file = MakeIco(1, {Entry(2, 2, 0, SmallImage())});
    IconDirEntry bogus = Read(file).entries[0];
    bogus.bytesInRes = 0xFFFFFFFF;
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { DecodeIconImage(file.data(), file.size(), bogus); }),
              kInvalid);
}

// A 32-bit image without its mask rows uses its alpha and is complete; a
// PNG image is decoded when it has the entry's size.
TEST(IconReader, MasklessThirtyTwoBitAndPngImages) {
    const std::vector<std::vector<std::uint32_t>> colours = {{0x80FF0000, 0x00000000},
                                                             {0xFF00FF00, 0x000000FF}};
    Bytes maskless = MakeIconImage(2, 2, 32, {}, colours, {{0, 0}, {0, 0}});
    maskless.resize(maskless.size() - 8);  // both mask rows (4 bytes each) gone
    const Bytes file = MakeIco(1, {Entry(2, 2, 0, maskless)});
    const DecodedIcon icon = DecodeIconImage(file.data(), file.size(), Read(file).entries[0]);
    EXPECT_TRUE(icon.hasAlpha);
    EXPECT_EQ(icon.pixels[0], 0x80FF0000u);
    EXPECT_EQ(icon.pixels[2], 0xFF00FF00u);
    EXPECT_EQ(icon.mask, (std::vector<std::uint8_t>{0, 1, 0, 1}));  // where the alpha is 0
    // With no alpha at all the maskless image is opaque.
    Bytes opaque = MakeIconImage(2, 2, 32, {}, {{0x112233, 0x445566}, {0x778899, 0}}, {{0, 0}, {0, 0}});
    opaque.resize(opaque.size() - 8);
    const Bytes file2 = MakeIco(1, {Entry(2, 2, 0, opaque)});
    const DecodedIcon o = DecodeIconImage(file2.data(), file2.size(), Read(file2).entries[0]);
    EXPECT_EQ(o.pixels[1], 0xFF445566u);
    EXPECT_EQ(o.mask, (std::vector<std::uint8_t>(4, 0)));

    // PNG images: of the entry's size (13 × 11 here), with alpha; of another size, refused.
    const Bytes png = testing::MadePicture("png/type6_8.png");
    const Bytes pngFile = MakeIco(1, {Entry(13, 11, 0, png)});
    const DecodedIcon p = DecodeIconImage(pngFile.data(), pngFile.size(), Read(pngFile).entries[0]);
    EXPECT_EQ(p.width, 13);
    EXPECT_TRUE(p.hasAlpha);
    for (std::size_t i = 0; i < p.pixels.size(); ++i) EXPECT_EQ(p.mask[i], (p.pixels[i] >> 24) == 0 ? 1 : 0);
    const Bytes wrongSize = MakeIco(1, {Entry(16, 16, 0, png)});
    EXPECT_EQ(FailureOf<EInvalidGraphic>(
                  [&] { DecodeIconImage(wrongSize.data(), wrongSize.size(), Read(wrongSize).entries[0]); }),
              kInvalid);
    Bytes cutPng(png.begin(), png.end() - 30);
    const Bytes cutFile = MakeIco(1, {Entry(13, 11, 0, cutPng)});
    EXPECT_EQ(FailureOf<EInvalidGraphic>(
                  [&] { DecodeIconImage(cutFile.data(), cutFile.size(), Read(cutFile).entries[0]); }),
              kInvalid);
}

}  // namespace
}  // namespace pelma
