#include <gtest/gtest.h>

#include <optional>

#include "core/errors.h"
#include "media/media_device.h"
#include "tests/native/media/fake_mci.h"

namespace pelma {
namespace {

using testing::FakeMci;
constexpr std::uintptr_t kWnd = 0x1234;

struct Device : ::testing::Test {
    FakeMci mci;
    std::optional<MediaDevice> dev{std::in_place, mci};
    std::vector<TButtonSet> published;

    Device() {
        dev->SetNotifyWindow(kWnd);
        dev->SetAutoButtonsChanged([this](TButtonSet s) { published.push_back(s); });
        dev->FileName = L"C:\\media\\a.wav";
    }
    void OpenAudio() {
        mci.Audio();
        dev->Open();
        mci.sent.clear();
    }
    void OpenVideo() {
        mci.Video();
        dev->Open();
        mci.sent.clear();
    }
    // The status item that a sent command asked for, or 0.
    static std::uint32_t Item(const testing::SentCommand& c) { return c.params.item; }
};

void ExpectNoDevice(const std::function<void()>& op) {
    try {
        op();
        ADD_FAILURE() << "no EMCIDeviceError";
    } catch (const EMCIDeviceError& e) {
        EXPECT_EQ(e.Message(), L"MCI デバイスがありません");
    }
}

TEST_F(Device, OperationsThatNeedADeviceRaiseAndSendNothing) {
    for (auto op : {&MediaDevice::Play, &MediaDevice::Stop, &MediaDevice::Rewind, &MediaDevice::PauseOrResume,
                    &MediaDevice::Next, &MediaDevice::Previous, &MediaDevice::Step, &MediaDevice::Back,
                    &MediaDevice::StartRecording, &MediaDevice::Eject})
        ExpectNoDevice([&] { (dev.value().*op)(); });
    ExpectNoDevice([&] { dev->Length(); });
    ExpectNoDevice([&] { dev->SetPosition(5); });
    dev->SetDisplayRect(0, 0, 100, 100);
    EXPECT_TRUE(mci.sent.empty());
    EXPECT_EQ(dev->LastError(), 0u);
}

TEST_F(Device, ReadsWithoutADeviceGoToDeviceZeroAndReportNothingOfTheReply) {
    EXPECT_EQ(dev->Position(), 0u);  // the failed reply's field is not passed on
    EXPECT_EQ(dev->LastError(), 257u);
    EXPECT_EQ(dev->Mode(), mpNotReady);
    dev->SetTimeFormat(mci::kFormatFrames);
    ASSERT_EQ(mci.sent.size(), 3u);
    for (const auto& c : mci.sent) EXPECT_EQ(c.device, 0u);
    EXPECT_EQ(mci.sent[0].flags, 0x0102u);
    EXPECT_EQ(mci.sent[0].params.item, mci::kStatusPosition);
    EXPECT_EQ(mci.sent[2].message, mci::kSet);
    EXPECT_EQ(mci.sent[2].flags, 0x0401u);
    EXPECT_EQ(mci.sent[2].params.timeFormat, 3u);
    EXPECT_EQ(mci.sent[2].params.callback, kWnd);
}

TEST_F(Device, OpenOfASoundSendsItsSequence) {
    mci.Audio();
    mci.length = 1234;
    dev->Open();
    const auto& s = mci.sent;
    ASSERT_EQ(mci.Messages(),
              (std::vector<std::uint32_t>{mci::kOpen, mci::kStatus, mci::kGetDevCaps, mci::kGetDevCaps,
                                          mci::kGetDevCaps, mci::kGetDevCaps, mci::kGetDevCaps, mci::kWhere,
                                          mci::kStatus}));
    EXPECT_EQ(s[0].device, 0u);
    EXPECT_EQ(s[0].flags, 0x0202u);
    EXPECT_EQ(s[0].params.deviceType, L"");
    EXPECT_EQ(s[0].params.element, L"C:\\media\\a.wav");
    EXPECT_EQ(s[0].params.alias, L"");
    EXPECT_EQ(s[0].params.callback, kWnd);
    EXPECT_EQ(Item(s[1]), mci::kStatusLength);
    const std::uint32_t caps[] = {8, 1, 7, 3, 4};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(s[2 + i].flags, 0x0102u);
        EXPECT_EQ(Item(s[2 + i]), caps[i]);
    }
    EXPECT_EQ(s[7].flags, 0x00020000u);
    EXPECT_EQ(Item(s[8]), mci::kStatusMode);
    for (std::size_t i = 1; i < s.size(); ++i) EXPECT_EQ(s[i].device, 7u);

    EXPECT_TRUE(dev->IsOpen());
    EXPECT_EQ(dev->DeviceId(), 7u);
    EXPECT_EQ(dev->StepCount(), 123u);
    EXPECT_TRUE(dev->CanPlay());
    EXPECT_FALSE(dev->HasVideo());
    EXPECT_FALSE(dev->CanStep());
    const TButtonSet expected{btNext, btPrev, btPlay};
    EXPECT_EQ(dev->AutoButtons(), expected);
    EXPECT_EQ(published, std::vector<TButtonSet>{expected});
}

TEST_F(Device, OpenOfAMovieBindsTheDisplayAndTakesItsDestinationSize) {
    int created = 0;
    dev->SetDisplay([&] {
        ++created;
        return std::uintptr_t{0x5678};
    });
    mci.Video();
    mci.caps[mci::kGetDevCapsCanEject] = 1;
    mci.caps[mci::kGetDevCapsCanRecord] = 1;
    dev->Open();
    const auto m = mci.Messages();
    ASSERT_EQ(m.size(), 11u);
    EXPECT_EQ(m[7], mci::kWhere);
    EXPECT_EQ(mci.sent[7].flags, mci::kDgvWhereSource);
    EXPECT_EQ(m[8], mci::kWindow);
    EXPECT_EQ(mci.sent[8].flags, 0x00010002u);
    EXPECT_EQ(mci.sent[8].params.window, 0x5678u);
    EXPECT_EQ(m[9], mci::kWhere);
    EXPECT_EQ(mci.sent[9].flags, mci::kDgvWhereDestination);
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(dev->HasDisplay());
    EXPECT_EQ(dev->DefaultWidth(), 160);
    EXPECT_EQ(dev->DefaultHeight(), 120);
    EXPECT_EQ(dev->AutoButtons(), (TButtonSet{btNext, btPrev, btStep, btBack, btPlay, btRecord, btEject}));
}

TEST_F(Device, FailedDisplayBindingDropsTheDisplay) {
    dev->SetDisplay([] { return std::uintptr_t{0x5678}; });
    mci.Video();
    mci.failCommand[mci::kWindow] = 263;
    dev->Open();
    EXPECT_FALSE(dev->HasDisplay());
    EXPECT_TRUE(dev->IsOpen());
    EXPECT_EQ(dev->DefaultWidth(), 160);  // the destination is still asked for
}

TEST_F(Device, SoundDeviceNeverAsksForTheDisplay) {
    int created = 0;
    dev->SetDisplay([&] { return std::uintptr_t(++created); });
    OpenAudio();
    EXPECT_EQ(created, 0);
    dev->SetDisplayRect(0, 0, 353, 243);
    EXPECT_TRUE(mci.sent.empty());
}

TEST_F(Device, OpenOfAPlayingDeviceAppliesThePlayRule) {
    mci.Audio();
    mci.mode = 526;
    dev->Open();
    EXPECT_EQ(dev->AutoButtons(), (TButtonSet{btNext, btPrev, btPause, btStop}));
}

TEST_F(Device, OpenClosesThePreviousDeviceFirst) {
    OpenAudio();
    mci.newDeviceId = 9;
    dev->Open();
    ASSERT_GE(mci.sent.size(), 2u);
    EXPECT_EQ(mci.sent[0].message, mci::kClose);
    EXPECT_EQ(mci.sent[0].device, 7u);
    EXPECT_EQ(mci.sent[0].flags, mci::kWait);
    EXPECT_EQ(mci.sent[0].params.callback, kWnd);
    EXPECT_EQ(mci.sent[1].message, mci::kOpen);
    EXPECT_EQ(mci.sent[1].device, 0u);
    EXPECT_EQ(dev->DeviceId(), 9u);
    EXPECT_EQ(published.size(), 3u);  // first open, close, second open
    EXPECT_TRUE(published[1].Empty());
}

TEST_F(Device, OpenFailureRaisesThePlatformTextOrTheUnknownErrorText) {
    mci.failCommand[mci::kOpen] = 275;
    try {
        dev->Open();
        ADD_FAILURE();
    } catch (const EMCIDeviceError& e) {
        EXPECT_EQ(e.Message(), L"指定したファイルは開けません");
    }
    mci.hasText = false;
    try {
        dev->Open();
        ADD_FAILURE();
    } catch (const EMCIDeviceError& e) {
        EXPECT_EQ(e.Message(), L"原因不明のエラー");
    }
    mci.hasText = true;
    mci.text.clear();
    EXPECT_THROW(dev->Open(), EMCIDeviceError);
    EXPECT_EQ(dev->ErrorText(275), L"原因不明のエラー");
    EXPECT_EQ(dev->LastError(), 275u);
    EXPECT_FALSE(dev->IsOpen());
    EXPECT_EQ(mci.sent.size(), 3u);  // nothing after each failed open
}

TEST_F(Device, OpenFlagsFollowTypeAndSharing) {
    mci.Audio();
    dev->Shareable = true;
    dev->DeviceType = dtWaveAudio;
    dev->Open();
    EXPECT_EQ(mci.sent[0].flags, 0x2302u);
    EXPECT_EQ(mci.sent[0].params.deviceType, L"WaveAudio");

    mci.sent.clear();
    dev->Shareable = false;
    dev->DeviceType = dtCDAudio;
    dev->FileName.clear();
    dev->Open();
    EXPECT_EQ(mci.sent[1].flags, 0x2002u);  // after the close
    EXPECT_EQ(mci.sent[1].params.deviceType, L"CDAudio");
    bool setTracks = false;
    for (const auto& c : mci.sent)
        if (c.message == mci::kSet) setTracks = c.flags == 0x0401u && c.params.timeFormat == 10;
    EXPECT_TRUE(setTracks);
}

TEST_F(Device, CloseKeepsTheDeviceWhenItFails) {
    dev->Close();
    EXPECT_TRUE(mci.sent.empty());
    OpenAudio();
    mci.failCommand[mci::kClose] = 5;
    dev->Close();
    EXPECT_TRUE(dev->IsOpen());
    EXPECT_EQ(dev->LastError(), 5u);
    mci.failCommand.clear();
    dev->Close();
    EXPECT_FALSE(dev->IsOpen());
    EXPECT_EQ(dev->DeviceId(), 0u);
    EXPECT_TRUE(dev->AutoButtons().Empty());
}

TEST_F(Device, CommandsCarryTheirFlagsAndParameters) {
    OpenAudio();
    mci.position = 10;
    dev->Play();
    dev->Stop();
    dev->Rewind();
    dev->SetPosition(300);
    mci.position = 42;
    EXPECT_EQ(dev->Position(), 42u);
    EXPECT_EQ(dev->Length(), 1000u);
    const auto& s = mci.sent;
    ASSERT_EQ(s.size(), 8u);  // Play reads position and length first
    EXPECT_EQ(s[2].message, mci::kPlay);
    EXPECT_EQ(s[2].flags, mci::kNotify);
    EXPECT_EQ(s[2].params.callback, kWnd);
    EXPECT_EQ(s[3].message, mci::kStop);
    EXPECT_EQ(s[3].flags, mci::kWait);
    EXPECT_EQ(s[3].params.callback, kWnd);
    EXPECT_EQ(s[4].message, mci::kSeek);
    EXPECT_EQ(s[4].flags, 0x0102u);
    EXPECT_EQ(s[5].message, mci::kSeek);
    EXPECT_EQ(s[5].flags, 0x000Au);
    EXPECT_EQ(s[5].params.to, 300u);
    EXPECT_EQ(s[5].params.callback, kWnd);
    EXPECT_EQ(s[7].params.item, mci::kStatusLength);
    for (const auto& c : s) EXPECT_EQ(c.device, 7u);
}

TEST_F(Device, ModeIsTheStatusLess524) {
    OpenAudio();
    for (std::uint32_t m = 524; m <= 530; ++m) {
        mci.mode = m;
        EXPECT_EQ(static_cast<int>(dev->Mode()), static_cast<int>(m - 524));
    }
    mci.mode = 600;
    EXPECT_EQ(dev->Mode(), mpNotReady);
    mci.failStatus[mci::kStatusMode] = 5;
    EXPECT_EQ(dev->Mode(), mpNotReady);
    EXPECT_EQ(dev->LastError(), 5u);
}

TEST_F(Device, PlayRewindsAtTheEndAndSendsPendingPositionsOnce) {
    OpenAudio();
    mci.position = 1000;
    dev->Play();
    EXPECT_EQ(mci.Messages(),
              (std::vector<std::uint32_t>{mci::kStatus, mci::kStatus, mci::kSeek, mci::kPlay}));
    EXPECT_EQ(mci.sent[2].flags, 0x0102u);

    mci.sent.clear();
    dev->AutoRewind = false;
    dev->Play();
    EXPECT_EQ(mci.Messages(), std::vector<std::uint32_t>{mci::kPlay});

    mci.sent.clear();
    dev->AutoRewind = true;
    dev->SetStartPosition(100);
    dev->SetEndPosition(200);
    dev->Play();
    ASSERT_EQ(mci.Messages(), std::vector<std::uint32_t>{mci::kPlay});  // no rewind with positions pending
    EXPECT_EQ(mci.sent[0].flags, 0x000Du);
    EXPECT_EQ(mci.sent[0].params.from, 100u);
    EXPECT_EQ(mci.sent[0].params.to, 200u);
    EXPECT_FALSE(dev->StartPending());
    EXPECT_EQ(dev->StartPosition(), 100u);
    mci.sent.clear();
    mci.position = 5;
    dev->Play();
    EXPECT_EQ(mci.sent.back().flags, mci::kNotify);
}

TEST_F(Device, FailingCommandsOnlyKeepTheirCode) {
    OpenAudio();
    mci.failCommand[mci::kPlay] = 8;
    EXPECT_NO_THROW(dev->Play());
    EXPECT_EQ(dev->LastError(), 8u);
    mci.failCommand[mci::kStop] = 5;
    EXPECT_NO_THROW(dev->Stop());
    EXPECT_EQ(dev->LastError(), 5u);
    mci.failStatus[mci::kStatusPosition] = 5;
    mci.position = 77;
    EXPECT_EQ(dev->Position(), 0u);
    dev->Rewind();
    EXPECT_EQ(dev->LastError(), 0u);
}

TEST_F(Device, DisplayRectReachesOnlyAnOpenVideoDevice) {
    dev->SetDisplayRect(0, 0, 353, 243);
    OpenVideo();
    dev->SetDisplayRect(0, 12, 353, 155);
    dev->SetDisplayRect(5, 6, 0, 0);
    ASSERT_EQ(mci.sent.size(), 2u);
    const auto& a = mci.sent[0].params;
    EXPECT_EQ(mci.sent[0].message, mci::kPut);
    EXPECT_EQ(mci.sent[0].flags, 0x00050000u);
    EXPECT_EQ((std::vector<int>{a.left, a.top, a.right, a.bottom}), (std::vector<int>{0, 12, 353, 155}));
    const auto& b = mci.sent[1].params;
    EXPECT_EQ((std::vector<int>{b.left, b.top, b.right, b.bottom}), (std::vector<int>{5, 6, 160, 120}));
    mci.sent.clear();
    dev->SetDisplayRect(0, 0, 0, 7);  // only both zero mean the default size
    EXPECT_EQ(mci.sent[0].params.right, 0);
    EXPECT_EQ(mci.sent[0].params.bottom, 7);
}

TEST_F(Device, DestructionClosesAnOpenDeviceOnly) {
    dev.reset();
    EXPECT_TRUE(mci.sent.empty());
    dev.emplace(mci);
    mci.Audio();
    dev->Open();
    mci.sent.clear();
    mci.failCommand[mci::kClose] = 5;
    dev.reset();
    ASSERT_EQ(mci.sent.size(), 1u);
    EXPECT_EQ(mci.sent[0].message, mci::kClose);
    EXPECT_EQ(mci.sent[0].flags, mci::kWait);
    EXPECT_EQ(mci.sent[0].device, 7u);
}

TEST_F(Device, PauseResumesOrPlaysByMode) {
    OpenAudio();
    mci.mode = 526;  // playing
    dev->PauseOrResume();
    EXPECT_EQ(mci.sent.back().message, mci::kPause);
    EXPECT_EQ(mci.sent.back().flags, mci::kWait);
    mci.mode = 529;  // paused
    mci.sent.clear();
    dev->PauseOrResume();
    EXPECT_EQ(mci.Messages(), (std::vector<std::uint32_t>{mci::kStatus, mci::kResume}));
    mci.failCommand[mci::kResume] = 274;
    mci.sent.clear();
    dev->PauseOrResume();
    EXPECT_EQ(mci.sent.back().message, mci::kPlay);
    mci.mode = 525;  // stopped: nothing to pause
    mci.sent.clear();
    dev->PauseOrResume();
    EXPECT_EQ(mci.Messages(), std::vector<std::uint32_t>{mci::kStatus});
}

TEST_F(Device, NextAndPreviousSeekByTrackOrToTheEnds) {
    OpenAudio();
    dev->Next();
    EXPECT_EQ(mci.sent.back().flags, mci::kSeekToEnd | mci::kWait);
    dev->Previous();
    EXPECT_EQ(mci.sent.back().flags, mci::kSeekToStart | mci::kWait);

    mci.timeFormat = mci::kFormatTmsf;
    mci.tracks = 5;
    mci.track = 2;
    mci.position = 0x00010202;  // one second into track 2
    dev->Next();
    EXPECT_EQ(mci.sent.back().flags, mci::kTo | mci::kWait);
    EXPECT_EQ(mci.sent.back().params.to, 3u);
    dev->Previous();
    EXPECT_EQ(mci.sent.back().params.to, 2u);
    mci.position = 2;  // at the very start of track 2
    dev->Previous();
    EXPECT_EQ(mci.sent.back().params.to, 1u);
    mci.track = 5;
    dev->Next();
    EXPECT_EQ(mci.sent.back().flags, mci::kSeekToEnd | mci::kWait);
}

TEST_F(Device, StepEjectAndRecord) {
    OpenAudio();
    dev->Step();
    dev->Eject();
    EXPECT_TRUE(mci.sent.empty());  // no video, no door
    dev->StartRecording();
    EXPECT_EQ(mci.sent.back().message, mci::kRecord);
    EXPECT_EQ(mci.sent.back().flags, mci::kNotify);

    mci.length = 250;
    mci.Video();
    mci.caps[mci::kGetDevCapsCanEject] = 1;
    dev->Open();
    mci.sent.clear();
    dev->Step();
    dev->Back();
    dev->Eject();
    ASSERT_EQ(mci.sent.size(), 3u);
    EXPECT_EQ(mci.sent[0].message, mci::kStep);
    EXPECT_EQ(mci.sent[0].flags, 0x00020002u);
    EXPECT_EQ(mci.sent[0].params.frames, 25u);
    EXPECT_EQ(mci.sent[1].flags, 0x00030002u);
    EXPECT_EQ(mci.sent[2].message, mci::kSet);
    EXPECT_EQ(mci.sent[2].flags, 0x0102u);
}

TEST_F(Device, AutoRuleTable) {
    mci.caps = {{mci::kGetDevCapsCanPlay, 1}, {mci::kGetDevCapsCanRecord, 1}};
    dev->Open();
    const TButtonSet start{btNext, btPrev, btPlay, btRecord};
    ASSERT_EQ(dev->AutoButtons(), start);
    struct Row {
        TMPBtnType button;
        TButtonSet after;
    };
    const TButtonSet playing{btNext, btPrev, btPause, btStop};
    const Row rows[] = {{btPlay, playing},
                        {btRecord, playing},
                        {btPause, {btNext, btPrev, btPlay, btRecord, btPause, btStop}},
                        {btStop, start},
                        {btNext, start},
                        {btPrev, start},
                        {btStep, start},
                        {btBack, start},
                        {btEject, start}};
    for (const auto& r : rows) {
        dev->ApplyAutoRule(btPlay);
        dev->ApplyAutoRule(r.button);
        EXPECT_EQ(dev->AutoButtons(), r.after) << Ordinal(r.button);
    }
    // A device that can neither play nor record gets nothing back.
    mci.caps.clear();
    dev->Open();
    dev->ApplyAutoRule(btPlay);
    dev->ApplyAutoRule(btStop);
    EXPECT_EQ(dev->AutoButtons(), (TButtonSet{btNext, btPrev}));
}

TEST(NotifyCode, TakesTheFourCodesAndIgnoresOthers) {
    FakeMci mci;
    MediaDevice dev(mci);
    EXPECT_EQ(dev.NotifyResult(), nvSuccessful);
    const std::pair<std::uint32_t, TMPNotifyValues> rows[] = {{2, nvSuperseded}, {3, nvSuperseded},
                                                              {4, nvAborted},    {8, nvFailure},
                                                              {0, nvFailure},    {1, nvSuccessful}};
    for (const auto& [code, result] : rows) {
        dev.TakeNotifyCode(code);
        EXPECT_EQ(dev.NotifyResult(), result) << code;
    }
}

}  // namespace
}  // namespace pelma
