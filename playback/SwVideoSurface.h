#pragma once
// Software video surface: libmpv's "sw" render API draws each frame into a 64-byte aligned
// bgr0 buffer wrapped by a QImage (Format_RGB32), which paintEvent draws with QPainter. The
// padding byte of each pixel is set to 0xff when the frame is painted, except into the backing
// store of a window on a 24-bit X11 visual, which never shows it.
//
// A frame is rendered on the GUI thread when the handle reports that mpv has a new one, whether
// or not the widget is visible (mpv paces playback on the frames being taken); painting happens
// only when the widget is shown.

#include <QPointer>
#include <memory>

#include "playback/VideoSurface.h"

class CSwVideoSurface : public QWidget, public IVideoSurface {
    Q_OBJECT
  public:
    CSwVideoSurface(CMpvHandle* handle, QWidget* parent);
    ~CSwVideoSurface() override;

    QWidget* Widget() override { return this; }
    QImage LastFrame() const override;
    qint64 FramesRendered() const override { return m_frames; }
    void Clear() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void OnFrameReady();
    void Render();
    bool EnsureBuffer(QSize size);
    bool PaddingUnseen(const QPainter& painter);

    QPointer<CMpvHandle> m_handle;
    struct AlignedFree {
        void operator()(uchar* p) const;
    };
    std::unique_ptr<uchar, AlignedFree> m_buffer;
    QImage m_image;  // wraps m_buffer
    bool m_hasFrame = false;
    bool m_opaque = false;    // the padding bytes of the current frame are 0xff
    WId m_checkedWindow = 0;  // the native window whose depth was asked of the X server
    bool m_depth24 = false;   // it is 24 bits deep: the padding byte is never shown
    qint64 m_frames = 0;
};
