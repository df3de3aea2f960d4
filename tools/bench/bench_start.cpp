// Start-up benchmark: the time from CreateProcess to the first completely
// painted main window, for pelma34.exe (welcome screen, a text file, a
// 12-megapixel JPEG) against a minimal Win32 program with an empty window,
// measured the same way in the same run.
//   bench_start PELMA_EXE EMPTY_EXE WORK_DIR [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/native/formats/picture_builders.h"

namespace {

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

struct CloseArgs {
    DWORD pid;
};

BOOL CALLBACK CloseWindowsOf(HWND hwnd, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == reinterpret_cast<CloseArgs*>(lp)->pid && IsWindowVisible(hwnd))
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

// Milliseconds from start to the first painted window; negative on failure.
double TimeOne(const std::wstring& exe, const std::wstring& args, int run) {
    std::wstring eventName =
        L"PelmaBenchPainted" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(run);
    HANDLE painted = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    SetEnvironmentVariableW(L"PELMA_PAINTED_EVENT", eventName.c_str());
    std::wstring command = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    double start = Now();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(painted);
        return -1;
    }
    HANDLE waits[2] = {painted, pi.hProcess};
    DWORD r = WaitForMultipleObjects(2, waits, FALSE, 60000);
    double elapsed = Now() - start;
    CloseArgs closeArgs{pi.dwProcessId};
    EnumWindows(CloseWindowsOf, reinterpret_cast<LPARAM>(&closeArgs));
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(painted);
    Sleep(300);  // what the system does after a process ends is not the next one's start
    return r == WAIT_OBJECT_0 ? elapsed : -1;
}

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool WriteJpeg(const std::wstring& path, int width, int height) {
    const auto bytes = pelma::testing::MakeJpeg(
        width, height, 3,
        [&](int x, int y) {
            const auto r = static_cast<std::uint32_t>((x * 255) / width);
            const auto g = static_cast<std::uint32_t>((y * 255) / height);
            const auto b = static_cast<std::uint32_t>(((x ^ y) >> 3) & 0xFF);
            return r << 16 | g << 8 | b;
        },
        false, 85);
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fwprintf(stderr, L"usage: bench_start PELMA_EXE EMPTY_EXE WORK_DIR [RUNS]\n");
        return 2;
    }
    std::wstring pelma = argv[1], empty = argv[2], work = argv[3];
    int runs = argc > 4 ? _wtoi(argv[4]) : 7;
    std::wstring text = work + L"\\bench.txt";
    std::wstring photo = work + L"\\bench-12mp.jpg";
    {
        FILE* f = _wfopen(text.c_str(), L"wb");
        if (!f) return 1;
        for (int i = 0; i < 200; ++i)
            std::fprintf(f, "line %d of a text file for the start-up benchmark\r\n", i);
        fclose(f);
    }
    if (!WriteJpeg(photo, 4000, 3000)) return 1;

    // The cases take turns, round after round, so that a machine that is
    // busier or idler for a while weighs on all of them alike; each case's
    // ratio is the median of its ratios to the empty window of the same round.
    struct Case {
        const wchar_t* what;
        std::wstring exe, args;
        std::vector<double> times, ratios;
    };
    std::vector<Case> cases = {{L"empty Win32 window", empty, L"", {}, {}},
                               {L"pelma34, welcome screen", pelma, L"", {}, {}},
                               {L"pelma34, text file", pelma, L"\"" + text + L"\"", {}, {}},
                               {L"pelma34, 12 MP JPEG", pelma, L"\"" + photo + L"\"", {}, {}}};
    for (Case& c : cases) TimeOne(c.exe, c.args, -1);  // warm-up: loads the DLLs into the cache
    for (int i = 0; i < runs; ++i) {
        double base = -1;
        for (Case& c : cases) {
            const double t = TimeOne(c.exe, c.args, i);
            if (t < 0) continue;
            c.times.push_back(t);
            if (&c == &cases[0])
                base = t;
            else if (base > 0)
                c.ratios.push_back(t / base);
        }
    }
    std::printf("runs per case: %d, taking turns (medians, after one warm-up run each)\n", runs);
    std::printf("%-26ls %8.1f ms\n", cases[0].what, Median(cases[0].times));
    for (std::size_t k = 1; k < cases.size(); ++k)
        std::printf("%-26ls %8.1f ms  ratio %.2f%s\n", cases[k].what, Median(cases[k].times),
                    Median(cases[k].ratios), k == 1 ? " (target 1.20)" : "");
    bool ok = true;
    for (const Case& c : cases) ok = ok && !c.times.empty();
    return ok ? 0 : 1;
}
