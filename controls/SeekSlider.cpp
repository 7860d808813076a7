#include "controls/SeekSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>
#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

// Room left and right of a wedge's channel: the wedge reaches 6 pixels left of the channel, and
// the volume slider's last 3 pixels lie beyond the panel's edge.
constexpr int kWedgeInset = 6;

controlbar::Rgb ToRgb(const QColor& c) {
    return {c.red(), c.green(), c.blue()};
}
QColor ToColor(controlbar::Rgb c) {
    return QColor(std::clamp(c.r, 0, 255), std::clamp(c.g, 0, 255), std::clamp(c.b, 0, 255));
}

// A line from a towards b whose end point is not painted, so that joined segments meet exactly.
void OpenLine(QPainter& painter, QPoint a, QPoint b) {
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        painter.drawPoint(a.x() + qRound(dx * t), a.y() + qRound(dy * t));
    }
}

void Polyline(QPainter& painter, std::initializer_list<QPoint> points) {
    const QPoint* prev = nullptr;
    for (const QPoint& p : points) {
        if (prev) OpenLine(painter, *prev, p);
        prev = &p;
    }
}

// A rectangle with its four corner pixels cut (2 x 2 corner ellipses) on the region
// [left, right) x [top, bottom): outline in one colour, inside filled.
void RoundRect(QPainter& painter, const QRect& r, const QColor& outline, const QColor& fill) {
    const int l = r.left(), t = r.top(), rt = r.left() + r.width(), b = r.top() + r.height();
    if (rt - l < 2 || b - t < 2) return;
    painter.fillRect(QRect(QPoint(l + 1, t + 1), QPoint(rt - 2, b - 2)), fill);
    painter.setPen(outline);
    OpenLine(painter, {l + 1, t}, {rt - 1, t});
    OpenLine(painter, {l + 1, b - 1}, {rt - 1, b - 1});
    OpenLine(painter, {l, t + 1}, {l, b - 1});
    OpenLine(painter, {rt - 1, t + 1}, {rt - 1, b - 1});
}

}  // namespace

CSeekSlider::CSeekSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    m_fill = palette().color(QPalette::Active, QPalette::Base);
    ComputeColours();
    setTickPosition(QSlider::NoTicks);
}

void CSeekSlider::ComputeColours() {
    const QPalette& pal = palette();
    m_colours = controlbar::ChannelColoursFor(ToRgb(pal.color(QPalette::Active, QPalette::Button)),
                                              ToRgb(pal.color(QPalette::Active, QPalette::Dark)),
                                              ToRgb(pal.color(QPalette::Active, QPalette::Shadow)),
                                              ToRgb(pal.color(QPalette::Active, QPalette::Light)));
}

void CSeekSlider::SetWedgeStyle(bool wedge) {
    m_wedge = wedge;
    UpdateGeometry();
    update();
}

void CSeekSlider::initStyleOption(QStyleOptionSlider* option) const {
    QSlider::initStyleOption(option);
    if (m_wedge) option->rect.adjust(kWedgeInset, 0, -kWedgeInset, 0);
}

void CSeekSlider::SetFillColor(const QColor& colour) {
    m_fill = colour;
    ComputeColours();
}

void CSeekSlider::UpdateColors() {
    ComputeColours();
    repaint();
}

void CSeekSlider::SetPosition(int position) {
    if (m_tracking && m_pressing) return;  // the user holds the thumb
    setValue(position);
}

void CSeekSlider::ResetTrack() {
    setTickPosition(QSlider::NoTicks);
    setSingleStep(0);
    setPageStep(0);
    m_tracking = false;
    UpdateGeometry();
}

QRect CSeekSlider::ChannelRect() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
}

QRect CSeekSlider::ThumbRect() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

void CSeekSlider::UpdateGeometry() {
    const QRect channel = ChannelRect();
    const QRect thumb = ThumbRect();
    m_span = controlbar::ThumbCentreSpan(channel.left(), channel.left() + channel.width(),
                                         thumb.left(), thumb.left() + thumb.width());
    m_rangeMax = maximum();
}

void CSeekSlider::mousePressEvent(QMouseEvent* event) {
    if (!m_interactive || event->button() != Qt::LeftButton) {
        event->accept();  // no default handling: nothing moves, nothing is reported
        return;
    }
    m_pressing = true;
    const QPoint pos = event->position().toPoint();
    if (!ThumbRect().contains(pos)) {
        UpdateGeometry();
        setValue(controlbar::ClickToValue(pos.x(), m_span, minimum(), m_rangeMax));
    }
    m_tracking = true;
    // With the thumb now under the pointer, the default handling starts an ordinary drag.
    QSlider::mousePressEvent(event);
}

void CSeekSlider::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    // The press ends even when the owner switched the slider off during the drag (the medium
    // changed): a slider left held would ignore every position it is given from then on.
    const bool hadPress = std::exchange(m_pressing, false);
    m_tracking = false;
    QSlider::mouseReleaseEvent(event);
    event->accept();
    if (hadPress && m_interactive) emit captureReleased();
}

void CSeekSlider::resizeEvent(QResizeEvent* event) {
    QSlider::resizeEvent(event);
    UpdateGeometry();
}

void CSeekSlider::wheelEvent(QWheelEvent* event) {
    event->accept();
}

void CSeekSlider::keyPressEvent(QKeyEvent* event) {
    // Keys never move the thumb (the owner only acts on mouse releases, so a key-moved thumb
    // would show a position nobody asked for); they go on to the parent.
    event->ignore();
}

void CSeekSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect channel =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    // A disabled slider fills its groove with the button face colour for this paint.
    const QColor fill = isEnabled() ? m_fill : palette().color(QPalette::Active, QPalette::Button);
    painter.save();
    if (m_wedge)
        DrawWedge(painter, channel, fill);
    else
        DrawChannel(painter, channel, fill);
    painter.restore();

    opt.subControls = QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);
}

// The channel region is handled with exclusive right and bottom edges throughout.
void CSeekSlider::DrawChannel(QPainter& painter, QRect r, const QColor& fill) const {
    int left = r.left(), top = r.top(), right = r.left() + r.width(), bottom = r.top() + r.height();
    if (minimum() != 0 || maximum() != 0) ++top, --bottom;
    ++left, --right, ++bottom;  // horizontal
    if (bottom - top > 3)
        RoundRect(painter, QRect(left, top, right - left, bottom - top), ToColor(m_colours.outline),
                  fill);
    --left, --top, ++right;
    painter.setPen(ToColor(m_colours.upperLeft));
    Polyline(painter, {{left, bottom - 2}, {left, top + 2}, {left + 2, top}, {right - 2, top}});
    painter.setPen(ToColor(m_colours.lowerRight));
    Polyline(painter, {{left + 1, bottom - 1},
                       {left + 2, bottom},
                       {right - 2, bottom},
                       {right - 2, bottom - 1},
                       {right - 1, bottom - 1},
                       {right - 1, top + 2},
                       {right - 3, top}});
    if (maximum() > 1000)
        painter.fillRect(QRect(left + 2, top + 1, right - 2 - (left + 2), bottom - (top + 1)),
                         QColor(230, 230, 230));
}

void CSeekSlider::DrawWedge(QPainter& painter, QRect r, const QColor& fill) const {
    int left = r.left(), top = r.top(), right = r.left() + r.width(), bottom = r.top() + r.height();
    if (minimum() != 0 || maximum() != 0) ++top, --bottom;
    ++left, --right, ++bottom;
    if (bottom - top > 3)
        RoundRect(painter, QRect(left, top, right - left, bottom - top), ToColor(m_colours.outline),
                  fill);
    left -= 6;
    top -= 1;
    painter.setPen(ToColor(m_colours.upperLeft));
    OpenLine(painter, {left, bottom + 5}, {right - 1, top - 5});
    painter.setPen(ToColor(m_colours.lowerRight));
    Polyline(painter, {{right - 1, top - 5}, {right - 1, bottom + 5}, {left - 1, bottom + 5}});
}
