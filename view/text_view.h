// The text and hex view: the first 4096 bytes of a file as text, or as a hex dump.
#pragma once

#include <string>

#include "ui/forms.h"
#include "ui/memo.h"
#include "view/size_label.h"

namespace pelma {

class TextView {
public:
    // `window` is sized for the memo, `memo` shows the text, `sizeLabel` is
    // written once the text is shown.
    TextView(ui::TForm& window, ui::TMemo& memo, SizeLabel& sizeLabel)
        : window_(window), memo_(memo), sizeLabel_(sizeLabel) {}

    void Show(const std::wstring& fileName);

private:
    ui::TForm& window_;
    ui::TMemo& memo_;
    SizeLabel& sizeLabel_;
};

}  // namespace pelma
