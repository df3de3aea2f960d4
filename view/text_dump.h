// The text-or-dump decision of the text view and the lines of its hex dump.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelma {

constexpr std::size_t kTextViewBytes = 4096;

// True when every byte is tab, line feed, carriage return or 32..255.
bool IsTextBytes(const std::uint8_t* data, std::size_t n);

// "0010 : 10 11 12 13 " — one line per 16 bytes, the last one partial.
std::vector<std::string> DumpLines(const std::uint8_t* data, std::size_t n);

}  // namespace pelma
