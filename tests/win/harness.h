// What the Windows tests share: a main window built as at start-up, the error
// boxes it would have shown, and files made in a scratch folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "environment.h"
#include "view/layout.h"

namespace pelma::test {

struct ShownBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT flags;
    bool mainWindowEnabled;
};

// Every error box the program shows while the test runs; none is put on screen.
std::vector<ShownBox>& Boxes();

// A scratch folder, removed with everything in it at the end of the test.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::wstring& Path() const { return path_; }
    std::wstring Write(const std::wstring& name, const std::string& bytes);
    std::wstring Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes);
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// A fresh main window as the program creates it (not yet shown).
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TPelmaForm1& Form() { return *form_; }
    // Runs ViewFile as a message handler would: an escaping error goes to the display.
    void Open(const std::wstring& fileName);
    // Lets queued messages run (paints, posted errors).
    void Pump();

    ScratchDir dir_;
    std::unique_ptr<TPelmaForm1> form_;
};

// Bytes of a small uncompressed 24-bit bitmap file of one colour.
std::vector<std::uint8_t> BitmapFile(int width, int height, std::uint32_t rgb);

// The whole of a file; empty when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path);

// The client size of a window.
SIZE ClientSize(HWND hwnd);

std::string Narrow(const std::wstring& s);

}  // namespace pelma::test
