#include "view/text_dump.h"

namespace pelma {

bool IsTextBytes(const std::uint8_t* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t b = data[i];
        if (b < 32 && b != 9 && b != 10 && b != 13) return false;
    }
    return true;
}

std::vector<std::string> DumpLines(const std::uint8_t* data, std::size_t n) {
    static const char hex[] = "0123456789ABCDEF";
    std::vector<std::string> lines;
    lines.reserve(n / 16 + 1);
    for (std::size_t row = 0; row * 16 < n; ++row) {
        std::size_t offset = row * 16;
        std::string line;
        line.reserve(55);
        for (int shift = 12; shift >= 0; shift -= 4) line += hex[(offset >> shift) & 0xF];
        line += " : ";
        for (std::size_t i = offset; i < n && i < offset + 16; ++i) {
            line += hex[data[i] >> 4];
            line += hex[data[i] & 0xF];
            line += ' ';
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace pelma
