#include "media/media_player.h"

#include <mmsystem.h>
#include <windowsx.h>

#include <cstring>

#include "ui/handles.h"

namespace pelma {

namespace {

constexpr COLORREF kOlive = RGB(128, 128, 0);

MciPortFactory& PortFactory() {
    static MciPortFactory factory;
    return factory;
}

}  // namespace

void SetMciPortFactory(MciPortFactory factory) { PortFactory() = std::move(factory); }

std::unique_ptr<MciPort> MakeMciPort() {
    if (PortFactory()) {
        if (auto port = PortFactory()()) return port;
    }
    return std::make_unique<WinMmPort>();
}

TMediaPlayer::TMediaPlayer(ui::TWinControl* parent, std::unique_ptr<MciPort> port)
    : ui::TWinControl(parent, ui::ControlClassName(), WS_TABSTOP, 0, /*deferWindow*/ true),
      port_(port ? std::move(port) : MakeMciPort()),
      model_(std::make_unique<MediaPlayerModel>(*port_, static_cast<ButtonBarHost&>(*this))) {
    // The bar's layout needs the largest glyph's size, which the resources'
    // headers give; the bitmaps themselves are made when first painted.
    int maxW = 0, maxH = 0;
    for (int k = 0; k < 3; ++k) {
        for (int b = 0; b < 9; ++b) {
            const std::wstring name = GlyphResourceName(static_cast<GlyphKind>(k), ButtonAt(b));
            const auto bytes = ui::ResourceBytes(name.c_str(), RT_BITMAP);
            BITMAPINFOHEADER header;
            if (bytes.size() < sizeof header) continue;
            std::memcpy(&header, bytes.data(), sizeof header);
            if (header.biSize < sizeof header) continue;
            maxW = std::max<int>(maxW, header.biWidth);
            maxH = std::max<int>(maxH, header.biHeight < 0 ? -header.biHeight : header.biHeight);
        }
    }
    if (maxW > 0) model_->Bar().SetGlyphExtent(maxW, maxH);
    // The bar's window is made when first shown, or when the device first
    // needs somewhere to send its notifications.
    Device().SetNotifyWindow([this] {
        CreateHandle();
        return reinterpret_cast<std::uintptr_t>(hwnd_);
    });
    SetBounds(0, 0, 240, 30);
}

HGDIOBJ TMediaPlayer::Glyph(GlyphKind kind, TMPBtnType button) {
    ui::UniqueGdi& glyph = glyphs_[static_cast<int>(kind)][Ordinal(button)];
    if (!glyph)
        glyph.reset(LoadImageW(GetModuleHandleW(nullptr), GlyphResourceName(kind, button).c_str(),
                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return glyph.get();
}

TMediaPlayer::~TMediaPlayer() {
    // The device is closed before the window goes, so no notification is lost on a dead window.
    model_.reset();
}

void TMediaPlayer::SetDisplay(ui::TWinControl* display) {
    display_ = display;
    if (!display) {
        Device().SetDisplay(nullptr);
        return;
    }
    Device().SetDisplay([this] {
        if (!display_) return std::uintptr_t{0};
        display_->CreateHandle();  // a panel makes its window when first shown
        return reinterpret_cast<std::uintptr_t>(display_->Handle());
    });
}

void TMediaPlayer::SetBounds(int left, int top, int width, int height) {
    ui::TWinControl::SetBounds(left, top, width, height);
    if (!sizing_ && model_) {
        sizing_ = true;
        model_->Bar().Resize(width_, height_);
        sizing_ = false;
    }
}

void TMediaPlayer::SetControlSize(int width, int height) {
    sizing_ = true;
    ui::TWinControl::SetBounds(left_, top_, width, height);
    sizing_ = false;
}

void TMediaPlayer::SetEnabled(bool enabled) {
    ui::TWinControl::SetEnabled(enabled);
    model_->Bar().SetControlEnabled(enabled);
}

void TMediaPlayer::SetMouseCapture(bool capture) {
    if (capture)
        SetCapture(hwnd_);
    else if (GetCapture() == hwnd_)
        ReleaseCapture();
}

void TMediaPlayer::PaintWindow(HDC dc, const RECT& clip) {
    PaintBackground(dc, clip);
    const ButtonBar& bar = model_->Bar();
    RECT frame = {0, 0, width_, height_};
    FrameRect(dc, &frame, GetSysColorBrush(COLOR_WINDOWFRAME));
    const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    ui::UniqueGdi light(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
    ui::UniqueGdi dark(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    ui::UniqueDc mem(CreateCompatibleDC(dc));
    for (const ButtonFace& f : bar.Faces()) {
        RECT r = {f.rect.left, f.rect.top, f.rect.right, f.rect.bottom};
        FillRect(dc, &r, face);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        {
            // Raised: highlight then shadow; pressed: only the first line, in the shadow colour.
            ui::SelectObjectScope pen(dc, f.pressed ? dark.get() : light.get());
            POINT pts[3] = {
                {f.light[0].x, f.light[0].y}, {f.light[1].x, f.light[1].y}, {f.light[2].x, f.light[2].y}};
            Polyline(dc, pts, 3);
        }
        if (!f.pressed) {
            ui::SelectObjectScope pen(dc, dark.get());
            POINT pts[3] = {
                {f.dark[0].x, f.dark[0].y}, {f.dark[1].x, f.dark[1].y}, {f.dark[2].x, f.dark[2].y}};
            Polyline(dc, pts, 3);
        }
        HGDIOBJ glyph = Glyph(f.glyph, f.button);
        BITMAP bm{};
        if (glyph && GetObjectW(glyph, sizeof bm, &bm)) {
            BarPoint at = GlyphOrigin(f, bm.bmWidth, bm.bmHeight);
            ui::SelectObjectScope sel(mem.get(), glyph);
            GdiTransparentBlt(dc, at.x, at.y, bm.bmWidth, bm.bmHeight, mem.get(), 0, 0, bm.bmWidth,
                              bm.bmHeight, kOlive);
        }
        if (f.focused) {
            RECT fr = {f.focusRect.left, f.focusRect.top, f.focusRect.right, f.focusRect.bottom};
            DrawFocusRect(dc, &fr);
        }
    }
}

LRESULT TMediaPlayer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (GetFocus() != hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_TABSTOP)) SetFocus(hwnd_);
            model_->MouseDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return 0;
        case WM_MOUSEMOVE:
            model_->MouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return 0;
        case WM_LBUTTONUP:
            model_->MouseUp(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return 0;
        case WM_KEYDOWN:
            model_->KeyDown(static_cast<std::uint32_t>(wp));
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_SETFOCUS:
            model_->Bar().FocusChanged(true);
            break;
        case WM_KILLFOCUS:
            model_->Bar().FocusChanged(false);
            break;
        case MM_MCINOTIFY:
            model_->HandleNotify(static_cast<std::uint32_t>(wp));
            return 0;
        case WM_PRINTCLIENT: {
            // Drawing into a caller's device context (PrintWindow and the like).
            RECT client{};
            GetClientRect(hwnd_, &client);
            PaintWindow(reinterpret_cast<HDC>(wp), client);
            return 0;
        }
        default:
            break;
    }
    return ui::TWinControl::WndProc(msg, wp, lp);
}

}  // namespace pelma
