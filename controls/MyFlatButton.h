#pragma once
// The control bar's flat push button: no caption and no background of its own, one of four
// faces drawn over whatever the parent paints beneath it, and a thin 3-D frame only while the
// pointer is over it (raised) or while it is held down or latched (sunken).

#include <QAbstractButton>

#include "controls/TransparentBitmap.h"

class CMyFlatButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit CMyFlatButton(QWidget* parent = nullptr);

    // Loads the faces by bitmap id; 0 leaves that face unchanged. Always true.
    bool SetBitmaps(int normalId, int latchedId, int pushedId, int disabledId);

    // Latched shows a mode (playing, muted, ...); it is independent of clicking.
    void SetLatched(bool latched);
    bool IsLatched() const { return m_latched; }
    bool IsHovered() const { return m_hover; }

    QSize sizeHint() const override { return {22, 22}; }

  protected:
    // Captions are never drawn.
    virtual void DrawLabel(QPainter& painter, const QRect& rect, const QString& text) {
        (void)painter, (void)rect, (void)text;
    }
    // Frame and face for the current state; may move rect to where the face went.
    virtual void DrawFace(QPainter& painter, QRect& rect);
    void DrawContent(QPainter& painter, const QRect& rect);

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void SetHover(bool hover);

    bool m_hover = false;
    CTransparentBitmap m_normal, m_latchedFace, m_pushed, m_disabled;
    bool m_latched = false;
};
