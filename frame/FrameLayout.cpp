// The layout rule applied to the window: the window's size follows the picture, and every part is
// placed over the client area from the one layout result. The arithmetic is in frame/Layout.h.

#include <QMenuBar>
#include <QResizeEvent>

#include "captions/CaptionWnd.h"
#include "controls/ControlDlg.h"
#include "frame/FrameWindows.h"
#include "frame/MainFrame.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"

namespace fl = frame_layout;

namespace {

QRect ToQRect(const fl::Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

fl::NonClient CMainFrame::NonClientSize() const {
    // The window manager's decorations lie outside the window: only the menu bar counts.
    const QMenuBar* bar = menuWidget() ? menuBar() : nullptr;
    return {0, bar && modes_.menu ? bar->sizeHint().height() : 0};
}

fl::LayoutInputs CMainFrame::LayoutInputs() const {
    fl::LayoutInputs in;
    in.source = fl::SourceSize(natural_, cropPercent_);
    in.extraLines = settings_.extraLines;
    in.sizeRatio = settings_.sizeRatio;
    in.controls = modes_.controls;
    in.fullScreen = modes_.fullScreen;
    in.soundOnly = soundOnly_;
    in.nonClient = NonClientSize();
    return in;
}

CaptionStyle CMainFrame::CaptionStyleFromSettings() const {
    CaptionStyle style;
    style.face = settings_.fontName;
    style.sizeRatio = settings_.sizeRatio;
    style.textColour = uint32_t(settings_.textColor);
    style.outlineColour = uint32_t(settings_.outlineColor);
    style.effect = settings_.effect;
    style.position = settings_.captionPosition;
    style.extraLines = settings_.extraLines;
    return style;
}

// Resizes the window to an outer width; the layout rule gives the height.
void CMainFrame::ResizeOuter(int width) {
    // While the window manager is still putting the window back from full screen, a size asked for
    // now would also send the full screen's position and move the window there: ask once it is
    // back.
    if (restoring_) {
        WhenWindowed([this, width] { ResizeOuter(width); });
        return;
    }
    const fl::LayoutInputs in = LayoutInputs();
    UpdateMinimumSize();
    AskSize(QSize(width, fl::HeightForWidth(in, width)));
}

void CMainFrame::AskSize(const QSize& size) {
    if (askedSizes_.size() >= 8) askedSizes_.removeFirst();
    askedSizes_.append(size);
    resize(size);
}

void CMainFrame::UpdateMinimumSize() {
    const fl::Size min = fl::MinimumSize(LayoutInputs());
    setMinimumSize(min.width, min.height);
}

void CMainFrame::RelayoutAtWidth() {
    if (modes_.fullScreen) {
        RefreshLayout();
        return;
    }
    ResizeOuter(rememberedWidth_);
    raise();
}

void CMainFrame::RefreshLayout() {
    // The window manager's resize that ends full screen lays the window out in any case.
    if (!modes_.fullScreen && !restoring_) ResizeOuter(width());
    // The same size gives no resize event: lay out and place the parts here as well.
    layout_ = fl::ComputeLayout(LayoutInputs(), {width(), height()});
    PlaceChildren(content_->width(), content_->height());
}

// The size handler. The window manager or the program changed the window's size: when the width
// changed the height follows from it; when only the height changed the width follows from the
// height. The resize that puts this right comes back here and then places the parts.
void CMainFrame::OnSize(const QSize& oldSize) {
    if (!ready_ || layoutSuspended_ || isMinimized() || placing_) return;
    // The window manager answers every size asked for, in turn: after quick commands the answer to
    // an earlier one can come after the latest was applied. It is not a size to lay out by: the
    // latest is asked for again, once for each answer still due.
    if (!askedSizes_.isEmpty() && size() != askedSizes_.last()) {
        const qsizetype earlier = askedSizes_.indexOf(size());
        if (earlier >= 0) {
            askedSizes_.remove(0, earlier + 1);
            resize(askedSizes_.last());
            return;
        }
        askedSizes_.clear();  // the user's size or the window manager's own
    }
    fl::LayoutInputs in = LayoutInputs();
    // A window manager that does not grant the size the rule asked for (a tiled or maximised
    // window, a screen too small) has the last word: the content is then fitted into the size
    // it gave, as in full screen, instead of asking again and again.
    const bool fullScreen = modes_.fullScreen;
    // Inputs may have changed while the window was full screen (a medium opened there): the
    // window manager must not hold the window to an old minimum.
    if (!fullScreen) UpdateMinimumSize();
    const bool refused = requestedSize_.isValid() && size() != requestedSize_;
    requestedSize_ = QSize();
    // A maximised window is about to become full screen (or back): its size is the screen's.
    const bool maximized = windowState() & Qt::WindowMaximized;
    if (!fullScreen && !refused && !maximized && height() != fl::HeightForWidth(in, width())) {
        const bool widthLeads = !oldSize.isValid() || oldSize.width() != width();
        const int w = widthLeads ? width() : fl::WidthForHeight(in, {width(), height()});
        const QSize wanted(w, fl::HeightForWidth(in, w));
        requestedSize_ = wanted;
        AskSize(wanted);
        if (size() == wanted) return;  // the resize event for it placed, or will place, the parts
        requestedSize_ = QSize();
    }
    const bool fitted = !fullScreen && height() != fl::HeightForWidth(in, width());
    if (fitted) in.fullScreen = true;
    layout_ = fl::ComputeLayout(in, {width(), height()});
    // A maximised window's width is the screen's, not one to return to.
    if (!fullScreen && !maximized) rememberedWidth_ = layout_.outer.width;
    PlaceChildren(content_->width(), content_->height());
    if (!fullScreen && windowState() == Qt::WindowNoState) rememberedRect_ = QRect(pos(), size());
    FinishRestore();
}

void CMainFrame::PlaceChildren(int cx, int cy) {
    placing_ = true;
    ++layoutPasses_;
    // The caption font comes first: its pitch sizes the caption area.
    const caption_layout::FontMetrics font =
        captionWnd_->RebuildFont(layout_.content.Width(), natural_.width, natural_.height);
    fl::PlacementInputs in;
    in.linePitch = font.Pitch();
    in.extraLines = settings_.extraLines;
    in.cropPercent = cropPercent_;
    in.sourceWidth = fl::SourceSize(natural_, cropPercent_).width;
    in.mediaOpen = openState_ == 6;
    in.soundOnly = soundOnly_;
    in.fullScreen = modes_.fullScreen;
    placement_ = fl::ComputePlacement(layout_, {cx, cy}, in);

    // The surround covers the client area except the picture, whose hole is one column narrower.
    QRegion surround(0, 0, cx, cy);
    surround -= ToQRect(placement_.surroundHole);
    surround_->setGeometry(0, 0, cx, cy);
    surround_->setMask(surround.isEmpty() ? QRegion(0, 0, 1, 1) : surround);
    surround_->stackUnder(captionWnd_);

    PlaceCornerWindows();
    captionWnd_->PlaceOver(ToQRect(placement_.captionArea), layout_.picture.Height());
    controlBar_->setGeometry(ToQRect(placement_.controlBar));
    controlBar_->raise();
    PlaceMediaWindow();
    LayoutCaption();
    if (placement_.zoom) zoom_ = *placement_.zoom;
    placing_ = false;
}

void CMainFrame::PlaceCornerWindows() {
    if (!ready_) return;
    for (int i = 0; i < 4; ++i) {
        corners_[i]->setGeometry(ToQRect(placement_.corners[i]));
        corners_[i]->raise();
    }
}

// The media window shows the whole natural picture, scaled so that its middle part fills the
// picture rectangle; the surround above it hides the cropped side strips.
void CMainFrame::PlaceMediaWindow() {
    QWidget* media = player_->MediaWindow();
    if (openState_ == 6 && !soundOnly_ && placement_.showMedia) {
        media->setGeometry(ToQRect(placement_.media));
        media->lower();
        media->show();
    } else {
        media->hide();
    }
}

void CMainFrame::LayoutCaption() {
    if (openState_ != 6 || soundOnly_) return;
    captionWnd_->LayoutCaption(parser_.CaptionText(), parser_.LineEnds());
}

void CMainFrame::HideCaption() {
    if (captionWnd_) captionWnd_->HideCaption();
}
