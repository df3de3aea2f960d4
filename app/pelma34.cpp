// The program's entry: the application object, the main window, the About box,
// and the message loop.
#include <windows.h>

#include "app/about_box.h"
#include "app/main_form.h"
#include "resource_ids.h"
#include "ui/application.h"
#include "ui/late_bound.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    using namespace pelma;
    // Before anything else is loaded: modules come from the system folder only.
    ui::RestrictModuleSearchToSystem();
    try {
        ui::Application().Initialize(IDI_MAINICON);
        ui::Application().SetTitle(L"Pelma");
        auto mainForm = std::make_unique<TPelmaForm1>();
        mainForm->CommandLine = GetCommandLineW();
        ui::Application().SetMainForm(mainForm.get());
        // The About box is made as soon as the main window is on screen: nothing
        // on the first screen needs it, and its windows would only delay it.
        std::unique_ptr<TAboutBox> aboutBox;
        ui::Application().AfterFirstPaint([&aboutBox] { aboutBox = std::make_unique<TAboutBox>(); });
        ui::Application().Run(showCommand);
        aboutBox.reset();
        mainForm.reset();
        return 0;
    } catch (...) {
        // A window the program cannot run without could not be made: say why and end.
        ui::Application().HandleException(std::current_exception());
        return 1;
    }
}
