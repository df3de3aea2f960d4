// Any byte string through the metafile reader (with its record walker) and
// the pixel-size rules.
#include <cstddef>
#include <cstdint>

#include "core/errors.h"
#include "view/formats/metafile_reader.h"
#include "view/formats/metafile_records.h"
#include "view/formats/picture_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const pelma::MetafileData m = pelma::ReadMetafile(data, size);
        if (m.enhanced) {
            if (m.bytes.size() < 100 || m.bytes.size() > size) __builtin_trap();
            const pelma::PictureSize s =
                pelma::EnhancedMetafilePixelSize(pelma::ReadEmfFrame(m.bytes.data()));
            if (s.width < 0 || s.height < 0) __builtin_trap();
        } else {
            // The records handed on are walked ones: walking them again changes nothing.
            if (m.bytes.size() < 24 || pelma::CheckWindowsMetafile(m.bytes.data(), m.bytes.size(),
                                                                   pelma::kMaxPictureBytes) != m.bytes)
                __builtin_trap();
            pelma::PlaceableMetafileHundredthsMm(m);
            for (int dpi : {96, 0, -1, 0x7FFFFFFF})
                if (auto s = pelma::PlaceableMetafilePixelSize(m, dpi); s && (s->width < 0 || s->height < 0))
                    __builtin_trap();
        }
    } catch (const pelma::Exception& e) {
        if (e.Message().empty()) __builtin_trap();
    }
    return 0;
}
