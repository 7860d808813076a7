#include <QApplication>
#include <QIcon>
#include <clocale>

#include "app/PlayerApp.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmora");
    QApplication::setOrganizationName("Velmora");
    QApplication::setDesktopFileName("velmora");
    QApplication::setWindowIcon(QIcon(":/icons/velmora.png"));
    std::setlocale(LC_NUMERIC, "C");  // libmpv refuses to start under another numeric locale

    CPlayerApp player;
    // Ends at once after a hand-over, or when no window could be made.
    if (!player.InitInstance(QApplication::arguments().mid(1))) return player.ExitCode();
    return QApplication::exec();
}
