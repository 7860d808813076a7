#pragma once
// The small windows the main window lays over its client area: the black surround, shaped to
// everything but the picture, and the four 1 x 1 corner windows at the picture's corners.

#include <QWidget>

class CSurroundWnd : public QWidget {
    Q_OBJECT
  public:
    explicit CSurroundWnd(QWidget* parent);
};

class CCornerWnd : public QWidget {
    Q_OBJECT
  public:
    explicit CCornerWnd(QWidget* parent);
};
