// Good-quality scaling of a picture's pixels by area averaging: each target
// pixel is the mean of the source pixels under it (at least one), so a
// reduction keeps fine detail as its average instead of dropping rows and
// columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "view/formats/pixel_rows.h"

namespace pelma {

// Scales a picture that arrives row by row, top to bottom, so that a picture
// being decoded is scaled while its rows are still in the cache. Each source
// row handed in must stay readable until the scaler is done with it (the
// rows of one picture held whole, say). A target row is written as soon as
// the last source row under it has arrived.
class AreaScaler {
public:
    // The source's pixels are `sourcePixelBytes` (3 or 4) bytes, the target's
    // target.pixelBytes; an empty target makes a scaler that writes nothing.
    AreaScaler(int sourceWidth, int sourceHeight, int sourcePixelBytes, PixelRows target);
    // Writes only the part of a fullWidth × fullHeight scaling that starts at
    // (left, top) and is as large as the target: a picture shown larger than
    // the window is scaled over what the window shows of it. The source rows
    // are handed in from the first as before; those above the part cost
    // nothing, and the scaler is done once the part's last row is written.
    AreaScaler(int sourceWidth, int sourceHeight, int sourcePixelBytes, PixelRows target, int fullWidth,
               int fullHeight, int left, int top);

    // The next source row (sourceWidth pixels).
    void AddRow(const std::uint8_t* row);
    // Takes every row of a source whose scaling the target already holds,
    // writing nothing (for Rescale).
    void TakeRows(const PixelRows& source);
    // Once every row is in: writes again the target pixels that lie over the
    // source area [left, right) × [top, bottom), which has changed since.
    void Rescale(int left, int top, int right, int bottom);
    int RowsAdded() const { return static_cast<int>(rows_.size()); }
    bool Done() const { return next_ >= target_.height; }

private:
    // Writes target columns [first, last) of a target row.
    void Emit(int targetRow, int first, int last);
    template <typename Sum>
    void EmitWith(int targetRow, int first, int last, std::vector<Sum>& sums);

    int sourceWidth_, sourceHeight_, sourceBytes_;
    PixelRows target_;
    std::vector<int> xBegin_, xEnd_, yBegin_, yEnd_;  // the source span of each target column and row
    std::vector<const std::uint8_t*> rows_;
    int next_ = 0;       // the first target row not yet written
    bool wide_ = false;  // column sums may pass 32 bits
    std::vector<std::uint32_t> sums32_;
    std::vector<std::uint64_t> sums64_;
    std::vector<std::uint64_t> reciprocals_;  // by pixel count, when every count is small enough
};

// Scales the whole of `source` into `target`.
void ScalePixels(const PixelRows& source, const PixelRows& target);

// Scales the part at (left, top) of a fullWidth × fullHeight scaling of
// `source` into `target`, which is as large as the part.
void ScalePart(const PixelRows& source, const PixelRows& target, int fullWidth, int fullHeight, int left,
               int top);

// Scales again into `target` (scaled from `source` before) what lies over the
// source area [left, right) × [top, bottom), which has changed since.
void RescalePixels(const PixelRows& source, const PixelRows& target, int left, int top, int right,
                   int bottom);

}  // namespace pelma
