#pragma once
// Layout arithmetic of the main window, as pure functions over plain values (no Qt).
//
// The rule: in a window the picture is exactly as wide as the client area, its height follows the
// source's aspect ratio, the extra caption lines and then the control bar lie below it, and the
// window's outer height always follows from its width. In full screen the same content is fitted
// into the screen and centred.
//
// How the frame uses this file:
//   - Window-position hook / resize handling (width changed):
//         LayoutResult r = ComputeLayout(inputs, proposedOuterSize);
//     windowed: resize to r.outer (its height replaces the proposed one) and store
//     r.outer.width as the remembered width; full screen: r.outer is the proposed size.
//   - Resize handling (only the height changed): WidthForHeight() gives the new outer width.
//   - Minimum size: MinimumSize(inputs).
//   - PlaceChildren(cx, cy): build the caption font for r.content.Width() first (its pitch is
//     caption_layout::ComputeFont(...).Pitch()), then
//         Placement p = ComputePlacement(r, {cx, cy}, placementInputs);
//     and apply p.surroundHole (or p.surround), p.corners, p.captionArea, p.controlBar,
//     p.media / p.showMedia and, when p.zoom holds a value, the zoom state.
//   - RelayoutAtWidth: resize to (remembered width, 1); the rule above supplies the height.
//   - OnOpenStateChange: NaturalSize() / IsSoundOnly() from the image size, SourceSize() with
//     the crop, then WindowForOpenedMedium() says which width (and zoom command) to size to.
//   - Zoom commands: ZoomWidth().
//
// Coordinates: rectangles are left, top, right, bottom with right and bottom exclusive, in the
// frame's client (content widget) coordinates. Integer divisions and conversions from double
// drop the fraction toward zero; halving for centring is an arithmetic shift right by one.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace frame_layout {

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    Rect Translated(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline constexpr int kControlBarHeight = 58;
inline constexpr int kMinWindowWidth = 368;
inline constexpr int kStartWindowWidth = 368;
inline constexpr int kInitialRememberedWidth = 360;
inline constexpr int kExtraLinesMargin = 5;
inline constexpr int kSoundOnlyWidth = 320;  // natural width of a medium without picture
inline constexpr int kZoomLimit = 360;       // both widths at most this: counts as 100%

enum class Zoom { Free, Percent100, Percent200 };

// What the window adds around its client area for the current style and menu flag. With Qt the
// window manager's decorations lie outside the window size, so width is 0 and height is the menu
// bar's height while the menu flag is set.
struct NonClient {
    int width = 0;
    int height = 0;
};

// Inputs of the layout rule, the minimum size and the sizing-drag rule.
struct LayoutInputs {
    Size source{320, 240};  // natural size with the crop applied (SourceSize)
    int extraLines = 0;     // E
    int sizeRatio = 36;     // R; values below 1 are treated as 1
    bool controls = true;   // controls flag: the control bar takes kControlBarHeight
    bool fullScreen = false;
    bool soundOnly = false;
    NonClient nonClient;
};

struct LayoutResult {
    Size outer;    // the window's outer size (windowed: the height of the rule)
    Size display;  // size at which the picture is shown
    Rect picture;  // visible picture, client coordinates
    Rect content;  // picture + extra lines + control bar; left and top are 0
};

// The layout rule for a proposed outer window size.
LayoutResult ComputeLayout(const LayoutInputs& in, Size proposedOuter);

// Height of the content (picture, extra lines, control bar) for a client width cw; the B of the
// layout rule.
int ContentHeight(const LayoutInputs& in, int clientWidth);

// Width leads: the outer height the rule gives to an outer width.
int HeightForWidth(const LayoutInputs& in, int outerWidth);

// Height leads: the outer width for a proposed outer size whose height was changed by the user.
int WidthForHeight(const LayoutInputs& in, Size proposedOuter);

// Window edges reported by a sizing drag.
enum class SizingEdge {
    Left = 1,
    Right = 2,
    Top = 3,
    TopLeft = 4,
    TopRight = 5,
    Bottom = 6,
    BottomLeft = 7,
    BottomRight = 8
};

// Sizing drag: adjusts the proposed outer rectangle (screen coordinates) for the dragged edge.
// Left, right and the bottom corners let the width lead; top, bottom and the top corners let
// the height lead.
Rect SizingDrag(const LayoutInputs& in, SizingEdge edge, Rect proposed);

// Minimum tracking size of the window.
Size MinimumSize(const LayoutInputs& in);

// Values ComputePlacement needs beside the layout result.
struct PlacementInputs {
    int linePitch = 0;    // caption font height + line spacing, computed for content width
    int extraLines = 0;   // E
    int cropPercent = 0;  // 0..50
    int sourceWidth = 320;
    bool mediaOpen = false;  // open state is 6
    bool soundOnly = false;
    bool fullScreen = false;
};

struct Placement {
    Rect surroundHole;             // cut out of (0, 0, cx, cy): one column narrower than picture
    std::array<Rect, 4> surround;  // the same region as up to four bands, top to bottom
    int surroundCount = 0;
    std::array<Rect, 4> corners;  // 1x1: top-left, top-right, bottom-left, bottom-right
    Rect captionArea;
    Rect controlBar;  // bottom kControlBarHeight pixels of the content, shown or not
    bool showMedia = false;
    Rect media;                // media window when showMedia
    std::optional<Zoom> zoom;  // derived zoom state; empty in full screen (state kept)
};

// PlaceChildren's arithmetic for a client size.
Placement ComputePlacement(const LayoutResult& layout, Size client, const PlacementInputs& in);

// Building blocks of ComputePlacement.
Rect SurroundHole(const Rect& picture);
int SurroundBands(Size client, const Rect& picture, std::array<Rect, 4>& out);
std::array<Rect, 4> CornerRects(const Rect& picture);  // PlaceCornerWindows
Rect CaptionArea(const Rect& picture, int linePitch, int extraLines);
Rect ControlBarRect(const Rect& content);
// The media window shows the whole natural picture scaled so that its middle part fills the
// picture rectangle; the side strips lie under the surround.
Rect MediaWindowRect(const Rect& picture, int cropPercent);
Zoom DeriveZoom(int displayWidth, int sourceWidth);

// Natural size of an opened medium from the reported image size: 320 x 0 without picture.
bool IsSoundOnly(int imageWidth, int imageHeight);
Size NaturalSize(int imageWidth, int imageHeight);
// Natural size with the crop applied to the width; the crop is held within 0..99 and the width
// stays at least 1.
Size SourceSize(Size natural, int cropPercent);

// Outer width of the zoom commands (factor 1 or 2).
int ZoomWidth(int sourceWidth, int factor, NonClient nonClient);

// Windowed sizing for a medium that has just opened: the zoom command to run (100%, 200%) or
// Free for a plain resize to the remembered width, and the outer width to size the window to
// (the layout rule supplies the height).
struct OpenedSizing {
    Zoom command = Zoom::Free;
    int outerWidth = 0;
};
OpenedSizing WindowForOpenedMedium(int rememberedWidth, int sourceWidth, Zoom zoom,
                                   NonClient nonClient);

// Window rectangle at start: (left, top) with the start width; the height comes from the rule.
Rect StartWindowRect(int left, int top, const LayoutInputs& in);

// Whether the move handler records this outer rectangle as the remembered window rectangle.
bool MoveRemembersRect(const Rect& outer, bool fullScreen);

// Window title for an opened medium: the file name or address with " - Velmora", cut after the
// last "\" and then after the last "/".
std::string TitleForMedium(std::string_view fileName);

}  // namespace frame_layout
