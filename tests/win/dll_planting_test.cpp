// No planted code: DLLs named like the system modules the program loads by
// name, put beside the executable, in the current folder and beside the
// opened files, are never loaded, while the real modules still do their work
// (the rich text shows, the movie opens). Under Wine the planted copies only
// compete with the system's when the modules are set to native-first, as they
// are here for the program's process (Windows always searches that way).
#include <string>
#include <vector>

#include "harness.h"

namespace pelma::test {
namespace {

const wchar_t* const kModules[] = {L"riched32.dll", L"winmm.dll",    L"comdlg32.dll",
                                   L"shell32.dll",  L"comctl32.dll", L"msimg32.dll"};

std::wstring BuildDir() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir = self;
    dir.resize(dir.find_last_of(L'\\'));
    return dir;  // tests/win of the build tree
}

void Plant(const std::wstring& folder) {
    const std::wstring planted = BuildDir() + L"\\planted_module.dll";
    for (const wchar_t* m : kModules)
        ASSERT_TRUE(CopyFileW(planted.c_str(), (folder + L"\\" + m).c_str(), FALSE)) << Narrow(folder);
}

// A window of the process with that class, searched through every top-level
// window and its children.
struct Search {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t name[64];
    if (GetClassNameW(child, name, 64) && lstrcmpiW(name, s->cls) == 0) s->found = child;
    return s->found == nullptr;
}

BOOL CALLBACK MatchTop(HWND top, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(top, &owner);
    if (owner != s->pid) return TRUE;
    MatchChild(top, lp);
    if (!s->found) EnumChildWindows(top, MatchChild, lp);
    return s->found == nullptr;
}

HWND FindInProcess(DWORD pid, const wchar_t* cls) {
    Search search{pid, cls, nullptr};
    EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Under Wine the planted copies only compete with the system's modules when
// these are loaded native-first (WINEDLLOVERRIDES, which ctest sets for these
// tests); Windows always searches that way.
bool PlantingCanBeSeen() {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return true;
    wchar_t overrides[1024] = {};
    GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 1024);
    return std::wstring(overrides).find(L"riched32") != std::wstring::npos;
}

// Starts the command in the folder with the planted modules' log.
PROCESS_INFORMATION StartPlanted(std::wstring command, const std::wstring& folder, const std::wstring& log,
                                 bool helper = false) {
    SetEnvironmentVariableW(L"PELMA_PLANTED_LOG", log.c_str());
    if (helper) SetEnvironmentVariableW(L"PELMA_PLANT_HELPER", L"1");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        folder.c_str(), &si, &pi);
    const DWORD error = GetLastError();
    SetEnvironmentVariableW(L"PELMA_PLANTED_LOG", nullptr);
    SetEnvironmentVariableW(L"PELMA_PLANT_HELPER", nullptr);
    EXPECT_TRUE(started) << error;
    return pi;
}

std::wstring LoggedModules(const std::wstring& log) {
    const std::vector<std::uint8_t> loaded = ReadFileBytes(log);
    return std::wstring(reinterpret_cast<const wchar_t*>(loaded.data()), loaded.size() / sizeof(wchar_t));
}

TEST(DllPlanting, ModulesComeFromTheSystemFolderOnly) {
    if (!PlantingCanBeSeen()) GTEST_SKIP() << "modules are not loaded native-first";
    ScratchDir exeDir, currentDir, fileDir, logDir;
    const std::wstring exe = exeDir.File(L"pelma34.exe");
    ASSERT_TRUE(CopyFileW((BuildDir() + L"\\..\\..\\pelma34.exe").c_str(), exe.c_str(), FALSE));
    Plant(exeDir.Path());
    Plant(currentDir.Path());
    Plant(fileDir.Path());
    const std::wstring rtf = fileDir.Write(L"letter.rtf", std::string("{\\rtf1\\ansi planted test\\par}"));
    const std::wstring movie = fileDir.File(L"movie.avi");
    ASSERT_TRUE(
        CopyFileW((environment::HostPath(PELMA_SOURCE_DIR_W) + L"\\tests\\data\\colour_bars.avi").c_str(),
                  movie.c_str(), FALSE));
    const std::wstring log = logDir.File(L"loaded.txt");

    // The movie first, the rich text last: it stays shown.
    PROCESS_INFORMATION pi =
        StartPlanted(L"\"" + exe + L"\" \"" + movie + L"\" \"" + rtf + L"\"", currentDir.Path(), log);
    ASSERT_NE(pi.hProcess, nullptr);

    // The rich text shows in the rich-edit control that only the system's
    // RICHED32 makes, and no message box tells of a module that failed.
    HWND main = nullptr, rich = nullptr, box = nullptr;
    std::wstring caption;
    for (int i = 0; i < 200 && !box &&
                    !(rich && IsWindowVisible(rich) && caption.find(L"letter.rtf") != std::wstring::npos);
         ++i) {
        Sleep(50);
        main = FindInProcess(pi.dwProcessId, L"TPelmaForm1");
        rich = FindInProcess(pi.dwProcessId, L"RICHEDIT");
        box = FindInProcess(pi.dwProcessId, L"#32770");
        wchar_t text[256] = {};
        if (main) GetWindowTextW(main, text, 256);
        caption = text;
    }
    EXPECT_EQ(box, nullptr) << "a message box: a module did not work";
    EXPECT_NE(caption.find(L"letter.rtf"), std::wstring::npos) << Narrow(caption);
    EXPECT_TRUE(rich && IsWindowVisible(rich)) << "no rich text shown";

    // The program is closed (or ended, when a message box holds it).
    if (box || !main)
        TerminateProcess(pi.hProcess, 1);
    else
        PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    EXPECT_EQ(LoggedModules(log), L"") << "planted modules were loaded";
}

// The test's own check: a program that loads a module by name with the
// default search, under the same settings, does load the one planted beside it.
TEST(DllPlanting, AnOpenSearchLoadsThePlantedModule) {
    if (!PlantingCanBeSeen()) GTEST_SKIP() << "modules are not loaded native-first";
    ScratchDir exeDir, logDir;
    const std::wstring helper = exeDir.File(L"helper.exe");
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileW(self, helper.c_str(), FALSE));
    const std::wstring planted = BuildDir() + L"\\planted_module.dll";
    ASSERT_TRUE(CopyFileW(planted.c_str(), exeDir.File(L"riched32.dll").c_str(), FALSE));
    const std::wstring log = logDir.File(L"loaded.txt");
    PROCESS_INFORMATION pi =
        StartPlanted(L"\"" + helper + L"\" --gtest_filter=DllPlanting.HelperLoadsRichEditByName",
                     exeDir.Path(), log, true);
    ASSERT_NE(pi.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_NE(LoggedModules(log).find(L"riched32.dll"), std::wstring::npos);
}

// Run only as the helper of the test above.
TEST(DllPlanting, HelperLoadsRichEditByName) {
    if (GetEnvironmentVariableW(L"PELMA_PLANT_HELPER", nullptr, 0) == 0) GTEST_SKIP();
    LoadLibraryW(L"riched32.dll");
}

}  // namespace
}  // namespace pelma::test
