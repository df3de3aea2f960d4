#include "ui/control.h"

#include <windowsx.h>

#include <algorithm>
#include <unordered_map>

#include "ui/application.h"
#include "ui/menus.h"
#include "ui/system_error.h"

namespace pelma::ui {

namespace {

const wchar_t kControlClass[] = L"PelmaControl";

// The control object of each of this thread's windows. It is asked on every
// message, so it is the framework's own table, read without a call into the
// window system (as a window property would need); a window's messages
// always arrive on the thread that made it.
std::unordered_map<HWND, TWinControl*>& WindowObjects() {
    thread_local std::unordered_map<HWND, TWinControl*> objects;
    return objects;
}

bool Intersects(const RECT& a, const RECT& b) {
    RECT r;
    return IntersectRect(&r, &a, &b) != FALSE;
}

POINT PointOf(LPARAM lp) { return {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; }

}  // namespace

HBRUSH TCachedBrush::Get(COLORREF color) {
    if (!brush_ || color_ != color) {
        brush_.reset(CreateSolidBrush(color));
        color_ = color;
    }
    return static_cast<HBRUSH>(brush_.get());
}

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

void TControl::SetColor(COLORREF color) {
    if (color_ == color) return;
    color_ = color;
    ColorChanged();
}

void TControl::Invalidate() {
    // A window that is not on screen is painted whole when it is shown:
    // there is nothing to mark.
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
    if (GetClassInfoExW(inst, name, &wc)) return;  // each class is registered once, by its first window
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpfnWndProc = ControlWindowProc();
    wc.hInstance = inst;
    static const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);  // a shared cursor: ask once
    wc.hCursor = arrow;
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc)) {
        const DWORD code = GetLastError();
        if (code != ERROR_CLASS_ALREADY_EXISTS)
            RaiseSystemError(code, L"ウィンドウ クラス " + std::wstring(name) + L" を登録できません");
    }
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
    if (!hwnd_) RaiseSystemError(GetLastError(), L"ウィンドウ " + className_ + L" を作成できません");
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

void TWinControl::PlaceWindow() {
    if (!hwnd_) return;
    if (!parent_) {
        SetWindowPos(hwnd_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const POINT at = parent_->ChildOrigin(*this);
    SetWindowPos(hwnd_, nullptr, at.x, at.y, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
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

// The children stand on the new colour too (system controls ask their parent
// for its brush when they paint).
void TWinControl::ColorChanged() {
    if (hwnd_ && IsWindowVisible(hwnd_))
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

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

POINT TWinControl::ChildOrigin(const TControl& child) const {
    const POINT off = child.align_ == TAlign::None ? ScrollOffset() : POINT{0, 0};
    return {child.left_ - off.x, child.top_ - off.y};
}

TControl* TWinControl::GraphicChildAt(int x, int y) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->IsWindowed() || !c->visible_) continue;
        const POINT at = ChildOrigin(*c);
        if (x >= at.x && x < at.x + c->width_ && y >= at.y && y < at.y + c->height_) return c;
    }
    return nullptr;
}

void TWinControl::PaintBackground(HDC dc, const RECT& clip) { FillRect(dc, &clip, BackgroundBrush()); }

void TWinControl::PaintGraphicChildren(HDC dc, const RECT& clip) {
    for (TControl* c : controls_) {
        if (c->IsWindowed() || !c->visible_) continue;
        const POINT at = ChildOrigin(*c);
        RECT r = {at.x, at.y, at.x + c->width_, at.y + c->height_};
        if (!Intersects(r, clip)) continue;
        int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        c->Paint(dc, at.x, at.y);
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
    Handled result;
    switch (msg) {
        case WM_ERASEBKGND:
            result = OnEraseBackground();
            break;
        case WM_PAINT:
            result = OnPaint();
            break;
        case WM_SIZE:
            Realign();
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            result = OnLeftButtonDown(PointOf(lp));
            break;
        case WM_MOUSEMOVE:
            result = OnMouseMove(PointOf(lp));
            break;
        case WM_LBUTTONUP:
            result = OnLeftButtonUp(PointOf(lp));
            break;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            break;
        case WM_CAPTURECHANGED:
            OnCaptureChanged(reinterpret_cast<HWND>(lp));
            break;
        case WM_SETCURSOR:
            result = OnSetCursor(reinterpret_cast<HWND>(wp), LOWORD(lp));
            break;
        case WM_CONTEXTMENU:
            result = OnContextMenu(wp, lp);
            break;
        case WM_COMMAND:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR:
            result = ReflectToChild(reinterpret_cast<HWND>(lp), msg, wp, lp);
            break;
        case WM_NOTIFY:
            result = ReflectToChild(reinterpret_cast<NMHDR*>(lp)->hwndFrom, msg, wp, lp);
            break;
        default:
            break;
    }
    return result ? *result : DefaultProc(msg, wp, lp);
}

// Our own classes paint the whole background in OnPaint, off screen.
TWinControl::Handled TWinControl::OnEraseBackground() { return ownClass_ ? Handled(1) : std::nullopt; }

TWinControl::Handled TWinControl::OnPaint() {
    if (!ownClass_) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    // Only what the children leave showing: a window covered by its children
    // (a form whose scroll box fills it) paints nothing of its own.
    RECT clip = ps.rcPaint, visible;
    if (GetClipBox(dc, &visible) == NULLREGION || !IntersectRect(&clip, &clip, &visible)) clip = {};
    const int w = clip.right - clip.left, h = clip.bottom - clip.top;
    if (w > 0 && h > 0) {
        // Paint off screen so that layered children never flicker.
        UniqueDc mem(CreateCompatibleDC(dc));
        UniqueGdi bmp(CreateCompatibleBitmap(dc, w, h));
        SelectObjectScope sel(mem.get(), bmp.get());
        SetViewportOrgEx(mem.get(), -clip.left, -clip.top, nullptr);
        PaintWindow(mem.get(), clip);
        SetViewportOrgEx(mem.get(), 0, 0, nullptr);
        BitBlt(dc, clip.left, clip.top, w, h, mem.get(), 0, 0, SRCCOPY);
    }
    EndPaint(hwnd_, &ps);
    return 0;
}

TWinControl::Handled TWinControl::OnLeftButtonDown(POINT at) {
    TControl* hit = GraphicChildAt(at.x, at.y);
    if (!hit || !hit->WantsMouse() || !hit->Enabled()) return std::nullopt;
    SetCapture(hwnd_);
    mouseCapture_ = hit;
    const POINT origin = ChildOrigin(*hit);
    hit->MouseDown(at.x - origin.x, at.y - origin.y);
    return 0;
}

TWinControl::Handled TWinControl::OnMouseMove(POINT at) {
    if (mouseCapture_) {
        const POINT origin = ChildOrigin(*mouseCapture_);
        mouseCapture_->MouseMove(at.x - origin.x, at.y - origin.y);
        return 0;
    }
    TControl* hit = GraphicChildAt(at.x, at.y);
    if (hit != mouseOver_) {
        if (mouseOver_) mouseOver_->MouseLeave();
        mouseOver_ = hit;
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&tme);
    }
    if (hit && hit->WantsMouse()) {
        const POINT origin = ChildOrigin(*hit);
        hit->MouseMove(at.x - origin.x, at.y - origin.y);
    }
    return std::nullopt;
}

TWinControl::Handled TWinControl::OnLeftButtonUp(POINT at) {
    if (!mouseCapture_) return std::nullopt;
    TControl* c = std::exchange(mouseCapture_, nullptr);
    ReleaseCapture();
    const POINT origin = ChildOrigin(*c);
    c->MouseUp(at.x - origin.x, at.y - origin.y);
    return 0;
}

void TWinControl::OnMouseLeave() {
    if (mouseOver_ && !mouseCapture_) std::exchange(mouseOver_, nullptr)->MouseLeave();
}

void TWinControl::OnCaptureChanged(HWND newCapture) {
    if (mouseCapture_ && newCapture != hwnd_) std::exchange(mouseCapture_, nullptr)->MouseLeave();
}

// Over the client area, the cursor of the graphic child under the pointer, or the control's own.
TWinControl::Handled TWinControl::OnSetCursor(HWND over, UINT hitTest) {
    if (over != hwnd_ || hitTest != HTCLIENT) return std::nullopt;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd_, &p);
    TControl* hit = GraphicChildAt(p.x, p.y);
    HCURSOR cursor = hit && hit->Cursor ? hit->Cursor : Cursor;
    if (!cursor) return std::nullopt;
    SetCursor(cursor);
    return TRUE;
}

// The menu of the graphic child under the pointer, or the control's own, or
// (with neither) the request goes on to the control that contains this one.
// A request from the keyboard comes at (-1, -1).
TWinControl::Handled TWinControl::OnContextMenu(WPARAM wp, LPARAM lp) {
    const POINT at = PointOf(lp);
    TControl* hit = nullptr;
    if (reinterpret_cast<HWND>(wp) == hwnd_ && !(at.x == -1 && at.y == -1)) {
        POINT p = at;
        ScreenToClient(hwnd_, &p);
        RECT client;
        GetClientRect(hwnd_, &client);
        // The title bar, frame and scroll bars keep the system's own menus.
        if (!PtInRect(&client, p)) return std::nullopt;
        hit = GraphicChildAt(p.x, p.y);
    }
    if (ShowContextMenu(at.x, at.y, hit)) return 0;
    if (!systemProc_ && parent_) return SendMessageW(parent_->hwnd_, WM_CONTEXTMENU, wp, lp);
    return std::nullopt;
}

TWinControl::Handled TWinControl::ReflectToChild(HWND child, UINT msg, WPARAM wp, LPARAM lp) {
    TWinControl* control = FromHandle(child);
    LRESULT result = 0;
    if (control && control != this && control->Notified(msg, wp, lp, result)) return result;
    return std::nullopt;
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
