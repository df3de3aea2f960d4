#include "ui/actions.h"

#include <algorithm>

#include "ui/application.h"

namespace pelma::ui {

std::wstring ShortCutText(int shortcut) {
    if (shortcut == 0) return {};
    std::wstring text;
    if (shortcut & kShiftMask) text += L"Shift+";
    if (shortcut & kCtrlMask) text += L"Ctrl+";
    if (shortcut & kAltMask) text += L"Alt+";
    int key = shortcut & 0xFF;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        text += static_cast<wchar_t>(key);
    } else if (key >= VK_F1 && key <= VK_F24) {
        text += L"F" + std::to_wstring(key - VK_F1 + 1);
    } else {
        text += L"#" + std::to_wstring(key);
    }
    return text;
}

void TAction::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    for (auto* c : clients_) c->ActionChanged(*this);
}

bool TAction::Execute() {
    if (!enabled_) return false;
    if (onExecute_) onExecute_();
    return true;
}

void TAction::RemoveClient(TActionClient* c) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), c), clients_.end());
}

TActionList::TActionList() { Application().AddActionList(this); }

TActionList::~TActionList() { Application().RemoveActionList(this); }

TAction& TActionList::Add(std::wstring name, std::wstring caption, int shortcut,
                          std::function<void()> onExecute) {
    actions_.push_back(
        std::make_unique<TAction>(std::move(name), std::move(caption), shortcut, std::move(onExecute)));
    return *actions_.back();
}

bool TActionList::ExecuteShortCut(int shortcut) {
    for (auto& a : actions_) {
        if (a->ShortCut() != 0 && a->ShortCut() == shortcut) return a->Execute();
    }
    return false;
}

}  // namespace pelma::ui
