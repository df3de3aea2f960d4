#include <gtest/gtest.h>

#include <numeric>

#include "view/text_dump.h"

namespace pelma {
namespace {

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), 0);
    return v;
}

TEST(TextOrDump, BoundaryBytes) {
    const int text[] = {9, 10, 13, 32, 127, 128, 255};
    const int dump[] = {0, 8, 11, 12, 14, 26, 27, 31};
    for (int b : text) {
        std::uint8_t bytes[] = {'a', static_cast<std::uint8_t>(b), 'z'};
        EXPECT_TRUE(IsTextBytes(bytes, 3)) << b;
    }
    for (int b : dump) {
        std::uint8_t bytes[] = {'a', static_cast<std::uint8_t>(b), 'z'};
        EXPECT_FALSE(IsTextBytes(bytes, 3)) << b;
    }
    EXPECT_TRUE(IsTextBytes(nullptr, 0));
    const std::uint8_t sjis[] = {0x95, 0x5C, 0x83, 0x5C, 0x94, 0x5C};  // 表ソ能
    EXPECT_TRUE(IsTextBytes(sjis, sizeof sjis));
}

TEST(TextOrDump, DumpLineShapes) {
    EXPECT_TRUE(DumpLines(nullptr, 0).empty());

    auto b = Counting(20);
    auto lines = DumpLines(b.data(), 20);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "0000 : 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ");
    EXPECT_EQ(lines[1], "0010 : 10 11 12 13 ");

    lines = DumpLines(b.data(), 16);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 55u);

    lines = DumpLines(b.data(), 17);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "0010 : 10 ");
    EXPECT_EQ(lines[1].size(), 10u);

    auto big = Counting(4096);
    lines = DumpLines(big.data(), 4096);
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines.back(), "0FF0 : F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF ");
    for (const auto& l : lines) EXPECT_EQ(l.size(), 55u);
}

}  // namespace
}  // namespace pelma
