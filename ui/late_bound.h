// Functions of system modules that the program needs only now and then (the
// Open dialog, dropped files, the media devices). They are loaded on first use,
// so that starting the program does not load their modules.
#pragma once

#include <windows.h>

namespace pelma::ui {

// The function, or nullptr when the module or the function cannot be had.
FARPROC LateBoundFunction(const wchar_t* module, const char* name);

template <typename F>
F LateBound(const wchar_t* module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(LateBoundFunction(module, name)));
}

}  // namespace pelma::ui
