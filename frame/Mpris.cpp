#include "frame/Mpris.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include "app/Commands.h"
#include "controls/ControlDlg.h"
#include "frame/MainFrame.h"
#include "frame/MprisRules.h"
#include "playback/MediaPlayer2.h"
#include "playback/PlayList.h"

namespace mr = mpris_rules;

namespace {

// The schemes of the network addresses the player opens (velmora::playback::IsStreamAddress).
const QStringList kUriSchemes = {"file",  "http", "https", "mms", "mmsh", "mmst", "rtsp",
                                 "rtsps", "rtmp", "rtmps", "rtp", "udp",  "ftp"};
// The media types of the desktop entry.
const QStringList kMimeTypes = {
    "video/x-msvideo", "video/x-ms-asf", "video/mpeg",         "video/x-ms-wmv",
    "video/x-ms-wvx",  "video/x-ms-wmp", "video/x-ms-asx",     "application/vnd.ms-asf",
    "audio/x-ms-asx",  "video/mp4",      "video/x-m4v",        "video/x-matroska",
    "video/webm",      "video/ogg",      "video/quicktime",    "video/x-flv",
    "video/3gpp",      "video/mp2t",     "audio/mpeg",         "audio/mp4",
    "audio/aac",       "audio/ogg",      "audio/x-vorbis+ogg", "audio/x-opus+ogg",
    "audio/flac",      "audio/x-wav",    "audio/x-matroska",   "audio/x-ms-wma",
    "audio/x-aiff",    "audio/basic",    "audio/x-mpegurl",    "application/vnd.apple.mpegurl"};

// A session without a bus address has no desktop to listen: no bus is launched just for this
// (the X11 fallback would start a daemon nobody talks to).
bool SessionHasBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + "/bus");
}

}  // namespace

// org.mpris.MediaPlayer2: the player as an application.
class CMprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
  public:
    explicit CMprisRootAdaptor(CMpris* mpris) : QDBusAbstractAdaptor(mpris), m_(mpris) {}
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Velmora"); }
    QString DesktopEntry() const { return QStringLiteral("velmora"); }
    QStringList SupportedUriSchemes() const { return kUriSchemes; }
    QStringList SupportedMimeTypes() const { return kMimeTypes; }

  public slots:
    void Raise() { m_->Raise(); }
    void Quit() { m_->Quit(); }

  private:
    CMpris* m_;
};

// org.mpris.MediaPlayer2.Player: transport, position, volume and the current track.
class CMprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
  public:
    explicit CMprisPlayerAdaptor(CMpris* mpris) : QDBusAbstractAdaptor(mpris), m_(mpris) {
        connect(mpris, &CMpris::seeked, this, &CMprisPlayerAdaptor::Seeked);
    }
    QString PlaybackStatus() const { return m_->PlaybackStatus(); }
    double Rate() const { return 1.0; }
    void SetRate(double) {}  // only the normal rate: a client's other rate is ignored
    QVariantMap Metadata() const { return m_->Metadata(); }
    double Volume() const { return m_->Volume(); }
    void SetVolume(double volume) { m_->SetVolume(volume); }
    qlonglong Position() const { return m_->Position(); }
    bool CanGoNext() const { return m_->CanGoNext(); }
    bool CanGoPrevious() const { return m_->CanGoPrevious(); }
    bool CanPlay() const { return m_->CanPlay(); }
    bool CanPause() const { return m_->CanPause(); }
    bool CanSeek() const { return m_->CanSeek(); }
    bool CanControl() const { return true; }

  public slots:
    void PlayPause() { m_->PlayPause(); }
    void Play() { m_->Play(); }
    void Pause() { m_->Pause(); }
    void Stop() { m_->Stop(); }
    void Next() { m_->Next(); }
    void Previous() { m_->Previous(); }
    void Seek(qlonglong Offset) { m_->Seek(Offset); }
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
        m_->SetPosition(TrackId, Position);
    }
    void OpenUri(const QString& Uri) { m_->OpenUri(Uri); }

  signals:
    void Seeked(qlonglong Position);

  private:
    CMpris* m_;
};

CMpris::CMpris(CMainFrame* frame) : QObject(frame), frame_(frame) {
    new CMprisRootAdaptor(this);
    new CMprisPlayerAdaptor(this);
    announce_.setSingleShot(true);
    announce_.setInterval(0);
    connect(&announce_, &QTimer::timeout, this, &CMpris::Announce);
}

CMpris::~CMpris() {
    if (!published_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(kObjectPath);
    QDBusMessage release = QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ReleaseName");
    release << QString(kServiceName);
    bus.call(release, QDBus::NoBlock);
}

void CMpris::Start() {
    CMediaPlayer2* player = frame_->Player();
    connect(player, &CMediaPlayer2::OpenStateChange, this, [this](long, long state) {
        if (state == CMediaPlayer2::kOpen) ++track_;  // every medium opened is a new track
        Refresh();
    });
    connect(player, &CMediaPlayer2::PlayStateChange, this, &CMpris::Refresh);
    connect(player, &CMediaPlayer2::ImageSizeChange, this, &CMpris::Refresh);
    connect(player, &CMediaPlayer2::Error, this, &CMpris::Refresh);
    connect(player, &CMediaPlayer2::PositionChange, this,
            [this](double, double position) { emit seeked(mr::Microseconds(position)); });
    connect(frame_, &CMainFrame::mediaPathOpened, this, &CMpris::Refresh);
    connect(frame_->ControlBar(), &CControlDlg::volumeStepChosen, this, &CMpris::Refresh);

    // Connecting may wait for the bus daemon: that wait happens on a worker thread. The
    // connection it makes is the process's one session bus connection, used here afterwards.
    auto* connecting = new QFutureWatcher<bool>(this);
    connect(connecting, &QFutureWatcher<bool>::finished, this, [this, connecting] {
        connecting->deleteLater();
        if (connecting->result()) Publish();
    });
    connecting->setFuture(QtConcurrent::run(
        [] { return SessionHasBus() && QDBusConnection::sessionBus().isConnected(); }));
}

void CMpris::Publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) return;
    published_ = true;
    Announce();  // what the bus shows from now on
    // Only the name makes the player visible to the desktop; a taken one (another session's
    // player on a shared bus) leaves it invisible, which is all the harm there is.
    QDBusMessage request = QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName");
    constexpr uint kDoNotQueue = 4;
    request << QString(kServiceName) << kDoNotQueue;
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(request), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        constexpr uint kPrimaryOwner = 1, kAlreadyOwner = 4;
        if (reply.isError() || (reply.value() != kPrimaryOwner && reply.value() != kAlreadyOwner))
            qInfo("MPRIS: the bus name %s is not ours", kServiceName);
    });
}

void CMpris::Refresh() {
    if (published_) announce_.start();
}

void CMpris::Announce() {
    const QVariantMap now = {
        {"PlaybackStatus", PlaybackStatus()},
        {"Metadata", Metadata()},
        {"Volume", Volume()},
        {"CanGoNext", CanGoNext()},
        {"CanGoPrevious", CanGoPrevious()},
        {"CanPlay", CanPlay()},
        {"CanPause", CanPause()},
        {"CanSeek", CanSeek()},
    };
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it)
        if (announced_.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    const bool first = announced_.isEmpty();
    announced_ = now;
    if (first || changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, "org.freedesktop.DBus.Properties",
                                                     "PropertiesChanged");
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

bool CMpris::IsOpen() const {
    return !frame_->shutDown_ && frame_->OpenState() == CMediaPlayer2::kOpen;
}

QDBusObjectPath CMpris::TrackId() const {
    return QDBusObjectPath(QStringLiteral("/org/velmora/Track/%1").arg(track_));
}

void CMpris::Raise() {
    if (frame_->shutDown_) return;
    // Raising is meant to bring the window into view: a minimised one comes back as it was.
    if (frame_->isMinimized()) frame_->setWindowState(frame_->windowState() & ~Qt::WindowMinimized);
    frame_->BringForward(QString());
}

void CMpris::Quit() {
    frame_->OnCommand(cmd::kExit);
}

void CMpris::PlayPause() {
    frame_->OnCommand(cmd::kPlayPause);
}

// Play and Pause act only when the state is the other one; the toggle does the work.
void CMpris::Play() {
    if (IsOpen() && frame_->PlayState() != CMediaPlayer2::kPlaying)
        frame_->OnCommand(cmd::kPlayPause);
}

void CMpris::Pause() {
    if (IsOpen() && frame_->PlayState() == CMediaPlayer2::kPlaying)
        frame_->OnCommand(cmd::kPlayPause);
}

void CMpris::Stop() {
    frame_->OnCommand(cmd::kStop);
}

void CMpris::Next() {
    frame_->OnCommand(cmd::kNext);
}

void CMpris::Previous() {
    frame_->OnCommand(cmd::kPrevious);
}

// A step of any size, with the rules of the 5- and 30-second steps. A step forward past the end
// of a track of known length moves on to the next one, as Next does (nothing without one).
void CMpris::Seek(qlonglong offsetUs) {
    if (frame_->shutDown_ || !frame_->IsCommandEnabled(cmd::kForward5)) return;
    const double delta = mr::Seconds(offsetUs);
    const CMediaPlayer2* player = frame_->Player();
    const double duration = player->GetDuration();
    if (delta > 0 && duration > 0 && player->GetCurrentPosition() + delta >= duration) {
        if (frame_->IsCommandEnabled(cmd::kNext)) frame_->OnCommand(cmd::kNext);
        return;
    }
    frame_->OnSeek(delta);
}

// Where the seek slider goes, for the current track only.
void CMpris::SetPosition(const QDBusObjectPath& trackId, qlonglong positionUs) {
    if (!IsOpen() || trackId != TrackId()) return;
    if (!mr::PositionOnTrack(positionUs, mr::Microseconds(frame_->Player()->GetDuration()))) return;
    frame_->Player()->SetCurrentPosition(mr::Seconds(positionUs));
}

// Opened as a path handed over by a second start: a single medium, or a playlist file.
void CMpris::OpenUri(const QString& uri) {
    if (frame_->shutDown_) return;
    // Read as a playlist's entry: an escaped zero byte must not cut the path short (the file
    // before it would open), and a file URL of another host names nothing here.
    const QString path = QString::fromStdString(mr::PathForUri(uri.toStdString()));
    if (!path.isEmpty()) frame_->OnHandOver(path);
}

QString CMpris::PlaybackStatus() const {
    return QString::fromLatin1(
        mr::PlaybackStatus(IsOpen() ? frame_->OpenState() : 0, frame_->PlayState()));
}

QVariantMap CMpris::Metadata() const {
    if (!IsOpen()) return {};
    const CMediaPlayer2* player = frame_->Player();
    const QString name = player->GetFileName();
    QVariantMap m;
    m.insert("mpris:trackid", QVariant::fromValue(TrackId()));
    const qlonglong length = mr::Microseconds(player->GetDuration());
    if (length > 0) m.insert("mpris:length", length);
    m.insert("xesam:title", QString::fromStdString(mr::TrackTitle(name.toStdString())));
    const bool address = velmora::playback::IsStreamAddress(name.toStdString());
    m.insert("xesam:url", address ? name : QUrl::fromLocalFile(name).toString(QUrl::FullyEncoded));
    return m;
}

double CMpris::Volume() const {
    return mr::VolumeForStep(frame_->CurrentSettings().volumeStep);
}

void CMpris::SetVolume(double volume) {
    const std::optional<int> step = mr::StepForVolume(volume);
    if (!step || frame_->shutDown_) return;
    frame_->SetVolumeStep(*step);
    Refresh();
}

qlonglong CMpris::Position() const {
    return IsOpen() ? mr::Microseconds(frame_->Player()->GetCurrentPosition()) : 0;
}

bool CMpris::CanGoNext() const {
    return !frame_->shutDown_ && frame_->IsCommandEnabled(cmd::kNext);
}

bool CMpris::CanGoPrevious() const {
    return !frame_->shutDown_ && frame_->IsCommandEnabled(cmd::kPrevious);
}

bool CMpris::CanPlay() const {
    return IsOpen() && frame_->IsCommandEnabled(cmd::kPlayPause);
}

bool CMpris::CanPause() const {
    return CanPlay();
}

bool CMpris::CanSeek() const {
    return IsOpen() && frame_->Player()->GetDuration() > 0;
}

#include "Mpris.moc"
