// Containers: the bevelled panel, the tool bar and the scroll box.
#pragma once

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
    void Realign() override;

    int LineSize = 16;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void UpdateRange();
    void Scroll(int bar, int code);
    POINT pos_ = {0, 0};
    SIZE extent_ = {0, 0};
    bool updating_ = false;
};

}  // namespace pelma::ui
