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
            EXPECT_FALSE(EnterFullScreen(m, false));  // again: nothing more
            EXPECT_FALSE(ToggleControls(m, false));
            EXPECT_EQ(m.controls, false);
            ASSERT_TRUE(LeaveFullScreen(m, false));
            EXPECT_EQ(Flags(m), before);
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
    // What such a medium forced on is saved as it was before; changed by hand, it is not.
    m.autoRestore = 3;
    EXPECT_EQ(ToSave(m).framed, 0);
    EXPECT_EQ(ToSave(m).controls, 0);
    EXPECT_TRUE(ToggleControls(m, false));
    EXPECT_TRUE(SetFramed(m, true, false));
    EXPECT_EQ(m.autoRestore, 0);
    EXPECT_EQ(ToSave(m).framed, 1);
}

TEST(FrameModes, CheckRules) {
    ModeState m;
    CommandState s{&m, Zoom::Percent200, 7, 6, 0, true};
    // A stored 7 extra lines checks none of the six line items.
    for (int r = int(CheckRule::Lines0); r <= int(CheckRule::Lines5); ++r)
        EXPECT_EQ(IsChecked(s, CheckRule(r)), false) << r;
    s.extraLines = 4;
    EXPECT_EQ(IsChecked(s, CheckRule::Lines4), true);
    EXPECT_EQ(IsChecked(s, CheckRule::Zoom200), true);
    ASSERT_TRUE(EnterFullScreen(m, false));
    // In full screen: no zoom marks; the views keep the mark they had.
    EXPECT_EQ(IsChecked(s, CheckRule::Zoom200), false);
    EXPECT_EQ(IsChecked(s, CheckRule::StandardView), std::nullopt);
}

TEST(FrameModes, CaptionAreaStepsKeepTheirRanges) {
    struct Row {
        const char* what;
        std::optional<int> (*step)(int, int);
        int current, delta;
        std::optional<int> result;
    };
    const Row rows[] = {
        {"lines at 5, more", StepExtraLines, 5, 1, std::nullopt},
        {"lines at 0, less", StepExtraLines, 0, -1, std::nullopt},
        {"stored 7 lines, less", StepExtraLines, 7, -1, 6},
        {"stored 7 lines, more", StepExtraLines, 7, 1, std::nullopt},
        {"crop 45, more", StepCrop, 45, 1, 50},
        {"crop 50, more", StepCrop, 50, 1, std::nullopt},
        {"crop 5, less", StepCrop, 5, -1, 0},
        {"crop 0, less", StepCrop, 0, -1, std::nullopt},
        {"ratio 21, larger", StepSizeRatio, 21, -1, std::nullopt},
        {"ratio 45, smaller", StepSizeRatio, 45, 1, std::nullopt},
        {"stored ratio 50, larger", StepSizeRatio, 50, -1, 49},
        {"stored ratio 50, smaller", StepSizeRatio, 50, 1, std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(r.step(r.current, r.delta), r.result) << r.what;
    EXPECT_EQ(StepCaptionPosition(60, 1), 60);
    EXPECT_EQ(StepCaptionPosition(0, -1), 0);
    EXPECT_EQ(StepCaptionPosition(90, 1), 60);  // a stored value above the range comes back in
}
