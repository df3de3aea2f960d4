// The rich-text view: an RTF file in the read-only rich-text box.
#pragma once

#include <string>

#include "ui/forms.h"
#include "view/rich_edit.h"
#include "view/size_label.h"

namespace pelma {

class RichTextView {
public:
    // `window` is sized for the box, `box` shows the text, `sizeLabel` is
    // written once it is shown.
    RichTextView(ui::TForm& window, TRichEdit& box, SizeLabel& sizeLabel)
        : window_(window), box_(box), sizeLabel_(sizeLabel) {}

    void Show(const std::wstring& fileName);

private:
    ui::TForm& window_;
    TRichEdit& box_;
    SizeLabel& sizeLabel_;
};

}  // namespace pelma
