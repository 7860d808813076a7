// CMediaPlayer2 against real clips and a live source: state sequences, end of stream, errors,
// picture size, seeks, stop, volume and captions (the picture shown: VideoSurfaceTest).

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <array>
#include <csignal>

#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"
#include "playback/MpvLibrary.h"
#include "playback/VideoSurface.h"
#include "tests/support/TestEnv.h"

namespace {

using Pair = std::pair<long, long>;
using testenv::WaitUntil;

// A slot that appends its (old, new) arguments to list.
template <class T>
auto Into(std::vector<std::pair<T, T>>& list) {
    return [&list](T o, T n) { list.push_back({o, n}); };
}

// Records every event of one player.
struct Recorder {
    std::vector<Pair> open, play;
    std::vector<std::pair<double, double>> positions;
    std::vector<QString> texts;
    std::vector<double> textPositions;  // the position the player reported when each came
    int errors = 0, ends = 0;

    explicit Recorder(CMediaPlayer2& p) {
        QObject::connect(&p, &CMediaPlayer2::OpenStateChange, Into(open));
        QObject::connect(&p, &CMediaPlayer2::PlayStateChange, Into(play));
        QObject::connect(&p, &CMediaPlayer2::PositionChange, Into(positions));
        QObject::connect(&p, &CMediaPlayer2::Error, [this] { ++errors; });
        QObject::connect(&p, &CMediaPlayer2::EndOfStream, [this](long) { ++ends; });
        QObject::connect(&p, &CMediaPlayer2::ScriptCommand,
                         [this, &p](const QString& type, const QString& param) {
                             if (type != "Text") return;
                             texts.push_back(param);
                             textPositions.push_back(p.GetCurrentPosition());
                         });
    }
};

bool OpenAndWait(CMediaPlayer2& p, const QString& path) {
    p.SetFileName(path);
    return WaitUntil([&] { return p.GetOpenState() == 6; }, 10000);
}

// Long enough for the core to load, fail or expand a start-up file on its own before the player
// opens anything (its events wait for that meanwhile).
constexpr int kCoreGoesOnMs = 1500;

QString Write(const QString& name, const QByteArray& bytes) {
    return testenv::WriteFile(testenv::DataDir() + "/" + name, bytes);
}

// A live source that cannot seek: ffmpeg writing a real-time MPEG-TS pattern into a named pipe.
// Stall() stops the writer (SIGSTOP), Resume() lets it go on.
struct LiveSource {
    LiveSource() {
        if (!dir_.isValid() || ::mkfifo(Path().toLocal8Bit().constData(), 0600) != 0) return;
        ffmpeg_.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-re", "-f",
                                            "lavfi", "-i", "testsrc=size=320x240:rate=25", "-c:v",
                                            "libx264", "-preset", "ultrafast", "-tune",
                                            "zerolatency", "-g", "25", "-f", "mpegts", "-y"}
                                    << Path());
        ffmpeg_.waitForStarted(10000);
    }
    ~LiveSource() {
        if (ffmpeg_.state() == QProcess::NotRunning) return;
        Resume();
        ffmpeg_.kill();
        ffmpeg_.waitForFinished(5000);
    }
    bool IsValid() const { return ffmpeg_.state() == QProcess::Running; }
    QString Path() const { return dir_.path() + "/live.ts"; }
    void Stall() { ::kill(pid_t(ffmpeg_.processId()), SIGSTOP); }
    void Resume() { ::kill(pid_t(ffmpeg_.processId()), SIGCONT); }
    QTemporaryDir dir_;
    QProcess ffmpeg_;
};

}  // namespace

// A core that began loading the command line's file at start-up: the first load of that same
// file plays it without loading it again, any other first load replaces it, and with none it
// stops. An OpenGL surface, which cannot show what the start-up render context draws, takes the
// file again.
TEST(MediaPlayer2Test, TheFileLoadingFromStartUpIsClaimedReplacedOrStopped) {
    const QByteArray ao = CMediaPlayer2::DefaultAudioOutput().toUtf8();
    const QString video = testenv::VideoClip(), audio = testenv::AudioClip();
    struct Row {
        const char* what;
        QString open;  // empty: nothing is opened
        bool autoStart;
        const char* videoPath;
        long playState;
        qlonglong entryId;         // of the medium that plays: 1 when the start-up load was claimed
        bool loadedFirst = false;  // the load is in before the player opens anything
    } const rows[] = {
        {"claimed", video, true, "sw", CMediaPlayer2::kPlaying, 1},
        {"claimed once it is in", video, true, "sw", CMediaPlayer2::kPlaying, 1, true},
        {"claimed without autostart", video, false, "sw", CMediaPlayer2::kPaused, 1},
        {"replaced", audio, true, "sw", CMediaPlayer2::kPlaying, 2},
        {"replaced once it is in", audio, false, "sw", CMediaPlayer2::kPaused, 2, true},
        {"stopped", {}, true, "sw", CMediaPlayer2::kStopped, 0},
        {"taken again by an OpenGL surface", video, true, "gl", CMediaPlayer2::kPlaying, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        qputenv("VELMORA_VIDEO", row.videoPath);
        const mpv_library::EarlyStart early(ao, video.toUtf8());
        CMediaPlayer2 p;
        Recorder rec(p);
        p.SetStartupProperty(CMediaPlayer2::kAutoStart, row.autoStart);
        if (row.loadedFirst) testenv::Spin(kCoreGoesOnMs);
        if (!row.open.isEmpty()) {
            ASSERT_TRUE(OpenAndWait(p, row.open));
            EXPECT_EQ(rec.open, (std::vector<Pair>{{0, 5}, {5, 6}}));
            EXPECT_EQ(p.GetImageSourceWidth(), row.open == video ? 320 : 0);
        }
        p.StopUnclaimedStartLoad();
        // What the core holds: the entry that plays, or nothing once stopped.
        QVariantMap values;
        ASSERT_TRUE(WaitUntil([&] {
            values.clear();
            p.QueryProperties({"playlist/0/id", "idle-active"}, &p,
                              [&](const QVariantMap& v) { values = v; });
            return WaitUntil([&] { return !values.isEmpty(); }) &&
                   values["idle-active"].toBool() == row.open.isEmpty();
        }));
        EXPECT_EQ(values["playlist/0/id"].toLongLong(), row.entryId);
        EXPECT_EQ(rec.open.empty(), row.open.isEmpty());
        if (row.playState == CMediaPlayer2::kPlaying) {
            EXPECT_TRUE(WaitUntil([&] { return p.GetCurrentPosition() > 0.3; }));
        } else {
            testenv::Spin(400);
        }
        EXPECT_EQ(p.GetPlayState(), row.playState);
        EXPECT_TRUE(row.playState != CMediaPlayer2::kPaused || p.GetCurrentPosition() == 0);
        if (row.open == video) {
            EXPECT_TRUE(
                WaitUntil([&] { return p.MediaWindow()->Surface()->FramesRendered() > 0; }));
        }
        EXPECT_EQ(rec.errors, 0);
    }
    qunsetenv("VELMORA_VIDEO");
}

// Also when the file began loading at start-up, and when its failure came before the load that
// claims it.
TEST(MediaPlayer2Test, BrokenAndMissingFilesRaiseError) {
    QByteArray garbage;
    for (int i = 0; i < 65536; ++i) garbage += char((i * 2654435761u) >> 13);
    const QByteArray ao = CMediaPlayer2::DefaultAudioOutput().toUtf8();
    enum { kPlain, kStartUp, kStartUpFailedFirst };
    qputenv("VELMORA_VIDEO", "sw");
    for (const QString& path :
         {Write("broken.mp4", garbage), testenv::DataDir() + "/no such file.mp4"}) {
        for (const int start : {kPlain, kStartUp, kStartUpFailedFirst}) {
            SCOPED_TRACE(path.toStdString() + " " + std::to_string(start));
            const mpv_library::EarlyStart early(ao, start == kPlain ? "" : path.toUtf8());
            CMediaPlayer2 p;
            Recorder rec(p);
            if (start == kStartUpFailedFirst) testenv::Spin(kCoreGoesOnMs);
            p.SetFileName(path);
            ASSERT_TRUE(WaitUntil([&] { return rec.errors > 0; }, 10000));
            testenv::Spin(200);
            EXPECT_EQ(rec.open, (std::vector<Pair>{{0, 5}, {5, 0}}));
            EXPECT_EQ(std::tuple(rec.errors, rec.ends, p.GetPlayState()), std::tuple(1, 0, 0L));
            EXPECT_TRUE(OpenAndWait(p, testenv::VideoClip()));  // the control stays usable
        }
    }
    qunsetenv("VELMORA_VIDEO");
}

TEST(MediaPlayer2Test, LoadsInQuickSuccessionEndWithTheLastOne) {
    // Loads that replace each other before they start: the last one (a Korean name) opens, and a
    // missing file among the earlier ones raises no error for the one that follows.
    const QString korean = testenv::DataDir() + "/한글 이름 영상.mp4";
    QFile::copy(testenv::VideoClip(), korean);
    CMediaPlayer2 p;
    Recorder rec(p);
    const auto playing = [&] { return p.GetOpenState() == 6 && p.GetPlayState() == 2; };
    for (int round = 0; round < 3; ++round) {
        p.SetFileName(testenv::AudioClip());
        p.SetFileName(testenv::DataDir() + "/no such file.mp4");
        p.SetFileName(korean);
        ASSERT_TRUE(WaitUntil(playing, 10000)) << "round " << round;
        EXPECT_EQ(p.GetFileName(), korean);
        EXPECT_EQ(p.GetImageSourceWidth(), 320);
    }
    EXPECT_EQ(rec.errors, 0);
    // A playlist file handed to the control plays its first entry; also one the core began at
    // start-up and expanded before the load that claims it.
    const QString list = Write("one-entry.m3u8", testenv::VideoClip().toUtf8() + "\n");
    p.SetFileName(list);
    EXPECT_TRUE(WaitUntil(playing, 10000));
    EXPECT_EQ(p.GetImageSourceWidth(), 320);
    qputenv("VELMORA_VIDEO", "sw");
    const mpv_library::EarlyStart early(CMediaPlayer2::DefaultAudioOutput().toUtf8(),
                                        list.toUtf8());
    CMediaPlayer2 q;
    testenv::Spin(kCoreGoesOnMs);
    q.SetFileName(list);
    EXPECT_TRUE(WaitUntil([&] { return q.GetOpenState() == 6 && q.GetPlayState() == 2; }));
    EXPECT_EQ(q.GetImageSourceWidth(), 320);
    qunsetenv("VELMORA_VIDEO");
}

// Open, seek, stop, play, pause, the end and play after it. The player takes over a core made on
// a worker thread without a file, as the program does at start.
TEST(MediaPlayer2Test, TransportAndEndOfStream) {
    const QByteArray ao = CMediaPlayer2::DefaultAudioOutput().toUtf8();
    const mpv_library::EarlyStart early(ao);
    CMediaPlayer2 p;
    Recorder rec(p);
    ASSERT_TRUE(OpenAndWait(p, testenv::VideoClip()));
    EXPECT_EQ(mpv_library::TakeEarly(ao).handle, nullptr);  // taken by the player
    EXPECT_EQ(rec.open, (std::vector<Pair>{{0, 5}, {5, 6}}));
    EXPECT_EQ(std::pair(p.GetImageSourceWidth(), p.GetImageSourceHeight()), Pair(320, 240));
    p.SetCurrentPosition(2.0);
    ASSERT_TRUE(WaitUntil([&] { return !rec.positions.empty(); }));
    EXPECT_DOUBLE_EQ(rec.positions[0].second, 2.0);

    p.Stop();
    testenv::Spin(300);
    const double stoppedAt = p.GetCurrentPosition();
    testenv::Spin(500);
    EXPECT_GE(stoppedAt, 2.0);  // neither moving nor rewound
    EXPECT_NEAR(p.GetCurrentPosition(), stoppedAt, 0.05);
    p.Play();
    p.Pause();
    EXPECT_EQ(p.GetPlayState(), 1);
    EXPECT_EQ(rec.play, (std::vector<Pair>{{0, 2}, {2, 0}, {0, 2}, {2, 1}}));

    // The end comes once and is kept; Play then starts again from 0.
    p.Play();
    p.SetCurrentPosition(3.2);
    ASSERT_TRUE(WaitUntil([&] { return rec.ends > 0; }, 8000));
    testenv::Spin(800);
    EXPECT_EQ(std::tuple(rec.ends, p.GetPlayState()), std::tuple(1, 0L));
    EXPECT_GT(p.GetCurrentPosition(), 3.5);
    rec.positions.clear();
    p.Play();
    ASSERT_TRUE(WaitUntil([&] { return !rec.positions.empty(); }));
    EXPECT_DOUBLE_EQ(rec.positions[0].second, 0.0);
    EXPECT_TRUE(WaitUntil([&] { return p.GetCurrentPosition() > 0.3; }));
    EXPECT_LT(p.GetCurrentPosition(), 2.0);
    EXPECT_EQ(rec.ends, 1);
}

TEST(MediaPlayer2Test, VolumeAndMuteReachThePlayer) {
    CMediaPlayer2 p;
    ASSERT_TRUE(OpenAndWait(p, testenv::AudioClip()));
    // mpv's own values, asked through the player's query.
    const auto mpvValues = [&] {
        QVariantMap values;
        QObject asker;
        p.QueryProperties({"volume", "mute"}, &asker, [&](const QVariantMap& v) { values = v; });
        WaitUntil([&] { return !values.isEmpty(); }, 3000);
        return values;
    };
    for (const auto& [volume, mpv] :
         {std::pair{0L, 100.0}, {-2000L, 46.42}, {-10000L, 0.0}, {300L, 100.0}}) {
        p.SetVolume(volume);
        EXPECT_NEAR(mpvValues()["volume"].toDouble(), mpv, 0.01) << volume;
    }
    p.SetMute(true);
    EXPECT_EQ(mpvValues()["mute"], QVariant(true));
}

TEST(MediaPlayer2Test, CaptionsArriveInOrderNotBeforeTheirTime) {
    const std::vector<std::pair<int, QString>> cues = {
        {600, "하나"}, {900, "둘<br>줄"}, {1230, "&nbsp;"}, {1500, "<font color=#ff0000>셋</font>"},
        {2110, "넷"},  {2400, "&nbsp;"}};
    QString smi = "<SAMI><BODY>\n";
    for (const auto& [ms, text] : cues) smi += QString("<SYNC Start=%1><P>%2\n").arg(ms).arg(text);
    CMediaPlayer2 p;
    Recorder rec(p);
    p.SetSAMIFileName(Write("timing.smi", smi.toUtf8()));
    ASSERT_TRUE(OpenAndWait(p, testenv::VideoClip()));
    ASSERT_TRUE(WaitUntil([&] { return rec.texts.size() >= 7; }, 10000));

    // Right after the load: nothing due yet. Then every cue in order, none before its start (the
    // reported position trails playback by up to a frame); bench/caption_timing measures how late.
    ASSERT_EQ(rec.texts.size(), 7u);
    EXPECT_EQ(rec.texts[0], "");
    for (size_t i = 0; i < cues.size(); ++i) {
        EXPECT_EQ(rec.texts[i + 1], cues[i].second) << i;
        EXPECT_GE(rec.textPositions[i + 1] * 1000, cues[i].first - 300) << i;
    }

    // After a seek the due cue comes again at once.
    rec.texts.clear();
    p.SetCurrentPosition(1.6);
    ASSERT_TRUE(WaitUntil([&] { return !rec.texts.empty(); }));
    EXPECT_EQ(rec.texts[0], cues[3].second);

    // A caption file that is a dangling link switches captions off: the shown caption goes.
    const QString dangling = testenv::DataDir() + "/dangling.smi";
    QFile::remove(dangling);
    ASSERT_TRUE(QFile::link(testenv::DataDir() + "/gone.smi", dangling));
    rec.texts.clear();
    p.SetSAMIFileName(dangling);
    EXPECT_TRUE(WaitUntil([&] { return !rec.texts.empty(); }));
    EXPECT_EQ(rec.texts, std::vector<QString>{""});
}

// A live source that stalls, and a seek it refuses: captions wait for the picture, and position
// and captions follow playback again afterwards.
TEST(MediaPlayer2Test, LiveSourceStallAndRefusedSeek) {
    LiveSource live;
    ASSERT_TRUE(live.IsValid()) << "ffmpeg could not start";
    QString smi = "<SAMI><BODY>\n";  // a caption every 250 ms, numbered by its start
    for (int ms = 0; ms <= 600000; ms += 250) smi += QString("<SYNC Start=%1><P>%1\n").arg(ms);
    CMediaPlayer2 p;
    Recorder rec(p);
    p.SetSAMIFileName(Write("live.smi", smi.toUtf8()));
    ASSERT_TRUE(OpenAndWait(p, live.Path()));
    ASSERT_TRUE(WaitUntil([&] { return p.GetCurrentPosition() > 1.5; }, 15000));

    // The writer stops: the picture freezes, and the captions must not run on without it.
    live.Stall();
    double last = -1;  // the position stands still for a second
    for (int i = 0; i < 20 && p.GetCurrentPosition() != last; ++i) {
        last = p.GetCurrentPosition();
        testenv::Spin(1000);
    }
    ASSERT_EQ(p.GetCurrentPosition(), last) << "the position keeps moving";
    testenv::Spin(3000);
    ASSERT_FALSE(rec.texts.empty());
    EXPECT_LE(rec.texts.back().toInt(), p.GetCurrentPosition() * 1000 + 1500)
        << "caption " << rec.texts.back().toStdString() << " at " << p.GetCurrentPosition();

    // Going on: a seek back is refused by the pipe; the position follows playback again.
    live.Resume();
    const double before = p.GetCurrentPosition();
    p.SetCurrentPosition(before - 5);
    EXPECT_TRUE(WaitUntil([&] { return p.GetCurrentPosition() > before + 2; }, 20000))
        << "position stays at " << p.GetCurrentPosition();
    // Pause reaches the captions: none comes while paused.
    p.Pause();
    testenv::Spin(300);
    const size_t shown = rec.texts.size();
    testenv::Spin(1500);
    EXPECT_EQ(rec.texts.size(), shown);
    EXPECT_EQ(rec.errors, 0);
}

TEST(MediaPlayer2Test, MouseEventsCarryButtonsShiftAndPosition) {
    CMediaPlayer2 p;
    std::vector<std::array<long, 5>> events;  // kind, button, shift, x, y
    const auto into = [&](char kind) {
        return [&, kind](short b, short s, long x, long y) {
            events.push_back({kind, b, s, x, y});
        };
    };
    QObject::connect(&p, &CMediaPlayer2::MouseUp, into('U'));
    QObject::connect(&p, &CMediaPlayer2::MouseMove, into('M'));
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(12, 34), QPointF(12, 34), Qt::RightButton,
                   Qt::NoButton, Qt::ShiftModifier | Qt::ControlModifier);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 6), QPointF(5, 6), Qt::NoButton,
                     Qt::LeftButton | Qt::MiddleButton, Qt::AltModifier);
    for (QMouseEvent* e : {&up, &move}) QCoreApplication::sendEvent(p.MediaWindow(), e);
    EXPECT_EQ(events, (std::vector<std::array<long, 5>>{{'U', 2, 3, 12, 34}, {'M', 5, 4, 5, 6}}));
}

// A caption file put while the medium is still opening (after its load went out) is the one that
// counts: captions switched off stay off, and another file replaces the one the load read.
TEST(MediaPlayer2Test, CaptionFilePutWhileOpeningCounts) {
    const QString first = Write("opening-a.smi", "<SAMI><BODY><SYNC Start=0><P>A\n");
    const QString other = Write("opening-b.smi", "<SAMI><BODY><SYNC Start=0><P>B\n");
    for (const QString& later : {QString(), other}) {
        SCOPED_TRACE(later.toStdString());
        CMediaPlayer2 p;
        Recorder rec(p);
        p.SetSAMIFileName(first);
        p.SetFileName(testenv::VideoClip());
        p.SetSAMIFileName(later);
        ASSERT_TRUE(WaitUntil([&] { return p.GetOpenState() == 6; }, 10000));
        testenv::Spin(1000);
        EXPECT_EQ(rec.texts.empty() ? QString() : rec.texts.back(), later.isEmpty() ? "" : "B");
        EXPECT_EQ(std::count(rec.texts.begin(), rec.texts.end(), "A"), 0);
    }
}
