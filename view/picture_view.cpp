#include "view/picture_view.h"

#include "core/arith.h"
#include "core/errors.h"
#include "view/animated_picture.h"
#include "view/file_access.h"
#include "view/layout.h"
#include "view/picture_graphics.h"
#include "view/picture_loader.h"

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
        RECT r = {0, 0, kIconCanvas, kIconCanvas};
        FillRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        icon.Draw(dc.get(), r);  // DrawIconEx, DI_NORMAL: the mask leaves the white showing
    }
    return std::make_shared<TBitmap>(std::move(canvas));
}

}  // namespace

void PictureView::Show(const std::wstring& fileName, const std::wstring& extension,
                       const ui::TWorkArea& area) {
    ui::TImage& image = c_.picture;
    image.SetStretch(false);
    c_.openLabel.Hide();
    c_.dropLabel.Hide();
    const std::optional<PictureKind> kind = LookUpPictureFormat(extension);
    if (!kind) throw EInvalidGraphic(UnknownPictureFormatMessage(extension));
    image.SetPicture(
        LoadPicture(fileName, *kind, image.Parent() ? image.Parent()->Color() : GetSysColor(COLOR_BTNFACE)));
    const ui::TGraphic& picture = *image.Picture();
    const bool reduce = area.Width < picture.Width() || area.Height < picture.Height();
    // The previous picture is gone: the pixel memory of a JPEG shown at its
    // actual size can be made ready while the window is laid out. Reduced, it
    // is decoded smaller, at the size it is drawn at.
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(image.Picture().get()); jpeg && !reduce) jpeg->Prepare();
    // An animation plays in the view from its first frame on.
    if (auto* animated = dynamic_cast<TAnimatedPicture*>(image.Picture().get()))
        animated->Play([&image] { image.Invalidate(); });
    if (*kind == PictureKind::Icon) {
        c_.reduceButton.Hide();
        c_.actualSizeButton.Hide();
        image.SetAutoSize(false);
        auto canvas = IconCanvas(*image.Picture());
        image.SetWidth(kIconCanvas);
        image.SetHeight(kIconCanvas);
        image.SetPicture(std::move(canvas));
        c_.window.SetClientSize(image.Width() + 4, image.Height() + c_.toolBar.Height() + 4);
        image.Show();
    } else if (reduce) {
        Reduce();
    } else {
        ActualSize();
    }
    c_.sizeLabel.Show(fileName);
}

void PictureView::StopAnimation() {
    if (auto* animated = dynamic_cast<TAnimatedPicture*>(c_.picture.Picture().get())) animated->Stop();
}

void PictureView::ActualSize() {
    ui::TForm& window = c_.window;
    ui::TImage& image = c_.picture;
    const ui::TWorkArea area = ui::WorkArea();
    window.SetBounds(window.Left(), window.Top(), area.Width, area.Height);
    image.SetAlign(ui::TAlign::None);
    image.SetStretch(false);
    image.SetAutoSize(true);
    const auto& picture = image.Picture();
    image.SetWidth(picture ? picture->Width() : 0);
    image.SetHeight(picture ? picture->Height() : 0);
    const int w = image.Width(), h = image.Height();
    const int cw = window.ClientWidth(), ch = window.ClientHeight();
    if (w < cw && h > ch) {
        window.SetClientWidth(w + 21);
    } else if (h < ch && w > cw) {
        window.SetClientHeight(h + c_.toolBar.Height() + 21);
    } else if (w < cw && h < ch) {
        window.SetClientSize(w + 4, h + c_.toolBar.Height() + 4);
    }
    c_.actualSizeButton.Hide();
    c_.reduceButton.SetLeft(layout::kFirstCommandLeft);
    c_.reduceButton.Show();
    image.Show();
    c_.reduce.SetEnabled(true);
    c_.actualSize.SetEnabled(false);
}

void PictureView::Reduce() {
    ui::TImage& image = c_.picture;
    image.SetAutoSize(false);
    const auto& picture = image.Picture();
    image.SetWidth(picture ? Div(picture->Width(), 2) : 0);
    image.SetHeight(picture ? Div(picture->Height(), 2) : 0);
    c_.window.SetClientSize(image.Width(), image.Height() + c_.toolBar.Height());
    image.SetAlign(ui::TAlign::Client);
    image.SetStretch(true);
    image.Show();
    c_.actualSizeButton.Show();
    c_.reduceButton.Hide();
    c_.reduce.SetEnabled(false);
    c_.actualSize.SetEnabled(true);
}

}  // namespace pelma
