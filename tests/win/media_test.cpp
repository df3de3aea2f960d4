// The media player control in its window: the handles its commands carry, the
// notification as a real window message, the painted and clicked button bar,
// and real devices of the media control interface.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "core/errors.h"
#include "media_support.h"

namespace pelma::test {
namespace {

// The centre of each glyph's symbol on the 57 x 30 bar: Play's triangle, Stop's square.
constexpr POINT kPlaySymbol = {13, 15};
constexpr POINT kStopSymbol = {42, 14};

void Press(HWND w, UINT msg, int x, int y) {
    PostMessageW(w, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
}

// --- Commands of the windowed control ---------------------------------------

using MediaPlayerWindow = RecordedMediaTest;

TEST_F(MediaPlayerWindow, TemplateBarIsPlayAndStopOf29PixelsAndSendsNothing) {
    TMediaPlayer& p = Player();
    EXPECT_EQ(p.Left(), 8);
    EXPECT_EQ(p.Top(), 5);
    EXPECT_EQ(p.Width(), 57);
    EXPECT_EQ(p.Height(), 30);
    EXPECT_EQ(PlayerWindow(), nullptr);  // made when first shown
    p.CreateHandle();
    EXPECT_EQ(ClientSize(PlayerWindow()).cx, 57);
    EXPECT_EQ(p.Model().Bar().ButtonWidth(), 29);
    EXPECT_EQ(p.Model().Bar().VisibleButtons(), (TButtonSet{btPlay, btStop}));
    EXPECT_EQ(p.Display(), Form().DisplayPanel.get());
    EXPECT_FALSE(p.Device().IsOpen());
    EXPECT_TRUE(mci.sent.empty());
}

TEST_F(MediaPlayerWindow, CommandsNameTheControlsWindowAndBindTheDisplayPanel) {
    mci.Video();
    MediaDevice& d = Player().Device();
    d.FileName = L"C:\\clips\\movie.avi";
    d.Open();
    auto sent = TakeSent();
    ASSERT_FALSE(sent.empty());
    const auto callback = reinterpret_cast<std::uintptr_t>(PlayerWindow());
    EXPECT_EQ(sent[0].message, mci::kOpen);
    EXPECT_EQ(sent[0].flags, 0x0202u);
    EXPECT_EQ(sent[0].params.callback, callback);
    EXPECT_EQ(sent[0].params.element, L"C:\\clips\\movie.avi");
    int windows = 0;
    for (const auto& c : sent) {
        if (c.message != mci::kWindow) continue;
        ++windows;
        EXPECT_EQ(c.device, 7u);
        EXPECT_EQ(c.flags, 0x00010002u);
        EXPECT_EQ(c.params.window, reinterpret_cast<std::uintptr_t>(Form().DisplayPanel->Handle()));
    }
    EXPECT_EQ(windows, 1);

    // The commands that can notify, and those that carry the window besides.
    d.Play();
    d.SetTimeFormat(mci::kFormatFrames);
    d.Stop();
    d.SetPosition(40);
    d.Close();
    sent = TakeSent();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;
    for (const auto& c : sent)
        if (c.message != mci::kStatus) calls.emplace_back(c.message, c.flags);
    EXPECT_EQ(calls, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{mci::kPlay, 0x0001},
                                                                           {mci::kSet, 0x0401},
                                                                           {mci::kStop, 0x0002},
                                                                           {mci::kSeek, 0x000A},
                                                                           {mci::kClose, 0x0002}}));
    for (const auto& c : sent)
        if (c.message != mci::kStatus) {
            EXPECT_EQ(c.params.callback, callback) << c.message;
        }

    // The window going closes the device it still holds.
    mci.newDeviceId = 9;
    d.Open();
    TakeSent();
    form_.reset();
    ASSERT_EQ(mci.sent.size(), 1u);
    EXPECT_EQ(mci.sent[0].device, 9u);
    EXPECT_EQ(mci.sent[0].message, mci::kClose);
    EXPECT_EQ(mci.sent[0].flags, mci::kWait);
}

TEST_F(MediaPlayerWindow, DisplayIsDroppedWhenBindingItFails) {
    mci.Video();
    mci.failCommand[mci::kWindow] = 263;
    Player().Device().FileName = L"movie.avi";
    Player().Device().Open();
    EXPECT_EQ(Player().Display(), nullptr);
    mci.failCommand.clear();
    Player().Device().Open();  // nothing is bound again
    EXPECT_EQ(CountOf(mci::kWindow), 1);
    Player().SetDisplay(Form().DisplayPanel.get());
    EXPECT_EQ(Player().Display(), Form().DisplayPanel.get());
}

TEST_F(MediaPlayerWindow, NotificationArrivesAsAPostedMessage) {
    mci.Audio();
    Player().Device().FileName = L"a.wav";
    Player().Device().Open();
    int notified = 0;
    Player().Model().OnNotify = [&] { ++notified; };
    const ButtonBar& bar = Player().Model().Bar();
    ASSERT_TRUE(bar.AutoEnable());

    // Clicking Play hands the buttons to Pause and Stop.
    Press(PlayerWindow(), WM_LBUTTONDOWN, 10, 10);
    Press(PlayerWindow(), WM_LBUTTONUP, 10, 10);
    Pump();
    EXPECT_EQ(CountOf(mci::kPlay), 1);
    EXPECT_FALSE(bar.IsActive(btPlay));
    EXPECT_TRUE(bar.IsActive(btStop));

    // The device reports the end while stopped: Play comes back.
    mci.mode = 525;
    PostMessageW(PlayerWindow(), MM_MCINOTIFY, mci::kNotifyAborted, 7);
    EXPECT_EQ(notified, 0);  // posted, not yet handled
    Pump();
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(Player().Device().NotifyResult(), nvAborted);
    EXPECT_TRUE(bar.IsActive(btPlay));
    EXPECT_FALSE(bar.IsActive(btStop));

    // While the device still plays, the buttons stay as they are.
    Press(PlayerWindow(), WM_LBUTTONDOWN, 10, 10);
    Press(PlayerWindow(), WM_LBUTTONUP, 10, 10);
    Pump();
    mci.mode = 526;
    PostMessageW(PlayerWindow(), MM_MCINOTIFY, mci::kNotifySuperseded, 7);
    Pump();
    EXPECT_EQ(Player().Device().NotifyResult(), nvSuperseded);
    EXPECT_FALSE(bar.IsActive(btPlay));
    PostMessageW(PlayerWindow(), MM_MCINOTIFY, mci::kNotifyFailure, 7);
    PostMessageW(PlayerWindow(), MM_MCINOTIFY, 0x20, 7);  // no known code: the result stays
    Pump();
    EXPECT_EQ(Player().Device().NotifyResult(), nvFailure);
    EXPECT_EQ(notified, 4);
}

// --- The button bar ---------------------------------------------------------

struct MediaButtonBar : RecordedMediaTest {
    std::vector<TMPBtnType> clicked;

    void SetUp() override {
        RecordedMediaTest::SetUp();
        mci.Audio();
        Player().Device().FileName = L"a.wav";
        Player().Device().Open();
        TakeSent();
        Player().Model().OnClick = [this](TMPBtnType b, bool&) { clicked.push_back(b); };
        Player().Model().SetAutoEnable(false);
    }
    void ShowPlayer() {
        Form().Panel2->Show();
        ShowOnTop(Form());
    }
    void ClickAt(int x, int y = 15) {
        Press(PlayerWindow(), WM_LBUTTONDOWN, x, y);
        Press(PlayerWindow(), WM_LBUTTONUP, x, y);
        Pump();
    }
    void Key(WPARAM key) {
        PostMessageW(PlayerWindow(), WM_KEYDOWN, key, 1);
        Pump();
    }
};

TEST_F(MediaButtonBar, Columns28And29HitPlayAndEachButtonRunsItsCommand) {
    for (int x : {0, 14, 28, 29}) ClickAt(x);
    for (int x : {30, 42, 56, 57}) ClickAt(x);
    ClickAt(58);  // past the last span
    EXPECT_EQ(clicked,
              (std::vector<TMPBtnType>{btPlay, btPlay, btPlay, btPlay, btStop, btStop, btStop, btStop}));
    EXPECT_EQ(CountOf(mci::kPlay), 4);
    EXPECT_EQ(CountOf(mci::kStop), 4);
    EXPECT_EQ(GetCapture(), nullptr);

    // Leaving the button before the release cancels the click; an inactive button takes no press.
    clicked.clear();
    Press(PlayerWindow(), WM_LBUTTONDOWN, 40, 15);
    Press(PlayerWindow(), WM_MOUSEMOVE, 5, 15);
    Press(PlayerWindow(), WM_LBUTTONUP, 5, 15);
    Pump();
    Player().Model().Bar().SetEnabledButtons({btStop});
    ClickAt(10);
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MediaButtonBar, PaintedGlyphFollowsTheFlags) {
    ButtonBar& bar = Player().Model().Bar();
    const COLORREF face = GetSysColor(COLOR_BTNFACE), lime = RGB(0, 255, 0), red = RGB(255, 0, 0),
                   black = RGB(0, 0, 0), grey = RGB(128, 128, 128);
    struct Case {
        const char* name;
        std::function<void()> set;
        COLORREF play, stop;  // the colour at the centre of each symbol
    };
    const Case cases[] = {
        {"Stop enabled only", [&] { bar.SetEnabledButtons({btStop}); }, face, red},
        {"both enabled, none coloured",
         [&] {
             bar.SetEnabledButtons(TButtonSet::All());
             bar.SetColoredButtons({});
         },
         black, black},
        {"Play coloured", [&] { bar.SetColoredButtons({btPlay}); }, lime, black},
        {"control disabled",
         [&] {
             bar.SetColoredButtons(TButtonSet::All());
             Player().SetEnabled(false);
         },
         face, face},
        {"automatic: the device can play",
         [&] {
             Player().SetEnabled(true);
             bar.SetEnabledButtons({btStop});
             Player().Model().SetAutoEnable(true);
         },
         lime, face},
    };
    for (const Case& c : cases) {
        c.set();
        Printed shot(PlayerWindow());
        ASSERT_EQ(shot.Width(), 57);
        EXPECT_EQ(shot.At(kPlaySymbol.x, kPlaySymbol.y), c.play) << c.name;
        EXPECT_EQ(shot.At(kStopSymbol.x, kStopSymbol.y), c.stop) << c.name;
        // A disabled glyph is a grey outline around its transparent inside.
        const RECT playGlyph = {6, 7, 23, 23}, stopGlyph = {34, 7, 51, 23};
        if (c.play == face) {
            EXPECT_GT(shot.Count(playGlyph, grey), 0) << c.name;
        }
        if (c.stop == face) {
            EXPECT_GT(shot.Count(stopGlyph, grey), 0) << c.name;
        }
    }

    // The frame around the control and the shared border column, the raised bevel.
    Printed p(PlayerWindow());
    const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
    EXPECT_EQ(p.At(0, 0), frame);
    EXPECT_EQ(p.At(56, 29), frame);
    EXPECT_EQ(p.At(28, 10), frame);
    EXPECT_EQ(p.At(1, 10), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(p.At(27, 10), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(p.At(3, 3), face);
}

TEST_F(MediaButtonBar, PressedButtonIsDrawnSunkenWhileThePointerIsOnIt) {
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    Press(PlayerWindow(), WM_LBUTTONDOWN, 40, 15);
    Pump();
    EXPECT_EQ(GetCapture(), PlayerWindow());
    EXPECT_EQ(Printed(PlayerWindow()).At(29, 10), dark);  // Stop's left line in the shadow colour
    EXPECT_EQ(Printed(PlayerWindow()).At(55, 10), GetSysColor(COLOR_BTNFACE));  // and no right shadow
    Press(PlayerWindow(), WM_MOUSEMOVE, 80, 15);
    Pump();
    EXPECT_EQ(Printed(PlayerWindow()).At(29, 10), light);
    Press(PlayerWindow(), WM_MOUSEMOVE, 45, 20);
    Press(PlayerWindow(), WM_LBUTTONUP, 45, 20);
    Pump();
    EXPECT_EQ(Printed(PlayerWindow()).At(29, 10), light);
    EXPECT_EQ(clicked, std::vector<TMPBtnType>{btStop});
}

TEST_F(MediaButtonBar, SpaceClicksTheFocusedButtonByItsEnabledFlag) {
    ShowPlayer();
    ButtonBar& bar = Player().Model().Bar();
    bar.SetEnabledButtons({btStop});
    SetFocus(PlayerWindow());
    ASSERT_EQ(GetFocus(), PlayerWindow());
    EXPECT_EQ(bar.FocusedButton(), btPlay);
    Key(VK_SPACE);
    EXPECT_TRUE(clicked.empty());

    Key(VK_RIGHT);
    EXPECT_EQ(bar.FocusedButton(), btStop);
    Key(VK_RIGHT);  // no visible button further right
    EXPECT_EQ(bar.FocusedButton(), btStop);
    Player().Model().OnClick = [this](TMPBtnType b, bool&) {
        clicked.push_back(b);
        Form().MediaPlayer1Click();
    };
    Key(VK_SPACE);
    EXPECT_EQ(clicked, std::vector<TMPBtnType>{btStop});
    EXPECT_EQ(CountOf(mci::kStop), 1);
    EXPECT_TRUE(bar.AutoEnable());
    EXPECT_TRUE(bar.IsActive(btPlay));

    // Play is active now, but Space asks for its enabled flag.
    Key(VK_LEFT);
    EXPECT_EQ(bar.FocusedButton(), btPlay);
    Key(VK_SPACE);
    EXPECT_EQ(CountOf(mci::kPlay), 0);

    // A play that fails leaves the buttons as they were, as a mouse click does.
    bar.SetEnabledButtons({btPlay, btStop});
    mci.failCommand[mci::kPlay] = 263;
    Key(VK_SPACE);
    EXPECT_EQ(CountOf(mci::kPlay), 1);
    EXPECT_EQ(Player().Device().LastError(), 263u);
    EXPECT_TRUE(bar.IsActive(btPlay));
    mci.failCommand.clear();
    Key(VK_SPACE);
    EXPECT_FALSE(bar.IsActive(btPlay));
    EXPECT_TRUE(bar.IsActive(btStop));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MediaButtonBar, AutoEnableSetToItsOwnValueRepaintsNothing) {
    ShowPlayer();
    HWND w = PlayerWindow();
    ASSERT_TRUE(IsWindowVisible(w));
    UpdateWindow(w);
    ASSERT_FALSE(GetUpdateRect(w, nullptr, FALSE));
    Player().Model().SetAutoEnable(false);
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
    Player().Model().SetAutoEnable(true);
    EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
    UpdateWindow(w);
    Player().Model().SetAutoEnable(true);
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
}

// --- Real devices -------------------------------------------------------------

struct RealMci : MainWindowTest {
    MediaDevice& Device() { return Form().MediaPlayer1->Device(); }
    int notified = 0;
    void SetUp() override {
        MainWindowTest::SetUp();
        Form().MediaPlayer1->Model().OnNotify = [this] { ++notified; };
    }
    bool WaitForNotification(DWORD ms) {
        const int before = notified;
        return PumpUntil([&] { return notified > before; }, ms);
    }
};

TEST_F(RealMci, WaveOpensPlaysWithItsPositionAdvancingAndNotifiesAtItsEnd) {
    Device().FileName = dir_.Write(L"tone.wav", WaveFile(1000));
    Device().Open();
    EXPECT_EQ(Device().LastError(), 0u);
    EXPECT_NE(Device().DeviceId(), 0);
    EXPECT_GE(Device().Length(), 990u);
    EXPECT_LE(Device().Length(), 1010u);
    EXPECT_TRUE(Device().CanPlay());
    EXPECT_FALSE(Device().HasVideo());
    EXPECT_EQ(Device().Mode(), mpStopped);

    Device().Play();
    EXPECT_EQ(Device().LastError(), 0u);
    EXPECT_TRUE(PumpUntil([&] { return Device().Position() > 0; }, 3000));
    Device().Stop();
    EXPECT_TRUE(WaitForNotification(3000));
    EXPECT_EQ(Device().NotifyResult(), nvAborted);
    const std::uint32_t stoppedAt = Device().Position();
    EXPECT_GT(stoppedAt, 0u);

    // Play on from there to the end.
    Device().Play();
    EXPECT_TRUE(WaitForNotification(5000));
    EXPECT_EQ(Device().NotifyResult(), nvSuccessful);
    EXPECT_EQ(Device().Position(), Device().Length());
    EXPECT_EQ(Device().Mode(), mpStopped);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(RealMci, FileNoDeviceCanPlayRaisesThePlatformsText) {
    Open(dir_.Write(L"noise.wav", std::string("RIFF\x04\0\0\0JUNK", 12)));
    ASSERT_EQ(Boxes().size(), 1u);
    const std::uint32_t error = Device().LastError();
    EXPECT_NE(error, 0u);
    EXPECT_FALSE(Device().IsOpen());
    std::wstring text;
    ASSERT_TRUE(WinMmPort().GetErrorString(error, text));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(Boxes()[0].text.substr(0, text.size()), text);
    EXPECT_EQ(Boxes()[0].caption, L"Pelma");
    EXPECT_EQ(Form().TrackBar1->Max(), 10);  // the branch ended at Open
    EXPECT_FALSE(Form().Timer1.Enabled());
}

TEST_F(RealMci, MovieOpensAsVideoAndIsDrawnIntoTheDisplayPanel) {
    TPelmaForm1& f = Form();
    f.DisplayPanel->Show();
    ShowOnTop(f);
    Device().FileName = DataFile(L"colour_bars.avi");
    Device().Open();
    ASSERT_EQ(Device().LastError(), 0u) << Narrow(Device().FileName);
    EXPECT_TRUE(Device().HasVideo());
    EXPECT_TRUE(Device().CanStep());
    EXPECT_EQ(Device().DefaultWidth(), 64);
    EXPECT_EQ(Device().DefaultHeight(), 48);
    EXPECT_EQ(Device().Length(), 20u);  // frames
    EXPECT_TRUE(f.MediaPlayer1->Model().Bar().AutoEnabledButtons().Contains(btStep));

    // Twice the size at the top left of the panel: red left half, blue right half, black around.
    Device().SetDisplayRect(0, 0, 128, 96);
    EXPECT_EQ(Device().LastError(), 0u);
    Device().Play();
    HWND panel = f.DisplayPanel->Handle();
    bool drawn = false, blackBeside = true;
    std::uint32_t lastPosition = 0;
    PumpUntil([&] { return drawn && notified > 0; }, 6000,
              [&] {
                  if (Reddish(ScreenPixel(panel, 32, 48)) && Bluish(ScreenPixel(panel, 96, 48))) drawn = true;
                  if (!Blackish(ScreenPixel(panel, 160, 120))) blackBeside = false;
                  lastPosition = std::max(lastPosition, Device().Position());
              });
    EXPECT_TRUE(drawn);
    EXPECT_TRUE(blackBeside);
    EXPECT_GE(lastPosition, 10u);
    EXPECT_GE(notified, 1);
    EXPECT_EQ(Device().NotifyResult(), nvSuccessful);
}

}  // namespace
}  // namespace pelma::test
