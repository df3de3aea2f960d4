#include "ui/late_bound.h"

#include <map>
#include <string>

namespace pelma::ui {

void RestrictModuleSearchToSystem() {
    // SetDefaultDllDirectories came to Windows 7 with an update (KB2533623):
    // looked up, so that the program still starts without it.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");  // no current folder in the search path
}

HMODULE LoadSystemModule(const wchar_t* name) {
    if (HMODULE m = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return m;
    // Without that update the flag is refused as an invalid parameter: then
    // the module already loaded under that name (a side-by-side one, like the
    // common controls of the manifest), else the file in the system folder.
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    if (HMODULE loaded = GetModuleHandleW(name)) return loaded;
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(dir, n) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC LateBoundFunction(const wchar_t* module, const char* name) {
    // Modules stay loaded for the program's life, as if they had been imported.
    static std::map<std::wstring, HMODULE> modules;
    auto it = modules.find(module);
    if (it == modules.end()) it = modules.emplace(module, LoadSystemModule(module)).first;
    return it->second ? GetProcAddress(it->second, name) : nullptr;
}

}  // namespace pelma::ui
