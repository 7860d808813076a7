#include "frame/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include "app/Profile.h"
#include "app/ScreenSaver.h"
#include "app/SingleInstance.h"
#include "captions/CaptionWnd.h"
#include "controls/ControlDlg.h"
#include "frame/FrameWindows.h"
#include "frame/Mpris.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"

CMainFrame::CMainFrame() {
    setWindowTitle(QStringLiteral("Velmora"));
    setAttribute(Qt::WA_DeleteOnClose, false);
}

CMainFrame::~CMainFrame() {
    Shutdown();
}

bool CMainFrame::CreateAndShow(const std::function<void()>& openFirst) {
    if (!OnCreate(openFirst)) return false;
    show();
    setAcceptDrops(true);
    if (CProfile::Get(profile::kFullScreen) != 0) SetFullScreen(true);
    mpris_ = new CMpris(this);
    mpris_->Start();
    return true;
}

bool CMainFrame::OnCreate(const std::function<void()>& openFirst) {
    // The running window listens for second starts and publishes where, before anything else.
    instanceServer_ = new CInstanceServer(this);
    const QString name = instanceServer_->Listen();
    CProfile::Write(profile::kInstance, name);
    connect(instanceServer_, &CInstanceServer::handOver, this, &CMainFrame::OnHandOver);
    connect(instanceServer_, &CInstanceServer::activate, this, &CMainFrame::BringForward);

    content_ = new QWidget(this);
    content_->setAutoFillBackground(true);
    QPalette black = content_->palette();
    black.setColor(QPalette::Window, Qt::black);
    content_->setPalette(black);
    setCentralWidget(content_);
    // Pointer moves over the picture's surround reach the frame: they reveal a hidden control bar.
    content_->setMouseTracking(true);
    setMouseTracking(true);

    caption_font::RegisterSubstitutes();  // the caption faces' names work with local fonts

    // The parts, bottom to top: picture, surround, caption, corners, control bar. The media
    // control comes last and is put at the bottom: it waits for the player core, which starts
    // on a worker thread meanwhile.
    captionWnd_ = new CCaptionWnd(content_);
    for (CCornerWnd*& corner : corners_) corner = new CCornerWnd(content_);
    surround_ = new CSurroundWnd(content_);
    surround_->stackUnder(captionWnd_);
    controlBar_ = new CControlDlg(content_);
    controlBar_->EnableSeek(false);
    player_ = new CMediaPlayer2(content_, this);
    if (!player_->IsValid()) return false;
    player_->MediaWindow()->lower();
    ConnectParts();
    ConnectMouse();

    LoadSettings();
    settingsLoaded_ = true;
    // The media control's start-up properties, in their order.
    static constexpr std::pair<int, bool> kStartup[] = {
        {23, false},  {1086, false}, {24, false},  {26, false},  {1015, true},  {1021, false},
        {1014, true}, {1064, false}, {1017, true}, {1018, true}, {1025, false}, {1045, true}};
    for (const auto& [id, value] : kStartup) player_->SetStartupProperty(id, value);
    captionWnd_->SetStyle(CaptionStyleFromSettings());
    BuildMenus();
    ready_ = true;
    ResetToEmpty();
    if (!modes_.framed) SetFramed(false);
    if (openFirst) openFirst();
    player_->StopUnclaimedStartLoad();
    LoadWindowPosition();
    // Shown also when it is out of the layout: the first poll tick that finds the pointer away
    // from it hides it.
    controlBar_->show();
    screenSaver_ = new CScreenSaverInhibitor(this);
    return true;
}

// The one place where the parts are wired to the frame: they emit intent, the frame acts.
void CMainFrame::ConnectParts() {
    CMediaPlayer2* p = player_;
    connect(p, &CMediaPlayer2::OpenStateChange, this, &CMainFrame::OnOpenStateChange);
    connect(p, &CMediaPlayer2::PlayStateChange, this, &CMainFrame::OnPlayStateChange);
    connect(p, &CMediaPlayer2::PositionChange, this, &CMainFrame::OnPositionChange);
    connect(p, &CMediaPlayer2::ScriptCommand, this, &CMainFrame::OnScriptCommand);
    connect(p, &CMediaPlayer2::Error, this, &CMainFrame::OnMediaError);
    connect(p, &CMediaPlayer2::EndOfStream, this, &CMainFrame::OnEndOfStream);
    // A picture size that comes late or changes while playing sizes the window as on open.
    connect(p, &CMediaPlayer2::ImageSizeChange, this, [this] {
        if (openState_ == 6) OnOpenStateChange(6, 6);
    });

    CControlDlg* bar = controlBar_;
    bar->SetPlayStateReader([this] { return int(playState_); });
    bar->SetDurationReader([this] { return player_->GetDuration(); });
    connect(bar, &CControlDlg::commandPosted, this, &CMainFrame::OnCommand);
    connect(bar, &CControlDlg::seekRequested, this, [this](double seconds) {
        if (openState_ == 6) player_->SetCurrentPosition(seconds);
    });
    connect(bar, &CControlDlg::volumeStepChosen, this, &CMainFrame::SetVolumeStep);
    connect(
        bar, &CControlDlg::keyForFrame, this,
        [this](QKeyEvent* event, bool* handled) {
            if (event->type() == QEvent::KeyPress) *handled = HandleKey(event);
        },
        Qt::DirectConnection);
    connect(bar, &CControlDlg::focusToFrame, this, [this] { setFocus(Qt::OtherFocusReason); });
    connect(bar, &CControlDlg::quitRequested, qApp, &QApplication::quit, Qt::QueuedConnection);
}

void CMainFrame::LoadWindowPosition() {
    const int left = CProfile::Get(profile::kLeft);
    const int top = CProfile::Get(profile::kTop);
    rememberedRect_ = QRect(QPoint(left, top), QSize(frame_layout::kStartWindowWidth, 1));
    ResizeOuter(frame_layout::kStartWindowWidth);
    QPoint position(left, top);
    // A window saved on a screen that is gone would open out of reach: use the top-left corner.
    bool visible = false;
    for (const QScreen* screen : QGuiApplication::screens())
        visible |= screen->availableGeometry().intersects(QRect(position, size()));
    if (!visible) position = QPoint(0, 0);
    move(position);
    raise();
}

void CMainFrame::ResetToEmpty() {
    ShowPointer(true);
    if (!ready_) return;
    soundOnly_ = false;
    playState_ = 8;
    openState_ = 0;
    parser_.Reset();
    controlBar_->UpdatePlayState(8);
    controlBar_->EnableSeek(false);
    controlBar_->EnableTransport(false);
    durationText_.clear();
    ShowPosition(-1);
    player_->MediaWindow()->hide();
    HideCaption();
    UpdateScreenSaver();
}

void CMainFrame::UpdateScreenSaver() {
    if (!screenSaver_) return;
    // Only a picture playing in a window that can be seen keeps the screen awake; an idle,
    // paused, sound-only or minimised player lets the session blank and lock as usual.
    screenSaver_->SetHeld(!shutDown_ && openState_ == 6 && playState_ == 2 && !soundOnly_ &&
                          !isMinimized());
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    UpdateScreenSaver();
    // Maximising gives full screen instead; after the window manager's own step has settled.
    if ((windowState() & Qt::WindowMaximized) && !modes_.fullScreen)
        QMetaObject::invokeMethod(this, &CMainFrame::OnMaximizeRequest, Qt::QueuedConnection);
}

void CMainFrame::OnHandOver(const QString& sentPath) {
    if (shutDown_) return;
    CProfile::Refresh();
    const QString path = sentPath.isEmpty() ? CProfile::Get(profile::kHandOverFile) : sentPath;
    if (path.isEmpty()) return;
    ClearPlaylistForSingleItem();
    OpenMediaPath(ResolveShortcut(path));
}

void CMainFrame::BringForward(const QString& activationToken) {
    if (shutDown_) return;
    if (!activationToken.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (isMinimized()) {
        show();  // a minimised window stays minimised
        return;
    }
    show();
    raise();
    activateWindow();
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (!pointerShown_) ShowPointer(true);
    if (!ready_ || layoutSuspended_) return;
    FinishRestore();
    // Only a window that lies fully on the screen's positive side is remembered by a move.
    const QRect outer(pos(), size());
    if (frame_layout::MoveRemembersRect(
            {outer.left(), outer.top(), outer.right() + 1, outer.bottom() + 1}, modes_.fullScreen))
        rememberedRect_ = outer;
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!pointerShown_) ShowPointer(true);
    OnSize(event->oldSize());
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    OnDropFiles(paths);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    Shutdown();
    event->accept();
}

void CMainFrame::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    ready_ = false;
    pollTimer_.stop();
    // Nothing the media control still reports may reach the parts about to go.
    if (player_) player_->disconnect(this);
    // A second start from now on finds no running player and starts its own; the desktop's
    // media controls no longer find one either.
    delete instanceServer_;
    instanceServer_ = nullptr;
    delete mpris_;
    mpris_ = nullptr;
    // The control bar, caption, surround and corner windows go first, in this order. They are
    // hidden now and deleted once the event that closed the window has been handled, since it
    // may have come from one of them (a key typed on the control bar, say).
    const auto retire = [](auto*& w) {
        if (!w) return;
        w->hide();
        w->deleteLater();
        w = nullptr;
    };
    // Statistics and properties close with the window, and so does any dialog open over another
    // (a colour or folder chooser over the settings), whose own event loop would outlive it.
    QList<QPointer<QDialog>> dialogs;
    for (QDialog* dialog : findChildren<QDialog*>()) dialogs << dialog;
    for (const QPointer<QDialog>& dialog : dialogs)
        if (dialog) dialog->close();
    retire(controlBar_);
    retire(captionWnd_);
    retire(surround_);
    for (CCornerWnd*& corner : corners_) retire(corner);
    UpdateScreenSaver();  // released: the window is going
    // A window that could not be made never loaded the settings: keep the stored ones.
    if (settingsLoaded_) SaveSettings();
}
