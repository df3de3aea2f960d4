// The real program, started as a user would start it, looked at from outside.
#include "harness.h"

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
    EXPECT_EQ(c.cx, 550);
    EXPECT_EQ(c.cy, 400);
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

}  // namespace
}  // namespace pelma::test
