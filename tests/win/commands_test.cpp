// The ways a file is chosen (Open dialog, drops from the shell), the actions
// with their shortcut keys, buttons and context menus, the Exit button and the
// About box.
#include <windows.h>
#include <mmsystem.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "app/about_box.h"
#include "harness.h"
#include "media/media_player.h"
#include "picture_files.h"
#include "ui/application.h"
#include "view/picture_graphics.h"
#include "view/read_ahead.h"
#include "view/rich_edit.h"

namespace pelma::test {
namespace {

// Handles every queued message as the application's loop does (shortcut
// keys and dialog keys included).
void Loop() {
    while (ui::Application().HandleMessage()) {
    }
}

// Keeps handling messages until `done` holds or two seconds have passed.
template <typename Pred>
bool LoopUntil(Pred done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 2000) return false;
        if (!ui::Application().HandleMessage()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// Records which windows were activated or given the keyboard focus while it
// lives. (Focus and front are shared with the other test processes on this
// desktop and may already have moved on when the test looks.)
class MessageRecorder {
public:
    MessageRecorder() {
        seen().clear();
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &Record, nullptr, GetCurrentThreadId());
    }
    ~MessageRecorder() { UnhookWindowsHookEx(hook_); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    void Clear() { seen().clear(); }
    bool Activated(HWND h) const { return Has(h, WM_ACTIVATE); }
    bool Focused(HWND h) const { return Has(h, WM_SETFOCUS); }

private:
    static std::vector<std::pair<HWND, UINT>>& seen() {
        static std::vector<std::pair<HWND, UINT>> list;
        return list;
    }
    static LRESULT CALLBACK Record(int code, WPARAM wp, LPARAM lp) {
        auto* m = reinterpret_cast<CWPSTRUCT*>(lp);
        if (code == HC_ACTION &&
            (m->message == WM_SETFOCUS || (m->message == WM_ACTIVATE && m->wParam != WA_INACTIVE)))
            seen().emplace_back(m->hwnd, m->message);
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static bool Has(HWND h, UINT msg) {
        return std::find(seen().begin(), seen().end(), std::make_pair(h, msg)) != seen().end();
    }
    HHOOK hook_;
};

// ---------------------------------------------------------------------------
// Drops from the shell

// A drop handle as the shell makes it: DROPFILES followed by the wide names,
// each ended by a zero, the list ended by another.
HDROP MakeDrop(const std::vector<std::wstring>& names) {
    std::size_t chars = 1;
    for (const auto& n : names) chars += n.size() + 1;
    HGLOBAL mem = GlobalAlloc(GHND | GMEM_SHARE, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    df->pt = {20, 40};
    df->fNC = FALSE;
    df->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(df) + sizeof(DROPFILES));
    for (const auto& n : names) {
        std::memcpy(p, n.c_str(), (n.size() + 1) * sizeof(wchar_t));
        p += n.size() + 1;
    }
    *p = L'\0';
    GlobalUnlock(mem);
    return static_cast<HDROP>(mem);
}

class DroppedFiles : public MainWindowTest {
protected:
    // Posts the drop to the main window and lets the loop handle it.
    void Drop(const std::vector<std::wstring>& names) {
        HDROP drop = MakeDrop(names);
        ASSERT_TRUE(PostMessageW(Form().Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
        Loop();
        // (That the handler released the drop cannot be seen from here: the
        // freed handle is soon made again by the text box's own allocations.)
    }
    std::wstring Caption(const std::wstring& name) { return L" ファイル名 『 " + name + L" 』"; }
};

TEST_F(DroppedFiles, OneFileIsOpenedAndItsWindowComesToTheFront) {
    auto name = dir_.Write(L"dropped.txt", std::string("from the shell"));
    Form().ShowForm();
    // Another window of the program has the front when the drop arrives.
    TAboutBox about;
    about.ShowBox();
    // Top of the z-order, so that FindWindow meets it before the hidden main
    // windows of other test processes; the About box keeps the activation.
    SetWindowPos(Form().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    MessageRecorder seen;
    Drop({name});
    // The first window of the class comes to the front: ours, unless another
    // copy of the program (another test process) is found first.
    HWND first = FindWindowW(L"TPelmaForm1", nullptr);
    DWORD pid = 0;
    GetWindowThreadProcessId(first, &pid);
    EXPECT_TRUE(seen.Activated(Form().Handle()) || pid != GetCurrentProcessId());
    EXPECT_EQ(Form().Caption(), Caption(L"dropped.txt"));
    EXPECT_EQ(Form().Memo1->Text(), L"from the shell");
    EXPECT_TRUE(Form().Memo1->Visible());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(DroppedFiles, OnlyTheFirstOfSeveralIsOpened) {
    auto a = dir_.Write(L"b-first.txt", std::string("first"));
    auto b = dir_.Write(L"a-second.txt", std::string("second"));
    auto c = dir_.Write(L"c-third.bmp", BitmapFile(8, 8, 0xFF0000));
    Drop({a, b, c});
    EXPECT_EQ(Form().Caption(), Caption(L"b-first.txt"));
    EXPECT_EQ(Form().Memo1->Text(), L"first");
    EXPECT_FALSE(Form().SpeedButton4->Visible());  // the picture was not opened after it
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(DroppedFiles, AFolderIsPassedOnLikeAFile) {
    auto folder = dir_.File(L"a folder.d");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    Drop({folder});
    EXPECT_EQ(Form().Caption(), Caption(L"a folder.d"));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"ファイルへのアクセスが拒否されました.");
}

// Folders made one inside the other, removed again at the end.
class DeepFolder {
public:
    explicit DeepFolder(const std::wstring& base) : path_(L"\\\\?\\" + base) {
        for (int i = 0; i < 6; ++i) {
            path_ += L"\\" + std::wstring(48, static_cast<wchar_t>(L'a' + i)) + L"階層";
            if (!CreateDirectoryW(path_.c_str(), nullptr)) break;
            made_.push_back(path_);
        }
    }
    ~DeepFolder() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveDirectoryW(it->c_str());
    }
    const std::wstring& Path() const { return path_; }
    std::size_t Depth() const { return made_.size(); }

private:
    std::wstring path_;
    std::vector<std::wstring> made_;
};

TEST_F(DroppedFiles, ALongNameIsTakenWhole) {
    DeepFolder deep(dir_.Path());
    ASSERT_EQ(deep.Depth(), 6u);
    const std::wstring name = deep.Path() + L"\\長いパスの中のファイル.txt";
    ASSERT_GT(name.size(), 300u);
    ASSERT_GT(WideCharToMultiByte(932, 0, name.c_str(), -1, nullptr, 0, nullptr, nullptr), 340);
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    WriteFile(h, "deep inside", 11, &n, nullptr);
    CloseHandle(h);
    // A cut name would name no file at all.
    Drop({name});
    EXPECT_TRUE(Boxes().empty()) << Narrow(Boxes().empty() ? L"" : Boxes()[0].text);
    EXPECT_EQ(Form().Caption(), Caption(L"長いパスの中のファイル.txt"));
    EXPECT_EQ(Form().Memo1->Text(), L"deep inside");
    EXPECT_EQ(Form().Label1->Caption(), L" 11 byt");
    DeleteFileW(name.c_str());
}

TEST_F(DroppedFiles, NamesOutsideTheJapaneseCodePageOpen) {
    // Korean and an emoji (a surrogate pair): neither has a code page 932 form.
    const std::wstring leaf = L"한국어 문서 \U0001F600.txt";
    auto name = dir_.Write(leaf, std::string("annyeong"));
    BOOL lossy = FALSE;
    WideCharToMultiByte(932, 0, leaf.c_str(), -1, nullptr, 0, nullptr, &lossy);
    ASSERT_TRUE(lossy);
    Drop({name});
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form().Caption(), Caption(leaf));
    EXPECT_EQ(Form().Memo1->Text(), L"annyeong");
}

// ---------------------------------------------------------------------------
// The Open button and its dialog

struct DialogCall {
    HWND owner = nullptr;
    std::wstring filter;  // separators shown as '|'
    DWORD filterIndex = 0;
    DWORD flags = 0;
    bool title = false;
    bool initialDir = false;
    std::wstring offered;  // the name the dialog starts with
    DWORD capacity = 0;
};

class OpenDialog : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Form().OpenDialogExecute = [this](OPENFILENAMEW* ofn) {
            DialogCall call;
            call.owner = ofn->hwndOwner;
            for (const wchar_t* p = ofn->lpstrFilter; p && *p; p += std::wcslen(p) + 1) {
                if (!call.filter.empty()) call.filter += L'|';
                call.filter += p;
            }
            call.filterIndex = ofn->nFilterIndex;
            call.flags = ofn->Flags;
            call.title = ofn->lpstrTitle != nullptr;
            call.initialDir = ofn->lpstrInitialDir != nullptr;
            call.offered = ofn->lpstrFile;
            call.capacity = ofn->nMaxFile;
            EXPECT_EQ(ofn->lStructSize, sizeof(OPENFILENAMEW));
            calls_.push_back(call);
            if (answer_.empty()) return FALSE;  // cancelled
            EXPECT_LT(answer_.size(), ofn->nMaxFile);
            std::memcpy(ofn->lpstrFile, answer_.c_str(), (answer_.size() + 1) * sizeof(wchar_t));
            return TRUE;
        };
    }
    // Clicks the Open button with the mouse.
    void ClickOpen() {
        HWND bar = Form().CoolBar1->Handle();
        LPARAM at = MAKELPARAM(Form().SpeedButton1->Left() + 10, Form().SpeedButton1->Top() + 10);
        PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(bar, WM_LBUTTONUP, 0, at);
        Loop();
    }

    std::vector<DialogCall> calls_;
    std::wstring answer_;
};

TEST_F(OpenDialog, FilterAndOptionsAndTheLastNameOfferedAgain) {
    auto name = dir_.Write(L"chosen.txt", std::string("chosen text"));
    answer_ = name;
    ClickOpen();
    ASSERT_EQ(calls_.size(), 1u);
    const DialogCall& c = calls_[0];
    EXPECT_EQ(c.owner, Form().Handle());
    EXPECT_EQ(c.filter,
              L"全てのファイル (*.*)|*.*|メディアファイル (*.AVI,*.MPG)|*.avi;*.mpg;*.mpeg|"
              L"MIDI ファイル (*.MID,*.RMI)|*.mid;*.rmi|Wave ファイル (*.WAV)|*.wav;*.mp3|"
              L"画像ファイル (*.BMP,*.ICO,*.EMF,*.WMF,*.JPG,*.PNG,*.GIF,*.WEBP,*.TIF,*.HEIC,*.AVIF)|"
              L"*.bmp;*.ico;*.emf;*.wmf;*.jpg;*.jpeg;*.png;*.apng;*.gif;*.webp;"
              L"*.tif;*.tiff;*.heic;*.heif;*.hif;*.avif");
    EXPECT_EQ(c.filterIndex, 1u);
    // Read-only box hidden, resizable; no existence checks, one file only.
    EXPECT_TRUE(c.flags & OFN_HIDEREADONLY);
    EXPECT_TRUE(c.flags & OFN_ENABLESIZING);
    EXPECT_EQ(c.flags & ~static_cast<DWORD>(OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER), 0u);
    EXPECT_FALSE(c.title);
    EXPECT_FALSE(c.initialDir);
    EXPECT_EQ(c.offered, L"");
    EXPECT_GE(c.capacity, 260u);
    EXPECT_EQ(Form().Caption(), L" ファイル名 『 chosen.txt 』");
    EXPECT_EQ(Form().Memo1->Text(), L"chosen text");

    // The next time the dialog starts with that name; cancelling changes nothing.
    answer_.clear();
    const std::wstring label = Form().Label1->Caption();
    ClickOpen();
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_EQ(calls_[1].offered, name);
    EXPECT_EQ(calls_[1].filterIndex, 1u);
    EXPECT_EQ(Form().Caption(), L" ファイル名 『 chosen.txt 』");
    EXPECT_EQ(Form().Memo1->Text(), L"chosen text");
    EXPECT_TRUE(Form().Memo1->Visible());
    EXPECT_EQ(Form().Label1->Caption(), label);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(OpenDialog, ATypedNameOfNoFileFailsInViewFile) {
    answer_ = dir_.File(L"typed but missing.txt");
    ClickOpen();
    ASSERT_EQ(calls_.size(), 1u);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"ファイルが見つかりません.");
    EXPECT_EQ(Form().Caption(), L" ファイル名 『 typed but missing.txt 』");
    // The program goes on: the next choice opens.
    answer_ = dir_.Write(L"song.mp2", std::string("ID3\x03\x00", 5));
    ClickOpen();
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Form().Memo1->Text(), L"0000 : 49 44 33 03 00 \r\n");
    EXPECT_EQ(calls_.back().offered, dir_.File(L"typed but missing.txt"));
}

// ---------------------------------------------------------------------------
// Shortcut keys

// Presses `key` (with Ctrl and Shift when asked) on `focus`, the window that
// has the keyboard focus, through the application's loop. Returns true when
// the key reached the window (a character came of it), false when it was
// consumed. (SendInput works under Wine as well, but its keys go to whatever
// window is in front, and ctest runs several test processes on one display.)
bool PressKey(HWND focus, WORD key, bool ctrl, bool shift = false) {
    Loop();
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
    state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(focus, WM_KEYDOWN, key, MAKELPARAM(1, scan));
    ui::Application().HandleMessage();
    MSG m;
    const bool reached = PeekMessageW(&m, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE) != FALSE;
    PostMessageW(focus, WM_KEYUP, key, MAKELPARAM(1, scan | KF_UP | KF_REPEAT));
    Loop();
    state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_SHIFT] = state[VK_LSHIFT] = 0;
    SetKeyboardState(state);
    return reached;
}

class ShortcutKeys : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Form().ShowForm();
        SetForegroundWindow(Form().Handle());
        SetFocus(Form().Handle());
        Loop();
    }
    void TearDown() override {
        about_.reset();
        MainWindowTest::TearDown();
    }
    // Shows the About box and gives it the keyboard focus.
    void FocusAboutBox() {
        about_ = std::make_unique<TAboutBox>();
        Form().ActAbout->Execute();
        ASSERT_TRUE(IsWindowVisible(about_->Handle()));
        Refocus();
    }
    // The display-mode commands activate the main window: give the focus back.
    void Refocus() {
        if (!about_) return;
        SetForegroundWindow(about_->Handle());
        SetFocus(about_->OKButton->Handle());
        Loop();
    }
    HWND Focus() { return about_ ? about_->OKButton->Handle() : Form().Handle(); }
    bool Ctrl(WORD key) {
        Refocus();
        return PressKey(Focus(), key, true);
    }
    // Runs every shortcut once with its action enabled, then again disabled.
    void EveryShortcutOnce() {
        TPelmaForm1& f = Form();
        // Ctrl+S: the movie reduce command.
        ASSERT_TRUE(f.ActMovS->Enabled());
        EXPECT_FALSE(Ctrl('S'));
        EXPECT_FALSE(f.ActMovS->Enabled());
        EXPECT_EQ(f.ClientWidth(), layout::kMediaClientWidth);
        EXPECT_TRUE(f.KakudaiButton->Visible());
        f.SetClientWidth(400);
        Ctrl('S');
        EXPECT_EQ(f.ClientWidth(), 400);

        // Ctrl+F: full screen.
        ASSERT_TRUE(f.ActFullScreen->Enabled());
        EXPECT_FALSE(Ctrl('F'));
        EXPECT_FALSE(f.ActFullScreen->Enabled());
        EXPECT_FALSE(f.CoolBar1->Visible());
        EXPECT_TRUE(f.ActMovS->Enabled());
        f.CoolBar1->Show();
        Ctrl('F');
        EXPECT_TRUE(f.CoolBar1->Visible());

        // Ctrl+L: enlarge to the work area.
        ASSERT_TRUE(f.ActMovL->Enabled());
        EXPECT_FALSE(Ctrl('L'));
        EXPECT_FALSE(f.ActMovL->Enabled());
        EXPECT_TRUE(f.ShukushouButton->Visible());
        EXPECT_FALSE(f.KakudaiButton->Visible());
        f.KakudaiButton->Show();
        Ctrl('L');
        EXPECT_TRUE(f.KakudaiButton->Visible());
    }
    std::unique_ptr<TAboutBox> about_;
};

TEST_F(ShortcutKeys, RunOnlyEnabledActionsFromTheMainWindow) {
    EveryShortcutOnce();
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ShortcutKeys, WorkWhileTheAboutBoxHasTheFocus) {
    FocusAboutBox();
    EveryShortcutOnce();
    EXPECT_TRUE(IsWindowVisible(about_->Handle()));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ShortcutKeys, WorkInTheTextBoxAndNeedCtrlAlone) {
    Open(dir_.Write(L"t.txt", std::string("text")));
    HWND memo = Form().Memo1->Handle();
    SetFocus(memo);
    // Without Ctrl, or with Shift as well, the key is the text box's own.
    EXPECT_TRUE(PressKey(memo, 'S', false));
    EXPECT_TRUE(PressKey(memo, 'S', true, true));
    EXPECT_TRUE(Form().ActMovS->Enabled());
    EXPECT_FALSE(PressKey(memo, 'S', true));
    EXPECT_FALSE(Form().ActMovS->Enabled());
}

TEST_F(ShortcutKeys, NothingWhileTheMainWindowIsDisabled) {
    FocusAboutBox();
    EnableWindow(Form().Handle(), FALSE);
    for (WORD key : {'S', 'L', 'F'}) EXPECT_TRUE(PressKey(Focus(), key, true));
    EnableWindow(Form().Handle(), TRUE);
    EXPECT_TRUE(Form().ActMovS->Enabled());
    EXPECT_TRUE(Form().ActMovL->Enabled());
    EXPECT_TRUE(Form().ActFullScreen->Enabled());
}

// ---------------------------------------------------------------------------
// Bound buttons and context menus

struct MenuLine {
    std::wstring text;  // empty for a separator
    bool separator;
    bool enabled;
    bool operator==(const MenuLine&) const = default;
};

void PrintTo(const MenuLine& l, std::ostream* os) {
    *os << (l.separator ? "-" : Narrow(l.text)) << (l.enabled ? "" : " (greyed)");
}

std::vector<MenuLine> ReadMenu(HMENU menu) {
    std::vector<MenuLine> lines;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        wchar_t text[128] = L"";
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        lines.push_back({text, separator, separator || (info.fState & MFS_GRAYED) == 0});
    }
    return lines;
}

std::vector<MenuLine> Built(const ui::TPopupMenu& popup) {
    HMENU menu = popup.BuildMenu();
    auto lines = ReadMenu(menu);
    DestroyMenu(menu);
    return lines;
}

// The steps through the folder close both menus.
std::vector<MenuLine> WithSteps(std::vector<MenuLine> lines) {
    lines.insert(lines.end(),
                 {{L"", true, true}, {L"次のファイル\t→", false, true}, {L"前のファイル\t←", false, true}});
    return lines;
}

std::vector<MenuLine> Menu1(bool s, bool l, bool f) {
    return WithSteps({{L"縮小\tCtrl+S", false, s},
                      {L"", true, true},
                      {L"拡大\tCtrl+L", false, l},
                      {L"", true, true},
                      {L"全画面\tCtrl+F", false, f},
                      {L"", true, true},
                      {L"バージョン情報", false, true}});
}

std::vector<MenuLine> Menu2(bool s, bool l, bool fit = true) {
    return WithSteps({{L"縮小", false, s},
                      {L"", true, true},
                      {L"実寸", false, l},
                      {L"", true, true},
                      {L"バージョン情報", false, true},
                      {L"", true, true},
                      {L"全体表示\tF", false, fit}});
}

using Commands = MainWindowTest;

TEST_F(Commands, MenusAndButtonsFollowThePictureAndMovieCommands) {
    TPelmaForm1& f = Form();
    EXPECT_EQ(Built(*f.PopupMenu1), Menu1(true, true, true));
    EXPECT_EQ(Built(*f.PopupMenu2), Menu2(true, true));

    // A picture smaller than the window is shown at its actual size.
    Open(dir_.Write(L"small.bmp", BitmapFile(40, 30, 0x00FF00)));
    EXPECT_EQ(Built(*f.PopupMenu2), Menu2(true, false));
    EXPECT_TRUE(f.SpeedButton4->Enabled());
    EXPECT_FALSE(f.SpeedButton2->Enabled());
    f.SpeedButton4->Click();  // reduce
    EXPECT_EQ(Built(*f.PopupMenu2), Menu2(false, true));
    EXPECT_TRUE(f.SpeedButton2->Visible());
    // A greyed button does nothing.
    f.SpeedButton2->Hide();
    f.SpeedButton4->Show();
    f.SpeedButton4->Click();
    EXPECT_TRUE(f.SpeedButton4->Visible());
    f.SpeedButton2->Click();  // actual size again
    EXPECT_EQ(Built(*f.PopupMenu2), Menu2(true, false));

    f.ActMovSExecute();
    EXPECT_EQ(Built(*f.PopupMenu1), Menu1(false, true, true));
    EXPECT_FALSE(f.ShukushouButton->Enabled());
    EXPECT_TRUE(f.KakudaiButton->Enabled());
    f.ActFullScreenExecute();
    EXPECT_EQ(Built(*f.PopupMenu1), Menu1(true, true, false));
    EXPECT_FALSE(f.FullScreen->Enabled());
    f.ActMovLExecute();
    EXPECT_EQ(Built(*f.PopupMenu1), Menu1(true, false, true));
    EXPECT_FALSE(f.KakudaiButton->Enabled());
    EXPECT_TRUE(f.FullScreen->Enabled());
    EXPECT_EQ(f.FullScreen->Caption(), L"全画面");
    EXPECT_EQ(f.KakudaiButton->Caption(), L"拡大");
    EXPECT_EQ(f.ShukushouButton->Caption(), L"縮小");
    // The picture menu did not move with the movie commands.
    EXPECT_EQ(Built(*f.PopupMenu2), Menu2(true, false));
}

// What the timer saw of the menu that was up, and what it then did to it.
struct MenuProbe {
    bool fired = false;
    bool interrupted = false;     // the menu lost the front while it was up
    std::vector<MenuLine> lines;  // empty: no menu of ours was up
    std::vector<WORD> keys;       // pressed in the menu; none: the menu is cancelled
};
MenuProbe g_probe;

// Another program's window coming to the front closes a menu that is up.
LRESULT CALLBACK WatchMenu(int code, WPARAM wp, LPARAM lp) {
    auto* m = reinterpret_cast<CWPSTRUCT*>(lp);
    if (code == HC_ACTION && ui::TPopupMenu::ShownMenu() &&
        (m->message == WM_CANCELMODE || (m->message == WM_ACTIVATE && m->wParam == WA_INACTIVE)))
        g_probe.interrupted = true;
    return CallNextHookEx(nullptr, code, wp, lp);
}

VOID CALLBACK ProbeMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_probe.fired = true;
    HMENU menu = ui::TPopupMenu::ShownMenu();
    if (menu) g_probe.lines = ReadMenu(menu);
    if (!menu || g_probe.keys.empty()) {
        EndMenu();
        return;
    }
    for (WORD key : g_probe.keys) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
    }
}

class ContextMenus : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Form().ShowForm();
        SetForegroundWindow(Form().Handle());
        watch_ = SetWindowsHookExW(WH_CALLWNDPROC, &WatchMenu, nullptr, GetCurrentThreadId());
    }
    void TearDown() override {
        UnhookWindowsHookEx(watch_);
        MainWindowTest::TearDown();
    }
    HHOOK watch_ = nullptr;
    // Right-clicks the window at a client point; returns the menu that came up.
    std::vector<MenuLine> RightClick(HWND hwnd, int x, int y, std::vector<WORD> keys = {}) {
        return Request(keys, [=] {
            PostMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
            PostMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
        });
    }
    // The context-menu key on the window (a request without a point).
    std::vector<MenuLine> MenuKey(HWND hwnd) {
        return Request({}, [=] {
            PostMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(-1, -1));
        });
    }
    // Makes the request and reads the menu that comes up. A menu closes when
    // another program's window comes to the front, and other test processes
    // share this desktop: a request whose menu was closed so is made again.
    template <typename Post>
    std::vector<MenuLine> Request(const std::vector<WORD>& keys, Post post) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            g_probe = MenuProbe{};
            g_probe.keys = keys;
            SetTimer(nullptr, 0, 30, &ProbeMenu);
            post();
            EXPECT_TRUE(LoopUntil([] { return g_probe.fired; }));
            Loop();
            EXPECT_EQ(ui::TPopupMenu::ShownMenu(), nullptr);
            if (!g_probe.lines.empty() && !g_probe.interrupted) break;
        }
        return g_probe.lines;
    }
    // A point of a graphic control in its parent's client coordinates.
    static POINT Inside(const ui::TControl& c) {
        return {c.Left() + c.Width() / 2, c.Top() + c.Height() / 2};
    }
};

TEST_F(ContextMenus, LabelPictureAndToolBarShowTheWindowsMenu) {
    TPelmaForm1& f = Form();
    const auto menu2 = Menu2(true, true);
    POINT label = Inside(*f.DDLabel);
    EXPECT_EQ(RightClick(f.ScrollBox1->Handle(), label.x, label.y), menu2);
    // Away from the labels: the splash picture.
    EXPECT_EQ(RightClick(f.ScrollBox1->Handle(), 3, f.ScrollBox1->ClientHeight() - 3), menu2);
    POINT exit = Inside(*f.SpeedButton3);
    EXPECT_EQ(RightClick(f.CoolBar1->Handle(), exit.x, exit.y), menu2);
    EXPECT_EQ(RightClick(f.CoolBar1->Handle(), f.CoolBar1->Width() - 5, 5), menu2);
    EXPECT_EQ(MenuKey(f.Handle()), menu2);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ContextMenus, MovieControlsShowTheMovieMenu) {
    TPelmaForm1& f = Form();
    f.ActMovSExecute();  // shows the bottom panel with the movie controls
    f.DisplayPanel->Show();
    const auto menu1 = Menu1(false, true, true);
    EXPECT_EQ(RightClick(f.Panel2->Handle(), f.Panel2->Width() - 3, 3), menu1);
    EXPECT_EQ(RightClick(f.WideMode->Handle(), 3, 3), menu1);
    EXPECT_EQ(RightClick(f.MediaPlayer1->Handle(), 3, 3), menu1);
    EXPECT_EQ(RightClick(f.DisplayPanel->Handle(), 10, 10), menu1);
    f.TrackBar1->Show();
    EXPECT_EQ(RightClick(f.TrackBar1->Handle(), 3, 3), menu1);
}

TEST_F(ContextMenus, TextBoxesTakeTheFocusAndShowTheWindowsMenu) {
    TPelmaForm1& f = Form();
    Open(dir_.Write(L"t.txt", std::string("text")));
    MessageRecorder seen;
    SetFocus(f.Handle());
    seen.Clear();
    EXPECT_EQ(RightClick(f.Memo1->Handle(), 10, 10), Menu2(true, true));
    EXPECT_TRUE(seen.Focused(f.Memo1->Handle()));
    EXPECT_EQ(MenuKey(f.Memo1->Handle()), Menu2(true, true));

    f.Memo1->Hide();
    f.RichEdit1->Show();
    SetFocus(f.Handle());
    seen.Clear();
    EXPECT_EQ(RightClick(f.RichEdit1->Handle(), 10, 10), Menu2(true, true));
    EXPECT_TRUE(seen.Focused(f.RichEdit1->Handle()));
}

TEST_F(ContextMenus, TheTitleBarKeepsTheSystemMenu) {
    RECT r;
    GetWindowRect(Form().Handle(), &r);
    g_probe = MenuProbe{};
    SetTimer(nullptr, 0, 30, &ProbeMenu);
    PostMessageW(Form().Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Form().Handle()),
                 MAKELPARAM(r.left + 60, r.top + 8));
    EXPECT_TRUE(LoopUntil([] { return g_probe.fired; }));
    Loop();
    EXPECT_TRUE(g_probe.lines.empty());
}

TEST_F(ContextMenus, ChosenItemsRunTheirActionsAndGreyedOnesDoNot) {
    TPelmaForm1& f = Form();
    Open(dir_.Write(L"small.bmp", BitmapFile(40, 30, 0x00FF00)));
    ASSERT_FALSE(f.ActL->Enabled());
    POINT at = Inside(*f.Image1);
    // The first item: reduce.
    EXPECT_EQ(RightClick(f.ScrollBox1->Handle(), at.x, at.y, {VK_DOWN, VK_RETURN}), Menu2(true, false));
    EXPECT_FALSE(f.ActS->Enabled());
    EXPECT_TRUE(f.SpeedButton2->Visible());
    // Now the first item is greyed: choosing it does nothing.
    f.SetClientWidth(300);
    at = Inside(*f.Image1);
    EXPECT_EQ(RightClick(f.ScrollBox1->Handle(), at.x, at.y, {VK_HOME, VK_RETURN, VK_ESCAPE}),
              Menu2(false, true));
    EXPECT_EQ(f.ClientWidth(), 300);
    // The About item, above the fit item and the two steps, shows the About box.
    TAboutBox about;
    EXPECT_EQ(RightClick(f.ScrollBox1->Handle(), at.x, at.y, {VK_END, VK_UP, VK_UP, VK_UP, VK_RETURN}),
              Menu2(false, true));
    EXPECT_TRUE(IsWindowVisible(about.Handle()));
}

// ---------------------------------------------------------------------------
// Closing the main window

// How many devices of the media control interface are open in this process.
int OpenMediaDevices() {
    MCI_SYSINFO_PARMSW p{};
    DWORD count = 0;
    p.lpstrReturn = reinterpret_cast<LPWSTR>(&count);
    p.dwRetSize = sizeof count;
    mciSendCommandW(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_QUANTITY | MCI_SYSINFO_OPEN,
                    reinterpret_cast<DWORD_PTR>(&p));
    return static_cast<int>(count);
}

// A short silent WAV file.
std::vector<std::uint8_t> WaveFile() {
    const std::uint32_t rate = 8000, samples = 4000;
    std::vector<std::uint8_t> b(44 + samples, 0x80);
    auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    std::memcpy(&b[0], "RIFF", 4);
    put(4, static_cast<std::uint32_t>(b.size() - 8), 4);
    std::memcpy(&b[8], "WAVEfmt ", 8);
    put(16, 16, 4);
    put(20, 1, 2);
    put(22, 1, 2);
    put(24, rate, 4);
    put(28, rate, 4);
    put(32, 1, 2);
    put(34, 8, 2);
    std::memcpy(&b[36], "data", 4);
    put(40, samples, 4);
    return b;
}

class Closing : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // The loop ends once per process; ctest runs every test in its own.
        if (ui::Application().Terminated()) GTEST_SKIP() << "the message loop already ended in this process";
    }
};

TEST_F(Closing, TheExitButtonEndsTheLoop) {
    Open(dir_.Write(L"sound.wav", WaveFile()));
    HWND bar = Form().CoolBar1->Handle();
    POINT at = {Form().SpeedButton3->Left() + 10, Form().SpeedButton3->Top() + 10};
    // The click waits in the queue for the loop that Run starts.
    PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    ui::Application().Run(SW_SHOWNORMAL);
    EXPECT_TRUE(ui::Application().Terminated());
    EXPECT_FALSE(IsWindowVisible(Form().Handle()));
    EXPECT_EQ(Form().Caption(), L" ファイル名 『 sound.wav 』");
    EXPECT_TRUE(Boxes().empty()) << Narrow(Boxes().empty() ? L"" : Boxes()[0].text);
    // Destroying the controls closes the media device.
    EXPECT_EQ(OpenMediaDevices(), 1);
    form_.reset();
    EXPECT_EQ(OpenMediaDevices(), 0);
}

TEST_F(Closing, TheCloseBoxEndsTheLoop) {
    PostMessageW(Form().Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ui::Application().Run(SW_SHOWNORMAL);
    EXPECT_TRUE(ui::Application().Terminated());
    EXPECT_FALSE(IsWindowVisible(Form().Handle()));
}

TEST_F(Closing, AltF4EndsTheLoop) {
    PostMessageW(Form().Handle(), WM_SYSKEYDOWN, VK_F4, MAKELPARAM(1, MapVirtualKeyW(VK_F4, 0) | KF_ALTDOWN));
    ui::Application().Run(SW_SHOWNORMAL);
    EXPECT_TRUE(ui::Application().Terminated());
    EXPECT_FALSE(IsWindowVisible(Form().Handle()));
}

// ---------------------------------------------------------------------------
// The About box

class AboutCommand : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        about_ = std::make_unique<TAboutBox>();
        Form().ShowForm();
    }
    void TearDown() override {
        about_.reset();
        MainWindowTest::TearDown();
    }
    TAboutBox& Box() { return *about_; }
    POINT Centred() {
        RECT r;
        GetWindowRect(Box().Handle(), &r);
        int left = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
        int top = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
        return {left < 0 ? 0 : left, top < 0 ? 0 : top};
    }
    POINT Where() {
        RECT r;
        GetWindowRect(Box().Handle(), &r);
        return {r.left, r.top};
    }

    std::unique_ptr<TAboutBox> about_;
};

// The program makes its About box once the main window is painted; a command
// that comes sooner makes it then and shows it.
class StartupWork : public MainWindowTest {};

TEST_F(StartupWork, AboutCommandBeforeTheBoxIsMadeMakesAndShowsIt) {
    std::unique_ptr<TAboutBox> box;
    int made = 0;
    ui::Application().AfterFirstPaint([&] {
        ++made;
        box = std::make_unique<TAboutBox>();
    });
    Form().ActAbout->Execute();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsWindowVisible(box->Handle()));
    ui::Application().FinishStartup();  // done once only
    EXPECT_EQ(made, 1);
    box.reset();
}

void ExpectLabel(const ui::TLabel& l, const wchar_t* caption, int left, int top, int height, bool bold,
                 COLORREF color) {
    SCOPED_TRACE(Narrow(caption));
    EXPECT_EQ(l.Caption(), caption);
    EXPECT_EQ(l.Left(), left);
    EXPECT_EQ(l.Top(), top);
    EXPECT_EQ(l.Font().Name, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(l.Font().Height, height);
    EXPECT_EQ(l.Font().Bold, bold);
    EXPECT_EQ(l.Font().Color, color);
    EXPECT_EQ(l.Font().Charset, SHIFTJIS_CHARSET);
    EXPECT_EQ(l.Parent(), AboutBox->Panel1.get());
    // Sized to the text.
    SIZE text = l.TextExtent();
    EXPECT_EQ(l.Width(), text.cx);
    EXPECT_EQ(l.Height(), text.cy);
}

TEST_F(AboutCommand, Template) {
    TAboutBox& b = Box();
    EXPECT_EQ(AboutBox, &b);
    EXPECT_FALSE(IsWindowVisible(b.Handle()));
    const LONG_PTR style = GetWindowLongPtrW(b.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongPtrW(b.Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    SIZE c = ClientSize(b.Handle());
    EXPECT_EQ(c.cx, 273);
    EXPECT_EQ(c.cy, 195);
    EXPECT_EQ(b.Caption(), L"バージョン情報");
    EXPECT_EQ(b.Color(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(b.Font().Name, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(b.Font().Height, 12);
    EXPECT_EQ(b.Font().Color, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(b.Font().Charset, SHIFTJIS_CHARSET);

    RECT p = b.Panel1->BoundsRect();
    EXPECT_EQ(p.left, 7);
    EXPECT_EQ(p.top, 7);
    EXPECT_EQ(p.right - p.left, 258);
    EXPECT_EQ(p.bottom - p.top, 148);
    EXPECT_EQ(b.Panel1->BevelInner, ui::TBevel::Raised);
    EXPECT_EQ(b.Panel1->BevelOuter, ui::TBevel::Lowered);
    EXPECT_EQ(b.Panel1->Color(), b.Color());

    // The film strip: 32 × 32 at 16 bits, stretched to the control.
    RECT i = b.ProgramIcon->BoundsRect();
    EXPECT_EQ(i.left, 7);
    EXPECT_EQ(i.top, 7);
    EXPECT_EQ(i.right - i.left, 60);
    EXPECT_EQ(i.bottom - i.top, 53);
    EXPECT_TRUE(b.ProgramIcon->Stretch());
    auto* bitmap = dynamic_cast<TBitmap*>(b.ProgramIcon->Picture().get());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 32);
    EXPECT_EQ(bitmap->Height(), 32);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(bitmap->Handle(), sizeof bm, &bm));
    EXPECT_EQ(bm.bmBitsPixel, 16);

    ExpectLabel(*b.ProductName, L"Pelma", 81, 7, 15, true, RGB(0, 0, 255));
    ExpectLabel(*b.Version, L"バージョン 3.4", 81, 30, 12, true, RGB(128, 0, 0));
    ExpectLabel(*b.Label1, L"Tovik", 176, 30, 13, true, RGB(0, 128, 0));
    EXPECT_NE(b.Copyright->Caption().find(L"Tovik"), std::wstring::npos);
    EXPECT_EQ(b.Copyright->Left(), 78);
    EXPECT_EQ(b.Copyright->Top(), 49);
    EXPECT_EQ(b.Copyright->Font(), b.Font());

    const ui::TLabel& cm = *b.Comments;
    EXPECT_EQ(cm.Caption(),
              L"Pelmaで編集は出来ませんが、      "
              L"静止画をはじめ動画や音声ファイル等大抵のファイルはそれなりに見れます");
    EXPECT_EQ(cm.BoundsRect().left, 5);
    EXPECT_EQ(cm.BoundsRect().top, 80);
    EXPECT_EQ(cm.Width(), 237);
    EXPECT_EQ(cm.Height(), 45);
    EXPECT_TRUE(cm.WordWrap);
    EXPECT_EQ(cm.Font().Height, 15);
    EXPECT_FALSE(cm.Font().Bold);
    EXPECT_EQ(cm.Font().Color, GetSysColor(COLOR_WINDOWTEXT));

    // The OK button, as it stands on the shown box.
    Form().ActAbout->Execute();
    RECT ok;
    GetWindowRect(b.OKButton->Handle(), &ok);
    MapWindowPoints(nullptr, b.Handle(), reinterpret_cast<POINT*>(&ok), 2);
    EXPECT_EQ(ok.left, 102);
    EXPECT_EQ(ok.top, 165);
    EXPECT_EQ(ok.right - ok.left, 69);
    EXPECT_EQ(ok.bottom - ok.top, 23);
    EXPECT_EQ(b.OKButton->Caption(), L"OK");
    EXPECT_EQ(GetWindowLongPtrW(b.OKButton->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    // Nothing in it changed on the way.
    EXPECT_EQ(ClientSize(b.Handle()).cx, 273);
    EXPECT_EQ(ClientSize(b.Handle()).cy, 195);
    EXPECT_EQ(cm.Width(), 237);
    EXPECT_EQ(cm.Height(), 45);
}

TEST_F(AboutCommand, CentredEachTimeItIsShownAndHiddenByOkCloseBoxAndAltF4) {
    TAboutBox& b = Box();
    const bool ended = ui::Application().Terminated();  // (only when the loop ran before in this process)
    Form().ActAbout->Execute();
    ASSERT_TRUE(IsWindowVisible(b.Handle()));
    POINT c = Centred();
    EXPECT_EQ(Where().x, c.x);
    EXPECT_EQ(Where().y, c.y);

    // Moved by the user, hidden with OK (Enter presses it), shown again: centred again.
    SetWindowPos(b.Handle(), nullptr, 12, 34, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetFocus(b.OKButton->Handle());
    PostMessageW(b.OKButton->Handle(), WM_KEYDOWN, VK_RETURN, MAKELPARAM(1, MapVirtualKeyW(VK_RETURN, 0)));
    Loop();
    EXPECT_FALSE(IsWindowVisible(b.Handle()));
    EXPECT_EQ(ui::Application().Terminated(), ended);
    Form().ActAbout->Execute();
    EXPECT_TRUE(IsWindowVisible(b.Handle()));
    EXPECT_EQ(Where().x, c.x);
    EXPECT_EQ(Where().y, c.y);

    // The close box.
    SetWindowPos(b.Handle(), nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PostMessageW(b.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Loop();
    EXPECT_FALSE(IsWindowVisible(b.Handle()));
    Form().ActAbout->Execute();
    EXPECT_EQ(Where().x, c.x);

    // Alt+F4.
    SetFocus(b.OKButton->Handle());
    PostMessageW(b.OKButton->Handle(), WM_SYSKEYDOWN, VK_F4,
                 MAKELPARAM(1, MapVirtualKeyW(VK_F4, 0) | KF_ALTDOWN));
    Loop();
    EXPECT_FALSE(IsWindowVisible(b.Handle()));

    // A click on OK.
    Form().ActAbout->Execute();
    SendMessageW(b.OKButton->Handle(), BM_CLICK, 0, 0);
    Loop();
    EXPECT_FALSE(IsWindowVisible(b.Handle()));
    EXPECT_EQ(ui::Application().Terminated(), ended);
    EXPECT_TRUE(IsWindow(Form().Handle()));
}

TEST_F(AboutCommand, ChoosingItAgainWhileVisibleDoesNothing) {
    TAboutBox& b = Box();
    Form().ActAbout->Execute();
    SetWindowPos(b.Handle(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // The user clicks the main window: the box falls behind it.
    SetForegroundWindow(Form().Handle());
    SetWindowPos(Form().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Loop();
    auto above = [&](HWND a, HWND b2) {
        for (HWND h = GetWindow(b2, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV))
            if (h == a) return true;
        return false;
    };
    ASSERT_TRUE(above(Form().Handle(), b.Handle()));
    Form().ActAbout->Execute();
    Loop();
    EXPECT_TRUE(above(Form().Handle(), b.Handle()));
    EXPECT_EQ(Where().x, 40);
    EXPECT_EQ(Where().y, 50);
    EXPECT_TRUE(IsWindowVisible(b.Handle()));
}

TEST_F(AboutCommand, TheMainWindowStaysUsableWhileItIsUp) {
    Form().ActAbout->Execute();
    ASSERT_TRUE(IsWindowVisible(Box().Handle()));
    EXPECT_TRUE(IsWindowEnabled(Form().Handle()));
    EXPECT_TRUE(IsWindowEnabled(Box().Handle()));
    // Files still open, by drop and by the Open dialog.
    auto a = dir_.Write(L"a.txt", std::string("dropped"));
    PostMessageW(Form().Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({a})), 0);
    Loop();
    EXPECT_EQ(Form().Memo1->Text(), L"dropped");
    auto b = dir_.Write(L"b.txt", std::string("chosen"));
    bool asked = false;
    Form().OpenDialogExecute = [&](OPENFILENAMEW* ofn) {
        asked = true;
        std::wcscpy(ofn->lpstrFile, b.c_str());
        return TRUE;
    };
    HWND bar = Form().CoolBar1->Handle();
    LPARAM at = MAKELPARAM(Form().SpeedButton1->Left() + 10, Form().SpeedButton1->Top() + 10);
    PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(bar, WM_LBUTTONUP, 0, at);
    Loop();
    EXPECT_TRUE(asked);
    EXPECT_EQ(Form().Memo1->Text(), L"chosen");
    // The tool-bar buttons bound to actions work too.
    Form().ActSExecute();
    EXPECT_FALSE(Form().ActS->Enabled());
    Form().SpeedButton2->Click();
    EXPECT_TRUE(Form().ActS->Enabled());
    EXPECT_TRUE(IsWindowVisible(Box().Handle()));
    EXPECT_TRUE(Boxes().empty());
}

// ---------------------------------------------------------------------------
// Stepping through the folder

class FolderSteps : public ShortcutKeys {
protected:
    void SetUp() override {
        ShortcutKeys::SetUp();
        // Pictures of three kinds, in an order only numbers tell, among files of other families.
        dir_.Write(L"IMG_9.bmp", BitmapFile(40, 30, 0x3366CC));
        dir_.Write(L"img_10.JPG", PlainJpeg(48, 32, 0xCC3333));
        dir_.Write(L"IMG_100.emf", pelma::testing::MakeEmf(0, 0, 1000, 1000, 1024, 768, 320, 240));
        dir_.Write(L"IMG_11.txt", std::string("text"));
        dir_.Write(L"IMG_12.rtf", std::string("{\\rtf1 rich}"));
        dir_.Write(L"IMG_13.txt", std::string("more text"));
        CreateDirectoryW(dir_.File(L"IMG_50.png").c_str(), nullptr);
        const std::wstring hidden = dir_.Write(L"IMG_60.bmp", BitmapFile(8, 8, 0));
        SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    std::wstring Shown() {
        const std::wstring c = Form().Caption();
        return c.size() > 11 ? c.substr(9, c.size() - 11) : c;
    }
    bool Press(WORD key, bool ctrl = false, HWND focus = nullptr) {
        const bool reached = PressKey(focus ? focus : Form().Handle(), key, ctrl);
        Loop();
        return reached;
    }
};

TEST_F(FolderSteps, KeysAndMenusGoThroughTheFamilyInExplorersOrderAndStopAtTheEnds) {
    Open(dir_.File(L"img_10.JPG"));
    for (WORD key : {VK_RIGHT, VK_NEXT, VK_SPACE}) {
        Press(VK_LEFT);
        EXPECT_EQ(Shown(), L"IMG_9.bmp");
        Press(key);
        EXPECT_EQ(Shown(), L"img_10.JPG") << key;
    }
    Press(VK_RIGHT);
    EXPECT_EQ(Shown(), L"IMG_100.emf");  // not the folder, not the hidden picture
    Press(VK_RIGHT);                     // the end: nothing opens, no box
    EXPECT_EQ(Shown(), L"IMG_100.emf");
    for (WORD key : {VK_BACK, VK_PRIOR}) {
        Press(key);
        EXPECT_EQ(Shown(), L"img_10.JPG") << key;
        Press(VK_RIGHT);
    }
    Press(VK_HOME);
    EXPECT_EQ(Shown(), L"IMG_9.bmp");
    Press(VK_END);
    EXPECT_EQ(Shown(), L"IMG_100.emf");
    // The menus carry the steps after their last item, each with its key.
    const auto& items = Form().PopupMenu2->Items;
    EXPECT_EQ(items[items.size() - 2].Text(), L"次のファイル\t→");
    EXPECT_EQ(items.back().Text(), L"前のファイル\t←");
    items.back().Action->Execute();
    Loop();
    EXPECT_EQ(Shown(), L"img_10.JPG");
    EXPECT_EQ(Form().PopupMenu1->Items.back().Action, Form().ActPrevFile);
    // The mouse's back and forward buttons.
    SendMessageW(Form().ScrollBox1->Handle(), WM_APPCOMMAND, 0, MAKELPARAM(0, APPCOMMAND_BROWSER_FORWARD));
    Loop();
    EXPECT_EQ(Shown(), L"IMG_100.emf");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FolderSteps, TextBoxesKeepTheirKeysAndCtrlStepsFromThem) {
    Open(dir_.File(L"IMG_11.txt"));
    SetFocus(Form().Memo1->Handle());
    Press(VK_RIGHT, false, Form().Memo1->Handle());
    EXPECT_EQ(Shown(), L"IMG_11.txt");
    Press(VK_RIGHT, true, Form().Memo1->Handle());
    EXPECT_EQ(Shown(), L"IMG_13.txt");  // the rich text is a family of its own
    Form().Panel2->Show();
    Form().TrackBar1->Show();
    Press(VK_LEFT, false, Form().TrackBar1->Handle());  // the slider's own key too
    EXPECT_EQ(Shown(), L"IMG_13.txt");
    Open(dir_.File(L"IMG_12.rtf"));
    Press(VK_RIGHT);
    EXPECT_EQ(Shown(), L"IMG_12.rtf");
    // Nothing to step from on the welcome screen of a new window.
    form_.reset();
    form_ = std::make_unique<TPelmaForm1>();
    Form().ShowForm();
    Press(VK_RIGHT);
    EXPECT_EQ(Form().Caption(), L"\u3000Pelma\u3000Ver 3.4\u3000Tovik");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FolderSteps, AddedDeletedAndDamagedFilesWhileBrowsing) {
    Open(dir_.File(L"IMG_9.bmp"));
    Press(VK_RIGHT);
    const int listings = Form().Browser().Listings();
    DeleteFileW(dir_.File(L"IMG_100.emf").c_str());
    dir_.Write(L"IMG_70.jpg", std::string("not a JPEG"));
    dir_.Write(L"IMG_80.bmp", BitmapFile(20, 20, 0x00FF00));
    Press(VK_RIGHT);
    EXPECT_EQ(Shown(), L"IMG_70.jpg");
    ASSERT_EQ(Boxes().size(), 1u);  // the damaged file says so, as when opened any other way
    EXPECT_EQ(Boxes()[0].text, L"JPEG エラー #53.");
    Press(VK_RIGHT);
    EXPECT_EQ(Shown(), L"IMG_80.bmp");
    EXPECT_EQ(Form().Browser().Listings(), listings + 1);  // read again once, as it changed
    Press(VK_RIGHT);                                       // the deleted file is passed over without a word
    EXPECT_EQ(Shown(), L"IMG_80.bmp");
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(FolderSteps, LongUnicodeAndExtendedLengthNames) {
    DeepFolder deep(dir_.Path());
    ASSERT_EQ(deep.Depth(), 6u);
    const std::wstring a = deep.Path() + L"\\写真 \U0001F600 9.txt",
                       b = deep.Path() + L"\\写真 \U0001F600 10.txt";
    for (const std::wstring& name : {a, b}) {
        ui::UniqueFile f(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_NE(f.get(), INVALID_HANDLE_VALUE);
    }
    Open(a);  // the "\\?\" form, over 300 characters long
    Press(VK_RIGHT);
    EXPECT_EQ(Shown(), L"写真 \U0001F600 10.txt");
    Press(VK_LEFT);
    EXPECT_EQ(Shown(), L"写真 \U0001F600 9.txt");
    EXPECT_TRUE(Boxes().empty()) << Narrow(Boxes().empty() ? L"" : Boxes()[0].text);
    for (const std::wstring& name : {a, b}) DeleteFileW(name.c_str());
}

TEST_F(FolderSteps, KeysFasterThanFilesOpenSkipTheFilesBetween) {
    for (int i = 20; i < 30; ++i) dir_.Write(L"IMG_" + std::to_wstring(i) + L".jpg", std::string("bad"));
    Open(dir_.File(L"img_10.JPG"));
    // A held key: its repeats wait in the queue while a file opens.
    for (int i = 0; i < 12; ++i) PostMessageW(Form().Handle(), WM_KEYDOWN, VK_RIGHT, MAKELPARAM(1, 0));
    Loop();
    EXPECT_EQ(Shown(), L"IMG_100.emf");
    EXPECT_TRUE(Boxes().empty());  // none of the damaged files between was opened
}

TEST_F(FolderSteps, NeighboursAreDecodedAheadWithoutHoldingTheirFiles) {
    dir_.Write(L"IMG_5.bmp", BitmapFile(2000, 1600, 0x112233));  // reduced when shown
    Open(dir_.File(L"IMG_9.bmp"));
    ShowAndPaint(Form());
    ui::Application().Idle();
    ReadAhead& ahead = Form().PicturesAhead();
    ahead.WaitUntilIdle();
    EXPECT_EQ(ahead.Ready(), 2);
    // Read and closed: another program may write both now.
    for (const wchar_t* name : {L"IMG_5.bmp", L"img_10.JPG"}) {
        ui::UniqueFile f(
            CreateFileW(dir_.File(name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_NE(f.get(), INVALID_HANDLE_VALUE) << Narrow(name);
    }
    Press(VK_LEFT);
    EXPECT_EQ(Shown(), L"IMG_5.bmp");
    EXPECT_TRUE(Form().Image1->Stretch());  // reduced, as any open would show it
    EXPECT_EQ(ahead.Ready(), 1);            // the picture shown before, kept for the way back
    Press(VK_RIGHT);
    ui::Application().Idle();
    ahead.WaitUntilIdle();
    EXPECT_EQ(ahead.Ready(), 2);
    // A file changed since it was read ahead is read again.
    dir_.Write(L"img_10.JPG", PlainJpeg(64, 16, 0x00CC00));
    Press(VK_RIGHT);
    EXPECT_EQ(Form().Image1->Picture()->Width(), 64);
    // A step elsewhere drops them: opened any other way, nothing is kept.
    Open(dir_.File(L"IMG_11.txt"));
    EXPECT_EQ(ahead.Ready(), 0);
    // Over the budget beside the shown picture, nothing is made.
    ReadAhead small(40 * 30 * 4 + 100);
    small.Want({{dir_.File(L"IMG_5.bmp"), PictureKind::Bitmap, 2000, 1600},
                {dir_.File(L"IMG_9.bmp"), PictureKind::Bitmap}},
               0, 0);
    small.WaitUntilIdle();
    EXPECT_EQ(small.Ready(), 1);
    EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace pelma::test
