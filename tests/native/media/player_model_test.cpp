#include <gtest/gtest.h>

#include "core/errors.h"
#include "media/player_model.h"
#include "tests/native/media/fake_mci.h"

namespace pelma {
namespace {

using testing::FakeMci;

struct CountingHost : ButtonBarHost {
    int bars = 0;
    void RepaintBar() override { ++bars; }
};

// MediaPlayer1 as the media branch leaves it: Play and Stop, AutoEnable off,
// EnabledButtons {Stop}, a sound open and playing.
struct Player : ::testing::Test {
    FakeMci mci;
    CountingHost host;
    MediaPlayerModel player{mci, host};
    std::vector<std::string> events;

    Player() {
        player.Bar().Resize(57, 30);
        player.SetAutoEnable(false);
        player.Bar().SetVisibleButtons({btPlay, btStop});
        player.OnClick = [this](TMPBtnType b, bool& doDefault) {
            events.push_back("click " + std::to_string(Ordinal(b)));
            EXPECT_TRUE(doDefault);
        };
        player.OnPostClick = [this](TMPBtnType b) { events.push_back("post " + std::to_string(Ordinal(b))); };
        player.OnNotify = [this] { events.push_back("notify"); };
    }
    void OpenAndPlay() {
        mci.Audio();
        player.Device().FileName = L"a.wav";
        player.Device().Open();
        player.Bar().SetEnabledButtons({btStop});
        player.Device().Play();
        mci.mode = 526;
        mci.sent.clear();
    }
    void ClickAt(int x) {
        player.MouseDown(x, 10);
        player.MouseUp(x, 10);
    }
    TButtonSet Shown() const { return player.Bar().AutoEnabledButtons(); }
};

TEST_F(Player, ClickRunsOnClickTheOperationAndOnPostClick) {
    OpenAndPlay();
    ClickAt(40);
    EXPECT_EQ(events, (std::vector<std::string>{"click 2", "post 2"}));
    EXPECT_EQ(mci.Messages(), std::vector<std::uint32_t>{mci::kStop});

    events.clear();
    mci.sent.clear();
    player.OnClick = [this](TMPBtnType, bool& doDefault) {
        events.push_back("click");
        doDefault = false;
    };
    ClickAt(40);
    EXPECT_EQ(events, std::vector<std::string>{"click"});
    EXPECT_TRUE(mci.sent.empty());
}

TEST_F(Player, FirstClickHandsTheBarToTheAutomaticRules) {
    OpenAndPlay();
    EXPECT_EQ(Shown(), (TButtonSet{btNext, btPrev, btPlay}));  // copied at Open, not yet in use
    player.OnClick = [this](TMPBtnType, bool&) { player.SetAutoEnable(true); };
    ClickAt(40);  // Stop
    EXPECT_EQ(Shown(), (TButtonSet{btNext, btPrev, btPlay}));
    EXPECT_EQ(player.Bar().Glyph(btPlay), gkColored);
    EXPECT_EQ(player.Bar().Glyph(btStop), gkDisabled);
    ClickAt(10);  // Play
    EXPECT_EQ(Shown(), (TButtonSet{btNext, btPrev, btPause, btStop}));
}

TEST_F(Player, RulesFollowOnlyASuccessfulCommandOnAnOpenDevice) {
    OpenAndPlay();
    player.SetAutoEnable(true);
    player.Bar().SetEnabledButtons({btPlay, btStop});  // Space goes by these
    const TButtonSet before = Shown();
    mci.failCommand[mci::kPlay] = 8;
    ClickAt(10);
    EXPECT_EQ(Shown(), before);
    player.KeyDown(kKeySpace);  // Play has the focus; the same holds for the keyboard
    EXPECT_EQ(Shown(), before);
    mci.failCommand.clear();
    player.KeyDown(kKeySpace);
    EXPECT_EQ(Shown(), (TButtonSet{btNext, btPrev, btPause, btStop}));

    player.SetAutoEnable(false);
    player.KeyDown(kKeyRight);
    player.KeyDown(kKeySpace);  // Stop, AutoEnable off: the rules wait
    EXPECT_EQ(Shown(), (TButtonSet{btNext, btPrev, btPause, btStop}));
}

TEST_F(Player, ClickWithoutADeviceRaisesAndLeavesNoPress) {
    player.SetAutoEnable(true);  // nothing auto-enabled: every button inactive
    ClickAt(10);
    EXPECT_TRUE(events.empty());
    player.SetAutoEnable(false);
    player.MouseDown(10, 10);
    EXPECT_THROW(player.MouseUp(10, 10), EMCIDeviceError);
    EXPECT_FALSE(player.Bar().Pressing());
    EXPECT_EQ(events, std::vector<std::string>{"click 0"});
}

TEST_F(Player, NotificationRestoresTheButtonsWhenStopped) {
    OpenAndPlay();
    player.SetAutoEnable(true);
    player.Bar().SetEnabledButtons({btPlay, btStop});
    player.KeyDown(kKeySpace);
    ASSERT_EQ(Shown(), (TButtonSet{btNext, btPrev, btPause, btStop}));
    mci.sent.clear();

    player.HandleNotify(mci::kNotifyAborted);  // still playing
    EXPECT_EQ(Shown(), (TButtonSet{btNext, btPrev, btPause, btStop}));
    EXPECT_EQ(player.Device().NotifyResult(), nvAborted);

    mci.mode = 525;
    const int repaints = host.bars;
    player.HandleNotify(mci::kNotifySuccessful);
    EXPECT_EQ(Shown(), (TButtonSet{btNext, btPrev, btPlay}));
    EXPECT_GT(host.bars, repaints);
    EXPECT_EQ(player.Device().NotifyResult(), nvSuccessful);
    EXPECT_EQ(events.back(), "notify");

    player.SetAutoEnable(false);
    mci.sent.clear();
    player.HandleNotify(mci::kNotifyFailure);
    EXPECT_TRUE(mci.sent.empty());  // no mode read with AutoEnable off
    EXPECT_EQ(player.Device().NotifyResult(), nvFailure);
}

TEST_F(Player, CloseEmptiesTheAutoEnabledButtons) {
    OpenAndPlay();
    player.Device().Close();
    EXPECT_TRUE(Shown().Empty());
}

}  // namespace
}  // namespace pelma
