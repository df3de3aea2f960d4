// Actions: a caption, a shortcut and an enabled state shared by the buttons
// and menu items bound to them, and the handler they all run.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pelma::ui {

// Shortcut codes: the virtual-key code plus these modifier bits.
constexpr int kShiftMask = 0x2000;
constexpr int kCtrlMask = 0x4000;
constexpr int kAltMask = 0x8000;

// "Ctrl+S" for 16467; empty for 0.
std::wstring ShortCutText(int shortcut);

class TAction;

class TActionClient {
public:
    virtual ~TActionClient() = default;
    virtual void ActionChanged(TAction& action) = 0;
};

class TAction {
public:
    TAction(std::wstring name, std::wstring caption, int shortcut, std::function<void()> onExecute)
        : Name(std::move(name)),
          caption_(std::move(caption)),
          shortcut_(shortcut),
          onExecute_(std::move(onExecute)) {}

    const std::wstring Name;
    const std::wstring& Caption() const { return caption_; }
    int ShortCut() const { return shortcut_; }
    // Further keys that run the action; the menu shows the first shortcut only.
    const std::vector<int>& MoreShortCuts() const { return moreShortCuts_; }
    void AddShortCut(int shortcut) { moreShortCuts_.push_back(shortcut); }
    bool HasShortCut(int shortcut) const;
    // Keys that text boxes and dialogs use for themselves (arrows, Space,
    // Home, plain letters): such an action's keys without Ctrl run it only
    // from the main window, and not while one of its text boxes or its
    // slider has the keyboard focus; with Ctrl they run it from anywhere.
    bool YieldsToControls() const { return yieldsToControls_; }
    void SetYieldsToControls(bool yields) { yieldsToControls_ = yields; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // Runs the handler when the action is enabled; true when it ran.
    bool Execute();

    void AddClient(TActionClient* c) { clients_.push_back(c); }
    void RemoveClient(TActionClient* c);

private:
    std::wstring caption_;
    int shortcut_;
    std::vector<int> moreShortCuts_;
    bool yieldsToControls_ = false;
    std::function<void()> onExecute_;
    bool enabled_ = true;
    std::vector<TActionClient*> clients_;
};

class TActionList {
public:
    TActionList();
    ~TActionList();
    TActionList(const TActionList&) = delete;
    TActionList& operator=(const TActionList&) = delete;

    TAction& Add(std::wstring name, std::wstring caption, int shortcut, std::function<void()> onExecute);
    const std::vector<std::unique_ptr<TAction>>& Actions() const { return actions_; }

    // The action with this shortcut, or nullptr.
    TAction* FindShortCut(int shortcut) const;

private:
    std::vector<std::unique_ptr<TAction>> actions_;
};

}  // namespace pelma::ui
