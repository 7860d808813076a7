#pragma once
// The control bar's horizontal slider, used for seeking (0..10000) and for the volume (0..10).
// It draws its own channel (a shaded groove, or a volume wedge) under the style's thumb, jumps to
// a click anywhere on the channel and continues as a drag, ignores the mouse unless interactive,
// refuses position updates while the user holds it, and never moves by wheel or keys. It tells
// its owner only that the mouse was released (captureReleased); the owner then reads value().

#include <QColor>
#include <QSlider>

class QStyleOptionSlider;

#include "controls/ControlBarRules.h"

class CSeekSlider : public QSlider {
    Q_OBJECT
  public:
    explicit CSeekSlider(QWidget* parent = nullptr);

    // Interior colour of the channel; recomputes the edge colours, no repaint.
    void SetFillColor(const QColor& colour);
    QColor FillColor() const { return m_fill; }
    void SetInteractive(bool interactive) { m_interactive = interactive; }
    bool IsInteractive() const { return m_interactive; }
    // Draw the channel as a volume wedge rising to the right.
    void SetWedgeStyle(bool wedge);
    bool IsWedgeStyle() const { return m_wedge; }
    // Recomputes the edge colours from the palette and repaints at once.
    void UpdateColors();
    // Moves the thumb, except while the user holds the slider.
    void SetPosition(int position);
    // No tick marks, no keyboard steps, not tracking; then UpdateGeometry.
    void ResetTrack();
    // Re-reads channel and thumb rectangles and the range maximum.
    void UpdateGeometry();

    bool IsPressing() const { return m_pressing; }
    bool IsTracking() const { return m_tracking; }
    controlbar::Span ThumbCentreSpan() const { return m_span; }
    QRect ChannelRect() const;
    QRect ThumbRect() const;
    controlbar::ChannelColours EdgeColours() const { return m_colours; }

  signals:
    // The mouse was released at the end of an accepted click or drag.
    void captureReleased();

  protected:
    // The wedge needs room beside its channel: a wedge-style slider keeps its channel and thumb
    // travel a few pixels in from both ends, as a native trackbar does.
    void initStyleOption(QStyleOptionSlider* option) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void ComputeColours();
    void DrawChannel(QPainter& painter, QRect r, const QColor& fill) const;
    void DrawWedge(QPainter& painter, QRect r, const QColor& fill) const;

    bool m_wedge = false;
    bool m_interactive = false;
    bool m_pressing = false;
    bool m_tracking = false;
    int m_rangeMax = 0;
    controlbar::Span m_span;
    QColor m_fill;
    controlbar::ChannelColours m_colours;
};
