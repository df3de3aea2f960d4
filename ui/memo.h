// The read-only multi-line text box.
#pragma once

#include <string>

#include "ui/control.h"

namespace pelma::ui {

class TMemo : public TWinControl {
public:
    explicit TMemo(TWinControl* parent);

    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void Clear() { SetText(L""); }

protected:
    Handled OnContextMenu(WPARAM wp, LPARAM lp) override;
    bool Notified(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void HandleCreated() override;
};

}  // namespace pelma::ui
