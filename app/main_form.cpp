// The main window's creation, its first showing and the ways files reach it.
#include "app/main_form.h"

#include <commdlg.h>
#include <shellapi.h>

#include "app/about_box.h"
#include "app/command_line.h"
#include "media/display_modes.h"
#include "media/media_player.h"
#include "media/media_view.h"
#include "resource_ids.h"
#include "ui/application.h"
#include "ui/late_bound.h"
#include "view/file_kind.h"
#include "view/picture_loader.h"
#include "view/picture_view.h"
#include "view/read_ahead.h"
#include "view/rich_edit.h"
#include "view/rich_text_view.h"
#include "view/text_view.h"

namespace pelma {

using namespace std::string_literals;

TPelmaForm1* PelmaForm1 = nullptr;

TPelmaForm1::TPelmaForm1()
    : ui::TForm(L"TPelmaForm1", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME,
                WS_EX_APPWINDOW, IDI_MAINICON) {
    PelmaForm1 = this;
    BuildTemplate();
    BuildViews();
    // The separators are read again whenever the system announces changed settings.
    ui::Application().OnSettingChange = [this] { ReadNumberSeparators(); };
    ui::Application().OnIdle = [this] { PlanReadAhead(); };
    ShowPicturesIn(hwnd_);
    RunCreate(static_cast<void (ui::TForm::*)()>(&TPelmaForm1::FormCreate));
}

TPelmaForm1::~TPelmaForm1() {
    // The movie device is bound to DisplayPanel's window: it is closed while
    // that window still exists.
    try {
        MediaPlayer1->Device().Close();
    } catch (...) {
        // Nothing can be reported at the end; the device closes with the player.
    }
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & ~WS_EX_ACCEPTFILES);
    // The application's handlers are this window's only while it is the main window.
    if (PelmaForm1 == this) {
        ui::Application().OnSettingChange = nullptr;
        ui::Application().OnIdle = nullptr;
        ShowPicturesIn(nullptr);
        PelmaForm1 = nullptr;
    }
}

void TPelmaForm1::FormCreate() {
    SetBounds(0, 0, 329, 337);
    SpeedButton2->Hide();
    SpeedButton4->Hide();
    KakudaiButton->Hide();
    FullScreen->Hide();
    SetCaption(L"\u3000Pelma\u3000Ver 3.4\u3000Tovik");
    Image1->SetStretch(true);
    OpenLabel->SetCaption(L"画像・文書・音声・動画\r\nバイナリーファイル等\r\nが開けます。");
    OpenLabel->SetLeft((ClientWidth() - OpenLabel->Width()) / 2);
    OpenLabel->SetTop(30);
    DDLabel->SetCaption(L"このウィンドウにファイルを\r\n【Ｄ＆Ｄ】しても開きます。");
    DDLabel->SetLeft((ClientWidth() - DDLabel->Width()) / 2);
    DDLabel->SetTop(160);
    DDLabel->Show();
    OpenLabel->Show();
    Image1->Show();
    // What DragAcceptFiles does, without loading the shell at start-up.
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
}

void TPelmaForm1::FormShow() {
    for (const std::wstring& name : CommandLineArguments(CommandLine)) ViewFile(name);
}

void TPelmaForm1::WMDropFiles(HDROP drop) {
    if (HWND first = FindWindowW(L"TPelmaForm1", nullptr)) SetForegroundWindow(first);
    // The whole name, however long: ask for its length first.
    static const auto dragQueryFile =
        ui::LateBound<UINT(WINAPI*)(HDROP, UINT, LPWSTR, UINT)>(L"shell32.dll", "DragQueryFileW");
    static const auto dragFinish = ui::LateBound<void(WINAPI*)(HDROP)>(L"shell32.dll", "DragFinish");
    std::wstring name;
    if (dragQueryFile) {
        UINT length = dragQueryFile(drop, 0, nullptr, 0);
        name.assign(static_cast<std::size_t>(length) + 1, L'\0');
        length = dragQueryFile(drop, 0, name.data(), length + 1);
        name.resize(length);
    }
    if (dragFinish) dragFinish(drop);
    ViewFile(name);
}

void TPelmaForm1::SpeedButton1Click() {
    static const std::wstring filter =
        L"全てのファイル (*.*)\0*.*\0"
        L"メディアファイル (*.AVI,*.MPG)\0*.avi;*.mpg;*.mpeg\0"
        L"MIDI ファイル (*.MID,*.RMI)\0*.mid;*.rmi\0"
        L"Wave ファイル (*.WAV)\0*.wav;*.mp3\0"s +
        PictureDialogFilter();
    std::wstring buffer = OpenDialogFileName;
    buffer.resize(std::max<std::size_t>(buffer.size() + 1, 32768), L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
    if (!OpenDialogExecute(&ofn)) return;
    OpenDialogFileName = buffer.c_str();
    ViewFile(OpenDialogFileName);
}

BOOL TPelmaForm1::RunOpenDialog(OPENFILENAMEW* ofn) {
    // The common dialogs are loaded when the dialog is first asked for.
    static const auto getOpenFileName =
        ui::LateBound<BOOL(WINAPI*)(OPENFILENAMEW*)>(L"comdlg32.dll", "GetOpenFileNameW");
    return getOpenFileName && getOpenFileName(ofn);
}

void TPelmaForm1::SpeedButton3Click() { Close(); }

void TPelmaForm1::ActAboutExecute() {
    ui::Application().FinishStartup();  // the box is made once the window is painted; asked for sooner, now
    if (AboutBox) AboutBox->ShowBox();
}

}  // namespace pelma
