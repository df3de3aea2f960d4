// Picture benchmark: opens a generated baseline JPEG of the given number of
// megapixels through ViewFile in the real main window and reports
//   - open: ViewFile to the end of the first complete paint (decode included),
//   - floor: libjpeg's decode alone of the same file in this process,
//   - repaint: one repaint of the reduced view at full window size,
//   - the peak private bytes of the process against the decoded pixels.
//   picture_bench.exe MEGAPIXELS SCRATCH_FOLDER
// One picture per process, so that the peak belongs to that picture.
#include <windows.h>
// after <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "app/main_form.h"
#include "tests/native/formats/picture_builders.h"
#include "ui/application.h"
#include "view/picture_graphics.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A photograph-like picture: smooth gradients with fine texture, quality 90, 4:2:0.
std::vector<unsigned char> MakeJpeg(int width, int height) {
    unsigned seed = 12345;
    return pelma::testing::MakeJpeg(width, height, 3, [&](int x, int y) {
        seed = seed * 1103515245u + 12345u;
        const int noise = static_cast<int>((seed >> 16) & 31) - 16;
        const auto r = static_cast<std::uint32_t>(std::clamp(x * 255 / width + noise, 0, 255));
        const auto g = static_cast<std::uint32_t>(std::clamp(y * 255 / height + noise, 0, 255));
        const auto b = static_cast<std::uint32_t>(std::clamp(((x ^ y) >> 4 & 0xFF) / 2 + 64 + noise, 0, 255));
        return r << 16 | g << 8 | b;
    });
}

// libjpeg alone, with the program's settings, into memory allocated beforehand.
double DecodeFloorMs(const std::vector<unsigned char>& bytes, std::vector<JSAMPLE>& out) {
    jpeg_decompress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    const auto start = Clock::now();
    jpeg_mem_src(&c, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&c, TRUE);
    c.dct_method = JDCT_ISLOW;
    c.do_block_smoothing = TRUE;
    c.out_color_space = JCS_RGB;
    jpeg_start_decompress(&c);
    const std::size_t stride = static_cast<std::size_t>(c.output_width) * 3;
    out.resize(stride * c.output_height);
    while (c.output_scanline < c.output_height) {
        JSAMPROW rows[1] = {out.data() + stride * c.output_scanline};
        jpeg_read_scanlines(&c, rows, 1);
    }
    jpeg_finish_decompress(&c);
    const double ms = Ms(Clock::now() - start);
    jpeg_destroy_decompress(&c);
    return ms;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

PROCESS_MEMORY_COUNTERS_EX Memory() {
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof m;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
    return m;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: picture_bench MEGAPIXELS SCRATCH_FOLDER\n");
        return 2;
    }
    const int megapixels = _wtoi(argv[1]);
    // 4:3 pictures: 2 → 1632 × 1224, 12 → 4000 × 3000, 24 → 5664 × 4248.
    const int height = static_cast<int>(std::lround(std::sqrt(megapixels * 1e6 * 3 / 4) / 8) * 8);
    const int width = height * 4 / 3;
    const std::wstring file = std::wstring(argv[2]) + L"\\bench-" + std::to_wstring(megapixels) + L"mp.jpg";
    {
        const std::vector<unsigned char> jpeg = MakeJpeg(width, height);
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(h, jpeg.data(), static_cast<DWORD>(jpeg.size()), &n, nullptr);
        CloseHandle(h);
    }

    using namespace pelma;
    ui::Application().Initialize();
    ui::Application().SetTitle(L"Pelma");
    int boxes = 0;
    ui::Application().SetMessageBoxFn([&boxes](HWND, const std::wstring&, const std::wstring&, UINT) {
        ++boxes;
        return IDOK;
    });
    TPelmaForm1 form;
    ui::Application().SetMainForm(&form);
    form.ShowForm();
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    const SIZE_T baseline = Memory().PagefileUsage;  // Wine reports no PrivateUsage

    // Open to the end of the first complete paint.
    const auto start = Clock::now();
    form.ViewFile(file);
    const auto viewed = Clock::now();
    // The paint would decode (making the scaled copy as it goes); doing it
    // just before, at the size it is drawn at, lets its share be told apart.
    auto* picture = dynamic_cast<TJPEGImage*>(form.Image1->Picture().get());
    if (picture) picture->Decode(form.Image1->Width(), form.Image1->Height());
    const auto decoded = Clock::now();
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    const auto painted = Clock::now();
    const double openMs = Ms(painted - start);
    Pump();
    const bool reduced = !form.ActS->Enabled();

    // Repaints of the whole scroll box: median and worst of 25.
    HWND box = form.ScrollBox1->Handle();
    auto repaint = [box] {
        std::vector<double> times;
        for (int i = 0; i < 25; ++i) {
            const auto t = Clock::now();
            InvalidateRect(box, nullptr, FALSE);
            UpdateWindow(box);
            GdiFlush();
            times.push_back(Ms(Clock::now() - t));
        }
        std::sort(times.begin(), times.end());
        return times;
    };
    const std::vector<double> repaints = repaint();
    RECT client;
    GetClientRect(box, &client);
    // The same picture at actual size, as it is scrolled.
    if (reduced) form.ActL->Execute();
    Pump();
    const std::vector<double> actualRepaints = repaint();
    const PROCESS_MEMORY_COUNTERS_EX memory = Memory();

    // The floor, after the peak was read: its buffer would add to it.
    std::vector<unsigned char> bytes;
    {
        HANDLE h =
            CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        LARGE_INTEGER size{};
        GetFileSizeEx(h, &size);
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD n = 0;
        ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        CloseHandle(h);
    }
    // Cold: into fresh memory, as the picture's own decode is (on these
    // machines first touching fresh pages is costly). Warm: into memory
    // touched before, the best of two.
    std::vector<JSAMPLE> out;
    const double coldMs = DecodeFloorMs(bytes, out);
    double floorMs = 1e9;
    for (int i = 0; i < 2; ++i) floorMs = std::min(floorMs, DecodeFloorMs(bytes, out));
    DeleteFileW(file.c_str());
    const double decodedMb = width * static_cast<double>(height) * 4 / (1 << 20);
    const double peakMb = memory.PeakPagefileUsage / double(1 << 20);
    const double limitMb = 1.5 * decodedMb + 30;
    std::printf("%2d MP %dx%d (%.1f MB file)%s%s\n", megapixels, width, height,
                bytes.size() / double(1 << 20), reduced ? ", reduced" : ", actual size",
                picture && picture->DecodeCount() == 1 ? "" : " NOT DECODED ONCE");
    std::printf(
        "  open to painted %7.1f ms   decode floor %7.1f ms warm, %7.1f ms cold   ratio %.2f warm, %.2f cold"
        " (target <= 1.25)\n",
        openMs, floorMs, coldMs, openMs / floorMs, openMs / coldMs);
    std::printf("  of which ViewFile %.1f ms, decode %.1f ms, first paint %.1f ms\n", Ms(viewed - start),
                Ms(decoded - viewed), Ms(painted - decoded));
    std::printf(
        "  repaint %ldx%ld  median %.2f ms  max %.2f ms (target < 16); at actual size median %.2f ms\n",
        client.right, client.bottom, repaints[repaints.size() / 2], repaints.back(),
        actualRepaints[actualRepaints.size() / 2]);
    std::printf("  peak private %.1f MB (before open %.1f MB)  decoded pixels %.1f MB  limit %.1f MB: %s\n",
                peakMb, baseline / double(1 << 20), decodedMb, limitMb, peakMb < limitMb ? "within" : "OVER");
    if (boxes) std::printf("  %d error box(es) shown\n", boxes);
    ui::Application().SetMainForm(nullptr);
    return 0;
}
