#include "captions/CaptionMask.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

// Logical pixels ink copies can reach around the drawn letters: one up and left (outline), four
// down and right (shadow).
constexpr int kReachBefore = 1;
constexpr int kReachAfter = 4;
// Glyphs kept before the cache starts again (a film's captions use a few hundred syllables).
constexpr int kMaxCachedGlyphs = 4000;

// Appends the runs of non-zero bytes of row (width n, starting at column x0) as rectangles of
// row y.
void AppendRuns(const uint8_t* row, int n, int x0, int y, std::vector<QRect>& out) {
    int i = 0;
    while (i < n) {
        // Skip empty bytes eight at a time.
        while (i + 8 <= n) {
            uint64_t word;
            std::memcpy(&word, row + i, 8);
            if (word != 0) break;
            i += 8;
        }
        while (i < n && row[i] == 0) ++i;
        if (i >= n) break;
        const int start = i;
        while (i < n && row[i] != 0) ++i;
        out.emplace_back(x0 + start, y, i - start, 1);
    }
}

// dst[i] |= src[i] for n bytes, eight at a time.
void OrBytes(uint8_t* dst, const uint8_t* src, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t a, b;
        std::memcpy(&a, dst + i, 8);
        std::memcpy(&b, src + i, 8);
        a |= b;
        std::memcpy(dst + i, &a, 8);
    }
    for (; i < n; ++i) dst[i] |= src[i];
}

// dst[i] = max(dst[i], src[i]) for n bytes; empty destination words are plain copies.
void MaxBytes(uint8_t* dst, const uint8_t* src, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t a;
        std::memcpy(&a, dst + i, 8);
        if (a == 0) {
            std::memcpy(dst + i, src + i, 8);
        } else {
            for (int k = i; k < i + 8; ++k) dst[k] = std::max(dst[k], src[k]);
        }
    }
    for (; i < n; ++i) dst[i] = std::max(dst[i], src[i]);
}

// The ink copies in device pixels: each offset scaled with the ratio, with the steps between it
// and the letters filled in, so that a copy two or more device pixels away leaves no gap behind
// thin strokes. At ratio 1 it is the layout's own list.
std::vector<caption_layout::InkOffset> DeviceOffsets(const caption_layout::InkOffsets& offsets,
                                                     const CaptionDeviceGrid& grid) {
    std::vector<caption_layout::InkOffset> out;
    auto add = [&](int dx, int dy) {
        const caption_layout::InkOffset o{dx, dy};
        if (std::find(out.begin(), out.end(), o) == out.end()) out.push_back(o);
    };
    for (const auto& o : offsets.Span()) {
        if (grid.Identity()) {
            add(o.dx, o.dy);
            continue;
        }
        const int sx = grid.Scale(o.dx), sy = grid.Scale(o.dy);
        const int n = std::max(std::abs(sx), std::abs(sy));
        if (n == 0) add(0, 0);
        for (int m = 1; m <= n; ++m)
            add(int(std::lround(double(sx) * m / n)), int(std::lround(double(sy) * m / n)));
    }
    return out;
}

struct Placed {
    const void* glyph;
    int x, y;  // top-left in caption-block coordinates
};

}  // namespace

int CaptionDeviceGrid::Scale(int n) const {
    return int(std::lround(n * ratio));
}

int CaptionDeviceGrid::Start(int o, int x) const {
    if (Identity()) return x;
    // Qt's qRound: halves go up.
    return int(std::floor(ratio * (o + x) + 0.5)) - int(std::floor(ratio * o + 0.5));
}

int CaptionDeviceGrid::Logical(int o, int d) const {
    if (Identity()) return d;
    int x = int(std::floor(d / ratio));
    while (Start(o, x) > d) --x;
    while (Start(o, x + 1) <= d) ++x;
    return x;
}

const CCaptionMask::Glyph& CCaptionMask::GlyphFor(const QRawFont& font, quint32 index) {
    // Fonts are told apart by their engine (QRawFont equality); asking a fallback font for its
    // names is not safe when no installed font covers the characters.
    auto fontIt = std::find_if(m_glyphs.begin(), m_glyphs.end(),
                               [&](const auto& entry) { return entry.first == font; });
    if (fontIt == m_glyphs.end()) fontIt = m_glyphs.insert(m_glyphs.end(), {font, {}});
    auto& glyphs = fontIt->second;
    if (auto it = glyphs.find(index); it != glyphs.end()) return it->second;
    Glyph g;
    const QImage img = font.alphaMapForGlyph(index, QRawFont::PixelAntialiasing);
    if (!img.isNull()) {
        const QRectF box = font.boundingRect(index);
        g.dx = int(std::floor(box.x() + 0.5));
        g.dy = int(std::floor(box.y() + 0.5));
        g.width = img.width();
        g.height = img.height();
        g.coverage.resize(size_t(g.width) * g.height);
        const QImage::Format fmt = img.format();
        if (fmt == QImage::Format_Alpha8 || fmt == QImage::Format_Grayscale8 ||
            fmt == QImage::Format_Indexed8) {
            for (int y = 0; y < g.height; ++y)
                std::memcpy(g.coverage.data() + size_t(y) * g.width, img.constScanLine(y),
                            size_t(g.width));
        } else {
            const QImage a =
                img.convertToFormat(fmt == QImage::Format_Mono || fmt == QImage::Format_MonoLSB
                                        ? QImage::Format_Grayscale8
                                        : QImage::Format_Alpha8);
            for (int y = 0; y < g.height; ++y)
                std::memcpy(g.coverage.data() + size_t(y) * g.width, a.constScanLine(y),
                            size_t(g.width));
        }
    }
    ++m_glyphCount;
    m_glyphBytes += g.coverage.size();
    return glyphs.emplace(index, std::move(g)).first->second;
}

void CCaptionMask::ClearGlyphCache() {
    m_glyphs.clear();
    m_glyphCount = 0;
    m_glyphBytes = 0;
}

QImage CCaptionMask::Coverage() const {
    if (m_width <= 0 || m_height <= 0) return {};
    return QImage(m_base.data(), m_width, m_height, m_stride, QImage::Format_Alpha8);
}

QImage CCaptionMask::Ink() const {
    if (m_inkWidth <= 0 || m_inkHeight <= 0) return {};
    return QImage(m_ink.data(), m_inkWidth, m_inkHeight, m_inkStride, QImage::Format_Alpha8);
}

QRegion CCaptionMask::Build(const caption_layout::Layout& layout, const QFont& font,
                            const CaptionDeviceGrid& grid) {
    m_rects.clear();
    m_rectCount = 0;
    m_width = m_height = 0;
    m_inkWidth = m_inkHeight = 0;
    if (layout.Empty() || layout.scanRows <= 0 || layout.scanColumns <= 0) return {};

    // Device glyphs grow with the square of the ratio, so the cache is bounded in bytes too.
    if (const QString key = font.key(); key != m_cacheFont || m_glyphCount > kMaxCachedGlyphs ||
                                        m_glyphBytes > kMaxCachedGlyphBytes) {
        ClearGlyphCache();
        m_cacheFont = key;
    }

    // Everything below is in device pixels of the caption block until the logical shape is made.
    const std::vector<caption_layout::InkOffset> offsets = DeviceOffsets(layout.offsets, grid);
    int reachBefore = grid.Scale(kReachBefore), reachAfter = grid.Scale(kReachAfter);
    for (const auto& o : offsets) {
        reachBefore = std::max({reachBefore, -o.dx, -o.dy});
        reachAfter = std::max({reachAfter, o.dx, o.dy});
    }
    const int cols = grid.StartX(layout.scanColumns);
    const int scanRows = grid.StartY(layout.scanRows);

    // Shape the lines and place their glyphs; the base image covers the block rows
    // -reachAfter .. scanRows and the columns -reachAfter .. cols so that every copy read for
    // the scanned mask lies inside it.
    const int rowLimit = scanRows + reachBefore;
    const QFontMetrics metrics(font);
    std::vector<Placed> placed;
    int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
    for (const auto& line : layout.lines) {
        const int lineTop = grid.StartY(line.top);
        if (lineTop >= rowLimit) break;  // below the scanned rows
        const QString text = QString::fromUtf8(line.text.data(), qsizetype(line.text.size()));
        QTextLayout tl(text, font);
        tl.setCacheEnabled(false);
        tl.beginLayout();
        QTextLine tline = tl.createLine();
        if (tline.isValid()) tline.setLineWidth(1e7);
        tl.endLayout();
        // The line's width was measured in logical pixels; the device font measures its own.
        const int width = grid.Identity() ? line.width : metrics.horizontalAdvance(text);
        const int x0 = grid.StartX(layout.centreX) - width / 2;
        for (const QGlyphRun& run : tl.glyphRuns()) {
            QRawFont raw = run.rawFont();
            QList<quint32> indexes = run.glyphIndexes();
            if (!raw.isValid()) {
                // No usable font for these characters: the caption font's missing-glyph box.
                raw = QRawFont::fromFont(font);
                if (!raw.isValid()) continue;
                indexes.fill(0);
            }
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
                const Glyph& g = GlyphFor(raw, indexes[i]);
                if (g.width <= 0 || g.height <= 0) continue;
                const int x = x0 + int(std::lround(positions[i].x())) + g.dx;
                const int y = lineTop + int(std::lround(positions[i].y())) + g.dy;
                placed.push_back({&g, x, y});
                left = std::min(left, x);
                right = std::max(right, x + g.width);
                top = std::min(top, y);
                bottom = std::max(bottom, y + g.height);
            }
        }
    }
    left = std::max(left, -reachAfter);
    right = std::min(right, cols + reachBefore);
    top = std::max(top, -reachAfter);
    bottom = std::min(bottom, rowLimit);
    if (placed.empty() || right <= left || bottom <= top) return {};

    m_left = left;
    m_top = top;
    m_width = right - left;
    m_height = bottom - top;
    m_stride = (m_width + 3) & ~3;
    m_base.assign(size_t(m_stride) * m_height, 0);
    for (const Placed& p : placed) {
        const Glyph& g = *static_cast<const Glyph*>(p.glyph);
        const int gx0 = std::max(0, left - p.x), gx1 = std::min(g.width, right - p.x);
        const int gy0 = std::max(0, top - p.y), gy1 = std::min(g.height, bottom - p.y);
        for (int gy = gy0; gy < gy1; ++gy) {
            uint8_t* dst = m_base.data() + size_t(p.y + gy - top) * m_stride + (p.x - left);
            const uint8_t* src = g.coverage.data() + size_t(gy) * g.width;
            if (gx1 > gx0) MaxBytes(dst + gx0, src + gx0, gx1 - gx0);
        }
    }

    // Ink box: the base box widened by the copies' reach, inside the scanned area.
    const int maskLeft = std::max(left - reachBefore, 0);
    const int maskRight = std::min(right + reachAfter, cols);
    const int maskTop = std::max(top - reachBefore, 0);
    const int maskBottom = std::min(bottom + reachAfter, scanRows);
    const int maskWidth = maskRight - maskLeft;
    if (maskWidth <= 0 || maskBottom <= maskTop) return {};
    m_inkOrigin = {maskLeft, maskTop};
    m_inkWidth = maskWidth;
    m_inkHeight = maskBottom - maskTop;
    m_inkStride = (maskWidth + 7) & ~7;
    m_ink.assign(size_t(m_inkStride) * m_inkHeight, 0);
    std::vector<bool> inked(size_t(m_inkHeight), false);
    for (int y = maskTop; y < maskBottom; ++y) {
        uint8_t* row = m_ink.data() + size_t(y - maskTop) * m_inkStride;
        for (const auto& o : offsets) {
            // Ink pixel (x, y) takes the base pixel (x - dx, y - dy).
            const int by = y - o.dy - top;
            if (by < 0 || by >= m_height) continue;
            const uint8_t* src = m_base.data() + size_t(by) * m_stride;
            const int x0 = std::max(maskLeft, left + o.dx);
            const int x1 = std::min(maskRight, left + o.dx + m_width);
            if (x1 <= x0) continue;
            OrBytes(row + (x0 - maskLeft), src + (x0 - o.dx - left), x1 - x0);
            inked[size_t(y - maskTop)] = true;
        }
    }

    // The logical shape: every run of a logical row whose device pixels hold ink becomes a
    // rectangle one pixel high.
    m_rects.reserve(4096);
    QRegion region;
    size_t flushed = 0;
    auto flush = [&](size_t upTo) {
        while (flushed < upTo) {
            const size_t n = std::min<size_t>(kBatch, upTo - flushed);
            QRegion batch;
            batch.setRects(m_rects.data() + flushed, int(n));
            region = region.isEmpty() ? batch : region.united(batch);
            flushed += n;
        }
    };
    const int logicalLeft = grid.LogicalX(maskLeft);
    const int logicalRight = grid.LogicalX(maskRight - 1) + 1;
    std::vector<uint8_t> device(grid.Identity() ? 0 : size_t(m_inkStride));
    m_row.resize(size_t(logicalRight - logicalLeft));
    for (int ly = grid.LogicalY(maskTop); ly <= grid.LogicalY(maskBottom - 1); ++ly) {
        const int y0 = std::max(grid.StartY(ly), maskTop);
        const int y1 = std::min(grid.StartY(ly + 1), maskBottom);
        if (grid.Identity()) {
            if (inked[size_t(y0 - maskTop)])
                AppendRuns(m_ink.data() + size_t(y0 - maskTop) * m_inkStride, maskWidth, maskLeft,
                           ly, m_rects);
        } else {
            std::fill(device.begin(), device.end(), 0);
            bool any = false;
            for (int y = y0; y < y1; ++y) {
                if (!inked[size_t(y - maskTop)]) continue;
                OrBytes(device.data(), m_ink.data() + size_t(y - maskTop) * m_inkStride, maskWidth);
                any = true;
            }
            if (any) {
                for (int lx = logicalLeft; lx < logicalRight; ++lx) {
                    const int x0 = std::max(grid.StartX(lx), maskLeft) - maskLeft;
                    const int x1 = std::min(grid.StartX(lx + 1), maskRight) - maskLeft;
                    uint8_t v = 0;
                    for (int x = x0; x < x1; ++x) v |= device[size_t(x)];
                    m_row[size_t(lx - logicalLeft)] = v;
                }
                AppendRuns(m_row.data(), int(m_row.size()), logicalLeft, ly, m_rects);
            }
        }
        const size_t pending = m_rects.size() - flushed;
        if (pending >= size_t(kBatch)) flush(flushed + pending / kBatch * kBatch);
    }
    flush(m_rects.size());
    m_rectCount = int(m_rects.size());
    return region;
}
