// Compressed movies and sounds through the system's MPEG device, from ViewFile
// to the end of the media: MPEG-1, MP4 (H.264 and AAC), WMV and MP3 files that
// ffmpeg made into the build tree, and damaged MP4 files made here.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "media/winmm_port.h"
#include "media_support.h"

namespace pelma::test {
namespace {

const std::wstring kPrompt = L"再生ボタンを押してネッ！";

std::wstring MediaFile(const wchar_t* name) {
    return environment::HostPath(PELMA_MEDIA_DIR_W) + L"\\" + name;
}

struct CompressedMedia : MainWindowTest {
    void SetUp() override {
        MainWindowTest::SetUp();
        ShowOnTop(Form());
    }
    MediaDevice& Device() { return Form().MediaPlayer1->Device(); }

    // Handles messages until the media has played past its middle and is back
    // at its start, the slider at 0 and the device stopped; the highest slider
    // position seen goes to `highest`. At its end this platform's MPEG device
    // stops and reports position 0 by itself, so the program's own end handling
    // (a tick past Max - 2, then Stop and Rewind) runs only when a tick happens
    // to see the last units; either way the media ends at its start.
    bool PlayToTheEnd(int& highest, const std::function<void()>& each = nullptr) {
        TPelmaForm1& f = Form();
        highest = 0;
        const bool back =
            PumpUntil([&] { return highest > f.TrackBar1->Max() / 2 && f.TrackBar1->Position() == 0; }, 15000,
                      [&] {
                          highest = std::max(highest, f.TrackBar1->Position());
                          if (each) each();
                      });
        return back && Device().Position() == 0 && Device().Mode() == mpStopped &&
               f.DisplayPanel->Caption() == kPrompt;
    }
};

struct Movie {
    const wchar_t* file;
    const char* name;
};
void PrintTo(const Movie& movie, std::ostream* os) { *os << movie.name; }

class CompressedMovie : public CompressedMedia, public ::testing::WithParamInterface<Movie> {};

TEST_P(CompressedMovie, PlaysItsFramesInTheDisplayPanelAndEndsRewound) {
    TPelmaForm1& f = Form();
    Open(MediaFile(GetParam().file));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    EXPECT_TRUE(f.DisplayPanel->Visible());
    EXPECT_TRUE(Device().HasVideo());
    EXPECT_EQ(Device().DefaultWidth(), 160);
    EXPECT_EQ(Device().DefaultHeight(), 120);
    // The MPEG device counts in milliseconds: 2 s of media, less where it
    // reckons the length from the video's time stamps alone.
    EXPECT_GE(f.TrackBar1->Max(), 1500);
    EXPECT_LE(f.TrackBar1->Max(), 2100);

    // Drawn at the device's default place, the panel's top left: red left half,
    // blue right half. (The prompt goes only when a position from 1 to 4 is
    // seen, which a device counting in milliseconds may step over.)
    HWND panel = f.DisplayPanel->Handle();
    bool frameSeen = false;
    int highest = 0;
    const bool ended = PlayToTheEnd(highest, [&] {
        if (!frameSeen && Reddish(ScreenPixel(panel, 40, 60)) && Bluish(ScreenPixel(panel, 120, 60)))
            frameSeen = true;
    });
    EXPECT_TRUE(ended) << "highest " << highest << " of " << f.TrackBar1->Max();
    EXPECT_TRUE(frameSeen);
    EXPECT_TRUE(Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(MpegDevice, CompressedMovie,
                         ::testing::Values(Movie{L"bars.mpg", "Mpeg1"}, Movie{L"bars.mp4", "H264Aac"},
                                           Movie{L"bars.wmv", "Wmv"}),
                         [](const ::testing::TestParamInfo<Movie>& info) { return info.param.name; });

TEST_F(CompressedMedia, TheReduceCommandStretchesTheMpegDevicesPictureOverThePanel) {
    TPelmaForm1& f = Form();
    Open(MediaFile(L"bars.mp4"));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    f.ActMovSExecute();  // the picture at 0, 0, 353 x 243
    EXPECT_EQ(Device().LastError(), 0u);
    HWND panel = f.DisplayPanel->Handle();
    EXPECT_TRUE(PumpUntil(
        [&] {
            return Reddish(ScreenPixel(panel, 20, 200)) && Reddish(ScreenPixel(panel, 160, 120)) &&
                   Bluish(ScreenPixel(panel, 190, 120)) && Bluish(ScreenPixel(panel, 330, 20));
        },
        5000));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CompressedMedia, Mp3PlaysAsASoundAndEndsRewound) {
    TPelmaForm1& f = Form();
    Open(MediaFile(L"tone.mp3"));
    ASSERT_TRUE(Boxes().empty()) << Narrow(Boxes()[0].text);
    EXPECT_TRUE(f.Image2->Visible());
    EXPECT_TRUE(f.Label2->Visible());
    EXPECT_FALSE(
        f.DisplayPanel->Visible());  // the kind of file decides, not the device (which reports video)
    EXPECT_GE(f.TrackBar1->Max(), 1900);
    EXPECT_LE(f.TrackBar1->Max(), 2100);
    int highest = 0;
    EXPECT_TRUE(PlayToTheEnd(highest))
        << "highest " << highest << " of " << f.TrackBar1->Max() << ", now " << f.TrackBar1->Position()
        << ", mode " << static_cast<int>(Device().Mode());
    EXPECT_EQ(Device().Position(), 0u);
    EXPECT_TRUE(f.MediaPlayer1->Model().Bar().IsActive(btPlay));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CompressedMedia, RandomBytesNamedMp4EndInThePlatformsMessage) {
    std::string noise(30000, '\0');
    std::uint32_t state = 12345;
    for (char& c : noise) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    Open(dir_.Write(L"noise.mp4", noise));
    PumpFor(200);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_FALSE(Device().IsOpen());
    std::wstring text;
    ASSERT_TRUE(WinMmPort().GetErrorString(Device().LastError(), text));
    EXPECT_EQ(Boxes()[0].text.substr(0, text.size()), text);
}

TEST_F(CompressedMedia, Mp4CutInHalfPlaysWhatItHoldsOrEndsInOneMessage) {
    TPelmaForm1& f = Form();
    std::vector<std::uint8_t> half = ReadFileBytes(MediaFile(L"bars.mp4"));
    ASSERT_GT(half.size(), 1000u);
    half.resize(half.size() / 2);
    Open(dir_.Write(L"half.mp4", half));
    if (Boxes().empty()) {
        // It plays what it holds and then comes to rest by itself.
        int highest = 0;
        EXPECT_TRUE(PumpUntil([&] { return highest > 0 && Device().Mode() != mpPlaying; }, 8000,
                              [&] { highest = std::max(highest, f.TrackBar1->Position()); }));
        EXPECT_GT(highest, 0);
        PumpFor(300);
    }
    EXPECT_LE(Boxes().size(), 1u);
    // The window still answers at once.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutW(f.Handle(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result), 0);
}

}  // namespace
}  // namespace pelma::test
