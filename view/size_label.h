// The tool-bar label with the open file's size or a read-only mark.
#pragma once

#include <string>

#include "ui/labels.h"
#include "view/size_text.h"

namespace pelma {

class SizeLabel {
public:
    // `label` is the tool-bar label this writes; nothing else is touched.
    explicit SizeLabel(ui::TLabel& label) : label_(label) { ReadNumberSeparators(); }

    // The thousands and decimal separators of the user's regional settings.
    void ReadNumberSeparators();
    const NumberSeparators& Separators() const { return separators_; }

    // The file's size in blue, or the read-only mark in red, and the label
    // shown. A file whose attributes cannot be read leaves the label empty and
    // hidden: what it showed belonged to the previous file.
    void Show(const std::wstring& fileName);
    // Makes the label visible with whatever it holds (the media view shows it
    // before its size is written).
    void Reveal() { label_.Show(); }

private:
    ui::TLabel& label_;
    NumberSeparators separators_;
};

}  // namespace pelma
