// Loading and saving the frame's settings, each in one step.

#include "app/Profile.h"
#include "captions/CaptionWnd.h"
#include "dialogs/SetupDlg.h"
#include "frame/MainFrame.h"

void CMainFrame::LoadSettings() {
    // Every read falls back to the value the frame holds now.
    Settings& s = settings_;
    s.outlineColor = CProfile::Get(profile::kOutlineColor, s.outlineColor);
    s.textColor = CProfile::Get(profile::kTextColor, s.textColor);
    s.captionPosition = CProfile::Get(profile::kCaptionPosition, s.captionPosition);
    s.extraLines = CProfile::Get(profile::kExtraLines, s.extraLines);
    s.effect = CProfile::Get(profile::kEffect, s.effect);
    s.sizeRatio = CProfile::Get(profile::kSizeRatio, s.sizeRatio);
    s.fontName = CProfile::Get(profile::kFontName, s.fontName);

    frame_modes::ModeState& m = modes_;
    m.topmost = CProfile::Get(profile::kTopmost, m.topmost) != 0;
    if (m.topmost) setWindowFlag(Qt::WindowStaysOnTopHint, true);
    m.framed = CProfile::Get(profile::kFramed, m.framed) != 0;
    m.controls = CProfile::Get(profile::kControls, m.controls) != 0;

    SetVolumeStep(CProfile::Get(profile::kVolumeStep, s.volumeStep));
}

void CMainFrame::SaveSettings() {
    const CProfile::Batch batch;
    const Settings& s = settings_;
    CProfile::Write(profile::kOutlineColor, s.outlineColor);
    CProfile::Write(profile::kTextColor, s.textColor);
    CProfile::Write(profile::kCaptionPosition, s.captionPosition);
    CProfile::Write(profile::kExtraLines, s.extraLines);
    CProfile::Write(profile::kEffect, s.effect);
    CProfile::Write(profile::kSizeRatio, s.sizeRatio);
    CProfile::Write(profile::kFontName, s.fontName);

    const frame_modes::Saved modes = frame_modes::ToSave(modes_);
    CProfile::Write(profile::kTopmost, modes.topmost);
    CProfile::Write(profile::kFramed, modes.framed);
    CProfile::Write(profile::kControls, modes.controls);
    CProfile::Write(profile::kFullScreen, modes.fullScreen);

    CProfile::Write(profile::kVolumeStep, s.volumeStep);

    CProfile::Write(profile::kLeft, rememberedRect_.left());
    CProfile::Write(profile::kTop, rememberedRect_.top());
    CProfile::Write(profile::kRight, rememberedRect_.left() + rememberedRect_.width());
}

// What OK or Apply of the settings dialog hands back, taken in this order: the quick-menu choice,
// the default caption folder (written at once, also when empty), then the caption style: new
// extra lines or letter size lay the window out again, a new face or effect rebuilds the caption
// font, new colours only repaint.
void CMainFrame::ApplySettings(const SetupValues& v) {
    if (shutDown_) return;
    quickMenu_ = v.quickMenu;
    CProfile::Write(profile::kCaptionFolder, v.folder);
    Settings& s = settings_;
    const bool area = s.extraLines != v.extraLines || s.sizeRatio != v.sizeRatio;
    const bool look = s.fontName != v.face || s.effect != v.effect;
    const bool colours =
        uint32_t(s.textColor) != v.textColour || uint32_t(s.outlineColor) != v.effectColour;
    if (!area && !look && !colours) return;
    s.textColor = int(v.textColour);
    s.outlineColor = int(v.effectColour);
    if (!area && !look) {
        captionWnd_->SetColours(v.textColour, v.effectColour);
        return;
    }
    s.fontName = v.face;
    s.effect = v.effect;
    s.extraLines = v.extraLines;
    s.sizeRatio = v.sizeRatio;
    captionWnd_->SetStyle(CaptionStyleFromSettings());
    if (area) {
        RefreshLayout();  // also rebuilds the caption font and lays the caption out again
        return;
    }
    captionWnd_->RebuildFont(layout_.content.Width(), natural_.width, natural_.height);
    LayoutCaption();
}
