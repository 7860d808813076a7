#pragma once
// The control bar's arithmetic and tables, free of any toolkit: control ids, command numbers,
// button artwork ids and positions, the panel layout at a given width, the play-state table, the
// volume table, the slider's click-to-value rule and the groove's edge colours. The widgets in
// ControlDlg, MyFlatButton and SeekSlider only apply these results.

#include <array>
#include <cstdint>

#include "app/Commands.h"

namespace controlbar {

// Control ids of the panel's children.
inline constexpr int kIdSeekSlider = 31023;
inline constexpr int kIdTimeText = 31024;
inline constexpr int kIdPlay = 31025;
inline constexpr int kIdPause = 31026;
inline constexpr int kIdStop = 31027;
inline constexpr int kIdPrev = 31028;
inline constexpr int kIdNext = 31029;
inline constexpr int kIdMute = 31030;
inline constexpr int kIdVolumeSlider = 31031;
inline constexpr int kIdOpen = 31035;
inline constexpr int kIdMarginDown = 1041;
inline constexpr int kIdMarginUp = 1042;
inline constexpr int kIdCropOut = 1044;
inline constexpr int kIdCropIn = 1045;

// Frame command numbers the panel asks for.
inline constexpr int kCmdPlayPause = cmd::kPlayPause;
inline constexpr int kCmdStop = cmd::kStop;
inline constexpr int kCmdMute = cmd::kMute;
inline constexpr int kCmdNext = cmd::kNext;
inline constexpr int kCmdPrev = cmd::kPrevious;
inline constexpr int kCmdOpen = cmd::kOpen;
inline constexpr int kCmdMarginMore = cmd::kLinesMore;
inline constexpr int kCmdMarginLess = cmd::kLinesLess;
inline constexpr int kCmdCropMore = cmd::kCropMore;
inline constexpr int kCmdCropLess = cmd::kCropLess;

// Play states as the frame records them.
inline constexpr int kStateStopped = 0;
inline constexpr int kStatePaused = 1;
inline constexpr int kStatePlaying = 2;
inline constexpr int kStateNoMedium = 8;

// Fixed pixel sizes of the panel.
inline constexpr int kButtonTop = 30;     // y of every button and of the volume slider
inline constexpr int kTopRowHeight = 24;  // seek slider and time display
inline constexpr int kTimeWidth = 102;    // 68 dialog units at base units 6 x 13
inline constexpr int kVolumeWidth = 63;   // 42 x 16 dialog units
inline constexpr int kVolumeHeight = 26;
inline constexpr int kSeekRangeMax = 10000;
inline constexpr int kVolumeRangeMax = 10;

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Rect&) const = default;
};

// One button of the bar: control id, where it goes at start-up (placed false: only sized, the
// layout moves it) and its four faces (bitmap ids; 0 leaves that face empty).
struct ButtonDef {
    int id;
    int x;
    bool placed;
    int w, h;
    int normalBitmap, latchedBitmap, pushedBitmap, disabledBitmap;
};

// The eleven buttons in start-up order: Play, Pause, Stop, Prev, Next, Mute, Open, margin-up,
// margin-down, crop-out, crop-in.
const std::array<ButtonDef, 11>& ButtonTable();
const ButtonDef* FindButton(int id);

// Every bitmap id the table names, each once.
std::array<int, 30> AllBitmapIds();

// Pixel size of a face bitmap: 21 x 21, the crop faces 20 x 20.
int BitmapSize(int bitmapId);

struct PanelLayout {
    Rect seek, time, volume, mute;
    bool operator==(const PanelLayout&) const = default;
};

// Positions of the width-dependent children at client width cx. The volume slider reaches three
// pixels past the right edge; the Mute button's right edge meets the volume slider's left edge.
// Widths never go below 0 on a panel narrower than the time display.
PanelLayout LayoutAtWidth(int cx, int timeWidth = kTimeWidth, int volumeWidth = kVolumeWidth,
                          int volumeHeight = kVolumeHeight, int muteWidth = 22,
                          int muteHeight = 22);

// What a play state does to Play, Pause and Stop.
enum class Latch { Unchanged, Latched, Released };
struct TransportChange {
    Latch play = Latch::Unchanged, pause = Latch::Unchanged, stop = Latch::Unchanged;
    bool disable = false;  // state 8: disable all three, latching unchanged
    bool operator==(const TransportChange&) const = default;
};
TransportChange TransportForPlayState(int state);

// Preconditions of the transport buttons on the frame's play state.
inline bool PlayClickToggles(int state) {
    return state != kStatePlaying;
}
inline bool PauseClickToggles(int state) {
    return state == kStatePlaying;
}
inline bool StopClickStops(int state) {
    return state != kStateStopped;
}

// Volume: step 0 (loudest) .. 10 (silent); the slider shows 10 - step.
inline int SliderPositionForVolumeStep(int step) {
    return kVolumeRangeMax - step;
}
inline int VolumeStepForSliderPosition(int position) {
    return kVolumeRangeMax - position;
}

// Seek target for a slider position 0..10000 on a medium of the given duration in seconds.
inline double SeekSecondsForPosition(double durationSeconds, int position) {
    return durationSeconds * position * 0.0001;
}

// The horizontal stretch over which the thumb's centre travels: the channel narrowed by half a
// thumb width on each side. Rights are exclusive, as the toolkit-free geometry here uses them.
struct Span {
    int left = 0, right = 0;
    bool operator==(const Span&) const = default;
};
Span ThumbCentreSpan(int channelLeft, int channelRight, int thumbLeft, int thumbRight);

// Value for a click at x outside the thumb: (x - left) / (right - left) * max + 0.5 truncated,
// then clamped to rangeMin..rangeMax. A span without width gives rangeMin.
int ClickToValue(int x, Span span, int rangeMin, int rangeMax);

// Groove colours from the system colours; every channel separately, halving rounding towards
// minus infinity.
struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
Rgb HalfwayFrom(Rgb from, Rgb to);  // from + floor((to - from) / 2)
struct ChannelColours {
    Rgb outline, upperLeft, lowerRight;
    bool operator==(const ChannelColours&) const = default;
};
ChannelColours ChannelColoursFor(Rgb face, Rgb shadow, Rgb darkShadow, Rgb highlight);

// How a flat button is drawn: which face, which frame, and how far in from the button's corner
// the face goes. Priority: disabled > latched > held > hover > normal.
enum class Face { Normal, Latched, Pushed, Disabled };
enum class FrameKind { None, Raised, Sunken };
struct FacePlan {
    Face face;
    FrameKind frame;
    int offset;
    bool operator==(const FacePlan&) const = default;
};
FacePlan PlanFace(bool enabled, bool latched, bool held, bool hover);

}  // namespace controlbar
