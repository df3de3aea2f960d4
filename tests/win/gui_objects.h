// How many GDI and USER objects this process holds. The system's own figures
// (GetGuiResources) are taken where it gives them; Wine reports 0 for both, so
// there the GDI handle table that the process block points to is read, and the
// USER handle space is probed handle by handle.
#pragma once

#include <windows.h>

#include <optional>

namespace pelma::test {

struct GuiObjectCount {
    DWORD count = 0;
    const char* source = "";  // where the figure came from, for the test's report
};

// Live GDI objects of this process, stock objects left out.
GuiObjectCount GdiObjects();
// Live USER objects of this process: windows, menus, icons and cursors,
// accelerator tables.
GuiObjectCount UserObjects();

// The fallbacks on their own. The table is absent where the process block has
// none to point to; it is read in Wine's layout, which Windows never needs.
std::optional<DWORD> GdiObjectsInHandleTable();
DWORD UserObjectsByProbing();

}  // namespace pelma::test
