#include "view/rich_text_view.h"

namespace pelma {

void RichTextView::Show(const std::wstring& fileName) {
    window_.SetClientSize(550, 400);
    box_.Clear();
    box_.LoadFromFile(fileName);
    box_.Show();
    sizeLabel_.Show(fileName);
}

}  // namespace pelma
