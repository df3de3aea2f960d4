// Buttons: the flat tool-bar button (graphic), the check box and the push
// button (real windows).
#pragma once

#include <functional>

#include "ui/actions.h"
#include "ui/control.h"
#include "ui/handles.h"

namespace pelma::ui {

class TSpeedButton : public TControl, public TActionClient {
public:
    explicit TSpeedButton(TWinControl* parent);
    ~TSpeedButton() override;

    // The program's bitmap resource `id`: `count` images side by side (normal,
    // disabled), the colour of its lower-left pixel drawn transparent. It is
    // loaded when the button is first painted.
    void SetGlyph(int id, int count);
    void SetAction(TAction* action);
    TAction* Action() const { return action_; }

    std::function<void()> OnClick;
    // Runs the action's handler, or OnClick; nothing when disabled.
    void Click();

    bool WantsMouse() const override { return true; }
    void MouseDown(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int x, int y) override;
    void MouseLeave() override;
    void Paint(HDC dc, int x, int y) override;
    void ActionChanged(TAction& action) override;

private:
    void LoadGlyph();

    int glyphId_ = 0;
    UniqueGdi glyph_;
    int glyphCount_ = 1;
    SIZE glyphSize_ = {0, 0};
    TAction* action_ = nullptr;
    bool hot_ = false;
    bool down_ = false;
    bool pressed_ = false;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TWinControl* parent);

    bool Checked() const;
    void SetChecked(bool checked);
    std::function<void()> OnClick;

protected:
    bool Notified(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void HandleCreated() override;

private:
    bool checked_ = false;
};

class TButton : public TWinControl {
public:
    TButton(TWinControl* parent, bool isDefault);
    std::function<void()> OnClick;

protected:
    bool Notified(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void HandleCreated() override;

private:
    bool isDefault_;
};

}  // namespace pelma::ui
