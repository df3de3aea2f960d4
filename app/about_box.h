// The About box: product, version, maker and a short description.
#pragma once

#include <memory>

#include "ui/buttons.h"
#include "ui/forms.h"
#include "ui/labels.h"
#include "ui/panels.h"

namespace pelma {

class TAboutBox : public ui::TForm {
public:
    TAboutBox();
    ~TAboutBox() override;

    std::unique_ptr<ui::TPanel> Panel1;
    std::unique_ptr<ui::TImage> ProgramIcon;
    std::unique_ptr<ui::TLabel> ProductName;
    std::unique_ptr<ui::TLabel> Version;
    std::unique_ptr<ui::TLabel> Label1;
    std::unique_ptr<ui::TLabel> Copyright;
    std::unique_ptr<ui::TLabel> Comments;
    std::unique_ptr<ui::TButton> OKButton;

    // Shows the box centred on the screen when it is hidden; nothing when visible.
    void ShowBox();
    void OKButtonClick() { Close(); }
    bool DialogKeys() const override { return true; }
};

extern TAboutBox* AboutBox;

}  // namespace pelma
