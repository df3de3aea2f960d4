#include "ui/forms.h"

#include <windowsx.h>

#include "ui/application.h"

namespace pelma::ui {

namespace {

DWORD RegisterFormClass(const wchar_t* className, int iconId) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    HICON icon = nullptr, smallIcon = nullptr;
    if (iconId) {
        icon = LoadIconW(inst, MAKEINTRESOURCEW(iconId));
        smallIcon = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    RegisterControlClass(className, CS_DBLCLKS, icon, smallIcon);
    return 0;
}

}  // namespace

TForm::TForm(const wchar_t* className, DWORD style, DWORD exStyle, int iconId)
    : TWinControl((RegisterFormClass(className, iconId), nullptr), className, style | WS_CLIPCHILDREN,
                  exStyle) {
    font_ = TFont{};
    color_ = GetSysColor(COLOR_BTNFACE);
    SyncBounds();
}

void TForm::SyncBounds() {
    RECT r;
    if (!hwnd_ || !GetWindowRect(hwnd_, &r)) return;
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

void TForm::SetClientSize(int w, int h) {
    RECT r = {0, 0, w, h};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SyncBounds();
}

void TForm::SetStyle(LONG_PTR style) {
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

TWindowState TForm::WindowState() const {
    if (!IsWindowVisible(hwnd_)) return pendingState_;
    if (IsIconic(hwnd_)) return TWindowState::Minimized;
    if (IsZoomed(hwnd_)) return TWindowState::Maximized;
    return TWindowState::Normal;
}

void TForm::SetWindowState(TWindowState state) {
    pendingState_ = state;
    if (!IsWindowVisible(hwnd_)) return;
    if (WindowState() == state) return;
    switch (state) {
        case TWindowState::Normal:
            ShowWindow(hwnd_, SW_RESTORE);
            break;
        case TWindowState::Minimized:
            ShowWindow(hwnd_, SW_MINIMIZE);
            break;
        case TWindowState::Maximized:
            ShowWindow(hwnd_, SW_MAXIMIZE);
            break;
    }
    SyncBounds();
}

void TForm::VisibleChanged() {
    if (!hwnd_) return;
    if (!visible_) {
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    CreateVisibleChildren();
    RunShow();
    ShowWindow(hwnd_, pendingState_ == TWindowState::Maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    SyncBounds();
}

void TForm::RunShow() {
    try {
        DoShow();
    } catch (...) {
        Application().HandleException(std::current_exception());
    }
}

void TForm::ShowForm() { SetVisible(true); }

void TForm::ShowAtStart(int showCommand) {
    if (showCommand == SW_SHOWMAXIMIZED) pendingState_ = TWindowState::Maximized;
    if (showCommand == SW_SHOWMINNOACTIVE) {
        // Only the taskbar button: OnShow runs at the first restore.
        showPending_ = true;
        visible_ = true;
        CreateVisibleChildren();
        ShowWindow(hwnd_, SW_SHOWMINNOACTIVE);
        return;
    }
    ShowForm();
}

void TForm::Close() {
    if (Application().MainForm() == this) {
        Application().Terminate();
        ShowWindow(hwnd_, SW_HIDE);
    } else {
        Hide();
    }
}

void TForm::RunCreate(void (TForm::*handler)()) {
    try {
        (this->*handler)();
    } catch (...) {
        Application().HandleException(std::current_exception());
    }
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            SyncBounds();
            if (showPending_ && wp != SIZE_MINIMIZED) {
                showPending_ = false;
                pendingState_ = TWindowState::Normal;
                RunShow();
            }
            Realign();
            DoResize();
            return 0;
        case WM_MOVE:
            SyncBounds();
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DROPFILES:
            DoDropFiles(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_MOUSEWHEEL: {
            // The wheel goes to the window with the keyboard focus; it turns
            // what is under the pointer, as the system does when it sends the
            // wheel there itself. A child that passes the wheel on to its
            // parent ends it here.
            static thread_local bool forwarding = false;
            if (forwarding) break;
            HWND under = WindowFromPoint(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            if (!under || under == hwnd_ || !IsChild(hwnd_, under)) break;
            forwarding = true;
            SendMessageW(under, msg, wp, lp);
            forwarding = false;
            return 0;
        }
        default:
            break;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

}  // namespace pelma::ui
