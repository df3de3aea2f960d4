// The movie display modes: reduce, enlarge, full screen and the wide picture.
#include "app/main_form.h"
#include "core/arith.h"
#include "media/media_player.h"

namespace pelma {

namespace {

constexpr LONG_PTR kCaptionBits = 0x00C00000;  // WS_CAPTION: border and dialog frame

HWND Taskbar() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

}  // namespace

void TPelmaForm1::SetMovieRect(int x, int y, int width, int height) {
    MediaPlayer1->Device().SetDisplayRect(x, y, width, height);
}

void TPelmaForm1::FormResize() {
    if (!MediaPlayer1 || !CoolBar1 || !Panel2) return;  // still being built
    const int cw = ClientWidth(), ch = ClientHeight();
    const int space = ch - CoolBar1->Height() - Panel2->Height();
    if (WideMode->Checked()) {
        const int h = WideHeight(cw);
        SetMovieRect(0, Div(space - h, 2), cw, h);
    } else {
        SetMovieRect(0, 0, cw, space);
    }
}

void TPelmaForm1::ActMovLExecute() {
    SetWindowState(ui::TWindowState::Normal);
    const TWorkArea area = WorkArea();
    SetBounds(Left(), Top(), area.Width, area.Height);
    WideMode->Show();
    CoolBar1->Show();
    Panel2->Show();
    ShukushouButton->SetLeft(100);
    FullScreen->SetLeft(150);
    KakudaiButton->Hide();
    ShukushouButton->Show();
    FullScreen->Show();
    FormResize();
    ActFullScreen->SetEnabled(true);
    ActMovS->SetEnabled(true);
    ActMovL->SetEnabled(false);
}

void TPelmaForm1::ActFullScreenExecute() {
    if (HWND taskbar = Taskbar()) {
        ShowWindow(taskbar, SW_SHOWNOACTIVATE);
        ShowWindow(taskbar, SW_HIDE);
        hidTaskbar_ = true;
    }
    SetStyle(Style() & ~kCaptionBits);
    Repaint();
    SetWindowState(ui::TWindowState::Maximized);
    const int w = Width(), h = Height();
    if (WideMode->Checked()) {
        const int wh = WideHeight(w);
        SetMovieRect(0, Div(h - wh, 2), w, wh);
    } else {
        SetMovieRect(0, 0, w, h);
    }
    Panel2->Hide();
    CoolBar1->Hide();
    ActFullScreen->SetEnabled(false);
    ActMovS->SetEnabled(true);
    ActMovL->SetEnabled(true);
}

void TPelmaForm1::ActMovSExecute() {
    if (HWND taskbar = Taskbar()) ShowWindow(taskbar, SW_SHOWNA);
    hidTaskbar_ = false;
    SetStyle(Style() | kCaptionBits);
    Repaint();
    SetWindowState(ui::TWindowState::Normal);
    WideMode->Show();
    CoolBar1->Show();
    Panel2->Show();
    KakudaiButton->SetLeft(100);
    FullScreen->SetLeft(150);
    KakudaiButton->Show();
    ShukushouButton->Hide();
    FullScreen->Show();
    SetClientWidth(353);
    const int cw = ClientWidth();
    if (WideMode->Checked()) {
        const int h = WideHeight(cw);
        SetClientHeight(CoolBar1->Height() + h + Panel2->Height() + 4);
        SetMovieRect(0, 0, cw, h);
    } else {
        SetClientHeight(310);
        SetMovieRect(0, 0, cw, ClientHeight() - CoolBar1->Height() - Panel2->Height());
    }
    ActFullScreen->SetEnabled(true);
    ActMovS->SetEnabled(false);
    ActMovL->SetEnabled(true);
}

void TPelmaForm1::WideModeClick() {
    if (GetSystemMetrics(SM_CXSCREEN) > Width())
        ActMovSExecute();
    else
        ActMovLExecute();
}

void TPelmaForm1::RestoreTaskbar() {
    if (!hidTaskbar_) return;
    if (HWND taskbar = Taskbar()) ShowWindow(taskbar, SW_SHOWNA);
    hidTaskbar_ = false;
}

}  // namespace pelma
