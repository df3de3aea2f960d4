// Playing movies and sounds: the media branch and the position tracking.
#pragma once

#include <string>

#include "media/display_modes.h"
#include "media/media_player.h"
#include "ui/forms.h"
#include "ui/labels.h"
#include "ui/panels.h"
#include "ui/timer.h"
#include "ui/track_bar.h"
#include "view/size_label.h"

namespace pelma {

// What the media view drives: the window, the player, the sound picture and
// its two titles, the movie's display panel, the position slider, the media
// bar, the timer that follows the position, the display modes (a movie starts
// reduced) and the size label.
struct MediaControls {
    ui::TForm& window;
    TMediaPlayer& player;
    ui::TImage& soundPicture;
    ui::TLabel& soundTitle;
    ui::TLabel& soundCaption;
    ui::TPanel& display;
    ui::TTrackBar& slider;
    ui::TPanel& mediaBar;
    ui::TTimer& timer;
    DisplayModes& modes;
    SizeLabel& sizeLabel;
};

class MediaView {
public:
    explicit MediaView(const MediaControls& controls) : c_(controls) {}

    // Prepares the sound or movie view, opens the file in the player, starts
    // playing it and following its position.
    void Show(const std::wstring& fileName, bool sound);
    // A tick of the timer: the slider follows the device; near the end the
    // buttons enable themselves, at the end the device stops and rewinds.
    void Tick();
    // The slider moved: a move by the user beyond 5 units from the device's
    // position seeks there. The program's own writes (the tick's, the range
    // set at opening) never seek: a seek stops a playing device.
    void SliderChanged();
    // A media button was clicked: the buttons enable themselves again.
    void PlayerClicked();

private:
    // Writes to the slider that follow the device, not the user.
    class FollowingDevice;

    MediaControls c_;
    bool following_ = false;
};

}  // namespace pelma
