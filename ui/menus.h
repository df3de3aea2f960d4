// Context menus whose items are separators or bound to actions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pelma::ui {

class TAction;

struct TMenuItem {
    std::wstring Name;
    TAction* Action = nullptr;  // nullptr: a separator line

    std::wstring Text() const;  // caption, a tab, the shortcut text
};

class TPopupMenu {
public:
    explicit TPopupMenu(std::wstring name) : Name(std::move(name)) {}

    const std::wstring Name;
    std::vector<TMenuItem> Items;

    void AddItem(std::wstring name, TAction* action) { Items.push_back({std::move(name), action}); }
    void AddSeparator(std::wstring name) { Items.push_back({std::move(name), nullptr}); }

    // Builds the menu as it stands now (captions, enabled states).
    HMENU BuildMenu() const;
    // Shows the menu at a screen point and runs the chosen item's action.
    void Popup(int x, int y);

    // Tests look at the menu that is up; nullptr when none.
    static HMENU ShownMenu();
};

}  // namespace pelma::ui
