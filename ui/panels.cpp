#include "ui/panels.h"

#include <windowsx.h>

#include <algorithm>

namespace pelma::ui {

// ---------------------------------------------------------------------------
// TPanel

TPanel::TPanel(TWinControl* parent)
    : TWinControl(parent, ControlClassName(), WS_CLIPCHILDREN, 0, /*deferWindow*/ parent != nullptr) {}

int TPanel::BevelSize() const {
    return (BevelInner != TBevel::None ? 1 : 0) + (BevelOuter != TBevel::None ? 1 : 0);
}

RECT TPanel::AlignRect() const {
    RECT r = TWinControl::AlignRect();
    InflateRect(&r, -BevelSize(), -BevelSize());
    return r;
}

void TPanel::PaintWindow(HDC dc, const RECT& clip) {
    PaintBackground(dc, clip);
    RECT r = {0, 0, width_, height_};
    if (BevelOuter != TBevel::None) {
        DrawEdge(dc, &r, BevelOuter == TBevel::Lowered ? BDR_SUNKENOUTER : BDR_RAISEDOUTER, BF_RECT);
        InflateRect(&r, -1, -1);
    }
    if (BevelInner != TBevel::None) {
        DrawEdge(dc, &r, BevelInner == TBevel::Lowered ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_RECT);
        InflateRect(&r, -1, -1);
    }
    if (!caption_.empty()) {
        SelectObjectScope font(dc, SharedFont(font_));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, font_.Color);
        DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    PaintGraphicChildren(dc, clip);
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (DragAutomatic) {
        switch (msg) {
            case WM_LBUTTONDOWN:
                dragging_ = true;
                SetCapture(hwnd_);
                SetCursor(LoadCursorW(nullptr, IDC_NO));
                return 0;
            case WM_MOUSEMOVE:
                if (dragging_) {
                    SetCursor(LoadCursorW(nullptr, IDC_NO));
                    return 0;
                }
                break;
            case WM_LBUTTONUP:
                if (dragging_) {
                    dragging_ = false;
                    ReleaseCapture();
                    return 0;
                }
                break;
            case WM_CAPTURECHANGED:
                dragging_ = false;
                break;
            case WM_SETCURSOR:
                if (dragging_) return TRUE;
                break;
            default:
                break;
        }
    }
    return TWinControl::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------------------
// TCoolBar

TCoolBar::TCoolBar(TWinControl* parent) : TWinControl(parent, ControlClassName(), WS_CLIPCHILDREN) {}

void TCoolBar::PaintWindow(HDC dc, const RECT& clip) {
    PaintBackground(dc, clip);
    RECT r = {0, 0, width_, height_};
    DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
    PaintGraphicChildren(dc, clip);
}

// ---------------------------------------------------------------------------
// TScrollBox

TScrollBox::TScrollBox(TWinControl* parent)
    : TWinControl(parent, ControlClassName(), WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE) {
    ShowScrollBar(hwnd_, SB_BOTH, FALSE);
}

void TScrollBox::Realign() {
    TWinControl::Realign();
    UpdateRange();
}

void TScrollBox::UpdateRange() {
    if (updating_ || !hwnd_) return;
    updating_ = true;
    // The extent of what scrolls: every visible child that is not aligned.
    SIZE extent = {0, 0};
    for (TControl* c : controls_) {
        if (!c->Visible() || c->Align() != TAlign::None) continue;
        extent.cx = std::max<LONG>(extent.cx, c->Left() + c->Width());
        extent.cy = std::max<LONG>(extent.cy, c->Top() + c->Height());
    }
    extent_ = extent;
    // The client area without scroll bars decides which bars are needed.
    RECT window;
    GetClientRect(hwnd_, &window);
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    int fullW = window.right + ((style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    int fullH = window.bottom + ((style & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    bool needH = extent.cx > fullW, needV = extent.cy > fullH;
    int cw = fullW - (needV ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    int ch = fullH - (needH ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    if (!needH && extent.cx > cw) {
        needH = true;
        ch = fullH - GetSystemMetrics(SM_CYHSCROLL);
    }
    if (!needV && extent.cy > ch) {
        needV = true;
        cw = fullW - GetSystemMetrics(SM_CXVSCROLL);
    }
    POINT pos = pos_;
    pos.x = needH ? std::clamp<LONG>(pos.x, 0, extent.cx - cw) : 0;
    pos.y = needV ? std::clamp<LONG>(pos.y, 0, extent.cy - ch) : 0;

    auto setBar = [this, style](int bar, bool need, LONG extent, int page, LONG position) {
        // Showing a bar again costs a new frame even when it is shown already.
        if (need != ((style & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0))
            ShowScrollBar(hwnd_, bar, need);
        if (!need) return;
        SCROLLINFO si{
            sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, extent - 1, static_cast<UINT>(page), position, 0};
        SetScrollInfo(hwnd_, bar, &si, FALSE);
    };
    setBar(SB_HORZ, needH, extent.cx, cw, pos.x);
    setBar(SB_VERT, needV, extent.cy, ch, pos.y);
    // The bars are drawn once, with the next paint, however often they changed.
    if (needH || needV) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE);
    updating_ = false;
    // The bars may have changed the client area: lay the aligned children out in it.
    if (pos.x != pos_.x || pos.y != pos_.y) {
        ScrollTo(pos.x, pos.y);
    }
    TWinControl::Realign();
}

void TScrollBox::ScrollTo(int x, int y) {
    if (x == pos_.x && y == pos_.y) return;
    pos_ = {x, y};
    SetScrollPos(hwnd_, SB_HORZ, x, FALSE);
    SetScrollPos(hwnd_, SB_VERT, y, FALSE);
    for (TControl* c : controls_)
        if (c->IsWindowed() && c->Align() == TAlign::None) static_cast<TWinControl*>(c)->PlaceWindow();
    // The client and the bars, drawn together with the next paint.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE);
}

void TScrollBox::ScrollWithin(int x, int y) {
    const SIZE client = {ClientWidth(), ClientHeight()};
    x = std::clamp<LONG>(x, 0, std::max<LONG>(0, extent_.cx - client.cx));
    y = std::clamp<LONG>(y, 0, std::max<LONG>(0, extent_.cy - client.cy));
    ScrollTo(x, y);
}

SIZE TScrollBox::FullClientSize() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    return {r.right + ((style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0),
            r.bottom + ((style & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0)};
}

void TScrollBox::SetBorder(bool border) {
    if (Border() == border) return;
    const LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, border ? ex | WS_EX_CLIENTEDGE : ex & ~WS_EX_CLIENTEDGE);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Realign();
}

bool TScrollBox::CanDrag() const {
    return DragScroll && (extent_.cx > ClientWidth() || extent_.cy > ClientHeight());
}

void TScrollBox::Scroll(int bar, int code) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd_, bar, &si);
    int pos = bar == SB_HORZ ? pos_.x : pos_.y;
    int page = static_cast<int>(si.nPage);
    switch (code) {
        case SB_LINEUP:
            pos -= LineSize;
            break;
        case SB_LINEDOWN:
            pos += LineSize;
            break;
        case SB_PAGEUP:
            pos -= page;
            break;
        case SB_PAGEDOWN:
            pos += page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            pos = si.nTrackPos;
            break;
        case SB_TOP:
            pos = 0;
            break;
        case SB_BOTTOM:
            pos = si.nMax;
            break;
        default:
            return;
    }
    pos = std::clamp(pos, 0, std::max(0, si.nMax - page + 1));
    if (bar == SB_HORZ)
        ScrollTo(pos, pos_.y);
    else
        ScrollTo(pos_.x, pos);
}

LRESULT TScrollBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (lp == 0) {
                Scroll(msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wp));
                return 0;
            }
            break;
        case WM_LBUTTONDBLCLK: {
            const POINT at = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            TControl* hit = GraphicChildAt(at.x, at.y);
            if (!OnDoubleClick || (hit && hit->WantsMouse())) break;
            OnDoubleClick(at);
            return 0;
        }
        case WM_LBUTTONDOWN: {
            const POINT at = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            TControl* hit = GraphicChildAt(at.x, at.y);
            if (!CanDrag() || (hit && hit->WantsMouse())) break;
            dragging_ = true;
            dragFrom_ = at;
            dragOffset_ = pos_;
            SetCapture(hwnd_);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (!dragging_) break;
            ScrollWithin(dragOffset_.x - (GET_X_LPARAM(lp) - dragFrom_.x),
                         dragOffset_.y - (GET_Y_LPARAM(lp) - dragFrom_.y));
            return 0;
        case WM_LBUTTONUP:
            if (!dragging_) break;
            dragging_ = false;
            ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            dragging_ = false;
            break;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) != hwnd_ || LOWORD(lp) != HTCLIENT || !CanDrag()) break;
            SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
            return TRUE;
        case WM_MOUSEWHEEL: {
            if ((GET_KEYSTATE_WPARAM(wp) & MK_CONTROL) && OnZoomWheel) {
                POINT at = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                ScreenToClient(hwnd_, &at);
                OnZoomWheel(GET_WHEEL_DELTA_WPARAM(wp), at);
                return 0;
            }
            if (!(GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VSCROLL)) break;
            int delta = GET_WHEEL_DELTA_WPARAM(wp);
            SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
            GetScrollInfo(hwnd_, SB_VERT, &si);
            int pos = pos_.y - delta * 3 * LineSize / WHEEL_DELTA;
            pos = std::clamp(pos, 0, std::max(0, si.nMax - static_cast<int>(si.nPage) + 1));
            ScrollTo(pos_.x, pos);
            return 0;
        }
        default:
            break;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

}  // namespace pelma::ui
