// The picture view and the Actual-size / Reduce commands.
#include "app/main_form.h"
#include "core/arith.h"
#include "core/errors.h"
#include "view/file_access.h"
#include "view/picture_graphics.h"

namespace pelma {

namespace {

constexpr int kIconCanvas = 385;

// The loaded icon drawn enlarged onto a white canvas; the canvas replaces it.
std::shared_ptr<ui::TGraphic> IconCanvas(ui::TGraphic& icon) {
    DibPixels canvas;
    if (!canvas.Create(kIconCanvas, kIconCanvas)) throw Exception(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    ui::UniqueDc dc(CreateCompatibleDC(nullptr));
    {
        ui::SelectObjectScope sel(dc.get(), canvas.Handle());
        ui::UniqueGdi white(CreateSolidBrush(RGB(255, 255, 255)));
        RECT r = {0, 0, kIconCanvas, kIconCanvas};
        FillRect(dc.get(), &r, static_cast<HBRUSH>(white.get()));
        icon.Draw(dc.get(), r);  // DrawIconEx, DI_NORMAL: the mask leaves the white showing
    }
    return std::make_shared<TBitmap>(std::move(canvas));
}

}  // namespace

void TPelmaForm1::ShowPicture(const std::wstring& fileName, const std::wstring& upperExt,
                              const TWorkArea& area) {
    Image1->SetStretch(false);
    OpenLabel->Hide();
    DDLabel->Hide();
    Image1->SetPicture(LoadPicture(fileName));
    // The previous picture is gone: a JPEG's pixel memory can be made ready
    // while the window is laid out.
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(Image1->Picture().get())) jpeg->Prepare();
    const ui::TGraphic& picture = *Image1->Picture();
    if (upperExt == L".ICO") {
        SpeedButton4->Hide();
        SpeedButton2->Hide();
        Image1->SetAutoSize(false);
        auto canvas = IconCanvas(*Image1->Picture());
        Image1->SetWidth(kIconCanvas);
        Image1->SetHeight(kIconCanvas);
        Image1->SetPicture(std::move(canvas));
        SetClientSize(Image1->Width() + 4, Image1->Height() + CoolBar1->Height() + 4);
        Image1->Show();
    } else if (area.Width < picture.Width() || area.Height < picture.Height()) {
        ActSExecute();
    } else {
        ActLExecute();
    }
    ShowFileSize(fileName);
}

void TPelmaForm1::ActLExecute() {
    const TWorkArea area = WorkArea();
    SetBounds(Left(), Top(), area.Width, area.Height);
    Image1->SetAlign(ui::TAlign::None);
    Image1->SetStretch(false);
    Image1->SetAutoSize(true);
    const auto& picture = Image1->Picture();
    Image1->SetWidth(picture ? picture->Width() : 0);
    Image1->SetHeight(picture ? picture->Height() : 0);
    const int w = Image1->Width(), h = Image1->Height();
    const int cw = ClientWidth(), ch = ClientHeight();
    if (w < cw && h > ch) {
        SetClientWidth(w + 21);
    } else if (h < ch && w > cw) {
        SetClientHeight(h + CoolBar1->Height() + 21);
    } else if (w < cw && h < ch) {
        SetClientSize(w + 4, h + CoolBar1->Height() + 4);
    }
    SpeedButton2->Hide();
    SpeedButton4->SetLeft(100);
    SpeedButton4->Show();
    Image1->Show();
    ActS->SetEnabled(true);
    ActL->SetEnabled(false);
}

void TPelmaForm1::ActSExecute() {
    Image1->SetAutoSize(false);
    const auto& picture = Image1->Picture();
    Image1->SetWidth(picture ? Div(picture->Width(), 2) : 0);
    Image1->SetHeight(picture ? Div(picture->Height(), 2) : 0);
    SetClientSize(Image1->Width(), Image1->Height() + CoolBar1->Height());
    Image1->SetAlign(ui::TAlign::Client);
    Image1->SetStretch(true);
    Image1->Show();
    SpeedButton2->Show();
    SpeedButton4->Hide();
    ActS->SetEnabled(false);
    ActL->SetEnabled(true);
}

}  // namespace pelma
