#pragma once
// CMediaPlayer2: the media control as the rest of the player sees it. A GUI-thread facade over
// the mpv handle with the control's properties, methods and events:
//
// - Open state (OpenStateChange): 0 closed, 5 while a medium loads, 6 loaded. A new load passes
//   6 -> 0 -> 5 -> 6; a failed one 5 -> 0 together with Error().
// - Play state (PlayStateChange): 0 stopped (also while loading and at the end), 1 paused,
//   2 playing.
// - Putting FileName or calling Open loads the medium and starts it. Stop pauses and keeps the
//   position; Play after the end starts again from 0. EndOfStream comes once when the end is
//   reached. PositionChange(old, new) comes when a seek has completed; a seek the source refuses
//   (a pipe, a live stream) leaves the position where playback is.
// - ImageSizeChange(width, height) comes when the picture size of the open medium changes: a size
//   that arrives after the medium was reported open, or a stream that changes its size.
// - With a SAMI file set, each caption change arrives as ScriptCommand("Text", markup), also right
//   after a load and after every seek ("" when no cue is due yet).
// - Getters answer from values mpv reported; setters and methods never wait for mpv.
// - QueryProperties asks mpv for any properties at once and answers later, on the GUI thread.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <unordered_map>

class CMpvHandle;
class CMediaWindow;
class CSamiClock;

class CMediaPlayer2 : public QObject {
    Q_OBJECT
  public:
    enum OpenState : long { kClosed = 0, kOpening = 5, kOpen = 6 };
    enum PlayState : long { kStopped = 0, kPaused = 1, kPlaying = 2 };

    // The boolean start-up properties, by dispatch id.
    enum StartupProperty : int {
        kShowDisplay = 22,
        kShowControls = 23,
        kShowPositionControls = 24,
        kShowTracker = 26,
        kSendMouseClickEvents = 1014,
        kSendMouseMoveEvents = 1015,
        kAutoStart = 1017,
        kAutoRewind = 1018,
        kEnableContextMenu = 1021,
        kClickToPlay = 1025,
        kAnimationAtStart = 1045,
        kSendErrorEvents = 1064,
        kShowStatusBar = 1086,
    };

    // mediaWindowParent becomes the parent of the media window (may be set later by the frame).
    explicit CMediaPlayer2(QWidget* mediaWindowParent = nullptr, QObject* parent = nullptr);
    ~CMediaPlayer2() override;

    // The widget showing the picture; the frame places and sizes it.
    CMediaWindow* MediaWindow() const;
    bool IsValid() const;
    // A file the core began loading at start-up is played by the first SetFileName of that same
    // path; call this once the start-up open is done, so that one nobody asked for stops.
    void StopUnclaimedStartLoad();

    double GetCurrentPosition() const { return m_position; }
    void SetCurrentPosition(double seconds);
    double GetDuration() const { return m_duration; }
    long GetImageSourceWidth() const { return m_openState == kOpen ? m_videoW : 0; }
    long GetImageSourceHeight() const { return m_openState == kOpen ? m_videoH : 0; }
    QString GetFileName() const { return m_fileName; }
    void SetFileName(const QString& path);
    QString GetSAMIFileName() const { return m_samiFileName; }
    void SetSAMIFileName(const QString& path);
    long GetVolume() const { return m_volume; }
    void SetVolume(long hundredthsDb);
    bool GetMute() const { return m_mute; }
    void SetMute(bool mute);
    long GetOpenState() const { return m_openState; }
    long GetPlayState() const { return m_playState; }

    void Play();
    void Pause();
    void Stop();
    void Open(const QString& address);
    // Statistics and properties dialogs are not part of the control here; does nothing.
    void ShowDialog(long which);

    // Accepts one of the boolean start-up properties; unknown ids are ignored.
    void SetStartupProperty(int id, bool value);

    // mpv's audio output ("auto", "null", ...); default from VELMORA_AO, else "auto".
    static QString DefaultAudioOutput();
    // mpv volume (0..100, cubic) for a volume in 1/100 dB; -9600 and below are silent.
    static double MpvVolumeFor(long hundredthsDb);

    // Asks mpv for the current values of names without waiting. done(values) runs later on the GUI
    // thread with one entry per name: the value in the type mpv holds it in, or an invalid QVariant
    // for a property mpv does not know or cannot give now. When context has been destroyed by then
    // (or is null), the answer is dropped and done is never called.
    void QueryProperties(const QStringList& names, QObject* context,
                         std::function<void(const QVariantMap&)> done);

    // For statistics and tests: the mpv handle.
    CMpvHandle* Handle() const { return m_mpv; }

  signals:
    void MouseUp(short button, short shift, long x, long y);
    void MouseMove(short button, short shift, long x, long y);
    void DblClick(short button, short shift, long x, long y);
    void PlayStateChange(long oldState, long newState);
    void PositionChange(double oldPosition, double newPosition);
    void OpenStateChange(long oldState, long newState);
    void ScriptCommand(const QString& type, const QString& param);
    void Error();
    void EndOfStream(long result);
    void ImageSizeChange(long width, long height);

  private:
    struct ObservedProperty;
    struct PropertyQuery {
        QPointer<QObject> context;
        std::function<void(const QVariantMap&)> done;
        QVariantMap values;
        int waiting = 0;  // answers still to come
    };
    static const ObservedProperty kObserved[];

    void OnPropertyChanged(const QString& name, const QVariant& value);
    void OnPropertyReply(quint64 tag, const QString& name, const QVariant& value);
    void OnQueryReply(quint64 id, const QString& name, const QVariant& value);
    void OnCommandReply(quint64 tag, int error, qint64 entryId);
    void OnLoadReply(quint64 tag, int error, qint64 entryId);
    void OnStartFile(qint64 entryId);
    void HandleFileLoaded();
    void OnFileLoaded();
    void OnEndFile(int reason, int error, qint64 entryId);
    void OnPlaybackRestart();

    void OnTimePos(const QVariant& v);
    void OnDuration(const QVariant& v);
    void OnDisplayWidth(const QVariant& v);
    void OnDisplayHeight(const QVariant& v);
    void OnPause(const QVariant& v);
    void OnEofReached(const QVariant& v);
    void OnSpeed(const QVariant& v);
    void OnMute(const QVariant& v);
    void OnCoreIdle(const QVariant& v);

    void SetTransport(bool paused, bool stopped);
    void RequestLoad(const QString& path);
    void SendSeek(double seconds, bool announce);
    void AbandonSeek();
    void ReportImageSize();
    void FinishOpen();
    void SetOpenState(long state);
    void UpdatePlayState();
    void SyncCaptions(bool force);
    void LoadCaptions();
    void OnMouseUp(short button, short shift, long x, long y);

    CMpvHandle* m_mpv = nullptr;
    QPointer<CMediaWindow> m_window;
    CSamiClock* m_clock = nullptr;

    QString m_fileName;
    QString m_samiFileName;
    quint64 m_captionGeneration = 0;  // counts caption file loads; only the latest one counts
    QString m_captionsRead;           // the caption file the latest of them read
    double m_pendingSeek = -1;        // position put before the medium was loaded
    int m_loadsIssued = 0;
    // mpv names each loaded file by a playlist entry id; only events of the latest load count.
    static constexpr qint64 kFollowNextEntry = -2;  // adopt the next entry mpv starts
    qint64 m_entryId = -1;        // entry of the latest load, once mpv has told it
    qint64 m_startedId = -1;      // entry of the last file mpv started
    qint64 m_loadedId = -1;       // entry of the last file mpv finished loading
    int m_pendingEndReason = -1;  // an end seen before the latest load's entry id was known
    qint64 m_pendingEndId = -1;
    bool m_fileLoaded = false;
    std::unordered_map<quint64, PropertyQuery> m_queries;  // by query number
    quint64 m_queriesIssued = 0;
    bool m_waitingForVideo = false;
    QTimer m_videoWait;

    long m_openState = kClosed;
    long m_playState = kStopped;
    double m_position = 0;
    double m_duration = 0;
    long m_videoW = 0;
    long m_videoH = 0;
    bool m_pause = false;
    bool m_eof = false;
    bool m_endRaised = false;
    bool m_stopped = false;
    double m_speed = 1;
    bool m_seeking = false;
    quint64 m_seeksIssued = 0;
    QTimer m_seekWatchdog;    // a seek that never completes stops counting as one
    bool m_coreIdle = false;  // mpv waits (buffering, seeking, paused): the position stands
    long m_reportedW = 0;     // picture size last reported (open or ImageSizeChange)
    long m_reportedH = 0;
    QTimer m_sizeReport;          // width and height arrive one by one: report them together
    bool m_announceSeek = false;  // PositionChange when this seek completes
    double m_seekFrom = 0;
    double m_seekTo = 0;
    long m_volume = 0;
    bool m_mute = false;

    bool m_autoStart = true;
    bool m_autoRewind = true;
    bool m_clickToPlay = false;
    bool m_sendMouseClicks = true;
    bool m_sendMouseMoves = true;
};
