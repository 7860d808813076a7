#include "controls/MyFlatButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/ControlBarRules.h"

CMyFlatButton::CMyFlatButton(QWidget* parent) : QAbstractButton(parent) {
    // No background of its own: the parent's background, as painted, shows around the face.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
}

bool CMyFlatButton::SetBitmaps(int normalId, int latchedId, int pushedId, int disabledId) {
    if (normalId) m_normal.LoadBitmap(normalId);
    if (latchedId) m_latchedFace.LoadBitmap(latchedId);
    if (pushedId) m_pushed.LoadBitmap(pushedId);
    if (disabledId) m_disabled.LoadBitmap(disabledId);
    update();
    return true;
}

void CMyFlatButton::SetLatched(bool latched) {
    m_latched = latched;
    update();
}

void CMyFlatButton::SetHover(bool hover) {
    if (m_hover == hover) return;  // one repaint on entry, one on leaving
    m_hover = hover;
    update();
}

void CMyFlatButton::mouseMoveEvent(QMouseEvent* event) {
    // Not passed on to the button's own handling: a held button keeps its pushed face when the
    // pointer is dragged off it, until the release (which clicks only over the button).
    if (rect().contains(event->position().toPoint())) SetHover(true);
    event->accept();
}

void CMyFlatButton::enterEvent(QEnterEvent* event) {
    SetHover(true);
    QAbstractButton::enterEvent(event);
}

void CMyFlatButton::leaveEvent(QEvent* event) {
    SetHover(false);
    QAbstractButton::leaveEvent(event);
}

void CMyFlatButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawContent(painter, rect());
}

void CMyFlatButton::DrawContent(QPainter& painter, const QRect& rect) {
    QRect r = rect;
    DrawFace(painter, r);
    if (!text().isEmpty()) DrawLabel(painter, r, text());
}

namespace {

// A one-pixel frame along r's edges: top and left in one colour, bottom and right in the other.
void DrawFrame(QPainter& painter, const QRect& r, const QColor& topLeft,
               const QColor& bottomRight) {
    painter.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
    painter.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
    painter.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
}

}  // namespace

void CMyFlatButton::DrawFace(QPainter& painter, QRect& r) {
    using namespace controlbar;
    const FacePlan plan = PlanFace(isEnabled(), m_latched, isDown(), m_hover);
    const QColor shadow = palette().color(QPalette::Active, QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Active, QPalette::Light);
    if (plan.frame == FrameKind::Sunken) DrawFrame(painter, r, shadow, highlight);
    if (plan.frame == FrameKind::Raised) DrawFrame(painter, r, highlight, shadow);

    const CTransparentBitmap* face = &m_normal;
    switch (plan.face) {
        case Face::Disabled:
            face = &m_disabled;
            break;
        case Face::Latched:
            face = &m_latchedFace;
            break;
        case Face::Pushed:
            face = &m_pushed;
            break;
        case Face::Normal:
            break;
    }
    if (plan.offset == 1) r.adjust(1, 1, -1, -1);
    if (plan.offset == 2) r.adjust(2, 2, 0, 0);  // shrunk by one, then moved by (+1, +1)
    face->DrawTransparent(painter, r.left(), r.top());
}
