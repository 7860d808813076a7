#include "captions/CaptionWnd.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace caption_font {

void RegisterSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("굴림"),
                               {QStringLiteral("Baekmuk Gulim"), QStringLiteral("NanumGothic")});
    QFont::insertSubstitutions(QStringLiteral("바탕체"),
                               {QStringLiteral("Baekmuk Batang"), QStringLiteral("NanumMyeongjo")});
}

QFont Make(const QString& face, int cellHeight) {
    QFont font(face);
    font.setBold(true);
    font.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    if (cellHeight <= 0) {
        font.setPixelSize(1);
        return font;
    }
    // The pixel size for a line height depends on the face; remember what was found.
    static QHash<QString, int> cache;
    const QString key = face + QLatin1Char('\n') + QString::number(cellHeight);
    if (auto it = cache.constFind(key); it != cache.constEnd()) {
        font.setPixelSize(*it);
        return font;
    }
    auto heightAt = [&](int px) {
        font.setPixelSize(px);
        return QFontMetrics(font).height();
    };
    int px = cellHeight;
    if (const int h = heightAt(px); h > 0) px = std::max(1, int(qint64(cellHeight) * px / h));
    for (int i = 0; i < 64 && px > 1 && heightAt(px) > cellHeight; ++i) --px;
    for (int i = 0; i < 64 && heightAt(px + 1) <= cellHeight; ++i) ++px;
    font.setPixelSize(px);
    if (cache.size() > 256) cache.clear();
    cache.insert(key, px);
    return font;
}

}  // namespace caption_font

namespace {

// Qt's rounding of device coordinates: halves go up.
int Round(double v) {
    return int(std::floor(v + 0.5));
}

}  // namespace

QColor ColourFromBgr(uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

CCaptionWnd::CCaptionWnd(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    HideCaption();
}

void CCaptionWnd::SetStyle(const CaptionStyle& style) {
    m_style = style;
    BuildLetters();
    update();
}

void CCaptionWnd::SetColours(uint32_t textColour, uint32_t outlineColour) {
    m_style.textColour = textColour;
    m_style.outlineColour = outlineColour;
    BuildLetters();
    update();
}

void CCaptionWnd::SetPosition(int position) {
    m_style.position = std::clamp(position, 0, caption_layout::kMaxPosition);
}

void CCaptionWnd::SetExtraLines(int extraLines) {
    m_style.extraLines = extraLines;
}

void CCaptionWnd::SetSizeRatio(int sizeRatio) {
    m_style.sizeRatio = sizeRatio;
}

caption_layout::FontMetrics CCaptionWnd::RebuildFont(int contentWidth, int naturalWidth,
                                                     int naturalHeight) {
    m_metrics =
        caption_layout::ComputeFont(contentWidth, naturalWidth, naturalHeight, m_style.sizeRatio);
    m_font = caption_font::Make(m_style.face, m_metrics.height);
    m_fontRatio = devicePixelRatioF();
    m_deviceFont = DeviceFont();
    return m_metrics;
}

QFont CCaptionWnd::DeviceFont() const {
    // The caption font for the device cell height, floor(Hf x ratio): chosen by the same rule as
    // the logical one, so the letters are as large as the logical font's scaled up.
    if (m_fontRatio == 1 || m_metrics.height <= 0) return m_font;
    return caption_font::Make(m_style.face, int(std::floor(m_metrics.height * m_fontRatio + 1e-9)));
}

void CCaptionWnd::PlaceOver(const QRect& captionArea, int pictureHeight) {
    m_pictureHeight = pictureHeight;
    setGeometry(captionArea);
}

QRegion CCaptionWnd::HiddenShape() const {
    // A single pixel at the left of the picture's bottom edge. The region is never empty: an
    // empty mask would show the whole window.
    return QRegion(0, m_pictureHeight - 2, 1, 1);
}

void CCaptionWnd::HideCaption() {
    m_layout = {};
    m_shape = {};
    m_coverage = {};
    m_ink = {};
    m_image = {};
    setMask(HiddenShape());
}

bool CCaptionWnd::LayoutCaption(std::string_view captionText, std::span<const int32_t> lineEnds) {
    // The previous shape is released only after the new one is set: freeing a large region
    // first would hand its memory back to the system and fault it in again at once.
    const QRegion previous = m_shape;
    HideCaption();
    caption_layout::Params params;
    params.width = width();
    params.height = height();
    params.font = m_metrics;
    params.effect = m_style.effect;
    params.position = m_style.position;
    params.extraLines = m_style.extraLines;
    if (params.width <= 0 || params.height <= 0 || m_metrics.height <= 0) return false;

    // Lines are broken and measured with the logical font, so a ratio never changes them.
    const QFontMetrics fm(m_font);
    const auto measure = [&fm](std::string_view s) {
        return fm.horizontalAdvance(QString::fromUtf8(s.data(), qsizetype(s.size())));
    };
    caption_layout::Layout layout =
        caption_layout::LayoutCaption(captionText, lineEnds, params, measure);
    if (layout.Empty()) return false;
    m_layout = std::move(layout);
    // Nothing inked (no glyphs, or every row outside the area): the caption stays hidden.
    if (!Reshape()) {
        m_layout = {};
        return false;
    }
    return true;
}

bool CCaptionWnd::Reshape() {
    const double ratio = devicePixelRatioF();
    if (ratio != m_fontRatio) {
        m_fontRatio = ratio;
        m_deviceFont = DeviceFont();
    }
    // The window's place in the top-level window decides how its logical pixels fall on device
    // pixels at a fractional ratio.
    const QPoint at = mapTo(window(), QPoint(0, 0));
    m_grid = {ratio, at + QPoint(0, m_layout.offsetY)};
    m_drawnAt = at;
    QRegion shape = m_mask.Build(m_layout, m_deviceFont, m_grid);
    if (shape.isEmpty()) return false;
    shape.translate(0, m_layout.offsetY);
    m_shape = std::move(shape);
    // Device rows from the window's top to the caption block's.
    const QPoint block(0, CaptionDeviceGrid{ratio, at}.StartY(m_layout.offsetY));
    m_coverage = m_mask.Coverage().copy();
    m_coverageOrigin = m_mask.CoverageOrigin() + block;
    m_ink = m_mask.Ink().copy();
    m_imageAt = m_mask.InkOrigin() + block;
    BuildLetters();
    setMask(m_shape);
    update();
    return true;
}

void CCaptionWnd::BuildLetters() {
    if (m_coverage.isNull() || m_ink.isNull()) {
        m_image = {};
        return;
    }
    // In one pass: the ink in the outline colour, transparent elsewhere, and over it the letters
    // in the text colour with the coverage as alpha, premultiplied and blended as QPainter's
    // source-over blends them, so the pixels are those of painting the two one after the other.
    const QColor c = ColourFromBgr(m_style.textColour);
    const uint32_t r = uint32_t(c.red()), g = uint32_t(c.green()), b = uint32_t(c.blue());
    const uint32_t outline = ColourFromBgr(m_style.outlineColour).rgb();  // opaque
    const auto byteMul = [](uint32_t x, uint32_t a) {
        uint32_t t = (x & 0xff00ff) * a;
        t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
        x = ((x >> 8) & 0xff00ff) * a;
        x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
        return x | t;
    };
    m_image = QImage(m_ink.size(), QImage::Format_ARGB32_Premultiplied);
    const QPoint at = m_imageAt - m_coverageOrigin;  // image pixel (0, 0) in the coverage
    for (int y = 0; y < m_ink.height(); ++y) {
        const uint8_t* ink = m_ink.constScanLine(y);
        auto* dst = reinterpret_cast<uint32_t*>(m_image.scanLine(y));
        for (int x = 0; x < m_ink.width(); ++x) dst[x] = ink[x] ? outline : 0u;
        const int cy = y + at.y();
        if (cy < 0 || cy >= m_coverage.height()) continue;
        const uint8_t* coverage = m_coverage.constScanLine(cy);
        const int x0 = std::max(0, -at.x()),
                  x1 = std::min(m_ink.width(), m_coverage.width() - at.x());
        for (int x = x0; x < x1; ++x) {
            const uint32_t a = coverage[x + at.x()];
            if (a == 0) continue;
            const uint32_t letter = (a << 24) | ((r * a + 127) / 255 << 16) |
                                    ((g * a + 127) / 255 << 8) | ((b * a + 127) / 255);
            dst[x] = letter + byteMul(dst[x], 255 - a);
        }
    }
}

void CCaptionWnd::paintEvent(QPaintEvent*) {
    if (m_layout.Empty() || m_image.isNull()) return;
    QPainter p(this);
    const QTransform device = p.deviceTransform();  // the ratio's scale and the window's offset
    const double ratio = device.m11();
    const QPointF phase(Round(device.dx()) - device.dx(), Round(device.dy()) - device.dy());
    const bool onGrid = device.type() <= QTransform::TxScale &&
                        std::abs(ratio - m_grid.ratio) < 1e-9 &&
                        std::abs(device.m22() - ratio) < 1e-9;
    if (onGrid) {
        // One image pixel on one device pixel, the window's origin rounded as its clip is.
        p.setWorldTransform(
            QTransform(1 / ratio, 0, 0, 1 / ratio, phase.x() / ratio, phase.y() / ratio));
        p.drawImage(m_imageAt, m_image);
    } else {
        // Drawn for another ratio (a grab, or a screen change not yet drawn for): scaled.
        const double built = m_grid.ratio;
        p.drawImage(QRectF(QPointF(m_imageAt) / built, QSizeF(m_image.size()) / built), m_image);
    }
    // Moved to another ratio, or to another place at a fractional one: drawn again for it (the
    // shape is set outside painting).
    const double now = devicePixelRatioF();
    const bool moved = now != std::floor(now) && mapTo(window(), QPoint(0, 0)) != m_drawnAt;
    if (!m_reshapeQueued && (now != m_grid.ratio || moved)) {
        m_reshapeQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_reshapeQueued = false;
                if (!m_layout.Empty() && !Reshape()) HideCaption();
            },
            Qt::QueuedConnection);
    }
}
