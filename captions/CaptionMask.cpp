#include "captions/CaptionMask.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Copies ink copies can reach around the drawn letters: one pixel up and left (outline), four
// down and right (shadow).
constexpr int kReachBefore = 1;
constexpr int kReachAfter = 4;

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

}  // namespace

QRegion CCaptionMask::Build(const caption_layout::Layout& layout, const QFont& font) {
    m_rects.clear();
    m_rectCount = 0;
    if (layout.Empty() || layout.scanRows <= 0 || layout.scanColumns <= 0) return {};

    const QFontMetrics fm(font);
    const int ascent = fm.ascent();
    // Letters may reach past their advance (bold overhang, bearings).
    const int overhang =
        std::max({fm.height() / 4, -fm.minLeftBearing(), -fm.minRightBearing()}) + 1;

    // Bounding box of the drawn lines (base image), limited to what the scanned mask can use.
    int left = INT_MAX, right = INT_MIN;
    for (const auto& line : layout.lines) {
        const int x = layout.centreX - line.width / 2;
        left = std::min(left, x - overhang);
        right = std::max(right, x + line.width + overhang);
    }
    const int cols = layout.scanColumns;
    left = std::max(left, -kReachAfter);
    right = std::min(right, cols + kReachBefore);
    if (right <= left) return {};
    // Base rows: block rows -kReachAfter .. scanRows (inclusive) so every copy can be read.
    const int baseTop = -kReachAfter;
    const int baseRows = layout.scanRows + kReachAfter + kReachBefore;
    const int baseWidth = right - left;
    const int stride = (baseWidth + 3) & ~3;
    m_base.assign(static_cast<size_t>(stride) * baseRows, 0);

    {
        QImage image(m_base.data(), baseWidth, baseRows, stride, QImage::Format_Alpha8);
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::white);
        for (const auto& line : layout.lines) {
            if (line.top - baseTop >= baseRows) break;  // below the scanned rows
            if (line.top + fm.height() - baseTop < 0) continue;
            const int x = layout.centreX - line.width / 2 - left;
            const int y = line.top - baseTop + ascent;
            p.drawText(QPoint(x, y), QString::fromUtf8(line.text.data(),
                                                       static_cast<qsizetype>(line.text.size())));
        }
    }

    // Mask columns: the base box widened by the copies' reach, inside the scanned columns.
    const int maskLeft = std::max(left - kReachBefore, 0);
    const int maskRight = std::min(right + kReachAfter, cols);
    const int maskWidth = maskRight - maskLeft;
    if (maskWidth <= 0) return {};
    m_row.resize(static_cast<size_t>(maskWidth));
    const auto offsets = layout.offsets.Span();

    m_rects.reserve(4096);
    QRegion region;
    size_t flushed = 0;
    auto flush = [&](size_t upTo) {
        while (flushed < upTo) {
            const size_t n = std::min<size_t>(kBatch, upTo - flushed);
            QRegion batch;
            batch.setRects(m_rects.data() + flushed, static_cast<int>(n));
            region = region.isEmpty() ? batch : region.united(batch);
            flushed += n;
        }
    };

    for (int y = 0; y < layout.scanRows; ++y) {
        uint8_t* row = m_row.data();
        std::memset(row, 0, m_row.size());
        bool any = false;
        for (const auto& o : offsets) {
            // Mask pixel (x, y) takes the base pixel (x - dx, y - dy).
            const int by = y - o.dy - baseTop;
            if (by < 0 || by >= baseRows) continue;
            const uint8_t* src = m_base.data() + static_cast<size_t>(by) * stride;
            // Mask columns x with base column x - dx - left inside 0..baseWidth-1.
            const int x0 = std::max(maskLeft, left + o.dx);
            const int x1 = std::min(maskRight, left + o.dx + baseWidth);
            if (x1 <= x0) continue;
            uint8_t* dst = row + (x0 - maskLeft);
            const uint8_t* s = src + (x0 - o.dx - left);
            for (int i = 0, n = x1 - x0; i < n; ++i) dst[i] |= s[i];
            any = true;
        }
        if (any) AppendRuns(row, maskWidth, maskLeft, y, m_rects);
        const size_t pending = m_rects.size() - flushed;
        if (pending >= static_cast<size_t>(kBatch)) flush(flushed + pending / kBatch * kBatch);
    }
    flush(m_rects.size());
    m_rectCount = static_cast<int>(m_rects.size());
    return region;
}
