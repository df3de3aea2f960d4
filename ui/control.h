// The control tree: TControl (drawn by its parent) and TWinControl (a real
// window). Windowed controls create their window at construction; graphic
// controls (labels, pictures, flat buttons) are painted by their parent in
// creation order, beneath the parent's windowed children.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/font.h"
#include "ui/handles.h"

namespace pelma::ui {

class TWinControl;
class TPopupMenu;

enum class TAlign { None, Top, Bottom, Client };

// A solid brush of one colour, made when first asked for and made again when
// asked for another colour.
class TCachedBrush {
public:
    HBRUSH Get(COLORREF color);

private:
    UniqueGdi brush_;
    COLORREF color_ = CLR_INVALID;
};

class TControl {
public:
    explicit TControl(TWinControl* parent);
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    std::wstring Name;

    TWinControl* Parent() const { return parent_; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return (SettleSize(), width_); }
    int Height() const { return (SettleSize(), height_); }
    void SetLeft(int v) { SettleSize(), SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SettleSize(), SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SettleSize(), SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SettleSize(), SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return (SettleSize(), RECT{left_, top_, left_ + width_, top_ + height_}); }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    const std::wstring& Caption() const { return caption_; }
    virtual void SetCaption(const std::wstring& caption);

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    void SetFontColor(COLORREF color);
    void SetFontSize(int points);

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    // A brush of the control's colour, kept until the colour changes.
    HBRUSH BackgroundBrush() { return background_.Get(color_); }

    TPopupMenu* PopupMenu = nullptr;
    HCURSOR Cursor = nullptr;  // nullptr: the arrow

    virtual bool IsWindowed() const { return false; }

    // Marks the control's area for painting; Repaint also paints at once.
    void Invalidate();
    void Repaint();

    // Graphic controls: paint at the given device origin (the parent's client
    // coordinates of the control's left-top corner).
    virtual void Paint(HDC, int /*x*/, int /*y*/) {}

    // Graphic controls that react to the mouse (client coordinates of the control).
    virtual bool WantsMouse() const { return false; }
    virtual void MouseDown(int, int) {}
    virtual void MouseMove(int, int) {}
    virtual void MouseUp(int, int) {}
    virtual void MouseLeave() {}

protected:
    virtual void BoundsChanged() {}
    // Puts the control where its bounds now say: graphic controls repaint the
    // area they take, windowed ones move their window.
    virtual void PlaceBounds() { Invalidate(); }
    virtual void VisibleChanged() {}
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    // Graphic controls whose size follows their content recompute it here.
    virtual void AdjustSize() {}
    // Such a control may put the measuring off while it is hidden (measuring
    // text realises its font, which a control never shown need not pay for):
    // it sets sizePending_, and MeasurePending is called before its size is
    // next asked for, set or shown.
    bool sizePending_ = false;
    virtual void MeasurePending() { sizePending_ = false; }
    void SettleSize() const {
        if (sizePending_) const_cast<TControl*>(this)->MeasurePending();
    }

    TWinControl* parent_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::None;
    bool visible_ = true;
    bool enabled_ = true;
    std::wstring caption_;
    TFont font_;
    COLORREF color_ = GetSysColor(COLOR_BTNFACE);
    TCachedBrush background_;

    friend class TWinControl;
};

class TWinControl : public TControl {
public:
    // `className` is a registered window class (ours or a system one). With
    // `deferWindow` the window is made when the control is first shown (or
    // CreateHandle is called), not now. A window that cannot be made raises
    // the system's reason, wherever it is made.
    TWinControl(TWinControl* parent, const wchar_t* className, DWORD style, DWORD exStyle = 0,
                bool deferWindow = false);
    ~TWinControl() override;

    HWND Handle() const { return hwnd_; }
    // Makes the window if it does not exist yet.
    virtual void CreateHandle();
    // Makes the windows of the visible children (and theirs) that wait to be made.
    void CreateVisibleChildren();
    bool IsWindowed() const override { return true; }

    void SetEnabled(bool enabled) override;
    void SetCaption(const std::wstring& caption) override;

    int ClientWidth() const;
    int ClientHeight() const;
    // The area in which children are laid out, in client coordinates.
    virtual RECT AlignRect() const;
    // Lays out the aligned children again.
    virtual void Realign();
    // Moves the window to the control's bounds (less the parent's scroll offset).
    void PlaceWindow();
    // The offset that scrolling applies to non-aligned children.
    virtual POINT ScrollOffset() const { return {0, 0}; }

    const std::vector<TControl*>& Controls() const { return controls_; }

    // Finds the control from a window handle (ours only).
    static TWinControl* FromHandle(HWND hwnd);

    // The innermost visible graphic child at a client point, or nullptr.
    TControl* GraphicChildAt(int x, int y) const;
    // Where a child's left-top corner lies in the client area: scrolling
    // moves the children that are not aligned.
    POINT ChildOrigin(const TControl& child) const;

protected:
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

    // The handlers that WndProc hands messages to. Each answers the message's
    // result, or nothing when the message goes on to the default procedure.
    using Handled = std::optional<LRESULT>;
    Handled OnEraseBackground();
    Handled OnPaint();
    // The left button and the mouse go to the graphic child under the pointer
    // (or to the one that holds the capture).
    Handled OnLeftButtonDown(POINT at);
    Handled OnMouseMove(POINT at);
    Handled OnLeftButtonUp(POINT at);
    void OnMouseLeave();
    void OnCaptureChanged(HWND newCapture);
    Handled OnSetCursor(HWND over, UINT hitTest);
    virtual Handled OnContextMenu(WPARAM wp, LPARAM lp);
    // Hands a notification to the child control that sent it.
    Handled ReflectToChild(HWND child, UINT msg, WPARAM wp, LPARAM lp);

    // Painting of our own window classes: background, then graphic children.
    virtual void PaintWindow(HDC dc, const RECT& clip);
    virtual void PaintBackground(HDC dc, const RECT& clip);
    void PaintGraphicChildren(HDC dc, const RECT& clip);

    // Reflected notifications from the parent (WM_COMMAND, WM_HSCROLL, ...).
    virtual bool Notified(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, LRESULT& /*result*/) { return false; }

    void PlaceBounds() override { PlaceWindow(); }
    void VisibleChanged() override;
    void FontChanged() override;
    void ColorChanged() override;

    // Shows the popup menu of this control or of the first parent that has one.
    bool ShowContextMenu(int screenX, int screenY, TControl* hit);

    // Runs once the window exists, before it is shown.
    virtual void HandleCreated() {}

    HWND hwnd_ = nullptr;
    std::wstring className_;
    DWORD style_ = 0, exStyle_ = 0;
    bool ownClass_ = false;
    WNDPROC systemProc_ = nullptr;
    std::vector<TControl*> controls_;
    TControl* mouseCapture_ = nullptr;
    TControl* mouseOver_ = nullptr;
    bool realigning_ = false;

public:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    friend class TControl;
    friend class TForm;
};

// The window class that our own controls use; form classes are registered by name.
const wchar_t* ControlClassName();
// Registers a window class of ours under `name`, unless it is registered
// already; raises the system's error when registering fails.
void RegisterControlClass(const wchar_t* name, UINT style = CS_DBLCLKS, HICON icon = nullptr,
                          HICON smallIcon = nullptr);
WNDPROC ControlWindowProc();

}  // namespace pelma::ui
