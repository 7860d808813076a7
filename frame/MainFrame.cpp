#include "frame/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QWindow>

#include "app/Profile.h"
#include "app/SingleInstance.h"
#include "controls/ControlDlg.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"

namespace {
constexpr int kStartWidth = 368;
constexpr int kControlBarHeight = 58;
}  // namespace

CMainFrame::CMainFrame() {
    setWindowTitle(QStringLiteral("Velmora"));
    setAttribute(Qt::WA_DeleteOnClose, false);
}

CMainFrame::~CMainFrame() {
    Shutdown();
}

bool CMainFrame::CreateAndShow() {
    if (!OnCreate()) return false;
    show();
    setAcceptDrops(true);
    if (CProfile::Get(profile::kFullScreen) != 0) {
        // Full screen itself comes with the display modes; the saved state is kept meanwhile.
        fullScreen_ = false;
    }
    return true;
}

bool CMainFrame::OnCreate() {
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
    menuBar();  // the menu bar exists from the start; its menus come with the command table

    player_ = new CMediaPlayer2(content_, this);
    if (!player_->IsValid()) return false;
    controlBar_ = new CControlDlg(content_);
    controlBar_->EnableSeek(false);
    ConnectParts();

    LoadSettings();
    // The media control's start-up properties, in their order.
    static constexpr std::pair<int, bool> kStartup[] = {
        {23, false},  {1086, false}, {24, false},  {26, false},  {1015, true},  {1021, false},
        {1014, true}, {1064, false}, {1017, true}, {1018, true}, {1025, false}, {1045, true}};
    for (const auto& [id, value] : kStartup) player_->SetStartupProperty(id, value);
    ready_ = true;
    ResetToEmpty();
    LoadWindowPosition();
    controlBar_->show();
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

// Until the layout rule places everything, the picture fills the client area above the control
// bar, which takes the bottom 58 pixels.
void CMainFrame::PlaceControlBar() {
    if (!content_) return;
    const int w = content_->width(), h = content_->height();
    controlBar_->setGeometry(0, h - kControlBarHeight, w, kControlBarHeight);
    player_->MediaWindow()->setGeometry(0, 0, w, std::max(0, h - kControlBarHeight));
    if (openState_ == 6 && player_->GetImageSourceWidth() > 0) {
        player_->MediaWindow()->show();
        player_->MediaWindow()->lower();
    } else {
        player_->MediaWindow()->hide();
    }
}

int CMainFrame::NonClientHeight() const {
    return menuBar() && !menuBar()->isHidden() ? menuBar()->sizeHint().height() : 0;
}

void CMainFrame::LoadWindowPosition() {
    const int left = CProfile::Get(profile::kLeft);
    const int top = CProfile::Get(profile::kTop);
    rememberedRect_ = QRect(QPoint(left, top), QSize(kStartWidth, 1));
    // The empty window's height follows the layout rule for the initial 320 x 240 picture.
    const int pictureHeight = kStartWidth * 240 / 320;
    resize(kStartWidth, pictureHeight + kControlBarHeight + NonClientHeight());
    QPoint position(left, top);
    // A window saved on a screen that is gone would open out of reach: use the top-left corner.
    bool visible = false;
    for (const QScreen* screen : QGuiApplication::screens())
        visible |= screen->availableGeometry().intersects(QRect(position, size()));
    if (!visible) position = QPoint(0, 0);
    move(position);
}

void CMainFrame::ResetToEmpty() {
    if (!ready_) return;
    playState_ = 8;
    openState_ = 0;
    parser_.Reset();
    controlBar_->UpdatePlayState(8);
    controlBar_->EnableSeek(false);
    controlBar_->EnableTransport(false);
    durationText_.clear();
    ShowPosition(-1);
    player_->MediaWindow()->hide();
}

void CMainFrame::OnHandOver() {
    CProfile::Refresh();
    const QString path = CProfile::Get(profile::kHandOverFile);
    if (path.isEmpty()) return;
    ClearPlaylistForSingleItem();
    OpenMediaPath(ResolveShortcut(path));
}

void CMainFrame::BringForward(const QString& activationToken) {
    if (!activationToken.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (isMinimized()) {
        show();  // a minimised window stays minimised
        return;
    }
    show();
    raise();
    activateWindow();
}

void CMainFrame::RememberWindowRect() {
    if (!ready_ || fullScreen_ || windowState() != Qt::WindowNoState) return;
    // pos() is where move() puts the window, so a saved place restores without drifting.
    rememberedRect_ = QRect(pos(), size());
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RememberWindowRect();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!ready_) return;
    PlaceControlBar();
    RememberWindowRect();
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
    if (instanceServer_) instanceServer_->deleteLater();
    instanceServer_ = nullptr;
    SaveSettings();
}
