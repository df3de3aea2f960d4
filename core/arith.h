// Integer helpers shared by the sizing rules.
#pragma once

#include <cstdint>

namespace pelma {

// a * b / c with a 64-bit intermediate, rounded to the nearest integer (halves
// away from zero); -1 when c is 0 or the result does not fit, as the system's MulDiv.
constexpr int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    std::int64_t p = static_cast<std::int64_t>(a) * b;
    bool negative = (p < 0) != (c < 0);
    std::uint64_t up = p < 0 ? 0 - static_cast<std::uint64_t>(p) : static_cast<std::uint64_t>(p);
    std::uint64_t uc =
        c < 0 ? 0 - static_cast<std::uint64_t>(static_cast<std::int64_t>(c)) : static_cast<std::uint64_t>(c);
    std::uint64_t q = (up + uc / 2) / uc;
    if (q > 0x7FFFFFFFull) return -1;
    return negative ? -static_cast<int>(q) : static_cast<int>(q);
}

// The height of a wide movie picture: width * 44 div 100.
constexpr int WideHeight(int width) { return width * 44 / 100; }

}  // namespace pelma
