#include "ui/buttons.h"

namespace pelma::ui {

// ---------------------------------------------------------------------------
// TSpeedButton

TSpeedButton::TSpeedButton(TWinControl* parent) : TControl(parent) {}

TSpeedButton::~TSpeedButton() {
    if (action_) action_->RemoveClient(this);
}

void TSpeedButton::SetGlyph(int id, int count) {
    glyphId_ = id;
    glyphCount_ = count < 1 ? 1 : count;
    glyph_.reset();
    glyphSize_ = {0, 0};
    Invalidate();
}

void TSpeedButton::LoadGlyph() {
    if (glyph_ || glyphId_ == 0) return;
    glyph_.reset(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(glyphId_), IMAGE_BITMAP, 0, 0,
                            LR_CREATEDIBSECTION));
    BITMAP bm{};
    if (glyph_ && GetObjectW(glyph_.get(), sizeof bm, &bm))
        glyphSize_ = {bm.bmWidth / glyphCount_, bm.bmHeight};
    glyphId_ = 0;  // tried once
}

void TSpeedButton::SetAction(TAction* action) {
    if (action_) action_->RemoveClient(this);
    action_ = action;
    if (action_) {
        action_->AddClient(this);
        ActionChanged(*action_);
    }
}

void TSpeedButton::ActionChanged(TAction& action) {
    caption_ = action.Caption();
    SetEnabled(action.Enabled());
    Invalidate();
}

void TSpeedButton::Click() {
    if (!enabled_) return;
    if (action_)
        action_->Execute();
    else if (OnClick)
        OnClick();
}

void TSpeedButton::MouseDown(int, int) {
    down_ = pressed_ = true;
    Invalidate();
}

void TSpeedButton::MouseMove(int x, int y) {
    bool inside = x >= 0 && y >= 0 && x < width_ && y < height_;
    if (down_) {
        if (inside != pressed_) {
            pressed_ = inside;
            Invalidate();
        }
    } else if (!hot_) {
        hot_ = true;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(int x, int y) {
    bool inside = x >= 0 && y >= 0 && x < width_ && y < height_;
    bool click = down_ && inside;
    down_ = pressed_ = false;
    hot_ = inside;
    Invalidate();
    if (click) Click();
}

void TSpeedButton::MouseLeave() {
    hot_ = false;
    if (!down_) pressed_ = false;
    Invalidate();
}

void TSpeedButton::Paint(HDC dc, int x, int y) {
    RECT r = {x, y, x + width_, y + height_};
    if (enabled_ && (pressed_ || (hot_ && !down_)))
        DrawEdge(dc, &r, pressed_ ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    int shift = pressed_ ? 1 : 0;

    LoadGlyph();
    SelectObjectScope sel(dc, SharedFont(font_));
    SIZE text{};
    GetTextExtentPoint32W(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text);
    int gap = glyph_ && !caption_.empty() ? 4 : 0;
    int total = glyphSize_.cx + gap + text.cx;
    int gx = x + (width_ - total) / 2 + shift;
    if (glyph_) {
        int gy = y + (height_ - glyphSize_.cy) / 2 + shift;
        int index = !enabled_ && glyphCount_ > 1 ? 1 : 0;
        UniqueDc mem(CreateCompatibleDC(dc));
        SelectObjectScope selBmp(mem.get(), glyph_.get());
        COLORREF transparent = GetPixel(mem.get(), 0, glyphSize_.cy - 1);
        GdiTransparentBlt(dc, gx, gy, glyphSize_.cx, glyphSize_.cy, mem.get(), index * glyphSize_.cx, 0,
                          glyphSize_.cx, glyphSize_.cy, transparent);
    }
    SetBkMode(dc, TRANSPARENT);
    RECT tr = {gx + glyphSize_.cx + gap, y + shift, x + width_, y + height_ + shift};
    if (!enabled_) {
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        OffsetRect(&tr, 1, 1);
        DrawTextW(dc, caption_.c_str(), -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        OffsetRect(&tr, -1, -1);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, font_.Color);
    }
    DrawTextW(dc, caption_.c_str(), -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// ---------------------------------------------------------------------------
// TCheckBox

// Its window is made when it is first shown.
TCheckBox::TCheckBox(TWinControl* parent) : TWinControl(parent, L"BUTTON", BS_AUTOCHECKBOX, 0, true) {}

bool TCheckBox::Checked() const { return checked_; }

void TCheckBox::SetChecked(bool checked) {
    if (checked_ == checked) return;
    checked_ = checked;
    if (hwnd_) SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnClick) OnClick();
}

void TCheckBox::HandleCreated() {
    SendMessageW(hwnd_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Notified(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        checked_ = SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (OnClick) OnClick();
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
        // The box stands on its parent's colour.
        TControl& back = parent_ ? static_cast<TControl&>(*parent_) : *this;
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, back.Color());
        SetTextColor(dc, font_.Color);
        result = reinterpret_cast<LRESULT>(back.BackgroundBrush());
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// TButton

// The window is made when its form is first shown.
TButton::TButton(TWinControl* parent, bool isDefault)
    : TWinControl(parent, L"BUTTON", WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, true),
      isDefault_(isDefault) {}

void TButton::HandleCreated() {
    if (isDefault_) SetWindowLongPtrW(hwnd_, GWLP_ID, IDOK);
}

bool TButton::Notified(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        if (OnClick) OnClick();
        result = 0;
        return true;
    }
    return false;
}

}  // namespace pelma::ui
