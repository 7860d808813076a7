#include <QApplication>
#include <QIcon>
#include <clocale>

#include "app/PlayerApp.h"
#include "app/StartupTrace.h"
#include "playback/MediaPlayer2.h"
#include "playback/MpvLibrary.h"

int main(int argc, char** argv) {
    startup_trace::Mark("main");
    QApplication app(argc, argv);
    startup_trace::Mark("application made");
    QApplication::setApplicationName("Velmora");
    QApplication::setOrganizationName("Velmora");
    QApplication::setDesktopFileName("velmora");
    QApplication::setWindowIcon(QIcon(":/icons/velmora.png"));
    std::setlocale(LC_NUMERIC, "C");  // libmpv refuses to start under another numeric locale
    // The player core loads and starts on a worker thread while the window is being made, and
    // begins to open the command line's file when it can.
    const QStringList arguments = QApplication::arguments().mid(1);
    const mpv_library::EarlyStart mpvStart(CMediaPlayer2::DefaultAudioOutput().toUtf8(),
                                           CPlayerApp::StartLoadPath(arguments).toUtf8());

    startup_trace::Mark("icon set");
    CPlayerApp player;
    // Ends at once after a hand-over, or when no window could be made.
    if (!player.InitInstance(arguments)) return player.ExitCode();
    return QApplication::exec();
}
