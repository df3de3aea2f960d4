// Any byte string through the icon reader: header and directory, the choice
// for two screens, and the decoding of the chosen image.
#include <cstddef>
#include <cstdint>

#include "core/errors.h"
#include "view/formats/icon_reader.h"

namespace {

void DecodeChoice(const std::uint8_t* data, std::size_t size, const pelma::IconFile& file, int wanted,
                  int screenColours) {
    const std::size_t i = pelma::ChooseIconEntry(file.entries, wanted, wanted, screenColours);
    if (i >= file.entries.size()) __builtin_trap();
    try {
        const pelma::DecodedIcon icon = pelma::DecodeIconImage(data, size, file.entries[i]);
        const std::size_t n = static_cast<std::size_t>(icon.width) * icon.height;
        if (icon.pixels.size() != n || icon.mask.size() != n) __builtin_trap();
        if (pelma::PackMask(icon, 2).size() !=
            ((static_cast<std::size_t>(icon.width) + 15) / 16) * 2 * icon.height)
            __builtin_trap();
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const pelma::IconFile file = pelma::ReadIconFile(data, size);
        if (file.stockIcon) return 0;
        if (file.entries.empty()) __builtin_trap();
        DecodeChoice(data, size, file, 32, pelma::ScreenColours(32, 1));
        DecodeChoice(data, size, file, 16, pelma::ScreenColours(4, 1));
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    return 0;
}
