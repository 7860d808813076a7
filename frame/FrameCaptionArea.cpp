// The caption area below and over the picture: extra caption lines, the crop of the picture's
// sides, the caption block's lift and the letter size. Each change lays the window out again
// (the caption position only lays the caption out again).

#include "captions/CaptionWnd.h"
#include "frame/MainFrame.h"

namespace fm = frame_modes;

void CMainFrame::SetExtraLines(int lines) {
    settings_.extraLines = lines;  // stored and laid out also when it is the same
    captionWnd_->SetExtraLines(lines);
    RefreshLayout();
}

void CMainFrame::StepExtraLines(int delta) {
    if (const std::optional<int> lines = fm::StepExtraLines(settings_.extraLines, delta))
        SetExtraLines(*lines);
}

void CMainFrame::StepCrop(int delta) {
    const std::optional<int> crop = fm::StepCrop(cropPercent_, delta);
    if (!crop) return;
    cropPercent_ = *crop;  // the source size follows from it in every layout
    RefreshLayout();
}

void CMainFrame::ResetCrop() {
    if (cropPercent_ == 0) return;
    cropPercent_ = 0;
    RefreshLayout();
}

void CMainFrame::StepCaptionPosition(int delta) {
    settings_.captionPosition = fm::StepCaptionPosition(settings_.captionPosition, delta);
    captionWnd_->SetPosition(settings_.captionPosition);
    LayoutCaption();
}

void CMainFrame::StepSizeRatio(int delta) {
    const std::optional<int> ratio = fm::StepSizeRatio(settings_.sizeRatio, delta);
    if (!ratio) return;
    settings_.sizeRatio = *ratio;
    captionWnd_->SetSizeRatio(*ratio);
    RefreshLayout();  // rebuilds the caption font for the new ratio
}
