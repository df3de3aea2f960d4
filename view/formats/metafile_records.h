// The record walker of metafiles: every record of a Windows metafile or an
// enhanced metafile is read before the platform sees any of them. A record
// must lie within the file and be as long as its type needs, the header's
// counts must agree with the records, and a record that carries a bitmap must
// hold its bitmap header, colour table and pixels within itself. The platform's
// own record parsers then only ever meet well-formed records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelma {

// Walks a Windows metafile: the 18-byte header (the bytes after a placeable
// header) and its records up to and including the end record. Returns the
// bytes to hand to the platform: the header and the records, with the header's
// size and largest-record fields matching them, and two rewrites that keep
// what the metafile draws:
// - a device-independent bitmap of 1, 4 or 8 bits whose colour table is
//   shorter than its count says gets the count of the colours present;
// - a device-independent bitmap of 1, 4 or 8 bits whose colour count is 0
//   ("all 2^bits colours") states that count, and one with the 12-byte core
//   header gets the 40-byte header with the same fields and 4-byte colours;
// - a BitBlt or StretchBlt record without a bitmap, whose raster operation
//   does not read a source, becomes the PatBlt of its destination rectangle.
// Throws EInvalidGraphic "メタファイルが不正です" for anything malformed.
std::vector<std::uint8_t> CheckWindowsMetafile(const std::uint8_t* data, std::size_t size,
                                               std::uint64_t pixelBudgetBytes);

// Walks an enhanced metafile of exactly `size` bytes (its header's total):
// the header record's counts, every record, the end record last. A bitmap
// whose colour table is shorter than its count says gets the count of the
// colours present, in place. Throws EInvalidGraphic "メタファイルが不正です"
// for anything malformed.
void CheckEnhancedMetafile(std::uint8_t* data, std::size_t size, std::uint64_t pixelBudgetBytes);

}  // namespace pelma
