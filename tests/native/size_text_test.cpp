#include <gtest/gtest.h>

#include "view/size_text.h"

namespace pelma {
namespace {

TEST(SizeLabel, TableOfSizes) {
    NumberSeparators s;
    const std::pair<std::uint64_t, const wchar_t*> rows[] = {
        {0, L" 0 byt"},
        {1, L" 1 byt"},
        {1023, L" 1,023 byt"},
        {1024, L" 1 KB"},
        {1025, L" 1 KB"},
        {1152, L" 1.13 KB"},
        {1536, L" 1.5 KB"},
        {1048575, L" 1,024 KB"},
        {1048576, L" 1 MB"},
        {123456789, L" 117.74 MB"},
        {2147483647, L" 2,048 MB"},
        {5ull << 30, L" 5,120 MB"},
        {1126, L" 1.1 KB"},
        {1034, L" 1.01 KB"},
        {1000ull << 30, L" 1,024,000 MB"},
    };
    for (const auto& [size, text] : rows) EXPECT_EQ(SizeLabelText(size, s), text) << size;
}

TEST(SizeLabel, SeparatorsFromTheRegionalSettings) {
    NumberSeparators s{L'.', L','};
    EXPECT_EQ(SizeLabelText(1023, s), L" 1.023 byt");
    EXPECT_EQ(SizeLabelText(1152, s), L" 1,13 KB");
    EXPECT_EQ(SizeLabelText(123456789, s), L" 117,74 MB");
    NumberSeparators t{L'\'', L'_'};
    EXPECT_EQ(SizeLabelText(1048575, t), L" 1'024 KB");
    EXPECT_EQ(SizeLabelText(1536, t), L" 1_5 KB");
}

TEST(SizeLabel, RoundingLooksAtTheThirdDecimalOnly) {
    NumberSeparators s;
    EXPECT_EQ(FormatTwoDecimals(0.125, s), L"0.13");
    EXPECT_EQ(FormatTwoDecimals(0.1249, s), L"0.12");
    EXPECT_EQ(FormatTwoDecimals(9.995, s), L"9.99");  // 9.99499999999999922 at 18 digits
    EXPECT_EQ(FormatTwoDecimals(99.999, s), L"100");
    EXPECT_EQ(FormatTwoDecimals(999.996, s), L"1,000");
    EXPECT_EQ(FormatTwoDecimals(0.004, s), L"0");
    EXPECT_EQ(FormatTwoDecimals(0.005, s), L"0.01");
}

}  // namespace
}  // namespace pelma
