// What the benchmarks that drive the real main window share: the application
// as the program starts it, with the error boxes it would show counted
// instead of shown.
#pragma once

#include <windows.h>

#include <string>

#include "ui/application.h"

namespace pelma::bench {

// Initialises the application; `boxes` counts the error boxes from then on.
inline void StartApplication(int& boxes) {
    ui::Application().Initialize();
    ui::Application().SetTitle(L"Pelma");
    ui::Application().SetMessageBoxFn([&boxes](HWND, const std::wstring&, const std::wstring&, UINT) {
        ++boxes;
        return IDOK;
    });
}

}  // namespace pelma::bench
