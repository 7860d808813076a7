#pragma once
// OpenGL video surface: libmpv's OpenGL render API draws each frame on a GL context of the
// surface's own, into a framebuffer object of the widget's size in device pixels; paintGL copies
// that picture into the QOpenGLWidget's framebuffer, which Qt composes with the other widgets of
// the window (so the caption window stacked above it stays above it).
//
// Why a context of its own: QOpenGLWidget creates its context only when its window is first
// shown, but the render context must exist before the first file is loaded (the window may be
// shown later, or never). The surface's context is created at once, on an offscreen surface, and
// is made the application's global share context when there is none yet, so the contexts Qt makes
// for the window later share its textures. Where they do not share (the window was shown before
// the surface was made), paintGL falls back to reading the picture back and painting it.
//
// A frame is rendered on the GUI thread when the handle reports that mpv has a new one, whether
// or not the widget is visible or exposed (mpv paces playback on the frames being taken); the
// widget then only schedules a repaint. mpv is told of each frame's swap: the swap of the window
// that shows it, or at once when no window will.

#include <QOpenGLWidget>
#include <QPointer>
#include <memory>

#include "playback/VideoSurface.h"

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

class CGlVideoSurface : public QOpenGLWidget, public IVideoSurface {
    Q_OBJECT
  public:
    // context: created (and current-able on offscreen); both are taken over. Returns null, after
    // freeing them, when mpv's OpenGL render context cannot be created on it.
    static CGlVideoSurface* Create(CMpvHandle* handle, QWidget* parent,
                                   std::unique_ptr<QOpenGLContext> context,
                                   std::unique_ptr<QOffscreenSurface> offscreen);
    ~CGlVideoSurface() override;

    QWidget* Widget() override { return this; }
    QImage LastFrame() const override;
    qint64 FramesRendered() const override { return m_frames; }
    void Clear() override;

  protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    CGlVideoSurface(CMpvHandle* handle, QWidget* parent, std::unique_ptr<QOpenGLContext> context,
                    std::unique_ptr<QOffscreenSurface> offscreen);
    bool MakeOwnCurrent() const;
    void OnFrameReady();
    void Render();
    QImage ReadBack() const;
    void DropWidgetResources();

    QPointer<CMpvHandle> m_handle;
    std::unique_ptr<QOffscreenSurface> m_offscreen;
    std::unique_ptr<QOpenGLContext> m_context;        // mpv's; the picture's texture lives here
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;  // the picture, top row first
    bool m_hasFrame = false;
    // Fence after the last frame drawn in m_context, waited on by the widget's context (both
    // share it) when both have sync objects (OpenGL 3.2, OpenGL ES 3.0).
    void* m_fence = nullptr;
    bool m_swapPending = false;  // a rendered frame waits for the window's swap, told to mpv
    qint64 m_frames = 0;

    // In the widget's context: a framebuffer reading m_fbo's texture.
    unsigned m_readFbo = 0;
    bool m_canBlit = false;  // the widget's context shares m_context's textures and can blit
    bool m_canWait = false;  // ... and can wait on m_fence
};
