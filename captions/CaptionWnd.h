#pragma once
// The caption window: a child widget of the frame's content area laid over the caption area,
// shaped (setMask) to exactly the pixels of the caption's letters and their fringe, so that the
// picture shows through everywhere else. It is transparent for mouse events. Inside its shape it
// paints the letters in the text colour and every other pixel in the outline colour.
//
// Device pixels: the layout (font cell, line pitch, caption area, line positions, line breaks)
// is in logical pixels; the letters are cut with a second font for the cell height times the
// device pixel ratio and drawn, with their ink copies, in device pixels (CCaptionMask). A widget
// shape can only be given in logical pixels, so at a ratio other than 1 the shape is the logical
// cover of the device ink, and the device pixels inside it without ink are left transparent:
// the window is not opaque, so the picture beneath is painted there first and shows through.
// At ratio 1 the shape is exactly the ink and every pixel inside it is painted, as before. The
// painted image is made once per caption, style and size; a repaint (the picture beneath
// repaints every frame) only copies it.
//
// How the frame drives it:
//   - at start-up: caption_font::RegisterSubstitutes() once (before any caption font is made);
//   - SetStyle() after loading the settings and when the settings dialog applies; a changed face
//     or effect needs RebuildFont() and LayoutCaption() afterwards, a colour change only repaints;
//   - PlaceChildren: RebuildFont(content width, natural size) gives the line pitch for the
//     caption area; PlaceOver(caption area, picture height); then LayoutCaption() again;
//   - each parsed fragment: LayoutCaption(captionText, lineEnds), only while a medium with a
//     picture is open (open state 6 and not sound only); otherwise nothing is laid out;
//   - raise/lower caption: SetPosition() then LayoutCaption();
//   - ResetToEmpty, medium closed, Error event: HideCaption().

#include "captions/CaptionLayout.h"
#include "captions/CaptionMask.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <span>
#include <string_view>

namespace caption_font {

// Registers the substitutes that make the caption faces work here: "굴림" -> Baekmuk Gulim,
// NanumGothic; "바탕체" -> Baekmuk Batang, NanumMyeongjo. Call once at start-up.
void RegisterSubstitutes();

// Bold caption font of the face whose line height (ascent + descent) is cellHeight pixels (the
// largest pixel size that does not exceed it). Antialiased, without subpixel rendering, so the
// mask and the painted letters cover the same pixels.
QFont Make(const QString& face, int cellHeight);

}  // namespace caption_font

// Caption style record; colours are 0x00BBGGRR (red in the low byte).
struct CaptionStyle {
    QString face = QStringLiteral("굴림");
    int sizeRatio = 36;
    uint32_t textColour = 0x00FFFF;  // yellow
    uint32_t outlineColour = 0x000000;
    int effect = 0;  // caption_layout::Effect bits
    int position = 6;
    int extraLines = 0;
};

// 0x00BBGGRR to QColor.
QColor ColourFromBgr(uint32_t bgr);

class CCaptionWnd : public QWidget {
    Q_OBJECT
  public:
    explicit CCaptionWnd(QWidget* parent = nullptr);

    void SetStyle(const CaptionStyle& style);  // repaints; no new layout
    const CaptionStyle& Style() const { return m_style; }
    void SetColours(uint32_t textColour, uint32_t outlineColour);  // repaints only
    void SetPosition(int position);                                // clamped to 0..60
    void SetExtraLines(int extraLines);
    void SetSizeRatio(int sizeRatio);

    // Font computation: Hf and Sp from the content width, the natural size and the size ratio;
    // recreates the caption font (logical, for measuring the lines) and the device font.
    // Returns the metrics (their Pitch() is the caption line pitch).
    caption_layout::FontMetrics RebuildFont(int contentWidth, int naturalWidth, int naturalHeight);
    caption_layout::FontMetrics Metrics() const { return m_metrics; }
    const QFont& CaptionFont() const { return m_font; }

    // Puts the window over the caption area (parent coordinates); the picture height places the
    // single pixel of the hidden shape. Does not lay out again.
    void PlaceOver(const QRect& captionArea, int pictureHeight);

    // Lays out the parse result, draws the mask and sets the new shape. Returns true when a
    // caption is shown; false leaves it hidden (spaces only, no area, no font).
    bool LayoutCaption(std::string_view captionText, std::span<const int32_t> lineEnds);

    // Hides the caption: no display lines, the shape shrinks to a single pixel.
    void HideCaption();

    bool IsShowingCaption() const { return !m_layout.Empty(); }
    const caption_layout::Layout& CurrentLayout() const { return m_layout; }
    const QRegion& Shape() const { return m_shape; }  // caption-window coordinates
    int ShapeRectCount() const { return m_mask.RectCount(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRegion HiddenShape() const;
    // Draws the current layout's mask in device pixels for the window's place and ratio, and
    // sets the shape. False when nothing is inked.
    bool Reshape();
    void BuildLetters();
    QFont DeviceFont() const;

    CaptionStyle m_style;
    caption_layout::FontMetrics m_metrics;
    QFont m_font;        // logical: line breaking and widths
    QFont m_deviceFont;  // the cell height times m_fontRatio: the letters
    double m_fontRatio = 1;
    int m_pictureHeight = 0;
    caption_layout::Layout m_layout;
    CCaptionMask m_mask;
    // The caption on screen: its shape, the coverage of its letters and its ink (copies taken
    // together with the shape, so all belong to the same caption, in device pixels) and the
    // painted image: the ink in the outline colour under the letters in the text colour.
    QRegion m_shape;
    CaptionDeviceGrid m_grid;  // the grid the caption was drawn for
    QImage m_coverage;
    QPoint m_coverageOrigin;
    QImage m_ink;
    QPoint m_imageAt;  // device position of m_ink and m_image in the window
    QImage m_image;
    QPoint m_drawnAt;  // the window's place in the top-level window when it was drawn
    bool m_reshapeQueued = false;
};
