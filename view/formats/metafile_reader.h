// The reader of metafiles (.emf, .wmf): tells an enhanced metafile from a
// placeable Windows metafile, checks its header and hands back the bytes the
// platform turns into a drawable metafile, with the numbers the pixel size
// is computed from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pelma {

// The fields of an enhanced metafile header that give its pixel size (all
// from ENHMETAHEADER: rclFrame in hundredths of a millimetre, szlDevice in
// pixels, szlMillimeters).
struct EmfFrame {
    std::int32_t frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;
    std::int32_t deviceWidthPixels = 0, deviceHeightPixels = 0;
    std::int32_t deviceWidthMm = 0, deviceHeightMm = 0;
};

struct PictureSize {
    int width = 0;
    int height = 0;
};

struct MetafileData {
    bool enhanced = false;
    // Enhanced: the whole metafile, header included, up to the total size its
    // header gives (bytes after that are not part of it). Windows metafile:
    // the bytes after the 22-byte placeable header.
    std::vector<std::uint8_t> bytes;
    EmfFrame frame;  // enhanced only
    // Windows metafile only: the placeable header's bounding box and units
    // per inch (0 as stored; see PlaceableMetafilePixelSize).
    std::int16_t left = 0, top = 0, right = 0, bottom = 0;
    std::uint16_t unitsPerInch = 0;
};

// Reads a whole metafile held in memory. It is enhanced when it has more than
// 100 bytes, its first 32-bit value is 1 (the header record) and the one at
// byte 40 is the signature 0x464D4520. Then:
// - EInvalidGraphic "メタファイルが不正です" when the total size at byte 48 is
//   smaller than the 100-byte header, or the header record's own size (byte 4)
//   is below 88 bytes or beyond the total;
// - EReadError "ストリームからの読み込みエラー" when the file ends before the
//   total size.
// Anything else must be a Windows metafile behind the 22-byte placeable
// header (key 0x9AC6CDD7, checksum the XOR of the ten 16-bit words before it);
// a shorter file, a wrong key or checksum, or fewer than the 18 bytes of a
// metafile header after it fail with EInvalidGraphic "メタファイルが不正です".
MetafileData ReadMetafile(const std::uint8_t* data, std::size_t size);

// The frame fields of an enhanced metafile header (at least 88 bytes at
// `header`); what the Windows side also fills from GetEnhMetaFileHeader.
EmfFrame ReadEmfFrame(const std::uint8_t* header);

// An enhanced metafile's pixel size: MulDiv(frame right − left, device width
// in pixels, device width in mm × 100), and the same for the height. A size
// that cannot be computed (a zero or overflowing divisor, a result out of
// range) or that comes out negative is reported as 0.
PictureSize EnhancedMetafilePixelSize(const EmfFrame& frame);

// The frame that sizes a Windows metafile without units per inch: the frame
// of its conversion without extents (`converted`), taken from the origin to
// that frame's right and bottom, as a second conversion with those as its
// extents would frame it.
EmfFrame FrameFromOrigin(const EmfFrame& converted);

// The placeable header's size in hundredths of a millimetre:
// MulDiv(right − left, 2540, units per inch), likewise for the height, with 96
// for units per inch 0.
PictureSize PlaceableMetafileHundredthsMm(const MetafileData& wmf);

// A Windows metafile's pixel size when its units per inch is not 0: the
// hundredths of a millimetre turned into pixels by MulDiv(value,
// screenDpiY, 2540). With units per inch 0 there is no answer here: the size
// is that of the enhanced metafile the platform makes from it
// (EnhancedMetafilePixelSize of its header). Negative results are 0.
std::optional<PictureSize> PlaceableMetafilePixelSize(const MetafileData& wmf, int screenDpiY);

// "メタファイルが不正です"
const wchar_t* InvalidMetafileMessage();

}  // namespace pelma
