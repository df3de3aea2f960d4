// What the picture readers' fuzz targets ask of every outcome: a picture
// that decodes has every pixel and an alpha flag that tells the truth, and a
// failure is one of the system's errors with a message.
#pragma once

#include <cstddef>

#include "core/errors.h"
#include "view/formats/decoded_picture.h"

namespace pelma::fuzz {

inline void CheckPicture(const DecodedPicture& p) {
    if (p.pixels.size() != static_cast<std::size_t>(p.width) * p.height) __builtin_trap();
    if (p.hasAlpha != AnyTransparent(p.pixels.data(), p.pixels.size())) __builtin_trap();
}

// Runs `step`; an error it raises must say why.
template <typename Step>
void Checked(Step step) {
    try {
        step();
    } catch (const Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
}

}  // namespace pelma::fuzz
