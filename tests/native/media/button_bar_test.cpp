#include <gtest/gtest.h>

#include "media/button_bar.h"

namespace pelma {
namespace {

struct RecordingHost : ButtonBarHost {
    int bars = 0;
    std::vector<TMPBtnType> buttons;
    std::vector<std::pair<int, int>> sizes;
    std::vector<bool> captures;
    ButtonBar* bar = nullptr;  // when set, a resize comes back as the window would send it

    void RepaintBar() override { ++bars; }
    void RepaintButton(TMPBtnType b) override { buttons.push_back(b); }
    void SetControlSize(int w, int h) override {
        sizes.emplace_back(w, h);
        if (bar) bar->Resize(w, h);
    }
    void SetMouseCapture(bool c) override { captures.push_back(c); }
    void Clear() { *this = RecordingHost{}; }
};

// The media player of the main window: 57 x 30, Play and Stop.
struct Bar : ::testing::Test {
    RecordingHost host;
    ButtonBar bar{host};
    Bar() {
        bar.SetVisibleButtons({btPlay, btStop});
        bar.Resize(57, 30);
        host = RecordingHost{};
    }
};

TEST_F(Bar, TwoButtonsShareOneBorderColumn) {
    EXPECT_EQ(bar.ButtonWidth(), 29);
    EXPECT_EQ(bar.Width(), 57);
    EXPECT_EQ(bar.ButtonRect(btPlay), (BarRect{0, 0, 29, 30}));
    EXPECT_EQ(bar.ButtonRect(btStop), (BarRect{28, 0, 57, 30}));
    EXPECT_EQ(bar.ButtonRect(btPause), BarRect{});
    EXPECT_FALSE(bar.ButtonLeft(btPause));
    EXPECT_EQ(bar.HitTest(0), btPlay);
    EXPECT_EQ(bar.HitTest(28), btPlay);
    EXPECT_EQ(bar.HitTest(29), btPlay);
    EXPECT_EQ(bar.HitTest(30), btStop);
    EXPECT_EQ(bar.HitTest(57), btStop);
    EXPECT_FALSE(bar.HitTest(58));
    EXPECT_FALSE(bar.HitTest(-1));
    EXPECT_TRUE(host.sizes.empty());
}

TEST_F(Bar, ResizeKeepsWholeButtonsAndTheMinimumSize) {
    bar.Resize(60, 30);  // (59 div 2) + 1 = 30 wide: 59 in all
    EXPECT_EQ(bar.ButtonWidth(), 30);
    EXPECT_EQ(host.sizes.back(), std::make_pair(59, 30));
    bar.Resize(40, 10);  // raised to two 29-wide buttons and 20 high
    EXPECT_EQ(host.sizes.back(), std::make_pair(57, 20));
    EXPECT_EQ(bar.ButtonWidth(), 29);
    host.sizes.clear();
    bar.Resize(57, 20);
    EXPECT_TRUE(host.sizes.empty());
    bar.SetGlyphExtent(30, 20);  // larger glyphs: 38 x 24 buttons
    EXPECT_EQ(host.sizes.back(), std::make_pair(75, 24));
}

TEST_F(Bar, VisibleButtonsResizesToTheButtonCount) {
    host.bar = &bar;
    bar.SetVisibleButtons({btPlay, btPause, btStop});
    EXPECT_EQ(host.sizes.back(), std::make_pair(85, 30));
    EXPECT_EQ(bar.ButtonLeft(btStop), 56);
    EXPECT_GE(host.bars, 1);
    bar.SetVisibleButtons({});  // no buttons: one button's width
    EXPECT_EQ(bar.Width(), 29);
    EXPECT_FALSE(bar.HitTest(5));

    RecordingHost fresh;
    ButtonBar created(fresh);  // 240 x 30 with nine buttons of 27: raised to 29 each
    EXPECT_EQ(created.ButtonWidth(), 27);
    created.Resize(240, 30);
    EXPECT_EQ(fresh.sizes.back(), std::make_pair(253, 30));
}

TEST_F(Bar, GlyphFollowsTheFlags) {
    struct Row {
        bool autoEnable, enabled, autoEnabled, colored, control;
        GlyphKind glyph;
    };
    const Row rows[] = {
        {false, true, false, true, true, gkColored},  {false, true, false, false, true, gkEnabled},
        {false, false, true, true, true, gkDisabled}, {true, false, true, true, true, gkColored},
        {true, true, false, true, true, gkDisabled},  {true, false, true, false, true, gkEnabled},
        {false, true, true, true, false, gkDisabled},
    };
    for (const auto& r : rows) {
        bar.SetAutoEnable(false, {});
        bar.SetEnabledButtons(r.enabled ? TButtonSet{btPlay} : TButtonSet{});
        bar.SetColoredButtons(r.colored ? TButtonSet{btPlay} : TButtonSet{});
        bar.CopyAutoButtons(r.autoEnabled ? TButtonSet{btPlay} : TButtonSet{});
        bar.SetAutoEnable(r.autoEnable, bar.AutoEnabledButtons());
        bar.SetControlEnabled(r.control);
        EXPECT_EQ(bar.Glyph(btPlay), r.glyph) << r.autoEnable << r.enabled << r.autoEnabled << r.colored;
        EXPECT_EQ(bar.IsActive(btPlay), r.glyph != gkDisabled);
        bar.SetControlEnabled(true);
    }
    EXPECT_EQ(GlyphResourceName(gkColored, btPlay), L"CL_MPPLAY");
}

TEST_F(Bar, AutoEnableRepaintsOnlyWhenItChanges) {
    bar.SetAutoEnable(true, {btStop});
    EXPECT_EQ(host.bars, 0);
    bar.SetAutoEnable(false, {btStop});
    EXPECT_EQ(host.bars, 1);
    bar.SetAutoEnable(false, {btStop});
    EXPECT_EQ(host.bars, 1);
    bar.SetAutoEnable(true, {btStop});
    EXPECT_EQ(host.bars, 2);
    EXPECT_EQ(bar.AutoEnabledButtons(), TButtonSet{btStop});
}

TEST_F(Bar, MousePressFollowsThePointerAndClicksOnRelease) {
    bar.SetAutoEnable(false, {});
    bar.SetEnabledButtons({btStop});
    host.Clear();
    EXPECT_EQ(bar.Glyph(btPlay), gkDisabled);
    EXPECT_EQ(bar.Glyph(btStop), gkColored);
    bar.MouseDown(10, 10);  // Play is inactive
    EXPECT_FALSE(bar.Pressing());
    EXPECT_TRUE(host.captures.empty());
    EXPECT_FALSE(bar.MouseUp(10, 10));
    host.Clear();

    bar.MouseDown(40, 10);
    EXPECT_TRUE(bar.ShownPressed(btStop));
    EXPECT_EQ(bar.FocusedButton(), btStop);
    EXPECT_EQ(host.bars, 1);  // the focus moved: the whole bar
    EXPECT_EQ(host.captures, std::vector<bool>{true});
    bar.MouseMove(45, 12);
    EXPECT_TRUE(host.buttons.empty());
    bar.MouseMove(10, 12);
    EXPECT_FALSE(bar.ShownPressed(btStop));
    bar.MouseMove(50, 29);
    EXPECT_TRUE(bar.ShownPressed(btStop));
    EXPECT_EQ(host.buttons.size(), 2u);
    EXPECT_EQ(bar.MouseUp(50, 29), btStop);
    EXPECT_FALSE(bar.Pressing());
    EXPECT_EQ(host.captures, (std::vector<bool>{true, false}));

    bar.MouseDown(40, 10);  // already focused: only the button
    EXPECT_EQ(host.bars, 1);
    bar.MouseMove(40, 31);
    EXPECT_FALSE(bar.MouseUp(40, 31));  // released outside: no click
    EXPECT_FALSE(bar.Pressing());
}

TEST_F(Bar, KeyboardMovesAmongVisibleButtonsAndSpaceUsesTheEnabledFlag) {
    bar.SetVisibleButtons({btPlay, btStop, btEject});
    host.Clear();
    EXPECT_FALSE(bar.KeyDown(kKeyLeft));
    EXPECT_EQ(bar.FocusedButton(), btPlay);
    EXPECT_EQ(host.bars, 0);
    bar.KeyDown(kKeyRight);
    EXPECT_EQ(bar.FocusedButton(), btStop);
    bar.KeyDown(kKeyRight);
    bar.KeyDown(kKeyRight);
    EXPECT_EQ(bar.FocusedButton(), btEject);
    EXPECT_EQ(host.bars, 2);

    bar.SetAutoEnable(true, {});  // no auto-enabled button, yet Space goes by EnabledButtons
    EXPECT_EQ(bar.KeyDown(kKeySpace), btEject);
    EXPECT_EQ(bar.CurrentButton(), btEject);
    bar.SetEnabledButtons({btPlay});
    EXPECT_FALSE(bar.KeyDown(kKeySpace));
    EXPECT_FALSE(bar.KeyDown('A'));
}

TEST_F(Bar, HidingTheFocusedButtonHandsTheFocusOn) {
    bar.SetVisibleButtons({btStop, btEject});
    EXPECT_EQ(bar.FocusedButton(), btStop);
    bar.SetVisibleButtons({});
    EXPECT_FALSE(bar.KeyDown(kKeySpace));
}

TEST_F(Bar, FacesDescribeTheDrawing) {
    bar.SetAutoEnable(false, {});
    bar.FocusChanged(true);
    bar.MouseDown(40, 5);
    const auto faces = bar.Faces();
    ASSERT_EQ(faces.size(), 2u);
    const ButtonFace& play = faces[0];
    const ButtonFace& stop = faces[1];
    EXPECT_FALSE(play.pressed);
    EXPECT_FALSE(play.focused);
    EXPECT_EQ(play.light[0], (BarPoint{1, 28}));
    EXPECT_EQ(play.light[2], (BarPoint{28, 1}));
    EXPECT_EQ(play.dark[1], (BarPoint{27, 28}));
    EXPECT_EQ(GlyphOrigin(play, 17, 16), (BarPoint{6, 7}));
    EXPECT_TRUE(stop.pressed);
    EXPECT_TRUE(stop.focused);
    EXPECT_EQ(stop.focusRect, (BarRect{32, 4, 55, 28}));
    EXPECT_EQ(GlyphOrigin(stop, 17, 16), (BarPoint{35, 8}));
    EXPECT_EQ(bar.Frame(), (BarRect{0, 0, 57, 30}));
}

}  // namespace
}  // namespace pelma
