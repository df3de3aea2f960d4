// The application object: its own hidden window (owner of the forms and of
// the error box), the message loop with shortcut dispatch, the one error
// display, and the timers.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace pelma::ui {

class TForm;
class TTimer;
class TActionList;

class TApplication {
public:
    // Shows the error box; replaceable so that tests can record what would be shown.
    using MessageBoxFn =
        std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags)>;

    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Makes the application's window, with the program's icon resource
    // `iconId` (0: none) for its taskbar button.
    void Initialize(int iconId = 0);
    HWND Handle() const { return hwnd_; }

    void SetTitle(const std::wstring& title);

    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Shows the main form as the start-up request says, then handles messages
    // until the main form is closed.
    void Run(int showCommand);
    // Handles one message as the loop would: true when a message was handled.
    bool HandleMessage();
    // Handles the key messages waiting in the queue, and nothing else.
    void HandleKeyMessages();
    // Handles a message taken from the queue: shortcuts, dialog keys, its window.
    void Dispatch(MSG& msg);
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The one error display: the silent kind shows nothing; every other kind
    // a stop box with the application's title and the message with its full stop.
    void HandleException(std::exception_ptr error);
    void ShowErrorMessage(const std::wstring& message);
    void SetMessageBoxFn(MessageBoxFn fn) { messageBox_ = std::move(fn); }
    // Shows the error once the current message is handled (for errors found
    // while painting, where no box may be shown).
    void PostErrorMessage(const std::wstring& message);

    // Shortcut keys of every registered action list.
    void AddActionList(TActionList* list) { actionLists_.push_back(list); }
    void RemoveActionList(TActionList* list);
    bool IsShortCut(const MSG& msg);

    // Timers post to the application's window.
    UINT_PTR AddTimer(TTimer* timer, UINT interval);
    void RemoveTimer(UINT_PTR id);

    // Called when the system announces changed settings (WM_SETTINGCHANGE).
    std::function<void()> OnSettingChange;
    // Called whenever the queue is empty, paints included: the window is idle.
    std::function<void()> OnIdle;
    // What the loop does when the queue is empty (tests run it themselves).
    void Idle();

    // Start-up work that nothing on the first screen needs: it runs once the
    // main window is on screen and painted, or earlier when FinishStartup is
    // called (by a command that needs its result).
    void AfterFirstPaint(std::function<void()> work);
    void FinishStartup();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    bool KeyFreeForActions(HWND target) const;

    HWND hwnd_ = nullptr;
    std::wstring title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    MessageBoxFn messageBox_;
    std::vector<TActionList*> actionLists_;
    std::vector<std::pair<UINT_PTR, TTimer*>> timers_;
    UINT_PTR nextTimerId_ = 1;
    bool paintedReported_ = false;
    std::vector<std::function<void()>> startupWork_;
    std::vector<std::wstring> postedErrors_;
};

TApplication& Application();

}  // namespace pelma::ui
