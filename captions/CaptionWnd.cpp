#include "captions/CaptionWnd.h"

#include <QFontMetrics>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

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
    return m_metrics;
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
    m_letters = {};
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

    const QFontMetrics fm(m_font);
    const auto measure = [&fm](std::string_view s) {
        return fm.horizontalAdvance(QString::fromUtf8(s.data(), qsizetype(s.size())));
    };
    caption_layout::Layout layout =
        caption_layout::LayoutCaption(captionText, lineEnds, params, measure);
    if (layout.Empty()) return false;

    QRegion shape = m_mask.Build(layout, m_font);
    // Nothing inked (no glyphs, or every row outside the area): the caption stays hidden.
    if (shape.isEmpty()) return false;
    shape.translate(0, layout.offsetY);
    m_shape = std::move(shape);
    m_layout = std::move(layout);
    m_coverage = m_mask.Coverage().copy();
    m_coverageOrigin = m_mask.CoverageOrigin();
    BuildLetters();
    setMask(m_shape);
    update();
    return true;
}

void CCaptionWnd::BuildLetters() {
    // Letters in the text colour with the coverage as alpha, premultiplied.
    const QImage& coverage = m_coverage;
    if (coverage.isNull()) {
        m_letters = {};
        return;
    }
    m_letters = QImage(coverage.size(), QImage::Format_ARGB32_Premultiplied);
    const QColor c = ColourFromBgr(m_style.textColour);
    const uint32_t r = uint32_t(c.red()), g = uint32_t(c.green()), b = uint32_t(c.blue());
    for (int y = 0; y < coverage.height(); ++y) {
        const uint8_t* src = coverage.constScanLine(y);
        auto* dst = reinterpret_cast<uint32_t*>(m_letters.scanLine(y));
        for (int x = 0; x < coverage.width(); ++x) {
            const uint32_t a = src[x];
            dst[x] = a == 0 ? 0u
                            : (a << 24) | ((r * a + 127) / 255 << 16) | ((g * a + 127) / 255 << 8) |
                                  ((b * a + 127) / 255);
        }
    }
}

void CCaptionWnd::paintEvent(QPaintEvent* event) {
    if (m_layout.Empty()) return;
    QPainter p(this);
    // Every pixel of the shape shows the outline colour, the letters cover it in the text colour.
    p.fillRect(event->rect(), ColourFromBgr(m_style.outlineColour));
    p.drawImage(m_coverageOrigin + QPoint(0, m_layout.offsetY), m_letters);
}
