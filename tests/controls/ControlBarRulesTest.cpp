// Pure rules of the control bar on the input the widget tests cannot reach: narrow panels,
// unknown play states, clicks far outside or on a slider without width, and face priorities
// a mouse cannot produce at once.

#include <gtest/gtest.h>

#include <climits>

#include "controls/ControlBarRules.h"

using namespace controlbar;

TEST(ControlBarRules, OddInput) {
    // Narrower than the time display: the seek slider shrinks to nothing, never below.
    EXPECT_EQ(LayoutAtWidth(50).seek, (Rect{0, 0, 0, 24}));
    for (int state : {9, -1, INT_MAX}) EXPECT_EQ(TransportForPlayState(state), TransportChange{});
    const Latch up = Latch::Released;  // buffering and the like release all three
    EXPECT_EQ(TransportForPlayState(7), (TransportChange{up, up, up, false}));

    const Span span{10, 210};
    const std::pair<int, int> rows[] = {{211, 10000}, {-5000, 0}, {INT_MIN, 0}, {INT_MAX, 10000}};
    for (auto [x, expected] : rows) EXPECT_EQ(ClickToValue(x, span, 0, 10000), expected) << x;
    EXPECT_EQ(ClickToValue(20, span, 0, 10), 1);  // halves round up
    // A span without width lands on the range minimum instead of dividing by zero.
    EXPECT_EQ(ClickToValue(50, Span{40, 30}, 0, 10000), 0);
    EXPECT_EQ(ClickToValue(50, Span{30, 30}, 3, 10), 3);
    EXPECT_EQ(HalfwayFrom({10, 10, 10}, {7, 9, 10}), (Rgb{8, 9, 10}));  // towards minus infinity

    // Latched beats held and hover; disabled beats everything.
    EXPECT_EQ(PlanFace(true, true, true, true), (FacePlan{Face::Latched, FrameKind::Sunken, 0}));
    EXPECT_EQ(PlanFace(false, true, true, true), (FacePlan{Face::Disabled, FrameKind::None, 0}));
}
