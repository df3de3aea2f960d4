#include "media/display_modes.h"

#include "core/arith.h"
#include "ui/work_area.h"
#include "view/layout.h"

namespace pelma {

namespace {

HWND Taskbar() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

}  // namespace

void DisplayModes::SetMovieRect(int x, int y, int width, int height) {
    c_.player.Device().SetDisplayRect(x, y, width, height);
}

void DisplayModes::FitMovie(int width, int height) {
    if (c_.wideMode.Checked()) {
        const int h = WideHeight(width);
        SetMovieRect(0, (height - h) / 2, width, h);
    } else {
        SetMovieRect(0, 0, width, height);
    }
}

void DisplayModes::ShowBars(ui::TSpeedButton& modeButton, ui::TSpeedButton& otherModeButton) {
    c_.wideMode.Show();
    c_.toolBar.Show();
    c_.mediaBar.Show();
    modeButton.SetLeft(layout::kFirstCommandLeft);
    c_.fullScreenButton.SetLeft(layout::kSecondCommandLeft);
    otherModeButton.Hide();
    modeButton.Show();
    c_.fullScreenButton.Show();
}

void DisplayModes::EnableCommands(bool fullScreen, bool reduce, bool enlarge) {
    c_.fullScreen.SetEnabled(fullScreen);
    c_.reduce.SetEnabled(reduce);
    c_.enlarge.SetEnabled(enlarge);
}

void DisplayModes::Resize() {
    FitMovie(c_.window.ClientWidth(), c_.window.ClientHeight() - c_.toolBar.Height() - c_.mediaBar.Height());
}

void DisplayModes::Enlarge() {
    c_.window.SetWindowState(ui::TWindowState::Normal);
    const ui::TWorkArea area = ui::WorkArea();
    c_.window.SetBounds(c_.window.Left(), c_.window.Top(), area.Width, area.Height);
    ShowBars(c_.reduceButton, c_.enlargeButton);
    Resize();
    EnableCommands(true, true, false);
}

void DisplayModes::FullScreen() {
    if (HWND taskbar = Taskbar()) {
        ShowWindow(taskbar, SW_SHOWNOACTIVATE);
        ShowWindow(taskbar, SW_HIDE);
        hidTaskbar_ = true;
    }
    c_.window.SetStyle(c_.window.Style() & ~WS_CAPTION);
    c_.window.Repaint();
    c_.window.SetWindowState(ui::TWindowState::Maximized);
    FitMovie(c_.window.Width(), c_.window.Height());
    c_.mediaBar.Hide();
    c_.toolBar.Hide();
    EnableCommands(false, true, true);
}

void DisplayModes::Reduce() {
    if (HWND taskbar = Taskbar()) ShowWindow(taskbar, SW_SHOWNA);
    hidTaskbar_ = false;
    c_.window.SetStyle(c_.window.Style() | WS_CAPTION);
    c_.window.Repaint();
    c_.window.SetWindowState(ui::TWindowState::Normal);
    ShowBars(c_.enlargeButton, c_.reduceButton);
    c_.window.SetClientWidth(layout::kMediaClientWidth);
    const int cw = c_.window.ClientWidth();
    if (c_.wideMode.Checked()) {
        const int h = WideHeight(cw);
        c_.window.SetClientHeight(c_.toolBar.Height() + h + c_.mediaBar.Height() + 4);
        SetMovieRect(0, 0, cw, h);
    } else {
        c_.window.SetClientHeight(layout::kMediaClientHeight);
        SetMovieRect(0, 0, cw, c_.window.ClientHeight() - c_.toolBar.Height() - c_.mediaBar.Height());
    }
    EnableCommands(true, false, true);
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
