// Little-endian field access for the picture readers. Callers check the
// bounds; these only assemble bytes.
#pragma once

#include <cstdint>

namespace pelma::formats {

inline std::uint16_t U16At(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

inline std::int16_t I16At(const std::uint8_t* p) { return static_cast<std::int16_t>(U16At(p)); }

inline std::uint32_t U32At(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::int32_t I32At(const std::uint8_t* p) { return static_cast<std::int32_t>(U32At(p)); }

}  // namespace pelma::formats
