// The text and hex view: the first 4096 bytes as text, or as a hex dump.
#include "app/main_form.h"
#include "view/file_access.h"
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

void TPelmaForm1::ShowTextView(const std::wstring& fileName) {
    std::vector<std::uint8_t> bytes = ReadFileStart(fileName, kTextViewBytes);
    const TextReading reading = ReadTextStart(bytes.data(), bytes.size(), bytes.size() == kTextViewBytes);
    if (reading.isText && reading.encoding != TextEncoding::Ansi) {
        Memo1->SetText(std::wstring(reading.text.begin(), reading.text.end()));
    } else if (reading.isText) {
        Memo1->SetText(AnsiToWide(std::string(bytes.begin(), bytes.end())));
    } else {
        std::string dump;
        for (const auto& line : DumpLines(bytes.data(), bytes.size())) dump += line + "\r\n";
        Memo1->SetText(AnsiToWide(dump));
    }
    SetClientSize(550, 400);
    ui::TFont font = Memo1->Font();
    font.SetSize(12);
    font.Name = L"FixedSys";
    Memo1->SetFont(font);
    Memo1->Show();
    ShowFileSize(fileName);
}

}  // namespace pelma
