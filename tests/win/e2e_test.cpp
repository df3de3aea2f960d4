// The real program, started as a user would start it, looked at from outside;
// and the names a user gives that the system could take for other files.
#include <cstring>

#include "harness.h"
#include "media_support.h"

namespace pelma::test {
namespace {

std::wstring ProgramPath() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir = self;
    dir.resize(dir.find_last_of(L'\\'));
    // The test exe sits in tests/win of the build tree; the program at its root.
    return dir + L"\\..\\..\\" PELMA_EXE_NAME_W;
}

HWND WaitForMainWindow(DWORD pid) {
    for (int i = 0; i < 200; ++i) {
        HWND found = nullptr;
        for (HWND w = FindWindowW(L"TPelmaForm1", nullptr); w;
             w = FindWindowExW(nullptr, w, L"TPelmaForm1", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && IsWindowVisible(w)) found = w;
        }
        if (found) return found;
        Sleep(50);
    }
    return nullptr;
}

// The program started with the given arguments; no process on failure.
PROCESS_INFORMATION Start(const std::wstring& arguments) {
    std::wstring command = L"\"" + ProgramPath() + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    EXPECT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << GetLastError();
    return pi;
}

// Closing the main window ends the program, with exit code 0.
void CloseAndExpectEnd(HWND main, PROCESS_INFORMATION& pi) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

TEST(EndToEnd, ProgramOpensTheFileOnItsCommandLine) {
    ScratchDir dir;
    auto file = dir.Write(L"from the command line.txt", std::string("hello"));
    PROCESS_INFORMATION pi = Start(L"\"" + file + L"\"");
    ASSERT_NE(pi.hProcess, nullptr);
    HWND main = WaitForMainWindow(pi.dwProcessId);
    ASSERT_NE(main, nullptr);
    wchar_t caption[256] = {};
    GetWindowTextW(main, caption, 256);
    EXPECT_STREQ(caption, L" ファイル名 『 from the command line.txt 』");
    SIZE c = ClientSize(main);
    EXPECT_EQ(c.cx, layout::kTextClientWidth);
    EXPECT_EQ(c.cy, layout::kTextClientHeight);
    CloseAndExpectEnd(main, pi);
    EXPECT_TRUE(DeleteFileW(file.c_str()));
}

// On the welcome screen; the About box is made, hidden, once the window is up.
TEST(EndToEnd, WelcomeScreenThenTheAboutBoxIsReady) {
    PROCESS_INFORMATION pi = Start(L"");
    ASSERT_NE(pi.hProcess, nullptr);
    HWND main = WaitForMainWindow(pi.dwProcessId);
    ASSERT_NE(main, nullptr);
    HWND about = nullptr;
    for (int i = 0; i < 200 && !about; ++i) {
        for (HWND w = FindWindowW(L"TAboutBox", nullptr); w;
             w = FindWindowExW(nullptr, w, L"TAboutBox", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pi.dwProcessId) about = w;
        }
        if (!about) Sleep(50);
    }
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(IsWindowVisible(about));
    CloseAndExpectEnd(main, pi);
}

// A name under the system folder opens that folder's file in the 32-bit build
// too, where the system hands a 32-bit process the file of the same name under
// SysWOW64 unless told otherwise. Files of the same names and other contents
// go in both folders (this prefix's own; on Windows that takes an administrator).
class SystemFolderNames : public MainWindowTest {
protected:
    // Runs `work` with the 32-bit redirection off, so that names mean what they say.
    template <class F>
    static void AsNamed(F work) {
        PVOID old = nullptr;
        const BOOL off = Wow64DisableWow64FsRedirection(&old);
        work();
        if (off) Wow64RevertWow64FsRedirection(old);
    }
    void TearDown() override {
        AsNamed([&] {
            for (const auto& f : written_) DeleteFileW(f.c_str());
            for (const auto& d : folders_) RemoveDirectoryW(d.c_str());
        });
        MainWindowTest::TearDown();
    }
    // The folder `sub` of the system folder (`wow64`: of SysWOW64) with the files written in it.
    std::wstring Folder(bool wow64,
                        const std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>>& files) {
        wchar_t root[MAX_PATH] = {};
        wow64 ? GetSystemWow64DirectoryW(root, MAX_PATH) : GetSystemDirectoryW(root, MAX_PATH);
        const std::wstring folder =
            root + std::wstring(L"\\pelma-named-") + std::to_wstring(GetCurrentProcessId());
        AsNamed([&] {
            EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
            folders_.push_back(folder);
            for (const auto& [name, bytes] : files) {
                written_.push_back(folder + L"\\" + name);
                HANDLE h =
                    CreateFileW(written_.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
                DWORD n = 0;
                EXPECT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr));
                CloseHandle(h);
            }
        });
        return folder;
    }
    std::vector<std::wstring> written_, folders_;
};

TEST_F(SystemFolderNames, OpenTheFileNamedThereNotSysWow64s) {
    wchar_t wow64[MAX_PATH];
    ASSERT_GT(GetSystemWow64DirectoryW(wow64, MAX_PATH), 0u) << "a 64-bit system";
    auto text = [](const char* s) { return std::vector<std::uint8_t>(s, s + std::strlen(s)); };
    const std::wstring named = Folder(false, {{L"named.txt", text("System32's")},
                                              {L"named.bmp", BitmapFile(24, 8, 0xFF0000)},
                                              {L"named.wav", WaveFile(1200)}});
    Folder(true, {{L"named.txt", text("SysWOW64's")},
                  {L"named.bmp", BitmapFile(12, 8, 0x0000FF)},
                  {L"named.wav", WaveFile(300)}});
    Open(named + L"\\named.txt");
    EXPECT_EQ(Form().Memo1->Text(), L"System32's");
    Open(named + L"\\named.bmp");
    EXPECT_EQ(Form().Image1->Width(), 24);
    Open(named + L"\\named.wav");
    EXPECT_NEAR(Form().MediaPlayer1->Device().Length(), 1200, 100);
    EXPECT_TRUE(Boxes().empty()) << Narrow(Boxes().empty() ? L"" : Boxes().back().text);
    Form().MediaPlayer1->Device().Close();  // before the files go
}

}  // namespace
}  // namespace pelma::test
