#include "view/size_label.h"

#include <windows.h>

#include "core/errors.h"
#include "view/file_access.h"

namespace pelma {

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

wchar_t LocaleChar(LCTYPE type, wchar_t fallback) {
    wchar_t buf[8] = {};
    if (GetLocaleInfoW(GetThreadLocale(), type, buf, 8) > 1) return buf[0];
    return fallback;
}

}  // namespace

void SizeLabel::ReadNumberSeparators() {
    separators_.thousands = LocaleChar(LOCALE_STHOUSAND, L',');
    separators_.decimal = LocaleChar(LOCALE_SDECIMAL, L'.');
}

void SizeLabel::Show(const std::wstring& fileName) {
    const DWORD attributes = NamedFileAttributes(fileName);
    // Attributes that cannot be read say nothing about this file: the view
    // that follows reports the real failure.
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        label_.Hide();
        label_.SetCaption(L"");
        return;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        label_.SetCaption(kReadOnlyMark);
        label_.SetFontColor(kRed);
        label_.SetFontSize(9);
        label_.Show();
        return;
    }
    ui::UniqueFile file =
        OpenForReading(fileName, FILE_SHARE_READ | FILE_SHARE_WRITE, OpenFailure::InOutError);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) RaiseInOutError(GetLastError());
    label_.SetCaption(SizeLabelText(static_cast<std::uint64_t>(size.QuadPart), separators_));
    label_.SetFontColor(kBlue);
    label_.SetFontSize(9);
    label_.Show();
    CloseReadFile(file);
}

}  // namespace pelma
