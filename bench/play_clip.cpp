// Plays one file in the media window at the clip's own size and exits at its end (or after the
// first frame with --first-frame). Prints, on standard output:
//   first_frame_ms <milliseconds from process start to the first frame rendered>
//   dropped <frames dropped by the player>
//   frames <frames rendered>
//   video_path <gl or sw: the surface that rendered>
// --video gl|sw picks the video surface (as VELMORA_VIDEO does) instead of the automatic choice.
// Used by bench/compare-mpv.sh.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <clocale>
#include <cstdio>

#include "playback/GlVideoSurface.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"
#include "playback/MpvHandle.h"
#include "playback/VideoSurface.h"

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const bool trace = qEnvironmentVariableIsSet("PLAY_CLIP_TRACE");
    auto mark = [&](const char* what) {
        if (trace) std::fprintf(stderr, "%6lld ms %s\n", (long long)sinceStart.elapsed(), what);
    };
    mark("application");

    QString file;
    bool firstFrameOnly = false;
    int x = 0, y = 0, w = 1280, h = 720;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--first-frame")
            firstFrameOnly = true;
        else if (args[i] == "--video" && i + 1 < args.size())
            qputenv("VELMORA_VIDEO", args[++i].toUtf8());
        else if (args[i] == "--window" && i + 1 < args.size())
            std::sscanf(args[++i].toUtf8().constData(), "%dx%d+%d+%d", &w, &h, &x, &y);
        else
            file = args[i];
    }
    if (file.isEmpty()) {
        std::fprintf(stderr,
                     "usage: play_clip [--first-frame] [--video gl|sw] [--window WxH+X+Y] FILE\n");
        return 2;
    }

    QWidget window;
    window.setWindowTitle("play_clip");
    window.setGeometry(x, y, w, h);
    CMediaPlayer2 player(&window);
    mark("player");
    const bool gl = dynamic_cast<CGlVideoSurface*>(player.MediaWindow()->Surface()) != nullptr;
    std::printf("video_path %s\n", gl ? "gl" : "sw");
    QObject::connect(&player, &CMediaPlayer2::OpenStateChange, &app, [&](long, long n) {
        mark(n == 6 ? "open 6" : n == 5 ? "open 5" : "open 0");
    });
    player.MediaWindow()->setGeometry(0, 0, w, h);
    // The load goes out before the window is shown, so mpv opens the file meanwhile.
    player.SetFileName(file);
    window.show();
    mark("shown");

    bool firstSeen = false;
    QObject::connect(player.Handle(), &CMpvHandle::FrameReady, &app, [&] {
        if (firstSeen || player.MediaWindow()->Surface()->FramesRendered() == 0) return;
        firstSeen = true;
        std::printf("first_frame_ms %lld\n", static_cast<long long>(sinceStart.elapsed()));
        std::fflush(stdout);
        if (firstFrameOnly) app.quit();
    });
    auto finish = [&] {
        QObject::connect(player.Handle(), &CMpvHandle::PropertyReply, &app,
                         [&](quint64 tag, const QString&, const QVariant& v) {
                             if (tag != 77) return;
                             std::printf("dropped %lld\nframes %lld\n", v.toLongLong(),
                                         player.MediaWindow()->Surface()->FramesRendered());
                             app.quit();
                         });
        player.Handle()->GetAsync("frame-drop-count", CMpvHandle::Format::Int64, 77);
    };
    QObject::connect(&player, &CMediaPlayer2::EndOfStream, &app, finish);
    QObject::connect(&player, &CMediaPlayer2::Error, &app, [&] {
        std::fprintf(stderr, "play_clip: cannot play %s\n", qPrintable(file));
        app.exit(1);
    });
    QTimer::singleShot(120000, &app, [&] { app.exit(3); });  // never hang a benchmark run
    return app.exec();
}
