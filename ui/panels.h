// Containers: the bevelled panel, the tool bar and the scroll box.
#pragma once

#include <functional>

#include "ui/control.h"

namespace pelma::ui {

enum class TBevel { None, Lowered, Raised };

class TPanel : public TWinControl {
public:
    explicit TPanel(TWinControl* parent);

    TBevel BevelInner = TBevel::None;
    TBevel BevelOuter = TBevel::Raised;
    // Pressing the left button starts a drag that no control accepts.
    bool DragAutomatic = false;

protected:
    void PaintWindow(HDC dc, const RECT& clip) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    RECT AlignRect() const override;
    int BevelSize() const;

private:
    bool dragging_ = false;
};

// The tool bar: a flat strip with an etched edge on which the buttons lie.
class TCoolBar : public TWinControl {
public:
    explicit TCoolBar(TWinControl* parent);

protected:
    void PaintWindow(HDC dc, const RECT& clip) override;
};

class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TWinControl* parent);

    POINT ScrollOffset() const override { return pos_; }
    void ScrollTo(int x, int y);
    // Scrolls as near to (x, y) as the scrolled extent allows.
    void ScrollWithin(int x, int y);
    void Realign() override;
    // The client area as it is without scroll bars.
    SIZE FullClientSize() const;
    // The sunken edge round the client area (on at creation).
    void SetBorder(bool border);
    bool Border() const { return (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0; }

    int LineSize = 16;
    // Dragging with the left button, where no child takes the mouse, moves
    // what is scrolled with the pointer.
    bool DragScroll = false;
    // A double click where no child takes the mouse (client coordinates).
    std::function<void(POINT)> OnDoubleClick;
    // The wheel turned with Ctrl held: the turn (WHEEL_DELTA a notch, away
    // from the user positive) and the pointer in client coordinates.
    std::function<void(int, POINT)> OnZoomWheel;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void UpdateRange();
    void Scroll(int bar, int code);
    bool CanDrag() const;
    POINT pos_ = {0, 0};
    SIZE extent_ = {0, 0};
    bool updating_ = false;
    bool dragging_ = false;
    POINT dragFrom_ = {0, 0};    // the pointer where the drag began
    POINT dragOffset_ = {0, 0};  // the scroll offset then
};

}  // namespace pelma::ui
