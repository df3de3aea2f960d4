#include "media/winmm_port.h"

#include <windows.h>
#include <mmsystem.h>
// The digital-video commands' parameter blocks.
#include <digitalv.h>

#include <vector>

#include "ui/late_bound.h"
#include "view/file_access.h"

namespace pelma {

namespace {

// The port's commands are the system's own codes, passed through as they are.
static_assert(mci::kOpen == MCI_OPEN && mci::kClose == MCI_CLOSE && mci::kPlay == MCI_PLAY &&
              mci::kSeek == MCI_SEEK && mci::kStop == MCI_STOP && mci::kPause == MCI_PAUSE &&
              mci::kGetDevCaps == MCI_GETDEVCAPS && mci::kSet == MCI_SET && mci::kStep == MCI_STEP &&
              mci::kRecord == MCI_RECORD && mci::kStatus == MCI_STATUS && mci::kWindow == MCI_WINDOW &&
              mci::kPut == MCI_PUT && mci::kWhere == MCI_WHERE && mci::kResume == MCI_RESUME);

// The media control interface is loaded with the first command, not at start-up.
std::uint32_t Send(std::uint32_t device, std::uint32_t message, std::uint32_t flags, void* block) {
    static const auto send = ui::LateBound<MCIERROR(WINAPI*)(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR)>(
        L"winmm.dll", "mciSendCommandW");
    if (!send) return MCIERR_DEVICE_NOT_INSTALLED;
    return static_cast<std::uint32_t>(
        send(static_cast<MCIDEVICEID>(device), message, flags, reinterpret_cast<DWORD_PTR>(block)));
}

}  // namespace

std::uint32_t WinMmPort::SendCommand(std::uint32_t deviceId, std::uint32_t message, std::uint32_t flags,
                                     MciParams& p) {
    switch (message) {
        case MCI_OPEN: {
            MCI_OPEN_PARMSW b{};
            b.dwCallback = p.callback;
            b.lpstrDeviceType = p.deviceType.empty() ? nullptr : p.deviceType.c_str();
            // The driver opens the file in this process: a 32-bit one names
            // System32's files through their alias (see NativeFileName).
            const std::wstring element = (flags & MCI_OPEN_ELEMENT) ? NativeFileName(p.element) : p.element;
            b.lpstrElementName = element.empty() ? nullptr : element.c_str();
            b.lpstrAlias = p.alias.empty() ? nullptr : p.alias.c_str();
            std::uint32_t r = Send(deviceId, message, flags, &b);
            p.deviceId = b.wDeviceID;
            return r;
        }
        case MCI_PLAY:
        case MCI_RECORD: {
            MCI_PLAY_PARMS b{p.callback, p.from, p.to};
            return Send(deviceId, message, flags, &b);
        }
        case MCI_SEEK: {
            MCI_SEEK_PARMS b{p.callback, p.to};
            return Send(deviceId, message, flags, &b);
        }
        case MCI_STATUS: {
            MCI_STATUS_PARMS b{};
            b.dwCallback = p.callback;
            b.dwItem = p.item;
            std::uint32_t r = Send(deviceId, message, flags, &b);
            p.returned = static_cast<std::uint32_t>(b.dwReturn);
            return r;
        }
        case MCI_GETDEVCAPS: {
            MCI_GETDEVCAPS_PARMS b{};
            b.dwCallback = p.callback;
            b.dwItem = p.item;
            std::uint32_t r = Send(deviceId, message, flags, &b);
            p.returned = b.dwReturn;
            return r;
        }
        case MCI_SET: {
            MCI_SET_PARMS b{};
            b.dwCallback = p.callback;
            b.dwTimeFormat = p.timeFormat;
            return Send(deviceId, message, flags, &b);
        }
        case MCI_PUT:
        case MCI_WHERE: {
            MCI_DGV_RECT_PARMS b{p.callback, {p.left, p.top, p.right, p.bottom}};
            std::uint32_t r = Send(deviceId, message, flags, &b);
            p.left = b.rc.left;
            p.top = b.rc.top;
            p.right = b.rc.right;
            p.bottom = b.rc.bottom;
            return r;
        }
        case MCI_WINDOW: {
            MCI_DGV_WINDOW_PARMSW b{p.callback, reinterpret_cast<HWND>(p.window), 0, nullptr};
            return Send(deviceId, message, flags, &b);
        }
        case MCI_STEP: {
            MCI_DGV_STEP_PARMS b{p.callback, p.frames};
            return Send(deviceId, message, flags, &b);
        }
        default: {
            MCI_GENERIC_PARMS b{p.callback};
            return Send(deviceId, message, flags, &b);
        }
    }
}

bool WinMmPort::GetErrorString(std::uint32_t error, std::wstring& text) {
    std::vector<wchar_t> buffer(4096);
    static const auto getErrorString =
        ui::LateBound<BOOL(WINAPI*)(MCIERROR, LPWSTR, UINT)>(L"winmm.dll", "mciGetErrorStringW");
    if (!getErrorString || !getErrorString(error, buffer.data(), static_cast<UINT>(buffer.size())))
        return false;
    text = buffer.data();
    return true;
}

}  // namespace pelma
