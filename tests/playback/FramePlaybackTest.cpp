// Playback through the main window: a folder of numbered episodes plays through, each opening at
// the end of the one before; a picture that changes its size resizes the window.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "frame/MainFrame.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"
#include "tests/support/FrameTest.h"
#include "tests/support/TestEnv.h"

namespace {

using testenv::WaitUntil;
using FramePlaybackTest = FrameTest;

TEST_F(FramePlaybackTest, ASeriesPlaysThroughToTheLastEpisode) {
    constexpr int kEpisodes = 6, kEpisodeMs = 6000;
    const QString clip =
        testenv::MakeClip("episode-854x480-6s.mp4",
                          {"-f", "lavfi", "-i", "testsrc=size=854x480:rate=25:duration=6", "-c:v",
                           "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    ASSERT_FALSE(clip.isEmpty());
    QStringList episodes;
    for (int i = 1; i <= kEpisodes; ++i) {
        const QString base = QStringLiteral("ep%1").arg(i, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(QFile::copy(clip, dir_.path() + "/" + base + ".mp4"));
        QString smi;  // two caption lines changing every half second up to the end
        for (int ms = 0; ms < kEpisodeMs; ms += 500)
            smi += QStringLiteral("<SYNC Start=%1><P>%2화 %1<br>둘째 줄\n").arg(ms).arg(i);
        ASSERT_FALSE(testenv::WriteFile(dir_.path() + "/" + base + ".smi", smi.toUtf8()).isEmpty());
        episodes << base + ".mp4";
    }

    Start();
    CMediaPlayer2* player = frame_->Player();
    QString playing;  // the episode that opened last (the frame opens the next one at an end)
    QStringList ended;
    QObject::connect(player, &CMediaPlayer2::OpenStateChange, [&](long, long state) {
        if (state == 6) playing = QFileInfo(player->GetFileName()).fileName();
    });
    QObject::connect(player, &CMediaPlayer2::EndOfStream, [&](long) { ended << playing; });
    frame_->OpenMediaPath(dir_.path() + "/" + episodes.first());
    // Every episode ends in turn; a stalled one never does.
    WaitUntil([&] { return ended.size() >= kEpisodes; }, kEpisodes * kEpisodeMs * 3);
    EXPECT_EQ(ended.join(' ').toStdString(), episodes.join(' ').toStdString())
        << "play state " << frame_->PlayState() << " at " << player->GetCurrentPosition();
}

TEST_F(FramePlaybackTest, TheWindowFollowsAPictureThatChangesSize) {
    // MPEG-TS of 2 s at 320x240 followed by 3 s at 480x360.
    const auto part = [](const char* size, int seconds, int offset) {
        return testenv::MakeClip(
            QStringLiteral("part-%1.ts").arg(size),
            {"-f", "lavfi", "-i",
             QStringLiteral("testsrc=size=%1:rate=25:duration=%2").arg(size).arg(seconds), "-c:v",
             "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-output_ts_offset",
             QString::number(offset), "-f", "mpegts"});
    };
    const QString first = part("320x240", 2, 0), second = part("480x360", 3, 2);
    ASSERT_FALSE(first.isEmpty() || second.isEmpty());
    QFile a(first), b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QString path = testenv::WriteFile(dir_.path() + "/sizes.ts", a.readAll() + b.readAll());

    Start();
    frame_->OpenMediaPath(path);
    ASSERT_TRUE(WaitUntil(
        [&] { return frame_->OpenState() == 6 && frame_->NaturalSize().width == 320; }, 10000));
    EXPECT_TRUE(WaitUntil(
        [&] { return frame_->NaturalSize().width == 480 && frame_->NaturalSize().height == 360; },
        15000));
    // The window takes the new picture at 100%, and the picture is shown.
    EXPECT_TRUE(WaitUntil([&] { return frame_->Content()->width() == 480; }));
    EXPECT_EQ(frame_->Layout().picture.Height(), 360);
    EXPECT_TRUE(frame_->Player()->MediaWindow()->isVisible());
}

}  // namespace
