// The order in which a folder's files are stepped through, as Explorer sorts
// names: runs of digits compare by their value, letters without their case.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelma {

// Negative, zero or positive as `a` sorts before, with or after `b`.
// "IMG_9.jpg" < "IMG_10.jpg"; "a.JPG" and "A.jpg" sort together. Names
// that differ only in case or in leading zeros are still told apart, so the
// order is total and a sorted list has one place for every name.
int CompareLogical(std::wstring_view a, std::wstring_view b);

enum class StepDirection { Next, Previous, First, Last };

// Where a step from `current` lands in `sorted` (names in CompareLogical
// order): the first name after it, the last before it, the first or the
// last; none at that end. `current` need not be in the list (a file that is
// gone, or of another family): the step goes from the place it would have.
std::optional<std::size_t> StepIndex(const std::vector<std::wstring>& sorted, std::wstring_view current,
                                     StepDirection direction);

}  // namespace pelma
