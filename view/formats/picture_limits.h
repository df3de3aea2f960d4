// The memory a decoded picture may take. Every reader checks a picture's
// dimensions against this budget before it allocates any pixels, so no file
// can make the program ask for more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelma {

// Width × height × 4 bytes (one 32-bit pixel each) may not exceed this.
inline constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{1} << 30;

// "画像が大きすぎます": the message of an EInvalidGraphic for a picture over the budget.
std::wstring PictureTooLargeMessage();

// True when width × height 32-bit pixels fit in `budgetBytes` and each side
// fits in an int; never overflows.
bool FitsPixelBudget(std::uint64_t width, std::uint64_t height, std::uint64_t budgetBytes);

// Throws EInvalidGraphic(PictureTooLargeMessage()) unless the picture fits.
void CheckPixelBudget(std::uint64_t width, std::uint64_t height, std::uint64_t budgetBytes);

// A zero-filled buffer of `count` elements; an allocation the system refuses
// becomes the same EInvalidGraphic as a picture over the budget.
template <class T>
std::vector<T> AllocatePixels(std::size_t count);

extern template std::vector<std::uint8_t> AllocatePixels<std::uint8_t>(std::size_t);
extern template std::vector<std::uint32_t> AllocatePixels<std::uint32_t>(std::size_t);

}  // namespace pelma
