#include "playback/MediaWindow.h"

#include <QMouseEvent>
#include <QPalette>

#include "playback/VideoSurface.h"

CMediaWindow::CMediaWindow(CMpvHandle* handle, QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    m_surface = CreateVideoSurface(handle, this);
    m_surface->Widget()->setGeometry(rect());
}

short CMediaWindow::ButtonBits(Qt::MouseButtons buttons) {
    short bits = 0;
    if (buttons & Qt::LeftButton) bits |= 1;
    if (buttons & Qt::RightButton) bits |= 2;
    if (buttons & Qt::MiddleButton) bits |= 4;
    return bits;
}

short CMediaWindow::ShiftBits(Qt::KeyboardModifiers modifiers) {
    short bits = 0;
    if (modifiers & Qt::ShiftModifier) bits |= 1;
    if (modifiers & Qt::ControlModifier) bits |= 2;
    if (modifiers & Qt::AltModifier) bits |= 4;
    return bits;
}

void CMediaWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_surface->Widget()->setGeometry(rect());
}

void CMediaWindow::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit MouseUp(ButtonBits(event->button()), ShiftBits(event->modifiers()), p.x(), p.y());
}

void CMediaWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit MouseMove(ButtonBits(event->buttons()), ShiftBits(event->modifiers()), p.x(), p.y());
}

void CMediaWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit DblClick(ButtonBits(event->button()), ShiftBits(event->modifiers()), p.x(), p.y());
}
