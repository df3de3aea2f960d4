#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "view/area_scale.h"

namespace pelma {
namespace {

// A picture with its own memory, rows padded to whole words like a DIB's.
struct Picture {
    std::vector<std::uint8_t> bytes;
    PixelRows rows;
    Picture(int width, int height, int pixelBytes, std::uint8_t fill = 0) {
        const std::size_t stride = (static_cast<std::size_t>(width) * pixelBytes + 3) & ~std::size_t{3};
        bytes.assign(stride * static_cast<std::size_t>(height), fill);
        rows = {bytes.data(), stride, width, height, pixelBytes};
    }
};

Picture Noise(int width, int height, int pixelBytes, unsigned seed) {
    Picture p(width, height, pixelBytes);
    for (auto& b : p.bytes) b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return p;
}

// What a target pixel must be: the rounded mean of every source pixel it
// overlaps, worked out pixel by pixel from the overlap of the two grids.
std::uint8_t Expected(const PixelRows& s, const PixelRows& t, int tx, int ty, int channel) {
    std::uint64_t sum = 0, n = 0;
    auto overlaps = [](int x, int i, int from, int to) {
        return std::int64_t{x} * to < std::int64_t{i + 1} * from &&
               std::int64_t{x + 1} * to > std::int64_t{i} * from;
    };
    for (int y = 0; y < s.height; ++y) {
        if (!overlaps(y, ty, s.height, t.height)) continue;
        for (int x = 0; x < s.width; ++x)
            if (overlaps(x, tx, s.width, t.width)) sum += s.Row(y)[x * s.pixelBytes + channel], ++n;
    }
    return static_cast<std::uint8_t>((sum + n / 2) / n);
}

TEST(AreaScale, EveryTargetPixelIsTheMeanOfTheSourcePixelsUnderIt) {
    struct Case {
        int sw, sh, tw, th;
    };
    // Reductions by whole and odd factors, enlargements, one direction each
    // way, single rows and columns, the same size, and a megapixel (scaled
    // in two halves at once).
    const Case cases[] = {{8, 8, 4, 4},  {9, 7, 4, 3},   {13, 11, 5, 2}, {3, 3, 7, 5},      {2, 5, 7, 2},
                          {10, 1, 3, 1}, {1, 10, 1, 3},  {1, 1, 4, 3},   {6, 4, 6, 4},      {31, 17, 16, 17},
                          {5, 40, 9, 6}, {100, 3, 7, 9}, {7, 7, 1, 1},   {1030, 1020, 2, 3}};
    unsigned seed = 1;
    for (const Case& c : cases) {
        for (auto [from, bytes] : {std::pair{3, 3}, {4, 4}, {3, 4}, {4, 3}}) {
            const Picture source = Noise(c.sw, c.sh, from, ++seed);
            Picture target(c.tw, c.th, bytes, 0xEE);
            ScalePixels(source.rows, target.rows);
            for (int y = 0; y < c.th; ++y) {
                for (int x = 0; x < c.tw; ++x) {
                    const std::uint8_t* p = target.rows.Row(y) + x * bytes;
                    for (int ch = 0; ch < 3; ++ch)
                        ASSERT_EQ(p[ch], Expected(source.rows, target.rows, x, y, ch))
                            << c.sw << "x" << c.sh << " to " << c.tw << "x" << c.th << " bytes " << from
                            << "/" << bytes << " at " << x << "," << y << " channel " << ch;
                    if (bytes == 4) ASSERT_EQ(p[3], 0);
                }
                // The row's padding is not the picture's: left alone.
                for (std::size_t k = static_cast<std::size_t>(c.tw) * bytes; k < target.rows.stride; ++k)
                    ASSERT_EQ(target.rows.Row(y)[k], 0xEE);
            }
            // A part of the scaling, as a window shows it, is that part of the whole.
            const int left = c.tw / 3, top = c.th / 2;
            Picture part(c.tw - left, c.th - top, bytes);
            ScalePart(source.rows, part.rows, c.tw, c.th, left, top);
            for (int y = 0; y < part.rows.height; ++y)
                for (int x = 0; x < part.rows.width * bytes; ++x)
                    ASSERT_EQ(part.rows.Row(y)[x], target.rows.Row(y + top)[left * bytes + x])
                        << c.sw << "x" << c.sh;
        }
    }
}

// Means are taken without a division for all but the largest reductions;
// they must round exactly as the division does, for every pixel count, just
// either side of where the rounded mean steps up.
TEST(AreaScale, MeansRoundExactlyAtEveryStepForEveryPixelCount) {
    auto check = [](int n) {
        for (int k : {1, 128, 255}) {
            Picture source(n, 1, 3);
            // Channel 0 sums to exactly where the mean becomes k, channel 1
            // to one less; channel 2 is all 255.
            const std::int64_t step = std::int64_t{k} * n - n / 2;
            for (int ch = 0; ch < 2; ++ch) {
                const std::int64_t sum = step - ch;
                for (int x = 0; x < n; ++x)
                    source.rows.Row(0)[x * 3 + ch] =
                        static_cast<std::uint8_t>(sum / n + (x < sum % n ? 1 : 0));
            }
            for (int x = 0; x < n; ++x) source.rows.Row(0)[x * 3 + 2] = 255;
            Picture target(1, 1, 4);
            ScalePixels(source.rows, target.rows);
            for (int ch = 0; ch < 3; ++ch)
                ASSERT_EQ(target.rows.Row(0)[ch], Expected(source.rows, target.rows, 0, 0, ch))
                    << n << " pixels, mean " << k << ", channel " << ch;
        }
    };
    for (int n = 1; n <= 300; ++n) check(n);
    for (int n = 4000; n <= 4200; ++n) check(n);
}

// Fed while a picture is being decoded: each target row is written once the
// last source row under it has come, and not before.
// A part of the source changed: scaling again over just that part gives
// exactly what scaling the whole changed source gives, for reductions,
// enlargements and areas at the edges, and touches nothing else.
TEST(AreaScale, RescalingAChangedAreaEqualsScalingTheWhole) {
    struct Case {
        int sw, sh, tw, th, left, top, right, bottom;
    };
    const Case cases[] = {{100, 80, 37, 23, 10, 20, 30, 25},  {100, 80, 37, 23, 0, 0, 100, 80},
                          {100, 80, 37, 23, 99, 79, 100, 80}, {17, 13, 40, 31, 3, 4, 9, 5},
                          {64, 48, 32, 24, 31, 0, 33, 48},    {816, 612, 406, 304, 62, 250, 162, 350}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.sw << "x" << c.sh << " -> " << c.tw << "x" << c.th);
        for (int bytes : {3, 4}) {
            Picture source = Noise(c.sw, c.sh, bytes, 7);
            Picture rescaled(c.tw, c.th, 4, 0xEE), whole(c.tw, c.th, 4, 0xEE);
            ScalePixels(source.rows, rescaled.rows);
            for (int y = c.top; y < c.bottom; ++y)
                for (int x = c.left * bytes; x < c.right * bytes; ++x)
                    source.rows.Row(y)[x] = static_cast<std::uint8_t>(source.rows.Row(y)[x] * 31 + 101);
            RescalePixels(source.rows, rescaled.rows, c.left, c.top, c.right, c.bottom);
            ScalePixels(source.rows, whole.rows);
            EXPECT_EQ(rescaled.bytes, whole.bytes) << bytes << " bytes a pixel";
        }
    }
}

TEST(AreaScale, WritesEachRowAsSoonAsItsSourceRowsHaveCome) {
    const Picture source = Noise(12, 10, 3, 7);
    Picture target(4, 3, 3, 0xEE);  // spans of rows [0,4) [3,7) [6,10)
    AreaScaler scaler(12, 10, 3, target.rows);
    auto written = [&](int y) { return target.rows.Row(y)[0] != 0xEE || target.rows.Row(y)[1] != 0xEE; };
    const int lastRowNeeded[] = {3, 6, 9};
    for (int y = 0; y < 10; ++y) {
        scaler.AddRow(source.rows.Row(y));
        for (int t = 0; t < 3; ++t) EXPECT_EQ(written(t), y >= lastRowNeeded[t]) << "after row " << y;
    }
    EXPECT_TRUE(scaler.Done());
    scaler.AddRow(source.rows.Row(0));  // more rows than the picture has: ignored
    EXPECT_EQ(scaler.RowsAdded(), 10);

    // Nothing to write into, or nothing to read: no scaling, no fault.
    AreaScaler none(12, 10, 3, PixelRows{});
    none.AddRow(source.rows.Row(0));
    EXPECT_TRUE(none.Done());
    Picture small(2, 2, 3, 0xEE);
    ScalePixels(PixelRows{}, small.rows);
    EXPECT_EQ(small.bytes, std::vector<std::uint8_t>(small.bytes.size(), 0xEE));
}

}  // namespace
}  // namespace pelma
