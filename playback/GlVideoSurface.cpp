#include "playback/GlVideoSurface.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <QPainter>
#include <QWindow>

#include "playback/MpvHandle.h"

// Qt's global share context: the contexts Qt creates for windows share with it. Public since
// Qt 5.4 through Qt::AA_ShareOpenGLContexts, which only works before the application exists.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {
// Frames are rendered at most at this size, as on the software surface.
constexpr int kMaxRenderSide = 4096;

// QOpenGLWidget answers 1 until its own context exists (the window shown); its window knows the
// screen's ratio from the start.
qreal DevicePixelRatio(const QWidget* w) {
    return w->window()->devicePixelRatioF();
}

// Sync objects (glFenceSync, glWaitSync) are core from OpenGL 3.2 and OpenGL ES 3.0.
bool HasSyncObjects(const QOpenGLContext* context) {
    const QSurfaceFormat format = context->format();
    const auto needed = context->isOpenGLES() ? qMakePair(3, 0) : qMakePair(3, 2);
    return format.version() >= needed;
}

// The Xlib display of the application when it runs on X11, else null.
void* X11Display() {
#if QT_CONFIG(xcb)
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        return x11->display();
#endif
    return nullptr;
}

void* GetProcAddress(void* context, const char* name) {
    return reinterpret_cast<void*>(static_cast<QOpenGLContext*>(context)->getProcAddress(name));
}
}  // namespace

CGlVideoSurface* CGlVideoSurface::Create(CMpvHandle* handle, QWidget* parent,
                                         std::unique_ptr<QOpenGLContext> context,
                                         std::unique_ptr<QOffscreenSurface> offscreen) {
    if (!handle || !context || !offscreen || !context->makeCurrent(offscreen.get())) return nullptr;
    const bool created =
        handle->CreateGlRenderContext(&GetProcAddress, context.get(), X11Display());
    context->doneCurrent();
    if (!created) return nullptr;
    return new CGlVideoSurface(handle, parent, std::move(context), std::move(offscreen));
}

CGlVideoSurface::CGlVideoSurface(CMpvHandle* handle, QWidget* parent,
                                 std::unique_ptr<QOpenGLContext> context,
                                 std::unique_ptr<QOffscreenSurface> offscreen)
    : QOpenGLWidget(parent),
      m_handle(handle),
      m_offscreen(std::move(offscreen)),
      m_context(std::move(context)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);  // the media window takes the mouse
    if (!QOpenGLContext::globalShareContext()) qt_gl_set_global_share_context(m_context.get());
    connect(handle, &CMpvHandle::FrameReady, this, &CGlVideoSurface::OnFrameReady);
    // Freed with the handle: mpv releases its GL objects, so the context must be current.
    connect(handle, &CMpvHandle::RenderContextClosing, this, [this] { MakeOwnCurrent(); });
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (m_swapPending && m_handle) m_handle->ReportSwap();
        m_swapPending = false;
    });
}

CGlVideoSurface::~CGlVideoSurface() {
    if (m_handle) m_handle->FreeRenderContext();  // while our context is still there
    if (MakeOwnCurrent()) {
        if (m_fence) m_context->extraFunctions()->glDeleteSync(static_cast<GLsync>(m_fence));
        m_fence = nullptr;
        m_fbo.reset();
        m_context->doneCurrent();
    }
    if (QOpenGLContext::globalShareContext() == m_context.get())
        qt_gl_set_global_share_context(nullptr);
    makeCurrent();
    DropWidgetResources();
    doneCurrent();
    // QOpenGLWidget's destructor deletes its context after this object's part is gone.
    if (context()) disconnect(context(), nullptr, this, nullptr);
}

bool CGlVideoSurface::MakeOwnCurrent() const {
    return m_context->makeCurrent(m_offscreen.get());
}

void CGlVideoSurface::Clear() {
    m_hasFrame = false;
    update();
}

void CGlVideoSurface::OnFrameReady() {
    if (m_handle && m_handle->FrameUpdatePending()) Render();
}

void CGlVideoSurface::Render() {
    if (!m_handle) return;
    const QSize size = (QSizeF(this->size()) * DevicePixelRatio(this))
                           .toSize()
                           .boundedTo(QSize(kMaxRenderSide, kMaxRenderSide));
    if (size.isEmpty() || !MakeOwnCurrent()) return;
    if (!m_fbo || m_fbo->size() != size) {
        m_fbo = std::make_unique<QOpenGLFramebufferObject>(size);
        if (!m_fbo->isValid()) {
            m_fbo.reset();
            return;
        }
    }
    // Top row first in the framebuffer's memory: read back as it stands, flipped when shown.
    if (!m_handle->RenderGl(m_fbo->handle(), size.width(), size.height(), false)) return;
    // The widget's context reads the texture next. A fence in the stream lets that context's
    // commands wait on the GPU until the picture is complete (a flush alone does not promise it
    // across contexts); without fences the drawing is finished here.
    if (m_canWait) {
        QOpenGLExtraFunctions* f = m_context->extraFunctions();
        if (m_fence) f->glDeleteSync(static_cast<GLsync>(m_fence));
        m_fence = f->glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        f->glFlush();
    } else {
        m_context->functions()->glFinish();
    }
    m_hasFrame = true;
    ++m_frames;
    // Once told of swaps, mpv waits for one after each frame (up to a fifth of a second): a frame
    // no window will present is reported at once, or a hidden window would slow the video.
    const QWindow* shown = window()->windowHandle();
    if (isVisible() && shown && shown->isExposed() && !window()->isMinimized()) {
        m_swapPending = true;
        update();
    } else {
        m_handle->ReportSwap();
        m_swapPending = false;
    }
}

QImage CGlVideoSurface::ReadBack() const {
    if (!m_fbo || !MakeOwnCurrent()) return {};
    QImage image(m_fbo->size(), QImage::Format_RGBA8888);
    QOpenGLFunctions* f = m_context->functions();
    f->glBindFramebuffer(GL_FRAMEBUFFER, m_fbo->handle());
    f->glPixelStorei(GL_PACK_ALIGNMENT, 4);
    f->glReadPixels(0, 0, image.width(), image.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    f->glBindFramebuffer(GL_FRAMEBUFFER, 0);
    image = image.convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(DevicePixelRatio(this));
    return image;
}

QImage CGlVideoSurface::LastFrame() const {
    return m_hasFrame ? ReadBack() : QImage();
}

void CGlVideoSurface::initializeGL() {
    m_readFbo = 0;
    QOpenGLContext* own = context();
    connect(own, &QOpenGLContext::aboutToBeDestroyed, this, &CGlVideoSurface::DropWidgetResources,
            Qt::DirectConnection);
    m_canBlit =
        QOpenGLContext::areSharing(m_context.get(), own) && own->format().majorVersion() >= 3;
    m_canWait = m_canBlit && HasSyncObjects(own) && HasSyncObjects(m_context.get());
}

void CGlVideoSurface::DropWidgetResources() {
    if (m_readFbo && context() && QOpenGLContext::currentContext() == context())
        context()->functions()->glDeleteFramebuffers(1, &m_readFbo);
    m_readFbo = 0;
}

void CGlVideoSurface::paintGL() {
    QOpenGLExtraFunctions* f = context()->extraFunctions();
    f->glClearColor(0, 0, 0, 1);
    f->glClear(GL_COLOR_BUFFER_BIT);
    if (!m_hasFrame || !m_fbo) return;
    if (!m_canBlit) {
        // The picture lives in a context this one does not share with: through memory.
        const QImage picture = ReadBack();
        makeCurrent();
        QPainter p(this);
        p.drawImage(rect(), picture);
        return;
    }
    if (m_fence && m_canWait) f->glWaitSync(static_cast<GLsync>(m_fence), 0, GL_TIMEOUT_IGNORED);
    // Attached again for every frame: a texture changed by another context is only sure to be
    // seen here once it is bound (attached) again in this one.
    if (!m_readFbo) f->glGenFramebuffers(1, &m_readFbo);
    f->glBindFramebuffer(GL_FRAMEBUFFER, m_readFbo);
    f->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_fbo->texture(),
                              0);
    const QSize from = m_fbo->size();
    const QSize to = (QSizeF(size()) * DevicePixelRatio(this)).toSize();
    f->glBindFramebuffer(GL_READ_FRAMEBUFFER, m_readFbo);
    f->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, defaultFramebufferObject());
    // The widget's framebuffer has its bottom row first: the picture goes in upside down.
    f->glBlitFramebuffer(0, 0, from.width(), from.height(), 0, to.height(), to.width(), 0,
                         GL_COLOR_BUFFER_BIT, from == to ? GL_NEAREST : GL_LINEAR);
    f->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
}

void CGlVideoSurface::resizeEvent(QResizeEvent* event) {
    QOpenGLWidget::resizeEvent(event);
    if (m_hasFrame) Render();  // redraw the current frame at the new size
}
