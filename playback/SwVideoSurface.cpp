#include "playback/SwVideoSurface.h"

#include <xcb/xcb.h>

#include <QBackingStore>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QWindow>
#include <cstdlib>

#include "app/StartupTrace.h"
#include "playback/MpvHandle.h"

namespace {
// Frames are rendered at most at this size; a larger widget scales the picture up when painting,
// so a window placed at an absurd size cannot make the buffer huge.
constexpr int kMaxRenderSide = 4096;

// mpv leaves the fourth byte of each "bgr0" pixel undefined (in practice 0), while Format_RGB32
// promises 0xff there: QPainter copies it as it stands into a target with an alpha channel, as
// the backing stores of both X11 and Wayland windows are (ARGB32 premultiplied). A Wayland
// compositor would show a picture left with alpha 0 fully transparent, but a window on a 24-bit
// X11 visual never shows that byte: there the pass over every pixel is skipped.
void MakeOpaque(QImage& image) {
    uchar* row = image.bits();
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y, row += image.bytesPerLine()) {
        auto* pixel = reinterpret_cast<quint32*>(row);
        for (int x = 0; x < width; ++x) pixel[x] |= 0xff000000u;
    }
}
// The depth of an X window, asked of the server; 0 when it cannot be asked.
int XWindowDepth(WId id) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return 0;
    xcb_get_geometry_reply_t* reply =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_window_t(id)), nullptr);
    const int depth = reply ? reply->depth : 0;
    std::free(reply);
    return depth;
}

}  // namespace

void CSwVideoSurface::AlignedFree::operator()(uchar* p) const {
    std::free(p);
}

CSwVideoSurface::CSwVideoSurface(CMpvHandle* handle, QWidget* parent)
    : QWidget(parent), m_handle(handle) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);  // the media window takes the mouse
    if (handle && handle->CreateSoftwareRenderContext())
        connect(handle, &CMpvHandle::FrameReady, this, &CSwVideoSurface::OnFrameReady);
}

CSwVideoSurface::~CSwVideoSurface() = default;

// True when the painter writes into the backing store of a top-level window of depth 24 on X11,
// where the padding byte is never shown. Any other target (a grab, another platform, a
// translucent window, a window on a 32-bit visual, chosen with -visual or the screen's default)
// gets an opaque picture. The window's format does not tell: it has no alpha on a 32-bit visual
// that was not asked for, so the depth is asked of the X server, once per native window.
bool CSwVideoSurface::PaddingUnseen(const QPainter& painter) {
    static const bool xcb = QGuiApplication::platformName() == QLatin1String("xcb");
    if (!xcb || !painter.paintEngine()) return false;
    const QWidget* top = window();
    const QWindow* window = top->windowHandle();
    QBackingStore* store = top->backingStore();
    if (!window || !store || window->format().hasAlpha() ||
        painter.paintEngine()->paintDevice() != store->paintDevice())
        return false;
    if (window->winId() != m_checkedWindow) {
        m_checkedWindow = window->winId();
        m_depth24 = XWindowDepth(m_checkedWindow) == 24;
    }
    return m_depth24;
}

QImage CSwVideoSurface::LastFrame() const {
    if (!m_hasFrame) return QImage();
    QImage copy = m_image.copy();
    MakeOpaque(copy);
    return copy;
}

void CSwVideoSurface::Clear() {
    m_hasFrame = false;
    update();
}

bool CSwVideoSurface::EnsureBuffer(QSize size) {
    if (size.width() <= 0 || size.height() <= 0) return false;
    if (m_image.size() == size && m_buffer) return true;
    const qsizetype stride = ((qsizetype(size.width()) * 4 + 63) / 64) * 64;
    const size_t bytes = size_t(stride) * size_t(size.height());
    uchar* mem = static_cast<uchar*>(std::aligned_alloc(64, bytes));
    if (!mem) return false;
    m_image = QImage();
    m_buffer.reset(mem);
    m_image = QImage(mem, size.width(), size.height(), stride, QImage::Format_RGB32);
    m_image.fill(Qt::black);
    return true;
}

void CSwVideoSurface::OnFrameReady() {
    if (!m_handle) return;
    if (m_handle->FrameUpdatePending()) Render();
}

void CSwVideoSurface::Render() {
    if (!m_handle) return;
    const qreal dpr = devicePixelRatioF();
    QSize size = (QSizeF(this->size()) * dpr).toSize();
    size = size.boundedTo(QSize(kMaxRenderSide, kMaxRenderSide));
    if (!EnsureBuffer(size)) return;
    // Set here, once per change, so painting never detaches the image from the aligned buffer.
    if (m_image.devicePixelRatio() != dpr) m_image.setDevicePixelRatio(dpr);
    if (!m_handle->RenderSw(size.width(), size.height(), size_t(m_image.bytesPerLine()),
                            m_image.bits()))
        return;
    startup_trace::Mark("first frame rendered");
    m_hasFrame = true;
    m_opaque = false;
    ++m_frames;
    update();
}

void CSwVideoSurface::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_hasFrame) Render();  // redraw the current frame at the new size
}

void CSwVideoSurface::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_hasFrame || m_image.isNull()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    if (!m_opaque && !PaddingUnseen(p)) {
        MakeOpaque(m_image);
        m_opaque = true;
    }
    if (m_image.size() == (QSizeF(size()) * devicePixelRatioF()).toSize()) {
        p.drawImage(QPoint(0, 0), m_image);
        startup_trace::Mark("first frame painted");
    } else {
        p.drawImage(rect(), m_image);
        startup_trace::Mark("first frame painted");
    }
}
