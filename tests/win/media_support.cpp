#include "media_support.h"

#include <cmath>

#include "ui/application.h"
#include "ui/handles.h"

namespace pelma::test {

namespace {

// The player owns its port; this one hands every command on to the test's fake.
class ForwardingPort : public MciPort {
public:
    explicit ForwardingPort(FakeMci& fake) : fake_(fake) {}
    std::uint32_t SendCommand(std::uint32_t device, std::uint32_t message, std::uint32_t flags,
                              MciParams& params) override {
        return fake_.SendCommand(device, message, flags, params);
    }
    bool GetErrorString(std::uint32_t error, std::wstring& text) override {
        return fake_.GetErrorString(error, text);
    }

private:
    FakeMci& fake_;
};

}  // namespace

void RecordedMediaTest::SetUp() {
    SetMciPortFactory([this] { return std::make_unique<ForwardingPort>(mci); });
    MainWindowTest::SetUp();
    SetMciPortFactory(nullptr);
}

std::vector<SentCommand> RecordedMediaTest::TakeSent() {
    std::vector<SentCommand> sent;
    sent.swap(mci.sent);
    return sent;
}

RECT RecordedMediaTest::LastPut() const {
    for (auto it = mci.sent.rbegin(); it != mci.sent.rend(); ++it)
        if (it->message == mci::kPut)
            return {it->params.left, it->params.top, it->params.right, it->params.bottom};
    ADD_FAILURE() << "no MCI_PUT was sent";
    return {-1, -1, -1, -1};
}

int RecordedMediaTest::CountOf(std::uint32_t message) const {
    int n = 0;
    for (const auto& c : mci.sent) n += c.message == message ? 1 : 0;
    return n;
}

std::vector<std::uint8_t> WaveFile(int milliseconds, int samplesPerSecond) {
    const std::uint32_t samples = static_cast<std::uint32_t>(samplesPerSecond) * milliseconds / 1000;
    std::vector<std::uint8_t> b;
    b.reserve(44 + samples);
    auto text = [&](const char* s) { b.insert(b.end(), s, s + 4); };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    text("RIFF");
    u32(36 + samples);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(static_cast<std::uint32_t>(samplesPerSecond));
    u32(static_cast<std::uint32_t>(samplesPerSecond));  // bytes per second
    u16(1);                                             // block align
    u16(8);                                             // bits per sample
    text("data");
    u32(samples);
    for (std::uint32_t i = 0; i < samples; ++i)
        b.push_back(
            static_cast<std::uint8_t>(128 + 20 * std::sin(i * 2 * 3.14159265 * 440 / samplesPerSecond)));
    return b;
}

void ShowOnTop(TPelmaForm1& form) {
    form.ShowForm();
    SetWindowPos(form.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

std::wstring DataFile(const wchar_t* name) {
    return environment::HostPath(PELMA_SOURCE_DIR_W) + L"\\tests\\data\\" + name;
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms, const std::function<void()>& each) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > ms) return false;
        if (!ui::Application().HandleMessage()) {
            if (each) each();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        } else if (each) {
            each();
        }
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

Printed::Printed(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    width_ = r.right;
    height_ = r.bottom;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width_;
    bi.bmiHeader.biHeight = -height_;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    ui::UniqueDc dc(CreateCompatibleDC(nullptr));
    ui::UniqueGdi bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bmp || !bits) return;
    {
        ui::SelectObjectScope sel(dc.get(), bmp.get());
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
        GdiFlush();
    }
    const auto* p = static_cast<const std::uint32_t*>(bits);
    pixels_.assign(p, p + static_cast<std::size_t>(width_) * height_);
}

COLORREF Printed::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const std::uint32_t v = pixels_[static_cast<std::size_t>(y) * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int Printed::Count(const RECT& r, COLORREF colour) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour ? 1 : 0;
    return n;
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

bool Reddish(COLORREF c) {
    return c != CLR_INVALID && GetRValue(c) > 160 && GetGValue(c) < 90 && GetBValue(c) < 90;
}
bool Bluish(COLORREF c) {
    return c != CLR_INVALID && GetBValue(c) > 160 && GetRValue(c) < 90 && GetGValue(c) < 90;
}
bool Blackish(COLORREF c) {
    return c != CLR_INVALID && GetRValue(c) < 40 && GetGValue(c) < 40 && GetBValue(c) < 40;
}

}  // namespace pelma::test
