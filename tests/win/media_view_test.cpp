// The media branch of ViewFile, the position tracking of Timer1, TrackBar1 and
// the button bar, and the movie display modes, on the real main window.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

#include "media/winmm_port.h"
#include "media_support.h"
#include "ui/application.h"
#include "view/rich_edit.h"

namespace pelma::test {
namespace {

const std::wstring kPrompt = L"再生ボタンを押してネッ！";
using Calls = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

Calls CallsOf(const std::vector<SentCommand>& sent) {
    Calls calls;
    for (const auto& c : sent) calls.emplace_back(c.message, c.flags);
    return calls;
}

// The main window with a scripted device behind MediaPlayer1; the timer is
// driven by hand (nothing here handles messages unless a test says so).
struct MediaBranch : RecordedMediaTest {
    std::wstring OpenMovie(const wchar_t* name = L"clip.avi") {
        mci.Video();
        auto file = dir_.Write(name, std::string("RIFF movie"));
        Open(file);
        return file;
    }
    std::wstring OpenSound(const wchar_t* name = L"tone.wav") {
        mci.Audio();
        auto file = dir_.Write(name, std::string("RIFF sound"));
        Open(file);
        return file;
    }
    void Tick(std::uint32_t position) {
        mci.position = position;
        Form().Timer1Timer();
    }
    const ButtonBar& Bar() { return Form().MediaPlayer1->Model().Bar(); }
};

TEST_F(MediaBranch, MovieOpensReducedWithThePromptAndStartsPlaying) {
    mci.length = 300;
    OpenMovie();
    TPelmaForm1& f = Form();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ClientSize(f.Handle()).cx, layout::kMediaClientWidth);
    EXPECT_EQ(ClientSize(f.Handle()).cy, layout::kMediaClientHeight);
    EXPECT_EQ(f.Caption(), L" ファイル名 『 clip.avi 』");
    EXPECT_TRUE(f.DisplayPanel->Visible());
    EXPECT_EQ(f.DisplayPanel->Color(), RGB(0, 0, 0));
    EXPECT_EQ(f.DisplayPanel->Font().Color, RGB(0, 255, 255));
    EXPECT_EQ(f.DisplayPanel->Caption(), kPrompt);
    for (ui::TControl* c : std::initializer_list<ui::TControl*>{
             f.WideMode.get(), f.KakudaiButton.get(), f.FullScreen.get(), f.TrackBar1.get(), f.Panel2.get(),
             f.Label1.get(), f.MediaPlayer1.get()})
        EXPECT_TRUE(c->Visible()) << Narrow(c->Name);
    for (ui::TControl* c : std::initializer_list<ui::TControl*>{
             f.ShukushouButton.get(), f.Image2.get(), f.Label2.get(), f.Label3.get(), f.Image1.get()})
        EXPECT_FALSE(c->Visible()) << Narrow(c->Name);

    // Play inactive and Stop active by the enabled buttons; playing; the slider spans the length.
    EXPECT_FALSE(Bar().AutoEnable());
    EXPECT_EQ(Bar().EnabledButtons(), TButtonSet{btStop});
    EXPECT_EQ(Bar().VisibleButtons(), (TButtonSet{btPlay, btStop}));
    EXPECT_EQ(Bar().Glyph(btPlay), gkDisabled);
    EXPECT_EQ(Bar().Glyph(btStop), gkColored);
    EXPECT_EQ(mci.sent.front().message, mci::kOpen);
    EXPECT_EQ(CountOf(mci::kPlay), 1);
    EXPECT_EQ(CountOf(mci::kClose), 0);
    EXPECT_TRUE(f.Timer1.Enabled());
    EXPECT_EQ(f.Timer1.Interval(), 7u);
    EXPECT_EQ(f.TrackBar1->Min(), 0);
    EXPECT_EQ(f.TrackBar1->Max(), 300);
    EXPECT_EQ(f.TrackBar1->Position(), 0);
}

TEST_F(MediaBranch, SoundShowsTheBackdropAndTheCentredLabels) {
    OpenSound();
    TPelmaForm1& f = Form();
    EXPECT_EQ(ClientSize(f.Handle()).cx, layout::kMediaClientWidth);
    EXPECT_EQ(ClientSize(f.Handle()).cy, layout::kMediaClientHeight);
    EXPECT_TRUE(f.Image2->Visible());
    EXPECT_TRUE(f.Image2->Stretch());
    EXPECT_TRUE(f.Label2->Visible());
    EXPECT_TRUE(f.Label3->Visible());
    const int w = f.Width(), h = f.Height();
    EXPECT_EQ(f.Label2->Left(), (w - f.Label2->Width()) / 2 - 10);
    EXPECT_EQ(f.Label2->Top(), (h - f.Label2->Height()) / 2 + 10);
    EXPECT_EQ(f.Label3->Left(), (w - f.Label3->Width()) / 2);
    EXPECT_EQ(f.Label3->Top(), (h - f.Label3->Height()) / 2 - 55);
    EXPECT_FALSE(f.DisplayPanel->Visible());
    EXPECT_FALSE(f.WideMode->Visible());
    EXPECT_FALSE(f.KakudaiButton->Visible());
    EXPECT_TRUE(f.Panel2->Visible());
    EXPECT_TRUE(f.TrackBar1->Visible());
    EXPECT_EQ(f.TrackBar1->Max(), 1000);
}

TEST_F(MediaBranch, FailedOpenKeepsTheLayoutAndLaterTicksDoNothing) {
    mci.Video();
    mci.failCommand[mci::kOpen] = 263;
    Open(dir_.Write(L"broken.avi", std::string("no")));
    TPelmaForm1& f = Form();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"指定したファイルは開けません.");
    EXPECT_TRUE(f.Panel2->Visible());
    EXPECT_TRUE(f.MediaPlayer1->Visible());
    EXPECT_FALSE(Bar().AutoEnable());
    EXPECT_EQ(Bar().EnabledButtons(), TButtonSet::All());
    EXPECT_FALSE(f.Timer1.Enabled());

    // After a good file, a failed one leaves the timer polling a player without a device.
    mci.failCommand.clear();
    OpenMovie(L"good.avi");
    ASSERT_TRUE(f.Timer1.Enabled());
    mci.failCommand[mci::kOpen] = 263;
    Open(dir_.Write(L"bad.avi", std::string("no")));
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_TRUE(f.Timer1.Enabled());
    TakeSent();
    Tick(5000);
    EXPECT_TRUE(mci.sent.empty());
    EXPECT_EQ(Boxes().size(), 2u);
}

// --- Tracking ------------------------------------------------------------------

TEST_F(MediaBranch, AFileWhoseAttributesCannotBeReadShowsNoSizeOfThePreviousFile) {
    Open(dir_.Write(L"before.txt", std::string(2048, 'a')));
    ASSERT_EQ(Form().Label1->Caption(), L" 2 KB");
    for (const wchar_t* name : {L"missing.avi", L"missing.wav"}) {
        Open(dir_.File(name));
        EXPECT_FALSE(Form().Label1->Visible()) << Narrow(name);
        EXPECT_EQ(Form().Label1->Caption(), L"") << Narrow(name);
    }
}

// No synthesizer for a MIDI file: the device opens but will not play.
TEST_F(MediaBranch, PlayFailingAfterOpenIsNotReportedAndTheSliderStaysAtTheStart) {
    mci.failCommand[mci::kPlay] = 275;
    mci.length = 5000;
    OpenSound(L"tune.mid");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Form().MediaPlayer1->Device().IsOpen());
    EXPECT_TRUE(Form().Timer1.Enabled());
    EXPECT_EQ(Form().TrackBar1->Max(), 5000);
    Tick(0);
    EXPECT_EQ(Form().TrackBar1->Position(), 0);
    EXPECT_EQ(Bar().EnabledButtons(), TButtonSet{btStop});
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MediaBranch, MediaOfLengthZeroEndsAtTheFirstTick) {
    mci.length = 0;
    OpenMovie();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form().TrackBar1->Max(), 0);
    TakeSent();
    Tick(0);
    EXPECT_EQ(CountOf(mci::kStop), 1);
    EXPECT_EQ(Form().DisplayPanel->Caption(), kPrompt);
    EXPECT_TRUE(Bar().AutoEnable());
}

TEST_F(MediaBranch, ProgramEndClosesTheMovieDeviceWhileItsDisplayWindowStillExists) {
    OpenMovie();
    HWND display = Form().DisplayPanel->Handle();
    ASSERT_TRUE(IsWindow(display));
    bool displayAtClose = false;
    int closes = 0;
    mci.onCommand = [&](std::uint32_t message) {
        if (message != mci::kClose) return;
        ++closes;
        displayAtClose = IsWindow(display);
    };
    TearDown();
    mci.onCommand = nullptr;
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(displayAtClose);
}

using MediaTracking = MediaBranch;

// A device counted in milliseconds moves on between the change handler's two
// reads; the program's own writes to the slider must not seek (a seek stops
// the device in mid-play).
TEST_F(MediaTracking, TheProgramsOwnSliderWritesNeverSeek) {
    mci.length = 100000;
    mci.position = 0;
    mci.positionStep = 7;
    OpenMovie();
    for (std::uint32_t at : {1000u, 2000u, 50000u, 99999u}) Tick(at);
    EXPECT_EQ(CountOf(mci::kSeek), 1);  // only the rewind at the end
    // A move by the user still seeks.
    TakeSent();
    mci.position = 10;
    Form().TrackBar1->SetPosition(5000);
    ASSERT_EQ(CountOf(mci::kSeek), 1);
    EXPECT_EQ(mci.sent.back().params.to, 5000u);
}

TEST_F(MediaTracking, SliderFollowsThePositionAndThePromptGoesOnceItIsSeenBetween1And4) {
    OpenMovie();
    TPelmaForm1& f = Form();
    TakeSent();
    Tick(0);
    EXPECT_EQ(f.DisplayPanel->Caption(), kPrompt);
    Tick(5);
    EXPECT_EQ(f.TrackBar1->Position(), 5);
    EXPECT_EQ(f.DisplayPanel->Caption(), kPrompt);
    // A slider that follows the device seeks nothing.
    for (const auto& c : mci.sent) EXPECT_EQ(c.message, mci::kStatus);
    Tick(1);
    EXPECT_EQ(f.DisplayPanel->Caption(), L"");
    f.DisplayPanel->SetCaption(kPrompt);
    Tick(4);
    EXPECT_EQ(f.DisplayPanel->Caption(), L"");
    Tick(700);
    EXPECT_EQ(f.TrackBar1->Position(), 700);
    EXPECT_FALSE(Bar().AutoEnable());
    EXPECT_EQ(CountOf(mci::kSeek), 0);
}

TEST_F(MediaTracking, LastTenUnitsHandTheBarOverAndTheEndStopsAndRewinds) {
    OpenMovie();
    TPelmaForm1& f = Form();
    Tick(990);  // not yet past Max - 10
    EXPECT_FALSE(Bar().AutoEnable());
    Tick(991);
    EXPECT_TRUE(Bar().AutoEnable());
    EXPECT_TRUE(Bar().IsActive(btPlay));
    EXPECT_FALSE(Bar().IsActive(btStop));
    f.DisplayPanel->SetCaption(L"");
    TakeSent();
    Tick(998);
    EXPECT_EQ(f.DisplayPanel->Caption(), L"");
    EXPECT_EQ(CountOf(mci::kStop), 0);

    // The end: the prompt, Stop, then Rewind; the next tick brings the slider home.
    TakeSent();
    Tick(999);
    EXPECT_EQ(f.DisplayPanel->Caption(), kPrompt);
    const auto sent = TakeSent();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(CallsOf({sent.end() - 2, sent.end()}),
              (Calls{{mci::kStop, mci::kWait}, {mci::kSeek, mci::kSeekToStart | mci::kWait}}));
    Tick(0);
    EXPECT_EQ(f.TrackBar1->Position(), 0);
    EXPECT_TRUE(Bar().IsActive(btPlay));
    EXPECT_FALSE(Bar().IsActive(btStop));

    // Pressing Play plays again, from the start; Stop while playing gives Play back.
    HWND bar = f.MediaPlayer1->Handle();
    PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 15));
    PostMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(10, 15));
    f.Timer1.SetEnabled(false);
    Pump();
    EXPECT_EQ(CountOf(mci::kPlay), 1);
    EXPECT_FALSE(Bar().IsActive(btPlay));
    EXPECT_TRUE(Bar().IsActive(btStop));
    PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 15));
    PostMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(40, 15));
    Pump();
    EXPECT_EQ(CountOf(mci::kStop), 1);
    EXPECT_TRUE(Bar().IsActive(btPlay));
    EXPECT_FALSE(Bar().IsActive(btStop));
}

TEST_F(MediaTracking, MediaShorterThanTenUnitsEndsAtEveryTick) {
    mci.length = 1;
    OpenMovie();
    TakeSent();
    Tick(0);
    EXPECT_TRUE(Bar().AutoEnable());
    EXPECT_EQ(Form().DisplayPanel->Caption(), kPrompt);
    EXPECT_EQ(CountOf(mci::kStop), 1);
    Tick(0);
    EXPECT_EQ(CountOf(mci::kStop), 2);
}

TEST_F(MediaTracking, MovingTheSliderSeeksOnlyBeyond5Units) {
    OpenMovie();
    TPelmaForm1& f = Form();
    mci.position = 500;
    TakeSent();
    for (int to : {505, 495, 500}) f.TrackBar1->SetPosition(to);
    EXPECT_EQ(CountOf(mci::kSeek), 0);
    for (int to : {506, 494}) {
        f.TrackBar1->SetPosition(to);
        const SentCommand& seek = mci.sent.back();
        EXPECT_EQ(seek.message, mci::kSeek);
        EXPECT_EQ(seek.flags, mci::kWait | mci::kTo);
        EXPECT_EQ(seek.params.to, static_cast<std::uint32_t>(to));
    }
    EXPECT_EQ(CountOf(mci::kSeek), 2);
    EXPECT_EQ(CountOf(mci::kPlay), 0);  // no Play after a seek

    // The user's own scroll message: seeks when far enough, even to the same position.
    TakeSent();
    HWND slider = f.TrackBar1->Handle();
    SendMessageW(slider, TBM_SETPOS, TRUE, 800);
    SendMessageW(f.Panel2->Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 800),
                 reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(f.TrackBar1->Position(), 800);
    ASSERT_EQ(CountOf(mci::kSeek), 1);
    EXPECT_EQ(mci.sent.back().params.to, 800u);
    SendMessageW(f.Panel2->Handle(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                 reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(CountOf(mci::kSeek), 2);
}

TEST_F(MediaTracking, PictureWhileASoundPlaysSeeksItToTheStartAndTheTimerGoesOn) {
    TPelmaForm1& f = Form();
    OpenSound();
    Tick(300);
    TakeSent();
    Open(dir_.Write(L"p.bmp", BitmapFile(20, 10, 0x00FF00)));
    EXPECT_TRUE(Boxes().empty());
    ASSERT_EQ(CountOf(mci::kSeek), 1);
    EXPECT_EQ(mci.sent.back().params.to, 0u);
    EXPECT_EQ(CountOf(mci::kClose), 0);
    EXPECT_TRUE(f.Timer1.Enabled());
    EXPECT_FALSE(f.Panel2->Visible());
    EXPECT_FALSE(f.MediaPlayer1->Visible());
    EXPECT_TRUE(f.MediaPlayer1->Device().IsOpen());

    // Within 5 units of the start nothing is sought; the hidden device is still polled.
    OpenSound(L"b.wav");
    Tick(5);
    TakeSent();
    Open(dir_.Write(L"q.bmp", BitmapFile(20, 10, 0x00FF00)));
    EXPECT_EQ(CountOf(mci::kSeek), 0);
    Tick(999);
    EXPECT_EQ(CountOf(mci::kStop), 1);
    EXPECT_EQ(f.DisplayPanel->Caption(), kPrompt);
}

TEST_F(MediaTracking, SecondMediaFileClosesTheFirstBeforeOpening) {
    TPelmaForm1& f = Form();
    OpenSound();
    Tick(3);
    TakeSent();
    mci.newDeviceId = 8;
    mci.length = 2000;
    OpenMovie(L"second.avi");
    EXPECT_TRUE(Boxes().empty());
    const auto sent = TakeSent();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order;  // (message, device) up to the open
    for (const auto& c : sent) {
        if (c.message == mci::kStatus) continue;
        order.emplace_back(c.message, c.device);
        if (c.message == mci::kOpen) break;
    }
    EXPECT_EQ(order,
              (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{mci::kClose, 7}, {mci::kOpen, 0}}));
    EXPECT_EQ(f.MediaPlayer1->Device().DeviceId(), 8);
    EXPECT_EQ(f.TrackBar1->Max(), 2000);
    EXPECT_TRUE(f.Timer1.Enabled());
}

// --- Display modes --------------------------------------------------------------

// Sets the desktop work area for one test and puts the old one back.
class WorkAreaScope {
public:
    explicit WorkAreaScope(RECT area) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &old_, 0);
        SystemParametersInfoW(SPI_SETWORKAREA, 0, &area, 0);
    }
    ~WorkAreaScope() { SystemParametersInfoW(SPI_SETWORKAREA, 0, &old_, 0); }

private:
    RECT old_{};
};

struct MovieDisplayModes : MediaBranch {
    void SetUp() override {
        MediaBranch::SetUp();
        OpenMovie();
        Form().Timer1.SetEnabled(false);
        TakeSent();
    }
    using Rect = std::array<long, 4>;  // x, y, width, height as MCI_PUT reads them
    static Rect Put(long x, long y, long w, long h) { return {x, y, w, h}; }
    Rect Last() const {
        const RECT r = LastPut();
        return {r.left, r.top, r.right, r.bottom};
    }
};

TEST_F(MovieDisplayModes, ReduceFitsThePictureUnderTheToolBarAndWideModeLetterboxesIt) {
    TPelmaForm1& f = Form();
    f.ActMovSExecute();
    EXPECT_EQ(ClientSize(f.Handle()).cx, layout::kMediaClientWidth);
    EXPECT_EQ(ClientSize(f.Handle()).cy, layout::kMediaClientHeight);
    EXPECT_EQ(Last(), Put(0, 0, layout::kMediaClientWidth, 243));
    EXPECT_FALSE(f.ActMovS->Enabled());
    EXPECT_TRUE(f.ActMovL->Enabled());
    EXPECT_TRUE(f.ActFullScreen->Enabled());
    EXPECT_EQ(f.KakudaiButton->Left(), layout::kFirstCommandLeft);
    EXPECT_EQ(f.FullScreen->Left(), layout::kSecondCommandLeft);

    f.WideMode->SetChecked(true);  // its click: the screen is wider than the window, so reduce
    EXPECT_EQ(ClientSize(f.Handle()).cx, layout::kMediaClientWidth);
    EXPECT_EQ(ClientSize(f.Handle()).cy, 226);
    EXPECT_EQ(Last(), Put(0, 0, layout::kMediaClientWidth, 155));  // y 0, where the resize alone would give 2
    f.WideMode->SetChecked(false);
    EXPECT_EQ(ClientSize(f.Handle()).cy, layout::kMediaClientHeight);
    EXPECT_EQ(Last(), Put(0, 0, layout::kMediaClientWidth, 243));
}

TEST_F(MovieDisplayModes, EnlargeFillsTheWorkAreaAndCentresTheWidePicture) {
    TPelmaForm1& f = Form();
    {
        WorkAreaScope area({0, 0, 1024, 738});
        f.ActMovLExecute();
        EXPECT_EQ(f.Width(), 1024);
        EXPECT_EQ(f.Height(), 738);
        const SIZE c = ClientSize(f.Handle());
        EXPECT_EQ(Last(), Put(0, 0, c.cx, c.cy - 29 - 38));
        EXPECT_TRUE(f.ShukushouButton->Visible());
        EXPECT_FALSE(f.KakudaiButton->Visible());
        EXPECT_EQ(f.ShukushouButton->Left(), layout::kFirstCommandLeft);
        EXPECT_FALSE(f.ActMovL->Enabled());
        EXPECT_TRUE(f.ActMovS->Enabled());

        // Ticking WideMode keeps the enlarged layout: the window is as wide as the screen.
        f.WideMode->SetChecked(true);
        EXPECT_EQ(f.Width(), 1024);
        const int h = c.cx * 44 / 100;
        EXPECT_EQ(Last(), Put(0, (c.cy - 67 - h) / 2, c.cx, h));
    }
    {
        // A wide, low work area: the picture is taller than the space, the offset negative.
        WorkAreaScope area({0, 0, 1024, 400});
        f.ActMovLExecute();
        const SIZE c = ClientSize(f.Handle());
        const int h = c.cx * 44 / 100, space = c.cy - 67;
        ASSERT_LT(space, h);
        EXPECT_EQ(Last(), Put(0, (space - h) / 2, c.cx, h));
        EXPECT_LT(Last()[1], 0);
    }
    {
        // Taskbar at the left: the window reaches the work area's right and bottom edges.
        WorkAreaScope area({60, 0, 1024, 768});
        f.ActMovLExecute();
        EXPECT_EQ(f.Width(), 1024);
        EXPECT_EQ(f.Height(), 768);
    }
    {
        // Taskbar at the right: narrower than the screen, so the same click reduces.
        WorkAreaScope area({0, 0, 960, 768});
        f.ActMovLExecute();
        ASSERT_EQ(f.Width(), 960);
        f.WideMode->SetChecked(false);
        EXPECT_EQ(ClientSize(f.Handle()).cx, layout::kMediaClientWidth);
        EXPECT_EQ(ClientSize(f.Handle()).cy, layout::kMediaClientHeight);
        EXPECT_FALSE(f.ActMovS->Enabled());
    }
}

TEST_F(MovieDisplayModes, FullScreenTakesTheOuterSizeAndReduceBringsEverythingBack) {
    TPelmaForm1& f = Form();
    f.ShowForm();
    Pump();
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_NE(taskbar, nullptr);
    ShowWindow(taskbar, SW_SHOWNA);

    f.ActFullScreenExecute();
    EXPECT_EQ(f.Style() & WS_CAPTION, 0);
    EXPECT_EQ(f.WindowState(), ui::TWindowState::Maximized);
    EXPECT_FALSE(IsWindowVisible(taskbar));
    EXPECT_FALSE(f.Panel2->Visible());
    EXPECT_FALSE(f.CoolBar1->Visible());
    EXPECT_TRUE(f.ActMovL->Enabled());
    EXPECT_TRUE(f.ActMovS->Enabled());
    EXPECT_FALSE(f.ActFullScreen->Enabled());
    RECT outer{};
    GetWindowRect(f.Handle(), &outer);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    EXPECT_EQ(Last(), Put(0, 0, w, h));

    // Wide (its click re-applies a layout first): letterboxed in the outer height.
    f.WideMode->SetChecked(true);
    f.ActFullScreenExecute();
    GetWindowRect(f.Handle(), &outer);
    const int W = outer.right - outer.left, H = outer.bottom - outer.top, wh = W * 44 / 100;
    EXPECT_EQ(Last(), Put(0, (H - wh) / 2, W, wh));

    // Enlarge restores the window but leaves the caption off and the taskbar hidden.
    f.ActMovLExecute();
    EXPECT_EQ(f.WindowState(), ui::TWindowState::Normal);
    EXPECT_EQ(f.Style() & WS_CAPTION, 0);
    EXPECT_FALSE(IsWindowVisible(taskbar));
    f.ActMovSExecute();
    EXPECT_EQ(f.Style() & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(IsWindowVisible(taskbar));
    EXPECT_TRUE(f.CoolBar1->Visible());
    EXPECT_TRUE(f.Panel2->Visible());
}

TEST_F(MovieDisplayModes, ProgramEndShowsTheTaskbarAgainOnlyWhenFullScreenHidIt) {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_NE(taskbar, nullptr);
    auto fresh = [this] {
        form_ = std::make_unique<TPelmaForm1>();
        ui::Application().SetMainForm(form_.get());
    };
    // Hidden by someone else: the window going leaves it as it is.
    ShowWindow(taskbar, SW_HIDE);
    form_.reset();
    EXPECT_FALSE(IsWindowVisible(taskbar));
    ShowWindow(taskbar, SW_SHOWNA);

    fresh();
    form_->ActFullScreenExecute();
    EXPECT_FALSE(IsWindowVisible(taskbar));
    form_.reset();
    EXPECT_TRUE(IsWindowVisible(taskbar));

    // Reduce showed it again already; nothing more happens at the end.
    fresh();
    form_->ActFullScreenExecute();
    form_->ActMovSExecute();
    ShowWindow(taskbar, SW_HIDE);
    form_.reset();
    EXPECT_FALSE(IsWindowVisible(taskbar));
    ShowWindow(taskbar, SW_SHOWNA);
}

// Full screen is undone only by the reduce command, which the movie branch
// runs and the other views do not: after it, a text file and then a picture
// show under the missing caption and tool bar, with the taskbar still hidden,
// and every control of the reset is hidden but the view's own.
TEST_F(MovieDisplayModes, TextThenPictureAfterFullScreenKeepItsStateAndHideTheRest) {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_NE(taskbar, nullptr);
    TPelmaForm1& f = Form();
    f.ActFullScreenExecute();
    ASSERT_FALSE(IsWindowVisible(taskbar));
    const std::vector<ui::TControl*> reset = {
        f.FullScreen.get(),   f.KakudaiButton.get(), f.ShukushouButton.get(), f.SpeedButton2.get(),
        f.SpeedButton4.get(), f.WideMode.get(),      f.TrackBar1.get(),       f.Label2.get(),
        f.Label3.get(),       f.OpenLabel.get(),     f.DDLabel.get(),         f.Memo1.get(),
        f.RichEdit1.get(),    f.Image1.get(),        f.Image2.get(),          f.DisplayPanel.get(),
        f.Panel2.get(),       f.MediaPlayer1.get()};
    auto expectOnlyShown = [&](std::initializer_list<ui::TControl*> shown, const char* step) {
        for (ui::TControl* c : reset) {
            const bool wanted = std::find(shown.begin(), shown.end(), c) != shown.end();
            EXPECT_EQ(c->Visible(), wanted) << step << ": " << Narrow(c->Name);
        }
        EXPECT_FALSE(IsWindowVisible(taskbar)) << step;
        EXPECT_FALSE(f.CoolBar1->Visible()) << step;
        EXPECT_FALSE(GetWindowLongPtrW(f.Handle(), GWL_STYLE) & WS_CAPTION) << step;
        EXPECT_FALSE(IsZoomed(f.Handle())) << step;
    };
    Open(dir_.Write(L"notes.txt", std::string("plain words")));
    expectOnlyShown({f.Memo1.get()}, "text");
    Open(dir_.Write(L"small.bmp", BitmapFile(20, 10, 0x00FF00)));
    expectOnlyShown({f.Image1.get(), f.SpeedButton4.get()}, "picture");
    EXPECT_TRUE(Boxes().empty());
    // The movie branch's reduce brings everything back.
    OpenMovie(L"again.avi");
    EXPECT_TRUE(IsWindowVisible(taskbar));
    EXPECT_TRUE(f.CoolBar1->Visible());
    EXPECT_TRUE(GetWindowLongPtrW(f.Handle(), GWL_STYLE) & WS_CAPTION);
}

TEST_F(MovieDisplayModes, ResizeRefitsThePictureBetweenTheBars) {
    TPelmaForm1& f = Form();
    f.SetClientSize(800, 300);
    EXPECT_EQ(Last(), Put(0, 0, 800, 300 - 67));
    f.WideMode->SetChecked(true);
    f.SetClientSize(800, 300);
    // h = 352 is taller than the 233 between the bars: (233 - 352) div 2 truncates to -59.
    EXPECT_EQ(Last(), Put(0, -59, 800, 352));
    f.ActFullScreenExecute();  // the bars are hidden, their heights still count
    f.SetClientSize(640, 480);
    EXPECT_EQ(Last(), Put(0, (480 - 67 - 281) / 2, 640, 281));
}

TEST_F(MovieDisplayModes, CommandsActOnTheWindowWhateverIsShownButSendNothingWithoutAMovie) {
    TPelmaForm1& f = Form();
    f.MediaPlayer1->Device().Close();
    TakeSent();
    // A text view, then every command.
    Open(dir_.Write(L"note.txt", std::string("text")));
    f.ActMovSExecute();
    EXPECT_EQ(ClientSize(f.Handle()).cy, layout::kMediaClientHeight);
    EXPECT_TRUE(f.Panel2->Visible());
    EXPECT_TRUE(f.Memo1->Visible());
    f.ActFullScreenExecute();
    EXPECT_EQ(f.Style() & WS_CAPTION, 0);
    EXPECT_FALSE(f.CoolBar1->Visible());
    f.ActMovLExecute();
    EXPECT_TRUE(f.CoolBar1->Visible());
    f.ActMovSExecute();
    EXPECT_EQ(f.Style() & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(CountOf(mci::kPut), 0);
    EXPECT_TRUE(Boxes().empty());
}

using MovieDisplayModesAtStart = RecordedMediaTest;

TEST_F(MovieDisplayModesAtStart, WelcomeScreenCommandsChangeTheWindowAndSendNothing) {
    TPelmaForm1* form = &Form();
    form->ActFullScreenExecute();
    EXPECT_FALSE(form->Panel2->Visible());
    EXPECT_FALSE(form->ActFullScreen->Enabled());
    form->ActMovLExecute();
    EXPECT_TRUE(form->WideMode->Visible());
    form->ActMovSExecute();
    EXPECT_EQ(ClientSize(form->Handle()).cx, layout::kMediaClientWidth);
    EXPECT_TRUE(form->OpenLabel->Visible());
    EXPECT_TRUE(mci.sent.empty());
}

// --- Real devices through ViewFile ------------------------------------------------

struct MediaEndToEnd : MainWindowTest {
    void SetUp() override {
        MainWindowTest::SetUp();
        ShowOnTop(Form());
    }
};

TEST_F(MediaEndToEnd, MoviePlaysToItsEndThenShowsThePromptAndPlay) {
    TPelmaForm1& f = Form();
    Open(DataFile(L"colour_bars.avi"));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    ASSERT_EQ(f.TrackBar1->Max(), 20);
    HWND panel = f.DisplayPanel->Handle();
    int highest = 0;
    bool promptGone = false, frameSeen = false, ended = false;
    // Played: the slider went up to the end, came back to 0 and the prompt is back.
    PumpUntil([&] { return ended && f.TrackBar1->Position() == 0 && f.DisplayPanel->Caption() == kPrompt; },
              8000,
              [&] {
                  highest = std::max(highest, f.TrackBar1->Position());
                  ended = highest >= 19;
                  if (f.DisplayPanel->Caption().empty()) promptGone = true;
                  if (!frameSeen && Reddish(ScreenPixel(panel, 16, 24)) && Bluish(ScreenPixel(panel, 48, 24)))
                      frameSeen = true;
              });
    EXPECT_TRUE(promptGone);
    EXPECT_TRUE(frameSeen);
    EXPECT_GE(highest, 19);
    EXPECT_EQ(f.TrackBar1->Position(), 0);
    EXPECT_EQ(f.DisplayPanel->Caption(), kPrompt);
    EXPECT_EQ(f.MediaPlayer1->Device().Position(), 0u);
    EXPECT_TRUE(Boxes().empty());

    // Play is the active button, in colour; Stop is grey.
    const ButtonBar& bar = f.MediaPlayer1->Model().Bar();
    EXPECT_TRUE(bar.AutoEnable());
    Printed shot(f.MediaPlayer1->Handle());
    EXPECT_EQ(shot.At(13, 15), RGB(0, 255, 0));
    EXPECT_EQ(shot.At(42, 14), GetSysColor(COLOR_BTNFACE));
    // The prompt is drawn in aqua across the middle of the black panel.
    PumpFor(300);
    int aqua = 0, black = 0;
    const int mid = ClientSize(panel).cy / 2;
    for (int x = 0; x < ClientSize(panel).cx; ++x) {
        const COLORREF c = ScreenPixel(panel, x, mid);
        aqua += GetRValue(c) < 60 && GetGValue(c) > 200 && GetBValue(c) > 200;
        black += Blackish(c);
    }
    EXPECT_GT(aqua, 10);
    EXPECT_GT(black, 100);
}

TEST_F(MediaEndToEnd, SoundShowsTheSoundViewAndComesBackToTheStart) {
    TPelmaForm1& f = Form();
    Open(dir_.Write(L"tone.wav", WaveFile(800)));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    EXPECT_TRUE(f.Image2->Visible());
    EXPECT_TRUE(f.Label2->Visible());
    EXPECT_TRUE(f.Label3->Visible());
    EXPECT_FALSE(f.DisplayPanel->Visible());
    EXPECT_GE(f.TrackBar1->Max(), 790);
    EXPECT_LE(f.TrackBar1->Max(), 810);
    int highest = 0;
    EXPECT_TRUE(PumpUntil([&] { return highest > 0 && f.TrackBar1->Position() == 0; }, 6000,
                          [&] { highest = std::max(highest, f.TrackBar1->Position()); }));
    EXPECT_GT(highest, f.TrackBar1->Max() - 2);
    EXPECT_TRUE(f.MediaPlayer1->Model().Bar().AutoEnable());
    EXPECT_TRUE(f.MediaPlayer1->Model().Bar().IsActive(btPlay));
    EXPECT_EQ(f.DisplayPanel->Caption(), kPrompt);  // set on the hidden panel
    EXPECT_TRUE(Boxes().empty());
}

// A long sound played to its end through the real device while both cores
// are kept busy: the program never seeks or stops it before its end.
TEST_F(MediaEndToEnd, ALongSoundPlaysThroughOnABusyMachine) {
    std::vector<std::uint32_t> noted;
    struct NotingPort : MciPort {
        explicit NotingPort(std::vector<std::uint32_t>& n) : noted(n) {}
        std::uint32_t SendCommand(std::uint32_t device, std::uint32_t message, std::uint32_t flags,
                                  MciParams& params) override {
            noted.push_back(message);
            return real.SendCommand(device, message, flags, params);
        }
        bool GetErrorString(std::uint32_t error, std::wstring& text) override {
            return real.GetErrorString(error, text);
        }
        std::vector<std::uint32_t>& noted;
        WinMmPort real;
    };
    TearDown();
    SetMciPortFactory([&] { return std::make_unique<NotingPort>(noted); });
    SetUp();
    SetMciPortFactory(nullptr);

    std::atomic<bool> stop{false};
    std::vector<std::thread> busy;
    for (int i = 0; i < 2; ++i)
        busy.emplace_back([&] {
            volatile std::uint64_t x = 0;
            while (!stop) x = x + 1;
        });
    TPelmaForm1& f = Form();
    Open(dir_.Write(L"long.wav", WaveFile(6000, 8000)));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    int highest = 0;
    const bool ended = PumpUntil([&] { return highest > 0 && f.TrackBar1->Position() == 0; }, 15000,
                                 [&] { highest = std::max(highest, f.TrackBar1->Position()); });
    stop = true;
    for (auto& t : busy) t.join();
    EXPECT_TRUE(ended);
    EXPECT_GT(highest, f.TrackBar1->Max() - 2);
    // The only stop and seek are the end's own.
    EXPECT_EQ(std::count(noted.begin(), noted.end(), mci::kStop), 1);
    EXPECT_EQ(std::count(noted.begin(), noted.end(), mci::kSeek), 1);
    EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace pelma::test
