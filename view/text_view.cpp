#include "view/text_view.h"

#include "view/file_access.h"
#include "view/layout.h"
#include "view/text_dump.h"
#include "view/text_encoding.h"

namespace pelma {

namespace {

// File bytes without a Unicode encoding are shown as text of the system's ANSI code page.
std::wstring AnsiToWide(const std::string& bytes) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

}  // namespace

void TextView::Show(const std::wstring& fileName) {
    std::vector<std::uint8_t> bytes = ReadFileStart(fileName, kTextViewBytes);
    const TextReading reading = ReadTextStart(bytes.data(), bytes.size(), bytes.size() == kTextViewBytes);
    if (reading.isText && reading.encoding != TextEncoding::Ansi) {
        memo_.SetText(std::wstring(reading.text.begin(), reading.text.end()));
    } else if (reading.isText) {
        memo_.SetText(AnsiToWide(std::string(bytes.begin(), bytes.end())));
    } else {
        std::string dump;
        for (const auto& line : DumpLines(bytes.data(), bytes.size())) dump += line + "\r\n";
        memo_.SetText(AnsiToWide(dump));
    }
    window_.SetClientSize(layout::kTextClientWidth, layout::kTextClientHeight);
    ui::TFont font = memo_.Font();
    font.SetSize(12);
    font.Name = L"FixedSys";
    memo_.SetFont(font);
    memo_.Show();
    sizeLabel_.Show(fileName);
}

}  // namespace pelma
