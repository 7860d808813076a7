#include "frame/Modes.h"

#include <algorithm>

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
    m.autoRestore &= ~2;  // the frame is chosen again: nothing forced to give back
    return true;
}

bool ToggleControls(ModeState& m, bool soundOnly) {
    if (soundOnly) return false;
    m.barHover = true;
    if (m.fullScreen) return false;
    m.controls = !m.controls;
    m.autoRestore &= ~1;
    return true;
}

Saved ToSave(const ModeState& m) {
    // In full screen the control bar is out of the layout; what counts is its state before. What a
    // medium without picture forced on counts as it was before, as for the next medium.
    const bool controls = (m.fullScreen ? m.savedControls : m.controls) && !(m.autoRestore & 1);
    const bool framed = m.framed && !(m.autoRestore & 2);
    return {m.fullScreen ? 1 : 0, controls ? 1 : 0, framed ? 1 : 0, m.topmost ? 1 : 0};
}

bool IsEnabled(const CommandState& s, EnableRule rule) {
    switch (rule) {
        case EnableRule::NotFullScreen:
            return !s.modes->fullScreen;
        case EnableRule::MediaOpen:
            return s.openState == 6;
        case EnableRule::PlaylistNotEmpty:
            return s.playlistLength > 0;
        case EnableRule::Always:
            break;
    }
    return true;
}

std::optional<bool> IsChecked(const CommandState& s, CheckRule rule) {
    const ModeState& m = *s.modes;
    const bool windowed = !m.fullScreen;
    switch (rule) {
        case CheckRule::None:
            return std::nullopt;
        case CheckRule::FullScreen:
            return m.fullScreen;
        case CheckRule::Framed:
            return m.framed;
        case CheckRule::Controls:
            return m.controls;
        case CheckRule::Topmost:
            return m.topmost;
        case CheckRule::StandardView:
            return windowed ? std::optional(m.framed && m.controls) : std::nullopt;
        case CheckRule::MinimalView:
            return windowed ? std::optional(!m.framed && !m.controls) : std::nullopt;
        case CheckRule::Zoom100:
            return s.zoom == Zoom::Percent100 && windowed;
        case CheckRule::Zoom200:
            return s.zoom == Zoom::Percent200 && windowed;
        case CheckRule::ZoomFree:
            return s.zoom == Zoom::Free && windowed;
        case CheckRule::Mute:
            return s.muted;
        default:
            return s.extraLines == int(rule) - int(CheckRule::Lines0);
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
