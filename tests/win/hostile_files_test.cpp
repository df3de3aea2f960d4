// Hostile picture files through the whole program: every seed of every fuzz
// corpus and the crash-class files, each opened by ViewFile and painted. Each
// must end in one orderly message or a shown picture and leave the file closed;
// one that never ends is caught by the test's time-out.
#include <functional>

#include "../native/formats/picture_builders.h"
#include "harness.h"
#include "picture_files.h"
#include "view/formats/picture_limits.h"

namespace pelma::test {
namespace {

using pelma::testing::BmpSpec;
using pelma::testing::Bytes;
using pelma::testing::IcoEntrySpec;

class HostileFiles : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ShowWindow(Form().Handle(), SW_SHOWNA);
    }

    // Opens one file and paints what it shows; returns a description of a fault, or "".
    std::string OpenAndPaint(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
        const std::size_t before = Boxes().size();
        auto path = dir_.Write(name, bytes);
        Open(path);
        RedrawWindow(Form().Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        const std::size_t boxes = Boxes().size() - before;
        std::string where = Narrow(name) + ": ";
        if (boxes > 1) return where + std::to_string(boxes) + " messages";
        if (boxes == 0 && !Form().Image1->Visible()) return where + "neither a message nor a picture";
        if (boxes == 1 && Boxes().back().text.size() < 2) return where + "an empty message";
        if (!DeleteFileW(path.c_str())) return where + "still open after the view";
        return "";
    }
};

std::wstring DefaultExtension(const std::wstring& target) {
    if (target == L"bitmap_fuzzer") return L".bmp";
    if (target == L"icon_fuzzer") return L".ico";
    if (target == L"jpeg_fuzzer") return L".jpg";
    return L".wmf";
}

TEST_F(HostileFiles, EveryFuzzSeedEndsInAMessageOrAPicture) {
    const std::wstring corpus = environment::HostPath(PELMA_SOURCE_DIR_W) + L"\\fuzz\\corpus";
    int files = 0, pictures = 0, messages = 0;
    for (const wchar_t* target : {L"bitmap_fuzzer", L"icon_fuzzer", L"metafile_fuzzer", L"jpeg_fuzzer"}) {
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((corpus + L"\\" + target + L"\\*").c_str(), &fd);
        ASSERT_NE(find, INVALID_HANDLE_VALUE) << Narrow(corpus);
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::wstring name = fd.cFileName;
            std::wstring bytesPath = corpus + L"\\" + target + L"\\" + name;
            if (name.find(L'.') == std::wstring::npos) name += DefaultExtension(target);
            const std::size_t before = Boxes().size();
            EXPECT_EQ(OpenAndPaint(std::wstring(target) + L"-" + name, ReadFileBytes(bytesPath)), "");
            ++files;
            if (Boxes().size() > before)
                ++messages;
            else
                ++pictures;
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    EXPECT_GT(files, 30);
    std::printf("hostile seeds: %d files, %d pictures shown, %d messages\n", files, pictures, messages);
}

TEST_F(HostileFiles, CrashClassFilesEndInOrderlyMessages) {
    struct Case {
        std::wstring name;
        Bytes bytes;
        bool refused;  // must end in a message (else a picture shown is fine too)
    };
    std::vector<Case> cases;
    auto bmp = [&](const wchar_t* name, BmpSpec s, bool refused) {
        cases.push_back({name, pelma::testing::MakeBmp(s), refused});
    };
    bmp(L"overflow-32bit.bmp", {.width = 0x10000, .height = 0x10000, .bitCount = 32, .bits = Bytes(64, 0)},
        true);
    bmp(L"overflow-wide.bmp", {.width = 0x7FFFFFFF, .height = 2, .bitCount = 24, .bits = Bytes(64, 0)}, true);
    bmp(L"negative-height.bmp", {.width = 4, .height = -4, .bitCount = 24, .bits = Bytes(48, 0x80)}, false);
    bmp(L"int-min-height.bmp", {.width = 4, .height = INT32_MIN, .bitCount = 24, .bits = Bytes(48, 0)}, true);
    bmp(L"palette-past-end.bmp",
        {.width = 4,
         .height = 2,
         .bitCount = 8,
         .clrUsed = 2,
         .palette = {0xFF0000, 0x00FF00},
         .bits = Bytes(8, 0xFE)},
        false);
    bmp(L"rle8-runs-past-row.bmp",
        {.width = 4,
         .height = 2,
         .bitCount = 8,
         .compression = 1,
         .palette = {0xFF0000},
         .bits = Bytes{0xFF, 0, 0xFF, 0, 0, 2, 200, 200, 0, 1}},
        false);
    bmp(L"rle4-delta-past-picture.bmp",
        {.width = 4,
         .height = 2,
         .bitCount = 4,
         .compression = 2,
         .palette = {0xFF0000},
         .bits = Bytes{0, 2, 250, 250, 9, 0x11, 0, 1}},
        false);
    Bytes offset = pelma::testing::MakeBmp({.width = 2, .height = 2, .bitCount = 24, .bits = Bytes(16, 0)});
    offset.put32(10, 0x7FFFFFF0);  // the pixels' offset, far past the end of the file
    cases.push_back({L"offset-past-end.bmp", offset, false});

    auto icon = pelma::testing::MakeIconImage(
        16, 16, 4, std::vector<std::uint32_t>(16, 0),
        std::vector<std::vector<std::uint32_t>>(16, std::vector<std::uint32_t>(16, 1)),
        std::vector<std::vector<std::uint32_t>>(16, std::vector<std::uint32_t>(16, 0)));
    auto ico = [&](const wchar_t* name, IcoEntrySpec e) {
        cases.push_back({name, pelma::testing::MakeIco(1, {e}), true});
    };
    ico(L"zero-height.ico", {.widthByte = 16,
                             .heightByte = 0,
                             .bitCount = 4,
                             .image = pelma::testing::MakeIconImage(16, 0, 4, {}, {}, {})});
    ico(L"entry-disagrees.ico", {.widthByte = 48, .heightByte = 48, .bitCount = 4, .image = icon});
    ico(L"entry-outside.ico",
        {.widthByte = 16, .heightByte = 16, .bitCount = 4, .image = icon, .offset = 0x7FFFFF00u});
    cases.push_back({L"no-entries.ico", pelma::testing::MakeIco(1, {}), true});

    Bytes emf = pelma::testing::MakeEmf(0, 0, 2000, 1000, 1024, 768, 320, 240);
    emf.put32(48, static_cast<std::uint32_t>(emf.size() + 5000));  // total size past the end of the file
    cases.push_back({L"total-past-end.emf", emf, true});

    Bytes huge = pelma::testing::MakeJpeg(8, 8, 3, [](int, int) { return 0x808080u; });
    std::size_t sof = pelma::testing::FindMarker(huge, 0xC0);
    ASSERT_NE(sof, 0u);
    huge[sof + 5] = huge[sof + 6] = huge[sof + 7] = huge[sof + 8] = 0xFF;  // 65535 x 65535
    cases.push_back({L"claims-65535.jpg", huge, true});

    for (const auto& c : cases) {
        const std::size_t before = Boxes().size();
        EXPECT_EQ(OpenAndPaint(c.name, c.bytes), "");
        if (c.refused) {
            EXPECT_EQ(Boxes().size(), before + 1) << Narrow(c.name);
        }
    }
}

// The largest square the build's pixel budget allows (8192 x 8192 for the
// 32-bit build, 16384 x 16384 for the 64-bit one) opens and paints; one row
// more is refused before anything is allocated. The 32-bit room exists only
// in a large-address-aware process, as the program and this test runner are.
TEST_F(HostileFiles, TheBudgetsLargestPictureOpensAndOneRowMoreIsRefused) {
#ifndef _WIN64
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(GetModuleHandleW(nullptr));
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(dos) + dos->e_lfanew);
    ASSERT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
#endif
    int side = 1;
    while (std::uint64_t(side) * 2 * side * 2 * 4 <= kMaxPictureBytes) side *= 2;
    ASSERT_EQ(std::uint64_t(side) * side * 4, kMaxPictureBytes);
    auto redSquare = [&](int height) {  // one bit a pixel, every pixel the palette's first colour
        return pelma::testing::MakeBmp({.width = side,
                                        .height = height,
                                        .bitCount = 1,
                                        .palette = {0xFF0000, 0x0000FF},
                                        .bits = Bytes(std::size_t(side) / 8 * height, 0)});
    };
    const std::size_t before = Boxes().size();
    EXPECT_EQ(OpenAndPaint(L"at-the-budget.bmp", redSquare(side)), "");
    EXPECT_EQ(Boxes().size(), before);
    EXPECT_EQ(ShownPixel(Form().ScrollBox1->Handle(), Form().Image1->Left() + 20, Form().Image1->Top() + 20),
              0xFF0000u);
    EXPECT_EQ(OpenAndPaint(L"one-row-more.bmp", redSquare(side + 1)), "");
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back().text, PictureTooLargeMessage() + L".");
}

}  // namespace
}  // namespace pelma::test
