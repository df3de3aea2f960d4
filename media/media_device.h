// The device side of the media player: its device settings, the one media
// device it keeps open, every command it sends through the `MciPort`, and the
// `AutoButtons` that its automatic rules keep for the button bar.
//
// The windowed control hands in two plain window handles: the notify window
// (the control's own, named in every command that can notify) and, through a
// hook, the display window that a video device draws into. Operations that need
// an open device raise `EMCIDeviceError` "MCI デバイスがありません" and send
// nothing; every other failing command only leaves its code in `LastError`.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "media/mci_port.h"
#include "media/media_types.h"

namespace pelma {

extern const wchar_t* const kNoMciDeviceText;      // "MCI デバイスがありません"
extern const wchar_t* const kUnknownMciErrorText;  // "原因不明のエラー"

class MediaDevice {
public:
    explicit MediaDevice(MciPort& port);
    ~MediaDevice();  // closes an open device, ignoring the result
    MediaDevice(const MediaDevice&) = delete;
    MediaDevice& operator=(const MediaDevice&) = delete;

    // Settings that act at the next Open.
    TMPDeviceTypes DeviceType = dtAutoSelect;
    std::wstring FileName;
    bool Shareable = false;
    bool AutoRewind = true;
    // The device type that opens a file whose extension the system's list of MCI
    // extensions does not name, with dtAutoSelect; empty: such a file fails to open.
    std::wstring UnlistedExtensionType;

    // The window that receives the device's notifications: a hook asked for
    // its handle whenever a command is sent (it may make the window then).
    void SetNotifyWindow(std::function<std::uintptr_t()> window) { notifyWindow_ = std::move(window); }
    std::uintptr_t NotifyWindow() const { return notifyWindow_ ? notifyWindow_() : 0; }

    // The display window: a hook that returns its handle, creating the window
    // when it does not exist yet; an empty hook means no display. Open drops the
    // display (HasDisplay() turns false) when binding it to a video device fails.
    void SetDisplay(std::function<std::uintptr_t()> windowHandle) { display_ = std::move(windowHandle); }
    bool HasDisplay() const { return static_cast<bool>(display_); }

    // Called with the new `AutoButtons` whenever Open or Close replace them, so
    // the bar can copy them to its auto-enabled flags and repaint.
    void SetAutoButtonsChanged(std::function<void(TButtonSet)> hook) {
        autoButtonsChanged_ = std::move(hook);
    }

    // The device. Open closes an open device first, opens FileName (by its
    // extension with dtAutoSelect, or by UnlistedExtensionType where the system
    // lists no device for the extension; a named type adds the file when one is given),
    // reads the length, the capabilities and the default picture size, binds the
    // display of a video device, and sets AutoButtons. On failure it raises
    // EMCIDeviceError with the system's text for the code, else "原因不明のエラー".
    void Open();
    void Close();
    void Play();
    void Stop();
    void Rewind();
    // Position, Mode and TimeFormat need no device: without one they ask device
    // 0, which fails and leaves its code in LastError. A failed read reports 0
    // (Mode: mpNotReady), never what the reply block happened to hold.
    std::uint32_t Position();
    void SetPosition(std::uint32_t position);
    std::uint32_t Length();  // needs a device
    TMPModes Mode();         // the status mode less 524; mpNotReady for a mode outside the seven
    void SetTimeFormat(std::uint32_t format);
    // Places a video device's picture: x, y, width, height in left, top, right,
    // bottom; right and bottom both 0 mean the default display size at left, top.
    void SetDisplayRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

    // The operations of the other buttons.
    void PauseOrResume();  // pauses when playing, resumes (or plays) when paused
    void Next();           // to the next track, or the end
    void Previous();       // to the start of the track (the previous one when at its start), or the start
    void Step();           // forward by StepCount, video devices only
    void Back();           // backwards by StepCount, video devices only
    void StartRecording();
    void Eject();  // opens the door when the device can eject

    // Positions for the next Play (and recording) only: each setter arms a flag
    // that the next Play consumes.
    void SetStartPosition(std::uint32_t position);
    void SetEndPosition(std::uint32_t position);
    std::uint32_t StartPosition() const { return startPosition_; }

    // State.
    bool IsOpen() const { return open_; }
    std::uint16_t DeviceId() const { return deviceId_; }
    std::uint32_t LastError() const { return lastError_; }
    std::uint32_t StepCount() const { return stepCount_; }
    bool CanPlay() const { return canPlay_; }
    bool HasVideo() const { return hasVideo_; }
    bool CanStep() const { return canStep_; }
    std::int32_t DefaultWidth() const { return defaultWidth_; }
    std::int32_t DefaultHeight() const { return defaultHeight_; }
    TMPNotifyValues NotifyResult() const { return notifyResult_; }

    // The automatic enabling rules.
    TButtonSet AutoButtons() const { return autoButtons_; }
    void ApplyAutoRule(TMPBtnType button);  // what the button's operation does to AutoButtons
    // Takes the code of a notification into NotifyResult; unknown codes change nothing.
    void TakeNotifyCode(std::uint32_t code);

    // The text of an error code: the system's, else "原因不明のエラー".
    std::wstring ErrorText(std::uint32_t error);

private:
    void RequireDevice() const;
    std::uint32_t Kept(std::uint32_t message, std::uint32_t flags, MciParams& params);
    // Play and Record: notify, with the pending start and end positions, used once.
    void SendWithPendingRange(std::uint32_t command);
    std::uint32_t StatusItem(std::uint32_t item, bool* ok);
    std::uint32_t Capability(std::uint32_t item);
    void Seek(std::uint32_t flags, std::uint32_t to);
    void ReadCapabilities();
    void PublishAutoButtons();
    void EnableIdleButtons();
    void StepBy(bool reverse);

    MciPort& port_;
    std::function<std::uintptr_t()> notifyWindow_;
    std::function<std::uintptr_t()> display_;
    std::function<void(TButtonSet)> autoButtonsChanged_;

    bool open_ = false;
    std::uint16_t deviceId_ = 0;
    std::uint32_t lastError_ = 0;

    bool canPlay_ = false, canRecord_ = false, canEject_ = false, hasVideo_ = false, canStep_ = false;
    std::int32_t defaultWidth_ = 0, defaultHeight_ = 0;

    TButtonSet autoButtons_;
    std::uint32_t startPosition_ = 0, endPosition_ = 0;
    bool useStart_ = false, useEnd_ = false;
    std::uint32_t stepCount_ = 0;
    TMPNotifyValues notifyResult_ = nvSuccessful;
};

}  // namespace pelma
