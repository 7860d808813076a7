#include "playback/SwVideoSurface.h"

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
// True when the painter writes into the backing store of a top-level window on a 24-bit X11
// visual, where the padding byte is never shown. Any other target (a grab, another platform, a
// translucent window) gets an opaque picture.
bool PaddingUnseen(const QWidget* widget, const QPainter& painter) {
    static const bool xcb = QGuiApplication::platformName() == QLatin1String("xcb");
    if (!xcb || !painter.paintEngine()) return false;
    const QWidget* top = widget->window();
    const QWindow* window = top->windowHandle();
    QBackingStore* store = top->backingStore();
    return window && store && !window->format().hasAlpha() &&
           painter.paintEngine()->paintDevice() == store->paintDevice();
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
    if (!m_opaque && !PaddingUnseen(this, p)) {
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
