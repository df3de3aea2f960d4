// What the media tests share: the main window built over a recording command
// seam, sound files written on the spot, the committed movie, waiting with the
// message loop running, and reading the pixels a window has drawn.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "harness.h"
#include "media/media_player.h"
#include "tests/native/media/fake_mci.h"

namespace pelma::test {

using pelma::testing::FakeMci;
using pelma::testing::SentCommand;

// A main window whose MediaPlayer1 sends its commands to `mci`, which the
// test owns and scripts; the window's own handles are real.
class RecordedMediaTest : public MainWindowTest {
protected:
    void SetUp() override;

    TMediaPlayer& Player() { return *Form().MediaPlayer1; }
    HWND PlayerWindow() { return Form().MediaPlayer1->Handle(); }
    // The commands sent since the last call, and forgets them.
    std::vector<SentCommand> TakeSent();
    // The last MCI_PUT sent (x, y, width, height), failing the test when none was.
    RECT LastPut() const;
    int CountOf(std::uint32_t message) const;

    FakeMci mci;
};

// A mono 8-bit PCM wave file of the given length, a quiet tone.
std::vector<std::uint8_t> WaveFile(int milliseconds, int samplesPerSecond = 11025);

// Shows the main window above every other, so that the windows of tests
// running beside this one cannot cover what is read back from the screen.
void ShowOnTop(TPelmaForm1& form);

// A file of tests/data, as a path the program can open.
std::wstring DataFile(const wchar_t* name);

// Handles messages as the program's loop would until `done` holds or `ms`
// milliseconds have passed; true when `done` held. `each` runs after every
// message (and while the queue is empty), for watching what changes.
bool PumpUntil(const std::function<bool()>& done, DWORD ms, const std::function<void()>& each = nullptr);
// Handles messages for the given time.
void PumpFor(DWORD ms);

// A window's client area as it draws itself into a memory bitmap (WM_PRINTCLIENT).
class Printed {
public:
    explicit Printed(HWND window);
    COLORREF At(int x, int y) const;
    int Width() const { return width_; }
    int Height() const { return height_; }
    // How many pixels of the rectangle have exactly this colour.
    int Count(const RECT& r, COLORREF colour) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// What a window shows on screen at a client point.
COLORREF ScreenPixel(HWND window, int x, int y);

// Colours for pixel checks: mostly red, mostly blue, near black.
bool Reddish(COLORREF c);
bool Bluish(COLORREF c);
bool Blackish(COLORREF c);

}  // namespace pelma::test
