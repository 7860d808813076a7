#pragma once
// Dialog templates are laid out in dialog units; these are their pixels at base units 6 x 13.

#include <QFont>
#include <QLabel>
#include <QRect>
#include <algorithm>

namespace velmora::dialogs {

constexpr int DuX(int du) {
    return du * 6 / 4;
}
constexpr int DuY(int du) {
    return du * 13 / 8;
}
inline QRect DuRect(int x, int y, int width, int height) {
    return QRect(DuX(x), DuY(y), DuX(width), DuY(height));
}
// The templates' font.
inline QFont TemplateFont() {
    return QFont(QStringLiteral("굴림"), 9);
}

// Puts a text where the template has it. A font wider than the template's widens the text's box
// to the right (as far as the dialog reaches) instead of cutting the text off.
inline void PlaceText(QLabel* label, const QRect& place) {
    const int room = label->parentWidget() ? label->parentWidget()->width() - place.x() : 0;
    const int width = std::max(place.width(), std::min(label->sizeHint().width(), room));
    label->setGeometry(place.x(), place.y(), width, place.height());
}

}  // namespace velmora::dialogs
