#include "view/picture_view.h"

#include <algorithm>
#include <cmath>

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
// What a caption and a sizing border add to a window's style.
constexpr LONG_PTR kFrameBits = WS_CAPTION | WS_THICKFRAME;

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

// The largest size of a width × height picture, proportions kept, within
// box, never larger than the picture.
SIZE FitSize(int width, int height, SIZE box) {
    if (width <= 0 || height <= 0) return {0, 0};
    if (width <= box.cx && height <= box.cy) return {width, height};
    const int bw = std::max<int>(box.cx, 1), bh = std::max<int>(box.cy, 1);
    // As wide as the box, or as high: the larger of those that fit (the
    // rounding may let both fit, and the picture's box is then the larger).
    const SIZE wide = {bw, std::max(1, MulDiv(height, bw, width))};
    const SIZE high = {std::max(1, MulDiv(width, bh, height)), bh};
    const bool wideFits = wide.cy <= bh, highFits = high.cx <= bw;
    if (wideFits && highFits)
        return std::int64_t{wide.cx} * wide.cy >= std::int64_t{high.cx} * high.cy ? wide : high;
    return wideFits ? wide : high;
}

int Scaled(int size, double scale) {
    return size <= 0 ? 0 : static_cast<int>(std::max<long long>(1, std::llround(size * scale)));
}

// The window is drawn once when the changes made meanwhile are all made,
// instead of its frame and children at each of them.
class PausedRedraw {
public:
    explicit PausedRedraw(HWND window) : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
    ~PausedRedraw() {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    PausedRedraw(const PausedRedraw&) = delete;
    PausedRedraw& operator=(const PausedRedraw&) = delete;

private:
    HWND window_;
};

// A new style and place for a window at once: each change of a framed
// window's frame or place costs a frame's layout and drawing.
void PlaceWindow(HWND window, LONG_PTR style, const RECT& r) {
    SetWindowLongPtrW(window, GWL_STYLE, style);
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// The screen that holds the most of the window.
RECT MonitorRect(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return info.rcMonitor;
}

// The sunken edge round the scroll box's client area, both sides together.
SIZE BoxEdges() { return {2 * GetSystemMetrics(SM_CXEDGE), 2 * GetSystemMetrics(SM_CYEDGE)}; }

}  // namespace

PictureView::PictureView(const PictureControls& controls) : c_(controls) {
    c_.scrollBox.DragScroll = true;
    c_.scrollBox.OnDoubleClick = [this](POINT) {
        if (shown_ && c_.picture.Visible()) ToggleFullScreen();
    };
    c_.scrollBox.OnZoomWheel = [this](int turn, POINT at) {
        if (!shown_ || !c_.picture.Visible()) return;
        if (turn > 0)
            ZoomIn(&at);
        else if (turn < 0)
            ZoomOut(&at);
    };
    EnableKeys();
}

bool PictureView::ChoiceHolds(bool byStep) const {
    return byStep &&
           (fullScreen_ || presentation_ == Presentation::Fit || presentation_ == Presentation::Zoom);
}

void PictureView::Show(const std::wstring& fileName, const std::wstring& extension, const ui::TWorkArea& area,
                       bool byStep) {
    ui::TImage& image = c_.picture;
    image.SetStretch(false);
    c_.openLabel.Hide();
    c_.dropLabel.Hide();
    c_.fitButton.Hide();
    shown_ = false;
    EnableKeys();
    const bool holds = ChoiceHolds(byStep);
    if (!holds) RestoreWindow();
    const std::optional<PictureKind> kind = LookUpPictureFormat(extension);
    if (!kind) throw EInvalidGraphic(UnknownPictureFormatMessage(extension));
    const COLORREF background = image.Parent() ? image.Parent()->Color() : GetSysColor(COLOR_BTNFACE);
    image.SetPicture(loader_ ? loader_(fileName, *kind, background)
                             : LoadPicture(fileName, *kind, background));
    shown_ = true;
    const ui::TGraphic& picture = *image.Picture();
    const SIZE drawn = DrawSize(picture.Width(), picture.Height(), area, byStep);
    // The previous picture is gone: the pixel memory of a JPEG drawn at its
    // actual size can be made ready while the window is laid out. Drawn
    // smaller, it is decoded smaller, at the size it is drawn at.
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(image.Picture().get());
        jpeg && drawn.cx >= picture.Width() && drawn.cy >= picture.Height())
        jpeg->Prepare();
    // An animation plays in the view from its first frame on.
    if (auto* animated = dynamic_cast<TAnimatedPicture*>(image.Picture().get()))
        animated->Play([&image] { image.Invalidate(); });
    if (*kind == PictureKind::Icon) {
        RestoreWindow();
        c_.reduceButton.Hide();
        c_.actualSizeButton.Hide();
        image.SetAutoSize(false);
        auto canvas = IconCanvas(*image.Picture());
        image.SetBounds(0, 0, kIconCanvas, kIconCanvas);
        image.SetPicture(std::move(canvas));
        c_.window.SetClientSize(image.Width() + 4, image.Height() + c_.toolBar.Height() + 4);
        image.Show();
        if (presentation_ != Presentation::Reduced) presentation_ = Presentation::Actual;
        EnableKeys();
    } else if (holds && presentation_ == Presentation::Fit && !fullScreen_) {
        Fit();
    } else if (holds) {
        Layout();
        image.Show();
        // A picture larger than the window is shown from its centre.
        const SIZE box = {c_.scrollBox.ClientWidth(), c_.scrollBox.ClientHeight()};
        c_.scrollBox.ScrollWithin((image.Width() - box.cx) / 2, (image.Height() - box.cy) / 2);
        OfferCommands();
    } else if (area.Width < picture.Width() || area.Height < picture.Height()) {
        Reduce();
    } else {
        ActualSize();
    }
    c_.sizeLabel.Show(fileName);
}

void PictureView::Leave() {
    RestoreWindow();
    c_.fitButton.Hide();
    shown_ = false;
    EnableKeys();
}

void PictureView::StopAnimation() {
    if (auto* animated = dynamic_cast<TAnimatedPicture*>(c_.picture.Picture().get())) animated->Stop();
}

void PictureView::ActualSize() {
    if (fullScreen_) LeaveFullScreen();
    presentation_ = Presentation::Actual;
    ui::TForm& window = c_.window;
    ui::TImage& image = c_.picture;
    const ui::TWorkArea area = ui::WorkArea();
    window.SetBounds(window.Left(), window.Top(), area.Width, area.Height);
    image.SetAlign(ui::TAlign::None);
    image.SetStretch(false);
    image.SetAutoSize(true);
    const auto& picture = image.Picture();
    image.SetBounds(0, 0, picture ? picture->Width() : 0, picture ? picture->Height() : 0);
    const int w = image.Width(), h = image.Height();
    const int cw = window.ClientWidth(), ch = window.ClientHeight();
    if (w < cw && h > ch) {
        window.SetClientWidth(w + 21);
    } else if (h < ch && w > cw) {
        window.SetClientHeight(h + c_.toolBar.Height() + 21);
    } else if (w < cw && h < ch) {
        window.SetClientSize(w + 4, h + c_.toolBar.Height() + 4);
    }
    OfferCommands();
    image.Show();
}

void PictureView::Reduce() {
    if (fullScreen_) LeaveFullScreen();
    presentation_ = Presentation::Reduced;
    ui::TImage& image = c_.picture;
    image.SetAutoSize(false);
    const auto& picture = image.Picture();
    image.SetWidth(picture ? picture->Width() / 2 : 0);
    image.SetHeight(picture ? picture->Height() / 2 : 0);
    c_.window.SetClientSize(image.Width(), image.Height() + c_.toolBar.Height());
    image.SetAlign(ui::TAlign::Client);
    image.SetStretch(true);
    image.Show();
    OfferCommands();
}

SIZE PictureView::FitArea(const ui::TWorkArea& area) const {
    RECT frame = {0, 0, 0, 0};
    const LONG_PTR style = fullScreen_ ? saved_.style : c_.window.Style();
    AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(c_.window.Handle(), GWL_EXSTYLE)));
    const SIZE edges = BoxEdges();
    return {area.Width - (frame.right - frame.left) - edges.cx,
            area.Height - (frame.bottom - frame.top) - c_.toolBar.Height() - edges.cy};
}

SIZE PictureView::ScreenSize() const {
    const RECT r = MonitorRect(c_.window.Handle());
    return {r.right - r.left, r.bottom - r.top};
}

void PictureView::Fit() {
    presentation_ = Presentation::Fit;
    ui::TForm& window = c_.window;
    ui::TImage& image = c_.picture;
    if (!fullScreen_) {
        const ui::TWorkArea area = ui::WorkArea();
        const auto& picture = image.Picture();
        const SIZE size =
            FitSize(picture ? picture->Width() : 0, picture ? picture->Height() : 0, FitArea(area));
        const SIZE edges = BoxEdges();
        window.SetClientSize(size.cx + edges.cx, size.cy + c_.toolBar.Height() + edges.cy);
        // All of the window within the work area, where it was as far as it can be.
        const int left = std::clamp(window.Left(), 0, std::max(0, area.Width - window.Width()));
        const int top = std::clamp(window.Top(), 0, std::max(0, area.Height - window.Height()));
        if (left != window.Left() || top != window.Top())
            window.SetBounds(left, top, window.Width(), window.Height());
    }
    Layout();
    image.Show();
    OfferCommands();
}

void PictureView::Layout() {
    ui::TImage& image = c_.picture;
    const auto& picture = image.Picture();
    const int pw = picture ? picture->Width() : 0, ph = picture ? picture->Height() : 0;
    switch (presentation_) {
        case Presentation::Actual:
            image.SetAlign(ui::TAlign::None);
            image.SetStretch(false);
            image.SetAutoSize(true);
            image.SetBounds(0, 0, pw, ph);
            return;
        case Presentation::Reduced:
            image.SetAutoSize(false);
            image.SetAlign(ui::TAlign::Client);
            image.SetStretch(true);
            return;
        case Presentation::Fit:
        case Presentation::Zoom:
            break;
    }
    image.SetAutoSize(false);
    image.SetAlign(ui::TAlign::None);
    image.SetStretch(true);
    SIZE box = c_.scrollBox.FullClientSize();
    SIZE size;
    if (presentation_ == Presentation::Fit) {
        size = FitSize(pw, ph, box);
    } else {
        size = {Scaled(pw, zoom_), Scaled(ph, zoom_)};
        // What the scroll bars that it needs leave of the box.
        const int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
        bool down = size.cy > box.cy, across = size.cx > box.cx;
        if (down && !across) across = size.cx > box.cx - barWidth;
        if (across && !down) down = size.cy > box.cy - barHeight;
        if (down) box.cx -= barWidth;
        if (across) box.cy -= barHeight;
    }
    // Centred where it is smaller than the box.
    image.SetBounds(std::max<LONG>(0, (box.cx - size.cx) / 2), std::max<LONG>(0, (box.cy - size.cy) / 2),
                    size.cx, size.cy);
}

double PictureView::Scale() const {
    const auto& picture = c_.picture.Picture();
    if (presentation_ == Presentation::Zoom) return zoom_;
    if (presentation_ == Presentation::Actual || !picture || picture->Width() <= 0) return 1;
    return static_cast<double>(c_.picture.Width()) / picture->Width();
}

void PictureView::ZoomTo(double scale, const POINT* at) {
    ui::TImage& image = c_.picture;
    ui::TScrollBox& box = c_.scrollBox;
    if (!image.Picture() || image.Picture()->Empty()) return;
    const POINT anchor = at ? *at : POINT{box.ClientWidth() / 2, box.ClientHeight() / 2};
    // The point of the picture under the anchor stays there.
    const POINT origin = box.ChildOrigin(image);
    auto share = [](int offset, int size) {
        return size > 0 ? std::clamp(static_cast<double>(offset) / size, 0.0, 1.0) : 0.5;
    };
    const double u = share(anchor.x - origin.x, image.Width());
    const double v = share(anchor.y - origin.y, image.Height());
    presentation_ = Presentation::Zoom;
    zoom_ = scale;
    Layout();
    image.Show();
    box.ScrollWithin(static_cast<int>(std::lround(image.Left() + u * image.Width() - anchor.x)),
                     static_cast<int>(std::lround(image.Top() + v * image.Height() - anchor.y)));
    OfferCommands();
}

void PictureView::ZoomIn(const POINT* at) {
    const double now = Scale() * (1 + 1e-9);
    for (double step : kZoomSteps)
        if (step > now) return ZoomTo(step, at);
}

void PictureView::ZoomOut(const POINT* at) {
    const double now = Scale() * (1 - 1e-9);
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < now) return ZoomTo(*it, at);
}

void PictureView::ZoomToActualSize() { ZoomTo(1, nullptr); }

bool PictureView::LargerThanWorkArea() const {
    const auto& picture = c_.picture.Picture();
    const ui::TWorkArea area = ui::WorkArea();
    return picture && (picture->Width() > area.Width || picture->Height() > area.Height);
}

void PictureView::OfferCommands() {
    switch (presentation_) {
        case Presentation::Actual:
            c_.actualSizeButton.Hide();
            c_.reduceButton.SetLeft(layout::kFirstCommandLeft);
            c_.reduceButton.Show();
            c_.reduce.SetEnabled(true);
            c_.actualSize.SetEnabled(false);
            break;
        case Presentation::Reduced:
            c_.actualSizeButton.Show();
            c_.reduceButton.Hide();
            c_.reduce.SetEnabled(false);
            c_.actualSize.SetEnabled(true);
            break;
        case Presentation::Fit:
        case Presentation::Zoom:
            // Both sizing commands lead somewhere else; the button offers the actual size.
            c_.reduceButton.Hide();
            c_.actualSizeButton.SetLeft(layout::kFirstCommandLeft);
            c_.actualSizeButton.Show();
            c_.reduce.SetEnabled(true);
            c_.actualSize.SetEnabled(true);
            break;
    }
    const bool fitted = presentation_ == Presentation::Fit;
    c_.fit.SetEnabled(!fitted);
    c_.fitButton.SetLeft(layout::kSecondCommandLeft);
    c_.fitButton.SetVisible(!fitted && LargerThanWorkArea());
    EnableKeys();
}

void PictureView::EnableKeys() {
    c_.zoomIn.SetEnabled(shown_);
    c_.zoomOut.SetEnabled(shown_);
    c_.zoomToActualSize.SetEnabled(shown_);
    c_.fullScreen.SetEnabled(shown_);
    c_.leaveFullScreen.SetEnabled(fullScreen_);
}

void PictureView::ToggleFullScreen() {
    if (fullScreen_)
        LeaveFullScreen();
    else
        EnterFullScreen();
}

void PictureView::EnterFullScreen() {
    if (fullScreen_ || !c_.picture.Picture()) return;
    ui::TForm& window = c_.window;
    ui::TScrollBox& box = c_.scrollBox;
    const PausedRedraw paused(window.Handle());
    saved_ = {
        RECT{window.Left(), window.Top(), window.Left() + window.Width(), window.Top() + window.Height()},
        window.Style(),
        box.Color(),
        presentation_,
        zoom_,
        box.ScrollOffset()};
    fullScreen_ = true;
    presentation_ = Presentation::Fit;
    c_.toolBar.Hide();
    box.SetBorder(false);
    box.SetColor(RGB(0, 0, 0));
    PlaceWindow(window.Handle(), saved_.style & ~kFrameBits, MonitorRect(window.Handle()));
    Layout();
    c_.picture.Show();
    OfferCommands();
}

void PictureView::RestoreWindow() {
    if (!fullScreen_) return;
    fullScreen_ = false;
    c_.scrollBox.SetBorder(true);
    c_.scrollBox.SetColor(saved_.boxColour);
    c_.toolBar.Show();
    PlaceWindow(c_.window.Handle(), saved_.style, saved_.bounds);
    presentation_ = saved_.presentation;
    zoom_ = saved_.zoom;
    EnableKeys();
}

void PictureView::LeaveFullScreen() {
    if (!fullScreen_) return;
    const PausedRedraw paused(c_.window.Handle());
    RestoreWindow();
    Layout();
    c_.scrollBox.ScrollWithin(saved_.scroll.x, saved_.scroll.y);
    OfferCommands();
}

void PictureView::Resize() {
    if (!c_.picture.Visible()) return;
    if (presentation_ == Presentation::Fit || presentation_ == Presentation::Zoom) Layout();
}

SIZE PictureView::DrawSize(int pictureWidth, int pictureHeight, const ui::TWorkArea& area,
                           bool byStep) const {
    if (pictureWidth <= 0 || pictureHeight <= 0) return {0, 0};
    if (ChoiceHolds(byStep)) {
        if (presentation_ == Presentation::Zoom)
            return {Scaled(pictureWidth, zoom_), Scaled(pictureHeight, zoom_)};
        return FitSize(pictureWidth, pictureHeight, fullScreen_ ? ScreenSize() : FitArea(area));
    }
    if (area.Width >= pictureWidth && area.Height >= pictureHeight) return {pictureWidth, pictureHeight};
    // Reduced: half its size, in a window that the system keeps within its
    // largest size, and the stretched picture fills the box inside its edge.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(c_.window.Style()), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(c_.window.Handle(), GWL_EXSTYLE)));
    const int toolBar = c_.toolBar.Height();
    const SIZE edges = BoxEdges();
    const int width =
        std::min<int>(pictureWidth / 2, GetSystemMetrics(SM_CXMAXTRACK) - (frame.right - frame.left)) -
        edges.cx;
    const int height = std::min<int>(pictureHeight / 2 + toolBar,
                                     GetSystemMetrics(SM_CYMAXTRACK) - (frame.bottom - frame.top)) -
                       toolBar - edges.cy;
    return {width, height};
}

}  // namespace pelma
