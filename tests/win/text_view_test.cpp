#include "harness.h"
#include "ui/application.h"

namespace pelma::test {
namespace {

using TextView = MainWindowTest;

std::wstring FromAnsi(const std::string& bytes) {
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    return w;
}

TEST_F(TextView, TextFileShownAsItsBytes) {
    // "表示" in Shift-JIS, line feeds only, and a tab.
    const std::string bytes = "line one\nline\ttwo \x95\x5c\x8e\xa6\n";
    auto name = dir_.Write(L"ソース能.txt", bytes);
    Open(name);
    TPelmaForm1& f = Form();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(f.Caption(), L" ファイル名 『 ソース能.txt 』");
    EXPECT_EQ(f.Memo1->Text(), FromAnsi(bytes));
    EXPECT_NE(f.Memo1->Text().find(L"表示"), std::wstring::npos);
    SIZE c = ClientSize(f.Handle());
    EXPECT_EQ(c.cx, layout::kTextClientWidth);
    EXPECT_EQ(c.cy, layout::kTextClientHeight);
    EXPECT_EQ(f.Memo1->Font().Name, L"FixedSys");
    EXPECT_EQ(f.Memo1->Font().Height, 16);
    EXPECT_TRUE(f.Memo1->Visible());
    for (ui::TControl* c2 :
         {static_cast<ui::TControl*>(f.Image1.get()), static_cast<ui::TControl*>(f.OpenLabel.get()),
          static_cast<ui::TControl*>(f.DDLabel.get()), static_cast<ui::TControl*>(f.Panel2.get())})
        EXPECT_FALSE(c2->Visible()) << Narrow(c2->Name);
    EXPECT_TRUE(f.Label1->Visible());
    EXPECT_EQ(f.Label1->Caption(), L" " + std::to_wstring(bytes.size()) + L" byt");
    EXPECT_EQ(f.Label1->Font().Color, RGB(0, 0, 255));
    EXPECT_EQ(f.Label1->Font().Height, 12);  // 9 points
}

TEST_F(TextView, BinaryFileShownAsADumpOfItsFirst4096Bytes) {
    std::string bytes(5000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i & 0xFF);
    Open(dir_.Write(L"data.bin", bytes));
    std::wstring text = Form().Memo1->Text();
    EXPECT_EQ(text.substr(0, 57), L"0000 : 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \r\n");
    EXPECT_EQ(text.size(), 256u * 57u);
    EXPECT_EQ(text.substr(text.size() - 57), L"0FF0 : F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF \r\n");
    EXPECT_EQ(Form().Label1->Caption(), L" 4.88 KB");

    // A control byte past the first 4096 bytes does not matter; an ESC within them does.
    std::string late(4096, 'a');
    late += '\x1b';
    Open(dir_.Write(L"late.txt", late));
    EXPECT_EQ(Form().Memo1->Text(), std::wstring(4096, L'a'));
    Open(dir_.Write(L"esc.txt", std::string("ab\x1b")));
    EXPECT_EQ(Form().Memo1->Text(), L"0000 : 61 62 1B \r\n");
    Open(dir_.Write(L"empty", std::string()));
    EXPECT_EQ(Form().Memo1->Text(), L"");
    EXPECT_EQ(Form().Label1->Caption(), L" 0 byt");
    EXPECT_TRUE(Boxes().empty());
}

// UTF-16 units of a wide string, in either byte order, after a byte-order mark.
std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string b = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        b += bigEndian ? high : low;
        b += bigEndian ? low : high;
    }
    return b;
}

TEST_F(TextView, UnicodeTextShownAsItsCharacters) {
    const std::string utf8 = "日本語のテキスト\r\nline\ttwo\n";
    const std::wstring wide = L"日本語のテキスト\r\nline\ttwo\n";
    const struct {
        const wchar_t* name;
        std::string bytes;
    } files[] = {{L"utf8.txt", utf8},
                 {L"utf8bom.txt", "\xEF\xBB\xBF" + utf8},
                 {L"utf16le.txt", Utf16(wide, false)},
                 {L"utf16be.txt", Utf16(wide, true)}};
    for (const auto& file : files) {
        Open(dir_.Write(file.name, file.bytes));
        EXPECT_EQ(Form().Memo1->Text(), wide) << Narrow(file.name);
        EXPECT_EQ(Form().Label1->Caption(), L" " + std::to_wstring(file.bytes.size()) + L" byt");
    }
    EXPECT_TRUE(Boxes().empty());

    // Shift-JIS whose only well-formed UTF-8 is its ASCII stays in the code page.
    const std::string sjis = "abc \x93\xFA\x96\x7B\x8C\xEA\r\n";
    Open(dir_.Write(L"sjis.txt", sjis));
    EXPECT_EQ(Form().Memo1->Text(), FromAnsi(sjis));
    EXPECT_EQ(Form().Memo1->Text(), L"abc 日本語\r\n");

    // The read limit cuts 日 after two of its three bytes: the half is not shown.
    std::string cut(4093, 'a');
    cut += "\xE6\x9C\xAC\xE6\x97\xA5";  // 本日
    Open(dir_.Write(L"cut.txt", cut));
    EXPECT_EQ(Form().Memo1->Text(), std::wstring(4093, L'a') + L"本");

    // A control character among UTF-16 text makes a dump of the bytes, mark included.
    Open(dir_.Write(L"control.txt", Utf16(L"日\x01", false)));
    EXPECT_EQ(Form().Memo1->Text(), L"0000 : FF FE E5 65 01 00 \r\n");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TextView, MissingFileGivesOneBoxAndNoView) {
    Open(dir_.File(L"nothing here.txt"));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"ファイルが見つかりません.");
    EXPECT_EQ(Form().Caption(), L" ファイル名 『 nothing here.txt 』");
    EXPECT_FALSE(Form().Memo1->Visible());
    EXPECT_FALSE(Form().Label1->Visible());
    EXPECT_FALSE(Form().Image1->Visible());
    Open(dir_.File(L"no folder\\x.txt"));
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1].text, L"ファイル名の指定が間違っています.");
}

TEST_F(TextView, FolderIsAccessDenied) {
    CreateDirectoryW(dir_.File(L"sub.dir").c_str(), nullptr);
    Open(dir_.File(L"sub.dir"));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"ファイルへのアクセスが拒否されました.");
    EXPECT_FALSE(Form().Memo1->Visible());
}

TEST_F(TextView, ReadOnlyFileShowsTheMarkThenTheNextFileItsSize) {
    auto ro = dir_.Write(L"ro.txt", std::string("read only"));
    SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY);
    Open(ro);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form().Memo1->Text(), L"read only");
    EXPECT_EQ(Form().Label1->Caption(), L" - ReadOnly - ");
    EXPECT_EQ(Form().Label1->Font().Color, RGB(255, 0, 0));
    EXPECT_EQ(Form().Label1->Font().Height, 12);
    Open(dir_.Write(L"rw.txt", std::string(1152, 'x')));
    EXPECT_EQ(Form().Label1->Caption(), L" 1.13 KB");
    EXPECT_EQ(Form().Label1->Font().Color, RGB(0, 0, 255));
}

TEST_F(TextView, FileHeldOpenForWritingIsShownAndNeverLocked) {
    auto name = dir_.Write(L"busy.log", std::string("busy"));
    HANDLE writer = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    Open(name);
    CloseHandle(writer);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form().Memo1->Text(), L"busy");
    // Nothing stays open: the file can be renamed and deleted at once.
    auto moved = dir_.File(L"moved.log");
    EXPECT_TRUE(MoveFileW(name.c_str(), moved.c_str()));
    EXPECT_TRUE(DeleteFileW(moved.c_str()));
}

TEST_F(TextView, SizeLabelFollowsTheSeparatorsOfTheSettings) {
    auto big = dir_.Write(L"big.txt", std::string(1048575, 'x'));
    auto odd = dir_.Write(L"odd.txt", std::string(1152, 'x'));
    Open(big);
    EXPECT_EQ(Form().Label1->Caption(), L" 1,024 KB");
    // Settings that group with '.' and mark decimals with ',' (German), read
    // again as after the system's announcement of changed settings.
    LCID before = GetThreadLocale();
    ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT)));
    SendMessageW(ui::Application().Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    Open(big);
    EXPECT_EQ(Form().Label1->Caption(), L" 1.024 KB");
    Open(odd);
    EXPECT_EQ(Form().Label1->Caption(), L" 1,13 KB");
    SetThreadLocale(before);
}

}  // namespace
}  // namespace pelma::test
