#include "tests/support/TestEnv.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace testenv {

QString DataDir() {
    QString dir = qEnvironmentVariable("VELMORA_TEST_DATA");
    if (dir.isEmpty()) dir = QDir::tempPath() + "/velmora-test-data";
    QDir().mkpath(dir);
    return dir;
}

QString MakeClip(const QString& name, const QStringList& ffmpegArgs) {
    const QString path = DataDir() + "/" + name;
    if (QFileInfo(path).size() > 0) return path;
    const QString tmp = path + ".part." + QFileInfo(name).suffix();
    QProcess ff;
    ff.start("ffmpeg",
             QStringList{"-hide_banner", "-loglevel", "error", "-y"} << ffmpegArgs << tmp);
    const bool made = ff.waitForFinished(120000) && ff.exitCode() == 0;
    QFile::remove(made ? path : tmp);
    return made && QFile::rename(tmp, path) ? path : QString();
}

QString VideoClip() {
    return MakeClip("video-320x240-4s.mp4",
                    {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=4", "-f", "lavfi",
                     "-i", "sine=frequency=440:duration=4", "-c:v", "libx264", "-preset",
                     "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"});
}

QString GreyClip(const QString& size, int seconds, const QString& filters) {
    const QString name =
        QString("grey-%1-%2s%3.mp4").arg(size).arg(seconds).arg(filters.isEmpty() ? "" : "-drawn");
    return MakeClip(name, {"-f", "lavfi", "-i",
                           QString("color=c=0x808080:size=%1:rate=25:d=%2").arg(size).arg(seconds) +
                               (filters.isEmpty() ? "" : "," + filters),
                           "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
}

QString AudioClip() {
    return MakeClip("audio-3s.m4a",
                    {"-f", "lavfi", "-i", "sine=frequency=440:duration=3", "-c:a", "aac"});
}

QString WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? path : QString();
}

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs, int pollMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired()) return pred();
        Spin(pollMs);
    }
    return true;
}

void Spin(int ms) {
    QDeadlineTimer end(ms);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    } while (!end.hasExpired());
}

}  // namespace testenv
