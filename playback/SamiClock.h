#pragma once
// Raises the caption cue that is due at the playback position. Positions come from the player
// (each time-pos update, seek completion, pause, play and speed change); between them a precise
// single-shot timer is armed for the next cue's start, so each cue is raised within a few
// milliseconds of its start instead of at the next position update. The position is carried
// forward by the wall clock for at most kMaxAheadMs past the last report: a source that stops
// delivering (network buffering, a stalled pipe) stops its position reports, and its captions
// then wait for the picture instead of running ahead of it.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <vector>

#include "captions/SamiReader.h"

class CSamiClock : public QObject {
    Q_OBJECT
  public:
    static constexpr int64_t kMaxAheadMs = 1000;

    explicit CSamiClock(QObject* parent = nullptr);

    // Going from some cues to none raises the blank caption, so the last one does not stay.
    void SetCues(std::vector<sami::SamiCue> cues);
    bool HasCues() const { return !m_cues.empty(); }

    // positionSec: the playback position now; playing: whether it advances; speed: its rate.
    // force raises the due cue even when it was the last one raised (after a load or a seek).
    void Sync(double positionSec, bool playing, double speed, bool force);

  signals:
    // Markup of the cue now due ("" before the first cue).
    void CueDue(const QString& markup);

  private:
    int64_t EstimatedMs() const;
    void Raise(int index);
    void Arm();
    void OnTimer();

    std::vector<sami::SamiCue> m_cues;
    int m_shown = -1;
    int m_armed = -1;
    bool m_raisedAny = false;
    double m_basePosSec = 0;
    bool m_playing = false;
    double m_speed = 1;
    QElapsedTimer m_since;
    QTimer m_timer;
};
