// Layout arithmetic of the main window. Unless a row says otherwise the window is framed with a
// menu bar of kMenuH pixels, the control bar is shown (58 pixels) and the size ratio is 36.

#include "frame/Layout.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace frame_layout;

namespace {

constexpr int kMenuH = 24;

LayoutInputs Windowed(Size source, int extraLines = 0, int ratio = 36) {
    return {
        .source = source, .extraLines = extraLines, .sizeRatio = ratio, .nonClient = {0, kMenuH}};
}

}  // namespace

TEST(FrameLayout, WindowedContentHeight) {
    // Natural size, crop, extra lines, control bar, client width -> display size, content bottom.
    // 2 extra lines: truncate(62.2 + 480 + 58) + 5. Crop 10: a source 576 wide.
    const std::tuple<const char*, Size, int, int, bool, int, Size, int> rows[] = {
        {"plain", {640, 480}, 0, 0, true, 640, {640, 480}, 538},
        {"2 lines", {640, 480}, 0, 2, true, 640, {640, 480}, 605},
        {"no bar", {640, 480}, 0, 0, false, 640, {640, 480}, 480},
        {"sound, 2 lines", {0, 0}, 0, 2, true, 640, {640, 0}, 98},
        {"crop 10", {640, 480}, 10, 0, true, 640, {640, 533}, 591},
        {"320x240 at 400", {320, 240}, 0, 0, true, 400, {400, 300}, 358},
    };
    for (const auto& [what, size, crop, lines, controls, width, display, bottom] : rows) {
        SCOPED_TRACE(what);
        LayoutInputs in = Windowed(SourceSize(NaturalSize(size.width, size.height), crop), lines);
        in.controls = controls;
        in.soundOnly = IsSoundOnly(size.width, size.height);
        const LayoutResult res = ComputeLayout(in, {width, 1});
        EXPECT_EQ(res.display, display);
        EXPECT_EQ(res.picture, (Rect{0, 0, display.width, display.height}));
        EXPECT_EQ(res.content, (Rect{0, 0, width, bottom}));
        EXPECT_EQ(res.outer, (Size{width, bottom + kMenuH}));
        EXPECT_EQ(HeightForWidth(in, width), bottom + kMenuH);
    }
}

TEST(FrameLayout, ZeroClientWidthCountsAsOne) {
    const LayoutResult res = ComputeLayout(Windowed({640, 480}), {0, 100});
    EXPECT_EQ(res.display, (Size{1, 0}));
    EXPECT_EQ(res.content.bottom, 58);
    // A garbage size ratio from the settings must not divide by zero.
    const LayoutResult odd = ComputeLayout(Windowed({640, 480}, 2, 0), {640, 1});
    EXPECT_GT(odd.content.bottom, 538);
}

TEST(FrameLayout, FullScreenFitsAndCentres) {
    LayoutInputs in = Windowed({640, 480}, 2);
    in.fullScreen = true;
    in.controls = false;
    in.nonClient = {};
    // Content of a 1920 wide picture with 2 lines is 1440 + 186 + 5 = 1631 > 1080: scale it.
    LayoutResult r = ComputeLayout(in, {1920, 1080});
    EXPECT_EQ(r.outer, (Size{1920, 1080}));
    EXPECT_EQ(r.content, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(r.display, (Size{1271, 953}));
    EXPECT_EQ(r.picture, (Rect{324, 0, 1595, 953}));

    // A wide picture that fits: moved down by half the spare height, display size unchanged.
    in.source = {1920, 800};
    in.extraLines = 0;
    r = ComputeLayout(in, {1920, 1080});
    EXPECT_EQ(r.display, (Size{1920, 800}));
    EXPECT_EQ(r.picture, (Rect{0, 140, 1920, 940}));
}

TEST(FrameLayout, Placement) {
    // Crop 10 on 640x480 at client width 640: the media window is 711 wide at x = -35.
    LayoutInputs in = Windowed(SourceSize({640, 480}, 10));
    const LayoutResult r = ComputeLayout(in, {640, 1});
    PlacementInputs pin{.linePitch = 30,
                        .extraLines = 2,
                        .cropPercent = 10,
                        .sourceWidth = in.source.width,
                        .mediaOpen = true};
    Placement p = ComputePlacement(r, {640, r.content.bottom}, pin);
    EXPECT_TRUE(p.showMedia);
    EXPECT_EQ(p.media, (Rect{-35, 0, 676, 533}));
    EXPECT_EQ(p.captionArea, (Rect{0, 0, 640, 533 + 60}));
    EXPECT_EQ(p.controlBar, (Rect{0, 591 - 58, 640, 591}));
    EXPECT_EQ(p.surroundHole, (Rect{0, 0, 639, 533}));
    ASSERT_EQ(p.surroundCount, 2);
    EXPECT_EQ(p.surround[0], (Rect{639, 0, 640, 533}));
    EXPECT_EQ(p.surround[1], (Rect{0, 533, 640, 591}));
    using Rects = std::array<Rect, 4>;
    EXPECT_EQ(p.corners,
              (Rects{{{1, 0, 2, 1}, {639, 1, 640, 2}, {0, 531, 1, 532}, {638, 532, 639, 533}}}));
    ASSERT_TRUE(p.zoom.has_value());
    EXPECT_EQ(*p.zoom, Zoom::Free);

    // Not open or sound only: media hidden. Full screen: the zoom state is left alone.
    pin.mediaOpen = false;
    EXPECT_FALSE(ComputePlacement(r, {640, 591}, pin).showMedia);
    pin.mediaOpen = true;
    pin.soundOnly = true;
    EXPECT_FALSE(ComputePlacement(r, {640, 591}, pin).showMedia);
    pin.fullScreen = true;
    EXPECT_FALSE(ComputePlacement(r, {640, 591}, pin).zoom.has_value());

    // A centred full-screen picture leaves bands on all four sides.
    Rects bands;
    ASSERT_EQ(SurroundBands({1920, 1080}, {240, 100, 1680, 980}, bands), 4);
    EXPECT_EQ(bands, (Rects{{{0, 0, 1920, 100},
                             {0, 100, 240, 980},
                             {1679, 100, 1920, 980},
                             {0, 980, 1920, 1080}}}));
    ASSERT_EQ(SurroundBands({640, 58}, {0, 0, 640, 0}, bands), 1);
    EXPECT_EQ(bands[0], (Rect{0, 0, 640, 58}));
}

TEST(FrameLayout, ZoomState) {
    const std::tuple<int, int, Zoom> rows[] = {
        {641, 320, Zoom::Percent200}, {160, 320, Zoom::Percent100}, {400, 320, Zoom::Free},
        {361, 300, Zoom::Free},       {360, 300, Zoom::Percent100}, {1000, 640, Zoom::Free},
    };
    for (const auto& [displayWidth, sourceWidth, zoom] : rows)
        EXPECT_EQ(DeriveZoom(displayWidth, sourceWidth), zoom)
            << displayWidth << " / " << sourceWidth;
}

TEST(FrameLayout, SizingDrag) {
    // Right edge dragged to client width 400 with a 320x240 source: height frameH + 300 + 58.
    LayoutInputs in = Windowed({320, 240});
    Rect r = SizingDrag(in, SizingEdge::Right, {100, 50, 500, 60});
    EXPECT_EQ(r, (Rect{100, 50, 500, 50 + kMenuH + 358}));

    // Height leads: 300 picture rows give 400 columns plus one.
    const int h = kMenuH + 58 + 300;
    EXPECT_EQ(SizingDrag(in, SizingEdge::Bottom, {100, 50, 700, 50 + h}),
              (Rect{100, 50, 501, 50 + h}));
    EXPECT_EQ(SizingDrag(in, SizingEdge::TopLeft, {100, 50, 700, 50 + h}),
              (Rect{299, 50, 700, 50 + h}));
    EXPECT_EQ(WidthForHeight(in, {700, h}), 401);

    // With extra lines the margin joins frameH and the lines take their share of the height.
    in = Windowed({640, 480}, 2);
    r = SizingDrag(in, SizingEdge::Right, {0, 0, 640, 10});
    EXPECT_EQ(r.bottom, 62 + kMenuH + 5 + 480 + 58);  // 2 lines of (480 + 640) / 36

    // Sound only: the height cannot change the width; the width leads to the control bar only.
    in = Windowed({320, 0});
    in.soundOnly = true;
    EXPECT_EQ(SizingDrag(in, SizingEdge::Bottom, {0, 0, 500, 400}), (Rect{0, 0, 500, 400}));
    EXPECT_EQ(SizingDrag(in, SizingEdge::Right, {0, 0, 500, 400}).bottom, kMenuH + 58);
}

TEST(FrameLayout, MinimumAndMediumSizes) {
    EXPECT_EQ(MinimumSize(Windowed({640, 480})), (Size{368, 276 + kMenuH + 58}));
    // (2 x 2 / 36 + 1) x 276 = 306.67: the rule counts 2 x ph / R per line here.
    EXPECT_EQ(MinimumSize(Windowed({640, 480}, 2)), (Size{368, 306 + kMenuH + 58 + 5}));
    EXPECT_EQ(MinimumSize(Windowed({320, 0})), (Size{368, kMenuH + 58}));

    EXPECT_EQ(NaturalSize(0, 480), (Size{320, 0}));  // no width: sound only
    EXPECT_EQ(SourceSize({321, 240}, 25), (Size{240, 240}));
    // An impossible crop never gives a zero width (it would be a divisor).
    EXPECT_GE(SourceSize({640, 480}, 100).width, 1);
    EXPECT_GE(SourceSize({1, 480}, 50).width, 1);
}

TEST(FrameLayout, OpenedMediumWidth) {
    const std::tuple<int, int, Zoom, Zoom, int> rows[] = {
        {360, 640, Zoom::Free, Zoom::Percent100, 640},  // narrower than the source
        {800, 640, Zoom::Percent100, Zoom::Percent100, 640},
        {800, 320, Zoom::Percent200, Zoom::Percent200, 640},
        {800, 640, Zoom::Free, Zoom::Free, 800},
    };
    for (const auto& [remembered, sourceWidth, zoom, command, outerWidth] : rows) {
        const OpenedSizing s = WindowForOpenedMedium(remembered, sourceWidth, zoom, {});
        EXPECT_EQ(std::pair(s.command, s.outerWidth), std::pair(command, outerWidth))
            << remembered << " " << sourceWidth;
    }
    EXPECT_EQ(ZoomWidth(320, 2, {3, 24}), 643);
    EXPECT_EQ(StartWindowRect(10, 20, Windowed({320, 240})),
              (Rect{10, 20, 378, 20 + 276 + 58 + kMenuH}));
}

TEST(FrameLayout, MoveAndTitle) {
    EXPECT_TRUE(MoveRemembersRect({1, 1, 400, 300}, false));
    EXPECT_FALSE(MoveRemembersRect({0, 10, 400, 300}, false) ||
                 MoveRemembersRect({10, 0, 400, 300}, false) ||
                 MoveRemembersRect({10, 10, 400, 300}, true));
    EXPECT_EQ(TitleForMedium("C:\\movies\\a.avi"), "a.avi - Velmora");
    EXPECT_EQ(TitleForMedium("mms://host/live"), "live - Velmora");
}
