#include "app/about_box.h"
#include "core/errors.h"
#include "harness.h"
#include "resource_ids.h"
#include "ui/application.h"
#include "ui/handles.h"
#include "view/file_access.h"

namespace pelma::test {
namespace {

using WelcomeScreen = MainWindowTest;

TEST_F(WelcomeScreen, GeometryCaptionAndVisibleControls) {
    TPelmaForm1& f = Form();
    RECT r;
    GetWindowRect(f.Handle(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 329);
    EXPECT_EQ(r.bottom - r.top, 337);
    EXPECT_EQ(f.Caption(), L"\u3000Pelma\u3000Ver 3.4\u3000Tovik");
    wchar_t cls[64];
    GetClassNameW(f.Handle(), cls, 64);
    EXPECT_STREQ(cls, L"TPelmaForm1");
    // The window's icon, large and small, is the program's main icon.
    HICON mainIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAINICON));
    ASSERT_NE(mainIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(f.Handle(), GCLP_HICON)), mainIcon);
    // The application's window, the program's taskbar button, shows it too.
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(ui::Application().Handle(), GCLP_HICON)), mainIcon);
    ICONINFO small{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrW(f.Handle(), GCLP_HICONSM)), &small));
    BITMAP mask{};
    GetObjectW(small.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, GetSystemMetrics(SM_CXSMICON));
    DeleteObject(small.hbmMask);
    if (small.hbmColor) DeleteObject(small.hbmColor);

    // Labels centred by the main window's client width (not the scroll box's).
    const int cw = f.ClientWidth();
    EXPECT_EQ(f.OpenLabel->Left(), (cw - f.OpenLabel->Width()) / 2);
    EXPECT_EQ(f.OpenLabel->Top(), 30);
    EXPECT_EQ(f.DDLabel->Left(), (cw - f.DDLabel->Width()) / 2);
    EXPECT_EQ(f.DDLabel->Top(), 160);
    EXPECT_EQ(f.OpenLabel->Caption(), L"画像・文書・音声・動画\r\nバイナリーファイル等\r\nが開けます。");
    EXPECT_EQ(f.DDLabel->Caption(), L"このウィンドウにファイルを\r\n【Ｄ＆Ｄ】しても開きます。");
    EXPECT_GT(f.OpenLabel->Height(), 3 * 20);  // three lines of 27-pixel type

    // Visible: the tool bar with Open and Exit, the stretched splash picture and the labels.
    for (ui::TControl* c :
         {static_cast<ui::TControl*>(f.CoolBar1.get()), static_cast<ui::TControl*>(f.SpeedButton1.get()),
          static_cast<ui::TControl*>(f.SpeedButton3.get()), static_cast<ui::TControl*>(f.Image1.get()),
          static_cast<ui::TControl*>(f.OpenLabel.get()), static_cast<ui::TControl*>(f.DDLabel.get()),
          static_cast<ui::TControl*>(f.ScrollBox1.get())})
        EXPECT_TRUE(c->Visible()) << Narrow(c->Name);
    for (ui::TControl* c :
         {static_cast<ui::TControl*>(f.Panel2.get()), static_cast<ui::TControl*>(f.SpeedButton2.get()),
          static_cast<ui::TControl*>(f.SpeedButton4.get()), static_cast<ui::TControl*>(f.KakudaiButton.get()),
          static_cast<ui::TControl*>(f.ShukushouButton.get()), static_cast<ui::TControl*>(f.FullScreen.get()),
          static_cast<ui::TControl*>(f.Label1.get()), static_cast<ui::TControl*>(f.Image2.get()),
          static_cast<ui::TControl*>(f.Memo1.get()), static_cast<ui::TControl*>(f.DisplayPanel.get())})
        EXPECT_FALSE(c->Visible()) << Narrow(c->Name);
    EXPECT_TRUE(f.Image1->Stretch());
    EXPECT_EQ(f.Image1->Picture()->Width(), 640);
    EXPECT_EQ(f.Image1->Picture()->Height(), 506);
    // The splash fills the scroll box's client area.
    SIZE box = ClientSize(f.ScrollBox1->Handle());
    EXPECT_EQ(f.Image1->Width(), box.cx);
    EXPECT_EQ(f.Image1->Height(), box.cy);
    EXPECT_EQ(f.CoolBar1->Height(), 29);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(WelcomeScreen, ActionsAndMenus) {
    TPelmaForm1& f = Form();
    // The six commands of old, all enabled; the steps through the folder;
    // then the picture's own, whose keys wait for a picture.
    const wchar_t* names[] = {L"ActMovS",           L"ActMovL",       L"ActFullScreen",
                              L"ActAbout",          L"ActS",          L"ActL",
                              L"ActNextFile",       L"ActPrevFile",   L"ActFirstFile",
                              L"ActLastFile",       L"ActFit",        L"ActZoomIn",
                              L"ActZoomOut",        L"ActZoomActual", L"ActPictureFullScreen",
                              L"ActLeaveFullScreen"};
    const int shortcuts[] = {16467,
                             16460,
                             16454,
                             0,
                             0,
                             0,
                             VK_RIGHT,
                             VK_LEFT,
                             VK_HOME,
                             VK_END,
                             'F',
                             0x4000 | VK_OEM_PLUS,
                             0x4000 | VK_OEM_MINUS,
                             0x4000 | '0',
                             VK_F11,
                             VK_ESCAPE};
    ASSERT_EQ(f.ActionList1.Actions().size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(f.ActionList1.Actions()[i]->Name, names[i]);
        EXPECT_EQ(f.ActionList1.Actions()[i]->ShortCut(), shortcuts[i]);
        EXPECT_EQ(f.ActionList1.Actions()[i]->Enabled(), i < 11) << i;
    }
    EXPECT_EQ(f.PopupMenu1->Items[0].Text(), L"縮小\tCtrl+S");
    EXPECT_EQ(f.PopupMenu1->Items[2].Text(), L"拡大\tCtrl+L");
    EXPECT_EQ(f.PopupMenu1->Items[4].Text(), L"全画面\tCtrl+F");
    EXPECT_EQ(f.PopupMenu2->Items[0].Text(), L"縮小");
    EXPECT_EQ(f.PopupMenu2->Items[2].Text(), L"実寸");
    EXPECT_EQ(f.PopupMenu2->Items[4].Text(), L"バージョン情報");
    EXPECT_EQ(f.PopupMenu2->Items[6].Text(), L"全体表示\tF");
    EXPECT_EQ(f.SpeedButton2->Caption(), L"実寸");
    EXPECT_EQ(f.SpeedButton4->Caption(), L"縮小");
}

using ErrorDisplay = MainWindowTest;

TEST_F(ErrorDisplay, StopBoxOwnedByTheApplicationWithTheOthersDisabled) {
    ui::Application().ShowErrorMessage(L"ファイルが見つかりません");
    ui::Application().ShowErrorMessage(L"I/O エラー (87)");
    ui::Application().ShowErrorMessage(L"");
    ui::Application().HandleException(std::make_exception_ptr(EAbort()));
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[0].text, L"ファイルが見つかりません.");
    EXPECT_EQ(Boxes()[1].text, L"I/O エラー (87)");
    EXPECT_EQ(Boxes()[2].text, L"");
    for (const auto& b : Boxes()) {
        EXPECT_EQ(b.caption, L"Pelma");
        EXPECT_EQ(b.flags, 0x10u);
        EXPECT_EQ(b.owner, ui::Application().Handle());
    }
}

TEST_F(ErrorDisplay, OtherWindowsDisabledOnlyWhileTheBoxIsUp) {
    ShowWindow(Form().Handle(), SW_SHOWNA);
    ui::Application().ShowErrorMessage(L"x");
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_FALSE(Boxes()[0].mainWindowEnabled);
    EXPECT_TRUE(IsWindowEnabled(Form().Handle()));
}

using CommandLine = MainWindowTest;

TEST_F(CommandLine, EveryArgumentOpensInTurnAndTheLastStays) {
    auto a = dir_.Write(L"first file.txt", std::string("one"));
    auto b = dir_.Write(L"second.txt", std::string("two"));
    Form().CommandLine = L"pelma34.exe \"" + a + L"\" " + b;
    Form().ShowForm();
    EXPECT_EQ(Form().Caption(), L" ファイル名 『 second.txt 』");
    EXPECT_EQ(Form().Memo1->Text(), L"two");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CommandLine, AMissingFirstFileStopsTheList) {
    auto b = dir_.Write(L"second.txt", std::string("two"));
    Form().CommandLine = L"pelma34.exe \"" + dir_.File(L"missing.txt") + L"\" \"" + b + L"\"";
    Form().ShowForm();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"ファイルが見つかりません.");
    EXPECT_EQ(Form().Caption(), L" ファイル名 『 missing.txt 』");
    EXPECT_FALSE(Form().Memo1->Visible());
    EXPECT_TRUE(IsWindowVisible(Form().Handle()));
}

TEST_F(CommandLine, MaximisedStartWithAFileEndsNormal) {
    auto a = dir_.Write(L"a.txt", std::string("text"));
    Form().CommandLine = L"pelma34.exe " + a;
    Form().ShowAtStart(SW_SHOWMAXIMIZED);
    EXPECT_FALSE(IsZoomed(Form().Handle()));
    SIZE c = ClientSize(Form().Handle());
    EXPECT_EQ(c.cx, layout::kTextClientWidth);
    EXPECT_EQ(c.cy, layout::kTextClientHeight);
}

TEST_F(CommandLine, OnlyAMinimisedInactiveStartWaitsForTheFirstRestore) {
    auto a = dir_.Write(L"a.txt", std::string("text"));
    Form().CommandLine = L"pelma34.exe " + a;
    Form().ShowAtStart(SW_SHOWMINNOACTIVE);
    EXPECT_EQ(Form().Memo1->Text(), L"");  // not opened before the window is restored
    EXPECT_TRUE(IsIconic(Form().Handle()));

    // Any other show code shows the window at once, with its files opened.
    TearDown();
    SetUp();
    Form().CommandLine = L"pelma34.exe " + a;
    Form().ShowAtStart(SW_SHOWMINIMIZED);
    EXPECT_EQ(Form().Memo1->Text(), L"text");
    EXPECT_TRUE(IsWindowVisible(Form().Handle()));
}

// Names whose full path is beyond the classic 260-character limit, given
// without the extended-length prefix, open from the command line and from
// the Open dialog, their size shown.
TEST_F(CommandLine, NamesBeyondTheClassicPathLimitOpen) {
    std::wstring folder = dir_.Path();
    while (folder.size() < 300) {
        folder += L"\\長いフォルダ名-0123456789-abcdefghij";
        ASSERT_TRUE(CreateDirectoryW(SystemPath(folder).c_str(), nullptr));
    }
    const std::wstring name = folder + L"\\long name.txt";
    ASSERT_GT(name.size(), 300u);
    {
        ui::UniqueFile f(CreateFileW(SystemPath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(f);
        DWORD n = 0;
        WriteFile(f.get(), "far away", 8, &n, nullptr);
    }
    EXPECT_EQ(SystemPath(name), L"\\\\?\\" + name);

    Form().CommandLine = L"pelma34.exe \"" + name + L"\"";
    Form().ShowForm();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form().Memo1->Text(), L"far away");
    EXPECT_EQ(Form().Label1->Caption(), L" 8 byt");

    Form().OpenDialogExecute = [&](OPENFILENAMEW* ofn) {
        if (name.size() + 1 > ofn->nMaxFile) return FALSE;
        wcscpy(ofn->lpstrFile, name.c_str());
        return TRUE;
    };
    Open(dir_.Write(L"other.txt", std::string("x")));
    Form().SpeedButton1Click();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form().Memo1->Text(), L"far away");

    // Removed through the prefixed form: the scratch folder's own clean-up
    // takes classic paths.
    DeleteFileW(SystemPath(name).c_str());
    while (folder.size() > dir_.Path().size()) {
        RemoveDirectoryW(SystemPath(folder).c_str());
        folder.erase(folder.rfind(L'\\'));
    }
}

TEST(AboutBox, TemplateAndCentring) {
    TAboutBox box;
    EXPECT_FALSE(box.Visible());
    SIZE c = ClientSize(box.Handle());
    EXPECT_EQ(c.cx, 273);
    EXPECT_EQ(c.cy, 195);
    EXPECT_EQ(box.Caption(), L"バージョン情報");
    box.SetBounds(5, 5, box.Width(), box.Height());
    box.ShowBox();
    EXPECT_EQ(box.Left(), (GetSystemMetrics(SM_CXSCREEN) - box.Width()) / 2);
    EXPECT_EQ(box.Top(), (GetSystemMetrics(SM_CYSCREEN) - box.Height()) / 2);
    // A second show while visible does nothing, not even move it back.
    box.SetBounds(7, 9, box.Width(), box.Height());
    box.ShowBox();
    EXPECT_EQ(box.Left(), 7);
    box.OKButtonClick();
    EXPECT_FALSE(IsWindowVisible(box.Handle()));
}

}  // namespace
}  // namespace pelma::test
