#include "playback/SamiClock.h"

#include <algorithm>
#include <cmath>

namespace {
// A position report that lags behind a cue just raised by the timer by less than this is jitter,
// not a step back; real steps back arrive as seeks (forced).
constexpr int64_t kBackwardToleranceMs = 250;
}  // namespace

CSamiClock::CSamiClock(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CSamiClock::OnTimer);
    m_since.start();
}

void CSamiClock::SetCues(std::vector<sami::SamiCue> cues) {
    const bool blank = m_raisedAny && m_shown >= 0 && cues.empty();
    m_cues = std::move(cues);
    m_shown = -1;
    m_armed = -1;
    m_raisedAny = false;
    m_timer.stop();
    if (blank) emit CueDue(QString());
}

int64_t CSamiClock::EstimatedMs() const {
    double ms = m_basePosSec * 1000.0;
    if (m_playing) ms += std::min(double(m_since.elapsed()) * m_speed, double(kMaxAheadMs));
    return int64_t(std::floor(ms));
}

void CSamiClock::Sync(double positionSec, bool playing, double speed, bool force) {
    m_basePosSec = std::isfinite(positionSec) ? std::max(0.0, positionSec) : 0.0;
    m_playing = playing;
    m_speed = (std::isfinite(speed) && speed > 0) ? speed : 1.0;
    m_since.restart();
    if (m_cues.empty()) {
        m_timer.stop();
        return;
    }
    const int64_t now = EstimatedMs();
    int index = sami::CueIndexAt(m_cues, now);
    if (!force && m_raisedAny && index < m_shown && m_shown >= 0 &&
        m_cues[size_t(m_shown)].startMs - now < kBackwardToleranceMs)
        index = m_shown;
    if (force || !m_raisedAny || index != m_shown) Raise(index);
    Arm();
}

void CSamiClock::Raise(int index) {
    m_shown = index;
    m_raisedAny = true;
    emit CueDue(index >= 0 ? QString::fromStdString(m_cues[size_t(index)].markup) : QString());
}

void CSamiClock::Arm() {
    const size_t next = size_t(m_shown + 1);
    if (!m_playing || next >= m_cues.size()) {
        m_timer.stop();
        m_armed = -1;
        return;
    }
    // A cue beyond the reach of the estimate waits for the next position report.
    if (double(m_cues[next].startMs) > m_basePosSec * 1000.0 + double(kMaxAheadMs)) {
        m_timer.stop();
        m_armed = -1;
        return;
    }
    m_armed = int(next);
    const double due = double(m_cues[next].startMs - EstimatedMs()) / m_speed;
    m_timer.start(int(std::clamp(std::ceil(due), 0.0, 24.0 * 3600 * 1000)));
}

void CSamiClock::OnTimer() {
    if (m_cues.empty()) return;
    const int index = std::max(sami::CueIndexAt(m_cues, EstimatedMs()), m_armed);
    if (index != m_shown) Raise(index);
    Arm();
}
