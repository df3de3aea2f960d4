#include "ui/edits.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/late_bound.h"

namespace pelma::ui {

// ---------------------------------------------------------------------------
// TMemo

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

LRESULT TMemo::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CONTEXTMENU && PopupMenu) {
        // Our own menu instead of the edit box's.
        SetFocus(hwnd_);
        ShowContextMenu(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)), nullptr);
        return 0;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

bool TMemo::Notified(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLOREDIT) {
        if (!brush_) brush_.reset(CreateSolidBrush(color_));
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, color_);
        SetTextColor(dc, font_.Color);
        result = reinterpret_cast<LRESULT>(brush_.get());
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// TTrackBar

// The window (and the common controls with it) is made when the slider is first shown.
TTrackBar::TTrackBar(TWinControl* parent)
    : TWinControl(parent, TRACKBAR_CLASSW, TBS_HORZ | TBS_NOTICKS | TBS_FIXEDLENGTH | TBS_BOTH, 0, true) {}

void TTrackBar::CreateHandle() {
    static const bool registered = [] {
        const auto init =
            LateBound<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(L"comctl32.dll", "InitCommonControlsEx");
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
        return init && init(&icc);
    }();
    (void)registered;
    TWinControl::CreateHandle();
}

void TTrackBar::HandleCreated() {
    SendMessageW(hwnd_, TBM_SETTHUMBLENGTH, thumbLength_, 0);
    SendMessageW(hwnd_, TBM_SETRANGEMIN, FALSE, min_);
    SendMessageW(hwnd_, TBM_SETRANGEMAX, TRUE, max_);
    SendMessageW(hwnd_, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetThumbLength(int v) {
    thumbLength_ = v;
    if (hwnd_) SendMessageW(hwnd_, TBM_SETTHUMBLENGTH, v, 0);
}

void TTrackBar::Changed() {
    if (OnChange) OnChange();
}

void TTrackBar::SetMin(int v) {
    if (v > max_ || v == min_) return;
    min_ = v;
    if (hwnd_) SendMessageW(hwnd_, TBM_SETRANGEMIN, TRUE, min_);
    if (position_ < min_) SetPosition(min_);
}

void TTrackBar::SetMax(int v) {
    if (v < min_ || v == max_) return;
    max_ = v;
    if (hwnd_) SendMessageW(hwnd_, TBM_SETRANGEMAX, TRUE, max_);
    if (position_ > max_) SetPosition(max_);
}

void TTrackBar::SetPosition(int v) {
    v = std::clamp(v, min_, max_);
    if (v == position_) return;
    position_ = v;
    if (hwnd_) SendMessageW(hwnd_, TBM_SETPOS, TRUE, position_);
    Changed();
}

bool TTrackBar::Notified(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_HSCROLL || msg == WM_VSCROLL) {
        position_ = static_cast<int>(SendMessageW(hwnd_, TBM_GETPOS, 0, 0));
        Changed();
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORSTATIC) {
        COLORREF back = parent_ ? parent_->Color() : color_;
        if (!brush_) brush_.reset(CreateSolidBrush(back));
        SetBkColor(reinterpret_cast<HDC>(wp), back);
        result = reinterpret_cast<LRESULT>(brush_.get());
        return true;
    }
    return false;
}

}  // namespace pelma::ui
