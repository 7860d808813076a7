// Loading and saving the frame's settings, each in one step.

#include "app/Profile.h"
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
