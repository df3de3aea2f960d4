#include "media/media_device.h"

#include "core/errors.h"

namespace pelma {

const wchar_t* const kNoMciDeviceText = L"MCI デバイスがありません";
const wchar_t* const kUnknownMciErrorText = L"原因不明のエラー";

MediaDevice::MediaDevice(MciPort& port) : port_(port) {}

MediaDevice::~MediaDevice() {
    if (deviceId_ == 0) return;
    try {
        MciParams p;
        port_.SendCommand(deviceId_, mci::kClose, mci::kWait, p);
    } catch (...) {
        // Nothing can be reported from here; the device is given up either way.
    }
}

void MediaDevice::RequireDevice() const {
    if (!open_) throw EMCIDeviceError(kNoMciDeviceText);
}

std::uint32_t MediaDevice::Kept(std::uint32_t message, std::uint32_t flags, MciParams& params) {
    lastError_ = port_.SendCommand(deviceId_, message, flags, params);
    return lastError_;
}

std::wstring MediaDevice::ErrorText(std::uint32_t error) {
    std::wstring text;
    // An empty text says as little as none at all.
    if (port_.GetErrorString(error, text) && !text.empty()) return text;
    return kUnknownMciErrorText;
}

// --- Open and Close ---------------------------------------------------------

void MediaDevice::Open() {
    MciParams p;
    if (open_) Close();

    p.deviceType = DeviceTypeName(DeviceType);
    p.element = FileName;
    p.callback = NotifyWindow();
    std::uint32_t flags = mci::kWait;
    if (DeviceType == dtAutoSelect) {
        flags |= mci::kOpenElement;
    } else {
        // A named device type opens the file too when one is given; without a
        // file it opens the bare device (a disc, or a new recording).
        flags |= mci::kOpenType;
        if (!FileName.empty()) flags |= mci::kOpenElement;
    }
    if (Shareable) flags |= mci::kOpenShareable;

    lastError_ = port_.SendCommand(0, mci::kOpen, flags, p);
    if (lastError_ == mci::kErrExtensionNotFound && DeviceType == dtAutoSelect &&
        !UnlistedExtensionType.empty()) {
        p.deviceType = UnlistedExtensionType;
        lastError_ = port_.SendCommand(0, mci::kOpen, flags | mci::kOpenType, p);
    }
    if (lastError_ != 0) throw EMCIDeviceError(ErrorText(lastError_));

    open_ = true;
    deviceId_ = static_cast<std::uint16_t>(p.deviceId);
    stepCount_ = Length() / 10;
    ReadCapabilities();

    if (hasVideo_) {
        if (display_) {
            MciParams w;
            w.window = display_();
            if (Kept(mci::kWindow, mci::kDgvWindowHwnd | mci::kWait, w) != 0) display_ = nullptr;
        }
        MciParams where;
        if (port_.SendCommand(deviceId_, mci::kWhere, mci::kDgvWhereDestination, where) == 0) {
            defaultWidth_ = where.right - where.left;
            defaultHeight_ = where.bottom - where.top;
        }
    }

    if (DeviceType == dtCDAudio || DeviceType == dtVideodisc) SetTimeFormat(mci::kFormatTmsf);

    autoButtons_ = {btNext, btPrev};
    if (canStep_) autoButtons_.Include(btStep).Include(btBack);
    if (canPlay_) autoButtons_.Include(btPlay);
    if (canRecord_) autoButtons_.Include(btRecord);
    if (canEject_) autoButtons_.Include(btEject);
    if (Mode() == mpPlaying) ApplyAutoRule(btPlay);
    PublishAutoButtons();
}

std::uint32_t MediaDevice::Capability(std::uint32_t item) {
    MciParams p;
    p.item = item;
    if (port_.SendCommand(deviceId_, mci::kGetDevCaps, mci::kGetDevCapsItem | mci::kWait, p) != 0) return 0;
    return p.returned;
}

void MediaDevice::ReadCapabilities() {
    canPlay_ = Capability(mci::kGetDevCapsCanPlay) != 0;
    canRecord_ = Capability(mci::kGetDevCapsCanRecord) != 0;
    canEject_ = Capability(mci::kGetDevCapsCanEject) != 0;
    hasVideo_ = Capability(mci::kGetDevCapsHasVideo) != 0;
    const std::uint32_t type = Capability(mci::kGetDevCapsDeviceType);
    canStep_ = type == mci::kDevTypeVcr || type == mci::kDevTypeOverlay || type == mci::kDevTypeAnimation ||
               type == mci::kDevTypeDigitalVideo;

    MciParams where;
    port_.SendCommand(deviceId_, mci::kWhere, mci::kDgvWhereSource, where);
    defaultWidth_ = where.right - where.left;
    defaultHeight_ = where.bottom - where.top;
}

void MediaDevice::Close() {
    if (deviceId_ == 0) return;
    MciParams p;
    p.callback = NotifyWindow();
    if (Kept(mci::kClose, mci::kWait, p) != 0) return;
    open_ = false;
    deviceId_ = 0;
    autoButtons_ = {};
    PublishAutoButtons();
}

void MediaDevice::PublishAutoButtons() {
    if (autoButtonsChanged_) autoButtonsChanged_(autoButtons_);
}

// --- Playing and positions --------------------------------------------------

void MediaDevice::SetStartPosition(std::uint32_t position) {
    startPosition_ = position;
    useStart_ = true;
}

void MediaDevice::SetEndPosition(std::uint32_t position) {
    endPosition_ = position;
    useEnd_ = true;
}

void MediaDevice::SendWithPendingRange(std::uint32_t command) {
    MciParams p;
    p.callback = NotifyWindow();
    std::uint32_t flags = mci::kNotify;
    if (useStart_) {
        flags |= mci::kFrom;
        p.from = startPosition_;
    }
    if (useEnd_) {
        flags |= mci::kTo;
        p.to = endPosition_;
    }
    useStart_ = useEnd_ = false;
    Kept(command, flags, p);
}

void MediaDevice::Play() {
    RequireDevice();
    if (AutoRewind && !useStart_ && !useEnd_ && Position() == Length()) Rewind();
    SendWithPendingRange(mci::kPlay);
}

void MediaDevice::Stop() {
    RequireDevice();
    MciParams p;
    p.callback = NotifyWindow();
    Kept(mci::kStop, mci::kWait, p);
}

void MediaDevice::Rewind() {
    RequireDevice();
    MciParams p;
    Kept(mci::kSeek, mci::kSeekToStart | mci::kWait, p);
}

std::uint32_t MediaDevice::StatusItem(std::uint32_t item, bool* ok) {
    MciParams p;
    p.item = item;
    const bool sent = Kept(mci::kStatus, mci::kStatusItem | mci::kWait, p) == 0;
    if (ok) *ok = sent;
    return sent ? p.returned : 0;
}

std::uint32_t MediaDevice::Position() { return StatusItem(mci::kStatusPosition, nullptr); }

void MediaDevice::SetPosition(std::uint32_t position) {
    RequireDevice();
    MciParams p;
    p.callback = NotifyWindow();
    p.to = position;
    Kept(mci::kSeek, mci::kWait | mci::kTo, p);
}

std::uint32_t MediaDevice::Length() {
    RequireDevice();
    return StatusItem(mci::kStatusLength, nullptr);
}

TMPModes MediaDevice::Mode() {
    bool ok = false;
    const std::uint32_t mode = StatusItem(mci::kStatusMode, &ok);
    if (!ok || mode < mci::kModeNotReady || mode > mci::kModeNotReady + static_cast<std::uint32_t>(mpOpen))
        return mpNotReady;
    return static_cast<TMPModes>(mode - mci::kModeNotReady);
}

void MediaDevice::SetTimeFormat(std::uint32_t format) {
    MciParams p;
    p.callback = NotifyWindow();
    p.timeFormat = format;
    Kept(mci::kSet, mci::kNotify | mci::kSetTimeFormat, p);
}

void MediaDevice::SetDisplayRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                 std::int32_t bottom) {
    if (!open_ || !hasVideo_) return;
    MciParams p;
    p.left = left;
    p.top = top;
    if (right == 0 && bottom == 0) {
        p.right = defaultWidth_;
        p.bottom = defaultHeight_;
    } else {
        p.right = right;
        p.bottom = bottom;
    }
    Kept(mci::kPut, mci::kDgvRect | mci::kDgvPutDestination, p);
}

// --- The other buttons ------------------------------------------------------

void MediaDevice::PauseOrResume() {
    RequireDevice();
    const TMPModes mode = Mode();
    MciParams p;
    p.callback = NotifyWindow();
    if (mode == mpPlaying) {
        Kept(mci::kPause, mci::kWait, p);
    } else if (mode == mpPaused) {
        // Not every device can resume; playing on from the paused position is the same to the user.
        if (Kept(mci::kResume, mci::kWait, p) != 0) Play();
    }
}

void MediaDevice::Seek(std::uint32_t flags, std::uint32_t to) {
    MciParams p;
    p.callback = NotifyWindow();
    p.to = to;
    Kept(mci::kSeek, flags | mci::kWait, p);
}

void MediaDevice::Next() {
    RequireDevice();
    bool tracks = false;
    if (StatusItem(mci::kStatusTimeFormat, &tracks) != mci::kFormatTmsf) tracks = false;
    if (tracks) {
        const std::uint32_t track = StatusItem(mci::kStatusCurrentTrack, nullptr);
        const std::uint32_t count = StatusItem(mci::kStatusNumberOfTracks, nullptr);
        if (track != 0 && track < count) return Seek(mci::kTo, mci::TmsfOfTrack(track + 1));
    }
    Seek(mci::kSeekToEnd, 0);
}

void MediaDevice::Previous() {
    RequireDevice();
    bool tracks = false;
    if (StatusItem(mci::kStatusTimeFormat, &tracks) != mci::kFormatTmsf) tracks = false;
    if (tracks) {
        std::uint32_t track = StatusItem(mci::kStatusCurrentTrack, nullptr);
        if (track != 0) {
            // At the very start of a track, go back one more.
            if (track > 1 && Position() == mci::TmsfOfTrack(track)) --track;
            return Seek(mci::kTo, mci::TmsfOfTrack(track));
        }
    }
    Rewind();
}

void MediaDevice::StepBy(bool reverse) {
    RequireDevice();
    if (!hasVideo_) return;
    MciParams p;
    p.callback = NotifyWindow();
    p.frames = stepCount_;
    Kept(mci::kStep, mci::kDgvStepFrames | (reverse ? mci::kDgvStepReverse : 0) | mci::kWait, p);
}

void MediaDevice::Step() { StepBy(false); }
void MediaDevice::Back() { StepBy(true); }

void MediaDevice::StartRecording() {
    RequireDevice();
    SendWithPendingRange(mci::kRecord);
}

void MediaDevice::Eject() {
    RequireDevice();
    if (!canEject_) return;
    MciParams p;
    p.callback = NotifyWindow();
    Kept(mci::kSet, mci::kSetDoorOpen | mci::kWait, p);
}

// --- Automatic enabling -----------------------------------------------------

void MediaDevice::EnableIdleButtons() {
    if (canPlay_) autoButtons_.Include(btPlay);
    if (canRecord_) autoButtons_.Include(btRecord);
    autoButtons_.Exclude(btPause).Exclude(btStop);
}

void MediaDevice::ApplyAutoRule(TMPBtnType button) {
    switch (button) {
        case btPlay:
        case btRecord:
            autoButtons_.Exclude(btPlay).Exclude(btRecord).Include(btPause).Include(btStop);
            break;
        case btPause:
            if (canPlay_) autoButtons_.Include(btPlay);
            if (canRecord_) autoButtons_.Include(btRecord);
            break;
        default:
            EnableIdleButtons();
            break;
    }
}

void MediaDevice::TakeNotifyCode(std::uint32_t code) {
    switch (code) {
        case mci::kNotifySuccessful:
            notifyResult_ = nvSuccessful;
            break;
        case mci::kNotifySuperseded:
            notifyResult_ = nvSuperseded;
            break;
        case mci::kNotifyAborted:
            notifyResult_ = nvAborted;
            break;
        case mci::kNotifyFailure:
            notifyResult_ = nvFailure;
            break;
        default:
            break;
    }
}

}  // namespace pelma
