// The narrow seam between the media player and the system's media control
// interface: one call that sends a command to a device and one that asks for the
// text of an error code. The Windows adapter maps `MciParams` onto the parameter
// block each command expects; the unit tests put a recording fake in its place.
#pragma once

#include <cstdint>
#include <string>

namespace pelma {

namespace mci {

// Commands.
inline constexpr std::uint32_t kOpen = 0x0803;
inline constexpr std::uint32_t kClose = 0x0804;
inline constexpr std::uint32_t kPlay = 0x0806;
inline constexpr std::uint32_t kSeek = 0x0807;
inline constexpr std::uint32_t kStop = 0x0808;
inline constexpr std::uint32_t kPause = 0x0809;
inline constexpr std::uint32_t kGetDevCaps = 0x080B;
inline constexpr std::uint32_t kSet = 0x080D;
inline constexpr std::uint32_t kStep = 0x080E;
inline constexpr std::uint32_t kRecord = 0x080F;
inline constexpr std::uint32_t kStatus = 0x0814;
inline constexpr std::uint32_t kWindow = 0x0841;
inline constexpr std::uint32_t kPut = 0x0842;
inline constexpr std::uint32_t kWhere = 0x0843;
inline constexpr std::uint32_t kResume = 0x0855;

// Flags every command takes.
inline constexpr std::uint32_t kNotify = 0x00000001;
inline constexpr std::uint32_t kWait = 0x00000002;
inline constexpr std::uint32_t kFrom = 0x00000004;
inline constexpr std::uint32_t kTo = 0x00000008;

// Open.
inline constexpr std::uint32_t kOpenShareable = 0x00000100;
inline constexpr std::uint32_t kOpenElement = 0x00000200;
inline constexpr std::uint32_t kOpenType = 0x00002000;

// The error of an Open by the file alone when the system's list of MCI
// extensions names no device for the file's extension.
inline constexpr std::uint32_t kErrExtensionNotFound = 281;

// Seek.
inline constexpr std::uint32_t kSeekToStart = 0x00000100;
inline constexpr std::uint32_t kSeekToEnd = 0x00000200;

// Status: the flag, the items, and the modes it reports.
inline constexpr std::uint32_t kStatusItem = 0x00000100;
inline constexpr std::uint32_t kStatusLength = 1;
inline constexpr std::uint32_t kStatusPosition = 2;
inline constexpr std::uint32_t kStatusNumberOfTracks = 3;
inline constexpr std::uint32_t kStatusMode = 4;
inline constexpr std::uint32_t kStatusTimeFormat = 6;
inline constexpr std::uint32_t kStatusCurrentTrack = 8;
inline constexpr std::uint32_t kModeNotReady = 524;  // the first of the seven modes

// Set.
inline constexpr std::uint32_t kSetDoorOpen = 0x00000100;
inline constexpr std::uint32_t kSetTimeFormat = 0x00000400;
inline constexpr std::uint32_t kFormatFrames = 3;
inline constexpr std::uint32_t kFormatTmsf = 10;  // tracks, minutes, seconds, frames

// Device capabilities.
inline constexpr std::uint32_t kGetDevCapsItem = 0x00000100;
inline constexpr std::uint32_t kGetDevCapsCanRecord = 1;
inline constexpr std::uint32_t kGetDevCapsHasVideo = 3;
inline constexpr std::uint32_t kGetDevCapsDeviceType = 4;
inline constexpr std::uint32_t kGetDevCapsCanEject = 7;
inline constexpr std::uint32_t kGetDevCapsCanPlay = 8;
inline constexpr std::uint32_t kDevTypeVcr = 513;
inline constexpr std::uint32_t kDevTypeOverlay = 515;
inline constexpr std::uint32_t kDevTypeAnimation = 519;
inline constexpr std::uint32_t kDevTypeDigitalVideo = 520;

// Digital-video extensions: the picture's rectangles, its window, frame steps.
inline constexpr std::uint32_t kDgvRect = 0x00010000;
inline constexpr std::uint32_t kDgvPutDestination = 0x00040000;
inline constexpr std::uint32_t kDgvWindowHwnd = 0x00010000;
inline constexpr std::uint32_t kDgvWhereSource = 0x00020000;
inline constexpr std::uint32_t kDgvWhereDestination = 0x00040000;
inline constexpr std::uint32_t kDgvStepReverse = 0x00010000;
inline constexpr std::uint32_t kDgvStepFrames = 0x00020000;

// The codes that MM_MCINOTIFY, the message a device posts when a command sent
// with kNotify ends, carries in its first parameter.
inline constexpr std::uint32_t kNotifySuccessful = 1;
inline constexpr std::uint32_t kNotifySuperseded = 2;
inline constexpr std::uint32_t kNotifyAborted = 4;
inline constexpr std::uint32_t kNotifyFailure = 8;

// The start of a track in the tracks-minutes-seconds-frames format: the track
// in the low byte, minutes, seconds and frames 0.
constexpr std::uint32_t TmsfOfTrack(std::uint32_t track) { return track & 0xFF; }

}  // namespace mci

// Every field any command of the media player uses. A command reads the fields
// its flags name and writes its results back into the same block:
//   Open       in: callback, deviceType, element, alias   out: deviceId
//   Close, Stop, Pause, Resume, Seek, Set       in: callback (Seek: to)
//   Play, Record  in: callback, from, to
//   Status     in: item   out: returned          GetDevCaps  in: item   out: returned
//   Put        in: rect (x, y, width, height in left, top, right, bottom)
//   Where      out: rect                        Window      in: window
//   Set        in: timeFormat                   Step        in: frames
struct MciParams {
    std::uintptr_t callback = 0;  // the window that receives MM_MCINOTIFY
    std::uint32_t deviceId = 0;   // the identifier Open returns
    std::wstring deviceType;
    std::wstring element;
    std::wstring alias;
    std::uint32_t item = 0;      // status or capability item
    std::uint32_t returned = 0;  // the value a status or capability request returns
    std::uint32_t from = 0;
    std::uint32_t to = 0;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::uintptr_t window = 0;  // the window that shows a video device's picture
    std::uint32_t timeFormat = 0;
    std::uint32_t frames = 0;
};

class MciPort {
public:
    virtual ~MciPort() = default;
    // Sends `message` to the device; returns 0 on success, else the error code.
    virtual std::uint32_t SendCommand(std::uint32_t deviceId, std::uint32_t message, std::uint32_t flags,
                                      MciParams& params) = 0;
    // The system's text for an error code; false when it has none.
    virtual bool GetErrorString(std::uint32_t error, std::wstring& text) = 0;
};

}  // namespace pelma
