#pragma once
// The media window: the child widget the main window places (anywhere, any size, also partly
// outside its parent) to show the picture. It holds the video surface filling it and reports the
// mouse with the control's conventions: button bits 1 left, 2 right, 4 middle; shift bits 1 Shift,
// 2 Ctrl, 4 Alt; coordinates relative to this window. It draws no controls of its own.

#include <QWidget>

class CMpvHandle;
class IVideoSurface;

class CMediaWindow : public QWidget {
    Q_OBJECT
  public:
    CMediaWindow(CMpvHandle* handle, QWidget* parent = nullptr);

    IVideoSurface* Surface() const { return m_surface; }

    static short ButtonBits(Qt::MouseButtons buttons);
    static short ShiftBits(Qt::KeyboardModifiers modifiers);

  signals:
    void MouseUp(short button, short shift, long x, long y);
    void MouseMove(short button, short shift, long x, long y);
    void DblClick(short button, short shift, long x, long y);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    IVideoSurface* m_surface = nullptr;
};
