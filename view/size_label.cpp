// The tool-bar label with the open file's size or a read-only mark.
#include "app/main_form.h"
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

void TPelmaForm1::ReadNumberSeparators() {
    separators_.thousands = LocaleChar(LOCALE_STHOUSAND, L',');
    separators_.decimal = LocaleChar(LOCALE_SDECIMAL, L'.');
}

void TPelmaForm1::ShowFileSize(const std::wstring& fileName) {
    DWORD attributes = NamedFileAttributes(fileName);
    // Attributes that cannot be read say nothing about read-only: leave the
    // label as it is and let the view report the real failure.
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        Label1->SetCaption(kReadOnlyMark);
        Label1->SetFontColor(kRed);
        Label1->SetFontSize(9);
        Label1->Show();
        return;
    }
    ui::UniqueFile file = OpenForSharedReading(fileName);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) RaiseInOutError(GetLastError());
    Label1->SetCaption(SizeLabelText(static_cast<std::uint64_t>(size.QuadPart), separators_));
    Label1->SetFontColor(kBlue);
    Label1->SetFontSize(9);
    Label1->Show();
    if (!CloseHandle(file.release())) RaiseInOutError(GetLastError());
}

}  // namespace pelma
