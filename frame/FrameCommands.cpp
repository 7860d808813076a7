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

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kAlt = Qt::AltModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kKeypad = Qt::KeypadModifier;

// Keys of the commands the window handles. The keypad modifier counts only where a binding names
// it (Num + and Num -); arrow, Page and Enter keys match on the keypad and off it alike.
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
    // Display modes.
    KeyBinding{Qt::Key_Return, kAlt, cmd::kFullScreen},
    KeyBinding{Qt::Key_Enter, kAlt, cmd::kFullScreen},
    KeyBinding{Qt::Key_Escape, kNone, cmd::kFullScreenKey},
    KeyBinding{Qt::Key_Return, kShift, cmd::kFramed},
    KeyBinding{Qt::Key_Enter, kShift, cmd::kFramed},
    KeyBinding{Qt::Key_Return, kCtrl, cmd::kControls},
    KeyBinding{Qt::Key_Enter, kCtrl, cmd::kControls},
    KeyBinding{Qt::Key_Return, kNone, cmd::kBossKey},
    KeyBinding{Qt::Key_Enter, kNone, cmd::kBossKey},
    KeyBinding{Qt::Key_1, kCtrl, cmd::kStandardView},
    KeyBinding{Qt::Key_2, kCtrl, cmd::kMinimalView},
    KeyBinding{Qt::Key_T, kCtrl, cmd::kTopmost},
    KeyBinding{Qt::Key_1, kAlt, cmd::kZoom100},
    KeyBinding{Qt::Key_2, kAlt, cmd::kZoom200},
    // Caption area.
    KeyBinding{Qt::Key_Plus, kKeypad, cmd::kLinesMore},
    KeyBinding{Qt::Key_Down, kCtrl, cmd::kLinesMore},
    KeyBinding{Qt::Key_Minus, kKeypad, cmd::kLinesLess},
    KeyBinding{Qt::Key_Up, kCtrl, cmd::kLinesLess},
    KeyBinding{Qt::Key_BracketRight, kNone, cmd::kCropMore},
    KeyBinding{Qt::Key_Right, kAlt, cmd::kCropMore},
    KeyBinding{Qt::Key_BracketLeft, kNone, cmd::kCropLess},
    KeyBinding{Qt::Key_Left, kAlt, cmd::kCropLess},
    KeyBinding{Qt::Key_Equal, kNone, cmd::kCropReset},
    KeyBinding{Qt::Key_Up, kAlt, cmd::kCaptionUp},
    KeyBinding{Qt::Key_Down, kAlt, cmd::kCaptionDown},
    KeyBinding{Qt::Key_PageUp, kCtrl, cmd::kLettersLarger},
    KeyBinding{Qt::Key_PageDown, kCtrl, cmd::kLettersSmaller},
};

// Keys whose keypad modifier is dropped before matching.
bool KeypadAgnostic(int key) {
    return key != Qt::Key_Plus && key != Qt::Key_Minus;
}

}  // namespace

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
    return frame_modes::IsEnabled(CommandStateNow(), id);
}

std::optional<bool> CMainFrame::IsCommandChecked(int id) const {
    return frame_modes::IsChecked(CommandStateNow(), id);
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
        // Display modes.
        case cmd::kFullScreen:
        case cmd::kFullScreenKey:
            SetFullScreen(!modes_.fullScreen);
            break;
        case cmd::kFramed:
            if (modes_.fullScreen) break;
            SetFramed(!modes_.framed);
            RelayoutAtWidth();
            break;
        case cmd::kControls:
            ToggleControls();
            break;
        case cmd::kStandardView:
            StandardView();
            break;
        case cmd::kMinimalView:
            MinimalView();
            break;
        case cmd::kTopmost:
            ToggleTopmost();
            break;
        case cmd::kZoom100:
            Zoom(1);
            break;
        case cmd::kZoom200:
            Zoom(2);
            break;
        case cmd::kBossKey:
            BossKey();
            break;
        case cmd::kMinimize:
            showMinimized();
            break;
        case cmd::kResetPosition:
            ResetPosition();
            break;
        // Caption area.
        case cmd::kLinesMore:
        case cmd::kLinesLess:
            if (const auto lines = frame_modes::StepExtraLines(settings_.extraLines,
                                                               id == cmd::kLinesMore ? 1 : -1))
                SetExtraLines(*lines);
            break;
        case cmd::kCropMore:
            StepCrop(1);
            break;
        case cmd::kCropLess:
            StepCrop(-1);
            break;
        case cmd::kCropReset:
            ResetCrop();
            break;
        case cmd::kCaptionUp:
            StepCaptionPosition(1);
            break;
        case cmd::kCaptionDown:
            StepCaptionPosition(-1);
            break;
        case cmd::kLettersLarger:
            StepSizeRatio(-1);
            break;
        case cmd::kLettersSmaller:
            StepSizeRatio(1);
            break;
        default:
            for (int lines = 0; lines <= frame_modes::kMaxExtraLines; ++lines)
                if (id == cmd::kLinesSet[lines]) SetExtraLines(lines);
            break;  // commands without a handler do nothing
    }
}

bool CMainFrame::HandleKey(QKeyEvent* event) {
    Qt::KeyboardModifiers mods = event->modifiers() & (kShift | kCtrl | kAlt | kKeypad);
    if (KeypadAgnostic(event->key())) mods &= ~kKeypad;
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
