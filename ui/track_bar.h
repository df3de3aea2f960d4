// The track bar: a horizontal slider over a range of positions.
#pragma once

#include <functional>

#include "ui/control.h"

namespace pelma::ui {

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
};

}  // namespace pelma::ui
