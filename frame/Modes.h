#pragma once
// The main window's display modes and caption-area values as one plain state value, with the
// rules that change them. The frame keeps exactly one ModeState; the layout reads it, the mode
// operations change it through the functions below and then apply the result to the window.
// Pure: no Qt, so the transitions and the menu rules are tested without a window.

#include <optional>

#include "frame/Layout.h"

namespace frame_modes {

struct ModeState {
    bool fullScreen = false;
    bool framed = true;    // title bar and menu bar
    bool menu = true;      // the window has a menu bar (counts in the non-client height)
    bool controls = true;  // the control bar is part of the layout
    bool topmost = false;
    bool savedControls = true;  // the controls flag from before full screen
    bool savedMenu = true;      // the menu flag from before full screen
    // The control bar is on screen only because the pointer is over its place; while set, every
    // poll tick checks the pointer again.
    bool barHover = false;
    // What opening a medium without picture forced on: 1 the control bar, 2 the frame. Saved and
    // given back as it was before; a bit goes when its mode is changed by hand.
    int autoRestore = 0;
};

// Full screen. Each returns false when the window is to be left alone; otherwise the flags are
// already changed and the caller applies them to the window. A medium without picture locks all
// three mode operations.
bool EnterFullScreen(ModeState& m, bool soundOnly);
bool LeaveFullScreen(ModeState& m, bool soundOnly);
// Title bar and menu bar on or off.
bool SetFramed(ModeState& m, bool on, bool soundOnly);
// Control bar on or off; false (nothing more to do) in full screen and for a sound-only medium.
bool ToggleControls(ModeState& m, bool soundOnly);

// What the settings store keeps at exit.
struct Saved {
    int fullScreen, controls, framed, topmost;
};
Saved ToSave(const ModeState& m);

// The window's state for the commands' enable and check rules.
using Zoom = frame_layout::Zoom;
struct CommandState {
    const ModeState* modes = nullptr;
    Zoom zoom = Zoom::Free;
    int extraLines = 0;
    long openState = 0;
    int playlistLength = -1;
    bool muted = false;
};
// When a command runs: a command whose rule is false is ignored however it arrives.
enum class EnableRule { Always, NotFullScreen, MediaOpen, PlaylistNotEmpty };
bool IsEnabled(const CommandState& s, EnableRule rule);

// What a command's menu check mark follows. Lines0..Lines5 check when the extra lines equal 0..5.
enum class CheckRule {
    None,
    FullScreen,
    Framed,
    Controls,
    Topmost,
    StandardView,
    MinimalView,
    Zoom100,
    Zoom200,
    ZoomFree,
    Mute,
    Lines0,
    Lines1,
    Lines2,
    Lines3,
    Lines4,
    Lines5,
};
// The check mark; empty where the menu leaves it as it is: a command without a mark, and the two
// views in full screen, where they are disabled and keep the mark they had.
std::optional<bool> IsChecked(const CommandState& s, CheckRule rule);

// Caption-area values, each kept in its range by its command. A stored value outside the range
// comes back inward one step at a time and is never pushed further out.
inline constexpr int kMaxExtraLines = 5;
inline constexpr int kMaxCrop = 50;
inline constexpr int kCropStep = 5;
inline constexpr int kMaxCaptionPosition = 60;
inline constexpr int kMinSizeRatio = 21;
inline constexpr int kMaxSizeRatio = 45;
// The new extra lines for a step of +1 or -1; empty when the step would leave 0..5.
std::optional<int> StepExtraLines(int current, int delta);
// The new crop for +1 or -1 steps of 5, within 0..50; empty when nothing changes.
std::optional<int> StepCrop(int current, int delta);
// Caption position moved by one and clamped into 0..60 (always a value: it lays out again).
int StepCaptionPosition(int current, int delta);
// The new size ratio for -1 (larger letters) or +1 (smaller); empty outside 21..45.
std::optional<int> StepSizeRatio(int current, int delta);

// The idle pointer in full screen: hidden after this many poll ticks without movement.
inline constexpr int kIdleTicks = 12;

}  // namespace frame_modes
