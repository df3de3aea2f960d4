// The memory a decoded picture may take. Every reader checks a picture's
// dimensions against this budget before it allocates any pixels, so no file
// can make the program ask for more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelma {

// The budget of a build whose pointers have `pointerBits` bits: width × height
// × 4 bytes (one 32-bit pixel each) may not exceed it. A picture's pixels are
// held about twice over while it is shown (decoded rows and the section it is
// drawn from, with a reduced copy beside them) next to the file's bytes. A
// 64-bit process has room for 1 GiB of them. A 32-bit one has 2 GiB of
// address space on 32-bit Windows (4 GiB on 64-bit Windows, as the program is
// large-address-aware), shared with the program and the system's modules and
// cut into pieces by them; 256 MiB (64 million pixels) still finds its room.
constexpr std::uint64_t PictureBudgetFor(unsigned pointerBits) {
    return pointerBits >= 64 ? std::uint64_t{1} << 30 : std::uint64_t{256} << 20;
}

// The budget of this build.
inline constexpr std::uint64_t kMaxPictureBytes = PictureBudgetFor(sizeof(void*) * 8);

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
