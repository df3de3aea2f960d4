// The one operation through which every file is opened.
#include "app/main_form.h"
#include "media/media_player.h"
#include "view/file_kind.h"
#include "view/rich_edit.h"

namespace pelma {

TWorkArea WorkArea() {
    RECT r{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return {r.right, r.bottom};
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void TPelmaForm1::ViewFile(const std::wstring& fileName) {
    const TWorkArea area = WorkArea();
    SetWindowState(ui::TWindowState::Normal);

    for (ui::TControl* c : std::initializer_list<ui::TControl*>{
             FullScreen.get(), KakudaiButton.get(), ShukushouButton.get(), SpeedButton2.get(),
             SpeedButton4.get(), WideMode.get(), TrackBar1.get()})
        c->Hide();
    TrackBar1->SetPosition(0);
    for (ui::TControl* c :
         std::initializer_list<ui::TControl*>{Label1.get(), Label2.get(), Label3.get(), OpenLabel.get(),
                                              DDLabel.get(), Memo1.get(), RichEdit1.get(), Image1.get()})
        c->Hide();
    Image1->Repaint();
    for (ui::TControl* c : std::initializer_list<ui::TControl*>{Image2.get(), DisplayPanel.get(),
                                                                Panel2.get(), MediaPlayer1.get()})
        c->Hide();
    MediaPlayer1->Repaint();

    SetCaption(L" ファイル名 『 " + ExtractFileName(fileName) + L" 』");
    const std::wstring ext = UpperCaseAscii(ExtractFileExt(fileName));
    ShowFileSize(fileName);

    switch (ClassifyExtension(ext)) {
        case FileKind::RichText:
            ShowRichTextView(fileName);
            break;
        case FileKind::Picture:
            ShowPicture(fileName, ext, area);
            break;
        case FileKind::Movie:
        case FileKind::Sound:
            ShowMedia(fileName, ext);
            break;
        case FileKind::TextOrHex:
            ShowTextView(fileName);
            break;
    }
}

}  // namespace pelma
