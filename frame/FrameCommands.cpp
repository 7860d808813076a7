// The command table, keys, and the transport commands.

#include <QApplication>
#include <QKeyEvent>
#include <array>
#include <cmath>

#include "app/Commands.h"
#include "controls/ControlDlg.h"
#include "frame/MainFrame.h"
#include "playback/MediaPlayer2.h"
#include "playback/PlaybackRules.h"

namespace pb = velmora::playback;

namespace {

struct KeyBinding {
    int key;
    Qt::KeyboardModifiers modifiers;
    int command;
};

// Keys of the commands the window handles. Arrow keys and Page keys ignore the keypad modifier.
const std::array kKeys{
    KeyBinding{Qt::Key_O, Qt::ControlModifier, cmd::kOpen},
    KeyBinding{Qt::Key_O, Qt::AltModifier, cmd::kOpenSubtitle},
    KeyBinding{Qt::Key_Space, Qt::NoModifier, cmd::kPlayPause},
    KeyBinding{Qt::Key_Period, Qt::NoModifier, cmd::kStop},
    KeyBinding{Qt::Key_Right, Qt::ControlModifier, cmd::kForward30},
    KeyBinding{Qt::Key_Right, Qt::NoModifier, cmd::kForward5},
    KeyBinding{Qt::Key_Left, Qt::NoModifier, cmd::kBack5},
    KeyBinding{Qt::Key_Left, Qt::ControlModifier, cmd::kBack30},
    KeyBinding{Qt::Key_Up, Qt::NoModifier, cmd::kLouder},
    KeyBinding{Qt::Key_Down, Qt::NoModifier, cmd::kSofter},
    KeyBinding{Qt::Key_M, Qt::ControlModifier, cmd::kMute},
    KeyBinding{Qt::Key_PageDown, Qt::NoModifier, cmd::kNext},
    KeyBinding{Qt::Key_PageUp, Qt::NoModifier, cmd::kPrevious},
    KeyBinding{Qt::Key_F4, Qt::AltModifier, cmd::kExit},
    KeyBinding{Qt::Key_QuoteLeft, Qt::NoModifier, cmd::kNothing},
};

}  // namespace

bool CMainFrame::IsCommandEnabled(int id) const {
    switch (id) {
        case cmd::kNext:
        case cmd::kPrevious:
            return playlistLength_ > 0;
        case cmd::kProperties:
            return openState_ == 6;
        default:
            return true;
    }
}

void CMainFrame::OnCommand(int id) {
    if (!IsCommandEnabled(id)) return;
    switch (id) {
        case cmd::kOpen:
            OnOpenFile();
            break;
        case cmd::kOpenSubtitle:
            OnOpenSubtitle();
            break;
        case cmd::kExit:
            // Closed from the event loop: the command may come from a widget that closing deletes.
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            break;
        case cmd::kPlayPause:
            OnPlayPause();
            break;
        case cmd::kStop:
            OnStop();
            break;
        case cmd::kForward5:
            OnSeek(5);
            break;
        case cmd::kForward30:
            OnSeek(30);
            break;
        case cmd::kBack5:
            OnSeek(-5);
            break;
        case cmd::kBack30:
            OnSeek(-30);
            break;
        case cmd::kLouder:
            SetVolumeStep(settings_.volumeStep - 1);
            break;
        case cmd::kSofter:
            SetVolumeStep(settings_.volumeStep + 1);
            break;
        case cmd::kMute:
            OnMute();
            break;
        case cmd::kNext:
            OnStepPlaylist(true);
            break;
        case cmd::kPrevious:
            OnStepPlaylist(false);
            break;
        case cmd::kStatistics:
            player_->ShowDialog(1);
            break;
        default:
            break;  // commands without a handler do nothing
    }
}

bool CMainFrame::HandleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    for (const KeyBinding& k : kKeys) {
        if (k.key == event->key() && k.modifiers == mods) {
            OnCommand(k.command);
            return true;
        }
    }
    return false;
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    if (!HandleKey(event)) QMainWindow::keyPressEvent(event);
}

void CMainFrame::OnPlayPause() {
    if (openState_ != 6) return;
    if (playState_ == 2) {
        player_->Pause();
    } else {
        player_->Play();
    }
}

void CMainFrame::OnStop() {
    if (openState_ != 6 || (playState_ != 1 && playState_ != 2)) return;
    player_->Stop();
    player_->SetCurrentPosition(0);
}

void CMainFrame::OnStepPlaylist(bool forward) {
    if (playlistLength_ <= 0) return;
    // Entries that fail are passed over in the direction chosen, round the ends like the step.
    failedEntries_ = 0;
    skip_ = forward ? Skip::Next : Skip::Previous;
    OpenPlaylistEntry(forward ? playlist_.Next() : playlist_.Previous());
}

void CMainFrame::OnSeek(double delta) {
    if (playState_ != 1 && playState_ != 2) return;
    const std::optional<double> target =
        pb::SeekTarget(player_->GetCurrentPosition(), player_->GetDuration(), delta);
    if (target) player_->SetCurrentPosition(*target);
}

void CMainFrame::SetVolumeStep(int step) {
    step = std::clamp(step, 0, 10);
    player_->SetVolume(pb::VolumeForStep(step));
    controlBar_->ShowVolumeStep(step);
    settings_.volumeStep = step;
}

void CMainFrame::OnMute() {
    player_->SetMute(!player_->GetMute());
    controlBar_->SetMuteLatched(player_->GetMute());
}
