// The main window: every control of its template, and its events and commands,
// each handed to the view that carries it out. The views are given exactly the
// controls they drive; only this window knows them all.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/actions.h"
#include "ui/buttons.h"
#include "ui/forms.h"
#include "ui/labels.h"
#include "ui/memo.h"
#include "ui/menus.h"
#include "ui/panels.h"
#include "ui/timer.h"
#include "ui/track_bar.h"
#include "ui/work_area.h"
#include "view/folder_browser.h"
#include "view/size_label.h"

namespace pelma {

class TRichEdit;
class TMediaPlayer;
class TextView;
class RichTextView;
class PictureView;
class DisplayModes;
class MediaView;
class ReadAhead;

class TPelmaForm1 : public ui::TForm {
public:
    TPelmaForm1();
    ~TPelmaForm1() override;

    // --- the template's controls, in creation order
    std::unique_ptr<ui::TPanel> Panel2;
    std::unique_ptr<ui::TTrackBar> TrackBar1;
    std::unique_ptr<ui::TCheckBox> WideMode;
    std::unique_ptr<TMediaPlayer> MediaPlayer1;
    std::unique_ptr<ui::TCoolBar> CoolBar1;
    std::unique_ptr<ui::TSpeedButton> SpeedButton1;
    std::unique_ptr<ui::TSpeedButton> SpeedButton3;
    std::unique_ptr<ui::TSpeedButton> SpeedButton2;
    std::unique_ptr<ui::TSpeedButton> SpeedButton4;
    std::unique_ptr<ui::TSpeedButton> SpeedButton5;
    std::unique_ptr<ui::TLabel> Label1;
    std::unique_ptr<ui::TSpeedButton> KakudaiButton;
    std::unique_ptr<ui::TSpeedButton> ShukushouButton;
    std::unique_ptr<ui::TSpeedButton> FullScreen;
    std::unique_ptr<ui::TScrollBox> ScrollBox1;
    std::unique_ptr<ui::TImage> Image1;
    std::unique_ptr<ui::TImage> Image2;
    std::unique_ptr<ui::TLabel> Label3;
    std::unique_ptr<ui::TLabel> Label2;
    std::unique_ptr<ui::TLabel> OpenLabel;
    std::unique_ptr<ui::TLabel> DDLabel;
    std::unique_ptr<ui::TPanel> DisplayPanel;
    std::unique_ptr<TRichEdit> RichEdit1;
    std::unique_ptr<ui::TMemo> Memo1;

    // --- non-visual components
    ui::TTimer Timer1;
    ui::TActionList ActionList1;
    ui::TAction* ActMovS = nullptr;
    ui::TAction* ActMovL = nullptr;
    ui::TAction* ActFullScreen = nullptr;
    ui::TAction* ActAbout = nullptr;
    ui::TAction* ActS = nullptr;
    ui::TAction* ActL = nullptr;
    // Stepping through the shown file's folder.
    ui::TAction* ActNextFile = nullptr;
    ui::TAction* ActPrevFile = nullptr;
    ui::TAction* ActFirstFile = nullptr;
    ui::TAction* ActLastFile = nullptr;
    ui::TAction* ActFit = nullptr;
    ui::TAction* ActZoomIn = nullptr;
    ui::TAction* ActZoomOut = nullptr;
    ui::TAction* ActZoomActual = nullptr;
    ui::TAction* ActPictureFullScreen = nullptr;
    ui::TAction* ActLeaveFullScreen = nullptr;
    std::unique_ptr<ui::TPopupMenu> PopupMenu1;
    std::unique_ptr<ui::TPopupMenu> PopupMenu2;
    std::wstring OpenDialogFileName;  // the dialog offers the last chosen name again
    // Shows the file-open dialog (GetOpenFileNameW); tests put their own answer here.
    std::function<BOOL(OPENFILENAMEW*)> OpenDialogExecute = RunOpenDialog;
    static BOOL RunOpenDialog(OPENFILENAMEW* ofn);

    // --- events and operations
    void FormCreate();
    void FormShow();
    void FormResize();
    void ViewFile(const std::wstring& fileName);
    void ShowFileSize(const std::wstring& fileName);
    void SpeedButton1Click();
    void SpeedButton3Click();
    void WMDropFiles(HDROP drop);
    void ActAboutExecute();
    void ActLExecute();
    void ActSExecute();
    void ActFitExecute();
    void ActZoomInExecute();
    void ActZoomOutExecute();
    void ActZoomActualExecute();
    void ActPictureFullScreenExecute();
    void ActLeaveFullScreenExecute();
    void ActMovSExecute();
    void ActMovLExecute();
    void ActFullScreenExecute();
    void WideModeClick();
    void Timer1Timer();
    void TrackBar1Change();
    void MediaPlayer1Click();

    // A step through the folder of the file last opened: the file it names
    // is opened through ViewFile once the keys already pressed are taken in,
    // so that steps faster than files open skip the files between. At either
    // end of the folder nothing is opened and the default sound plays.
    void StepFolder(StepDirection direction);
    // Once a picture is shown and the window idle, its neighbours in the
    // folder are read and decoded ahead.
    void PlanReadAhead();
    FolderBrowser& Browser() { return browser_; }
    ReadAhead& PicturesAhead() { return *readAhead_; }
    // The picture view, for what opens pictures by folder steps (and tests).
    PictureView& Pictures() { return *pictureView_; }

    // The thousands and decimal separators of the user's regional settings.
    void ReadNumberSeparators();
    const NumberSeparators& Separators() const;

    // The command line the program was started with (tests set their own).
    std::wstring CommandLine;

protected:
    void DoShow() override { FormShow(); }
    void DoResize() override { FormResize(); }
    void DoDropFiles(HDROP drop) override { WMDropFiles(drop); }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void BuildTemplate();
    // The views, each over the controls it drives (made once the template is).
    void BuildViews();
    void OpenStep();
    std::shared_ptr<ui::TGraphic> LoadShownPicture(const std::wstring& fileName, PictureKind kind,
                                                   COLORREF background);

    // What stepping needs: the file last opened (any way), whether it is a
    // picture now shown, the file the pending step names, and the direction
    // of travel (read-ahead goes that way first).
    std::wstring openedFile_;
    bool pictureShown_ = false;
    bool openingByStep_ = false;
    std::wstring stepTarget_;
    bool stepPosted_ = false;
    StepDirection travel_ = StepDirection::Next;
    bool readAheadPlanned_ = true;
    FolderBrowser browser_;

    // Declared after the controls: the views go first.
    std::unique_ptr<SizeLabel> sizeLabel_;
    std::unique_ptr<TextView> textView_;
    std::unique_ptr<RichTextView> richTextView_;
    std::unique_ptr<PictureView> pictureView_;
    std::unique_ptr<DisplayModes> displayModes_;
    std::unique_ptr<MediaView> mediaView_;
    std::unique_ptr<ReadAhead> readAhead_;
};

// The main window, reachable program-wide from the moment its creation begins.
extern TPelmaForm1* PelmaForm1;

}  // namespace pelma
