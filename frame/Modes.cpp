#include "frame/Modes.h"

#include <algorithm>

#include "app/Commands.h"

namespace frame_modes {

bool EnterFullScreen(ModeState& m, bool soundOnly) {
    if (soundOnly) return false;
    m.barHover = false;
    if (m.fullScreen) return false;
    m.savedControls = m.controls;
    m.savedMenu = m.menu;
    m.menu = false;
    m.controls = false;
    // The bar stays on screen until the next poll tick finds the pointer away from it.
    m.barHover = true;
    m.fullScreen = true;
    return true;
}

bool LeaveFullScreen(ModeState& m, bool soundOnly) {
    if (soundOnly) return false;
    m.barHover = false;
    if (!m.fullScreen) return false;
    m.controls = m.savedControls;
    m.menu = m.savedMenu;
    m.fullScreen = false;
    return true;
}

bool SetFramed(ModeState& m, bool on, bool soundOnly) {
    if (soundOnly) return false;
    m.menu = on;
    m.framed = on;
    return true;
}

bool ToggleControls(ModeState& m, bool soundOnly) {
    if (soundOnly) return false;
    m.barHover = true;
    if (m.fullScreen) return false;
    m.controls = !m.controls;
    return true;
}

Saved ToSave(const ModeState& m) {
    // In full screen the control bar is out of the layout; what counts is its state before.
    return {m.fullScreen ? 1 : 0, (m.fullScreen ? m.savedControls : m.controls) ? 1 : 0,
            m.framed ? 1 : 0, m.topmost ? 1 : 0};
}

bool IsEnabled(const CommandState& s, int command) {
    switch (command) {
        case cmd::kStandardView:
        case cmd::kMinimalView:
            return !s.modes->fullScreen;
        case cmd::kProperties:
            return s.openState == 6;
        case cmd::kNext:
        case cmd::kPrevious:
            return s.playlistLength > 0;
        default:
            return true;
    }
}

std::optional<bool> IsChecked(const CommandState& s, int command) {
    const ModeState& m = *s.modes;
    for (int lines = 0; lines <= kMaxExtraLines; ++lines)
        if (command == cmd::kLinesSet[lines]) return s.extraLines == lines;
    switch (command) {
        case cmd::kFullScreen:
            return m.fullScreen;
        case cmd::kFramed:
            return m.framed;
        case cmd::kControls:
            return m.controls;
        case cmd::kTopmost:
            return m.topmost;
        case cmd::kStandardView:
            return m.framed && m.controls;
        case cmd::kMinimalView:
            return !m.framed && !m.controls;
        case cmd::kZoom100:
            return s.zoom == Zoom::Percent100 && !m.fullScreen;
        case cmd::kZoom200:
            return s.zoom == Zoom::Percent200 && !m.fullScreen;
        case cmd::kZoomFree:
            return s.zoom == Zoom::Free && !m.fullScreen;
        case cmd::kMute:
            return s.muted;
        default:
            return std::nullopt;
    }
}

std::optional<int> StepExtraLines(int current, int delta) {
    if (delta > 0 ? current >= kMaxExtraLines : current <= 0) return std::nullopt;
    return current + delta;
}

std::optional<int> StepCrop(int current, int delta) {
    if (delta > 0 ? current >= kMaxCrop : current <= 0) return std::nullopt;
    return std::clamp(current + delta * kCropStep, 0, kMaxCrop);
}

int StepCaptionPosition(int current, int delta) {
    return std::clamp(current + delta, 0, kMaxCaptionPosition);
}

std::optional<int> StepSizeRatio(int current, int delta) {
    if (delta < 0 ? current <= kMinSizeRatio : current >= kMaxSizeRatio) return std::nullopt;
    return current + delta;
}

}  // namespace frame_modes
