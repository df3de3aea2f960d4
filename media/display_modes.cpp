#include "media/display_modes.h"

#include "core/arith.h"
#include "ui/work_area.h"

namespace pelma {

namespace {

constexpr LONG_PTR kCaptionBits = 0x00C00000;  // WS_CAPTION: border and dialog frame

HWND Taskbar() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

}  // namespace

void DisplayModes::SetMovieRect(int x, int y, int width, int height) {
    c_.player.Device().SetDisplayRect(x, y, width, height);
}

void DisplayModes::Resize() {
    const int cw = c_.window.ClientWidth(), ch = c_.window.ClientHeight();
    const int space = ch - c_.toolBar.Height() - c_.mediaBar.Height();
    if (c_.wideMode.Checked()) {
        const int h = WideHeight(cw);
        SetMovieRect(0, Div(space - h, 2), cw, h);
    } else {
        SetMovieRect(0, 0, cw, space);
    }
}

void DisplayModes::Enlarge() {
    c_.window.SetWindowState(ui::TWindowState::Normal);
    const ui::TWorkArea area = ui::WorkArea();
    c_.window.SetBounds(c_.window.Left(), c_.window.Top(), area.Width, area.Height);
    c_.wideMode.Show();
    c_.toolBar.Show();
    c_.mediaBar.Show();
    c_.reduceButton.SetLeft(100);
    c_.fullScreenButton.SetLeft(150);
    c_.enlargeButton.Hide();
    c_.reduceButton.Show();
    c_.fullScreenButton.Show();
    Resize();
    c_.fullScreen.SetEnabled(true);
    c_.reduce.SetEnabled(true);
    c_.enlarge.SetEnabled(false);
}

void DisplayModes::FullScreen() {
    if (HWND taskbar = Taskbar()) {
        ShowWindow(taskbar, SW_SHOWNOACTIVATE);
        ShowWindow(taskbar, SW_HIDE);
        hidTaskbar_ = true;
    }
    c_.window.SetStyle(c_.window.Style() & ~kCaptionBits);
    c_.window.Repaint();
    c_.window.SetWindowState(ui::TWindowState::Maximized);
    const int w = c_.window.Width(), h = c_.window.Height();
    if (c_.wideMode.Checked()) {
        const int wh = WideHeight(w);
        SetMovieRect(0, Div(h - wh, 2), w, wh);
    } else {
        SetMovieRect(0, 0, w, h);
    }
    c_.mediaBar.Hide();
    c_.toolBar.Hide();
    c_.fullScreen.SetEnabled(false);
    c_.reduce.SetEnabled(true);
    c_.enlarge.SetEnabled(true);
}

void DisplayModes::Reduce() {
    if (HWND taskbar = Taskbar()) ShowWindow(taskbar, SW_SHOWNA);
    hidTaskbar_ = false;
    c_.window.SetStyle(c_.window.Style() | kCaptionBits);
    c_.window.Repaint();
    c_.window.SetWindowState(ui::TWindowState::Normal);
    c_.wideMode.Show();
    c_.toolBar.Show();
    c_.mediaBar.Show();
    c_.enlargeButton.SetLeft(100);
    c_.fullScreenButton.SetLeft(150);
    c_.enlargeButton.Show();
    c_.reduceButton.Hide();
    c_.fullScreenButton.Show();
    c_.window.SetClientWidth(353);
    const int cw = c_.window.ClientWidth();
    if (c_.wideMode.Checked()) {
        const int h = WideHeight(cw);
        c_.window.SetClientHeight(c_.toolBar.Height() + h + c_.mediaBar.Height() + 4);
        SetMovieRect(0, 0, cw, h);
    } else {
        c_.window.SetClientHeight(310);
        SetMovieRect(0, 0, cw, c_.window.ClientHeight() - c_.toolBar.Height() - c_.mediaBar.Height());
    }
    c_.fullScreen.SetEnabled(true);
    c_.reduce.SetEnabled(false);
    c_.enlarge.SetEnabled(true);
}

void DisplayModes::WideChanged() {
    if (GetSystemMetrics(SM_CXSCREEN) > c_.window.Width())
        Reduce();
    else
        Enlarge();
}

void DisplayModes::RestoreTaskbar() {
    if (!hidTaskbar_) return;
    if (HWND taskbar = Taskbar()) ShowWindow(taskbar, SW_SHOWNA);
    hidTaskbar_ = false;
}

}  // namespace pelma
