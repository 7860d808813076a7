// Display-mode transitions, the menu rules and the caption-area steps, without a window.

#include "frame/Modes.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace frame_modes;

namespace {

auto Flags(const ModeState& m) {
    return std::tuple(m.fullScreen, m.framed, m.menu, m.controls);
}

}  // namespace

// Full screen takes the menu bar and the control bar away and gives back exactly what was
// there, from every windowed combination; the frame and bar toggles do nothing inside it.
TEST(FrameModes, FullScreenRoundTripRestoresEveryWindowedShape) {
    for (const bool framed : {true, false}) {
        for (const bool controls : {true, false}) {
            ModeState m;
            ASSERT_TRUE(SetFramed(m, framed, false));
            m.controls = controls;
            const auto before = Flags(m);
            ASSERT_TRUE(EnterFullScreen(m, false));
            EXPECT_EQ(Flags(m), std::tuple(true, framed, false, false));
            EXPECT_TRUE(m.barHover);  // the next tick hides the bar unless the pointer is on it
            EXPECT_EQ(ToSave(m).controls, controls ? 1 : 0);  // the bar from before full screen
            EXPECT_FALSE(EnterFullScreen(m, false));          // again: nothing more
            EXPECT_FALSE(ToggleControls(m, false));
            EXPECT_EQ(m.controls, false);
            ASSERT_TRUE(LeaveFullScreen(m, false));
            EXPECT_EQ(Flags(m), before);
            EXPECT_FALSE(m.barHover);
            EXPECT_FALSE(LeaveFullScreen(m, false));
        }
    }
}

TEST(FrameModes, ASoundOnlyMediumLocksTheModes) {
    ModeState m;
    const ModeState before = m;
    EXPECT_FALSE(EnterFullScreen(m, true));
    EXPECT_FALSE(SetFramed(m, false, true));
    EXPECT_FALSE(ToggleControls(m, true));
    EXPECT_EQ(Flags(m), Flags(before));
    EXPECT_EQ(m.barHover, before.barHover);
}

TEST(FrameModes, EnableAndCheckRules) {
    ModeState m;
    CommandState s{&m, Zoom::Percent200, 7, 6, 0, true};
    // A stored 7 extra lines checks none of the six line items.
    for (int r = int(CheckRule::Lines0); r <= int(CheckRule::Lines5); ++r)
        EXPECT_EQ(IsChecked(s, CheckRule(r)), false) << r;
    s.extraLines = 4;
    for (const CheckRule r :
         {CheckRule::Lines4, CheckRule::Zoom200, CheckRule::StandardView, CheckRule::Mute})
        EXPECT_EQ(IsChecked(s, r), true) << int(r);
    EXPECT_EQ(IsChecked(s, CheckRule::ZoomFree), false);
    EXPECT_EQ(IsChecked(s, CheckRule::None), std::nullopt);
    EXPECT_FALSE(IsEnabled(s, EnableRule::PlaylistNotEmpty));
    EXPECT_TRUE(IsEnabled(s, EnableRule::MediaOpen));

    ASSERT_TRUE(EnterFullScreen(m, false));
    // In full screen: no zoom marks; the views are disabled and keep the mark they had.
    EXPECT_EQ(IsChecked(s, CheckRule::Zoom200), false);
    EXPECT_EQ(IsChecked(s, CheckRule::FullScreen), true);
    EXPECT_EQ(IsChecked(s, CheckRule::StandardView), std::nullopt);
    EXPECT_FALSE(IsEnabled(s, EnableRule::NotFullScreen));
}

TEST(FrameModes, CaptionAreaStepsKeepTheirRanges) {
    using Step = std::optional<int> (*)(int, int);
    const auto none = std::nullopt;
    // A stored value out of range steps back into it, never further out.
    const std::tuple<Step, int, int, std::optional<int>> rows[] = {
        {StepExtraLines, 5, 1, none}, {StepExtraLines, 0, -1, none}, {StepExtraLines, 7, -1, 6},
        {StepExtraLines, 7, 1, none}, {StepCrop, 45, 1, 50},         {StepCrop, 50, 1, none},
        {StepCrop, 5, -1, 0},         {StepCrop, 0, -1, none},       {StepSizeRatio, 21, -1, none},
        {StepSizeRatio, 45, 1, none}, {StepSizeRatio, 50, -1, 49},   {StepSizeRatio, 50, 1, none}};
    for (const auto& [step, current, delta, result] : rows)
        EXPECT_EQ(step(current, delta), result) << current << " " << delta;
    EXPECT_EQ(StepCaptionPosition(60, 1), 60);
    EXPECT_EQ(StepCaptionPosition(0, -1), 0);
    EXPECT_EQ(StepCaptionPosition(90, 1), 60);
}
