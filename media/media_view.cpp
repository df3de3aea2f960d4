// Playing movies and sounds: the media branch and the position tracking.
#include "app/main_form.h"
#include "core/arith.h"
#include "media/media_player.h"
#include "view/file_kind.h"

namespace pelma {

namespace {
const wchar_t kPlayPrompt[] = L"再生ボタンを押してネッ！";
}

void TPelmaForm1::ShowMedia(const std::wstring& fileName, const std::wstring& upperExt) {
    SetClientSize(353, 310);
    if (IsSoundExtension(upperExt)) {
        Image2->SetStretch(true);
        Image2->Show();
        const int w = Width(), h = Height();
        Label2->SetLeft(Div(w - Label2->Width(), 2) - 10);
        Label2->SetTop(Div(h - Label2->Height(), 2) + 10);
        Label3->SetLeft(Div(w - Label3->Width(), 2));
        Label3->SetTop(Div(h - Label3->Height(), 2) - 55);
        Label2->Show();
        Label3->Show();
    } else {
        DisplayPanel->SetColor(RGB(0, 0, 0));
        DisplayPanel->SetFontColor(RGB(0, 255, 255));
        DisplayPanel->SetCaption(kPlayPrompt);
        ActMovSExecute();
        DisplayPanel->Show();
    }
    TrackBar1->Show();
    Panel2->Show();
    Label1->Show();
    ShowFileSize(fileName);

    MediaPlayer1->Show();
    MediaPlayerModel& player = MediaPlayer1->Model();
    player.SetAutoEnable(false);
    player.Bar().SetVisibleButtons({btPlay, btStop});
    MediaDevice& device = MediaPlayer1->Device();
    device.DeviceType = dtAutoSelect;
    // The MPEG device plays what the system's codecs decode, MP4 and the rest among them.
    device.UnlistedExtensionType = L"MPEGVideo";
    device.FileName = fileName;
    device.Open();
    player.Bar().SetEnabledButtons({btStop});
    device.Play();
    Timer1.SetEnabled(true);
    TrackBar1->SetMin(static_cast<int>(device.StartPosition()));
    TrackBar1->SetMax(static_cast<int>(device.Length()));
}

void TPelmaForm1::Timer1Timer() {
    MediaDevice& device = MediaPlayer1->Device();
    // Without an open device there is nothing to follow: a tick does nothing.
    if (!device.IsOpen()) return;
    TrackBar1->SetPosition(static_cast<int>(device.Position()));
    const int pos = TrackBar1->Position(), max = TrackBar1->Max();
    if (pos > 0 && pos < 5) DisplayPanel->SetCaption(L"");
    if (pos > max - 10) MediaPlayer1->Model().SetAutoEnable(true);
    if (pos > max - 2) {
        DisplayPanel->SetCaption(kPlayPrompt);
        device.Stop();
        device.Rewind();
    }
}

void TPelmaForm1::MediaPlayer1Click() { MediaPlayer1->Model().SetAutoEnable(true); }

void TPelmaForm1::TrackBar1Change() {
    MediaDevice& device = MediaPlayer1->Device();
    const long long slider = TrackBar1->Position();
    const long long a = device.Position();
    if (a + 5 < slider) {
        device.SetPosition(static_cast<std::uint32_t>(slider));
        return;
    }
    const long long b = device.Position();
    if (b - 5 > slider) device.SetPosition(static_cast<std::uint32_t>(slider));
}

}  // namespace pelma
