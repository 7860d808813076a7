#pragma once
// Dialog templates are laid out in dialog units; these are their pixels at base units 6 x 13.

#include <QFont>
#include <QRect>

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

}  // namespace velmora::dialogs
