#include "view/formats/picture_limits.h"

#include <new>
#include <stdexcept>

#include "core/errors.h"

namespace pelma {

std::wstring PictureTooLargeMessage() { return L"画像が大きすぎます"; }

bool FitsPixelBudget(std::uint64_t width, std::uint64_t height, std::uint64_t budgetBytes) {
    std::uint64_t maxPixels = budgetBytes / 4;
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;  // sides are ints
    if (width == 0 || height == 0) return true;
    return width <= maxPixels && height <= maxPixels / width;
}

void CheckPixelBudget(std::uint64_t width, std::uint64_t height, std::uint64_t budgetBytes) {
    if (!FitsPixelBudget(width, height, budgetBytes)) throw EInvalidGraphic(PictureTooLargeMessage());
}

template <class T>
std::vector<T> AllocatePixels(std::size_t count) {
    try {
        return std::vector<T>(count);
    } catch (const std::bad_alloc&) {
        throw EInvalidGraphic(PictureTooLargeMessage());
    } catch (const std::length_error&) {
        throw EInvalidGraphic(PictureTooLargeMessage());
    }
}

template std::vector<std::uint8_t> AllocatePixels<std::uint8_t>(std::size_t);
template std::vector<std::uint32_t> AllocatePixels<std::uint32_t>(std::size_t);

}  // namespace pelma
