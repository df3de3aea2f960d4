// A scripted stand-in for the media control interface that records every
// command it is sent.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "media/mci_port.h"

namespace pelma::testing {

struct SentCommand {
    std::uint32_t device;
    std::uint32_t message;
    std::uint32_t flags;
    MciParams params;  // as the caller filled it in
};

class FakeMci : public MciPort {
public:
    std::vector<SentCommand> sent;

    std::uint32_t newDeviceId = 7;
    std::map<std::uint32_t, std::uint32_t> failCommand;    // message -> error
    std::map<std::wstring, std::uint32_t> failOpenOfType;  // device type ("" for by extension) -> error
    std::map<std::uint32_t, std::uint32_t> failStatus;     // status item -> error
    std::uint32_t position = 0, length = 1000, mode = 525, timeFormat = 0, track = 1, tracks = 1;
    // Each read of the position moves it on by this much: a device that plays on between reads.
    std::uint32_t positionStep = 0;
    // Called with every command's message before it is answered.
    std::function<void(std::uint32_t message)> onCommand;
    std::map<std::uint32_t, std::uint32_t> caps;  // capability item -> value
    MciParams source, destination;                // rectangles MCI_WHERE reports
    bool hasText = true;
    std::wstring text = L"指定したファイルは開けません";

    std::uint32_t SendCommand(std::uint32_t device, std::uint32_t message, std::uint32_t flags,
                              MciParams& p) override {
        sent.push_back({device, message, flags, p});
        if (onCommand) onCommand(message);
        if (message != mci::kOpen && device == 0) {
            p.returned = 0xDEADBEEF;  // a failed reply holds whatever it held
            return 257;
        }
        if (auto f = failCommand.find(message); f != failCommand.end()) return f->second;
        switch (message) {
            case mci::kOpen:
                if (auto f = failOpenOfType.find(p.deviceType); f != failOpenOfType.end()) return f->second;
                p.deviceId = newDeviceId;
                break;
            case mci::kStatus: {
                if (auto f = failStatus.find(p.item); f != failStatus.end()) return f->second;
                const std::map<std::uint32_t, std::uint32_t> items = {
                    {mci::kStatusPosition, position},  {mci::kStatusLength, length},
                    {mci::kStatusMode, mode},          {mci::kStatusTimeFormat, timeFormat},
                    {mci::kStatusCurrentTrack, track}, {mci::kStatusNumberOfTracks, tracks}};
                p.returned = items.at(p.item);
                if (p.item == mci::kStatusPosition) position += positionStep;
                break;
            }
            case mci::kGetDevCaps:
                p.returned = caps.count(p.item) ? caps[p.item] : 0;
                break;
            case mci::kWhere: {
                const MciParams& r = (flags & mci::kDgvWhereSource) ? source : destination;
                p.left = r.left, p.top = r.top, p.right = r.right, p.bottom = r.bottom;
                break;
            }
            default:
                break;
        }
        return 0;
    }

    bool GetErrorString(std::uint32_t, std::wstring& out) override {
        if (hasText) out = text;
        return hasText;
    }

    // A device that plays sound only, or a movie.
    void Audio() { caps = {{mci::kGetDevCapsCanPlay, 1}, {mci::kGetDevCapsDeviceType, 522}}; }
    void Video() {
        caps = {{mci::kGetDevCapsCanPlay, 1},
                {mci::kGetDevCapsHasVideo, 1},
                {mci::kGetDevCapsDeviceType, mci::kDevTypeDigitalVideo}};
        source.right = 320, source.bottom = 240;
        destination.right = 160, destination.bottom = 120;
    }

    std::vector<std::uint32_t> Messages() const {
        std::vector<std::uint32_t> m;
        for (const auto& c : sent) m.push_back(c.message);
        return m;
    }
    // Each command sent as its message and flags.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Calls() const {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> m;
        for (const auto& c : sent) m.emplace_back(c.message, c.flags);
        return m;
    }
};

}  // namespace pelma::testing
