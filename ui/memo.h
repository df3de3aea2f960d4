// Text controls: the read-only multi-line text box and the track bar.
#pragma once

#include <functional>
#include <string>

#include "ui/control.h"
#include "ui/handles.h"

namespace pelma::ui {

class TMemo : public TWinControl {
public:
    explicit TMemo(TWinControl* parent);

    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void Clear() { SetText(L""); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Notified(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void HandleCreated() override;

private:
    UniqueGdi brush_;
};

// A horizontal slider that keeps its position inside Min..Max and runs
// OnChange at every change by the program and every scroll by the user.
class TTrackBar : public TWinControl {
public:
    explicit TTrackBar(TWinControl* parent);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    // A new Min is taken only when it is not above Max; a new Max only when it
    // is not below Min.
    void SetMin(int v);
    void SetMax(int v);
    void SetPosition(int v);
    void SetThumbLength(int v);
    void CreateHandle() override;

    std::function<void()> OnChange;

protected:
    bool Notified(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void HandleCreated() override;

private:
    void Changed();
    int min_ = 0, max_ = 10, position_ = 0, thumbLength_ = 20;
    UniqueGdi brush_;
};

}  // namespace pelma::ui
