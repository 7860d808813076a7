// Display modes applied to the window: full screen, frame, control bar, views, always on top,
// zoom, the boss key; the pointer hidden in full screen and the control bar revealed under it.
// The flags themselves change in frame/Modes.h; here they reach the window.

#include <QCursor>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <utility>

#include "captions/CaptionWnd.h"
#include "controls/ControlDlg.h"
#include "frame/MainFrame.h"
#include "frame/X11.h"
#include "playback/MediaPlayer2.h"

namespace fl = frame_layout;
namespace fm = frame_modes;

// Changes one window flag of the shown window without hiding it: the window keeps its place and
// the window manager only updates its decorations or stacking.
void CMainFrame::ApplyWindowFlag(Qt::WindowType flag, bool on) {
    Qt::WindowFlags flags = windowFlags();
    if (flags.testFlag(flag) == on) return;
    flags.setFlag(flag, on);
    if (QWindow* window = windowHandle()) {
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

// The title bar and the menu bar as the mode flags say.
void CMainFrame::ApplyFramed() {
    ApplyWindowFlag(Qt::FramelessWindowHint, !modes_.framed);
    menuBar()->setVisible(modes_.menu);
}

void CMainFrame::SetFullScreen(bool on) {
    if (on) {
        if (soundOnly_) return;
        MinimiseMessenger();  // also when already in full screen
        if (!fm::EnterFullScreen(modes_, soundOnly_)) return;
        restoring_ = false;
        afterRestore_ = nullptr;
        layoutSuspended_ = true;
        menuBar()->setVisible(false);
        layoutSuspended_ = false;
        // The window manager's resize lays the content out, fitted and centred in the screen.
        // The control bar stays on screen until the next poll tick finds the pointer away.
        showFullScreen();
        LayoutForMode();
        return;
    }
    if (!fm::LeaveFullScreen(modes_, soundOnly_)) return;
    // Only full screen hides an idle pointer; a window manager need not move or size the window.
    if (!pointerShown_) ShowPointer(true);
    layoutSuspended_ = true;
    if (modes_.controls)
        controlBar_->show();
    else if (controlBar_->isVisible())
        modes_.barHover = true;  // revealed in full screen: the next check may hide it again
    const bool coveredScreen = screen() && geometry() == screen()->geometry();
    // A window that covered the screen before as well is not moved or sized back.
    const bool goesBack = coveredScreen && normalGeometry() != geometry();
    showNormal();
    ApplyFramed();
    layoutSuspended_ = false;
    raise();
    // The window manager puts the window back where it was, at the width it had; its resize then
    // gives the height of the rule. Asking for a size now would also send the full screen's
    // position, which the window still believes it has, and move the window there.
    restoring_ = goesBack;
    if (!goesBack) {  // the platform never made it full screen, or it changes nothing
        RelayoutAtWidth();
        LayoutForMode();
    }
}

// A window manager that refuses full screen, or none at all, sends no resize to lay the window out
// by: the parts are placed for the mode in the size the window has, once the menu bar has given up
// or taken back its room.
void CMainFrame::LayoutForMode() {
    const bool fullScreen = modes_.fullScreen;
    QMetaObject::invokeMethod(
        this,
        [this, fullScreen] {
            if (!shutDown_ && modes_.fullScreen == fullScreen) RefreshLayout();
        },
        Qt::QueuedConnection);
}

void CMainFrame::WhenWindowed(std::function<void()> step) {
    if (restoring_)
        afterRestore_ = std::move(step);
    else
        step();
}

void CMainFrame::FinishRestore() {
    if (!restoring_ || modes_.fullScreen || windowState() != Qt::WindowNoState) return;
    restoring_ = false;
    if (auto step = std::exchange(afterRestore_, nullptr)) step();
}

void CMainFrame::SetFramed(bool on) {
    if (!fm::SetFramed(modes_, on, soundOnly_)) return;
    ApplyFramed();
}

void CMainFrame::ToggleControls() {
    if (!fm::ToggleControls(modes_, soundOnly_)) return;
    RelayoutAtWidth();
    // A bar leaving the layout stays on screen until the next poll tick finds the pointer away.
    if (modes_.controls) controlBar_->show();
}

void CMainFrame::StandardView() {
    if (modes_.fullScreen) return;
    if (!modes_.framed) SetFramed(true);
    if (!modes_.controls) ToggleControls();
    RelayoutAtWidth();
}

void CMainFrame::MinimalView() {
    if (modes_.controls) ToggleControls();
    if (modes_.framed) SetFramed(false);
    RelayoutAtWidth();
}

void CMainFrame::ToggleTopmost() {
    modes_.topmost = !modes_.topmost;
    ApplyWindowFlag(Qt::WindowStaysOnTopHint, modes_.topmost);
}

void CMainFrame::Zoom(int factor) {
    if (modes_.fullScreen) SetFullScreen(false);
    WhenWindowed([this, factor] {
        ResizeOuter(
            fl::ZoomWidth(fl::SourceSize(natural_, cropPercent_).width, factor, NonClientSize()));
        raise();
    });
}

void CMainFrame::BossKey() {
    if (playState_ == 2) player_->Pause();
    showMinimized();
}

void CMainFrame::ResetPosition() {
    if (modes_.fullScreen) SetFullScreen(false);
    WhenWindowed([this] {
        move(0, 0);
        ResizeOuter(rememberedWidth_);
        raise();
    });
}

// The window manager's maximise (its button, or a double click on the title bar) gives full
// screen instead; with a medium without picture it gives nothing at all.
void CMainFrame::OnMaximizeRequest() {
    if (!ready_ || modes_.fullScreen || !(windowState() & Qt::WindowMaximized)) return;
    setWindowState(windowState() & ~Qt::WindowMaximized);
    SetFullScreen(true);
}

void CMainFrame::ShowPointer(bool show) {
    pointerShown_ = show;
    if (show)
        unsetCursor();
    else
        setCursor(Qt::BlankCursor);
}

void CMainFrame::HoverCheck(const QPoint& globalPoint) {
    if (modes_.controls || !controlBar_) return;
    const QRect bar(controlBar_->mapToGlobal(QPoint(0, 0)), controlBar_->size());
    if (bar.contains(globalPoint, true)) {
        controlBar_->show();
        controlBar_->raise();
        modes_.barHover = true;
    } else if (!soundOnly_) {
        if (modes_.barHover) controlBar_->hide();
        modes_.barHover = false;
    }
}

// In full screen a pointer resting for the idle count of poll ticks hides; a move shows it.
void CMainFrame::OnIdlePointerTick(const QPoint& globalPoint) {
    if (!modes_.fullScreen) return;
    if (globalPoint == lastPointer_) {
        if (pointerShown_ && --idleCounter_ <= 0) ShowPointer(false);
        return;
    }
    if (!pointerShown_) ShowPointer(true);
    idleCounter_ = fm::kIdleTicks;
    lastPointer_ = globalPoint;
}
