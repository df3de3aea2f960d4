// RAII owners for the Win32 handles the program creates.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <utility>

namespace pelma::ui {

template <typename H, typename Traits>
class Handle {
public:
    Handle() = default;
    explicit Handle(H h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, Traits::Null())) {}
    Handle& operator=(Handle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Traits::Null()));
        return *this;
    }
    ~Handle() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Null(); }
    H release() { return std::exchange(h_, Traits::Null()); }
    void reset(H h = Traits::Null()) {
        if (h_ != Traits::Null()) Traits::Close(h_);
        h_ = h;
    }

private:
    H h_ = Traits::Null();
};

struct FileTraits {
    static HANDLE Null() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct GdiTraits {
    static HGDIOBJ Null() { return nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct IconTraits {
    static HICON Null() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct MenuTraits {
    static HMENU Null() { return nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct DcTraits {
    static HDC Null() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct EnhMetaTraits {
    static HENHMETAFILE Null() { return nullptr; }
    static void Close(HENHMETAFILE h) { DeleteEnhMetaFile(h); }
};

using UniqueFile = Handle<HANDLE, FileTraits>;
using UniqueGdi = Handle<HGDIOBJ, GdiTraits>;
using UniqueIcon = Handle<HICON, IconTraits>;
using UniqueMenu = Handle<HMENU, MenuTraits>;
using UniqueDc = Handle<HDC, DcTraits>;
using UniqueEnhMetaFile = Handle<HENHMETAFILE, EnhMetaTraits>;

// Selects an object into a DC for the scope and restores the previous one.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~SelectObjectScope() { SelectObject(dc_, old_); }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// One memory DC compatible with the screen, kept for the program's life, for
// measuring text and reading the screen's capabilities: it has the screen's
// capabilities and draws nowhere, so measuring never borrows the screen's own
// DC. Whatever is selected into it is put back by the one who selected it.
inline HDC ScreenMemoryDc() {
    static const UniqueDc dc(CreateCompatibleDC(nullptr));
    return dc.get();
}

// One of the screen's device capabilities.
inline int ScreenCaps(int index) { return GetDeviceCaps(ScreenMemoryDc(), index); }

// The bytes of one of the program's own resources; empty when it is missing.
inline std::span<const std::uint8_t> ResourceBytes(const wchar_t* name, const wchar_t* type) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, name, type);
    HGLOBAL data = info ? LoadResource(module, info) : nullptr;
    const auto* bytes = data ? static_cast<const std::uint8_t*>(LockResource(data)) : nullptr;
    if (!bytes) return {};
    return {bytes, SizeofResource(module, info)};
}

// A screen DC for the scope.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() { ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

}  // namespace pelma::ui
