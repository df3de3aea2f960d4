// Top-level windows: size by outer or client measures, window state, the
// create/show/resize events, closing, and dropped files.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "ui/control.h"

namespace pelma::ui {

enum class TWindowState { Normal, Minimized, Maximized };

class TForm : public TWinControl {
public:
    // `className` names the window class, registered here for this form,
    // with the icon resource `iconId` (if not 0) as the class's icon, large
    // and small, so that the window has its icon from its creation on.
    TForm(const wchar_t* className, DWORD style, DWORD exStyle = 0, int iconId = 0);

    int ClientWidth() const { return TWinControl::ClientWidth(); }
    int ClientHeight() const { return TWinControl::ClientHeight(); }
    void SetClientWidth(int w) { SetClientSize(w, ClientHeight()); }
    void SetClientHeight(int h) { SetClientSize(ClientWidth(), h); }
    void SetClientSize(int w, int h);

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);

    // Showing runs OnShow before the window comes on screen.
    void ShowForm();
    // The main form ends the program; any other form is hidden.
    void Close();
    // The first showing, as the program's start-up request asks for it.
    void ShowAtStart(int showCommand);

    // Forms that want Tab, Enter and Esc handled as in a dialog box.
    virtual bool DialogKeys() const { return false; }

    LONG_PTR Style() const { return GetWindowLongPtrW(hwnd_, GWL_STYLE); }
    void SetStyle(LONG_PTR style);

protected:
    virtual void DoShow() {}
    virtual void DoResize() {}
    virtual void DoDropFiles(HDROP) {}
    // Runs the creation handler; an exception is displayed and creation goes on.
    void RunCreate(void (TForm::*handler)());
    // Runs the show handler; an exception is displayed and showing goes on.
    void RunShow();

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void VisibleChanged() override;
    void SyncBounds();

    TWindowState pendingState_ = TWindowState::Normal;
    bool showPending_ = false;  // started minimised: OnShow waits for the first restore
};

}  // namespace pelma::ui
