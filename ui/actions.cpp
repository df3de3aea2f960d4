#include "ui/actions.h"

#include <algorithm>

#include "ui/application.h"

namespace pelma::ui {

namespace {
const wchar_t* KeyName(int key) {
    switch (key) {
        case VK_LEFT:
            return L"←";
        case VK_RIGHT:
            return L"→";
        case VK_UP:
            return L"↑";
        case VK_DOWN:
            return L"↓";
        case VK_PRIOR:
            return L"PageUp";
        case VK_NEXT:
            return L"PageDown";
        case VK_HOME:
            return L"Home";
        case VK_END:
            return L"End";
        case VK_SPACE:
            return L"Space";
        case VK_BACK:
            return L"BackSpace";
        case VK_ESCAPE:
            return L"Esc";
        case VK_ADD:
        case VK_OEM_PLUS:
            return L"+";
        case VK_SUBTRACT:
        case VK_OEM_MINUS:
            return L"-";
        default:
            return nullptr;
    }
}
}  // namespace

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
    } else if (const wchar_t* name = KeyName(key)) {
        text += name;
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

bool TAction::HasShortCut(int shortcut) const {
    if (shortcut == 0) return false;
    return shortcut_ == shortcut ||
           std::find(moreShortCuts_.begin(), moreShortCuts_.end(), shortcut) != moreShortCuts_.end();
}

TAction* TActionList::FindShortCut(int shortcut) const {
    for (auto& a : actions_)
        if (a->HasShortCut(shortcut)) return a.get();
    return nullptr;
}

}  // namespace pelma::ui
