#include "media/media_view.h"

#include "view/layout.h"

namespace pelma {

namespace {
const wchar_t kPlayPrompt[] = L"再生ボタンを押してネッ！";
}

class MediaView::FollowingDevice {
public:
    explicit FollowingDevice(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~FollowingDevice() { flag_ = was_; }
    FollowingDevice(const FollowingDevice&) = delete;
    FollowingDevice& operator=(const FollowingDevice&) = delete;

private:
    bool& flag_;
    bool was_;
};

void MediaView::Show(const std::wstring& fileName, bool sound) {
    c_.window.SetClientSize(layout::kMediaClientWidth, layout::kMediaClientHeight);
    if (sound) {
        c_.soundPicture.SetStretch(true);
        c_.soundPicture.Show();
        const int w = c_.window.Width(), h = c_.window.Height();
        ui::TLabel& caption = c_.soundCaption;
        ui::TLabel& title = c_.soundTitle;
        caption.SetLeft((w - caption.Width()) / 2 - 10);
        caption.SetTop((h - caption.Height()) / 2 + 10);
        title.SetLeft((w - title.Width()) / 2);
        title.SetTop((h - title.Height()) / 2 - 55);
        caption.Show();
        title.Show();
    } else {
        c_.display.SetColor(RGB(0, 0, 0));
        c_.display.SetFontColor(RGB(0, 255, 255));
        c_.display.SetCaption(kPlayPrompt);
        c_.modes.Reduce();
        c_.display.Show();
    }
    c_.slider.Show();
    c_.mediaBar.Show();
    c_.sizeLabel.Reveal();
    c_.sizeLabel.Show(fileName);

    c_.player.Show();
    MediaPlayerModel& player = c_.player.Model();
    player.SetAutoEnable(false);
    player.Bar().SetVisibleButtons({btPlay, btStop});
    MediaDevice& device = c_.player.Device();
    device.DeviceType = dtAutoSelect;
    // The MPEG device plays what the system's codecs decode, MP4 and the rest among them.
    device.UnlistedExtensionType = L"MPEGVideo";
    device.FileName = fileName;
    device.Open();
    player.Bar().SetEnabledButtons({btStop});
    device.Play();
    c_.timer.SetEnabled(true);
    FollowingDevice following(following_);
    c_.slider.SetMin(static_cast<int>(device.StartPosition()));
    c_.slider.SetMax(static_cast<int>(device.Length()));
}

void MediaView::Tick() {
    MediaDevice& device = c_.player.Device();
    // Without an open device there is nothing to follow: a tick does nothing.
    if (!device.IsOpen()) return;
    {
        FollowingDevice following(following_);
        c_.slider.SetPosition(static_cast<int>(device.Position()));
    }
    const int pos = c_.slider.Position(), max = c_.slider.Max();
    if (pos > 0 && pos < 5) c_.display.SetCaption(L"");
    if (pos > max - 10) c_.player.Model().SetAutoEnable(true);
    if (pos > max - 2) {
        c_.display.SetCaption(kPlayPrompt);
        device.Stop();
        device.Rewind();
    }
}

void MediaView::PlayerClicked() { c_.player.Model().SetAutoEnable(true); }

void MediaView::SliderChanged() {
    if (following_) return;
    MediaDevice& device = c_.player.Device();
    const long long slider = c_.slider.Position();
    const long long a = device.Position();
    if (a + 5 < slider) {
        device.SetPosition(static_cast<std::uint32_t>(slider));
        return;
    }
    const long long b = device.Position();
    if (b - 5 > slider) device.SetPosition(static_cast<std::uint32_t>(slider));
}

}  // namespace pelma
