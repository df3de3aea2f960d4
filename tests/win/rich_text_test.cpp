#include <richedit.h>

#include <set>
#include <vector>

#include "harness.h"
#include "view/rich_edit.h"

namespace pelma::test {
namespace {

using RichTextView = MainWindowTest;

DWORD EffectsAt(HWND edit, const std::wstring& text, const std::wstring& word, COLORREF* color) {
    auto at = static_cast<LPARAM>(text.find(word));
    SendMessageW(edit, EM_SETSEL, at, at + static_cast<LPARAM>(word.size()));
    CHARFORMATW cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    if (color) *color = cf.crTextColor;
    return cf.dwEffects;
}

TEST_F(RichTextView, FormattedFileKeepsItsFormatting) {
    const std::string rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
        "\\f0 plain \\b bold\\b0  \\cf1 red\\cf0\\par}";
    Open(dir_.Write(L"doc.rtf", rtf));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    TPelmaForm1& f = Form();
    EXPECT_TRUE(f.RichEdit1->Visible());
    SIZE c = ClientSize(f.Handle());
    EXPECT_EQ(c.cx, layout::kTextClientWidth);
    EXPECT_EQ(c.cy, layout::kTextClientHeight);
    std::wstring text = f.RichEdit1->Text();
    ASSERT_NE(text.find(L"bold"), std::wstring::npos) << Narrow(text);
    EXPECT_TRUE(EffectsAt(f.RichEdit1->Handle(), text, L"bold", nullptr) & CFE_BOLD);
    EXPECT_FALSE(EffectsAt(f.RichEdit1->Handle(), text, L"plain", nullptr) & CFE_BOLD);
    COLORREF red = 0;
    EffectsAt(f.RichEdit1->Handle(), text, L"red", &red);
    EXPECT_EQ(red, RGB(255, 0, 0));
    EXPECT_TRUE(GetWindowLongPtrW(f.RichEdit1->Handle(), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(SendMessageW(f.RichEdit1->Handle(), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFF0);
}

TEST_F(RichTextView, PlainTextNamedRtfFallsBackWithLineEndsNormalised) {
    Open(dir_.Write(L"notes.RTF", std::string("one\rtwo\nthree\r\nfour")));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    std::wstring text = Form().RichEdit1->Text();
    EXPECT_NE(text.find(L"one"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"four"), std::wstring::npos) << Narrow(text);
    // Three line breaks, one per line end, whatever the control reads back.
    int breaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == L'\r' || (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))) ++breaks;
    EXPECT_EQ(breaks, 3) << Narrow(text);
}

// A control that takes some of the stream and then rejects the format: the
// plain-text retry starts again from the file's first byte; when the control
// rejects that too, the load fails with its own message.
TEST_F(RichTextView, ARejectedFormatIsRetriedAsTextFromTheStartAndTwoRejectionsFail) {
    std::vector<WPARAM> formats;
    std::set<WPARAM> rejected = {SF_RTF};
    Form().RichEdit1->SendStreamIn = [&](HWND hwnd, WPARAM format, EDITSTREAM& stream) {
        formats.push_back(format);
        if (!rejected.count(format)) return TRichEdit::SendToControl(hwnd, format, stream);
        BYTE taken[8];
        LONG n = 0;
        stream.pfnCallback(stream.dwCookie, taken, sizeof taken, &n);
        stream.dwError = static_cast<DWORD>(-16);
    };
    Open(dir_.Write(L"odd.rtf", std::string("{\\rtf1 first words, then more}")));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(formats, (std::vector<WPARAM>{SF_RTF, SF_TEXT}));
    EXPECT_EQ(Form().RichEdit1->Text().rfind(L"{\\rtf1 first words", 0), 0u)
        << Narrow(Form().RichEdit1->Text());
    EXPECT_TRUE(Form().RichEdit1->Visible());

    rejected.insert(SF_TEXT);
    formats.clear();
    Open(dir_.Write(L"worse.rtf", std::string("{\\rtf1 x}")));
    EXPECT_EQ(formats, (std::vector<WPARAM>{SF_RTF, SF_TEXT}));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"ストリームからの読み込みに失敗しました.");
    EXPECT_FALSE(Form().RichEdit1->Visible());
}

TEST_F(RichTextView, OpenFailuresNameTheAbsolutePath) {
    auto name = dir_.Write(L"held.rtf", std::string("{\\rtf1 x}"));
    HANDLE writer = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    Open(name);
    CloseHandle(writer);
    Open(dir_.File(L"missing.rtf"));
    ASSERT_EQ(Boxes().size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Boxes()[i].text.rfind(L"ファイル \"", 0), 0u) << Narrow(Boxes()[i].text);
        EXPECT_NE(Boxes()[i].text.find(L" は開けません"), std::wstring::npos);
    }
    EXPECT_NE(Boxes()[1].text.find(dir_.File(L"missing.rtf")), std::wstring::npos);
    EXPECT_FALSE(Form().RichEdit1->Visible());
    // The file is closed after every load: it can be deleted.
    Open(name);
    EXPECT_TRUE(DeleteFileW(name.c_str()));
}

}  // namespace
}  // namespace pelma::test
