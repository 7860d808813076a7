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

    s.topmost = CProfile::Get(profile::kTopmost, s.topmost) != 0;
    if (s.topmost) setWindowFlag(Qt::WindowStaysOnTopHint, true);

    s.framed = CProfile::Get(profile::kFramed, s.framed) != 0;
    s.controls = CProfile::Get(profile::kControls, s.controls) != 0;

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

    CProfile::Write(profile::kTopmost, s.topmost ? 1 : 0);
    CProfile::Write(profile::kFramed, s.framed ? 1 : 0);
    // In full screen the control bar is always hidden; what counts is its state before.
    CProfile::Write(profile::kControls,
                    (fullScreen_ ? controlsBeforeFullScreen_ : s.controls) ? 1 : 0);

    CProfile::Write(profile::kVolumeStep, s.volumeStep);
    CProfile::Write(profile::kFullScreen, fullScreen_ || fullScreenAtStart_ ? 1 : 0);

    CProfile::Write(profile::kLeft, rememberedRect_.left());
    CProfile::Write(profile::kTop, rememberedRect_.top());
    CProfile::Write(profile::kRight, rememberedRect_.left() + rememberedRect_.width());
}
