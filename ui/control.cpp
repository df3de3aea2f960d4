#include "ui/control.h"

#include <windowsx.h>

#include <algorithm>
#include <unordered_map>

#include "ui/application.h"
#include "ui/menus.h"

namespace pelma::ui {

namespace {

const wchar_t kControlClass[] = L"PelmaControl";

// The control object of each of this thread's windows. Window properties would
// serve, but this is asked on every message, and under Wine every property
// read or write is a round trip to the server; a window's messages always
// arrive on the thread that made it.
std::unordered_map<HWND, TWinControl*>& WindowObjects() {
    thread_local std::unordered_map<HWND, TWinControl*> objects;
    return objects;
}

bool Intersects(const RECT& a, const RECT& b) {
    RECT r;
    return IntersectRect(&r, &a, &b) != FALSE;
}

}  // namespace

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TWinControl* parent) : parent_(parent) {
    if (parent_) {
        parent_->controls_.push_back(this);
        font_ = parent_->font_;
    }
}

TControl::~TControl() {
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        if (parent_->mouseCapture_ == this) parent_->mouseCapture_ = nullptr;
        if (parent_->mouseOver_ == this) parent_->mouseOver_ = nullptr;
        if (!IsWindowed() && visible_) Invalidate();
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    SettleSize();  // bounds set now override what the content asks for, as if measured before
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    if (!IsWindowed()) Invalidate();  // the area it leaves
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    PlaceBounds();
    BoundsChanged();
    if (align_ != TAlign::None && visible_ && parent_) parent_->Realign();
}

void TControl::SetAlign(TAlign align) {
    if (align_ == align) return;
    align_ = align;
    if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    if (!IsWindowed()) Invalidate();
    visible_ = visible;
    if (visible_) SettleSize();
    if (!IsWindowed()) Invalidate();
    VisibleChanged();
    if (parent_) parent_->Realign();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

void TControl::SetCaption(const std::wstring& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    AdjustSize();
    Invalidate();
}

void TControl::SetFont(const TFont& font) {
    if (font_ == font) return;
    font_ = font;
    AdjustSize();
    FontChanged();
}

void TControl::SetFontColor(COLORREF color) {
    TFont f = font_;
    f.Color = color;
    SetFont(f);
}

void TControl::SetFontSize(int points) {
    TFont f = font_;
    f.SetSize(points);
    SetFont(f);
}

void TControl::SetFontName(const std::wstring& name) {
    TFont f = font_;
    f.Name = name;
    SetFont(f);
}

void TControl::SetColor(COLORREF color) {
    if (color_ == color) return;
    color_ = color;
    ColorChanged();
}

void TControl::Invalidate() {
    // A window that is not on screen is painted whole when it is shown:
    // nothing to mark (and each mark is a trip to the window system).
    if (IsWindowed()) {
        auto* self = static_cast<TWinControl*>(this);
        if (self->hwnd_ && IsWindowVisible(self->hwnd_)) InvalidateRect(self->hwnd_, nullptr, TRUE);
        return;
    }
    if (!parent_ || !parent_->hwnd_ || !IsWindowVisible(parent_->hwnd_)) return;
    POINT off = parent_->ScrollOffset();
    RECT r = {left_ - off.x, top_ - off.y, left_ - off.x + width_, top_ - off.y + height_};
    InvalidateRect(parent_->hwnd_, &r, TRUE);
}

void TControl::Repaint() {
    Invalidate();
    if (IsWindowed()) {
        UpdateWindow(static_cast<TWinControl*>(this)->hwnd_);
    } else if (parent_ && parent_->hwnd_) {
        UpdateWindow(parent_->hwnd_);
    }
}

// ---------------------------------------------------------------------------
// TWinControl

const wchar_t* ControlClassName() { return kControlClass; }

WNDPROC ControlWindowProc() { return &TWinControl::StaticProc; }

void RegisterControlClass(const wchar_t* name, UINT style, HICON icon, HICON smallIcon) {
    WNDCLASSEXW wc{};
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(inst, name, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpfnWndProc = ControlWindowProc();
    wc.hInstance = inst;
    static const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);  // a shared cursor: ask once
    wc.hCursor = arrow;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

TWinControl::TWinControl(TWinControl* parent, const wchar_t* className, DWORD style, DWORD exStyle,
                         bool deferWindow)
    : TControl(parent), className_(className), style_(style), exStyle_(exStyle) {
    if (!parent) visible_ = false;
    if (!deferWindow) CreateHandle();
}

void TWinControl::CreateHandle() {
    if (hwnd_) return;
    if (parent_ && !parent_->hwnd_) parent_->CreateHandle();  // a child needs its parent's window
    RegisterControlClass(kControlClass);
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    ownClass_ = GetClassInfoExW(inst, className_.c_str(), &wc) && wc.lpfnWndProc == ControlWindowProc();
    HWND parentWnd = parent_ ? parent_->hwnd_ : Application().Handle();
    DWORD fullStyle = style_ | (parent_ ? WS_CHILD | WS_CLIPSIBLINGS : 0);
    hwnd_ = CreateWindowExW(exStyle_, className_.c_str(), caption_.c_str(), fullStyle & ~WS_VISIBLE, 0, 0, 0,
                            0, parentWnd, nullptr, inst, this);
    if (!hwnd_) return;
    WindowObjects()[hwnd_] = this;
    if (!ownClass_) {
        systemProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::SubclassProc)));
    }
    if (parent_) {
        SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont(font_)), FALSE);
        if (!enabled_) EnableWindow(hwnd_, FALSE);
        PlaceWindow();
        HandleCreated();
        if (visible_) ShowWindow(hwnd_, SW_SHOWNA);
    } else {
        HandleCreated();
    }
}

TWinControl::~TWinControl() {
    // Children are owned by the derived form; only the window goes here.
    if (hwnd_) {
        WindowObjects().erase(hwnd_);
        if (systemProc_) SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc_));
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    const auto& objects = WindowObjects();
    const auto found = objects.find(hwnd);
    return found == objects.end() ? nullptr : found->second;
}

UINT TopLevelSizeFlags(int width, int height) {
    // The changing message only asks the window for its tracking limits
    // (nothing here answers it but the default), so a size within them
    // needs none: under Wine that message alone costs more than the move.
    const bool withinLimits =
        width >= GetSystemMetrics(SM_CXMINTRACK) && height >= GetSystemMetrics(SM_CYMINTRACK) &&
        width <= GetSystemMetrics(SM_CXMAXTRACK) && height <= GetSystemMetrics(SM_CYMAXTRACK);
    return withinLimits ? SWP_NOSENDCHANGING : 0;
}

void TWinControl::PlaceWindow() {
    if (!hwnd_) return;
    if (!parent_) {
        SetWindowPos(hwnd_, nullptr, left_, top_, width_, height_,
                     SWP_NOZORDER | SWP_NOACTIVATE | TopLevelSizeFlags(width_, height_));
        return;
    }
    POINT off = align_ == TAlign::None ? parent_->ScrollOffset() : POINT{0, 0};
    SetWindowPos(hwnd_, nullptr, left_ - off.x, top_ - off.y, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::CreateVisibleChildren() {
    for (TControl* c : controls_) {
        if (!c->IsWindowed() || !c->visible_) continue;
        auto* w = static_cast<TWinControl*>(c);
        w->CreateHandle();
        w->CreateVisibleChildren();
    }
}

void TWinControl::VisibleChanged() {
    if (!hwnd_ && visible_) CreateHandle();
    if (!hwnd_) return;
    if (visible_) CreateVisibleChildren();  // those that waited for this one to be shown
    if (parent_) ShowWindow(hwnd_, visible_ ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (hwnd_) EnableWindow(hwnd_, enabled);
    Invalidate();
}

void TWinControl::SetCaption(const std::wstring& caption) {
    caption_ = caption;
    if (hwnd_) SetWindowTextW(hwnd_, caption.c_str());
    Invalidate();
}

void TWinControl::FontChanged() {
    if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont(font_)), TRUE);
    Invalidate();
}

void TWinControl::ColorChanged() { Invalidate(); }

int TWinControl::ClientWidth() const {
    RECT r{};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r.right;
}

int TWinControl::ClientHeight() const {
    RECT r{};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r.bottom;
}

RECT TWinControl::AlignRect() const {
    RECT r{};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r;
}

void TWinControl::Realign() {
    if (realigning_ || !hwnd_) return;
    realigning_ = true;
    RECT r = AlignRect();
    auto place = [](TControl* c, int l, int t, int w, int h) {
        // Bypass the re-entrant realign of SetBounds: this is the realign.
        TAlign keep = c->align_;
        c->align_ = TAlign::None;
        const RECT before = c->BoundsRect();
        c->SetBounds(l, t, w, h);
        c->align_ = keep;
        // New bounds have placed the window already; the same bounds put it
        // back where they say, wherever scrolling may have moved it.
        const RECT after = c->BoundsRect();
        if (c->IsWindowed() && EqualRect(&before, &after)) static_cast<TWinControl*>(c)->PlaceWindow();
    };
    for (TControl* c : controls_) {
        if (!c->visible_ || c->align_ != TAlign::Top) continue;
        place(c, r.left, r.top, r.right - r.left, c->height_);
        r.top += c->height_;
    }
    for (TControl* c : controls_) {
        if (!c->visible_ || c->align_ != TAlign::Bottom) continue;
        place(c, r.left, r.bottom - c->height_, r.right - r.left, c->height_);
        r.bottom -= c->height_;
    }
    for (TControl* c : controls_) {
        if (!c->visible_ || c->align_ != TAlign::Client) continue;
        place(c, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    realigning_ = false;
}

TControl* TWinControl::GraphicChildAt(int x, int y) const {
    POINT off = ScrollOffset();
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->IsWindowed() || !c->visible_) continue;
        int l = c->left_ - (c->align_ == TAlign::None ? off.x : 0);
        int t = c->top_ - (c->align_ == TAlign::None ? off.y : 0);
        if (x >= l && x < l + c->width_ && y >= t && y < t + c->height_) return c;
    }
    return nullptr;
}

void TWinControl::PaintBackground(HDC dc, const RECT& clip) {
    UniqueGdi brush(CreateSolidBrush(color_));
    FillRect(dc, &clip, static_cast<HBRUSH>(brush.get()));
}

void TWinControl::PaintGraphicChildren(HDC dc, const RECT& clip) {
    POINT off = ScrollOffset();
    for (TControl* c : controls_) {
        if (c->IsWindowed() || !c->visible_) continue;
        int x = c->left_ - (c->align_ == TAlign::None ? off.x : 0);
        int y = c->top_ - (c->align_ == TAlign::None ? off.y : 0);
        RECT r = {x, y, x + c->width_, y + c->height_};
        if (!Intersects(r, clip)) continue;
        int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        c->Paint(dc, x, y);
        RestoreDC(dc, saved);
    }
}

void TWinControl::PaintWindow(HDC dc, const RECT& clip) {
    PaintBackground(dc, clip);
    PaintGraphicChildren(dc, clip);
}

bool TWinControl::ShowContextMenu(int screenX, int screenY, TControl* hit) {
    TPopupMenu* menu = hit && hit->PopupMenu ? hit->PopupMenu : PopupMenu;
    if (!menu) return false;
    if (screenX == -1 && screenY == -1) {
        POINT p = {0, 0};
        ClientToScreen(hwnd_, &p);
        screenX = p.x + 8;
        screenY = p.y + 8;
    }
    menu->Popup(screenX, screenY);
    return true;
}

LRESULT TWinControl::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (systemProc_) return CallWindowProcW(systemProc_, hwnd_, msg, wp, lp);
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND:
            if (ownClass_) return 1;
            break;
        case WM_PAINT:
            if (ownClass_) {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(hwnd_, &ps);
                RECT& clip = ps.rcPaint;
                int w = clip.right - clip.left, h = clip.bottom - clip.top;
                if (w > 0 && h > 0) {
                    // Paint off screen so that layered children never flicker.
                    UniqueDc mem(CreateCompatibleDC(dc));
                    UniqueGdi bmp(CreateCompatibleBitmap(dc, w, h));
                    {
                        SelectObjectScope sel(mem.get(), bmp.get());
                        SetViewportOrgEx(mem.get(), -clip.left, -clip.top, nullptr);
                        PaintWindow(mem.get(), clip);
                        SetViewportOrgEx(mem.get(), 0, 0, nullptr);
                        BitBlt(dc, clip.left, clip.top, w, h, mem.get(), 0, 0, SRCCOPY);
                    }
                }
                EndPaint(hwnd_, &ps);
                return 0;
            }
            break;
        case WM_SIZE:
            Realign();
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
            TControl* hit = GraphicChildAt(x, y);
            if (hit && hit->WantsMouse() && hit->Enabled()) {
                SetCapture(hwnd_);
                mouseCapture_ = hit;
                POINT off = ScrollOffset();
                hit->MouseDown(x - hit->left_ + off.x, y - hit->top_ + off.y);
                return 0;
            }
            break;
        }
        case WM_MOUSEMOVE: {
            int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
            POINT off = ScrollOffset();
            if (mouseCapture_) {
                mouseCapture_->MouseMove(x - mouseCapture_->left_ + off.x, y - mouseCapture_->top_ + off.y);
                return 0;
            }
            TControl* hit = GraphicChildAt(x, y);
            if (hit != mouseOver_) {
                if (mouseOver_) mouseOver_->MouseLeave();
                mouseOver_ = hit;
                TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd_, 0};
                TrackMouseEvent(&tme);
            }
            if (hit && hit->WantsMouse()) hit->MouseMove(x - hit->left_ + off.x, y - hit->top_ + off.y);
            break;
        }
        case WM_MOUSELEAVE:
            if (mouseOver_ && !mouseCapture_) {
                mouseOver_->MouseLeave();
                mouseOver_ = nullptr;
            }
            break;
        case WM_LBUTTONUP:
            if (mouseCapture_) {
                TControl* c = mouseCapture_;
                mouseCapture_ = nullptr;
                ReleaseCapture();
                POINT off = ScrollOffset();
                c->MouseUp(GET_X_LPARAM(lp) - c->left_ + off.x, GET_Y_LPARAM(lp) - c->top_ + off.y);
                return 0;
            }
            break;
        case WM_CAPTURECHANGED:
            if (mouseCapture_ && reinterpret_cast<HWND>(lp) != hwnd_) {
                TControl* c = mouseCapture_;
                mouseCapture_ = nullptr;
                c->MouseLeave();
            }
            break;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT) {
                POINT p;
                GetCursorPos(&p);
                ScreenToClient(hwnd_, &p);
                TControl* hit = GraphicChildAt(p.x, p.y);
                HCURSOR cursor = hit && hit->Cursor ? hit->Cursor : Cursor;
                if (cursor) {
                    SetCursor(cursor);
                    return TRUE;
                }
            }
            break;
        case WM_CONTEXTMENU: {
            int sx = GET_X_LPARAM(lp), sy = GET_Y_LPARAM(lp);
            TControl* hit = nullptr;
            if (reinterpret_cast<HWND>(wp) == hwnd_ && !(sx == -1 && sy == -1)) {
                POINT p = {sx, sy};
                ScreenToClient(hwnd_, &p);
                RECT client;
                GetClientRect(hwnd_, &client);
                // The title bar, frame and scroll bars keep the system's own menus.
                if (!PtInRect(&client, p)) return DefaultProc(msg, wp, lp);
                hit = GraphicChildAt(p.x, p.y);
            }
            if (ShowContextMenu(sx, sy, hit)) return 0;
            if (!systemProc_ && parent_) {
                // Pass the request on to the control that contains this one.
                return SendMessageW(parent_->hwnd_, WM_CONTEXTMENU, wp, lp);
            }
            break;
        }
        case WM_COMMAND:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR: {
            if (lp) {
                LRESULT result = 0;
                TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp));
                if (child && child != this && child->Notified(msg, wp, lp, result)) return result;
            }
            break;
        }
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(lp);
            LRESULT result = 0;
            TWinControl* child = FromHandle(hdr->hwndFrom);
            if (child && child != this && child->Notified(msg, wp, lp, result)) return result;
            break;
        }
        default:
            break;
    }
    return DefaultProc(msg, wp, lp);
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return WndProc(msg, wp, lp);
    } catch (...) {
        Application().HandleException(std::current_exception());
        return 0;
    }
}

LRESULT CALLBACK TWinControl::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<TWinControl*>(cs->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            WindowObjects()[hwnd] = self;
        }
    }
    TWinControl* self = FromHandle(hwnd);
    if (!self || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WindowObjects().erase(hwnd);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TWinControl* self = FromHandle(hwnd);
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WNDPROC proc = self->systemProc_;
        WindowObjects().erase(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        self->systemProc_ = nullptr;
        self->hwnd_ = nullptr;
        return CallWindowProcW(proc, hwnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}

}  // namespace pelma::ui
