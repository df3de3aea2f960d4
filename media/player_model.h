// The whole media player without its window: the device side and the button
// bar, and what ties them together: a click runs OnClick, the button's
// operation and OnPostClick, then the automatic enabling rules; a device
// notification updates the buttons, NotifyResult and raises OnNotify.
//
// The windowed control owns one of these and forwards to it:
//   WM_SIZE                    -> Bar().Resize(width, height)
//   WM_LBUTTONDOWN / DBLCLK    -> MouseDown(x, y)       WM_MOUSEMOVE -> MouseMove(x, y)
//   WM_LBUTTONUP               -> MouseUp(x, y)         WM_KEYDOWN   -> KeyDown(virtual key)
//   WM_SETFOCUS / KILLFOCUS    -> Bar().FocusChanged()  WM_ENABLE    -> Bar().SetControlEnabled()
//   MM_MCINOTIFY -> HandleNotify(wParam)
// It gives the device hooks for its own window handle (Device().SetNotifyWindow)
// and the display's (Device().SetDisplay), paints Bar().Frame() and Bar().Faces(),
// and implements ButtonBarHost. Every call here may raise a pelma::Exception,
// which the window procedure catches at its boundary.
#pragma once

#include <cstdint>
#include <functional>

#include "media/button_bar.h"
#include "media/media_device.h"

namespace pelma {

class MediaPlayerModel {
public:
    MediaPlayerModel(MciPort& port, ButtonBarHost& host);
    MediaPlayerModel(const MediaPlayerModel&) = delete;
    MediaPlayerModel& operator=(const MediaPlayerModel&) = delete;

    MediaDevice& Device() { return device_; }
    const MediaDevice& Device() const { return device_; }
    ButtonBar& Bar() { return bar_; }
    const ButtonBar& Bar() const { return bar_; }

    // The button settings that need the device's AutoButtons.
    bool AutoEnable() const { return bar_.AutoEnable(); }
    void SetAutoEnable(bool on) { bar_.SetAutoEnable(on, device_.AutoButtons()); }

    // Events. OnClick gets DoDefault as true; setting it false skips the
    // operation and OnPostClick.
    std::function<void(TMPBtnType button, bool& doDefault)> OnClick;
    std::function<void(TMPBtnType button)> OnPostClick;
    std::function<void()> OnNotify;

    // Input from the control's window.
    void MouseDown(int x, int y) { bar_.MouseDown(x, y); }
    void MouseMove(int x, int y) { bar_.MouseMove(x, y); }
    void MouseUp(int x, int y);
    void KeyDown(std::uint32_t key);
    // The device's notification; `code` is the message's first parameter.
    void HandleNotify(std::uint32_t code);

    // OnClick, then the button's operation and OnPostClick.
    void Click(TMPBtnType button);
    // The operation of a button: Play, Stop, and those of the other seven.
    void RunOperation(TMPBtnType button);

private:
    void AfterClick(TMPBtnType button);

    ButtonBar bar_;
    MediaDevice device_;  // declared last: closed before the bar goes
};

}  // namespace pelma
