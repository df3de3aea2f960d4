#include "view/size_text.h"

#include <charconv>
#include <cstdlib>
#include <string>

namespace pelma {

const wchar_t* const kReadOnlyMark = L" - ReadOnly - ";

std::wstring FormatTwoDecimals(double value, const NumberSeparators& seps) {
    if (value < 0) value = -value;  // sizes are never negative
    // 18 significant digits in scientific form: d.ddddddddddddddddde±x
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 17);
    std::string sci(buf, res.ptr);
    auto e = sci.find('e');
    int exponent = std::atoi(sci.c_str() + e + 1);
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
        if (sci[i] != '.') digits += sci[i];
    // Place the digits around the decimal point: the integer part has exponent + 1 digits.
    std::string intPart, fracPart;
    if (value == 0) {
        intPart = "0";
    } else if (exponent >= 0) {
        if (digits.size() < static_cast<std::size_t>(exponent + 1))
            digits.append(exponent + 1 - digits.size(), '0');
        intPart = digits.substr(0, exponent + 1);
        fracPart = digits.substr(exponent + 1);
    } else {
        intPart = "0";
        fracPart = std::string(-exponent - 1, '0') + digits;
    }
    while (fracPart.size() < 3) fracPart += '0';
    // Round on the third decimal digit.
    std::string kept = intPart + fracPart.substr(0, 2);
    if (fracPart[2] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[i] == '9') kept[i--] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i];
    }
    std::string whole = kept.substr(0, kept.size() - 2);
    std::string decimals = kept.substr(kept.size() - 2);
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    auto first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? "0" : whole.substr(first);

    std::wstring out;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) out += seps.thousands;
        out += static_cast<wchar_t>(whole[i]);
    }
    if (!decimals.empty()) {
        out += seps.decimal;
        for (char c : decimals) out += static_cast<wchar_t>(c);
    }
    return out;
}

std::wstring SizeLabelText(std::uint64_t size, const NumberSeparators& seps) {
    double s = static_cast<double>(size);
    if (size >= 1048576) return L" " + FormatTwoDecimals(s / 1048576, seps) + L" MB";
    if (size >= 1024) return L" " + FormatTwoDecimals(s / 1024, seps) + L" KB";
    return L" " + FormatTwoDecimals(s, seps) + L" byt";
}

}  // namespace pelma
