#include "dialogs/SetupPreview.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

#include "captions/CaptionLayout.h"
#include "captions/CaptionWnd.h"

namespace {

// A dark evening scene: sky over a darker ground with a dim moon, never pure black, so that a
// black fringe stays visible against it.
QImage SamplePicture(const QSize& size) {
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(24, 34, 62));
    sky.setColorAt(0.65, QColor(46, 44, 66));
    sky.setColorAt(1, QColor(30, 28, 34));
    p.fillRect(img.rect(), sky);
    const QPointF moon(size.width() * 0.82, size.height() * 0.3);
    QRadialGradient glow(moon, size.height() * 0.45);
    glow.setColorAt(0, QColor(92, 96, 112));
    glow.setColorAt(0.25, QColor(70, 74, 94, 160));
    glow.setColorAt(1, QColor(46, 44, 66, 0));
    p.fillRect(img.rect(), glow);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 30, 30));
    p.drawEllipse(QPointF(size.width() * 0.2, size.height() * 1.6), size.width() * 0.5,
                  size.height() * 0.9);
    return img;
}

}  // namespace

CSetupPreview::CSetupPreview(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSetupPreview::SetStyle(const QString& face, uint32_t textColour, uint32_t effectColour,
                             int effect) {
    const bool relayout = face != m_face || effect != m_effect || m_letters.isNull();
    m_face = face;
    m_textColour = textColour;
    m_effectColour = effectColour;
    m_effect = effect;
    if (relayout) {
        Rebuild();
    } else if (!m_letters.isNull()) {
        m_letters.fill(ColourFromBgr(m_textColour));
        QPainter p(&m_letters);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, m_mask.Coverage());
    }
    update();
}

void CSetupPreview::resizeEvent(QResizeEvent*) {
    m_picture = {};
    Rebuild();
}

void CSetupPreview::Rebuild() {
    m_shape = {};
    m_letters = {};
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    if (inner.width() <= 0 || inner.height() <= 0) return;
    // One line of text centred in the frame, its ink copies chosen as for a caption.
    const int cell = std::clamp(inner.height() - 4, 1, kCellHeight);
    const QFont font = caption_font::Make(m_face, cell);
    const QString text = QString::fromUtf8(kSampleText);
    caption_layout::Layout layout;
    layout.lines.push_back({text.toStdString(), 0, QFontMetrics(font).horizontalAdvance(text)});
    layout.centreX = inner.width() >> 1;
    layout.offsetY = (inner.height() - cell) >> 1;
    layout.scanRows = inner.height() - layout.offsetY;
    layout.scanColumns = inner.width();
    layout.offsets = caption_layout::InkOffsetsFor(m_effect, cell);
    m_shape = m_mask.Build(layout, font);
    const QPoint origin = inner.topLeft() + QPoint(0, layout.offsetY);
    m_shape.translate(origin);
    const QImage coverage = m_mask.Coverage();
    if (coverage.isNull()) return;
    m_letters = QImage(coverage.size(), QImage::Format_ARGB32_Premultiplied);
    m_letters.fill(ColourFromBgr(m_textColour));
    QPainter p(&m_letters);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.drawImage(0, 0, coverage);
    m_lettersAt = origin + m_mask.CoverageOrigin();
}

void CSetupPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    if (m_picture.size() != inner.size()) m_picture = SamplePicture(inner.size());
    p.drawImage(inner.topLeft(), m_picture);
    p.setClipRect(inner);
    // Every pixel of the shape in the outline colour, the letters over it in the text colour.
    p.setClipRegion(m_shape, Qt::IntersectClip);
    p.fillRect(inner, ColourFromBgr(m_effectColour));
    p.setClipRect(inner);
    p.drawImage(m_lettersAt, m_letters);
    p.setClipping(false);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
