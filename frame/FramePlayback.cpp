// The media control's events, the poll timer and the time display.

#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QTimerEvent>
#include <algorithm>

#include "controls/ControlDlg.h"
#include "frame/MainFrame.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"
#include "playback/PlaybackRules.h"

namespace pb = velmora::playback;

void CMainFrame::OnOpenStateChange(long /*oldState*/, long newState) {
    namespace fl = frame_layout;
    if (!pointerShown_) ShowPointer(true);
    if (newState == 6) {
        // The entry plays: a later failure of it ends the list at its last entry, as an end does,
        // so a list whose entries all open and then fail cannot go round for ever.
        failedEntries_ = 0;
        skip_ = Skip::Onward;
        const int w = int(player_->GetImageSourceWidth()), h = int(player_->GetImageSourceHeight());
        natural_ = fl::NaturalSize(w, h);
        if (!fl::IsSoundOnly(w, h)) {
            // A picture again: take back what the last medium without picture forced on.
            soundOnly_ = false;
            const int forced = modes_.autoRestore;
            if (forced & 1) ToggleControls();
            if (forced & 2) SetFramed(false);
            modes_.autoRestore = 0;
        } else {
            // Without picture the window keeps its plain form: frame and control bar on, no full
            // screen, until a medium with a picture opens.
            soundOnly_ = false;
            if (modes_.fullScreen) SetFullScreen(false);
            if (!modes_.controls) {
                ToggleControls();
                modes_.autoRestore |= 1;
            }
            if (!modes_.framed) {
                SetFramed(true);
                modes_.autoRestore |= 2;
            }
            soundOnly_ = true;
        }
        controlBar_->EnableSeek(true);
        controlBar_->EnableTransport(true);
        controlBar_->update();
        SetDurationText(int(player_->GetDuration()));

        const fl::Size source = fl::SourceSize(natural_, cropPercent_);
        if (modes_.fullScreen) {
            layout_ = fl::ComputeLayout(LayoutInputs(), {width(), height()});
            PlaceChildren(content_->width(), content_->height());
        } else {
            // The window takes the picture's size: 100% or 200% as the zoom state says, or
            // the remembered width.
            const fl::OpenedSizing sizing =
                fl::WindowForOpenedMedium(rememberedWidth_, source.width, zoom_, NonClientSize());
            if (sizing.command != fl::Zoom::Free) zoom_ = sizing.command;
            ResizeOuter(sizing.outerWidth);
        }
        setWindowTitle(
            QString::fromStdString(fl::TitleForMedium(player_->GetFileName().toStdString())));
    } else if (newState == 0) {
        setWindowTitle(QStringLiteral("Velmora"));
        QWidget* media = player_->MediaWindow();
        media->setGeometry(0, 0, 1, 1);
        media->lower();
        HideCaption();
        ResetToEmpty();
    }
    openState_ = newState;
    if (newState == 6) {
        // The size handler ran while the medium still counted as closed: place everything now.
        layout_ = fl::ComputeLayout(LayoutInputs(), {width(), height()});
        PlaceChildren(content_->width(), content_->height());
    }
    UpdateScreenSaver();
}

void CMainFrame::OnPlayStateChange(long /*oldState*/, long newState) {
    if (!pointerShown_) ShowPointer(true);
    playState_ = newState;
    controlBar_->UpdatePlayState(int(newState));
    if (newState == 2) {
        pollTimer_.start(kPollPeriodMs, this);
        modes_.barHover = true;  // the next tick checks a revealed control bar again
    } else if (newState == 1) {
        pollTimer_.stop();
    } else if (newState == 0) {
        pollTimer_.stop();
        ShowPosition(0);
    }
    UpdateScreenSaver();
}

void CMainFrame::OnPositionChange(double /*oldPosition*/, double newPosition) {
    ShowSeekPosition(newPosition);
}

void CMainFrame::ShowSeekPosition(double position) {
    const double duration = player_->GetDuration();
    // Without a duration (a live stream) the slider rests at 0.
    const double value = duration > 0 ? position * 10000 / duration : 0;
    controlBar_->SetSeekPosition(int(std::clamp(value, 0.0, 10000.0)));
    ShowPosition(int(position));
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() == pollTimer_.timerId()) OnPollTimer();
    QMainWindow::timerEvent(event);
}

void CMainFrame::OnPollTimer() {
    ShowSeekPosition(player_->GetCurrentPosition());
    const QPoint pointer = QCursor::pos();
    if (modes_.barHover) HoverCheck(pointer);
    OnIdlePointerTick(pointer);
}

void CMainFrame::ShowPosition(int seconds) {
    if (seconds < 0) {
        // Emptied: the next medium's first second is shown again, even when it equals this one's.
        lastShownSecond_ = -1;
        controlBar_->SetTimeText(QString());
        return;
    }
    if (seconds == lastShownSecond_) return;
    lastShownSecond_ = seconds;
    controlBar_->SetTimeText(QString::fromStdString(pb::FormatTime(seconds)) + '/' + durationText_);
}

void CMainFrame::SetDurationText(int seconds) {
    durationText_ = QString::fromStdString(pb::FormatTime(std::max(0, seconds)));
    lastShownSecond_ = -1;  // a new medium: its first second shows, with the new duration
}

void CMainFrame::OnScriptCommand(const QString& type, const QString& param) {
    if (type != QStringLiteral("Text")) return;
    parser_.Parse(param.toStdString());
    LayoutCaption();
    emit captionParsed();
}

void CMainFrame::OnMediaError() {
    HideCaption();
    ResetToEmpty();
    // An entry of a playlist that cannot be played (missing, unreadable, not a medium) is
    // skipped rather than ending the list.
    std::string entry;
    if (NextAfterFailedEntry(entry)) OpenPlaylistEntry(std::move(entry));
}

void CMainFrame::OnEndOfStream(long /*result*/) {
    if (playlistLength_ > 0) {
        if (playlist_.Index() >= playlistLength_ - 1) return;  // the last entry ends playback
        skip_ = Skip::Onward;
        OpenPlaylistEntry(playlist_.Next());
        return;
    }
    // Without a playlist, the next numbered file of the same folder follows.
    const QString current = player_->GetFileName();
    const QFileInfo info(current);
    if (!info.isFile()) return;
    std::vector<std::string> candidates;
    for (const QFileInfo& entry : info.dir().entryInfoList(QDir::Files))
        candidates.push_back(entry.absoluteFilePath().toStdString());
    const std::optional<std::string> next =
        pb::NextNumberedFile(info.absoluteFilePath().toStdString(), candidates);
    if (next) OpenMediaPath(QString::fromStdString(*next));
}
