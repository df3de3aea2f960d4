#include "view/rich_text_view.h"

#include "view/layout.h"

namespace pelma {

void RichTextView::Show(const std::wstring& fileName) {
    window_.SetClientSize(layout::kTextClientWidth, layout::kTextClientHeight);
    box_.Clear();
    box_.LoadFromFile(fileName);
    box_.Show();
    sizeLabel_.Show(fileName);
}

}  // namespace pelma
