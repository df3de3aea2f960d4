#include "gui_objects.h"

#include <winternl.h>

#include <cstdint>
#include <cstring>

namespace pelma::test {
namespace {

// One entry of the GDI handle table as 64-bit Windows and Wine lay it out
// (Wine, whose pointers in it are 64-bit fields, in 32-bit processes too).
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint16_t ownerProcessId;  // 0 where the owner is not recorded (Wine)
    std::uint16_t ownerLockAndCount;
    std::uint16_t unique;  // low byte: extended type and stock flag; high byte: generation
    std::uint8_t type;     // 0 marks a free entry in Wine
    std::uint8_t flags;
    std::uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);

constexpr std::size_t kGdiHandleEntries = 0x10000;
constexpr std::uint16_t kStockFlag = 0x0080;

// Wine's USER handles: the low word is (index << 1) + 0x20 for indexes below
// 0x7fe8; a handle whose high word is 0 names whatever generation holds the index.
constexpr DWORD kFirstUserHandle = 0x0020;
constexpr DWORD kLastUserHandle = 0xffef;

const std::uint8_t* ProcessBlock() {
    using Query = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0)
        return nullptr;
    return reinterpret_cast<const std::uint8_t*>(info.PebBaseAddress);
}

bool IsLiveIcon(HICON h) {
    ICONINFO info{};
    if (!GetIconInfo(h, &info)) return false;
    // The call hands out copies of the icon's bitmaps.
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

}  // namespace

std::optional<DWORD> GdiObjectsInHandleTable() {
    // PEB.GdiSharedHandleTable, at the same offset in Windows and Wine (the
    // 32-bit process block is the 32-bit one).
    constexpr std::size_t kPebGdiSharedHandleTable = sizeof(void*) == 8 ? 0xF8 : 0x94;
    const std::uint8_t* peb = ProcessBlock();
    if (!peb) return std::nullopt;
    const GdiHandleEntry* table = nullptr;
    std::memcpy(&table, peb + kPebGdiSharedHandleTable, sizeof table);
    if (!table) return std::nullopt;

    const auto self = static_cast<std::uint16_t>(GetCurrentProcessId());
    DWORD n = 0;
    for (std::size_t i = 0; i < kGdiHandleEntries; ++i) {
        GdiHandleEntry e;
        std::memcpy(&e, &table[i], sizeof e);
        if (e.type == 0 || (e.unique & kStockFlag)) continue;
        if (e.ownerProcessId != 0 && e.ownerProcessId != self) continue;
        // Windows keeps the type of a freed entry: only a handle the system still
        // accepts counts.
        const auto value = static_cast<LONG>((static_cast<DWORD>(e.unique) << 16) | static_cast<DWORD>(i));
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(value))) != 0) ++n;
    }
    return n;
}

DWORD UserObjectsByProbing() {
    const DWORD self = GetCurrentProcessId();
    DWORD n = 0;
    for (DWORD low = kFirstUserHandle; low <= kLastUserHandle; low += 2) {
        HANDLE h = ULongToHandle(low);
        // Every check here is answered from the process's own table, without a
        // round trip to the server: a window procedure is only handed out for
        // the process's own windows.
        if (IsMenu(static_cast<HMENU>(h)) || IsLiveIcon(static_cast<HICON>(h)) ||
            CopyAcceleratorTableW(static_cast<HACCEL>(h), nullptr, 0) > 0) {
            ++n;
        } else if (GetWindowLongPtrW(static_cast<HWND>(h), GWLP_WNDPROC) != 0) {
            DWORD pid = 0;
            if (GetWindowThreadProcessId(static_cast<HWND>(h), &pid) != 0 && pid == self) ++n;
        }
    }
    return n;
}

GuiObjectCount GdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return {n, "system"};
    if (auto n = GdiObjectsInHandleTable()) return {*n, "handle table"};
    return {0, "none"};
}

GuiObjectCount UserObjects() {
    // The probe knows Wine's handle layout only; Windows gives the figure itself.
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return {n, "system"};
    return {UserObjectsByProbing(), "probed"};
}

}  // namespace pelma::test
