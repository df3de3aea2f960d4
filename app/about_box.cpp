#include "app/about_box.h"

#include "resource_ids.h"
#include "view/picture_graphics.h"

namespace pelma {

TAboutBox* AboutBox = nullptr;

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kMaroon = RGB(128, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);

template <typename T>
std::unique_ptr<T> Place(std::unique_ptr<T> c, int left, int top, int width, int height) {
    c->SetBounds(left, top, width, height);
    return c;
}

std::unique_ptr<ui::TLabel> Text(ui::TWinControl* parent, const wchar_t* caption, int left, int top,
                                 int width, int height, int fontHeight, bool bold, COLORREF color) {
    auto label = Place(std::make_unique<ui::TLabel>(parent), left, top, width, height);
    ui::TFont f;
    f.Height = fontHeight;
    f.Bold = bold;
    f.Color = color;
    label->SetFont(f);
    label->SetCaption(caption);
    return label;
}

}  // namespace

TAboutBox::TAboutBox()
    : ui::TForm(L"TAboutBox", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME) {
    AboutBox = this;
    SetCaption(L"バージョン情報");
    SetClientSize(273, 195);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);

    Panel1 = Place(std::make_unique<ui::TPanel>(this), 7, 7, 258, 148);
    Panel1->BevelInner = ui::TBevel::Raised;
    Panel1->BevelOuter = ui::TBevel::Lowered;
    ProgramIcon = Place(std::make_unique<ui::TImage>(Panel1.get()), 7, 7, 60, 53);
    auto bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_ABOUT_ICON),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ProgramIcon->SetPicture(std::make_shared<TBitmap>(32, 32, ui::UniqueGdi(bitmap)));
    ProgramIcon->SetStretch(true);
    ProductName = Text(Panel1.get(), L"Pelma", 81, 7, 103, 15, 15, true, kBlue);
    Version = Text(Panel1.get(), L"バージョン 3.4", 81, 30, 80, 12, 12, true, kMaroon);
    Label1 = Text(Panel1.get(), L"Tovik", 176, 30, 52, 13, 13, true, kGreen);
    Copyright = Text(Panel1.get(), L"Copyright (C) Tovik", 78, 49, 129, 12, 12, false, text);
    Comments = Text(Panel1.get(), L"", 5, 80, 237, 45, 15, false, text);
    Comments->WordWrap = true;
    Comments->SetAutoSize(false);
    Comments->SetBounds(5, 80, 237, 45);  // wraps within its own size
    Comments->SetCaption(
        L"Pelmaで編集は出来ませんが、      "
        L"静止画をはじめ動画や音声ファイル等大抵のファイルはそれなりに見れます");
    OKButton = Place(std::make_unique<ui::TButton>(this, true), 102, 165, 69, 23);
    OKButton->SetCaption(L"OK");
    OKButton->OnClick = [this] { OKButtonClick(); };
}

TAboutBox::~TAboutBox() {
    if (AboutBox == this) AboutBox = nullptr;
}

void TAboutBox::ShowBox() {
    if (Visible()) return;
    int left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
    SetBounds(left < 0 ? 0 : left, top < 0 ? 0 : top, Width(), Height());
    ShowForm();
}

}  // namespace pelma
