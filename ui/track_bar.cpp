#include "ui/track_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/late_bound.h"

namespace pelma::ui {

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
        // The slider stands on its parent's colour.
        TControl& back = parent_ ? static_cast<TControl&>(*parent_) : *this;
        SetBkColor(reinterpret_cast<HDC>(wp), back.Color());
        result = reinterpret_cast<LRESULT>(back.BackgroundBrush());
        return true;
    }
    return false;
}

}  // namespace pelma::ui
