// The real media control interface behind the player's command seam.
#pragma once

#include "media/mci_port.h"

namespace pelma {

class WinMmPort : public MciPort {
public:
    std::uint32_t SendCommand(std::uint32_t deviceId, std::uint32_t message, std::uint32_t flags,
                              MciParams& params) override;
    bool GetErrorString(std::uint32_t error, std::wstring& text) override;
};

}  // namespace pelma
