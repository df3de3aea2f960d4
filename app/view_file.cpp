// The one operation through which every file is opened, and the commands and
// events that the views carry out.
#include "app/main_form.h"
#include "media/display_modes.h"
#include "media/media_player.h"
#include "media/media_view.h"
#include "view/file_kind.h"
#include "view/picture_view.h"
#include "view/rich_edit.h"
#include "view/rich_text_view.h"
#include "view/text_view.h"

namespace pelma {

void TPelmaForm1::BuildViews() {
    sizeLabel_ = std::make_unique<SizeLabel>(*Label1);
    textView_ = std::make_unique<TextView>(*this, *Memo1, *sizeLabel_);
    richTextView_ = std::make_unique<RichTextView>(*this, *RichEdit1, *sizeLabel_);
    pictureView_ = std::make_unique<PictureView>(
        PictureControls{*this, *ScrollBox1, *Image1, *CoolBar1, *OpenLabel, *DDLabel, *SpeedButton2,
                        *SpeedButton4, *SpeedButton5, *ActL, *ActS, *ActFit, *ActZoomIn, *ActZoomOut,
                        *ActZoomActual, *ActPictureFullScreen, *ActLeaveFullScreen, *sizeLabel_});
    displayModes_ = std::make_unique<DisplayModes>(
        DisplayModeControls{*this, *MediaPlayer1, *CoolBar1, *Panel2, *WideMode, *KakudaiButton,
                            *ShukushouButton, *FullScreen, *ActMovS, *ActMovL, *ActFullScreen});
    mediaView_ = std::make_unique<MediaView>(MediaControls{*this, *MediaPlayer1, *Image2, *Label3, *Label2,
                                                           *DisplayPanel, *TrackBar1, *Panel2, Timer1,
                                                           *displayModes_, *sizeLabel_});
}

void TPelmaForm1::ViewFile(const std::wstring& fileName) {
    const ui::TWorkArea area = ui::WorkArea();
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
    pictureView_->StopAnimation();
    Image1->Repaint();
    for (ui::TControl* c : std::initializer_list<ui::TControl*>{Image2.get(), DisplayPanel.get(),
                                                                Panel2.get(), MediaPlayer1.get()})
        c->Hide();
    MediaPlayer1->Repaint();

    SetCaption(L" ファイル名 『 " + ExtractFileName(fileName) + L" 』");
    // The extension decides, once, which view shows the file.
    const std::wstring ext = ExtractFileExt(fileName);
    const FileKind kind = ClassifyExtension(UpperCaseAscii(ext));
    ShowFileSize(fileName);
    if (kind != FileKind::Picture) pictureView_->Leave();

    switch (kind) {
        case FileKind::RichText:
            richTextView_->Show(fileName);
            break;
        case FileKind::Picture:
            pictureView_->Show(fileName, ext.substr(1), area);
            break;
        case FileKind::Movie:
        case FileKind::Sound:
            mediaView_->Show(fileName, kind == FileKind::Sound);
            break;
        case FileKind::TextOrHex:
            textView_->Show(fileName);
            break;
    }
}

void TPelmaForm1::ShowFileSize(const std::wstring& fileName) { sizeLabel_->Show(fileName); }
void TPelmaForm1::ReadNumberSeparators() { sizeLabel_->ReadNumberSeparators(); }
const NumberSeparators& TPelmaForm1::Separators() const { return sizeLabel_->Separators(); }

void TPelmaForm1::ActLExecute() { pictureView_->ActualSize(); }
void TPelmaForm1::ActSExecute() { pictureView_->Reduce(); }
void TPelmaForm1::ActFitExecute() { pictureView_->Fit(); }
void TPelmaForm1::ActZoomInExecute() { pictureView_->ZoomIn(); }
void TPelmaForm1::ActZoomOutExecute() { pictureView_->ZoomOut(); }
void TPelmaForm1::ActZoomActualExecute() { pictureView_->ZoomToActualSize(); }
void TPelmaForm1::ActPictureFullScreenExecute() { pictureView_->ToggleFullScreen(); }
void TPelmaForm1::ActLeaveFullScreenExecute() { pictureView_->LeaveFullScreen(); }

void TPelmaForm1::FormResize() {
    if (displayModes_) displayModes_->Resize();  // none while the template is being built
    if (pictureView_) pictureView_->Resize();
}
void TPelmaForm1::ActMovSExecute() { displayModes_->Reduce(); }
void TPelmaForm1::ActMovLExecute() { displayModes_->Enlarge(); }
void TPelmaForm1::ActFullScreenExecute() { displayModes_->FullScreen(); }
void TPelmaForm1::WideModeClick() { displayModes_->WideChanged(); }

void TPelmaForm1::Timer1Timer() { mediaView_->Tick(); }
void TPelmaForm1::TrackBar1Change() {
    if (mediaView_) mediaView_->SliderChanged();  // none while the template is being built
}
void TPelmaForm1::MediaPlayer1Click() { mediaView_->PlayerClicked(); }

}  // namespace pelma
