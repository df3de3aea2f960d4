// The picture view and its two sizing commands, Actual size and Reduce.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/actions.h"
#include "ui/buttons.h"
#include "ui/forms.h"
#include "ui/labels.h"
#include "ui/panels.h"
#include "ui/work_area.h"
#include "view/formats/picture_registry.h"
#include "view/size_label.h"

namespace pelma {

// What the picture view drives: the window it sizes, the picture, the tool
// bar whose height it allows for, the welcome labels it hides, the two sizing
// buttons and their actions, and the size label.
struct PictureControls {
    ui::TForm& window;
    ui::TImage& picture;
    ui::TCoolBar& toolBar;
    ui::TLabel& openLabel;
    ui::TLabel& dropLabel;
    ui::TSpeedButton& actualSizeButton;
    ui::TSpeedButton& reduceButton;
    ui::TAction& actualSize;
    ui::TAction& reduce;
    SizeLabel& sizeLabel;
};

class PictureView {
public:
    explicit PictureView(const PictureControls& controls) : c_(controls) {}

    // How a picture file becomes the picture shown (by default LoadPicture;
    // the window hands over pictures decoded ahead).
    using Loader = std::function<std::shared_ptr<ui::TGraphic>(const std::wstring& fileName, PictureKind kind,
                                                               COLORREF background)>;
    void SetLoader(Loader loader) { loader_ = std::move(loader); }

    // Loads the file as the picture registry says for its extension (given
    // without its dot, as written) and shows it: an icon enlarged on its
    // canvas, any other picture at actual size when it fits the work area,
    // else reduced.
    // `byStep`: the file was opened by a step through the folder.
    void Show(const std::wstring& fileName, const std::wstring& extension, const ui::TWorkArea& area,
              bool byStep = false);
    // The size at which a picture of that size would be drawn if it were
    // opened now (0 × 0: at its own size, pixel for pixel).
    SIZE DrawSize(int pictureWidth, int pictureHeight, const ui::TWorkArea& area, bool byStep) const;
    // An animated picture stops at the frame it shows (another file is opened).
    void StopAnimation();
    // The window at the work area's size, the picture at its actual size.
    void ActualSize();
    // The window and the picture at half the picture's size.
    void Reduce();

private:
    PictureControls c_;
    Loader loader_;
};

}  // namespace pelma
