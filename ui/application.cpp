#include "ui/application.h"

#include <commctrl.h>

#include <algorithm>

#include "core/errors.h"
#include "core/messages.h"
#include "ui/actions.h"
#include "ui/forms.h"
#include "ui/system_error.h"
#include "ui/timer.h"

namespace pelma::ui {

namespace {

const wchar_t kAppClass[] = L"TApplication";
constexpr UINT kPostedErrorMessage = WM_APP + 1;

struct DisabledWindows {
    HWND except;
    std::vector<HWND> list;
};

BOOL CALLBACK DisableOne(HWND hwnd, LPARAM lp) {
    auto* d = reinterpret_cast<DisabledWindows*>(lp);
    if (hwnd != d->except && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        d->list.push_back(hwnd);
    }
    return TRUE;
}

// Text boxes move their caret with the arrows, Home, End and the page keys,
// and a slider its thumb: those keys stay theirs.
bool KeepsItsKeys(HWND hwnd) {
    wchar_t full[64];
    if (!GetClassNameW(hwnd, full, 64)) return false;
    // Common controls of a given version may carry it before a '!'.
    const wchar_t* name = wcsrchr(full, L'!') ? wcsrchr(full, L'!') + 1 : full;
    return _wcsicmp(name, L"Edit") == 0 || _wcsnicmp(name, L"RICHEDIT", 8) == 0 ||
           _wcsicmp(name, TRACKBAR_CLASSW) == 0;
}

}  // namespace

// A key aimed at the main window or one of its controls that has no use of its own for it.
bool TApplication::KeyFreeForActions(HWND target) const {
    if (!mainForm_ || GetAncestor(target, GA_ROOT) != mainForm_->Handle()) return false;
    return !KeepsItsKeys(target);
}

TApplication& Application() {
    static TApplication app;
    return app;
}

TApplication::TApplication()
    : messageBox_([](HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
          return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
      }) {}

TApplication::~TApplication() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void TApplication::Initialize(int iconId) {
    if (hwnd_) return;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TApplication::WindowProc;
    wc.hInstance = inst;
    wc.lpszClassName = kAppClass;
    wc.hIcon = iconId ? LoadIconW(inst, MAKEINTRESOURCEW(iconId)) : nullptr;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseSystemError(GetLastError(), L"ウィンドウ クラス TApplication を登録できません");
    hwnd_ = CreateWindowExW(0, kAppClass, title_.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                            0, 0, 0, 0, nullptr, nullptr, inst, nullptr);
    if (!hwnd_) RaiseSystemError(GetLastError(), L"ウィンドウ TApplication を作成できません");
}

void TApplication::SetTitle(const std::wstring& title) {
    title_ = title;
    if (hwnd_) SetWindowTextW(hwnd_, title.c_str());
}

void TApplication::RemoveActionList(TActionList* list) {
    actionLists_.erase(std::remove(actionLists_.begin(), actionLists_.end(), list), actionLists_.end());
}

bool TApplication::IsShortCut(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (mainForm_ && !IsWindowEnabled(mainForm_->Handle())) return false;
    // Only keys aimed at one of this program's windows.
    DWORD pid = 0;
    GetWindowThreadProcessId(msg.hwnd, &pid);
    if (pid != GetCurrentProcessId()) return false;
    int code = static_cast<int>(msg.wParam & 0xFF);
    if (GetKeyState(VK_SHIFT) < 0) code |= kShiftMask;
    if (GetKeyState(VK_CONTROL) < 0) code |= kCtrlMask;
    if (GetKeyState(VK_MENU) < 0) code |= kAltMask;
    for (TActionList* list : actionLists_) {
        TAction* action = list->FindShortCut(code);
        if (!action) continue;
        if (action->YieldsToControls() && !(code & kCtrlMask) && !KeyFreeForActions(msg.hwnd)) return false;
        return action->Execute();
    }
    return false;
}

bool TApplication::HandleMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    Dispatch(msg);
    return true;
}

void TApplication::HandleKeyMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) Dispatch(msg);
}

void TApplication::Dispatch(MSG& msg) {
    try {
        if (IsShortCut(msg)) return;
    } catch (...) {
        HandleException(std::current_exception());
        return;
    }
    HWND dialog = GetAncestor(msg.hwnd, GA_ROOT);
    if (auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(dialog));
        form && form->DialogKeys() && IsDialogMessageW(dialog, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void TApplication::Run(int showCommand) {
    if (mainForm_) mainForm_->ShowAtStart(showCommand);
    while (!terminated_) {
        MSG peek;
        if (!PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            Idle();
            WaitMessage();
        }
        HandleMessage();
    }
}

void TApplication::Idle() {
    if (OnIdle) {
        try {
            OnIdle();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
    // The queue is empty, paints included: the first time the main window is
    // on screen, it has been painted completely. A start-up benchmark may ask
    // to be told (PELMA_PAINTED_EVENT names an event to set).
    if (paintedReported_ || !mainForm_ || !IsWindowVisible(mainForm_->Handle())) return;
    paintedReported_ = true;
    wchar_t name[128];
    if (GetEnvironmentVariableW(L"PELMA_PAINTED_EVENT", name, 128)) {
        if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
            SetEvent(event);
            CloseHandle(event);
        }
    }
    FinishStartup();
}

void TApplication::AfterFirstPaint(std::function<void()> work) {
    startupWork_.push_back(std::move(work));
    if (paintedReported_) FinishStartup();
}

void TApplication::FinishStartup() {
    auto work = std::move(startupWork_);
    startupWork_.clear();
    for (auto& w : work) {
        try {
            w();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
}

void TApplication::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::HandleException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        // The silent kind.
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
    } catch (const std::bad_alloc&) {
        ShowErrorMessage(L"メモリが不足しています");
    } catch (const std::exception& e) {
        std::string what = e.what();
        ShowErrorMessage(std::wstring(what.begin(), what.end()));
    } catch (...) {
        ShowErrorMessage(L"原因不明のエラー");
    }
}

void TApplication::ShowErrorMessage(const std::wstring& message) {
    // Every other window of the program is disabled while the box is up.
    DisabledWindows disabled{hwnd_, {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&disabled));
    messageBox_(hwnd_, WithFullStop(message), title_, MB_ICONSTOP | MB_OK);
    for (HWND h : disabled.list) EnableWindow(h, TRUE);
}

void TApplication::PostErrorMessage(const std::wstring& message) {
    postedErrors_.push_back(message);
    PostMessageW(hwnd_, kPostedErrorMessage, 0, 0);
}

UINT_PTR TApplication::AddTimer(TTimer* timer, UINT interval) {
    UINT_PTR id = nextTimerId_++;
    timers_.emplace_back(id, timer);
    SetTimer(hwnd_, id, interval, nullptr);
    return id;
}

void TApplication::RemoveTimer(UINT_PTR id) {
    KillTimer(hwnd_, id);
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [id](auto& p) { return p.first == id; }),
                  timers_.end());
}

LRESULT TApplication::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER: {
            auto it = std::find_if(timers_.begin(), timers_.end(), [wp](auto& p) { return p.first == wp; });
            if (it != timers_.end()) it->second->Tick();
            return 0;
        }
        case kPostedErrorMessage:
            if (!postedErrors_.empty()) {
                std::wstring message = postedErrors_.front();
                postedErrors_.erase(postedErrors_.begin());
                ShowErrorMessage(message);
            }
            return 0;
        case WM_SETTINGCHANGE:
            if (OnSettingChange) OnSettingChange();
            return 0;
        case WM_CLOSE:
            if (mainForm_) mainForm_->Close();
            return 0;
        default:
            return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TApplication& app = Application();
    if (app.hwnd_ != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return app.Handle(msg, wp, lp);
    } catch (...) {
        app.HandleException(std::current_exception());
        return 0;
    }
}

}  // namespace pelma::ui
