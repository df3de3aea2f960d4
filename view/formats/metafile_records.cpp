#include "view/formats/metafile_records.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "core/errors.h"
#include "view/formats/byte_order.h"
#include "view/formats/metafile_reader.h"
#include "view/formats/picture_limits.h"

namespace pelma {
namespace {

using formats::I16At;
using formats::I32At;
using formats::U16At;
using formats::U32At;

[[noreturn]] void Invalid() { throw EInvalidGraphic(InvalidMetafileMessage()); }

void Require(bool ok) {
    if (!ok) Invalid();
}

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// ---------------------------------------------------------------------------
// Device-independent bitmaps inside records.

constexpr std::uint32_t kRgbColours = 0;  // colour table of RGB entries
constexpr std::uint32_t kPalColours = 1;  // colour table of 16-bit palette indices
constexpr std::uint32_t kPalIndices = 2;  // no colour table

struct Dib {
    bool core = false;
    std::uint32_t headerSize = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    std::uint64_t tableBytes = 0;  // colour table (or bit masks) after the header
    bool shortTable = false;       // fewer colours than the count said: clrUsed is those present
};

// Checks a bitmap header and its colour table within `bmiLen` bytes at `bmi`,
// and that `bitsLen` bytes hold its pixels (`rows` of them when given, as for
// SetDIBitsToDevice, else every row); with `bitsFollow` the pixels are the
// rest of the `bmiLen` bytes after the table. False when anything does not
// fit or the layout is not one the platform draws. A 1- to 8-bit colour
// table with fewer colours than its count says (writers of such files count
// the whole palette) is taken as the colours present, when there is one:
// d.shortTable says so, and d.clrUsed is their number.
bool CheckDib(const std::uint8_t* bmi, std::uint64_t bmiLen, std::uint64_t bitsLen, std::uint32_t usage,
              std::uint64_t budget, Dib& d, const std::uint64_t* rows = nullptr, bool bitsFollow = false) {
    if (bmiLen < 4 || usage > kPalIndices) return false;
    d.headerSize = U32At(bmi);
    std::int64_t width = 0, height = 0;
    std::uint32_t planes = 0, sizeImage = 0;
    if (d.headerSize == 12) {
        if (bmiLen < 12) return false;
        d.core = true;
        width = U16At(bmi + 4);
        height = U16At(bmi + 6);
        planes = U16At(bmi + 8);
        d.bitCount = U16At(bmi + 10);
    } else if (d.headerSize >= 40 && d.headerSize <= 124) {
        if (bmiLen < d.headerSize) return false;
        width = I32At(bmi + 4);
        height = I32At(bmi + 8);
        planes = U16At(bmi + 12);
        d.bitCount = U16At(bmi + 14);
        d.compression = U32At(bmi + 16);
        sizeImage = U32At(bmi + 20);
        d.clrUsed = U32At(bmi + 32);
    } else {
        return false;
    }
    if (width <= 0 || height == 0 || planes != 1) return false;
    const unsigned bpp = d.bitCount;
    const bool packed = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    bool compressed = false;
    switch (d.compression) {
        case 0:  // BI_RGB
            if (!packed) return false;
            break;
        case 1:  // BI_RLE8
        case 2:  // BI_RLE4
            if (bpp != (d.compression == 1 ? 8u : 4u) || height < 0) return false;
            compressed = true;
            break;
        case 3:  // BI_BITFIELDS
            if (bpp != 16 && bpp != 32) return false;
            break;
        case 4:  // BI_JPEG
        case 5:  // BI_PNG
            // Passed to the device whole (a screen draws none of them), so
            // only their size matters; a top-down one, which the format does
            // not allow, is the device's to refuse, as writers do make them.
            if (bpp != 0) return false;
            compressed = true;
            break;
        default:
            return false;
    }
    const std::uint64_t h = static_cast<std::uint64_t>(height < 0 ? -height : height);
    if (!FitsPixelBudget(static_cast<std::uint64_t>(width), h, budget)) return false;

    const std::uint64_t entrySize = usage == kRgbColours ? (d.core ? 3 : 4) : usage == kPalColours ? 2 : 0;
    std::uint64_t entries = 0;
    if (bpp >= 1 && bpp <= 8)
        entries = d.clrUsed != 0 ? d.clrUsed : (std::uint64_t{1} << bpp);
    else if (d.compression == 0)
        entries = d.clrUsed;  // an optional table for the screen's palette
    d.tableBytes = entries * entrySize;
    if (d.compression == 3 && d.headerSize == 40) d.tableBytes = 12;  // the three masks

    std::uint64_t need = 0;
    if (compressed) {
        if (sizeImage == 0) return false;
        need = sizeImage;
    } else {
        const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bpp + 31) / 32 * 4;
        need = stride * (rows ? std::min(*rows, h) : h);
    }
    const std::uint64_t afterHeader = bmiLen - d.headerSize;
    if (bitsFollow && need > afterHeader) return false;
    const std::uint64_t room = bitsFollow ? afterHeader - need : afterHeader;
    if (d.tableBytes > room) {
        if (bpp < 1 || bpp > 8 || d.core || entrySize == 0 || room < entrySize) return false;
        d.clrUsed = static_cast<std::uint32_t>(room / entrySize);
        d.tableBytes = d.clrUsed * entrySize;
        d.shortTable = true;
    }
    if (bitsFollow) bitsLen = afterHeader - d.tableBytes;
    return need <= bitsLen;
}

// Says the colours present where a table is shorter than its count said, so
// that the platform reads no colour beyond it.
void StateColoursPresent(std::uint8_t* bmi, const Dib& d) {
    if (d.shortTable) Put32(bmi + 32, d.clrUsed);
}

// ---------------------------------------------------------------------------
// Windows metafiles. Record sizes are in 16-bit words; the parameters follow
// the 6-byte record header, and a record's parameters are numbered from 0.

constexpr std::uint16_t kEof = 0x0000;
constexpr std::uint16_t kPatBlt = 0x061D;
constexpr std::uint16_t kBitBlt = 0x0922;
constexpr std::uint16_t kStretchBlt = 0x0B23;
constexpr std::uint16_t kDibBitBlt = 0x0940;
constexpr std::uint16_t kDibStretchBlt = 0x0B41;
constexpr std::uint16_t kStretchDib = 0x0F43;
constexpr std::uint16_t kSetDibToDev = 0x0D33;
constexpr std::uint16_t kDibCreatePatternBrush = 0x0142;
constexpr std::uint16_t kCreatePatternBrush = 0x01F9;

// The fewest parameter words of the records whose length is fixed or starts
// with a fixed part.
const std::unordered_map<std::uint16_t, std::uint32_t>& WmfMinimumParameters() {
    static const std::unordered_map<std::uint16_t, std::uint32_t> table = {
        {0x001E, 0}, {0x0035, 0}, {0x0102, 1}, {0x0103, 1}, {0x0104, 1},  {0x0105, 1}, {0x0106, 1},
        {0x0107, 1}, {0x0108, 1}, {0x0127, 1}, {0x012A, 1}, {0x012B, 1},  {0x012C, 1}, {0x012D, 1},
        {0x012E, 1}, {0x0139, 1}, {0x0149, 2}, {0x01F0, 1}, {0x0201, 2},  {0x0209, 2}, {0x020A, 2},
        {0x020B, 2}, {0x020C, 2}, {0x020D, 2}, {0x020E, 2}, {0x020F, 2},  {0x0211, 2}, {0x0213, 2},
        {0x0214, 2}, {0x0220, 2}, {0x0228, 2}, {0x0231, 2}, {0x0234, 1},  {0x02FA, 5}, {0x02FB, 9},
        {0x02FC, 4}, {0x0410, 4}, {0x0412, 4}, {0x0415, 4}, {0x0416, 4},  {0x0418, 4}, {0x0419, 4},
        {0x041B, 4}, {0x041F, 4}, {0x0429, 4}, {0x0548, 5}, {0x061C, 6},  {0x061D, 6}, {0x0817, 8},
        {0x081A, 8}, {0x0830, 8}, {0x0521, 1}, {0x0A32, 4}, {0x0324, 1},  {0x0325, 1}, {0x0538, 1},
        {0x0626, 2}, {0x00F7, 2}, {0x0037, 2}, {0x0436, 2}, {0x06FF, 11},
    };
    return table;
}

bool CreatesObject(std::uint16_t fn) {
    switch (fn) {
        case 0x00F7:  // CreatePalette
        case 0x00F8:  // CreateBrush
        case 0x01F9:  // CreatePatternBrush
        case 0x0142:  // DibCreatePatternBrush
        case 0x02FA:  // CreatePenIndirect
        case 0x02FB:  // CreateFontIndirect
        case 0x02FC:  // CreateBrushIndirect
        case 0x02FD:  // CreateBitmapIndirect
        case 0x06FE:  // CreateBitmap
        case 0x06FF:  // CreateRegion
            return true;
        default:
            return false;
    }
}

// Raster operations that combine only the pattern and the destination.
bool ReadsSource(std::uint32_t rop) { return ((rop >> 2) & 0x330000) != (rop & 0x330000); }

class WmfWalker {
public:
    WmfWalker(std::uint16_t objects, std::uint64_t budget) : slots_(objects, false), budget_(budget) {}

    // Checks one record (size in words, the whole record in `rec`) and
    // rewrites it in place where the platform needs another form.
    void Check(std::vector<std::uint8_t>& rec) {
        const std::uint16_t fn = U16At(rec.data() + 4);
        const std::uint32_t n = static_cast<std::uint32_t>(rec.size() / 2 - 3);  // parameter words
        auto P = [&](std::uint32_t i) -> std::uint32_t {
            Require(i < n);
            return U16At(rec.data() + 6 + 2 * i);
        };
        const auto& minimum = WmfMinimumParameters();
        if (auto it = minimum.find(fn); it != minimum.end()) Require(n >= it->second);

        switch (fn) {
            case kEof:
                Require(n == 0);
                break;
            case 0x0521:  // TextOut: count, string, y, x
                Require(n >= 3 + (P(0) + 1) / 2);
                break;
            case 0x0A32: {  // ExtTextOut: y, x, count, options, [rectangle], string, [dx]
                const bool rect = (P(3) & 0x0006) != 0;
                Require(n >= 4 + (rect ? 4 : 0) + (P(2) + 1) / 2);
                break;
            }
            case 0x0324:  // Polygon
            case 0x0325:  // Polyline
                Require(n >= 1 + 2 * P(0));
                break;
            case 0x0538: {  // PolyPolygon: polygons, their point counts, the points
                const std::uint32_t polygons = P(0);
                Require(n >= 1 + polygons);
                std::uint64_t points = 0;
                for (std::uint32_t i = 0; i < polygons; ++i) points += P(1 + i);
                Require(1 + polygons + 2 * points <= n);
                break;
            }
            case 0x0626:  // Escape: function, byte count, bytes
                Require(n >= 2 + (P(1) + 1) / 2);
                break;
            case 0x00F7:  // CreatePalette: version, count, entries
            case 0x0037:  // SetPalEntries
            case 0x0436:  // AnimatePalette
                Require(n >= 2 + 2 * P(1));
                break;
            case 0x06FF:
                CheckRegion(rec, n);
                break;
            case kBitBlt:
            case kDibBitBlt:
            case kStretchBlt:
            case kDibStretchBlt:
                CheckBlit(rec, fn, n);
                break;
            case kStretchDib:
                Require(n >= 11);
                CheckRecordDib(rec, 11, P(2), nullptr);
                break;
            case kSetDibToDev: {
                Require(n >= 9);
                const std::uint64_t scans = P(1);
                CheckRecordDib(rec, 9, P(0), &scans);
                break;
            }
            case kDibCreatePatternBrush:
                // Style, colour usage, the bitmap. A BS_PATTERN brush's colours
                // are RGB whatever the usage field says: it is made to say so.
                // Some writers give such a brush the old device-dependent
                // bitmap instead, which a player would read as a DIB header:
                // it is given as the DIB it stands for.
                Require(n >= 2);
                if (P(0) == 3) {
                    Put16(rec.data() + 8, kRgbColours);
                    if (!StartsWithDibHeader(rec, 2)) PatternFromBitmap16(rec);
                }
                CheckRecordDib(rec, 2, U16At(rec.data() + 8), nullptr);
                break;
            case kCreatePatternBrush:
                CheckBitmap16(rec, 0, 18);
                break;
            default:
                break;
        }
        TrackObjects(fn, P, n);
    }

private:
    std::vector<bool> slots_;
    std::uint64_t budget_;

    template <class Param>
    void TrackObjects(std::uint16_t fn, const Param& P, std::uint32_t n) {
        if (CreatesObject(fn)) {
            auto free = std::find(slots_.begin(), slots_.end(), false);
            Require(free != slots_.end());  // more live objects than the header has room for
            *free = true;
            return;
        }
        auto index = [&](std::uint32_t i) {
            Require(i < n && P(i) < slots_.size());
            return P(i);
        };
        switch (fn) {
            case 0x01F0:  // DeleteObject
                slots_[index(0)] = false;
                break;
            case 0x012D:  // SelectObject
            case 0x0234:  // SelectPalette
            case 0x012A:  // InvertRegion
            case 0x012B:  // PaintRegion
                index(0);
                break;
            case 0x012C:  // SelectClipRegion: 0 is no region
                if (P(0) != 0) index(0);
                break;
            case 0x0228:  // FillRegion: brush, region
                index(0), index(1);
                break;
            case 0x0429:  // FrameRegion: height, width, brush, region
                index(2), index(3);
                break;
            default:
                break;
        }
    }

    // A region: its scans, each a count, top, bottom, the count of
    // coordinates and the count again. Writers of such files have said more
    // scans than they wrote; a player that believed the count would read past
    // the record, so it is made the scans present, whole and well delimited,
    // as a colour table's count is made the colours present.
    static void CheckRegion(std::vector<std::uint8_t>& rec, std::uint32_t n) {
        std::uint8_t* p = rec.data() + 6;
        const std::uint32_t scans = U16At(p + 2 * 5);
        std::uint64_t at = 11;
        std::uint32_t whole = 0;
        for (; whole < scans && at < n; ++whole) {
            const std::uint32_t count = U16At(p + 2 * at);
            if (at + 4 + count > n || U16At(p + 2 * (at + 3 + count)) != count) break;
            at += 4 + count;
        }
        if (whole < scans) Put16(p + 2 * 5, whole);
    }

    // A device-independent bitmap from parameter word `first` to the record's end.
    void CheckRecordDib(std::vector<std::uint8_t>& rec, std::uint32_t first, std::uint32_t usage,
                        const std::uint64_t* rows) {
        const std::size_t at = 6 + 2 * std::size_t{first};
        Require(at <= rec.size());
        const std::uint64_t len = rec.size() - at;
        // First the header and table, then the pixels in what remains after them.
        Dib d;
        Require(CheckDib(rec.data() + at, len, 0, usage, budget_, d, rows, true));
        StateColoursPresent(rec.data() + at, d);
        StateColourCount(rec, at, d, usage);
    }

    // A colour count of 0 means all 2^bits colours. Said so explicitly, the
    // bitmap is the same; the platform's metafile converter is then not left
    // to size the colour table on its own.
    static void StateColourCount(std::vector<std::uint8_t>& rec, std::size_t at, const Dib& d,
                                 std::uint32_t usage) {
        if (d.bitCount < 1 || d.bitCount > 8 || usage == kPalIndices) return;
        const std::uint32_t colours = 1u << d.bitCount;
        if (!d.core) {
            if (d.clrUsed == 0) Put32(rec.data() + at + 32, colours);
            return;
        }
        // The core header becomes the 40-byte header, its 3-byte colours 4-byte ones.
        const std::uint8_t* core = rec.data() + at;
        std::vector<std::uint8_t> info(40, 0);
        Put32(&info[0], 40);
        Put32(&info[4], U16At(core + 4));
        Put32(&info[8], U16At(core + 6));
        Put16(&info[12], 1);
        Put16(&info[14], d.bitCount);
        Put32(&info[32], colours);
        const std::uint8_t* table = core + 12;
        if (usage == kRgbColours) {
            for (std::uint32_t i = 0; i < colours; ++i) {
                info.insert(info.end(), table + 3 * i, table + 3 * i + 3);
                info.push_back(0);
            }
        } else {
            info.insert(info.end(), table, table + 2 * colours);
        }
        std::vector<std::uint8_t> out(rec.begin(), rec.begin() + static_cast<std::ptrdiff_t>(at));
        out.insert(out.end(), info.begin(), info.end());
        out.insert(out.end(), rec.begin() + static_cast<std::ptrdiff_t>(at + 12 + d.tableBytes), rec.end());
        if (out.size() % 2) out.push_back(0);
        Put32(out.data(), static_cast<std::uint32_t>(out.size() / 2));
        rec.swap(out);
    }

    static bool StartsWithDibHeader(const std::vector<std::uint8_t>& rec, std::uint32_t first) {
        const std::size_t at = 6 + 2 * std::size_t{first};
        if (at + 4 > rec.size()) return true;  // too short for either: the DIB check refuses it
        const std::uint32_t size = U32At(rec.data() + at);
        return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
    }

    // A pattern brush's Bitmap16 (after style and usage) turned into a
    // bottom-up DIB of the same pixels. Monochrome ones take black for 0 and
    // white for 1; 16, 24 and 32 bits need no colours. The rows are padded to
    // 16 bits whatever the bytes-a-row field says; rows the record does not
    // carry are left black. Other depths, which need the device's palette,
    // are refused.
    void PatternFromBitmap16(std::vector<std::uint8_t>& rec) const {
        constexpr std::size_t at = 6 + 4;
        Require(at + 10 <= rec.size());
        const std::uint8_t* b = rec.data() + at;
        const std::int64_t width = I16At(b + 2), height = I16At(b + 4);
        const unsigned planes = b[8], bpp = b[9];
        Require(width > 0 && height > 0 && planes == 1 && (bpp == 1 || bpp == 16 || bpp == 24 || bpp == 32));
        Require(static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 <= budget_);
        const std::size_t from = static_cast<std::size_t>((width * bpp + 15) / 16 * 2);
        const std::size_t to = static_cast<std::size_t>((width * bpp + 31) / 32 * 4);
        const std::size_t colours = bpp == 1 ? 2 : 0;
        std::vector<std::uint8_t> out(at + 40 + 4 * colours + to * static_cast<std::size_t>(height), 0);
        std::copy(rec.begin(), rec.begin() + at, out.begin());
        std::uint8_t* info = out.data() + at;
        Put32(info, 40);
        Put32(info + 4, static_cast<std::uint32_t>(width));
        Put32(info + 8, static_cast<std::uint32_t>(height));
        Put16(info + 12, 1);
        Put16(info + 14, bpp);
        Put32(info + 32, static_cast<std::uint32_t>(colours));
        if (colours) Put32(info + 44, 0xFFFFFF);  // entry 1 white, entry 0 black
        const std::uint8_t* bits = b + 10;
        const std::size_t present = rec.size() - at - 10;
        std::uint8_t* rows = info + 40 + 4 * colours;
        for (std::int64_t y = 0; y < height; ++y) {
            const std::size_t start = static_cast<std::size_t>(y) * from;
            if (start >= present) break;
            std::copy_n(bits + start, std::min(from, present - start),
                        rows + static_cast<std::size_t>(height - 1 - y) * to);
        }
        if (out.size() % 2) out.push_back(0);
        Put32(out.data(), static_cast<std::uint32_t>(out.size() / 2));
        rec.swap(out);
    }

    // The old device-dependent bitmap (Bitmap16) at parameter word `first`,
    // `skip` bytes between its 10-byte header and its bits. Its rows are
    // padded to 16 bits whatever its bytes-a-row field says.
    static void CheckBitmap16(const std::vector<std::uint8_t>& rec, std::uint32_t first, std::uint32_t skip) {
        const std::size_t at = 6 + 2 * std::size_t{first};
        Require(at + 10 + skip <= rec.size());
        const std::uint8_t* b = rec.data() + at;
        const std::int64_t width = I16At(b + 2), height = I16At(b + 4);
        const unsigned planes = b[8], bpp = b[9];
        Require(width > 0 && height > 0 && planes == 1);
        Require(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32);
        const std::uint64_t row = static_cast<std::uint64_t>((width * bpp + 15) / 16 * 2);
        Require(row * static_cast<std::uint64_t>(height) <= rec.size() - at - 10 - skip);
    }

    // The blits: with a bitmap, or without one (a record exactly as long as
    // its function's high byte + 3 words), where they paint the destination
    // with the pattern.
    void CheckBlit(std::vector<std::uint8_t>& rec, std::uint16_t fn, std::uint32_t n) {
        const bool stretch = fn == kStretchBlt || fn == kDibStretchBlt;
        const std::uint32_t fixed = stretch ? 10 : 8;  // parameter words before the bitmap
        if (rec.size() / 2 == (fn >> 8) + 3u) {
            // rop (2 words), source (2 or 4 words), reserved, destination height,
            // width, y, x: the last four are a PatBlt's.
            const std::uint8_t* p = rec.data() + 6;
            const std::uint32_t rop = U16At(p) | (static_cast<std::uint32_t>(U16At(p + 2)) << 16);
            Require(!ReadsSource(rop));
            std::vector<std::uint8_t> patBlt(18);
            Put32(&patBlt[0], 9);
            Put16(&patBlt[4], kPatBlt);
            std::copy(p, p + 4, patBlt.begin() + 6);
            std::copy(p + 2 * (n - 4), p + 2 * n, patBlt.begin() + 10);
            rec.swap(patBlt);
            return;
        }
        Require(n > fixed);
        if (fn == kBitBlt || fn == kStretchBlt)
            CheckBitmap16(rec, fixed, 0);
        else
            CheckRecordDib(rec, fixed, kRgbColours, nullptr);
    }
};

// ---------------------------------------------------------------------------
// Enhanced metafiles. Every record is a type, a size in bytes (a multiple of
// 4) and its fields.

constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmrEof = 14;

// The fewest bytes of the records whose length is fixed or starts with a
// fixed part.
const std::unordered_map<std::uint32_t, std::uint32_t>& EmfMinimumSizes() {
    static const std::unordered_map<std::uint32_t, std::uint32_t> table = {
        {2, 28},  {3, 28},   {4, 28},   {5, 28},   {6, 28},   {7, 32},    {8, 32},    {9, 16},   {10, 16},
        {11, 16}, {12, 16},  {13, 16},  {14, 20},  {15, 20},  {16, 12},   {17, 12},   {18, 12},  {19, 12},
        {20, 12}, {21, 12},  {22, 12},  {24, 12},  {25, 12},  {26, 16},   {27, 16},   {29, 24},  {30, 24},
        {31, 24}, {32, 24},  {33, 8},   {34, 12},  {35, 32},  {36, 36},   {37, 12},   {38, 28},  {39, 24},
        {40, 12}, {41, 28},  {42, 24},  {43, 24},  {44, 32},  {45, 40},   {46, 40},   {47, 40},  {48, 12},
        {49, 16}, {50, 20},  {51, 16},  {53, 24},  {54, 16},  {55, 40},   {56, 28},   {57, 12},  {58, 12},
        {62, 24}, {63, 24},  {64, 24},  {67, 12},  {70, 12},  {71, 32},   {72, 40},   {73, 28},  {74, 28},
        {75, 16}, {76, 100}, {77, 108}, {78, 128}, {79, 140}, {80, 76},   {81, 80},   {82, 104}, {83, 76},
        {84, 76}, {85, 28},  {86, 28},  {87, 28},  {88, 28},  {89, 28},   {90, 32},   {91, 32},  {92, 28},
        {93, 32}, {94, 32},  {95, 52},  {99, 12},  {122, 12}, {114, 108}, {116, 108}, {118, 36},
    };
    return table;
}

class EmfWalker {
public:
    EmfWalker(std::uint32_t handles, std::uint64_t budget) : handles_(handles), budget_(budget) {}

    void Check(std::uint8_t* r, std::uint32_t size) {
        const std::uint32_t type = U32At(r);
        const auto& minimum = EmfMinimumSizes();
        if (auto it = minimum.find(type); it != minimum.end()) Require(size >= it->second);
        auto F = [&](std::uint32_t offset) { return U32At(r + offset); };
        // Bytes [offset, offset + count × unit) lie within the record.
        auto Within = [&](std::uint64_t offset, std::uint64_t count, std::uint64_t unit) {
            Require(offset <= size && count * unit <= size - offset);
        };
        switch (type) {
            case kEmrHeader:
                Invalid();  // only the first record
            case kEmrEof:   // palette entries and their offset
                if (F(8) != 0) Within(F(12), F(8), 4);
                break;
            case 2:
            case 3:
            case 4:
            case 5:
            case 6:  // poly records with 32-bit points
                Within(28, F(24), 8);
                break;
            case 85:
            case 86:
            case 87:
            case 88:
            case 89:  // ... with 16-bit points
                Within(28, F(24), 4);
                break;
            case 7:
            case 8:
            case 90:
            case 91: {  // poly-poly records: counts, then points
                const std::uint64_t polys = F(24), points = F(28);
                Within(32, polys, 4);
                std::uint64_t sum = 0;
                for (std::uint64_t i = 0; i < polys; ++i) sum += F(static_cast<std::uint32_t>(32 + 4 * i));
                Require(sum == points);
                Within(32 + 4 * polys, points, type < 90 ? 8 : 4);
                break;
            }
            case 56:  // PolyDraw: points and a type byte each
                Within(28, F(24), 9);
                break;
            case 92:
                Within(28, F(24), 5);
                break;
            case 49:  // CreatePalette: version and count, entries
                Within(16, U16At(r + 14), 4);
                break;
            case 50:  // SetPaletteEntries
                Within(20, F(16), 4);
                break;
            case 70:  // GdiComment
                Within(12, F(8), 1);
                break;
            case 71:  // FillRgn
            case 72:  // FrameRgn
                CheckRegionData(r, size, type == 71 ? 32 : 40, F(24));
                // With a stock brush, which is in no player's table of the
                // metafile's objects (one indexing it by the number reads far
                // outside): the record becomes a comment, and the rest is drawn.
                if ((F(28) & 0x80000000u) != 0) {
                    Put32(r, 70);
                    Put32(r + 8, size - 12);
                    return;
                }
                break;
            case 73:
            case 74:
                CheckRegionData(r, size, 28, F(24));
                break;
            case 75:  // ExtSelectClipRgn (no data: the default region)
                if (F(8) != 0) CheckRegionData(r, size, 16, F(8));
                break;
            case 83:
            case 84: {  // ExtTextOutA/W: the string and the advances
                const std::uint64_t chars = F(44);
                Within(F(48), chars, type == 84 ? 2 : 1);
                if (F(72) != 0) Within(F(72), chars, (F(52) & 0x2000) ? 8 : 4);
                break;
            }
            case 95:  // ExtCreatePen: style entries, perhaps a pattern bitmap
                Within(52, F(48), 4);
                if (F(16) != 0) CheckBitmap(r, size, F(12), F(16), F(20), F(24), kRgbColours);
                break;
            case 118: {  // GradientFill: vertices, then triangles or rectangles
                const std::uint64_t vertices = F(24), shapes = F(28);
                Within(36, vertices, 16);
                Within(36 + 16 * vertices, shapes, F(32) == 2 ? 12 : 8);
                break;
            }
            case 76:
            case 77:
            case 114:
            case 116:  // BitBlt, StretchBlt, AlphaBlend, TransparentBlt
                if (F(88) != 0) CheckBitmap(r, size, F(84), F(88), F(92), F(96), F(80));
                break;
            case 78:  // MaskBlt: source and mask
                if (F(88) != 0) CheckBitmap(r, size, F(84), F(88), F(92), F(96), F(80));
                if (F(116) != 0) CheckBitmap(r, size, F(112), F(116), F(120), F(124), F(108));
                break;
            case 79:  // PlgBlt
                if (F(100) != 0) CheckBitmap(r, size, F(96), F(100), F(104), F(108), F(92));
                if (F(128) != 0) CheckBitmap(r, size, F(124), F(128), F(132), F(136), F(120));
                break;
            case 80: {  // SetDIBitsToDevice: the scans it carries
                const std::uint64_t scans = F(72);
                CheckBitmap(r, size, F(48), F(52), F(56), F(60), F(64), &scans);
                break;
            }
            case 81:  // StretchDIBits
                CheckBitmap(r, size, F(48), F(52), F(56), F(60), F(64));
                break;
            case 93:
            case 94:  // CreateMonoBrush, CreateDIBPatternBrushPt
                CheckBitmap(r, size, F(16), F(20), F(24), F(28), F(12));
                break;
            default:
                break;
        }
        CheckHandles(type, F);
    }

private:
    std::uint32_t handles_;
    std::uint64_t budget_;

    template <class Field>
    void CheckHandles(std::uint32_t type, const Field& F) {
        switch (type) {
            case 38:
            case 39:
            case 49:
            case 82:
            case 93:
            case 94:
            case 95:
            case 99:
            case 122:
                // Records that make an object: its table index, 0 being the metafile's own.
                Require(F(8) >= 1 && F(8) < handles_);
                break;
            case 37:
            case 40:
            case 48:
            case 50:
            case 51:  // select, delete, palette records
                Require((F(8) & 0x80000000u) != 0 || F(8) < handles_);
                break;
            case 71:
            case 72:  // FillRgn, FrameRgn: their brush
                Require(F(28) < handles_);
                break;
            default:
                break;
        }
    }

    void CheckBitmap(std::uint8_t* r, std::uint32_t size, std::uint64_t offBmi, std::uint64_t cbBmi,
                     std::uint64_t offBits, std::uint64_t cbBits, std::uint32_t usage,
                     const std::uint64_t* rows = nullptr) {
        Require(offBmi <= size && cbBmi <= size - offBmi && offBits <= size && cbBits <= size - offBits);
        Dib d;
        Require(CheckDib(r + offBmi, cbBmi, cbBits, usage, budget_, d, rows));
        StateColoursPresent(r + offBmi, d);
    }

    // Region data: a 32-byte header whose count of rectangles fits the data.
    static void CheckRegionData(const std::uint8_t* r, std::uint32_t size, std::uint32_t offset,
                                std::uint64_t bytes) {
        Require(offset <= size && bytes <= size - offset && bytes >= 32);
        const std::uint8_t* rgn = r + offset;
        Require(U32At(rgn) == 32 && 32 + std::uint64_t{U32At(rgn + 8)} * 16 <= bytes);
    }
};

}  // namespace

std::vector<std::uint8_t> CheckWindowsMetafile(const std::uint8_t* data, std::size_t size,
                                               std::uint64_t pixelBudgetBytes) {
    Require(size >= 18);
    const std::uint16_t type = U16At(data), headerWords = U16At(data + 2), version = U16At(data + 4);
    const std::uint32_t totalWords = U32At(data + 6), largestRecord = U32At(data + 12);
    Require((type == 1 || type == 2) && headerWords == 9 && (version == 0x100 || version == 0x300));

    std::vector<std::uint8_t> out(data, data + 18);
    WmfWalker walker(U16At(data + 10), pixelBudgetBytes);
    std::size_t p = 18;
    std::uint32_t largestOut = 0;
    for (;;) {
        Require(size - p >= 6);
        const std::uint32_t words = U32At(data + p);
        const std::uint16_t fn = U16At(data + p + 4);
        Require(words >= 3 && words <= (size - p) / 2 && words <= largestRecord);
        std::vector<std::uint8_t> rec(data + p, data + p + 2 * std::size_t{words});
        walker.Check(rec);
        largestOut = std::max<std::uint32_t>(largestOut, static_cast<std::uint32_t>(rec.size() / 2));
        out.insert(out.end(), rec.begin(), rec.end());
        p += 2 * std::size_t{words};
        if (fn == kEof) break;
    }
    // The header counts every word of the metafile; one that has fewer words
    // than its records does not describe them.
    Require(totalWords >= p / 2);
    Put32(out.data() + 6, static_cast<std::uint32_t>(out.size() / 2));
    Put32(out.data() + 12, largestOut);
    return out;
}

void CheckEnhancedMetafile(std::uint8_t* data, std::size_t size, std::uint64_t pixelBudgetBytes) {
    Require(size >= 88 && U32At(data) == kEmrHeader);
    const std::uint32_t headerSize = U32At(data + 4);
    Require(headerSize >= 88 && headerSize % 4 == 0 && headerSize <= size && U32At(data + 48) == size);
    const std::uint32_t records = U32At(data + 52);
    // Index 0 of the handle table is the metafile itself, which players put
    // there whatever the count; a writer that counted none is given that one.
    std::uint16_t handles = U16At(data + 56);
    if (handles == 0) Put16(data + 56, handles = 1);
    // The description (UTF-16 characters) and pixel format lie within the header record.
    const std::uint64_t descriptionChars = U32At(data + 60), descriptionAt = U32At(data + 64);
    if (descriptionChars != 0)
        Require(descriptionAt >= 88 && descriptionAt <= headerSize &&
                descriptionChars * 2 <= headerSize - descriptionAt);
    if (headerSize >= 100 && U32At(data + 88) != 0) {
        const std::uint64_t formatBytes = U32At(data + 88), formatAt = U32At(data + 92);
        Require(formatAt >= 88 && formatAt <= headerSize && formatBytes <= headerSize - formatAt);
    }

    EmfWalker walker(handles, pixelBudgetBytes);
    std::size_t p = headerSize;
    std::uint64_t count = 1;
    for (;;) {
        Require(size - p >= 8);
        const std::uint32_t type = U32At(data + p), recordSize = U32At(data + p + 4);
        Require(recordSize >= 8 && recordSize % 4 == 0 && recordSize <= size - p);
        walker.Check(data + p, recordSize);
        p += recordSize;
        ++count;
        if (type == kEmrEof) break;
    }
    // The end record is the last, and the header counts every record.
    Require(p == size && count == records);
}

}  // namespace pelma
