#include "controls/TransparentBitmap.h"

#include <QPainter>
#include <QString>

// The artwork lives in a resource file compiled into a static library; referencing its
// initialiser keeps the linker from dropping it.
static void InitControlArt() {
    static const bool once = [] {
        Q_INIT_RESOURCE(controls);
        return true;
    }();
    (void)once;
}

bool CTransparentBitmap::LoadBitmap(int bitmapId) {
    InitControlArt();
    QImage image(QStringLiteral(":/controls/%1.png").arg(bitmapId));
    SetImage(image);
    return !m_image.isNull();
}

void CTransparentBitmap::SetImage(const QImage& image) {
    m_image = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    m_keyed = QImage();
}

void CTransparentBitmap::DrawTransparent(QPainter& painter, int x, int y, QRgb key) const {
    if (m_image.isNull()) return;
    const QRgb wanted = key | 0xFF000000u;
    if (m_keyed.isNull() || m_keyedFor != wanted) {
        m_keyed = m_image.convertToFormat(QImage::Format_ARGB32);
        for (int row = 0; row < m_keyed.height(); ++row) {
            auto* line = reinterpret_cast<QRgb*>(m_keyed.scanLine(row));
            for (int col = 0; col < m_keyed.width(); ++col)
                if ((line[col] | 0xFF000000u) == wanted) line[col] = 0;
        }
        m_keyedFor = wanted;
    }
    painter.drawImage(x, y, m_keyed);
}
