// Pure rules of the control bar: layout, play-state table, volume slider, slider arithmetic,
// groove colours and the flat button's face choice. The widget tests check the same rules
// end to end at client width 400, 120 seconds and the transport clicks.

#include <gtest/gtest.h>

#include <climits>

#include "controls/ControlBarRules.h"

using namespace controlbar;

TEST(ControlBarRules, LayoutFollowsTheClientWidth) {
    EXPECT_EQ(
        LayoutAtWidth(368),
        (PanelLayout{{0, 0, 264, 24}, {266, 0, 102, 24}, {308, 30, 63, 26}, {286, 30, 22, 22}}));
    // Narrower than the time display: the seek slider shrinks to nothing, never below.
    EXPECT_EQ(
        LayoutAtWidth(50),
        (PanelLayout{{0, 0, 0, 24}, {-52, 0, 102, 24}, {-10, 30, 63, 26}, {-32, 30, 22, 22}}));
}

TEST(ControlBarRules, PlayStateTable) {
    using L = Latch;
    const std::pair<int, TransportChange> rows[] = {
        {0, {L::Released, L::Released, L::Latched, false}},
        {3, {L::Released, L::Released, L::Released, false}},
        {7, {L::Released, L::Released, L::Released, false}},
        {8, {L::Unchanged, L::Unchanged, L::Unchanged, true}},
        {9, {}},
        {-1, {}},
        {INT_MAX, {}},
    };
    for (const auto& [state, expected] : rows)
        EXPECT_EQ(TransportForPlayState(state), expected) << state;
}

TEST(ControlBarRules, TheVolumeSliderMirrorsTheStep) {
    // Its right end (10) is the loudest step 0.
    EXPECT_EQ(VolumeStepForSliderPosition(10), 0);
    EXPECT_EQ(VolumeStepForSliderPosition(0), 10);
    EXPECT_EQ(SliderPositionForVolumeStep(1), 9);
}

TEST(ControlBarRules, ClickToValueRoundsAndClamps) {
    const Span span{10, 210};
    const std::pair<int, int> rows[] = {{110, 5000}, {211, 10000}, {0, 0},          {11, 50},
                                        {-5000, 0},  {INT_MIN, 0}, {INT_MAX, 10000}};
    for (auto [x, expected] : rows) EXPECT_EQ(ClickToValue(x, span, 0, 10000), expected) << x;
    // Small range: halves round up.
    EXPECT_EQ(ClickToValue(20, span, 0, 10), 1);  // 0.5 + 0.5
    EXPECT_EQ(ClickToValue(19, span, 0, 10), 0);  // 0.45 + 0.5
    // A span without width lands on the range minimum instead of dividing by zero.
    EXPECT_EQ(ClickToValue(50, Span{40, 30}, 0, 10000), 0);
    EXPECT_EQ(ClickToValue(50, Span{30, 30}, 3, 10), 3);
    EXPECT_EQ(ThumbCentreSpan(8, 288, 100, 111), (Span{13, 283}));  // half of 11 is 5
}

TEST(ControlBarRules, GrooveColoursHalveTowardsMinusInfinity) {
    EXPECT_EQ(HalfwayFrom({0, 0, 0}, {255, 1, 3}), (Rgb{127, 0, 1}));
    EXPECT_EQ(HalfwayFrom({10, 10, 10}, {7, 9, 10}), (Rgb{8, 9, 10}));  // -1.5 -> -2, -0.5 -> -1
    // Classic system colours: face 192, shadow 128, dark shadow 0, highlight 255.
    EXPECT_EQ(ChannelColoursFor({192, 192, 192}, {128, 128, 128}, {0, 0, 0}, {255, 255, 255}),
              (ChannelColours{{64, 64, 64}, {160, 160, 160}, {255, 255, 255}}));
}

TEST(ControlBarRules, FacePriority) {
    using F = Face;
    using K = FrameKind;
    struct Row {
        bool enabled, latched, held, hover;
        FacePlan expected;
    };
    const Row rows[] = {
        {true, false, false, false, {F::Normal, K::None, 1}},
        {true, false, false, true, {F::Normal, K::Raised, 1}},
        {true, false, true, true, {F::Pushed, K::Sunken, 2}},
        {true, true, true, true, {F::Latched, K::Sunken, 0}},  // latched beats held and hover
        {false, true, true, true, {F::Disabled, K::None, 0}},  // disabled beats everything
    };
    for (const Row& r : rows)
        EXPECT_EQ(PlanFace(r.enabled, r.latched, r.held, r.hover), r.expected)
            << r.enabled << r.latched << r.held << r.hover;
}
