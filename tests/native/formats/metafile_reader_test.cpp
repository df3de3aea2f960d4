#include <gtest/gtest.h>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/picture_builders.h"
#include "view/formats/metafile_reader.h"

namespace pelma {
namespace {

using testing::Bytes;
using testing::MakeEmf;
using testing::MakePlaceableWmf;
using testing::MakeWmfBody;

const std::wstring kInvalid = L"メタファイルが不正です";

MetafileData Read(const Bytes& b) { return ReadMetafile(b.data(), b.size()); }

template <class E>
std::wstring FailureOf(const Bytes& b) {
    return testing::FailureOf<E>([&] { Read(b); });
}

TEST(MetafileReader, EnhancedMetafile) {
    Bytes emf = MakeEmf(0, 0, 2540, 1270, 1024, 768, 320, 240);
    const Bytes exact = emf;
    emf.zeros(7);  // bytes after the total size are not part of it
    const MetafileData m = Read(emf);
    EXPECT_TRUE(m.enhanced);
    EXPECT_EQ(m.bytes, exact);
    // 2540 hundredths of a mm on a 1024-pixel, 320-mm device: 81.28 pixels.
    const PictureSize s = EnhancedMetafilePixelSize(m.frame);
    EXPECT_EQ(s.width, 81);
    EXPECT_EQ(s.height, 41);  // 1270 × 768 / 24000 = 40.64

    Bytes longer = exact;
    longer.put32(48, 129);
    EXPECT_EQ(FailureOf<EReadError>(longer), L"ストリームからの読み込みエラー");
    Bytes absurd = exact;
    absurd.put32(48, 0xFFFFFFFF);
    EXPECT_EQ(FailureOf<EReadError>(absurd), L"ストリームからの読み込みエラー");
    Bytes small = exact;
    small.put32(48, 99);
    EXPECT_EQ(FailureOf<EInvalidGraphic>(small), kInvalid);
    Bytes badRecord = exact;
    badRecord.put32(4, 0x10000);
    EXPECT_EQ(FailureOf<EInvalidGraphic>(badRecord), kInvalid);
    // 100 bytes are not enough to be enhanced: then it is no placeable metafile either.
    EXPECT_EQ(FailureOf<EInvalidGraphic>(Bytes(exact.begin(), exact.begin() + 100)), kInvalid);
}

TEST(MetafileReader, EnhancedSizeGuards) {
    EmfFrame f;
    f.frameRight = 1000, f.frameBottom = 1000;
    f.deviceWidthPixels = f.deviceHeightPixels = 100;
    EXPECT_EQ(EnhancedMetafilePixelSize(f).width, 0);  // no millimetres: no division
    f.deviceWidthMm = 0x7FFFFFFF;                      // × 100 overflows an int
    EXPECT_EQ(EnhancedMetafilePixelSize(f).width, 0);
    f.frameLeft = INT32_MIN, f.frameRight = INT32_MAX, f.deviceWidthMm = 10;
    EXPECT_EQ(EnhancedMetafilePixelSize(f).width, 0);
    f.frameLeft = 500, f.frameRight = 0;  // an upside-down frame
    EXPECT_EQ(EnhancedMetafilePixelSize(f).width, 0);
}

TEST(MetafileReader, PlaceableWindowsMetafile) {
    const MetafileData m = Read(MakePlaceableWmf(-100, 0, 1340, 720, 1440));
    EXPECT_FALSE(m.enhanced);
    EXPECT_EQ(m.left, -100);
    EXPECT_EQ(m.right, 1340);
    EXPECT_EQ(m.unitsPerInch, 1440);
    EXPECT_EQ(m.bytes, MakeWmfBody());
    const PictureSize mm = PlaceableMetafileHundredthsMm(m);
    EXPECT_EQ(mm.width, 2540);
    EXPECT_EQ(mm.height, 1270);
    EXPECT_EQ(PlaceableMetafilePixelSize(m, 96)->width, 96);
    EXPECT_EQ(PlaceableMetafilePixelSize(m, 120)->height, 60);

    const MetafileData noInch = Read(MakePlaceableWmf(0, 0, 96, 48, 0));
    EXPECT_EQ(PlaceableMetafileHundredthsMm(noInch).width, 2540);  // 96 units per inch
    EXPECT_FALSE(PlaceableMetafilePixelSize(noInch, 96).has_value());
}

TEST(MetafileReader, NotAPlaceableMetafile) {
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakeWmfBody()), kInvalid);  // no placeable header
    EXPECT_EQ(FailureOf<EInvalidGraphic>(MakePlaceableWmf(0, 0, 10, 10, 96, true)), kInvalid);
    EXPECT_EQ(FailureOf<EInvalidGraphic>({}), kInvalid);
    Bytes shortHeader = MakePlaceableWmf(0, 0, 10, 10, 96);
    shortHeader.resize(21);
    EXPECT_EQ(FailureOf<EInvalidGraphic>(shortHeader), kInvalid);
    shortHeader = MakePlaceableWmf(0, 0, 10, 10, 96);
    shortHeader.resize(22 + 17);  // the metafile header cut short
    EXPECT_EQ(FailureOf<EInvalidGraphic>(shortHeader), kInvalid);
}

}  // namespace
}  // namespace pelma
