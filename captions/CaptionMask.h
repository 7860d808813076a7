#pragma once
// Off-screen mask of a caption and the window shape made from it.
//
// The display lines are drawn once, in white, into an 8-bit coverage image that only covers the
// caption's bounding box; the ink copies (the +1/+1 fringe, the outline and the shadow) are then
// OR-ed in row by row from that one drawing, and every run of non-zero pixels of a row becomes a
// rectangle one pixel high. Any non-zero coverage counts as ink, so every pixel the antialiased
// letters touch lies inside the shape.

#include "captions/CaptionLayout.h"

#include <QFont>
#include <QRect>
#include <QRegion>
#include <cstdint>
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

    // Number of one-row rectangles of the last Build.
    int RectCount() const { return m_rectCount; }

  private:
    std::vector<uint8_t> m_base;  // coverage of the lines drawn once, bounding box only
    std::vector<uint8_t> m_row;   // one row of the mask with all ink copies
    std::vector<QRect> m_rects;
    int m_rectCount = 0;
};
