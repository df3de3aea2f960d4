#include "harness.h"

#include <shellapi.h>

#include "app/about_box.h"
#include "resource_ids.h"
#include "ui/application.h"

namespace pelma::test {

std::vector<ShownBox>& Boxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

std::string Narrow(const std::wstring& s) {
    int n =
        WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

ScratchDir::ScratchDir() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::wstring(temp) + L"pelma-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() {
    std::wstring from = path_ + L'\0';
    // Clear read-only marks first so that everything can go.
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path_ + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            SetFileAttributesW((path_ + L"\\" + fd.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

std::wstring ScratchDir::Write(const std::wstring& name, const std::string& bytes) {
    return Write(name, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::wstring ScratchDir::Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
    std::wstring full = File(name);
    HANDLE h =
        CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << Narrow(full);
    DWORD n = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
    return full;
}

void MainWindowTest::SetUp() {
    Boxes().clear();
    form_ = std::make_unique<TPelmaForm1>();
    ui::Application().SetMainForm(form_.get());
}

void MainWindowTest::TearDown() {
    ui::Application().SetMainForm(nullptr);
    form_.reset();
}

void MainWindowTest::Open(const std::wstring& fileName) {
    try {
        form_->ViewFile(fileName);
    } catch (...) {
        ui::Application().HandleException(std::current_exception());
    }
}

void MainWindowTest::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::vector<std::uint8_t> BitmapFile(int width, int height, std::uint32_t rgb) {
    int stride = (width * 3 + 3) & ~3;
    std::uint32_t imageSize = static_cast<std::uint32_t>(stride * height);
    std::vector<std::uint8_t> b(54 + imageSize, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    b[26] = 1;
    b[28] = 24;
    put32(34, imageSize);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::size_t at = 54 + static_cast<std::size_t>(y * stride + x * 3);
            b[at] = static_cast<std::uint8_t>(rgb);
            b[at + 1] = static_cast<std::uint8_t>(rgb >> 8);
            b[at + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
    return b;
}

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path) {
    std::vector<std::uint8_t> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD n = 0;
    if (!bytes.empty()) ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
    bytes.resize(n);
    return bytes;
}

SIZE ClientSize(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return {r.right, r.bottom};
}

}  // namespace pelma::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    pelma::ui::Application().Initialize(IDI_MAINICON);
    pelma::ui::Application().SetTitle(L"Pelma");
    pelma::ui::Application().SetMessageBoxFn(
        [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
            HWND main = pelma::PelmaForm1 ? pelma::PelmaForm1->Handle() : nullptr;
            pelma::test::Boxes().push_back(
                {owner, text, caption, flags, main ? IsWindowEnabled(main) != FALSE : true});
            return IDOK;
        });
    return RUN_ALL_TESTS();
}
