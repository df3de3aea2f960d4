// Browsing benchmark: steps through a folder of photographs in the real main
// window, each step a key press, timed from the key to the new picture
// painted (the queue empty again), and reports
//   - floor: the same steps to a picture already decoded (handed over as a
//     read-ahead picture is), measured in the same run;
//   - human pace: a step every 500 ms with read-ahead, and the same steps
//     with read-ahead off;
//   - a held key: → at the keyboard's repeat rate for 3 s, and how long a
//     step is still pending after the key is released;
//   - the peak private bytes against the shown picture and two read ahead;
//   - a folder of 10,000 small files: the first step (the folder listed)
//     and the bookkeeping of each later step.
//   browse_bench.exe PHOTO_FOLDER SMALL_FILES_FOLDER
#include <windows.h>
// after <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/main_form.h"
#include "tools/bench/bench_window.h"
#include "ui/application.h"
#include "view/file_access.h"
#include "view/file_kind.h"
#include "view/picture_graphics.h"
#include "view/picture_loader.h"
#include "view/picture_view.h"
#include "view/read_ahead.h"

namespace {

using namespace pelma;
using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double PeakMb() {
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
    return m.PeakPagefileUsage / double(1 << 20);
}

void Drain() {
    while (ui::Application().HandleMessage()) {
    }
}

// Waits, handling messages and the idle work as the program's loop does.
void IdleFor(double ms) {
    const auto until = Clock::now() + std::chrono::duration<double, std::milli>(ms);
    while (Clock::now() < until) {
        Drain();
        ui::Application().Idle();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// One key press on the main window; the time until the step's picture is painted.
double Step(TPelmaForm1& form, WORD key = VK_RIGHT) {
    const auto start = Clock::now();
    PostMessageW(form.Handle(), WM_KEYDOWN, key, MAKELPARAM(1, MapVirtualKeyW(key, MAPVK_VK_TO_VSC)));
    Drain();
    GdiFlush();
    return Ms(Clock::now() - start);
}

std::wstring Shown(TPelmaForm1& form) { return form.Caption(); }

// The pictures of the folder in the order a step goes, from the first.
std::vector<std::wstring> Order(TPelmaForm1& form, const std::wstring& first) {
    std::vector<std::wstring> files{first};
    while (auto next = form.Browser().Step(files.back(), StepDirection::Next)) files.push_back(*next);
    return files;
}

struct Run {
    std::vector<double> steps;
    double peakMb = 0;
};

// Steps through every file once at a human pace. `ahead`: read-ahead on;
// `floor`: each picture is decoded beforehand and handed over as read-ahead
// pictures are (the best a step can do).
Run Pace(TPelmaForm1& form, const std::vector<std::wstring>& files, bool ahead, bool floor) {
    Run run;
    ui::Application().OnIdle = ahead ? std::function<void()>([&form] { form.PlanReadAhead(); }) : nullptr;
    form.ViewFile(files[0]);
    IdleFor(500);
    for (std::size_t i = 1; i < files.size(); ++i) {
        if (floor) {
            const auto kind = LookUpPictureFormat(ExtractFileExt(files[i]).substr(1));
            auto picture = LoadPicture(files[i], *kind, form.ScrollBox1->Color());
            const SIZE draw =
                form.Pictures().DrawSize(picture->Width(), picture->Height(), ui::WorkArea(), true);
            if (auto* jpeg = dynamic_cast<TJPEGImage*>(picture.get())) jpeg->DecodeAhead(draw.cx, draw.cy);
            if (auto* bitmap = dynamic_cast<TBitmap*>(picture.get())) bitmap->PrepareDraw(draw.cx, draw.cy);
            form.PicturesAhead().Clear();
            form.PicturesAhead().Keep(files[i], *kind, form.ScrollBox1->Color(), std::move(picture));
        }
        run.steps.push_back(Step(form));
        IdleFor(500);
        run.peakMb = std::max(run.peakMb, PeakMb());
    }
    return run;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: browse_bench PHOTO_FOLDER SMALL_FILES_FOLDER\n");
        return 2;
    }
    const std::wstring photos = argv[1], small = argv[2];
    int boxes = 0;
    bench::StartApplication(boxes);
    TPelmaForm1 form;
    ui::Application().SetMainForm(&form);
    form.ShowForm();
    SetForegroundWindow(form.Handle());
    Drain();
    const double baselineMb = PeakMb();

    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((photos + L"\\*.*").c_str(), &found);
    std::wstring first;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) first = photos + L"\\" + found.cFileName;
    } while (first.empty() && FindNextFileW(find, &found));
    FindClose(find);
    const std::vector<std::wstring> files =
        Order(form, form.Browser().Step(first, StepDirection::First).value_or(first));

    // The largest picture as it is held, decoded for a reduced window: the
    // shown one and two read ahead may take three times that.
    double largestMb = 0;
    for (const auto& f : files) {
        const auto kind = LookUpPictureFormat(ExtractFileExt(f).substr(1));
        if (const auto info = PeekPictureFile(f, *kind))
            largestMb =
                std::max(largestMb, ReadAhead::PictureBytes(*kind, info->width, info->height, 1000, 700) /
                                        double(1 << 20));
    }

    // The three take turns, twice, so that a busy spell of the machine
    // weighs on all of them alike.
    Run withAhead, floor, without;
    for (int round = 0; round < 2; ++round) {
        for (auto [run, ahead, decoded] :
             {std::tuple{&withAhead, true, false}, std::tuple{&floor, true, true},
              std::tuple{&without, false, false}}) {
            const Run r = Pace(form, files, ahead, decoded);
            run->steps.insert(run->steps.end(), r.steps.begin(), r.steps.end());
            run->peakMb = std::max(run->peakMb, r.peakMb);
        }
    }
    const double floorMs = Median(floor.steps), aheadMs = Median(withAhead.steps),
                 coldMs = Median(without.steps);
    std::printf(
        "%zu pictures (20 of 12 MP and 20 of 2 MP JPEG, 10 of 24 MP PNG), a step every 500 ms, each way "
        "twice\n",
        files.size());
    std::printf("  floor (already decoded)   median %7.1f ms\n", floorMs);
    std::printf("  with read-ahead           median %7.1f ms   ratio to floor %.2f (target <= 1.3)\n",
                aheadMs, aheadMs / floorMs);
    std::printf("  read-ahead off            median %7.1f ms   %.1f x slower than with it (target >= 5)\n",
                coldMs, coldMs / aheadMs);
    const double limitMb = 3 * largestMb + 30;
    std::printf(
        "  peak private %.1f MB over the window's %.1f MB; shown + two read ahead + 30 MB: %.1f MB: %s\n",
        withAhead.peakMb - baselineMb, baselineMb, limitMb,
        withAhead.peakMb - baselineMb <= limitMb ? "within" : "OVER");

    // Holding → at the repeat rate (about 30 a second) for 3 s.
    ui::Application().OnIdle = [&form] { form.PlanReadAhead(); };
    form.ViewFile(files[0]);
    IdleFor(500);
    // The keyboard repeats on its own, whatever the program is doing: the
    // repeats are posted from another thread.
    std::atomic<int> presses = 0;
    std::atomic<bool> holding = true;
    std::thread keyboard([&] {
        const auto held = Clock::now();
        while (Ms(Clock::now() - held) < 3000) {
            PostMessageW(form.Handle(), WM_KEYDOWN, VK_RIGHT, MAKELPARAM(1, 0));
            ++presses;
            Sleep(33);
        }
        holding = false;
    });
    while (holding) {
        if (!ui::Application().HandleMessage()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
    const auto released = Clock::now();
    keyboard.join();
    Drain();
    const double pendingMs = Ms(Clock::now() - released);
    // Each repeat named the next file, up to the last one.
    const std::wstring named = files[std::min<std::size_t>(presses, files.size() - 1)];
    std::printf("  held for 3 s (%d key repeats): shown after release %s, pending %.1f ms (target < 200)\n",
                presses.load(),
                Shown(form).find(ExtractFileName(named)) != std::wstring::npos
                    ? "the file the last repeat named"
                    : "ANOTHER FILE",
                pendingMs);

    // 10,000 small files.
    HANDLE any = FindFirstFileW((small + L"\\*.bmp").c_str(), &found);
    const std::wstring start = small + L"\\" + found.cFileName;
    FindClose(any);
    form.ViewFile(start);
    Drain();
    const double firstMs = Step(form, VK_HOME);
    std::vector<double> bookkeeping;
    std::wstring at = *form.Browser().Step(start, StepDirection::First);
    for (int i = 0; i < 200; ++i) {
        const auto t = Clock::now();
        auto next = form.Browser().Step(at, StepDirection::Next);
        bookkeeping.push_back(Ms(Clock::now() - t));
        if (!next) break;
        at = *next;
    }
    std::printf(
        "10,000 small files: first step %.1f ms (target < 100), later steps' bookkeeping median %.2f ms, max "
        "%.2f ms (target < 5); folder read %d times\n",
        firstMs, Median(bookkeeping), *std::max_element(bookkeeping.begin(), bookkeeping.end()),
        form.Browser().Listings());
    if (boxes) std::printf("  %d error box(es) shown\n", boxes);
    ui::Application().OnIdle = nullptr;
    ui::Application().SetMainForm(nullptr);
    return 0;
}
