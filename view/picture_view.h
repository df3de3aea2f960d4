// The picture view and its presentations: the two sizing commands, Actual
// size and Reduce, fit to the screen, zoom at a factor, and full screen on
// top of any of them.
#pragma once

#include <windows.h>

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

// What the picture view drives: the window it sizes, the scroll box and the
// picture in it, the tool bar whose height it allows for (and hides in full
// screen), the welcome labels it hides, the sizing buttons and the actions
// of its commands, and the size label.
struct PictureControls {
    ui::TForm& window;
    ui::TScrollBox& scrollBox;
    ui::TImage& picture;
    ui::TCoolBar& toolBar;
    ui::TLabel& openLabel;
    ui::TLabel& dropLabel;
    ui::TSpeedButton& actualSizeButton;
    ui::TSpeedButton& reduceButton;
    ui::TSpeedButton& fitButton;
    ui::TAction& actualSize;
    ui::TAction& reduce;
    ui::TAction& fit;
    ui::TAction& zoomIn;
    ui::TAction& zoomOut;
    ui::TAction& zoomToActualSize;
    ui::TAction& fullScreen;
    ui::TAction& leaveFullScreen;
    SizeLabel& sizeLabel;
};

// How the picture is shown. Actual size and Reduce are the two sizing
// commands; fit and zoom keep the picture's proportions.
enum class Presentation { Actual, Reduced, Fit, Zoom };

class PictureView {
public:
    explicit PictureView(const PictureControls& controls);
    PictureView(const PictureView&) = delete;
    PictureView& operator=(const PictureView&) = delete;

    // How a picture file becomes the picture shown (by default LoadPicture;
    // the window hands over pictures decoded ahead).
    using Loader = std::function<std::shared_ptr<ui::TGraphic>(const std::wstring& fileName, PictureKind kind,
                                                               COLORREF background)>;
    void SetLoader(Loader loader) { loader_ = std::move(loader); }

    // Loads the file as the picture registry says for its extension (given
    // without its dot, as written) and shows it: an icon enlarged on its
    // canvas; any other picture at actual size when it fits the work area,
    // else reduced; or, when `byStep` (the file is the next one of a folder)
    // and the user chose fit, zoom or full screen, the same way again.
    void Show(const std::wstring& fileName, const std::wstring& extension, const ui::TWorkArea& area,
              bool byStep = false);
    // Another kind of file is shown instead: full screen ends, the zoom keys
    // stop applying.
    void Leave();
    // An animated picture stops at the frame it shows (another file is opened).
    void StopAnimation();
    // The window at the work area's size, the picture at its actual size.
    void ActualSize();
    // The window and the picture at half the picture's size.
    void Reduce();
    // The whole picture, proportions kept, in the largest window the work
    // area holds (never larger than the picture).
    void Fit();
    // One step larger or smaller, around `at` (the scroll box's client
    // coordinates; the centre when none).
    void ZoomIn(const POINT* at = nullptr);
    void ZoomOut(const POINT* at = nullptr);
    // The picture at its actual size around the centre, the window kept.
    void ZoomToActualSize();
    // The zoom presentation at that factor, around `at` (the centre when none).
    void ZoomTo(double scale, const POINT* at = nullptr);
    // Full screen: the picture fitted to the whole screen on black, without
    // caption or tool bar; leaving it restores the window as it was.
    void ToggleFullScreen();
    void LeaveFullScreen();
    // The window's size changed: a fitted picture is fitted again, a zoomed
    // one centred again where it is smaller than the window.
    void Resize();

    Presentation CurrentPresentation() const { return presentation_; }
    bool InFullScreen() const { return fullScreen_; }
    // The factor the picture is drawn at (width drawn / width).
    double Scale() const;
    // The size at which a picture of that size would be drawn if it were
    // opened now (by a step through the folder when `byStep`).
    SIZE DrawSize(int pictureWidth, int pictureHeight, const ui::TWorkArea& area, bool byStep) const;

    // The zoom steps, from 1/16 to 16.
    static constexpr double kZoomSteps[] = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3,
                                            1.0 / 2,  2.0 / 3,  1,       3.0 / 2, 2,       3,
                                            4,        6,        8,       12,      16};

private:
    // Whether the user's choice holds for a picture opened now.
    bool ChoiceHolds(bool byStep) const;
    // The picture's bounds in the scroll box for the presentation and the
    // box's size now; the window is not resized.
    void Layout();
    // The buttons, and the actions' enabled states, that the presentation offers.
    void OfferCommands();
    // The keys' actions, which apply while a picture is shown.
    void EnableKeys();
    // The window, tool bar and box as full screen found them, and the
    // presentation then (the picture is not laid out again).
    void RestoreWindow();
    bool LargerThanWorkArea() const;
    // The client size of the picture area the work area allows, with the
    // window's frame, the tool bar and the box's edge.
    SIZE FitArea(const ui::TWorkArea& area) const;
    SIZE ScreenSize() const;
    void EnterFullScreen();

    PictureControls c_;
    Loader loader_;
    Presentation presentation_ = Presentation::Actual;
    double zoom_ = 1;     // the factor, in the zoom presentation
    bool shown_ = false;  // the picture view is the one shown
    bool fullScreen_ = false;
    // The window as full screen found it.
    struct Saved {
        RECT bounds{};
        LONG_PTR style = 0;
        COLORREF boxColour = 0;
        Presentation presentation = Presentation::Actual;
        double zoom = 1;
        POINT scroll{};
    } saved_;
};

}  // namespace pelma
