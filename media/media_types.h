// The media player's value types: its buttons and button sets, the device types
// Open can ask for, the device modes and the results of a notification.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace pelma {

// The nine buttons, in their left-to-right order on the bar.
enum class TMPBtnType : std::uint8_t {
    btPlay,
    btPause,
    btStop,
    btNext,
    btPrev,
    btStep,
    btBack,
    btRecord,
    btEject
};
inline constexpr int kButtonCount = 9;
using enum TMPBtnType;

constexpr TMPBtnType ButtonAt(int ordinal) { return static_cast<TMPBtnType>(ordinal); }
constexpr int Ordinal(TMPBtnType b) { return static_cast<int>(b); }

// A set of buttons, 16 bits, bit n = the button of ordinal n.
class TButtonSet {
public:
    constexpr TButtonSet() = default;
    constexpr TButtonSet(std::initializer_list<TMPBtnType> buttons) {
        for (auto b : buttons) bits_ |= Bit(b);
    }
    static constexpr TButtonSet FromBits(std::uint16_t bits) {
        TButtonSet s;
        s.bits_ = static_cast<std::uint16_t>(bits & kAll);
        return s;
    }
    static constexpr TButtonSet All() { return FromBits(kAll); }

    constexpr bool Contains(TMPBtnType b) const { return (bits_ & Bit(b)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr int Count() const {
        int n = 0;
        for (int i = 0; i < kButtonCount; ++i) n += (bits_ >> i) & 1;
        return n;
    }
    constexpr TButtonSet& Include(TMPBtnType b) {
        bits_ = static_cast<std::uint16_t>(bits_ | Bit(b));
        return *this;
    }
    constexpr TButtonSet& Exclude(TMPBtnType b) {
        bits_ = static_cast<std::uint16_t>(bits_ & ~Bit(b));
        return *this;
    }
    friend constexpr bool operator==(TButtonSet, TButtonSet) = default;

private:
    static constexpr std::uint16_t kAll = 0x1FF;
    static constexpr std::uint16_t Bit(TMPBtnType b) { return static_cast<std::uint16_t>(1u << Ordinal(b)); }
    std::uint16_t bits_ = 0;
};

// The device type Open names; dtAutoSelect lets the system choose by the file's extension.
enum class TMPDeviceTypes : std::uint8_t {
    dtAutoSelect,
    dtAVIVideo,
    dtCDAudio,
    dtDAT,
    dtDigitalVideo,
    dtMMMovie,
    dtOther,
    dtOverlay,
    dtScanner,
    dtSequencer,
    dtVCR,
    dtVideodisc,
    dtWaveAudio
};
using enum TMPDeviceTypes;

// The device-type string Open sends ("" for dtAutoSelect).
constexpr const wchar_t* DeviceTypeName(TMPDeviceTypes t) {
    constexpr const wchar_t* names[] = {L"",        L"AVIVideo",  L"CDAudio",  L"DAT",     L"DigitalVideo",
                                        L"MMMovie", L"Other",     L"Overlay",  L"Scanner", L"Sequencer",
                                        L"VCR",     L"Videodisc", L"WaveAudio"};
    return names[static_cast<int>(t)];
}

// What Mode reports: the device's status mode less 524.
enum class TMPModes : std::uint8_t {
    mpNotReady,
    mpStopped,
    mpPlaying,
    mpRecording,
    mpSeeking,
    mpPaused,
    mpOpen
};
using enum TMPModes;

// How the last notified command ended.
enum class TMPNotifyValues : std::uint8_t { nvSuccessful, nvSuperseded, nvAborted, nvFailure };
using enum TMPNotifyValues;

}  // namespace pelma
