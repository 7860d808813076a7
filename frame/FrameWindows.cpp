#include "frame/FrameWindows.h"

namespace {

void Fill(QWidget* w, const QColor& colour) {
    w->setAutoFillBackground(true);
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, colour);
    w->setPalette(palette);
}

}  // namespace

CSurroundWnd::CSurroundWnd(QWidget* parent) : QWidget(parent) {
    Fill(this, Qt::black);
    // Clicks on the black band act on the window beneath, as on the picture.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

CCornerWnd::CCornerWnd(QWidget* parent) : QWidget(parent) {
    Fill(this, QColor(50, 50, 50));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(1, 1);
}
