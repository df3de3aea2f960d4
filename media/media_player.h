// The media player control: a self-painted row of media buttons that drives
// one device of the media control interface.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "media/player_model.h"
#include "media/winmm_port.h"
#include "ui/control.h"
#include "ui/handles.h"

namespace pelma {

// Where a media player created without a port of its own gets one: the real
// media control interface, unless a factory has been installed (the tests
// install one that records the commands). An empty factory restores the default.
using MciPortFactory = std::function<std::unique_ptr<MciPort>()>;
void SetMciPortFactory(MciPortFactory factory);
std::unique_ptr<MciPort> MakeMciPort();

class TMediaPlayer : public ui::TWinControl, private ButtonBarHost {
public:
    // `port` is the command seam; MakeMciPort() when null.
    explicit TMediaPlayer(ui::TWinControl* parent, std::unique_ptr<MciPort> port = nullptr);
    ~TMediaPlayer() override;

    MediaPlayerModel& Model() { return *model_; }
    MediaDevice& Device() { return model_->Device(); }

    // The window that shows a video device's picture; none once binding a
    // device to it has failed (Open drops it).
    void SetDisplay(ui::TWinControl* display);
    ui::TWinControl* Display() const { return model_->Device().HasDisplay() ? display_ : nullptr; }

    void SetBounds(int left, int top, int width, int height) override;
    void SetEnabled(bool enabled) override;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PaintWindow(HDC dc, const RECT& clip) override;

private:
    void RepaintBar() override { Invalidate(); }
    void RepaintButton(TMPBtnType) override { Invalidate(); }
    void SetControlSize(int width, int height) override;
    void SetMouseCapture(bool capture) override;
    // The glyph's bitmap, loaded when first needed.
    HGDIOBJ Glyph(GlyphKind kind, TMPBtnType button);

    std::unique_ptr<MciPort> port_;
    std::unique_ptr<MediaPlayerModel> model_;
    ui::TWinControl* display_ = nullptr;
    std::array<std::array<ui::UniqueGdi, 9>, 3>
        glyphs_;  // by GlyphKind, then button; loaded when first drawn
    bool sizing_ = false;
};

}  // namespace pelma
