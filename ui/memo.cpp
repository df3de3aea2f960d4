#include "ui/memo.h"

#include <windowsx.h>

namespace pelma::ui {

// The window is made when the box is first shown or filled.
TMemo::TMemo(TWinControl* parent)
    : TWinControl(parent, L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE,
                  true) {
    color_ = GetSysColor(COLOR_WINDOW);
}

void TMemo::HandleCreated() { SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0); }

std::wstring TMemo::Text() const {
    if (!hwnd_) return {};
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

void TMemo::SetText(const std::wstring& text) {
    CreateHandle();
    SetWindowTextW(hwnd_, text.c_str());
}

// With a menu of its own, that menu instead of the edit box's.
TWinControl::Handled TMemo::OnContextMenu(WPARAM wp, LPARAM lp) {
    if (!PopupMenu) return TWinControl::OnContextMenu(wp, lp);
    SetFocus(hwnd_);
    ShowContextMenu(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), nullptr);
    return 0;
}

bool TMemo::Notified(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC && msg != WM_CTLCOLOREDIT) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetBkColor(dc, color_);
    SetTextColor(dc, font_.Color);
    result = reinterpret_cast<LRESULT>(BackgroundBrush());
    return true;
}

}  // namespace pelma::ui
