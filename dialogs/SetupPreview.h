#pragma once
// The settings dialog's preview: a sample text in the chosen caption style over a dark sample
// picture, drawn the way the caption window draws a caption. The same bold caption font, the same
// ink copies (outline, shadow and the +1/+1 fringe) made into a shape by CCaptionMask, the shape
// filled in the outline colour and the letters laid over it in the text colour.

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <cstdint>

#include "captions/CaptionMask.h"

class CSetupPreview : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kSampleText = "ABCdef1234테스트";
    // Character-cell height of the sample letters, kept inside the preview's height.
    static constexpr int kCellHeight = 30;

    explicit CSetupPreview(QWidget* parent = nullptr);

    // Repaints at once with the new style; colours are 0x00BBGGRR, effect the caption effect bits.
    void SetStyle(const QString& face, uint32_t textColour, uint32_t effectColour, int effect);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Rebuild();

    QString m_face;
    uint32_t m_textColour = 0;
    uint32_t m_effectColour = 0;
    int m_effect = 0;
    CCaptionMask m_mask;
    QRegion m_shape;  // preview coordinates
    QImage m_letters;
    QPoint m_lettersAt;
    QImage m_picture;
};
