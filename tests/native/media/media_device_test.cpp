#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "core/errors.h"
#include "media/media_device.h"
#include "tests/native/media/fake_mci.h"

namespace pelma {
namespace {

using testing::FakeMci;
using Calls = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
constexpr std::uintptr_t kWnd = 0x1234;

struct Device : ::testing::Test {
    FakeMci mci;
    std::optional<MediaDevice> dev{std::in_place, mci};
    std::vector<TButtonSet> published;

    Device() {
        dev->SetNotifyWindow([] { return kWnd; });
        dev->SetAutoButtonsChanged([this](TButtonSet s) { published.push_back(s); });
        dev->FileName = L"C:\\media\\a.wav";
    }
    void Open() {
        dev->Open();
        mci.sent.clear();
    }
    const MciParams& Params(std::size_t i) const { return mci.sent.at(i).params; }
};

std::wstring RaisedText(const std::function<void()>& op) {
    try {
        op();
    } catch (const EMCIDeviceError& e) {
        return e.Message();
    }
    return L"(nothing raised)";
}

TEST_F(Device, WithoutADeviceOperationsRaiseAndReadsReportZero) {
    for (auto op :
         {&MediaDevice::Play, &MediaDevice::Stop, &MediaDevice::Rewind, &MediaDevice::PauseOrResume,
          &MediaDevice::Next, &MediaDevice::Step, &MediaDevice::StartRecording, &MediaDevice::Eject})
        EXPECT_EQ(RaisedText([&] { (dev.value().*op)(); }), L"MCI デバイスがありません");
    EXPECT_EQ(RaisedText([&] { dev->Length(); }), L"MCI デバイスがありません");
    EXPECT_EQ(RaisedText([&] { dev->SetPosition(5); }), L"MCI デバイスがありません");
    dev->SetDisplayRect(0, 0, 100, 100);
    EXPECT_TRUE(mci.sent.empty());

    // Reads and the time format go to device 0; the failed reply's field is not passed on.
    EXPECT_EQ(dev->Position(), 0u);
    EXPECT_EQ(dev->LastError(), 257u);
    EXPECT_EQ(dev->Mode(), mpNotReady);
    dev->SetTimeFormat(mci::kFormatFrames);
    EXPECT_EQ(mci.Calls(), (Calls{{mci::kStatus, 0x0102}, {mci::kStatus, 0x0102}, {mci::kSet, 0x0401}}));
    for (const auto& c : mci.sent) EXPECT_EQ(c.device, 0u);
    EXPECT_EQ(Params(2).timeFormat, 3u);
    EXPECT_EQ(Params(2).callback, kWnd);
}

TEST_F(Device, OpenOfASound) {
    mci.Audio();
    mci.length = 1234;
    dev->Open();
    EXPECT_EQ(mci.Calls(), (Calls{{mci::kOpen, 0x0202},
                                  {mci::kStatus, 0x0102},
                                  {mci::kGetDevCaps, 0x0102},
                                  {mci::kGetDevCaps, 0x0102},
                                  {mci::kGetDevCaps, 0x0102},
                                  {mci::kGetDevCaps, 0x0102},
                                  {mci::kGetDevCaps, 0x0102},
                                  {mci::kWhere, 0x00020000},
                                  {mci::kStatus, 0x0102}}));
    EXPECT_EQ(mci.sent[0].device, 0u);
    EXPECT_EQ(Params(0).deviceType, L"");
    EXPECT_EQ(Params(0).element, L"C:\\media\\a.wav");
    EXPECT_EQ(Params(0).callback, kWnd);
    const std::uint32_t items[] = {1, 8, 1, 7, 3, 4};  // length, then the capabilities in order
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Params(1 + i).item, items[i]);
    EXPECT_EQ(Params(8).item, mci::kStatusMode);
    for (std::size_t i = 1; i < mci.sent.size(); ++i) EXPECT_EQ(mci.sent[i].device, 7u);

    EXPECT_TRUE(dev->IsOpen());
    EXPECT_EQ(dev->DeviceId(), 7u);
    EXPECT_EQ(dev->StepCount(), 123u);
    EXPECT_FALSE(dev->CanStep());
    const TButtonSet expected{btNext, btPrev, btPlay};
    EXPECT_EQ(published, std::vector<TButtonSet>{expected});

    mci.mode = 526;  // a device already playing gets the Play rule
    dev->Open();
    EXPECT_EQ(dev->AutoButtons(), (TButtonSet{btNext, btPrev, btPause, btStop}));
}

TEST_F(Device, OpenOfAMovieBindsTheDisplay) {
    int created = 0;
    dev->SetDisplay([&] { return std::uintptr_t(0x5600 + ++created); });
    mci.Video();
    mci.caps[mci::kGetDevCapsCanEject] = 1;
    dev->Open();
    const Calls calls = mci.Calls();
    ASSERT_EQ(calls.size(), 11u);
    EXPECT_EQ(calls[8], std::make_pair(mci::kWindow, 0x00010002u));
    EXPECT_EQ(Params(8).window, 0x5601u);
    EXPECT_EQ(calls[9], std::make_pair(mci::kWhere, mci::kDgvWhereDestination));
    EXPECT_EQ(dev->DefaultWidth(), 160);  // the destination's, not the source's
    EXPECT_EQ(dev->DefaultHeight(), 120);
    EXPECT_EQ(dev->AutoButtons(), (TButtonSet{btNext, btPrev, btStep, btBack, btPlay, btEject}));

    mci.failCommand[mci::kWindow] = 263;
    dev->Open();
    EXPECT_FALSE(dev->HasDisplay());
    EXPECT_TRUE(dev->IsOpen());

    mci.Audio();  // a sound never asks for the display window
    dev->SetDisplay([&] { return std::uintptr_t(0x5600 + ++created); });
    dev->Open();
    EXPECT_EQ(created, 2);
}

TEST_F(Device, OpenClosesThePreviousDeviceFirst) {
    mci.Audio();
    Open();
    mci.newDeviceId = 9;
    dev->Open();
    ASSERT_GE(mci.sent.size(), 2u);
    EXPECT_EQ(mci.Calls()[0], std::make_pair(mci::kClose, mci::kWait));
    EXPECT_EQ(mci.sent[0].device, 7u);
    EXPECT_EQ(Params(0).callback, kWnd);
    EXPECT_EQ(mci.sent[1].device, 0u);
    EXPECT_EQ(dev->DeviceId(), 9u);
    ASSERT_EQ(published.size(), 3u);  // first open, close, second open
    EXPECT_TRUE(published[1].Empty());
}

TEST_F(Device, OpenFailureRaisesThePlatformTextOrTheUnknownErrorText) {
    mci.failCommand[mci::kOpen] = 275;
    EXPECT_EQ(RaisedText([&] { dev->Open(); }), L"指定したファイルは開けません");
    mci.hasText = false;
    EXPECT_EQ(RaisedText([&] { dev->Open(); }), L"原因不明のエラー");
    mci.hasText = true;
    mci.text.clear();
    EXPECT_EQ(RaisedText([&] { dev->Open(); }), L"原因不明のエラー");
    EXPECT_EQ(dev->LastError(), 275u);
    EXPECT_FALSE(dev->IsOpen());
    EXPECT_EQ(mci.sent.size(), 3u);  // nothing after a failed open
}

TEST_F(Device, AnExtensionTheSystemDoesNotListOpensByTheUnlistedType) {
    mci.Video();
    mci.failOpenOfType[L""] = mci::kErrExtensionNotFound;
    dev->FileName = L"C:\\media\\clip.mp4";
    // Without an unlisted type the system's error stands.
    EXPECT_EQ(RaisedText([&] { dev->Open(); }), L"指定したファイルは開けません");
    EXPECT_EQ(mci.sent.size(), 1u);

    dev->UnlistedExtensionType = L"MPEGVideo";
    mci.sent.clear();
    dev->Open();
    EXPECT_TRUE(dev->IsOpen());
    ASSERT_GE(mci.sent.size(), 2u);
    EXPECT_EQ(mci.Calls()[0], std::make_pair(mci::kOpen, 0x0202u));
    EXPECT_EQ(mci.Calls()[1], std::make_pair(mci::kOpen, 0x2202u));
    EXPECT_EQ(Params(1).deviceType, L"MPEGVideo");
    EXPECT_EQ(Params(1).element, L"C:\\media\\clip.mp4");
    EXPECT_EQ(Params(1).callback, kWnd);
    EXPECT_EQ(mci.Messages()[2], mci::kStatus);  // and on as any open: the length first

    // Its failure is the device's own; other failures and named types are never retried.
    dev->Close();
    mci.failOpenOfType[L"MPEGVideo"] = 266;
    mci.sent.clear();
    EXPECT_EQ(RaisedText([&] { dev->Open(); }), L"指定したファイルは開けません");
    EXPECT_EQ(dev->LastError(), 266u);
    EXPECT_EQ(mci.sent.size(), 2u);
    mci.failOpenOfType[L""] = 275;
    mci.sent.clear();
    EXPECT_THROW(dev->Open(), EMCIDeviceError);
    EXPECT_EQ(mci.sent.size(), 1u);
    mci.failOpenOfType = {{L"WaveAudio", mci::kErrExtensionNotFound}};
    dev->DeviceType = dtWaveAudio;
    mci.sent.clear();
    EXPECT_THROW(dev->Open(), EMCIDeviceError);
    EXPECT_EQ(mci.sent.size(), 1u);
}

TEST_F(Device, OpenFlagsFollowTypeAndSharing) {
    mci.Audio();
    dev->Shareable = true;
    dev->DeviceType = dtWaveAudio;
    Open();
    dev->Shareable = false;
    dev->DeviceType = dtCDAudio;
    dev->FileName.clear();
    dev->Open();
    EXPECT_EQ(mci.Calls()[1], std::make_pair(mci::kOpen, 0x2002u));  // after the close
    EXPECT_EQ(Params(1).deviceType, L"CDAudio");
    EXPECT_EQ(mci.Calls()[9], std::make_pair(mci::kSet, 0x0401u));  // before the mode is read
    EXPECT_EQ(Params(9).timeFormat, 10u);
    dev->DeviceType = dtWaveAudio;
    dev->FileName = L"b.wav";
    dev->Shareable = true;
    mci.sent.clear();
    dev->Open();
    EXPECT_EQ(mci.Calls()[1], std::make_pair(mci::kOpen, 0x2302u));
    EXPECT_EQ(Params(1).deviceType, L"WaveAudio");
}

TEST_F(Device, CommandsAndTheirFailures) {
    mci.Audio();
    dev->Close();  // no device: nothing sent
    EXPECT_TRUE(mci.sent.empty());
    Open();
    mci.position = 10;
    dev->Play();
    dev->Stop();
    dev->Rewind();
    dev->SetPosition(300);
    mci.position = 42;
    EXPECT_EQ(dev->Position(), 42u);
    EXPECT_EQ(dev->Length(), 1000u);
    EXPECT_EQ(mci.Calls(), (Calls{{mci::kStatus, 0x0102},  // Play compares position and length
                                  {mci::kStatus, 0x0102},
                                  {mci::kPlay, 0x0001},
                                  {mci::kStop, 0x0002},
                                  {mci::kSeek, 0x0102},
                                  {mci::kSeek, 0x000A},
                                  {mci::kStatus, 0x0102},
                                  {mci::kStatus, 0x0102}}));
    EXPECT_EQ(Params(2).callback, kWnd);
    EXPECT_EQ(Params(3).callback, kWnd);
    EXPECT_EQ(Params(5).to, 300u);
    EXPECT_EQ(Params(5).callback, kWnd);
    EXPECT_EQ(Params(7).item, mci::kStatusLength);

    mci.mode = 529;
    EXPECT_EQ(dev->Mode(), mpPaused);
    mci.failCommand[mci::kPlay] = 8;
    EXPECT_NO_THROW(dev->Play());
    EXPECT_EQ(dev->LastError(), 8u);
    mci.failStatus[mci::kStatusMode] = 5;
    EXPECT_EQ(dev->Mode(), mpNotReady);
    EXPECT_EQ(dev->LastError(), 5u);
    mci.failCommand[mci::kClose] = 5;
    dev->Close();
    EXPECT_TRUE(dev->IsOpen());
    mci.failCommand.clear();
    dev->Close();
    EXPECT_FALSE(dev->IsOpen());
    EXPECT_EQ(dev->DeviceId(), 0u);
}

TEST_F(Device, PlayRewindsAtTheEndAndSendsPendingPositionsOnce) {
    mci.Audio();
    Open();
    mci.position = 1000;
    dev->Play();
    EXPECT_EQ(mci.Messages(),
              (std::vector<std::uint32_t>{mci::kStatus, mci::kStatus, mci::kSeek, mci::kPlay}));
    EXPECT_EQ(mci.Calls()[2].second, 0x0102u);

    mci.sent.clear();
    dev->AutoRewind = false;
    dev->Play();
    EXPECT_EQ(mci.Messages(), std::vector<std::uint32_t>{mci::kPlay});

    mci.sent.clear();
    dev->AutoRewind = true;
    dev->SetStartPosition(100);
    dev->SetEndPosition(200);
    dev->Play();
    EXPECT_EQ(mci.Calls(), (Calls{{mci::kPlay, 0x000D}}));  // no rewind with positions pending
    EXPECT_EQ(Params(0).from, 100u);
    EXPECT_EQ(Params(0).to, 200u);
    mci.position = 5;
    dev->Play();
    EXPECT_EQ(mci.Calls().back(), std::make_pair(mci::kPlay, mci::kNotify));
}

TEST_F(Device, DisplayRectReachesOnlyAnOpenVideoDevice) {
    mci.Audio();
    Open();
    dev->SetDisplayRect(0, 0, 353, 243);
    EXPECT_TRUE(mci.sent.empty());
    mci.Video();
    Open();
    dev->SetDisplayRect(0, 12, 353, 155);
    dev->SetDisplayRect(5, 6, 0, 0);  // both zero: the default size
    dev->SetDisplayRect(0, 0, 0, 7);
    EXPECT_EQ(mci.Calls(),
              (Calls{{mci::kPut, 0x00050000}, {mci::kPut, 0x00050000}, {mci::kPut, 0x00050000}}));
    auto rect = [&](std::size_t i) {
        return std::vector<int>{Params(i).left, Params(i).top, Params(i).right, Params(i).bottom};
    };
    EXPECT_EQ(rect(0), (std::vector<int>{0, 12, 353, 155}));
    EXPECT_EQ(rect(1), (std::vector<int>{5, 6, 160, 120}));
    EXPECT_EQ(rect(2), (std::vector<int>{0, 0, 0, 7}));
}

TEST_F(Device, DestructionClosesAnOpenDeviceOnly) {
    dev.reset();
    EXPECT_TRUE(mci.sent.empty());
    dev.emplace(mci);
    mci.Audio();
    Open();
    mci.failCommand[mci::kClose] = 5;
    dev.reset();
    EXPECT_EQ(mci.Calls(), (Calls{{mci::kClose, mci::kWait}}));
    EXPECT_EQ(mci.sent[0].device, 7u);
}

TEST_F(Device, OperationsOfTheOtherButtons) {
    mci.Audio();
    Open();
    dev->Step();
    dev->Eject();
    EXPECT_TRUE(mci.sent.empty());  // no video, no door
    mci.mode = 526;
    dev->PauseOrResume();
    mci.mode = 529;
    dev->PauseOrResume();
    mci.failCommand[mci::kResume] = 274;
    dev->PauseOrResume();
    EXPECT_EQ(mci.Calls(), (Calls{{mci::kStatus, 0x0102},
                                  {mci::kPause, 0x0002},
                                  {mci::kStatus, 0x0102},
                                  {mci::kResume, 0x0002},
                                  {mci::kStatus, 0x0102},
                                  {mci::kResume, 0x0002},
                                  {mci::kStatus, 0x0102},  // Play after a failed resume
                                  {mci::kStatus, 0x0102},
                                  {mci::kPlay, 0x0001}}));
    mci.sent.clear();
    dev->Next();
    dev->Previous();
    EXPECT_EQ(
        mci.Calls(),
        (Calls{{mci::kStatus, 0x0102}, {mci::kSeek, 0x0202}, {mci::kStatus, 0x0102}, {mci::kSeek, 0x0102}}));

    mci.timeFormat = mci::kFormatTmsf;  // by track
    mci.tracks = 5;
    mci.track = 2;
    mci.position = 0x00010202;  // one second into track 2
    dev->Next();
    EXPECT_EQ(Params(mci.sent.size() - 1).to, 3u);
    dev->Previous();
    EXPECT_EQ(Params(mci.sent.size() - 1).to, 2u);
    mci.position = 2;  // at the very start of track 2
    dev->Previous();
    EXPECT_EQ(Params(mci.sent.size() - 1).to, 1u);

    mci.length = 250;
    mci.Video();
    mci.caps[mci::kGetDevCapsCanEject] = 1;
    Open();
    dev->Step();
    dev->Back();
    dev->Eject();
    dev->StartRecording();
    EXPECT_EQ(mci.Calls(), (Calls{{mci::kStep, 0x00020002},
                                  {mci::kStep, 0x00030002},
                                  {mci::kSet, 0x0102},
                                  {mci::kRecord, 0x0001}}));
    EXPECT_EQ(Params(0).frames, 25u);
}

TEST_F(Device, AutoRuleTable) {
    mci.caps = {{mci::kGetDevCapsCanPlay, 1}, {mci::kGetDevCapsCanRecord, 1}};
    dev->Open();
    const TButtonSet idle{btNext, btPrev, btPlay, btRecord};
    const TButtonSet playing{btNext, btPrev, btPause, btStop};
    ASSERT_EQ(dev->AutoButtons(), idle);
    const std::pair<TMPBtnType, TButtonSet> rows[] = {
        {btPlay, playing},
        {btRecord, playing},
        {btPause, {btNext, btPrev, btPlay, btRecord, btPause, btStop}},
        {btStop, idle},
        {btNext, idle},
        {btPrev, idle},
        {btStep, idle},
        {btBack, idle},
        {btEject, idle}};
    for (const auto& [button, after] : rows) {
        dev->ApplyAutoRule(btPlay);
        dev->ApplyAutoRule(button);
        EXPECT_EQ(dev->AutoButtons(), after) << Ordinal(button);
    }
    mci.caps.clear();  // neither play nor record: nothing comes back
    dev->Open();
    dev->ApplyAutoRule(btPlay);
    dev->ApplyAutoRule(btStop);
    EXPECT_EQ(dev->AutoButtons(), (TButtonSet{btNext, btPrev}));
}

}  // namespace
}  // namespace pelma
