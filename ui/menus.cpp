#include "ui/menus.h"

#include "ui/actions.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/handles.h"

namespace pelma::ui {

namespace {
HMENU g_shown = nullptr;
}

std::wstring TMenuItem::Text() const {
    if (!Action) return L"-";
    std::wstring text = Action->Caption();
    std::wstring key = ShortCutText(Action->ShortCut());
    if (!key.empty()) text += L"\t" + key;
    return text;
}

HMENU TPopupMenu::BuildMenu() const {
    HMENU menu = CreatePopupMenu();
    UINT id = 1;
    for (const auto& item : Items) {
        if (!item.Action) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            UINT flags = MF_STRING | (item.Action->Enabled() ? MF_ENABLED : MF_GRAYED);
            AppendMenuW(menu, flags, id, item.Text().c_str());
        }
        ++id;
    }
    return menu;
}

HMENU TPopupMenu::ShownMenu() { return g_shown; }

void TPopupMenu::Popup(int x, int y) {
    UniqueMenu menu(BuildMenu());
    HWND owner = Application().MainForm() ? Application().MainForm()->Handle() : Application().Handle();
    g_shown = menu.get();
    UINT chosen =
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, x, y, 0, owner, nullptr);
    g_shown = nullptr;
    if (chosen >= 1 && chosen <= Items.size() && Items[chosen - 1].Action)
        Items[chosen - 1].Action->Execute();
}

}  // namespace pelma::ui
