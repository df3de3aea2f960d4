// The one operation through which every file is opened, and the commands and
// events that the views carry out.
#include "app/main_form.h"
#include "core/errors.h"
#include "media/display_modes.h"
#include "media/media_player.h"
#include "media/media_view.h"
#include "ui/application.h"
#include "view/file_access.h"
#include "view/file_kind.h"
#include "view/formats/picture_limits.h"
#include "view/picture_graphics.h"
#include "view/picture_loader.h"
#include "view/picture_view.h"
#include "view/read_ahead.h"
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
    readAhead_ = std::make_unique<ReadAhead>(kMaxPictureBytes);
    pictureView_->SetLoader([this](const std::wstring& fileName, PictureKind kind, COLORREF background) {
        return LoadShownPicture(fileName, kind, background);
    });
}

std::shared_ptr<ui::TGraphic> TPelmaForm1::LoadShownPicture(const std::wstring& fileName, PictureKind kind,
                                                            COLORREF background) {
    if (auto ahead = readAhead_->Take(fileName, kind, background)) return ahead;
    return LoadPicture(fileName, kind, background);
}

void TPelmaForm1::ViewFile(const std::wstring& fileName) {
    const ui::TWorkArea area = ui::WorkArea();
    // Every name opened is where the next step starts from, whether it opens or not.
    openedFile_ = fileName;
    pictureShown_ = false;
    readAheadPlanned_ = false;
    const bool byStep = openingByStep_;
    openingByStep_ = false;
    if (!byStep) readAhead_->Clear();
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
            pictureView_->Show(fileName, ext.substr(1), area, byStep);
            pictureShown_ = true;
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

namespace {

constexpr UINT kOpenStep = WM_APP + 20;

StepDirection TravelOf(StepDirection d) {
    return d == StepDirection::Previous || d == StepDirection::Last ? StepDirection::Previous
                                                                    : StepDirection::Next;
}

}  // namespace

void TPelmaForm1::StepFolder(StepDirection direction) {
    const std::wstring& from = stepTarget_.empty() ? openedFile_ : stepTarget_;
    if (from.empty()) return;  // the welcome screen: nothing to step from
    const std::optional<std::wstring> next = browser_.Step(from, direction);
    if (!next) {
        MessageBeep(MB_OK);
        return;
    }
    stepTarget_ = *next;
    travel_ = TravelOf(direction);
    if (!stepPosted_) stepPosted_ = PostMessageW(hwnd_, kOpenStep, 0, 0) != FALSE;
}

void TPelmaForm1::OpenStep() {
    // Keys pressed while the last file opened move the target on first: the
    // files they pass are never opened.
    ui::Application().HandleKeyMessages();
    stepPosted_ = false;
    const std::wstring target = std::move(stepTarget_);
    stepTarget_.clear();
    if (target.empty()) return;
    // Read ahead for the way it went, the others are not needed now; the
    // picture shown now is the neighbour on the way back: kept, not read again.
    readAhead_->Retain(target);
    if (pictureShown_) {
        const auto kind = LookUpPictureFormat(ExtractFileExt(openedFile_).substr(1));
        const auto& picture = Image1->Picture();
        if (kind && ReadAhead::Decodes(*kind) && picture && !picture->Empty())
            readAhead_->Keep(openedFile_, *kind, Image1->Parent()->Color(), picture);
    }
    openingByStep_ = true;
    ViewFile(target);
}

void TPelmaForm1::PlanReadAhead() {
    if (readAheadPlanned_) return;
    readAheadPlanned_ = true;
    if (!pictureShown_ || !IsWindowVisible(hwnd_)) return;
    const COLORREF background = Image1->Parent()->Color();
    const ui::TWorkArea area = ui::WorkArea();
    std::vector<ReadAhead::Wanted> wanted;
    const StepDirection back = travel_ == StepDirection::Next ? StepDirection::Previous : StepDirection::Next;
    for (StepDirection d : {travel_, back}) {
        const std::optional<std::wstring> file = browser_.Step(openedFile_, d);
        if (!file) continue;
        const auto kind = LookUpPictureFormat(ExtractFileExt(*file).substr(1));
        if (!kind || !ReadAhead::Decodes(*kind)) continue;
        ReadAhead::Wanted w{*file, *kind};
        // The header tells the size it will be drawn at, and what it takes.
        try {
            if (const auto info = PeekPictureFile(*file, *kind)) {
                w.width = info->width;
                w.height = info->height;
                const SIZE draw = pictureView_->DrawSize(info->width, info->height, area, true);
                w.drawWidth = draw.cx;
                w.drawHeight = draw.cy;
            }
        } catch (const Exception&) {
            continue;  // cannot be read now: reported if and when the user steps to it
        }
        wanted.push_back(std::move(w));
    }
    const auto& shown = Image1->Picture();
    const auto shownKind = LookUpPictureFormat(ExtractFileExt(openedFile_).substr(1));
    readAhead_->Want(std::move(wanted), background,
                     shown && shownKind ? ReadAhead::PictureBytes(*shownKind, shown->Width(), shown->Height(),
                                                                  Image1->Width(), Image1->Height())
                                        : 0);
}

LRESULT TPelmaForm1::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kOpenStep:
            OpenStep();
            return 0;
        case WM_APPCOMMAND:
            // The mouse's back and forward buttons, and the keyboards' browser keys.
            switch (GET_APPCOMMAND_LPARAM(lp)) {
                case APPCOMMAND_BROWSER_FORWARD:
                    ActNextFile->Execute();
                    return TRUE;
                case APPCOMMAND_BROWSER_BACKWARD:
                    ActPrevFile->Execute();
                    return TRUE;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return TForm::WndProc(msg, wp, lp);
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
