#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/picture_builders.h"
#include "view/formats/metafile_reader.h"
#include "view/formats/metafile_records.h"

namespace pelma {
namespace {

using testing::Bytes;

const std::wstring kInvalid = L"メタファイルが不正です";
constexpr std::uint64_t kBudget = std::uint64_t{1} << 30;

// A Windows metafile record: its function and parameter words, then raw bytes.
Bytes Record(std::uint16_t fn, std::initializer_list<unsigned> words, const Bytes& tail = {}) {
    Bytes r;
    r.u32(0).u16(fn);
    for (unsigned w : words) r.u16(w);
    r.append(tail);
    if (r.size() % 2) r.u8(0);
    r.put32(0, static_cast<std::uint32_t>(r.size() / 2));
    return r;
}

// The 18-byte header with counts that fit the records, the records, the end record.
Bytes Wmf(const std::vector<Bytes>& records, unsigned objects = 4) {
    Bytes body;
    std::uint32_t largest = 3;
    for (const Bytes& r : records) {
        body.append(r);
        largest = std::max<std::uint32_t>(largest, static_cast<std::uint32_t>(r.size() / 2));
    }
    body.append(Record(0, {}));
    Bytes w;
    w.u16(1).u16(9).u16(0x300).u32(static_cast<std::uint32_t>(9 + body.size() / 2)).u16(objects);
    w.u32(largest).u16(0);
    return w.append(body);
}

// A 40-byte bitmap header.
Bytes Info(std::int32_t width, std::int32_t height, unsigned bits, std::uint32_t colours = 0,
           std::uint32_t compression = 0, std::uint32_t imageSize = 0) {
    Bytes b;
    b.u32(40).i32(width).i32(height).u16(1).u16(bits).u32(compression).u32(imageSize);
    return b.u32(0).u32(0).u32(colours).u32(0);
}

// StretchDIB: rop SRCCOPY, usage, source and destination rectangles, then the bitmap.
Bytes StretchDib(const Bytes& dib, unsigned usage = 0) {
    return Record(0x0F43, {0x0020, 0x00CC, usage, 4, 4, 0, 0, 40, 40, 0, 0}, dib);
}

std::vector<std::uint8_t> Walk(const Bytes& wmf) {
    return CheckWindowsMetafile(wmf.data(), wmf.size(), kBudget);
}

std::wstring WmfFailure(const Bytes& wmf) {
    return testing::FailureOf<EInvalidGraphic>([&] { Walk(wmf); });
}

// The records of a walked metafile, each as its bytes.
std::vector<Bytes> RecordsOf(const std::vector<std::uint8_t>& wmf) {
    std::vector<Bytes> out;
    for (std::size_t p = 18; p < wmf.size();) {
        const std::size_t bytes = 2 * (wmf[p] | (wmf[p + 1] << 8) | (wmf[p + 2] << 16));
        out.emplace_back(wmf.begin() + static_cast<std::ptrdiff_t>(p),
                         wmf.begin() + static_cast<std::ptrdiff_t>(p + bytes));
        p += bytes;
    }
    return out;
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

Bytes FromFile(const char* name) {
    std::ifstream f(std::string(PELMA_SOURCE_DIR) + "/tests/data/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

TEST(MetafileRecords, TheLibraryReferenceFiles) {
    // Their 8-bit bitmaps say "all 256 colours" but carry 100, which the
    // walker states; the enhanced one's regions filled with stock brushes
    // become comments. The Windows one's pattern brushes hold Bitmap16s, made
    // DIBs, and its region says 10,000 scans where none fits the record: it
    // is given as the empty region. Both read.
    const Bytes emf = FromFile("metafile-library-reference.emf"),
                wmf = FromFile("metafile-library-reference.wmf");
    ASSERT_GT(emf.size(), 1000u);
    ASSERT_GT(wmf.size(), 1000u);
    EXPECT_NO_THROW(ReadMetafile(emf.data(), emf.size()));
    EXPECT_NO_THROW(ReadMetafile(wmf.data(), wmf.size()));
}

TEST(MetafileRecords, WindowsMetafileHeaderAndRecordBounds) {
    const Bytes plain = Wmf({Record(0x041B, {0, 0, 10, 10})});
    const std::vector<std::uint8_t> out = Walk(plain);
    EXPECT_EQ(out, std::vector<std::uint8_t>(plain.begin(), plain.end()));

    Bytes trailing = plain;
    trailing.zeros(6);  // bytes after the end record are not handed on
    EXPECT_EQ(Walk(trailing), out);

    Bytes badType = plain;
    badType[0] = 3;
    Bytes badVersion = plain;
    badVersion[5] = 2;
    Bytes shortTotal = plain;
    shortTotal.put32(6, 12);  // fewer words than header and records
    Bytes smallLargest = plain;
    smallLargest.put32(12, 6);  // the rectangle has 7 words
    Bytes noEnd(plain.begin(), plain.end() - 6);
    Bytes zeroSize = plain;
    zeroSize.put32(18, 0);
    Bytes pastEnd = plain;
    pastEnd.put32(18, 0x8000);
    for (const Bytes* b : {&badType, &badVersion, &shortTotal, &smallLargest, &noEnd, &zeroSize, &pastEnd})
        EXPECT_EQ(WmfFailure(*b), kInvalid);
    EXPECT_EQ(WmfFailure(Wmf({Record(0x041B, {0, 0, 10})})), kInvalid);  // a rectangle of 3 words
}

TEST(MetafileRecords, VariableRecordsHoldWhatTheyCount) {
    EXPECT_NO_THROW(Walk(Wmf({Record(0x0324, {2, 0, 0, 5, 5})})));
    EXPECT_EQ(WmfFailure(Wmf({Record(0x0324, {3, 0, 0, 5, 5})})), kInvalid);
    EXPECT_NO_THROW(Walk(Wmf({Record(0x0538, {2, 1, 1, 0, 0, 5, 5})})));
    EXPECT_EQ(WmfFailure(Wmf({Record(0x0538, {2, 1, 0xFFFF, 0, 0, 5, 5})})), kInvalid);
    EXPECT_NO_THROW(Walk(Wmf({Record(0x0521, {3, 0x6261, 0x63, 0, 0})})));
    EXPECT_EQ(WmfFailure(Wmf({Record(0x0521, {9, 0x6261, 0x63, 0, 0})})), kInvalid);
    EXPECT_EQ(WmfFailure(Wmf({Record(0x0626, {15, 100, 0})})), kInvalid);
    const Bytes region = Record(0x06FF, {0, 6, 0, 0, 0, 9, 2, 0, 0, 9, 9, 2, 0, 5, 1, 9, 2});  // 9 scans said
    EXPECT_EQ(RecordsOf(Walk(Wmf({region}))).at(0).at(16), 1);  // the one present
}

TEST(MetafileRecords, ObjectsStayWithinTheHeadersTable) {
    const Bytes pen = Record(0x02FA, {0, 1, 0, 0, 0});
    EXPECT_NO_THROW(Walk(Wmf({pen, Record(0x012D, {0}), Record(0x01F0, {0}), pen}, 1)));
    EXPECT_EQ(WmfFailure(Wmf({pen, pen}, 1)), kInvalid);
    EXPECT_EQ(WmfFailure(Wmf({pen, Record(0x012D, {1})}, 1)), kInvalid);
    EXPECT_EQ(WmfFailure(Wmf({Record(0x01F0, {7})}, 4)), kInvalid);
}

TEST(MetafileRecords, BitmapsFitTheirRecords) {
    // 4 × 4 pixels of 4 bits: 16 colours, rows of 4 bytes.
    const Bytes table = Bytes().zeros(64);
    const Bytes rows = Bytes().zeros(16);
    EXPECT_NO_THROW(Walk(Wmf({StretchDib(Info(4, 4, 4, 16).append(table).append(rows))})));
    // A table shorter than its count says holds the colours present (the
    // pixels come last), as long as there is one and the pixels fit.
    struct Short {
        Bytes dib;
        std::uint32_t colours;  // 0: refused
    } shorter[] = {{Info(4, 4, 4, 16).append(table).append(Bytes().zeros(12)), 15},
                   {Info(4, 4, 4, 16).append(Bytes().zeros(40)), 6},
                   {Info(4, 4, 8).append(Bytes().zeros(400)).append(rows), 100},  // 8 bits, all 256 claimed
                   {Info(4, 4, 4, 16).append(Bytes().zeros(18)), 0},
                   {Info(4, 4, 4, 16).append(Bytes().zeros(12)), 0}};
    for (const Short& c : shorter) {
        if (c.colours == 0) {
            EXPECT_EQ(WmfFailure(Wmf({StretchDib(c.dib)})), kInvalid);
            continue;
        }
        const Bytes walked = RecordsOf(Walk(Wmf({StretchDib(c.dib)})))[0];
        EXPECT_EQ(U32(walked, 28 + 32), c.colours);
    }
    // Palette indices (usage 1) are 2 bytes each; usage 2 has no table.
    EXPECT_NO_THROW(Walk(Wmf({StretchDib(Info(4, 4, 4).append(Bytes().zeros(32)).append(rows), 1)})));
    EXPECT_NO_THROW(Walk(Wmf({StretchDib(Info(4, 4, 4).append(rows), 2)})));
    EXPECT_EQ(WmfFailure(Wmf({StretchDib(Info(4, 4, 4).append(rows), 3)})), kInvalid);
    // Planes, depth and compression the platform draws.
    Bytes planes = Info(4, 4, 24);
    planes[12] = 2;
    EXPECT_EQ(WmfFailure(Wmf({StretchDib(planes.append(Bytes().zeros(48)))})), kInvalid);
    EXPECT_EQ(WmfFailure(Wmf({StretchDib(Info(4, 4, 7).append(Bytes().zeros(200)))})), kInvalid);
    EXPECT_EQ(WmfFailure(Wmf({StretchDib(Info(4, -4, 8, 1, 1, 4).append(Bytes().zeros(8)))})), kInvalid);
    // A compressed picture names its size; its pixels may not exceed the budget.
    EXPECT_NO_THROW(Walk(Wmf({StretchDib(Info(4, 4, 8, 1, 1, 4).append(Bytes().zeros(8)))})));
    EXPECT_EQ(WmfFailure(Wmf({StretchDib(Info(40000, 40000, 8, 1, 1, 4).append(Bytes().zeros(8)))})),
              kInvalid);
    EXPECT_EQ(WmfFailure(Wmf({StretchDib(Info(4, 4, 8, 1, 1, 0).append(Bytes().zeros(8)))})), kInvalid);
    // A pattern brush of style BS_PATTERN has RGB colours whatever its usage says.
    const Bytes brushDib = Info(4, 4, 4, 16).append(table).append(rows);
    const std::vector<Bytes> brush = RecordsOf(Walk(Wmf({Record(0x0142, {3, 1}, brushDib)})));
    EXPECT_EQ(brush[0], Record(0x0142, {3, 0}, brushDib));
    EXPECT_EQ(WmfFailure(Wmf({Record(0x0142, {3, 1}, Info(4, 4, 4, 16).append(Bytes().zeros(16)))})),
              kInvalid);
    EXPECT_NO_THROW(Walk(Wmf({Record(0x0142, {5, 1}, Info(4, 4, 4, 16).append(Bytes().zeros(48)))})));
    // One holding a monochrome Bitmap16 (3 × 2, rows of 2 bytes, the second
    // cut short) becomes the bottom-up DIB it stands for, black and white.
    const Bytes mono = Bytes().u16(0).u16(3).u16(2).u16(2).u8(1).u8(1).u8(0xA0).u8(0).u8(0x40);
    const Bytes asDib = Info(3, 2, 1, 2).u32(0).u32(0xFFFFFF).u32(0x40).u32(0xA0);
    EXPECT_EQ(RecordsOf(Walk(Wmf({Record(0x0142, {3, 0}, mono)})))[0], Record(0x0142, {3, 0}, asDib));
    Bytes eightBit = mono;
    eightBit[9] = 8;  // its colours would be the device's
    EXPECT_EQ(WmfFailure(Wmf({Record(0x0142, {3, 0}, eightBit)})), kInvalid);
    // SetDIBitsToDevice carries only its scan lines.
    const Bytes twoScans = Info(4, 4, 24).append(Bytes().zeros(24));
    EXPECT_NO_THROW(Walk(Wmf({Record(0x0D33, {0, 2, 0, 0, 0, 4, 4, 0, 0}, twoScans)})));
    EXPECT_EQ(WmfFailure(Wmf({Record(0x0D33, {0, 3, 0, 0, 0, 4, 4, 0, 0}, twoScans)})), kInvalid);
}

TEST(MetafileRecords, AllColoursAreStatedForThePlatform) {
    // A colour count of 0 becomes the 2^bits it stands for.
    const Bytes dib = Info(4, 4, 4).append(Bytes().zeros(64)).append(Bytes().zeros(16));
    const std::vector<Bytes> records = RecordsOf(Walk(Wmf({StretchDib(dib)})));
    ASSERT_EQ(records.size(), 2u);
    Bytes expected = StretchDib(dib);
    expected.put32(28 + 32, 16);
    EXPECT_EQ(records[0], expected);

    // A core header becomes the 40-byte one, its colours 4 bytes each.
    Bytes core;
    core.u32(12).u16(2).u16(2).u16(1).u16(1);
    core.u8(1).u8(2).u8(3).u8(4).u8(5).u8(6);  // two colours
    core.u32(0x80000000).u32(0x40000000);      // two rows of 2 pixels
    const std::vector<std::uint8_t> walked = Walk(Wmf({StretchDib(core)}));
    const std::vector<Bytes> converted = RecordsOf(walked);
    Bytes want = StretchDib(
        Info(2, 2, 1, 2).u8(1).u8(2).u8(3).u8(0).u8(4).u8(5).u8(6).u8(0).u32(0x80000000).u32(0x40000000));
    EXPECT_EQ(converted[0], want);
    EXPECT_EQ(U32(walked, 6), walked.size() / 2);  // the header's size and largest record follow
    EXPECT_EQ(U32(walked, 12), want.size() / 2);
}

TEST(MetafileRecords, BlitsWithoutABitmapBecomePatternBlits) {
    // BitBlt of DSTINVERT (0x00550009) without a bitmap: rop, source y and x,
    // a reserved word, height, width, y, x.
    const std::vector<Bytes> out =
        RecordsOf(Walk(Wmf({Record(0x0922, {0x0009, 0x0055, 0, 0, 0, 20, 30, 5, 6})})));
    EXPECT_EQ(out[0], Record(0x061D, {0x0009, 0x0055, 20, 30, 5, 6}));
    const std::vector<Bytes> stretched =
        RecordsOf(Walk(Wmf({Record(0x0B41, {0x0042, 0x0000, 1, 2, 3, 4, 0, 20, 30, 5, 6})})));
    EXPECT_EQ(stretched[0], Record(0x061D, {0x0042, 0x0000, 20, 30, 5, 6}));
    // SRCCOPY needs the source it does not have.
    EXPECT_EQ(WmfFailure(Wmf({Record(0x0922, {0x0020, 0x00CC, 0, 0, 0, 20, 30, 5, 6})})), kInvalid);

    // The old bitmap (type, width, height, bytes a row, planes and bits)
    // holds its rows, each padded to 16 bits.
    Bytes bitmap16;
    bitmap16.u16(0).u16(20).u16(2).u16(4).u8(1).u8(1).zeros(8);
    EXPECT_NO_THROW(Walk(Wmf({Record(0x0922, {0x0020, 0x00CC, 0, 0, 2, 20, 0, 0}, bitmap16)})));
    bitmap16[2] = 40;  // rows of 40 pixels: 12 bytes needed
    EXPECT_EQ(WmfFailure(Wmf({Record(0x0922, {0x0020, 0x00CC, 0, 0, 2, 20, 0, 0}, bitmap16)})), kInvalid);
}

// An enhanced metafile: header (108 bytes), the records, the end record.
Bytes Emf(const std::vector<Bytes>& records, unsigned handles = 2) {
    Bytes e = testing::MakeEmf(0, 0, 1000, 1000, 1024, 768, 320, 240);
    e.resize(108);
    for (const Bytes& r : records) e.append(r);
    e.u32(14).u32(20).u32(0).u32(16).u32(20);
    e.put32(48, static_cast<std::uint32_t>(e.size()));
    e.put32(52, static_cast<std::uint32_t>(records.size() + 2));
    e[56] = static_cast<std::uint8_t>(handles);
    return e;
}

Bytes EmfRecord(std::uint32_t type, const Bytes& fields) {
    Bytes r;
    r.u32(type).u32(static_cast<std::uint32_t>(8 + fields.size())).append(fields);
    return r;
}

// StretchDIBits with the bitmap header and colours, then the pixels.
Bytes StretchDibits(const Bytes& bmi, const Bytes& bits, std::uint32_t cbBits) {
    Bytes f;
    f.zeros(16).zeros(24);  // bounds, destination and source
    f.u32(80).u32(static_cast<std::uint32_t>(bmi.size())).u32(static_cast<std::uint32_t>(80 + bmi.size()));
    f.u32(cbBits).u32(0).u32(0x00CC0020).u32(4).u32(4);
    return EmfRecord(81, f.append(bmi).append(bits));
}

std::wstring EmfFailure(Bytes emf) {
    return testing::FailureOf<EInvalidGraphic>(
        [&] { CheckEnhancedMetafile(emf.data(), emf.size(), kBudget); });
}

TEST(MetafileRecords, EnhancedMetafileRecords) {
    const Bytes rect = EmfRecord(43, Bytes().zeros(16));
    EXPECT_NO_THROW(CheckEnhancedMetafile(Emf({rect}).data(), Emf({rect}).size(), kBudget));
    Bytes noHandles = Emf({rect}, 0);  // no slot even for the metafile itself
    CheckEnhancedMetafile(noHandles.data(), noHandles.size(), kBudget);
    EXPECT_EQ(noHandles[56], 1);
    Bytes count = Emf({rect});
    count.put32(52, 2);
    EXPECT_EQ(EmfFailure(count), kInvalid);
    Bytes afterEnd = Emf({rect});
    afterEnd.append(rect);
    afterEnd.put32(48, static_cast<std::uint32_t>(afterEnd.size()));
    EXPECT_EQ(EmfFailure(afterEnd), kInvalid);
    Bytes oddSize = Emf({rect});
    oddSize.put32(108 + 4, 22);
    EXPECT_EQ(EmfFailure(oddSize), kInvalid);
    EXPECT_EQ(EmfFailure(Emf({EmfRecord(43, Bytes().zeros(8))})),
              kInvalid);  // a rectangle without its corners
    EXPECT_EQ(EmfFailure(Emf({EmfRecord(1, Bytes().zeros(80))})), kInvalid);  // a second header

    // Points and polygon counts.
    Bytes poly;
    poly.zeros(16).u32(2).zeros(16);
    EXPECT_NO_THROW(
        CheckEnhancedMetafile(Emf({EmfRecord(3, poly)}).data(), Emf({EmfRecord(3, poly)}).size(), kBudget));
    poly.put32(16, 3);
    EXPECT_EQ(EmfFailure(Emf({EmfRecord(3, poly)})), kInvalid);

    // Object indices within the header's handle count.
    Bytes pen;
    pen.u32(1).zeros(16);
    EXPECT_NO_THROW(
        CheckEnhancedMetafile(Emf({EmfRecord(38, pen)}).data(), Emf({EmfRecord(38, pen)}).size(), kBudget));
    EXPECT_EQ(EmfFailure(Emf({EmfRecord(38, pen)}, 1)), kInvalid);
    EXPECT_EQ(EmfFailure(Emf({EmfRecord(37, Bytes().u32(5))})), kInvalid);
    Bytes stock = Emf({EmfRecord(37, Bytes().u32(0x80000000))});
    EXPECT_NO_THROW(CheckEnhancedMetafile(stock.data(), stock.size(), kBudget));
    // A region filled with a stock brush becomes a comment; one of the table's brushes stays.
    const auto fillRgn = [](std::uint32_t brush) {
        return EmfRecord(71, Bytes().zeros(16).u32(32).u32(brush).u32(32).u32(1).u32(0).u32(0).zeros(16));
    };
    Bytes filled = Emf({fillRgn(0x80000004)});
    CheckEnhancedMetafile(filled.data(), filled.size(), kBudget);
    EXPECT_EQ(filled[108], 70);
    EXPECT_EQ(filled[116], 64 - 12);
    filled = Emf({fillRgn(1)});
    CheckEnhancedMetafile(filled.data(), filled.size(), kBudget);
    EXPECT_EQ(filled, Emf({fillRgn(1)}));
    EXPECT_EQ(EmfFailure(Emf({fillRgn(2)})), kInvalid);

    // A bitmap's header and colours within its part, its pixels within theirs.
    const Bytes bmi = Info(4, 4, 8, 2).u32(0).u32(0xFFFFFF);
    Bytes good = Emf({StretchDibits(bmi, Bytes().zeros(16), 16)});
    EXPECT_NO_THROW(CheckEnhancedMetafile(good.data(), good.size(), kBudget));
    EXPECT_EQ(EmfFailure(Emf({StretchDibits(bmi, Bytes().zeros(16), 12)})), kInvalid);
    // 8 bits, all 256 colours claimed, 2 carried: the count says 2 once walked.
    Bytes claimed = Emf({StretchDibits(Info(4, 4, 8).u32(0).u32(0xFFFFFF), Bytes().zeros(16), 16)});
    CheckEnhancedMetafile(claimed.data(), claimed.size(), kBudget);
    EXPECT_EQ(claimed, Emf({StretchDibits(Info(4, 4, 8, 2).u32(0).u32(0xFFFFFF), Bytes().zeros(16), 16)}));
    EXPECT_EQ(EmfFailure(Emf({StretchDibits(Info(4, 4, 8), Bytes().zeros(16), 16)})),
              kInvalid);                                                                // not one colour
    EXPECT_EQ(EmfFailure(Emf({StretchDibits(bmi, Bytes().zeros(12), 16)})), kInvalid);  // past the record
}

}  // namespace
}  // namespace pelma
