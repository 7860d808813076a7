#include <QApplication>
#include <clocale>

#include "app/PlayerApp.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmora");
    QApplication::setOrganizationName("Velmora");
    QApplication::setDesktopFileName("velmora");
    std::setlocale(LC_NUMERIC, "C");  // libmpv refuses to start under another numeric locale

    CPlayerApp player;
    // Ends at once after a hand-over (0), or when the window could not be made (1).
    if (!player.InitInstance(QApplication::arguments().mid(1))) return player.MainFrame() ? 1 : 0;
    return QApplication::exec();
}
