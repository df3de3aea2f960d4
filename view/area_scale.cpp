#include "view/area_scale.h"

#include <algorithm>
#include <limits>

#include "view/formats/decoded_picture.h"

namespace pelma {

namespace {

// The source span [begin, end) under each of `count` target pixels from
// `first` on of a scaling to `to` pixels: every source pixel that the target
// pixel overlaps, at least one.
void Spans(int from, int to, int first, int count, std::vector<int>& begin, std::vector<int>& end) {
    begin.resize(static_cast<std::size_t>(count));
    end.resize(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const std::int64_t i = std::int64_t{first} + k;
        const auto b = static_cast<int>(i * from / to);
        const auto e = static_cast<int>(((i + 1) * from + to - 1) / to);
        begin[static_cast<std::size_t>(k)] = b;
        end[static_cast<std::size_t>(k)] = std::min(from, std::max(b + 1, e));
    }
}

// A mean of up to this many pixels is taken with a multiplication by a
// reciprocal instead of a division: a division costs more than everything
// else the scaler does for a pixel.
constexpr std::uint64_t kMostByReciprocal = 4096;

// floor(2^32 / n) + 1: for x < 2^32 / n, (x * m) >> 32 is exactly x / n; a
// rounded mean of n bytes has x <= 255.5 * n, so n <= 4096 holds it.
std::uint64_t Reciprocal(std::uint64_t n) { return (std::uint64_t{1} << 32) / n + 1; }

// The rounded mean `sum` / `n` (n > 0).
std::uint8_t Mean(std::uint64_t sum, std::uint64_t n) {
    const std::uint64_t rounded = sum + n / 2;
    constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
    if (rounded <= kMax32 && n <= kMax32)  // the common case, and a cheaper division
        return static_cast<std::uint8_t>(static_cast<std::uint32_t>(rounded) / static_cast<std::uint32_t>(n));
    return static_cast<std::uint8_t>(rounded / n);
}

}  // namespace

AreaScaler::AreaScaler(int sourceWidth, int sourceHeight, int sourcePixelBytes, PixelRows target)
    : AreaScaler(sourceWidth, sourceHeight, sourcePixelBytes, target, target.width, target.height, 0, 0) {}

AreaScaler::AreaScaler(int sourceWidth, int sourceHeight, int sourcePixelBytes, PixelRows target,
                       int fullWidth, int fullHeight, int left, int top)
    : sourceWidth_(std::max(sourceWidth, 0)),
      sourceHeight_(std::max(sourceHeight, 0)),
      sourceBytes_(sourcePixelBytes),
      target_(target) {
    if (sourceWidth_ == 0 || sourceHeight_ == 0 || target_.width <= 0 || target_.height <= 0 ||
        !target_.first || (sourceBytes_ != 3 && sourceBytes_ != 4) || left < 0 || top < 0 ||
        std::int64_t{left} + target_.width > fullWidth || std::int64_t{top} + target_.height > fullHeight) {
        target_.height = 0;
        return;
    }
    Spans(sourceWidth_, fullWidth, left, target_.width, xBegin_, xEnd_);
    Spans(sourceHeight_, fullHeight, top, target_.height, yBegin_, yEnd_);
    rows_.reserve(static_cast<std::size_t>(sourceHeight_));
    // One column sum adds at most this many rows of bytes.
    int tallest = 0;
    for (int i = 0; i < target_.height; ++i)
        tallest =
            std::max(tallest, yEnd_[static_cast<std::size_t>(i)] - yBegin_[static_cast<std::size_t>(i)]);
    wide_ =
        std::uint64_t{255} * static_cast<std::uint64_t>(tallest) > std::numeric_limits<std::uint32_t>::max();
    int widest = 0;
    for (int i = 0; i < target_.width; ++i)
        widest = std::max(widest, xEnd_[static_cast<std::size_t>(i)] - xBegin_[static_cast<std::size_t>(i)]);
    const auto most = static_cast<std::uint64_t>(tallest) * static_cast<std::uint64_t>(widest);
    if (most <= kMostByReciprocal) {
        reciprocals_.resize(static_cast<std::size_t>(most) + 1);
        for (std::uint64_t n = 1; n <= most; ++n) reciprocals_[static_cast<std::size_t>(n)] = Reciprocal(n);
    }
    const std::size_t columns =
        static_cast<std::size_t>(sourceWidth_) * static_cast<std::size_t>(sourceBytes_);
    (wide_ ? sums64_.resize(columns) : sums32_.resize(columns));
}

void AreaScaler::AddRow(const std::uint8_t* row) {
    if (Done() || RowsAdded() >= sourceHeight_) return;
    rows_.push_back(row);
    while (!Done() && yEnd_[static_cast<std::size_t>(next_)] <= RowsAdded()) Emit(next_++, 0, target_.width);
}

void AreaScaler::TakeRows(const PixelRows& source) {
    if (source.width != sourceWidth_ || source.height != sourceHeight_ || source.pixelBytes != sourceBytes_)
        return;
    rows_.clear();
    for (int y = 0; y < sourceHeight_; ++y) rows_.push_back(source.Row(y));
    next_ = target_.height;
}

void AreaScaler::Rescale(int left, int top, int right, int bottom) {
    if (!Done() || left >= right || top >= bottom) return;
    // The target pixels whose spans meet the area; spans only grow along a side.
    auto firstOver = [](const std::vector<int>& end, int from) {
        return static_cast<int>(std::upper_bound(end.begin(), end.end(), from) - end.begin());
    };
    auto lastOver = [](const std::vector<int>& begin, int to) {
        return static_cast<int>(std::lower_bound(begin.begin(), begin.end(), to) - begin.begin());
    };
    const int x0 = firstOver(xEnd_, left), x1 = lastOver(xBegin_, right);
    const int y0 = firstOver(yEnd_, top), y1 = lastOver(yBegin_, bottom);
    for (int y = y0; y < y1; ++y) Emit(y, x0, x1);
}

void AreaScaler::Emit(int targetRow, int first, int last) {
    if (first >= last) return;
    if (wide_)
        EmitWith(targetRow, first, last, sums64_);
    else
        EmitWith(targetRow, first, last, sums32_);
}

template <typename Sum>
void AreaScaler::EmitWith(int targetRow, int first, int last, std::vector<Sum>& sums) {
    // Down the columns first: a plain byte-wise sum of the rows, over the
    // source columns under target columns [first, last), which the compiler
    // turns into vector code; then across, once per target row.
    const std::size_t y = static_cast<std::size_t>(targetRow);
    const int y0 = yBegin_[y], y1 = yEnd_[y];
    const int from = sourceBytes_, bytes = target_.pixelBytes;
    const std::size_t k0 = static_cast<std::size_t>(xBegin_[static_cast<std::size_t>(first)]) * from;
    const std::size_t k1 = static_cast<std::size_t>(xEnd_[static_cast<std::size_t>(last - 1)]) * from;
    Sum* const s = sums.data();
    std::fill(s + k0, s + k1, Sum{0});
    for (int r = y0; r < y1; ++r) {
        const std::uint8_t* row = rows_[static_cast<std::size_t>(r)];
        for (std::size_t k = k0; k < k1; ++k) s[k] += row[k];
    }
    const auto rows = static_cast<std::uint64_t>(y1 - y0);
    std::uint8_t* out = target_.Row(targetRow) + static_cast<std::size_t>(first) * bytes;
    const std::uint64_t* const reciprocals = reciprocals_.empty() ? nullptr : reciprocals_.data();
    for (std::size_t tx = static_cast<std::size_t>(first); tx < static_cast<std::size_t>(last); ++tx) {
        std::uint64_t b = 0, g = 0, r = 0;
        const Sum* p = s + static_cast<std::size_t>(xBegin_[tx]) * static_cast<std::size_t>(from);
        for (int x = xBegin_[tx]; x < xEnd_[tx]; ++x, p += from) b += p[0], g += p[1], r += p[2];
        const std::uint64_t count = rows * static_cast<std::uint64_t>(xEnd_[tx] - xBegin_[tx]);
        if (reciprocals) {
            const std::uint64_t m = reciprocals[count], half = count / 2;
            out[0] = static_cast<std::uint8_t>(((b + half) * m) >> 32);
            out[1] = static_cast<std::uint8_t>(((g + half) * m) >> 32);
            out[2] = static_cast<std::uint8_t>(((r + half) * m) >> 32);
        } else {
            out[0] = Mean(b, count), out[1] = Mean(g, count), out[2] = Mean(r, count);
        }
        if (bytes == 4) out[3] = 0;
        out += bytes;
    }
}

void ScalePixels(const PixelRows& source, const PixelRows& target) {
    // A large source in two halves of the target at once, each scaled from
    // the source rows under it (those above the second half cost it nothing).
    ForRowHalves(target.height, static_cast<std::uint64_t>(source.width) * std::max(source.height, 0),
                 [&](int first, int end) {
                     PixelRows part = target;
                     part.first = target.first ? target.Row(first) : nullptr;
                     part.height = end - first;
                     ScalePart(source, part, target.width, target.height, 0, first);
                 });
}

void ScalePart(const PixelRows& source, const PixelRows& target, int fullWidth, int fullHeight, int left,
               int top) {
    AreaScaler scaler(source.width, source.height, source.pixelBytes, target, fullWidth, fullHeight, left,
                      top);
    for (int y = 0; y < source.height && !scaler.Done(); ++y) scaler.AddRow(source.Row(y));
}

void RescalePixels(const PixelRows& source, const PixelRows& target, int left, int top, int right,
                   int bottom) {
    AreaScaler scaler(source.width, source.height, source.pixelBytes, target);
    scaler.TakeRows(source);
    scaler.Rescale(left, top, right, bottom);
}

}  // namespace pelma
