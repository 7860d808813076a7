// The command table, keys, and the transport commands.

#include <QApplication>
#include <QKeyEvent>
#include <cmath>

#include "app/Commands.h"
#include "controls/ControlDlg.h"
#include "frame/MainFrame.h"
#include "frame/Mpris.h"
#include "playback/MediaPlayer2.h"
#include "playback/PlaybackRules.h"

namespace pb = velmora::playback;

namespace {

// The keypad modifier is dropped before matching, except for Num + and Num -.
bool KeypadAgnostic(int key) {
    return key != Qt::Key_Plus && key != Qt::Key_Minus;
}

}  // namespace

const CMainFrame::CommandRow* CMainFrame::FindCommand(int id) {
    for (const CommandRow& row : Commands())
        if (row.id == id) return &row;
    return nullptr;
}

frame_modes::CommandState CMainFrame::CommandStateNow() const {
    frame_modes::CommandState s;
    s.modes = &modes_;
    s.zoom = zoom_;
    s.extraLines = settings_.extraLines;
    s.openState = openState_;
    s.playlistLength = playlistLength_;
    s.muted = player_ && player_->GetMute();
    return s;
}

bool CMainFrame::IsCommandEnabled(int id) const {
    const CommandRow* row = FindCommand(id);
    // A command that does nothing and shows no mark is greyed out in the menus.
    if (!row || (!row->handler && row->check == frame_modes::CheckRule::None)) return false;
    return frame_modes::IsEnabled(CommandStateNow(), row->enable);
}

std::optional<bool> CMainFrame::IsCommandChecked(int id) const {
    const CommandRow* row = FindCommand(id);
    return row ? frame_modes::IsChecked(CommandStateNow(), row->check) : std::nullopt;
}

void CMainFrame::OnCommand(int id) {
    // A command posted before the window closed finds the parts gone: it does nothing.
    if (shutDown_) return;
    const CommandRow* row = FindCommand(id);
    if (!row || !row->handler || !IsCommandEnabled(id)) return;
    row->handler(*this);
    if (mpris_) mpris_->Refresh();
}

int CMainFrame::CommandForKey(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Enter) key = Qt::Key_Return;
    modifiers &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier;
    if (KeypadAgnostic(key)) modifiers &= ~Qt::KeypadModifier;
    for (const CommandRow& row : Commands())
        for (const CommandKey& k : row.keys)
            if (k.key != 0 && k.key == key && k.modifiers == modifiers) return row.id;
    return 0;
}

// A typed key runs the command bound to it; true when the key is one of the table's, also for
// keys that do nothing on purpose.
bool CMainFrame::HandleKey(QKeyEvent* event) {
    const int id = CommandForKey(event->key(), event->modifiers());
    if (id == 0) return false;
    OnCommand(id);
    return true;
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
