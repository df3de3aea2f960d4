// The movie display modes: reduce, enlarge, full screen and the wide picture.
#pragma once

#include "media/media_player.h"
#include "ui/actions.h"
#include "ui/buttons.h"
#include "ui/forms.h"
#include "ui/panels.h"

namespace pelma {

// What the display modes drive: the window, the player whose device shows
// the movie, the tool bar and media bar they hide in full screen, the wide
// check box, the three mode buttons and their actions.
struct DisplayModeControls {
    ui::TForm& window;
    TMediaPlayer& player;
    ui::TCoolBar& toolBar;
    ui::TPanel& mediaBar;
    ui::TCheckBox& wideMode;
    ui::TSpeedButton& enlargeButton;
    ui::TSpeedButton& reduceButton;
    ui::TSpeedButton& fullScreenButton;
    ui::TAction& reduce;
    ui::TAction& enlarge;
    ui::TAction& fullScreen;
};

class DisplayModes {
public:
    explicit DisplayModes(const DisplayModeControls& controls) : c_(controls) {}
    // Shows the taskbar again if full screen hid it.
    ~DisplayModes() { RestoreTaskbar(); }
    DisplayModes(const DisplayModes&) = delete;
    DisplayModes& operator=(const DisplayModes&) = delete;

    // The movie fills the space between the bars again (the window was resized).
    void Resize();
    // The window at the work area's size.
    void Enlarge();
    // No caption, no bars, maximised, the taskbar hidden.
    void FullScreen();
    // The window at its small movie size, with caption, bars and taskbar.
    void Reduce();
    // The wide check box changed: reduce or enlarge again.
    void WideChanged();
    // Shows the taskbar again when full screen hid it.
    void RestoreTaskbar();

private:
    void SetMovieRect(int x, int y, int width, int height);
    // The movie over width × height: all of it, or the wide strip centred in it.
    void FitMovie(int width, int height);
    // The wide box and both bars shown, with `modeButton` and the full-screen
    // button beside each other and the other mode's button hidden.
    void ShowBars(ui::TSpeedButton& modeButton, ui::TSpeedButton& otherModeButton);
    void EnableCommands(bool fullScreen, bool reduce, bool enlarge);

    DisplayModeControls c_;
    bool hidTaskbar_ = false;
};

}  // namespace pelma
