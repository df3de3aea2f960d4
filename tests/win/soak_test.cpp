// A thousand files in a row through ViewFile, of every kind and broken ones,
// with the sizing and display-mode commands in between: no handle, window or
// memory may be left behind, no file may stay open, and every failure shows
// exactly one message.
#include <functional>

#include "../native/formats/picture_builders.h"
#include "gui_objects.h"
#include "harness.h"
#include "media_support.h"

#include <psapi.h>

namespace pelma::test {
namespace {

using pelma::testing::Bytes;

struct Sample {
    std::wstring name;
    std::vector<std::uint8_t> bytes;
    bool fails;            // opening it shows one message
    bool media = false;    // its device stays open until the next media file
    bool missing = false;  // not written at all
    bool readOnly = false;
    bool folder = false;
};

std::vector<std::uint8_t> Midi() {
    Bytes b;
    b.u8('M').u8('T').u8('h').u8('d').u8(0).u8(0).u8(0).u8(6).u8(0).u8(0).u8(0).u8(1).u8(0).u8(96);
    const std::uint8_t track[] = {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
    b.u8('M').u8('T').u8('r').u8('k').u8(0).u8(0).u8(0).u8(sizeof track);
    for (auto t : track) b.u8(t);
    return b;
}

struct Counts {
    GuiObjectCount gdi, user;
    DWORD handles;
    SIZE_T privateBytes;
    int windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
    ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM lp) {
    ++*reinterpret_cast<int*>(lp);
    EnumChildWindows(hwnd, CountChild, lp);
    return TRUE;
}

// Kernel handles in use, found by asking about every possible handle value:
// the count the system reports (GetProcessHandleCount) is 0 under Wine.
DWORD ProbeHandles() {
    DWORD n = 0, flags = 0;
    for (ULONG_PTR v = 4; v < 4 * 16384; v += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(v), &flags)) ++n;
    return n;
}

Counts Measure() {
    Counts c{};
    // GDI first: probing for icons makes (and deletes) bitmaps.
    c.gdi = GdiObjects();
    c.user = UserObjects();
    GetProcessHandleCount(GetCurrentProcess(), &c.handles);
    if (c.handles == 0) c.handles = ProbeHandles();
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    c.privateBytes = pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
    std::printf("  (memory: private %llu, pagefile %llu, working set %llu)\n",
                static_cast<unsigned long long>(pmc.PrivateUsage),
                static_cast<unsigned long long>(pmc.PagefileUsage),
                static_cast<unsigned long long>(pmc.WorkingSetSize));
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&c.windows));
    return c;
}

std::vector<std::uint8_t> IconFile() {
    pelma::testing::IcoEntrySpec e;
    e.widthByte = e.heightByte = 16;
    e.bitCount = 4;
    e.image = pelma::testing::MakeIconImage(
        16, 16, 4, std::vector<std::uint32_t>(16, 0x00FF00),
        std::vector<std::vector<std::uint32_t>>(16, std::vector<std::uint32_t>(16, 1)),
        std::vector<std::vector<std::uint32_t>>(16, std::vector<std::uint32_t>(16, 0)));
    return pelma::testing::MakeIco(1, {e});
}

using Soak = MainWindowTest;

TEST_F(Soak, AThousandFilesLeaveNothingBehind) {
    ShowWindow(Form().Handle(), SW_SHOWNA);
    std::vector<Sample> samples = {
        {L"text.txt", Bytes(3000, 'a'), false},
        {L"binary.bin", Bytes(5000, 0x01), false},
        {L"empty", {}, false},
        {L"readonly.txt", Bytes(10, 'r'), false, false, false, true},
        {L"missing.txt", {}, true, false, true},
        {L"folder.dat", {}, true, false, false, false, true},
        {L"picture.bmp", BitmapFile(300, 200, 0x336699), false},
        {L"large.bmp", BitmapFile(1200, 900, 0x993366), false},
        {L"broken.bmp", Bytes(30, 'x'), true},
        {L"a.dib", BitmapFile(4, 4, 0), true},
        {L"icon.ico", IconFile(), false},
        {L"cursor.ico", Bytes{0, 0, 2, 0, 1, 0}, true},
        {L"frame.emf", pelma::testing::MakeEmf(0, 0, 5000, 3000, 1024, 768, 320, 240), false},
        {L"placeable.wmf", pelma::testing::MakePlaceableWmf(0, 0, 1440, 720, 1440), false},
        {L"bad.wmf", Bytes(40, 0), true},
        {L"photo.jpg", pelma::testing::MakeJpeg(800, 600, 3, [](int x, int y) { return (x * 7) ^ (y * 3); }),
         false},
        {L"bitmap.jpg", BitmapFile(4, 4, 0), true},
        {L"doc.rtf", Bytes{'{', '\\', 'r', 't', 'f', '1', ' ', 'h', 'i', '}'}, false},
        {L"plain.rtf", Bytes(200, 'p'), false},
        {L"sound.wav", WaveFile(300), false, true},
        {L"tune.mid", Midi(), false, true},
        {L"gone.avi", {}, true, true, true},
    };
    std::wstring avi = environment::HostPath(PELMA_SOURCE_DIR_W) + L"\\tests\\data\\colour_bars.avi";
    if (GetFileAttributesW(avi.c_str()) != INVALID_FILE_ATTRIBUTES)
        samples.push_back({L"movie.avi", ReadFileBytes(avi), false, true});

    std::vector<std::function<void()>> commands = {
        [&] { Form().ActSExecute(); },          [&] { Form().ActLExecute(); },
        [&] { Form().ActMovSExecute(); },       [&] { Form().ActMovLExecute(); },
        [&] { Form().ActFullScreenExecute(); }, [&] { Form().ActMovSExecute(); },
    };

    Counts start{};
    const int total = 1000, warmUp = 2 * static_cast<int>(samples.size());
    int failuresExpected = 0, failuresShown = 0;
    for (int i = 0; i < total; ++i) {
        if (i == warmUp) start = Measure();
        const Sample& s = samples[static_cast<std::size_t>(i) % samples.size()];
        std::wstring path = dir_.File(std::to_wstring(i) + L"-" + s.name);
        if (s.folder) {
            CreateDirectoryW(path.c_str(), nullptr);
        } else if (!s.missing) {
            dir_.Write(std::to_wstring(i) + L"-" + s.name, s.bytes);
            if (s.readOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        const std::size_t before = Boxes().size();
        Open(path);
        RedrawWindow(Form().Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        const std::size_t shown = Boxes().size() - before;
        failuresShown += static_cast<int>(shown);
        if (s.fails) ++failuresExpected;
        EXPECT_EQ(shown, s.fails ? 1u : 0u)
            << Narrow(path) << (shown ? ": " + Narrow(Boxes().back().text) : "");
        if (i % 7 == 3) commands[static_cast<std::size_t>(i / 7) % commands.size()]();
        // Nothing stays open: rename and delete at once (a media file's device
        // stays open by design until the next media file).
        if (!s.missing && !s.media) {
            if (s.folder) {
                EXPECT_TRUE(RemoveDirectoryW(path.c_str())) << Narrow(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                std::wstring moved = path + L".moved";
                EXPECT_TRUE(MoveFileW(path.c_str(), moved.c_str())) << Narrow(path);
                EXPECT_TRUE(DeleteFileW(moved.c_str())) << Narrow(path);
            }
        }
    }
    Counts end = Measure();
    std::printf("soak: %d files, %d failures shown (%d expected)\n", total, failuresShown, failuresExpected);
    std::printf(
        "  GDI objects %lu -> %lu (%s), USER objects %lu -> %lu (%s), handles %lu -> %lu, windows %d -> %d, "
        "private bytes %llu -> %llu\n",
        start.gdi.count, end.gdi.count, end.gdi.source, start.user.count, end.user.count, end.user.source,
        start.handles, end.handles, start.windows, end.windows,
        static_cast<unsigned long long>(start.privateBytes),
        static_cast<unsigned long long>(end.privateBytes));
    EXPECT_EQ(failuresShown, failuresExpected);
    // A window with its fonts and brushes is up: a count of 0 means nothing was measured.
    EXPECT_GT(start.gdi.count, 0u);
    EXPECT_GT(start.user.count, 0u);
    EXPECT_NEAR(static_cast<double>(end.gdi.count), static_cast<double>(start.gdi.count), 5);
    EXPECT_NEAR(static_cast<double>(end.user.count), static_cast<double>(start.user.count), 5);
    EXPECT_NEAR(static_cast<double>(end.handles), static_cast<double>(start.handles), 5);
    EXPECT_NEAR(end.windows, start.windows, 5);
    EXPECT_LT(static_cast<double>(end.privateBytes),
              static_cast<double>(start.privateBytes) + 10.0 * 1024 * 1024);
}

// The GDI and USER counts the soak test compares must follow objects made and
// freed one for one, whichever way they are taken.
TEST(GuiObjects, GdiCountFollowsBrushesMadeAndDeleted) {
    const DWORD before = GdiObjects().count;
    // Two rounds, so that the second round's brushes can take the first round's
    // freed entries under a new generation.
    for (int round = 0; round < 2; ++round) {
        std::vector<HBRUSH> brushes;
        for (int i = 0; i < 10; ++i) brushes.push_back(CreateHatchBrush(HS_CROSS, RGB(10 * i, round, 0)));
        EXPECT_EQ(GdiObjects().count, before + 10) << GdiObjects().source << ", round " << round;
        for (HBRUSH b : brushes) EXPECT_TRUE(DeleteObject(b));
        EXPECT_EQ(GdiObjects().count, before) << GdiObjects().source << ", round " << round;
    }
    // Stock objects are the system's, not the process's.
    GetStockObject(WHITE_BRUSH);
    GetStockObject(DEFAULT_GUI_FONT);
    EXPECT_EQ(GdiObjects().count, before);
}

TEST(GuiObjects, UserCountFollowsWindowsMenusIconsAndCursorsMadeAndDestroyed) {
    // A window made first and kept: the thread's first window brings the
    // input-method window with it, which is no object of this test's.
    HWND keeper =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(keeper);
    const DWORD gdiBefore = GdiObjects().count;
    const DWORD before = UserObjects().count;
    const BYTE andMask[32 * 4] = {}, xorMask[32 * 4] = {};
    // Two rounds: the second round's objects can take the first round's freed
    // handles under a new generation, which probing must still find.
    for (int round = 0; round < 2; ++round) {
        HWND top =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
        HMENU bar = CreateMenu(), popup = CreatePopupMenu();
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"x");
        HICON icon = CreateIcon(nullptr, 32, 32, 1, 1, andMask, xorMask);
        HCURSOR cursor = CreateCursor(nullptr, 0, 0, 32, 32, andMask, xorMask);
        ACCEL keys[] = {{FVIRTKEY, VK_F5, 1}};
        HACCEL accel = CreateAcceleratorTableW(keys, 1);
        ASSERT_TRUE(top && child && bar && popup && icon && cursor && accel);
        EXPECT_EQ(UserObjects().count, before + 7) << UserObjects().source << ", round " << round;

        EXPECT_TRUE(DestroyWindow(top));  // and its child with it
        EXPECT_TRUE(DestroyMenu(bar));    // and the popup it holds
        EXPECT_TRUE(DestroyIcon(icon));
        EXPECT_TRUE(DestroyCursor(cursor));
        EXPECT_TRUE(DestroyAcceleratorTable(accel));
        EXPECT_EQ(UserObjects().count, before) << UserObjects().source << ", round " << round;
    }
    // Counting leaves no GDI object behind (icons are looked at through their bitmaps).
    EXPECT_EQ(GdiObjects().count, gdiBefore);
    DestroyWindow(keeper);
}

}  // namespace
}  // namespace pelma::test
