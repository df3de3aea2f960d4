// Functions of system modules that the program needs only now and then (the
// Open dialog, dropped files, the media devices). They are loaded on first use,
// so that starting the program does not load their modules.
//
// Every module loaded by name comes from the system folder: a DLL of the same
// name beside the executable, in the current folder or beside an opened file
// (a downloads folder, typically) is never loaded instead.
#pragma once

#include <windows.h>

namespace pelma::ui {

// Restricts the search for every module loaded from now on (and for those the
// system loads on the program's behalf) to the system folder, and takes the
// current folder out of the search path. Called first thing at start-up.
void RestrictModuleSearchToSystem();

// The system module of that name (e.g. L"winmm.dll"), from the system folder
// only; nullptr when it cannot be loaded. Loaded modules stay loaded.
HMODULE LoadSystemModule(const wchar_t* name);

// The function, or nullptr when the module or the function cannot be had.
FARPROC LateBoundFunction(const wchar_t* module, const char* name);

template <typename F>
F LateBound(const wchar_t* module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(LateBoundFunction(module, name)));
}

}  // namespace pelma::ui
