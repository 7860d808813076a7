// How close to its start each caption cue is raised. A generated clip (25 fps test pattern) plays
// with a caption file whose cues start at uneven times; for every cue the wall time at which the
// playback position passed the cue's start is found from mpv's time-pos reports (interpolated
// between the two reports around it) and compared with the wall time the cue was raised.
// Prints, on standard output, over all runs:
//   cues <count>
//   median_error_ms <median of |raised - due|>
//   worst_error_ms <largest |raised - due|>
//   median_signed_ms <median of raised - due; negative means early>
// Usage: caption_timing [runs] (default 3). Runs with the silent audio output.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <vector>

#include "playback/MediaPlayer2.h"
#include "playback/MpvHandle.h"

namespace {

constexpr int kClipSeconds = 8;

bool MakeClip(const QString& path) {
    QProcess ff;
    ff.start("ffmpeg",
             {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
              QStringLiteral("testsrc=size=320x240:rate=25:duration=%1").arg(kClipSeconds), "-c:v",
              "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", path});
    return ff.waitForFinished(120000) && ff.exitCode() == 0;
}

// Cue starts in ms: uneven steps between 170 and 530 ms, from 400 ms to a second before the end.
std::vector<int> CueStarts() {
    std::vector<int> starts;
    for (int t = 400, i = 0; t < (kClipSeconds - 1) * 1000; ++i, t += 170 + (i * 97) % 361)
        starts.push_back(t);
    return starts;
}

bool WriteSami(const QString& path, const std::vector<int>& starts) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write("<SAMI><BODY>\n");
    for (size_t i = 0; i < starts.size(); ++i)
        f.write(QStringLiteral("<SYNC Start=%1><P Class=KRCC>%2\n").arg(starts[i]).arg(i).toUtf8());
    f.write("</BODY></SAMI>\n");
    return true;
}

struct Sample {
    double wallMs, posMs;
};

// Wall time at which the position passed ms, from the reports around it; NaN when not covered.
double WallAt(const std::vector<Sample>& samples, double ms) {
    for (size_t i = 1; i < samples.size(); ++i) {
        const Sample &a = samples[i - 1], &b = samples[i];
        if (a.posMs <= ms && ms <= b.posMs && b.posMs > a.posMs)
            return a.wallMs + (ms - a.posMs) * (b.wallMs - a.wallMs) / (b.posMs - a.posMs);
    }
    return std::nan("");
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("VELMORA_AO", "null");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    QTemporaryDir dir;
    const QString clip = dir.path() + "/clip.mp4", smi = dir.path() + "/clip.smi";
    const std::vector<int> starts = CueStarts();
    if (!MakeClip(clip) || !WriteSami(smi, starts)) {
        std::fprintf(stderr, "caption_timing: cannot make the clip\n");
        return 2;
    }

    std::vector<double> errors;
    for (int run = 0; run < runs; ++run) {
        CMediaPlayer2 player;
        QElapsedTimer wall;
        wall.start();
        std::vector<Sample> samples;
        std::vector<std::pair<int, double>> raised;  // cue index, wall ms
        QObject::connect(
            player.Handle(), &CMpvHandle::PropertyChanged,
            [&](const QString& name, const QVariant& v) {
                if (name == "time-pos" && v.isValid())
                    samples.push_back({double(wall.nsecsElapsed()) / 1e6, v.toDouble() * 1000});
            });
        QObject::connect(&player, &CMediaPlayer2::ScriptCommand,
                         [&](const QString&, const QString& markup) {
                             bool ok = false;
                             const int index = markup.trimmed().toInt(&ok);
                             if (ok) raised.push_back({index, double(wall.nsecsElapsed()) / 1e6});
                         });
        QEventLoop loop;
        QObject::connect(&player, &CMediaPlayer2::EndOfStream, &loop, &QEventLoop::quit);
        QObject::connect(&player, &CMediaPlayer2::Error, &loop, &QEventLoop::quit);
        QTimer::singleShot((kClipSeconds + 20) * 1000, &loop, &QEventLoop::quit);
        player.SetSAMIFileName(smi);
        player.SetFileName(clip);
        loop.exec();
        for (const auto& [index, at] : raised) {
            const double due = WallAt(samples, starts[size_t(index)]);
            if (!std::isnan(due)) errors.push_back(at - due);
        }
    }
    std::vector<double> absolute;
    for (double e : errors) absolute.push_back(std::abs(e));
    std::printf("cues %zu\nmedian_error_ms %.1f\nworst_error_ms %.1f\nmedian_signed_ms %.1f\n",
                errors.size(), Median(absolute),
                absolute.empty() ? 0.0 : *std::max_element(absolute.begin(), absolute.end()),
                Median(errors));
    return errors.empty() ? 1 : 0;
}
