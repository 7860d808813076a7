#pragma once
// The control bar: the strip under the picture with the seek slider, the time display and the row
// of transport and adjustment buttons. The frame creates it once, places it over its bottom band
// (58 pixels high), and tells it what to show through the operations below. The panel holds no
// playback state and does not know the frame's class: everything it asks of the frame is a
// signal, everything it reads from the frame is a reader function.
//
// Wiring for the frame (all on the GUI thread):
//
//   commandPosted(int id)      A frame command, to run through the frame's command dispatcher.
//                              Emitted synchronously from the click for the commands the panel
//                              calls directly: 32791 play/pause (Play while not playing, Pause
//                              while playing), 32792 stop (Stop while not stopped), 32819 next,
//                              32820 previous, 32795 mute (the frame negates Mute and calls
//                              SetMuteLatched with the value read back). Emitted from the event
//                              loop, after the click handler has returned, for the posted ones:
//                              57601 open (after focusToFrame), 32824 and 32825 (caption lines
//                              below the picture: one more, one less), 32828 and 32829 (crop
//                              more, crop less).
//   seekRequested(double s)    The seek slider was released: put the medium's position to s
//                              seconds (duration read through SetDurationReader x position x
//                              0.0001). Not emitted while the duration is unknown (0, negative
//                              or not a number), as for a live stream.
//   volumeStepChosen(int step) The volume slider was released: call set-volume-step with step
//                              (0 loudest .. 10 silent); it is expected to call ShowVolumeStep.
//   keyForFrame(QKeyEvent*, bool* handled)
//                              A key press or release aimed at the panel or one of its widgets,
//                              before they see it. Connect with a direct connection; set *handled
//                              to true when the frame acted on the key (Space toggling play, say):
//                              the widget then never sees it, so Space does not click a focused
//                              button. Unhandled keys go on to the widget, except Tab and
//                              Shift+Tab, which never move the focus inside the panel. Keys that
//                              the frame binds as window-wide QAction shortcuts are taken by Qt
//                              before any widget, so they reach the frame without this signal.
//   focusToFrame()             Give the keyboard focus back to the frame (the panel itself got
//                              the focus, or Open was clicked).
//   quitRequested()            Emitted when the panel is destroyed; the frame connects it to the
//                              application's quit (queued), which ends the event loop.
//
// Readers: SetPlayStateReader (the frame's recorded play state; without one the last state given
// to UpdatePlayState is used) and SetDurationReader (the medium's duration in seconds; 0 without).

#include <QString>
#include <QWidget>
#include <functional>

class CMyFlatButton;
class CSeekSlider;
class QLabel;
class QKeyEvent;

class CControlDlg : public QWidget {
    Q_OBJECT
  public:
    // Height of the panel's window as the frame places it; its client area is one pixel in from
    // each edge (the panel has a one-pixel sunken edge).
    static constexpr int kHeight = 58;
    static constexpr int kEdge = 1;

    explicit CControlDlg(QWidget* parent = nullptr);
    ~CControlDlg() override;

    void SetPlayStateReader(std::function<int()> reader) { m_playStateReader = std::move(reader); }
    void SetDurationReader(std::function<double()> reader) { m_durationReader = std::move(reader); }

    // Operations the frame calls.
    void EnableSeek(bool enable);
    void SetSeekPosition(int position);  // 0..10000, ignored while the user holds the slider
    void EnableTransport(bool enable);   // Play, Pause, Stop
    void EnablePrevNext(bool enable);    // Prev, Next
    void SetMuteLatched(bool latched);
    void ShowVolumeStep(int step);  // 0 loudest .. 10 silent; the slider shows 10 - step
    void UpdatePlayState(int state);
    void SetTimeText(const QString& text);

    // Children, by control id (31025 Play, ... see controls/ControlBarRules.h); null for others.
    CMyFlatButton* Button(int id) const;
    CSeekSlider* SeekSlider() const { return m_seek; }
    CSeekSlider* VolumeSlider() const { return m_volume; }
    QLabel* TimeDisplay() const { return m_time; }
    QWidget* Client() const { return m_client; }
    QString TimeText() const { return m_timeText; }
    int ClientWidth() const { return m_width; }

  signals:
    void commandPosted(int id);
    void seekRequested(double seconds);
    void volumeStepChosen(int step);
    void keyForFrame(QKeyEvent* event, bool* handled);
    void focusToFrame();
    void quitRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void OnButton(int id);
    void OnSeekReleased();
    void OnVolumeReleased();
    void Post(int command);
    void Relayout();
    int PlayState() const;

    int m_width = 0;
    int m_height = 0;
    bool m_initialised = false;
    QWidget* m_client = nullptr;
    CMyFlatButton* m_cropIn = nullptr;
    CMyFlatButton* m_cropOut = nullptr;
    CMyFlatButton* m_marginDown = nullptr;
    CMyFlatButton* m_marginUp = nullptr;
    CMyFlatButton* m_open = nullptr;
    CSeekSlider* m_volume = nullptr;
    CMyFlatButton* m_stop = nullptr;
    CMyFlatButton* m_prev = nullptr;
    CMyFlatButton* m_play = nullptr;
    CMyFlatButton* m_pause = nullptr;
    CMyFlatButton* m_next = nullptr;
    CMyFlatButton* m_mute = nullptr;
    CSeekSlider* m_seek = nullptr;
    QLabel* m_time = nullptr;
    QString m_timeText;
    int m_lastPlayState = 8;
    std::function<int()> m_playStateReader;
    std::function<double()> m_durationReader;
};
