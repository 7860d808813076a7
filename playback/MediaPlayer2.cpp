#include "playback/MediaPlayer2.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <QFile>
#include <cmath>
#include <utility>

#include "captions/SamiReader.h"
#include "playback/MediaWindow.h"
#include "playback/MpvHandle.h"
#include "playback/SamiClock.h"
#include "playback/VideoSurface.h"

namespace {

// Answers to GetAsync carry the load they belong to in the upper bits and what they are in the
// lower byte, so answers for a load that has been replaced are recognised and dropped.
enum ReplyKind : quint64 { kReplyVid = 1, kReplyWidth = 2, kReplyHeight = 3, kReplyDuration = 4 };
quint64 ReplyTag(int load, ReplyKind kind) {
    return (quint64(load) << 8) | kind;
}

// Answers to QueryProperties carry this bit and the query's number.
constexpr quint64 kQueryTag = quint64(1) << 61;

// How long an opening video file may take to report its picture size before it is reported open
// anyway (a decoder that never delivers a frame must not keep the medium in the opening state).
constexpr int kVideoSizeWaitMs = 3000;

// Seek commands carry this bit in their reply tag (loads carry their plain number).
constexpr quint64 kSeekTag = quint64(1) << 62;
// A seek whose playback restart has not come by then is given up: the position, the seek bar and
// the captions follow playback again.
constexpr int kSeekGiveUpMs = 5000;

}  // namespace

// The one table from mpv property names to the control's values and events.
struct CMediaPlayer2::ObservedProperty {
    const char* name;
    CMpvHandle::Format format;
    void (CMediaPlayer2::*apply)(const QVariant&);
};

const CMediaPlayer2::ObservedProperty CMediaPlayer2::kObserved[] = {
    {"time-pos", CMpvHandle::Format::Double, &CMediaPlayer2::OnTimePos},
    {"duration", CMpvHandle::Format::Double, &CMediaPlayer2::OnDuration},
    {"dwidth", CMpvHandle::Format::Int64, &CMediaPlayer2::OnDisplayWidth},
    {"dheight", CMpvHandle::Format::Int64, &CMediaPlayer2::OnDisplayHeight},
    {"pause", CMpvHandle::Format::Flag, &CMediaPlayer2::OnPause},
    {"eof-reached", CMpvHandle::Format::Flag, &CMediaPlayer2::OnEofReached},
    {"speed", CMpvHandle::Format::Double, &CMediaPlayer2::OnSpeed},
    {"mute", CMpvHandle::Format::Flag, &CMediaPlayer2::OnMute},
    {"core-idle", CMpvHandle::Format::Flag, &CMediaPlayer2::OnCoreIdle},
};

QString CMediaPlayer2::DefaultAudioOutput() {
    const QString ao = qEnvironmentVariable("VELMORA_AO");
    return ao.isEmpty() ? QStringLiteral("auto") : ao;
}

double CMediaPlayer2::MpvVolumeFor(long hundredthsDb) {
    // mpv's volume is cubic: gain = (v / 100)^3, so v = 100 * 10^(dB / 60) gives the decibels.
    // The bottom of the scale (-96 dB and below) is silence.
    if (hundredthsDb <= -9600) return 0.0;
    if (hundredthsDb >= 0) return 100.0;
    return 100.0 * std::pow(10.0, double(hundredthsDb) / 6000.0);
}

CMediaPlayer2::CMediaPlayer2(QWidget* mediaWindowParent, QObject* parent) : QObject(parent) {
    m_mpv = new CMpvHandle(CMpvHandle::Options{DefaultAudioOutput()}, this);
    m_clock = new CSamiClock(this);
    connect(m_clock, &CSamiClock::CueDue, this,
            [this](const QString& markup) { emit ScriptCommand(QStringLiteral("Text"), markup); });

    // The render context must exist before the first load: the media window creates it.
    m_window = new CMediaWindow(m_mpv, mediaWindowParent);
    connect(m_window, &CMediaWindow::MouseUp, this, &CMediaPlayer2::OnMouseUp);
    connect(m_window, &CMediaWindow::MouseMove, this, [this](short b, short s, long x, long y) {
        if (m_sendMouseMoves) emit MouseMove(b, s, x, y);
    });
    connect(m_window, &CMediaWindow::DblClick, this, [this](short b, short s, long x, long y) {
        if (m_sendMouseClicks) emit DblClick(b, s, x, y);
    });

    for (const ObservedProperty& p : kObserved) m_mpv->Observe(p.name, p.format);
    connect(m_mpv, &CMpvHandle::PropertyChanged, this, &CMediaPlayer2::OnPropertyChanged);
    connect(m_mpv, &CMpvHandle::PropertyReply, this, &CMediaPlayer2::OnPropertyReply);
    connect(m_mpv, &CMpvHandle::CommandReply, this, &CMediaPlayer2::OnCommandReply);
    connect(m_mpv, &CMpvHandle::StartFile, this, &CMediaPlayer2::OnStartFile);
    connect(m_mpv, &CMpvHandle::FileLoaded, this, &CMediaPlayer2::OnFileLoaded);
    connect(m_mpv, &CMpvHandle::EndFile, this, &CMediaPlayer2::OnEndFile);
    connect(m_mpv, &CMpvHandle::PlaybackRestart, this, &CMediaPlayer2::OnPlaybackRestart);

    m_videoWait.setSingleShot(true);
    connect(&m_videoWait, &QTimer::timeout, this, &CMediaPlayer2::FinishOpen);
    m_seekWatchdog.setSingleShot(true);
    connect(&m_seekWatchdog, &QTimer::timeout, this, &CMediaPlayer2::AbandonSeek);
    m_sizeReport.setSingleShot(true);
    m_sizeReport.setInterval(0);
    connect(&m_sizeReport, &QTimer::timeout, this, &CMediaPlayer2::ReportImageSize);
}

CMediaPlayer2::~CMediaPlayer2() {
    // A media window nobody adopted is ours to delete; an adopted one stops rendering once the
    // handle is gone.
    if (m_window && !m_window->parent()) delete m_window.data();
}

CMediaWindow* CMediaPlayer2::MediaWindow() const {
    return m_window;
}

void CMediaPlayer2::StopUnclaimedStartLoad() {
    m_mpv->StopUnclaimedLoad();
}

bool CMediaPlayer2::IsValid() const {
    return m_mpv->IsValid() && m_mpv->HasRenderContext();
}

// ---- properties and methods -------------------------------------------------------------------

void CMediaPlayer2::SetFileName(const QString& path) {
    if (path.isEmpty()) {
        m_fileName.clear();
        ++m_loadsIssued;  // whatever is still on its way is superseded
        m_mpv->Command({"stop"});
        m_fileLoaded = false;
        SetOpenState(kClosed);
        UpdatePlayState();
        return;
    }
    RequestLoad(path);
}

void CMediaPlayer2::Open(const QString& address) {
    if (!address.isEmpty()) RequestLoad(address);
}

void CMediaPlayer2::SetSAMIFileName(const QString& path) {
    m_samiFileName = path;
    // A caption file chosen for the medium that plays, or for the one that is opening, takes
    // effect at once, unless a load follows right away (which reads it then).
    QTimer::singleShot(0, this, [this] {
        if (m_openState != kOpen && m_openState != kOpening) return;
        if (m_openState == kOpening && m_samiFileName == m_captionsRead) return;
        LoadCaptions();
        SyncCaptions(true);
    });
}

void CMediaPlayer2::SetCurrentPosition(double seconds) {
    if (!std::isfinite(seconds)) return;
    seconds = std::max(0.0, seconds);
    if (m_openState == kOpening) {
        // Restoring a place while the medium loads: sent as soon as mpv has the file, silently.
        if (m_fileLoaded)
            SendSeek(seconds, false);
        else
            m_pendingSeek = seconds;
        m_position = seconds;
        return;
    }
    if (m_openState != kOpen) return;
    if (m_duration > 0) seconds = std::min(seconds, m_duration);
    SendSeek(seconds, true);
}

void CMediaPlayer2::SendSeek(double seconds, bool announce) {
    if (!m_seeking) m_seekFrom = m_position;
    m_seeking = true;
    m_announceSeek = announce;
    m_seekTo = seconds;
    m_position = seconds;
    m_mpv->Command({"seek", QString::number(seconds, 'f', 3), "absolute"},
                   kSeekTag | ++m_seeksIssued);
    m_seekWatchdog.start(kSeekGiveUpMs);
}

// The source refused the seek, or it never completed: playback goes on where it was.
void CMediaPlayer2::AbandonSeek() {
    m_seekWatchdog.stop();
    if (!m_seeking) return;
    m_seeking = false;
    m_position = m_seekFrom;
    SyncCaptions(true);
}

void CMediaPlayer2::SetVolume(long hundredthsDb) {
    m_volume = std::clamp(hundredthsDb, -10000L, 0L);
    m_mpv->SetProperty("volume", MpvVolumeFor(m_volume));
}

void CMediaPlayer2::SetMute(bool mute) {
    m_mute = mute;
    m_mpv->SetProperty("mute", mute);
}

void CMediaPlayer2::Play() {
    if (m_openState == kOpen && m_eof) {
        if (!m_autoRewind) return;
        SetCurrentPosition(0);
    }
    SetTransport(false, false);
}

void CMediaPlayer2::Pause() {
    SetTransport(true, false);
}

// Stop only pauses; the position stays where it is.
void CMediaPlayer2::Stop() {
    SetTransport(true, true);
}

void CMediaPlayer2::SetTransport(bool paused, bool stopped) {
    m_stopped = stopped;
    m_pause = paused;
    m_mpv->SetProperty("pause", paused);
    UpdatePlayState();
    SyncCaptions(false);
}

void CMediaPlayer2::ShowDialog(long) {}

void CMediaPlayer2::SetStartupProperty(int id, bool value) {
    switch (id) {
        case kAutoStart:
            m_autoStart = value;
            break;
        case kAutoRewind:
            m_autoRewind = value;
            break;
        case kClickToPlay:
            m_clickToPlay = value;
            break;
        case kSendMouseClickEvents:
            m_sendMouseClicks = value;
            break;
        case kSendMouseMoveEvents:
            m_sendMouseMoves = value;
            break;
        default:
            // Display parts (controls, status bar, position controls, tracker, display), the
            // context menu, the start animation and error dialogs: this control has none of them,
            // and errors always arrive as the Error event.
            break;
    }
}

void CMediaPlayer2::OnMouseUp(short button, short shift, long x, long y) {
    if (m_sendMouseClicks) emit MouseUp(button, shift, x, y);
    if (m_clickToPlay && button == 1 && m_openState == kOpen) {
        if (m_playState == kPlaying)
            Pause();
        else
            Play();
    }
}

// ---- loading ----------------------------------------------------------------------------------

// The caption file is read and parsed on a worker thread, so a large file or a slow disk never
// holds up the window; the cues come back to the GUI thread and count only if no other caption
// file was asked for in the meantime.
void CMediaPlayer2::LoadCaptions() {
    const quint64 generation = ++m_captionGeneration;
    m_captionsRead = m_samiFileName;
    m_clock->SetCues({});
    if (m_samiFileName.isEmpty()) return;
    using Cues = std::vector<sami::SamiCue>;
    auto* watcher = new QFutureWatcher<Cues>(this);
    connect(watcher, &QFutureWatcher<Cues>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_captionGeneration) return;
        m_clock->SetCues(watcher->result());
        SyncCaptions(true);
    });
    watcher->setFuture(
        QtConcurrent::run(sami::LoadSamiFile, QFile::encodeName(m_samiFileName).toStdString()));
}

void CMediaPlayer2::RequestLoad(const QString& path) {
    // The load goes out at once, so mpv opens the file while the caller goes on.
    m_fileName = path;
    m_pendingSeek = -1;
    LoadCaptions();

    SetOpenState(kClosed);
    m_fileLoaded = false;
    m_waitingForVideo = false;
    m_videoWait.stop();
    m_eof = false;
    m_endRaised = false;
    m_stopped = false;
    m_seeking = false;
    m_seekWatchdog.stop();
    m_sizeReport.stop();
    m_duration = 0;
    m_videoW = m_videoH = 0;
    m_position = 0;
    m_pause = !m_autoStart;  // pause carries over between files in mpv: set it for every load
    if (m_window) m_window->Surface()->Clear();
    UpdatePlayState();

    m_mpv->SetProperty("pause", m_pause);
    ++m_loadsIssued;
    m_entryId = -1;
    m_pendingEndReason = -1;
    m_mpv->Command({"loadfile", m_fileName, "replace"}, quint64(m_loadsIssued));
    SetOpenState(kOpening);
}

void CMediaPlayer2::OnCommandReply(quint64 tag, int error, qint64 entryId) {
    if (tag & kSeekTag) {
        // Only the latest seek counts; an error means no playback restart will come for it.
        if ((tag & ~kSeekTag) == m_seeksIssued && error < 0) AbandonSeek();
        return;
    }
    OnLoadReply(tag, error, entryId);
}

// mpv answers each loadfile with the playlist entry it made. Loads issued in quick succession may
// replace one another before they start, so only the entry of the latest load is followed.
void CMediaPlayer2::OnLoadReply(quint64 tag, int error, qint64 entryId) {
    if (tag != quint64(m_loadsIssued)) return;
    if (error < 0 || entryId < 0) {
        SetOpenState(kClosed);
        UpdatePlayState();
        emit Error();
        return;
    }
    m_entryId = entryId;
    const int pendingEnd = std::exchange(m_pendingEndReason, -1);
    if (pendingEnd >= 0 && m_pendingEndId == entryId) {
        OnEndFile(pendingEnd, 0, entryId);
    } else if (m_loadedId == entryId) {
        HandleFileLoaded();
    }
}

void CMediaPlayer2::OnStartFile(qint64 entryId) {
    m_startedId = entryId;
    if (m_entryId == kFollowNextEntry) m_entryId = entryId;
}

void CMediaPlayer2::OnFileLoaded() {
    m_loadedId = m_startedId;
    if (m_entryId >= 0 && m_loadedId == m_entryId) HandleFileLoaded();
}

void CMediaPlayer2::HandleFileLoaded() {
    if (m_openState != kOpening || m_fileLoaded) return;
    m_fileLoaded = true;
    // The pause state is put again now that the file is in: the one put with the load can be
    // undone by the previous file, which pauses itself at its end until the new one replaces it.
    m_mpv->SetProperty("pause", m_pause);
    if (m_pendingSeek >= 0) {
        SendSeek(m_pendingSeek, false);
        m_pendingSeek = -1;
    }
    m_mpv->GetAsync("duration", CMpvHandle::Format::Double,
                    ReplyTag(m_loadsIssued, kReplyDuration));
    m_mpv->GetAsync("vid", CMpvHandle::Format::String, ReplyTag(m_loadsIssued, kReplyVid));
}

void CMediaPlayer2::QueryProperties(const QStringList& names, QObject* context,
                                    std::function<void(const QVariantMap&)> done) {
    QStringList unique = names;
    unique.removeDuplicates();
    if (!done) return;
    if (unique.isEmpty() || !m_mpv->IsValid()) {
        // Nothing to ask mpv: the answer still comes later, as every answer does.
        QVariantMap values;
        for (const QString& name : unique) values.insert(name, QVariant());
        QTimer::singleShot(0, this, [ctx = QPointer<QObject>(context), done, values] {
            if (ctx) done(values);
        });
        return;
    }
    const quint64 id = ++m_queriesIssued;
    m_queries[id] = PropertyQuery{context, std::move(done), {}, int(unique.size())};
    for (const QString& name : unique)
        m_mpv->GetAsync(name.toUtf8().constData(), CMpvHandle::Format::Node, kQueryTag | id);
}

// mpv answers every request, also with an error; the query ends with its last answer.
void CMediaPlayer2::OnQueryReply(quint64 id, const QString& name, const QVariant& value) {
    const auto it = m_queries.find(id);
    if (it == m_queries.end()) return;
    PropertyQuery& query = it->second;
    query.values.insert(name, value);
    if (--query.waiting > 0) return;
    const PropertyQuery done = std::move(query);
    m_queries.erase(it);
    if (done.context) done.done(done.values);
}

void CMediaPlayer2::OnPropertyReply(quint64 tag, const QString& name, const QVariant& value) {
    if (tag & kQueryTag) {
        OnQueryReply(tag & ~kQueryTag, name, value);
        return;
    }
    if (int(tag >> 8) != m_loadsIssued || !m_fileLoaded) return;
    switch (tag & 0xFF) {
        case kReplyDuration:
            if (value.isValid()) m_duration = value.toDouble();
            break;
        case kReplyVid: {
            const QString vid = value.toString();
            if (!value.isValid() || vid.isEmpty() || vid == "no" || vid == "false") {
                FinishOpen();  // no picture: 0 x 0
                break;
            }
            m_waitingForVideo = true;
            m_mpv->GetAsync("dwidth", CMpvHandle::Format::Int64,
                            ReplyTag(m_loadsIssued, kReplyWidth));
            m_mpv->GetAsync("dheight", CMpvHandle::Format::Int64,
                            ReplyTag(m_loadsIssued, kReplyHeight));
            m_videoWait.start(kVideoSizeWaitMs);
            break;
        }
        case kReplyWidth:
            if (value.isValid()) OnDisplayWidth(value);
            break;
        case kReplyHeight:
            if (value.isValid()) OnDisplayHeight(value);
            break;
    }
}

void CMediaPlayer2::FinishOpen() {
    if (m_openState != kOpening || !m_fileLoaded) return;
    m_waitingForVideo = false;
    m_videoWait.stop();
    m_reportedW = m_videoW;
    m_reportedH = m_videoH;
    SetOpenState(kOpen);
    UpdatePlayState();
    SyncCaptions(true);
    if (m_eof && !m_endRaised) {
        m_endRaised = true;
        emit EndOfStream(0);
    }
}

void CMediaPlayer2::OnEndFile(int reason, int /*error*/, qint64 entryId) {
    if (m_entryId < 0 && entryId == m_startedId && m_openState == kOpening) {
        // It may be the latest load's end: that is decided when the load's entry id is known.
        m_pendingEndReason = reason;
        m_pendingEndId = entryId;
        return;
    }
    if (entryId != m_entryId) return;
    if (reason == 5 /* MPV_END_FILE_REASON_REDIRECT */) {
        // A playlist file mpv expanded in place: its first entry is what plays.
        m_entryId = kFollowNextEntry;
        return;
    }
    m_fileLoaded = false;
    m_waitingForVideo = false;
    m_videoWait.stop();
    if (reason == 4 /* MPV_END_FILE_REASON_ERROR */) {
        SetOpenState(kClosed);
        UpdatePlayState();
        emit Error();
        return;
    }
    if (reason == 0 /* MPV_END_FILE_REASON_EOF */ && !m_endRaised && m_openState == kOpen) {
        m_endRaised = true;
        m_eof = true;
        UpdatePlayState();
        const int loads = m_loadsIssued;
        emit EndOfStream(0);
        // The handler may have opened the next medium: that one is not closed here.
        if (m_loadsIssued != loads) return;
    }
    SetOpenState(kClosed);
    UpdatePlayState();
}

void CMediaPlayer2::OnPlaybackRestart() {
    // The restart that begins a file needs nothing here: FinishOpen raises the due caption.
    if (!m_seeking) return;
    m_seeking = false;
    m_seekWatchdog.stop();
    if (m_openState != kOpen) return;
    if (m_announceSeek) emit PositionChange(m_seekFrom, m_seekTo);
    SyncCaptions(true);
}

// ---- observed properties ----------------------------------------------------------------------

void CMediaPlayer2::OnPropertyChanged(const QString& name, const QVariant& value) {
    for (const ObservedProperty& p : kObserved) {
        if (name == QLatin1String(p.name)) {
            (this->*p.apply)(value);
            return;
        }
    }
}

void CMediaPlayer2::OnTimePos(const QVariant& v) {
    if (!v.isValid() || m_seeking || m_openState != kOpen) return;
    m_position = v.toDouble();
    SyncCaptions(false);
}

void CMediaPlayer2::OnDuration(const QVariant& v) {
    if (v.isValid()) m_duration = v.toDouble();
}

void CMediaPlayer2::OnDisplayWidth(const QVariant& v) {
    m_videoW = v.isValid() ? long(v.toLongLong()) : 0;
    if (m_waitingForVideo && m_videoW > 0 && m_videoH > 0) FinishOpen();
    if (m_openState == kOpen) m_sizeReport.start();
}

void CMediaPlayer2::OnDisplayHeight(const QVariant& v) {
    m_videoH = v.isValid() ? long(v.toLongLong()) : 0;
    if (m_waitingForVideo && m_videoW > 0 && m_videoH > 0) FinishOpen();
    if (m_openState == kOpen) m_sizeReport.start();
}

// A picture that goes away for a moment (0 x 0 while the video restarts) is not reported; its
// next real size is.
void CMediaPlayer2::ReportImageSize() {
    if (m_openState != kOpen || m_videoW <= 0 || m_videoH <= 0) return;
    if (m_videoW == m_reportedW && m_videoH == m_reportedH) return;
    m_reportedW = m_videoW;
    m_reportedH = m_videoH;
    emit ImageSizeChange(m_videoW, m_videoH);
}

void CMediaPlayer2::OnPause(const QVariant& v) {
    // Until the new file is in, reports belong to the one it replaces; the load's own pause state
    // is put again when it is in.
    if (m_openState == kOpening && !m_fileLoaded) return;
    m_pause = v.toBool();
    UpdatePlayState();
    SyncCaptions(false);
}

void CMediaPlayer2::OnEofReached(const QVariant& v) {
    const bool eof = v.toBool();
    if (eof == m_eof) return;
    m_eof = eof;
    if (!eof) {
        m_endRaised = false;  // moved away from the end: the next arrival is a new end
        UpdatePlayState();
        return;
    }
    UpdatePlayState();
    if (m_openState == kOpen && !m_endRaised) {
        m_endRaised = true;
        emit EndOfStream(0);
    }
}

void CMediaPlayer2::OnSpeed(const QVariant& v) {
    if (v.isValid() && v.toDouble() > 0) m_speed = v.toDouble();
    SyncCaptions(false);
}

void CMediaPlayer2::OnMute(const QVariant& v) {
    m_mute = v.toBool();
}

void CMediaPlayer2::OnCoreIdle(const QVariant& v) {
    m_coreIdle = v.toBool();
    SyncCaptions(false);
}

// ---- states -----------------------------------------------------------------------------------

void CMediaPlayer2::SetOpenState(long state) {
    if (state == m_openState) return;
    const long old = m_openState;
    m_openState = state;
    emit OpenStateChange(old, state);
}

void CMediaPlayer2::UpdatePlayState() {
    long state = kPlaying;
    if (m_openState != kOpen || m_stopped || m_eof)
        state = kStopped;
    else if (m_pause)
        state = kPaused;
    if (state == m_playState) return;
    const long old = m_playState;
    m_playState = state;
    emit PlayStateChange(old, state);
}

void CMediaPlayer2::SyncCaptions(bool force) {
    if (m_openState != kOpen || (m_seeking && !force)) return;
    m_clock->Sync(m_position, m_playState == kPlaying && !m_coreIdle, m_speed, force);
}
