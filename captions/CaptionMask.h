#pragma once
// Off-screen mask of a caption and the window shape made from it.
//
// The display lines are shaped once and their glyphs copied, from a cache of glyph coverage
// bitmaps, into an 8-bit coverage image that covers only the caption's bounding box. The ink
// copies (the +1/+1 fringe, the outline and the shadow) are then OR-ed in row by row from that one
// drawing, and every run of non-zero pixels of a row becomes a rectangle one pixel high. Any
// non-zero coverage counts as ink. The caption window paints its letters from the same coverage
// image, so every pixel of the letters lies inside the shape.
//
// Glyphs come from the font engine's own rasteriser and are kept per font and glyph: large
// caption fonts would otherwise be filled as outlines on every drawing.

#include "captions/CaptionLayout.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRawFont>
#include <QRect>
#include <QRegion>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

class CCaptionMask {
  public:
    // Rectangles handed to the region maker at a time; the batches are united into one region.
    static constexpr int kBatch = 2000;

    // Draws the layout's display lines with font and returns the shape in caption-block
    // coordinates (row 0 is the top of the first display line; move it down by the layout's
    // offsetY for caption-window coordinates). Only rows 0..scanRows-1 and columns
    // 0..scanColumns-1 take part. An empty layout gives an empty region.
    QRegion Build(const caption_layout::Layout& layout, const QFont& font);

    // Coverage of the letters of the last Build (Format_Alpha8, without the ink copies) and the
    // caption-block position of its top-left pixel.
    QImage Coverage() const;
    QPoint CoverageOrigin() const { return {m_left, m_top}; }

    // Forgets the rasterised glyphs (Build also does so when the font changes).
    void ClearGlyphCache();

    // Number of one-row rectangles of the last Build.
    int RectCount() const { return m_rectCount; }

  private:
    struct Glyph {
        std::vector<uint8_t> coverage;  // width x height bytes
        int width = 0;
        int height = 0;
        int dx = 0;  // top-left relative to the pen position on the baseline
        int dy = 0;
    };
    const Glyph& GlyphFor(const QRawFont& font, quint32 index);

    // font -> glyph index -> coverage; node-based so references stay valid while filling
    std::list<std::pair<QRawFont, std::unordered_map<quint32, Glyph>>> m_glyphs;
    int m_glyphCount = 0;
    QString m_cacheFont;          // the caption font the cache belongs to
    std::vector<uint8_t> m_base;  // coverage of the lines drawn once, bounding box only
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0, m_stride = 0;
    std::vector<uint8_t> m_row;  // one row of the mask with all ink copies
    std::vector<QRect> m_rects;
    int m_rectCount = 0;
};
