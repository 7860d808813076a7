#include "controls/ControlDlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <cmath>

#include "controls/ControlBarRules.h"
#include "controls/MyFlatButton.h"
#include "controls/SeekSlider.h"

using namespace controlbar;

namespace {

// Captions of the buttons: kept as the buttons' text (accessible names), never drawn.
const char* Caption(int id) {
    switch (id) {
        case kIdPlay:
            return "Play";
        case kIdPause:
            return "Pause";
        case kIdStop:
            return "Stop";
        case kIdPrev:
            return "Prev";
        case kIdNext:
            return "Next";
        case kIdMute:
            return "Mute";
        case kIdOpen:
            return "Open";
        case kIdMarginDown:
            return "+";
        case kIdMarginUp:
            return "-";
        case kIdCropOut:
            return "]";
        case kIdCropIn:
            return "[";
        default:
            return "";
    }
}

// Dialog units to pixels at base units 6 x 13.
int DuX(int du) {
    return du * 6 / 4;
}
int DuY(int du) {
    return du * 13 / 8;
}

}  // namespace

CControlDlg::CControlDlg(QWidget* parent) : QWidget(parent) {
    // The panel's background is the 3-D face colour; the buttons draw over it.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    m_client = new QWidget(this);
    m_client->setGeometry(kEdge, kEdge, 0, 0);

    m_seek = new CSeekSlider(m_client);
    m_seek->setObjectName(QStringLiteral("seekSlider"));
    m_seek->setGeometry(DuX(45), DuY(7), DuX(144), DuY(19));
    m_time = new QLabel(m_client);
    m_time->setObjectName(QStringLiteral("timeText"));
    m_time->setAlignment(Qt::AlignCenter);
    m_time->setGeometry(DuX(121), DuY(7), DuX(68), DuY(17));
    m_volume = new CSeekSlider(m_client);
    m_volume->setObjectName(QStringLiteral("volumeSlider"));
    m_volume->setGeometry(DuX(125), DuY(50), DuX(42), DuY(16));

    for (const ButtonDef& def : ButtonTable()) {
        auto* button = new CMyFlatButton(m_client);
        button->setText(QString::fromLatin1(Caption(def.id)));
        button->setObjectName(QStringLiteral("button%1").arg(def.id));
        switch (def.id) {
            case kIdPlay:
                m_play = button;
                break;
            case kIdPause:
                m_pause = button;
                break;
            case kIdStop:
                m_stop = button;
                break;
            case kIdPrev:
                m_prev = button;
                break;
            case kIdNext:
                m_next = button;
                break;
            case kIdMute:
                m_mute = button;
                break;
            case kIdOpen:
                m_open = button;
                break;
            case kIdMarginUp:
                m_marginUp = button;
                break;
            case kIdMarginDown:
                m_marginDown = button;
                break;
            case kIdCropOut:
                m_cropOut = button;
                break;
            case kIdCropIn:
                m_cropIn = button;
                break;
        }
        button->SetBitmaps(def.normalBitmap, def.latchedBitmap, def.pushedBitmap,
                           def.disabledBitmap);
        if (def.placed)
            button->setGeometry(def.x, kButtonTop, def.w, def.h);
        else
            button->setGeometry(DuX(169), DuY(26), def.w, def.h);  // the layout moves it
        const int id = def.id;
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnButton(id); });
    }
    m_prev->setEnabled(false);
    m_next->setEnabled(false);
    m_open->setEnabled(true);

    m_seek->setRange(0, kSeekRangeMax);
    m_seek->SetFillColor(Qt::white);
    m_seek->ResetTrack();
    connect(m_seek, &CSeekSlider::captureReleased, this, &CControlDlg::OnSeekReleased);

    m_volume->SetWedgeStyle(true);
    m_volume->setRange(0, kVolumeRangeMax);
    m_volume->SetFillColor(Qt::white);
    m_volume->ResetTrack();
    m_volume->SetInteractive(true);
    connect(m_volume, &CSeekSlider::captureReleased, this, &CControlDlg::OnVolumeReleased);

    installEventFilter(this);
    m_client->installEventFilter(this);
    for (QWidget* child : m_client->findChildren<QWidget*>()) child->installEventFilter(this);

    m_initialised = true;
    m_client->setGeometry(kEdge, kEdge, std::max(0, width() - 2 * kEdge),
                          std::max(0, height() - 2 * kEdge));
    m_width = m_client->width();
    m_height = m_client->height();
    Relayout();
}

CControlDlg::~CControlDlg() {
    emit quitRequested();
}

CMyFlatButton* CControlDlg::Button(int id) const {
    switch (id) {
        case kIdPlay:
            return m_play;
        case kIdPause:
            return m_pause;
        case kIdStop:
            return m_stop;
        case kIdPrev:
            return m_prev;
        case kIdNext:
            return m_next;
        case kIdMute:
            return m_mute;
        case kIdOpen:
            return m_open;
        case kIdMarginUp:
            return m_marginUp;
        case kIdMarginDown:
            return m_marginDown;
        case kIdCropOut:
            return m_cropOut;
        case kIdCropIn:
            return m_cropIn;
        default:
            return nullptr;
    }
}

int CControlDlg::PlayState() const {
    return m_playStateReader ? m_playStateReader() : m_lastPlayState;
}

void CControlDlg::EnableSeek(bool enable) {
    m_seek->SetInteractive(enable);
    m_seek->UpdateColors();
}

void CControlDlg::SetSeekPosition(int position) {
    m_seek->SetPosition(position);
}

void CControlDlg::EnableTransport(bool enable) {
    m_play->setEnabled(enable);
    m_pause->setEnabled(enable);
    m_stop->setEnabled(enable);
}

void CControlDlg::EnablePrevNext(bool enable) {
    m_next->setEnabled(enable);
    m_prev->setEnabled(enable);
}

void CControlDlg::SetMuteLatched(bool latched) {
    m_mute->SetLatched(latched);
}

void CControlDlg::ShowVolumeStep(int step) {
    m_volume->SetPosition(SliderPositionForVolumeStep(step));
}

void CControlDlg::UpdatePlayState(int state) {
    m_lastPlayState = state;
    const TransportChange change = TransportForPlayState(state);
    if (change.disable) {
        m_play->setEnabled(false);
        m_pause->setEnabled(false);
        m_stop->setEnabled(false);
    }
    const auto apply = [](CMyFlatButton* button, Latch latch) {
        if (latch != Latch::Unchanged) button->SetLatched(latch == Latch::Latched);
    };
    apply(m_play, change.play);
    apply(m_pause, change.pause);
    apply(m_stop, change.stop);
}

void CControlDlg::SetTimeText(const QString& text) {
    m_timeText = text;
    m_time->setText(text);
}

void CControlDlg::Post(int command) {
    // Posted commands arrive after the click has been handled, as the frame's menu commands do.
    QMetaObject::invokeMethod(
        this, [this, command] { emit commandPosted(command); }, Qt::QueuedConnection);
}

void CControlDlg::OnButton(int id) {
    const int state = PlayState();
    switch (id) {
        case kIdPlay:
            if (PlayClickToggles(state)) emit commandPosted(kCmdPlayPause);
            break;
        case kIdPause:
            if (PauseClickToggles(state)) emit commandPosted(kCmdPlayPause);
            break;
        case kIdStop:
            if (StopClickStops(state)) emit commandPosted(kCmdStop);
            break;
        case kIdPrev:
            emit commandPosted(kCmdPrev);
            break;
        case kIdNext:
            emit commandPosted(kCmdNext);
            break;
        case kIdMute:
            emit commandPosted(kCmdMute);
            break;
        case kIdOpen:
            emit focusToFrame();
            Post(kCmdOpen);
            break;
        case kIdMarginDown:
            Post(kCmdMarginMore);
            break;
        case kIdMarginUp:
            Post(kCmdMarginLess);
            break;
        case kIdCropIn:
            Post(kCmdCropMore);
            break;
        case kIdCropOut:
            Post(kCmdCropLess);
            break;
    }
}

void CControlDlg::OnSeekReleased() {
    const double duration = m_durationReader ? m_durationReader() : 0.0;
    // Without a known length (a live stream, nothing loaded) a position on the slider means no
    // time in the medium: seeking to 0 or to a non-number would be wrong, so nothing is asked.
    if (!std::isfinite(duration) || duration <= 0.0) return;
    emit seekRequested(SeekSecondsForPosition(duration, m_seek->value()));
}

void CControlDlg::OnVolumeReleased() {
    emit volumeStepChosen(VolumeStepForSliderPosition(m_volume->value()));
}

void CControlDlg::Relayout() {
    const PanelLayout l = LayoutAtWidth(m_width, m_time->width(), m_volume->width(),
                                        m_volume->height(), m_mute->width(), m_mute->height());
    m_seek->setGeometry(l.seek.x, l.seek.y, l.seek.w, l.seek.h);
    m_time->setGeometry(l.time.x, l.time.y, l.time.w, l.time.h);
    m_volume->move(l.volume.x, l.volume.y);
    m_mute->move(l.mute.x, l.mute.y);
    m_volume->update();
    m_mute->update();
}

void CControlDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_client->setGeometry(kEdge, kEdge, std::max(0, width() - 2 * kEdge),
                          std::max(0, height() - 2 * kEdge));
    if (!m_initialised) return;
    m_width = m_client->width();
    m_height = m_client->height();
    Relayout();
}

void CControlDlg::paintEvent(QPaintEvent*) {
    // The one-pixel sunken edge: shadow at top and left, highlight at bottom and right.
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Active, QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Active, QPalette::Light);
    painter.fillRect(0, 0, width(), 1, shadow);
    painter.fillRect(0, 0, 1, height(), shadow);
    painter.fillRect(0, height() - 1, width(), 1, highlight);
    painter.fillRect(width() - 1, 0, 1, height(), highlight);
}

void CControlDlg::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    emit focusToFrame();
}

bool CControlDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QWidget::eventFilter(watched, event);
    // A key ignored by a child climbs to the client area and the panel; it reaches the frame
    // only once, from the widget it was aimed at.
    const bool container = watched == this || watched == m_client;
    if (container && watched != QApplication::focusWidget())
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    emit keyForFrame(key, &handled);
    if (handled) return true;
    // No keyboard navigation between the panel's widgets.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return true;
    return QWidget::eventFilter(watched, event);
}
