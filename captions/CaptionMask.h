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
//
// Device pixels: the layout is in logical pixels, but the letters are drawn in device pixels
// (the font handed in is the caption font for the device cell height, see CaptionDeviceGrid).
// Line tops and the centre are mapped onto the device grid, the ink copies are scaled with the
// ratio, and the coverage and ink images are in device pixels. The window shape, a QRegion in
// logical pixels, is the logical cover of the device ink: every logical pixel whose device pixels
// hold any ink. At ratio 1 the two grids are one and the shape is exactly the ink.

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

// How logical pixels of a caption block map onto device pixels. origin is the block's top-left
// pixel in the coordinates of the top-level window whose backing store is painted: Qt maps a
// widget's clip region there with rounding, so logical x covers the device columns
// Start(x) .. Start(x + 1) - 1, counted from the device column where the block begins, with
// Start(x) = round(ratio x (origin + x)) - round(ratio x origin). The same holds for rows.
struct CaptionDeviceGrid {
    double ratio = 1;
    QPoint origin;
    bool Identity() const { return ratio == 1; }
    int StartX(int x) const { return Start(origin.x(), x); }
    int StartY(int y) const { return Start(origin.y(), y); }
    // The logical column (row) whose device columns (rows) hold the device column (row) d.
    int LogicalX(int d) const { return Logical(origin.x(), d); }
    int LogicalY(int d) const { return Logical(origin.y(), d); }
    // Device length of n logical pixels for effect offsets: round(n x ratio), away from zero.
    int Scale(int n) const;

  private:
    int Start(int o, int x) const;
    int Logical(int o, int d) const;
};

class CCaptionMask {
  public:
    // Rectangles handed to the region maker at a time; the batches are united into one region.
    static constexpr int kBatch = 2000;
    // Bytes of rasterised glyphs kept before the cache starts again.
    static constexpr size_t kMaxCachedGlyphBytes = size_t(32) << 20;

    // Draws the layout's display lines with font (the device font when the grid is not the
    // identity) and returns the shape in logical caption-block coordinates (row 0 is the top of
    // the first display line; move it down by the layout's offsetY for caption-window
    // coordinates). Only rows 0..scanRows-1 and columns 0..scanColumns-1 take part. An empty
    // layout gives an empty region.
    QRegion Build(const caption_layout::Layout& layout, const QFont& font,
                  const CaptionDeviceGrid& grid = {});

    // Coverage of the letters of the last Build (Format_Alpha8, without the ink copies) and the
    // device caption-block position of its top-left pixel.
    QImage Coverage() const;
    QPoint CoverageOrigin() const { return {m_left, m_top}; }
    // Ink of the last Build (Format_Alpha8, non-zero where the letters or a copy of them lie,
    // inside the scanned area) and its device caption-block position.
    QImage Ink() const;
    QPoint InkOrigin() const { return m_inkOrigin; }

    // Forgets the rasterised glyphs (Build also does so when the font changes).
    void ClearGlyphCache();

    // Bytes of the rasterised glyphs kept.
    size_t CachedGlyphBytes() const { return m_glyphBytes; }

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
    size_t m_glyphBytes = 0;
    QString m_cacheFont;          // the caption font the cache belongs to
    std::vector<uint8_t> m_base;  // coverage of the lines drawn once, bounding box only
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0, m_stride = 0;
    std::vector<uint8_t> m_ink;  // the mask with all ink copies, device pixels
    QPoint m_inkOrigin;
    int m_inkWidth = 0, m_inkHeight = 0, m_inkStride = 0;
    std::vector<uint8_t> m_row;  // logical rows made from the device ink
    std::vector<QRect> m_rects;
    int m_rectCount = 0;
};
