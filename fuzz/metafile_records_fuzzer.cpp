// Any byte string through the metafile record walker: a first byte of 0
// walks the rest as a Windows metafile, any other as an enhanced one. What
// the walker hands on walks again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/errors.h"
#include "view/formats/metafile_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // A small budget: the walker allocates no pixels, but the rule is the same.
    constexpr std::uint64_t kBudget = 16u << 20;
    try {
        if (data[0] == 0) {
            const std::vector<std::uint8_t> out = pelma::CheckWindowsMetafile(data + 1, size - 1, kBudget);
            if (out.size() % 2 != 0 || out.size() < 24) __builtin_trap();
            if (pelma::CheckWindowsMetafile(out.data(), out.size(), kBudget) != out) __builtin_trap();
        } else {
            std::vector<std::uint8_t> emf(data + 1, data + size);  // counts may be rewritten in place
            pelma::CheckEnhancedMetafile(emf.data(), emf.size(), kBudget);
            // Once rewritten, the walk finds nothing more to rewrite.
            const std::vector<std::uint8_t> once = emf;
            pelma::CheckEnhancedMetafile(emf.data(), emf.size(), kBudget);
            if (emf != once) __builtin_trap();
        }
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    return 0;
}
