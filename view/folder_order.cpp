#include "view/folder_order.h"

#include <algorithm>

namespace pelma {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Letters compared without their case: ASCII, Latin-1, Greek and Cyrillic,
// and the full-width Latin letters of Japanese names.
wchar_t Fold(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<wchar_t>(c - 32);
    if ((c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
        return static_cast<wchar_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 80);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<wchar_t>(c - 32);
    return c;
}

}  // namespace

int CompareLogical(std::wstring_view a, std::wstring_view b) {
    std::size_t i = 0, j = 0;
    int tie = 0;  // the first difference in case or leading zeros, if nothing else differs
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t si = i, sj = j;
            while (si < a.size() && a[si] == L'0') ++si;
            while (sj < b.size() && b[sj] == L'0') ++sj;
            std::size_t ei = si, ej = sj;
            while (ei < a.size() && IsDigit(a[ei])) ++ei;
            while (ej < b.size() && IsDigit(b[ej])) ++ej;
            // Without their leading zeros, the longer run is the larger number.
            if (ei - si != ej - sj) return ei - si < ej - sj ? -1 : 1;
            for (std::size_t k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k]) return a[si + k] < b[sj + k] ? -1 : 1;
            if (tie == 0 && (si - i) != (sj - j)) tie = (si - i) > (sj - j) ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const wchar_t ca = Fold(a[i]), cb = Fold(b[j]);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (tie == 0 && a[i] != b[j]) tie = a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
    return tie;
}

std::optional<std::size_t> StepIndex(const std::vector<std::wstring>& sorted, std::wstring_view current,
                                     StepDirection direction) {
    if (sorted.empty()) return std::nullopt;
    const auto before = [](const std::wstring& name, std::wstring_view c) {
        return CompareLogical(name, c) < 0;
    };
    const auto after = [](std::wstring_view c, const std::wstring& name) {
        return CompareLogical(c, name) < 0;
    };
    switch (direction) {
        case StepDirection::First:
            return 0;
        case StepDirection::Last:
            return sorted.size() - 1;
        case StepDirection::Next: {
            const auto it = std::upper_bound(sorted.begin(), sorted.end(), current, after);
            if (it == sorted.end()) return std::nullopt;
            return static_cast<std::size_t>(it - sorted.begin());
        }
        case StepDirection::Previous: {
            const auto it = std::lower_bound(sorted.begin(), sorted.end(), current, before);
            if (it == sorted.begin()) return std::nullopt;
            return static_cast<std::size_t>(it - sorted.begin()) - 1;
        }
    }
    return std::nullopt;
}

}  // namespace pelma
