#include "ui/late_bound.h"

#include <map>
#include <string>

namespace pelma::ui {

FARPROC LateBoundFunction(const wchar_t* module, const char* name) {
    // Modules stay loaded for the program's life, as if they had been imported.
    static std::map<std::wstring, HMODULE> modules;
    auto it = modules.find(module);
    if (it == modules.end()) it = modules.emplace(module, LoadLibraryW(module)).first;
    return it->second ? GetProcAddress(it->second, name) : nullptr;
}

}  // namespace pelma::ui
