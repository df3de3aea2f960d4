// The text of the tool-bar size label.
#pragma once

#include <cstdint>
#include <string>

namespace pelma {

struct NumberSeparators {
    wchar_t thousands = L',';
    wchar_t decimal = L'.';
};

// Formats a number with grouping and at most two decimals, rounding on the third
// decimal digit of its 18-significant-digit expansion (5 to 9 round up).
std::wstring FormatTwoDecimals(double value, const NumberSeparators& seps);

// " 1,023 byt", " 1.13 KB", " 117.74 MB"
std::wstring SizeLabelText(std::uint64_t size, const NumberSeparators& seps);

extern const wchar_t* const kReadOnlyMark;  // " - ReadOnly - "

}  // namespace pelma
