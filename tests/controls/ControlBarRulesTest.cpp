// Pure rules of the control bar: layout, play-state table, volume table, slider arithmetic,
// groove colours and the flat button's face choice.

#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "controls/ControlBarRules.h"

using namespace controlbar;

TEST(ControlBarRules, LayoutFollowsTheClientWidth) {
    struct Row {
        int cx;
        PanelLayout expected;
    };
    const Row rows[] = {
        {400, {{0, 0, 296, 24}, {298, 0, 102, 24}, {340, 30, 63, 26}, {318, 30, 22, 22}}},
        {368, {{0, 0, 264, 24}, {266, 0, 102, 24}, {308, 30, 63, 26}, {286, 30, 22, 22}}},
        {640, {{0, 0, 536, 24}, {538, 0, 102, 24}, {580, 30, 63, 26}, {558, 30, 22, 22}}},
        // Narrower than the time display: the seek slider shrinks to nothing, never below.
        {50, {{0, 0, 0, 24}, {-52, 0, 102, 24}, {-10, 30, 63, 26}, {-32, 30, 22, 22}}},
    };
    for (const Row& row : rows) EXPECT_EQ(LayoutAtWidth(row.cx), row.expected) << row.cx;
    // The Mute button's right edge meets the volume slider's left edge.
    const PanelLayout l = LayoutAtWidth(400);
    EXPECT_EQ(l.mute.x + l.mute.w, l.volume.x);
    EXPECT_EQ(l.volume.x + l.volume.w, 403);  // three pixels beyond the client edge
}

TEST(ControlBarRules, PlayStateTable) {
    using L = Latch;
    struct Row {
        int state;
        TransportChange expected;
    };
    const Row rows[] = {
        {0, {L::Released, L::Released, L::Latched, false}},
        {1, {L::Released, L::Latched, L::Released, false}},
        {2, {L::Latched, L::Released, L::Released, false}},
        {3, {L::Released, L::Released, L::Released, false}},
        {4, {}},
        {5, {}},
        {6, {L::Released, L::Released, L::Released, false}},
        {7, {L::Released, L::Released, L::Released, false}},
        {8, {L::Unchanged, L::Unchanged, L::Unchanged, true}},
        {9, {}},
        {10, {}},
        {-1, {}},
        {INT_MAX, {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(TransportForPlayState(row.state), row.expected) << row.state;
}

TEST(ControlBarRules, TransportPreconditions) {
    // Play toggles unless playing, Pause only while playing, Stop unless stopped.
    for (int s : {0, 1, 3, 8}) EXPECT_TRUE(PlayClickToggles(s)) << s;
    EXPECT_FALSE(PlayClickToggles(2));
    EXPECT_TRUE(PauseClickToggles(2));
    for (int s : {0, 1, 8}) EXPECT_FALSE(PauseClickToggles(s)) << s;
    EXPECT_FALSE(StopClickStops(0));
    for (int s : {1, 2, 8}) EXPECT_TRUE(StopClickStops(s)) << s;
}

TEST(ControlBarRules, VolumeTableAndSliderMapping) {
    const int table[] = {0, -90, -190, -300, -440, -600, -790, -1040, -1390, -2000, -9640};
    for (int step = 0; step <= 10; ++step) EXPECT_EQ(VolumeForStep(step), table[step]) << step;
    EXPECT_EQ(VolumeForStep(-1), 0);
    EXPECT_EQ(VolumeForStep(11), -9640);
    EXPECT_EQ(VolumeForStep(INT_MIN), 0);
    EXPECT_EQ(VolumeForStep(INT_MAX), -9640);
    EXPECT_EQ(ClampVolumeStep(-3), 0);
    EXPECT_EQ(ClampVolumeStep(12), 10);
    // The slider shows 10 - step: its right end (10) is the loudest step 0.
    EXPECT_EQ(VolumeStepForSliderPosition(10), 0);
    EXPECT_EQ(VolumeStepForSliderPosition(0), 10);
    EXPECT_EQ(SliderPositionForVolumeStep(1), 9);
}

TEST(ControlBarRules, SeekTarget) {
    EXPECT_DOUBLE_EQ(SeekSecondsForPosition(120.0, 5000), 60.0);
    EXPECT_DOUBLE_EQ(SeekSecondsForPosition(120.0, 10000), 120.0);
    EXPECT_DOUBLE_EQ(SeekSecondsForPosition(0.0, 7000), 0.0);
}

TEST(ControlBarRules, ClickToValueRoundsAndClamps) {
    const Span span{10, 210};
    struct Row {
        int x;
        int expected;
    };
    const Row rows[] = {
        {110, 5000}, {211, 10000}, {0, 0},     {10, 0},          {210, 10000},
        {11, 50},    {12, 100},    {-5000, 0}, {INT_MAX, 10000}, {INT_MIN, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ClickToValue(row.x, span, 0, 10000), row.expected) << row.x;
    // Small range: halves round up.
    EXPECT_EQ(ClickToValue(20, span, 0, 10), 1);  // 0.5 + 0.5
    EXPECT_EQ(ClickToValue(19, span, 0, 10), 0);  // 0.45 + 0.5
    // A span without width lands on the range minimum instead of dividing by zero.
    EXPECT_EQ(ClickToValue(50, Span{30, 30}, 0, 10000), 0);
    EXPECT_EQ(ClickToValue(50, Span{40, 30}, 0, 10000), 0);
    EXPECT_EQ(ClickToValue(50, Span{30, 30}, 3, 10), 3);
}

TEST(ControlBarRules, ThumbCentreSpanHalvesTheThumb) {
    EXPECT_EQ(ThumbCentreSpan(8, 288, 100, 111), (Span{13, 283}));  // half of 11 is 5
    EXPECT_EQ(ThumbCentreSpan(0, 63, 20, 32), (Span{6, 57}));
    EXPECT_EQ(ThumbCentreSpan(0, 10, 0, 0), (Span{0, 10}));
}

TEST(ControlBarRules, GrooveColoursHalveTowardsMinusInfinity) {
    EXPECT_EQ(HalfwayFrom({240, 240, 240}, {160, 160, 161}), (Rgb{200, 200, 200}));
    EXPECT_EQ(HalfwayFrom({0, 0, 0}, {255, 1, 3}), (Rgb{127, 0, 1}));
    EXPECT_EQ(HalfwayFrom({10, 10, 10}, {7, 9, 10}), (Rgb{8, 9, 10}));  // -1.5 -> -2, -0.5 -> -1
    // Classic system colours: face 192, shadow 128, dark shadow 0, highlight 255.
    const ChannelColours c =
        ChannelColoursFor({192, 192, 192}, {128, 128, 128}, {0, 0, 0}, {255, 255, 255});
    EXPECT_EQ(c.outline, (Rgb{64, 64, 64}));
    EXPECT_EQ(c.upperLeft, (Rgb{160, 160, 160}));
    EXPECT_EQ(c.lowerRight, (Rgb{255, 255, 255}));
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
        {true, false, true, false, {F::Pushed, K::Sunken, 2}},
        {true, false, true, true, {F::Pushed, K::Sunken, 2}},
        {true, true, false, false, {F::Latched, K::Sunken, 0}},
        {true, true, true, true, {F::Latched, K::Sunken, 0}},  // latched beats held and hover
        {false, true, true, true, {F::Disabled, K::None, 0}},  // disabled beats everything
        {false, false, false, true, {F::Disabled, K::None, 0}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(PlanFace(r.enabled, r.latched, r.held, r.hover), r.expected)
            << r.enabled << r.latched << r.held << r.hover;
}

TEST(ControlBarRules, ButtonTable) {
    std::set<int> ids;
    int x = -1;
    for (const ButtonSpec& b : ButtonTable()) {
        EXPECT_TRUE(ids.insert(b.id).second) << b.id;
        EXPECT_NE(b.normalBitmap, 0) << b.id;
        if (b.placed) {
            EXPECT_GT(b.x, x) << b.id;  // left to right (neighbours may share a column or two)
            x = b.x;
        }
    }
    EXPECT_EQ(FindButton(kIdMute)->placed, false);
    EXPECT_EQ(FindButton(kIdCropIn)->w, 23);
    EXPECT_EQ(FindButton(12345), nullptr);
    const auto all = AllBitmapIds();
    EXPECT_EQ(std::set<int>(all.begin(), all.end()).size(), all.size());
    EXPECT_EQ(all.front(), 206);
    EXPECT_EQ(all.back(), 3198);
    EXPECT_EQ(BitmapSize(216), 20);
    EXPECT_EQ(BitmapSize(3184), 21);
}
