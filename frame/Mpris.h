#pragma once
// The player on the desktop's session bus as a media player (MPRIS 2): the name
// "org.mpris.MediaPlayer2.velmora" with the object /org/mpris/MediaPlayer2, which the desktop's
// media keys and controls (and playerctl) drive and read.
//
// Every action goes where the same action from the window goes: a command of the frame's command
// table where there is one (so a command its rule disables does nothing over the bus either), the
// seek slider's and the hand-over's paths where there is none. Property changes are announced
// with PropertiesChanged, once per turn of the event loop, and a completed seek with Seeked.
//
// The bus is reached from a worker thread, so a slow or missing bus never holds up the window;
// without one nothing is published and nothing else happens. Owned by the frame, which deletes it
// when it shuts down: the name goes with the window.

#include <QDBusObjectPath>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

class CMainFrame;

class CMpris : public QObject {
    Q_OBJECT
  public:
    static constexpr char kServiceName[] = "org.mpris.MediaPlayer2.velmora";
    static constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";

    explicit CMpris(CMainFrame* frame);
    ~CMpris() override;

    // Connects to the session bus without waiting for it, then publishes the object and asks for
    // the name.
    void Start();
    // Something the interfaces show may have changed: compared and announced soon.
    void Refresh();

    // org.mpris.MediaPlayer2.
    void Raise();
    void Quit();
    // org.mpris.MediaPlayer2.Player.
    void PlayPause();
    void Play();
    void Pause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong offsetUs);
    void SetPosition(const QDBusObjectPath& trackId, qlonglong positionUs);
    void OpenUri(const QString& uri);
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    double Volume() const;
    void SetVolume(double volume);
    qlonglong Position() const;
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanPlay() const;
    bool CanPause() const;
    bool CanSeek() const;

  signals:
    // A seek completed at this position.
    void seeked(qlonglong positionUs);

  private:
    void Publish();
    void Announce();
    QDBusObjectPath TrackId() const;
    bool IsOpen() const;

    CMainFrame* frame_;
    QTimer announce_;  // coalesces the changes of one turn of the event loop
    QVariantMap announced_;
    bool published_ = false;
    quint64 track_ = 0;  // counts the media opened: each is a new track
};
