#pragma once
// A button face: a bitmap drawn with one key colour left transparent.

#include <QColor>
#include <QImage>

class QPainter;

class CTransparentBitmap {
  public:
    static constexpr QRgb kMagenta = 0xFFFF00FF;

    // Loads the face with the given bitmap id from the application's resources. False (and an
    // empty face) when there is no such bitmap.
    bool LoadBitmap(int bitmapId);
    // Takes an image directly (tests, generated faces).
    void SetImage(const QImage& image);

    bool IsNull() const { return m_image.isNull(); }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    const QImage& Image() const { return m_image; }

    // Draws the bitmap with its top-left corner at (x, y): every pixel exactly equal to the key
    // colour leaves the destination unchanged, every other pixel is copied. An empty bitmap draws
    // nothing.
    void DrawTransparent(QPainter& painter, int x, int y, QRgb key = kMagenta) const;

  private:
    QImage m_image;          // opaque RGB
    mutable QImage m_keyed;  // m_image with the key colour made transparent
    mutable QRgb m_keyedFor = 0;
};
