// The main window's template: every control with the values it is created with.
#include <windows.h>

#include "app/main_form.h"
#include "media/media_player.h"
#include "resource_ids.h"
#include "view/layout.h"
#include "view/picture_graphics.h"
#include "view/rich_edit.h"

namespace pelma {

namespace {

constexpr COLORREF kAqua = RGB(0, 255, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

ui::TFont MakeFont(const wchar_t* name, int height, COLORREF color, bool bold = false) {
    ui::TFont f;
    f.Name = name;
    f.Height = height;
    f.Color = color;
    f.Bold = bold;
    return f;
}

template <typename T>
std::unique_ptr<T> Make(ui::TWinControl* parent, const wchar_t* name, int left, int top, int width,
                        int height, ui::TAlign align, bool visible) {
    auto c = std::make_unique<T>(parent);
    c->Name = name;
    c->SetBounds(left, top, width, height);
    c->SetVisible(visible);
    c->SetAlign(align);
    return c;
}

}  // namespace

void TPelmaForm1::BuildTemplate() {
    using ui::TAlign;
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    SetClientSize(452, 312);

    // Actions and menus come first: the controls bind to them.
    ActMovS = &ActionList1.Add(L"ActMovS", L"縮小", ui::kCtrlMask | 'S', [this] { ActMovSExecute(); });
    ActMovL = &ActionList1.Add(L"ActMovL", L"拡大", ui::kCtrlMask | 'L', [this] { ActMovLExecute(); });
    ActFullScreen = &ActionList1.Add(L"ActFullScreen", L"全画面", ui::kCtrlMask | 'F',
                                     [this] { ActFullScreenExecute(); });
    ActAbout = &ActionList1.Add(L"ActAbout", L"バージョン情報", 0, [this] { ActAboutExecute(); });
    ActS = &ActionList1.Add(L"ActS", L"縮小", 0, [this] { ActSExecute(); });
    ActL = &ActionList1.Add(L"ActL", L"実寸", 0, [this] { ActLExecute(); });
    // Stepping through the folder. The plain keys are the text boxes' own
    // while one has the focus; with Ctrl they step from anywhere.
    const auto stepAction = [this](const wchar_t* name, const wchar_t* caption,
                                   std::initializer_list<int> keys, StepDirection direction) {
        ui::TAction* a =
            &ActionList1.Add(name, caption, *keys.begin(), [this, direction] { StepFolder(direction); });
        a->SetYieldsToControls(true);
        for (int key : keys) {
            if (key != *keys.begin()) a->AddShortCut(key);
            a->AddShortCut(ui::kCtrlMask | key);
        }
        return a;
    };
    ActNextFile =
        stepAction(L"ActNextFile", L"次のファイル", {VK_RIGHT, VK_NEXT, VK_SPACE}, StepDirection::Next);
    ActPrevFile =
        stepAction(L"ActPrevFile", L"前のファイル", {VK_LEFT, VK_BACK, VK_PRIOR}, StepDirection::Previous);
    ActFirstFile = stepAction(L"ActFirstFile", L"最初のファイル", {VK_HOME}, StepDirection::First);
    ActLastFile = stepAction(L"ActLastFile", L"最後のファイル", {VK_END}, StepDirection::Last);
    // The picture's own keys: F and Esc are letters and keys that text boxes
    // and dialogs use for themselves.
    ActFit = &ActionList1.Add(L"ActFit", L"全体表示", 'F', [this] { ActFitExecute(); });
    ActFit->SetYieldsToControls(true);
    ActZoomIn = &ActionList1.Add(L"ActZoomIn", L"拡大表示", ui::kCtrlMask | VK_OEM_PLUS,
                                 [this] { ActZoomInExecute(); });
    ActZoomIn->AddShortCut(ui::kCtrlMask | ui::kShiftMask | VK_OEM_PLUS);  // "+" on a Japanese keyboard
    ActZoomIn->AddShortCut(ui::kCtrlMask | VK_ADD);
    ActZoomOut = &ActionList1.Add(L"ActZoomOut", L"縮小表示", ui::kCtrlMask | VK_OEM_MINUS,
                                  [this] { ActZoomOutExecute(); });
    ActZoomOut->AddShortCut(ui::kCtrlMask | VK_SUBTRACT);
    ActZoomActual = &ActionList1.Add(L"ActZoomActual", L"等倍表示", ui::kCtrlMask | '0',
                                     [this] { ActZoomActualExecute(); });
    ActZoomActual->AddShortCut(ui::kCtrlMask | VK_NUMPAD0);
    ActPictureFullScreen = &ActionList1.Add(L"ActPictureFullScreen", L"全画面表示", VK_F11,
                                            [this] { ActPictureFullScreenExecute(); });
    ActLeaveFullScreen = &ActionList1.Add(L"ActLeaveFullScreen", L"全画面表示を終了", VK_ESCAPE,
                                          [this] { ActLeaveFullScreenExecute(); });
    ActLeaveFullScreen->SetYieldsToControls(true);

    PopupMenu1 = std::make_unique<ui::TPopupMenu>(L"PopupMenu1");
    PopupMenu1->AddItem(L"N1", ActMovS);
    PopupMenu1->AddSeparator(L"N2");
    PopupMenu1->AddItem(L"N3", ActMovL);
    PopupMenu1->AddSeparator(L"N4");
    PopupMenu1->AddItem(L"N5", ActFullScreen);
    PopupMenu1->AddSeparator(L"N6");
    PopupMenu1->AddItem(L"N7", ActAbout);
    PopupMenu1->AddSeparator(L"N21");
    PopupMenu1->AddItem(L"N22", ActNextFile);
    PopupMenu1->AddItem(L"N23", ActPrevFile);
    PopupMenu2 = std::make_unique<ui::TPopupMenu>(L"PopupMenu2");
    PopupMenu2->AddItem(L"N8", ActS);
    PopupMenu2->AddSeparator(L"N9");
    PopupMenu2->AddItem(L"N10", ActL);
    PopupMenu2->AddSeparator(L"N11");
    PopupMenu2->AddItem(L"N12", ActAbout);
    PopupMenu2->AddSeparator(L"N13");
    PopupMenu2->AddItem(L"N14", ActFit);
    PopupMenu2->AddSeparator(L"N24");
    PopupMenu2->AddItem(L"N25", ActNextFile);
    PopupMenu2->AddItem(L"N26", ActPrevFile);
    PopupMenu = PopupMenu2.get();

    // Bottom panel with the media controls.
    Panel2 = Make<ui::TPanel>(this, L"Panel2", 0, 274, 452, 38, TAlign::Bottom, false);
    Panel2->BevelInner = ui::TBevel::Lowered;
    Panel2->BevelOuter = ui::TBevel::Lowered;
    Panel2->PopupMenu = PopupMenu1.get();
    TrackBar1 = Make<ui::TTrackBar>(Panel2.get(), L"TrackBar1", 70, 8, 200, 25, TAlign::None, false);
    TrackBar1->SetThumbLength(18);
    TrackBar1->PopupMenu = PopupMenu1.get();
    TrackBar1->OnChange = [this] { TrackBar1Change(); };
    WideMode = Make<ui::TCheckBox>(Panel2.get(), L"WideMode", 290, 5, 50, 25, TAlign::None, false);
    WideMode->SetCaption(L"ワイド");
    WideMode->PopupMenu = PopupMenu1.get();
    WideMode->OnClick = [this] { WideModeClick(); };
    MediaPlayer1 = Make<TMediaPlayer>(Panel2.get(), L"MediaPlayer1", 8, 5, 57, 30, TAlign::None, true);
    // Play and Stop only: two buttons of 29 fill the 57 pixels (nine would not fit).
    MediaPlayer1->Model().Bar().SetVisibleButtons({btPlay, btStop});
    MediaPlayer1->SetBounds(8, 5, 57, 30);
    MediaPlayer1->PopupMenu = PopupMenu1.get();

    // Tool bar.
    CoolBar1 = Make<ui::TCoolBar>(this, L"CoolBar1", 0, 0, 452, 29, TAlign::Top, true);
    CoolBar1->Cursor = hand;
    SpeedButton1 = Make<ui::TSpeedButton>(CoolBar1.get(), L"SpeedButton1", 0, 2, 50, 22, TAlign::None, true);
    SpeedButton1->SetCaption(L"開く");
    SpeedButton1->SetGlyph(IDB_GLYPH_OPEN, 2);
    SpeedButton1->Cursor = hand;
    SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
    SpeedButton3 = Make<ui::TSpeedButton>(CoolBar1.get(), L"SpeedButton3", 50, 2, 50, 22, TAlign::None, true);
    SpeedButton3->SetCaption(L"終了");
    SpeedButton3->SetGlyph(IDB_GLYPH_EXIT, 2);
    SpeedButton3->Cursor = hand;
    SpeedButton3->OnClick = [this] { SpeedButton3Click(); };
    SpeedButton2 = Make<ui::TSpeedButton>(CoolBar1.get(), L"SpeedButton2", layout::kFirstCommandLeft, 2, 50,
                                          22, TAlign::None, true);
    SpeedButton2->SetAction(ActL);
    SpeedButton2->SetGlyph(IDB_GLYPH_PLUS, 1);
    SpeedButton2->Cursor = hand;
    SpeedButton4 = Make<ui::TSpeedButton>(CoolBar1.get(), L"SpeedButton4", layout::kSecondCommandLeft, 2, 50,
                                          22, TAlign::None, true);
    SpeedButton4->SetAction(ActS);
    SpeedButton4->SetGlyph(IDB_GLYPH_MINUS, 1);
    SpeedButton4->Cursor = hand;
    // The way to see a picture larger than the screen whole: beside the sizing button.
    SpeedButton5 =
        Make<ui::TSpeedButton>(CoolBar1.get(), L"SpeedButton5", 150, 2, 58, 22, TAlign::None, false);
    SpeedButton5->SetAction(ActFit);
    SpeedButton5->Cursor = hand;
    Label1 = Make<ui::TLabel>(CoolBar1.get(), L"Label1", 210, 7, 0, 0, TAlign::None, false);
    Label1->SetFont(MakeFont(L"ＭＳ Ｐゴシック", 12, kBlue));
    Label1->CenterVertically = true;
    KakudaiButton =
        Make<ui::TSpeedButton>(CoolBar1.get(), L"KakudaiButton", 200, 2, 50, 22, TAlign::None, true);
    KakudaiButton->SetAction(ActMovL);
    KakudaiButton->SetGlyph(IDB_GLYPH_PLUS, 1);
    ShukushouButton =
        Make<ui::TSpeedButton>(CoolBar1.get(), L"ShukushouButton", 250, 2, 50, 22, TAlign::None, false);
    ShukushouButton->SetAction(ActMovS);
    ShukushouButton->SetGlyph(IDB_GLYPH_MINUS, 1);
    FullScreen = Make<ui::TSpeedButton>(CoolBar1.get(), L"FullScreen", 300, 2, 50, 22, TAlign::None, true);
    FullScreen->SetAction(ActFullScreen);

    // The client area and its views.
    ScrollBox1 = Make<ui::TScrollBox>(this, L"ScrollBox1", 0, 29, 452, 245, TAlign::Client, true);
    ScrollBox1->PopupMenu = PopupMenu2.get();
    auto splash = LoadSplashPicture();
    Image1 = Make<ui::TImage>(ScrollBox1.get(), L"Image1", 0, 0, 448, 241, TAlign::Client, false);
    Image1->SetPicture(splash);
    Image2 = Make<ui::TImage>(ScrollBox1.get(), L"Image2", 0, 0, 448, 241, TAlign::Client, false);
    Image2->SetPicture(splash);
    Label3 = Make<ui::TLabel>(ScrollBox1.get(), L"Label3", 36, 40, 203, 29, TAlign::None, false);
    Label3->SetFont(MakeFont(L"HGS創英角ﾎﾟｯﾌﾟ体", 29, kAqua));
    Label3->SetCaption(L"Pelma");
    Label2 = Make<ui::TLabel>(ScrollBox1.get(), L"Label2", 74, 93, 168, 24, TAlign::None, false);
    Label2->SetFont(MakeFont(L"HGS創英角ﾎﾟｯﾌﾟ体", 24, kRed));
    Label2->SetCaption(L"音を再生します");
    OpenLabel = Make<ui::TLabel>(ScrollBox1.get(), L"OpenLabel", 88, 72, 0, 0, TAlign::None, false);
    OpenLabel->SetFont(MakeFont(L"ＭＳ Ｐ明朝", 27, kYellow, true));
    DDLabel = Make<ui::TLabel>(ScrollBox1.get(), L"DDLabel", 88, 128, 0, 0, TAlign::None, false);
    DDLabel->SetFont(MakeFont(L"ＭＳ Ｐ明朝", 21, kRed, true));
    DisplayPanel = Make<ui::TPanel>(ScrollBox1.get(), L"DisplayPanel", 0, 0, 448, 241, TAlign::Client, false);
    DisplayPanel->BevelOuter = ui::TBevel::None;
    DisplayPanel->SetColor(kBlack);
    DisplayPanel->SetFont(MakeFont(L"ＭＳ ゴシック", 21, GetSysColor(COLOR_WINDOWTEXT), true));
    DisplayPanel->DragAutomatic = true;
    DisplayPanel->PopupMenu = PopupMenu1.get();
    MediaPlayer1->SetDisplay(DisplayPanel.get());
    MediaPlayer1->Model().OnClick = [this](TMPBtnType, bool&) { MediaPlayer1Click(); };
    RichEdit1 = Make<TRichEdit>(ScrollBox1.get(), L"RichEdit1", 0, 0, 448, 241, TAlign::Client, false);
    RichEdit1->SetFont(MakeFont(L"ＭＳ ゴシック", 15, GetSysColor(COLOR_WINDOWTEXT)));
    Memo1 = Make<ui::TMemo>(ScrollBox1.get(), L"Memo1", 0, 0, 448, 241, TAlign::Client, false);
    Memo1->SetFont(MakeFont(L"FixedSys", 17, GetSysColor(COLOR_WINDOWTEXT)));
    Memo1->PopupMenu = PopupMenu2.get();

    Timer1.SetInterval(7);
    Timer1.OnTimer = [this] { Timer1Timer(); };
}

}  // namespace pelma
