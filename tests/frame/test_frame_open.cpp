// The main window opening real media: caption lookup, links, caption files applied while
// playing, drops, playlists and odd file names.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QUrl>
#include <functional>

#include "controls/ControlBarRules.h"
#include "controls/ControlDlg.h"
#include "controls/MyFlatButton.h"
#include "playback/MediaPlayer2.h"
#include "tests/support/FrameTest.h"

namespace {

using testenv::WaitUntil;

const char kSmi[] =
    "<SAMI><BODY>\n<SYNC Start=0><P Class=KRCC>첫 줄<br>둘째 줄\n<SYNC Start=1500><P "
    "Class=KRCC>&nbsp;\n"
    "</BODY></SAMI>\n";

class FrameOpenTest : public FrameTest {
  protected:
    void SetUp() override {
        FrameTest::SetUp();
        clip_ = testenv::VideoClip();
        ASSERT_FALSE(clip_.isEmpty());
        Start();
    }

    // dir_/relative, with the folders it needs, holding a copy of the test clip (or another).
    QString Movie(const QString& relative, const QString& clip = {}) {
        QDir().mkpath(QFileInfo(dir_.path() + "/" + relative).absolutePath());
        EXPECT_TRUE(QFile::copy(clip.isEmpty() ? clip_ : clip, dir_.path() + "/" + relative));
        return dir_.path() + "/" + relative;
    }
    QString Write(const QString& relative, const QByteArray& bytes) {
        return testenv::WriteFile(dir_.path() + "/" + relative, bytes);
    }
    bool WaitPlaying(const QString& path) {
        const auto playing = [&] {
            return Player()->GetFileName() == path && frame_->OpenState() == 6 &&
                   frame_->PlayState() == 2;
        };
        return WaitUntil(playing, 15000);
    }
    CMediaPlayer2* Player() { return frame_->Player(); }

    QString clip_;
};

TEST_F(FrameOpenTest, CaptionsBesideTheMovieOrInTheDefaultFolderAndKeptForAnAddress) {
    // Beside the movie, in a folder with a Korean name, spaces and quotes.
    const QString movie = Movie("영화 폴더/it's \"a\" film.mp4");
    const QString smi = Write("영화 폴더/it's \"a\" film.smi", kSmi);
    QSignalSpy captions(frame_.get(), &CMainFrame::captionParsed);
    frame_->OpenMediaPath(movie);
    ASSERT_TRUE(WaitPlaying(movie));
    EXPECT_EQ(Player()->GetSAMIFileName(), smi);
    EXPECT_EQ(CProfile::Get(profile::kLastFolder), dir_.path() + "/영화 폴더");
    EXPECT_EQ(frame_->windowTitle(), "it's \"a\" film.mp4 - Velmora");
    ASSERT_TRUE(WaitUntil([&] { return captions.count() > 0; }));
    EXPECT_EQ(frame_->CaptionParser().CaptionText(), "첫 줄 둘째 줄  ");

    // Not beside it: the default caption folder.
    const QString other = Movie("other/movie.mp4");
    const QString inFolder = Write("자막/movie.smi", kSmi);
    CProfile::Write(profile::kCaptionFolder, dir_.path() + "/자막");
    frame_->OpenMediaPath(other);
    EXPECT_EQ(Player()->GetSAMIFileName(), inFolder);
    ASSERT_TRUE(WaitPlaying(other));
    EXPECT_EQ(CProfile::Get(profile::kLastFolder), dir_.path() + "/other");

    // An address keeps the caption file, also after it fails (nothing listens there).
    frame_->OpenMediaPath("http://127.0.0.1:9/stream.mp4");
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 8; }, 15000));
    EXPECT_EQ(Player()->GetSAMIFileName(), inFolder);
}

TEST_F(FrameOpenTest, LinksOpenTheMovieWithCaptionsUnderItsOwnName) {
    const QString movie = Movie("real/feature.mp4");
    const QString smi = Write("real/feature.smi", kSmi);
    const QString link = dir_.path() + "/link to film.mp4";
    ASSERT_TRUE(QFile::link(movie, link));
    QString resolved = link;
    EXPECT_TRUE(frame_->ResolveShortcut(resolved));
    EXPECT_EQ(resolved, movie);

    const QString desktop =
        Write("film.desktop", "[Desktop Entry]\nType=Link\nName=Film\nURL=file://" +
                                  QUrl::toPercentEncoding(movie, "/") + "\n");
    frame_->OnDropFiles({dir_.path() + "/ignored.mp4", desktop});
    ASSERT_TRUE(WaitPlaying(movie));
    EXPECT_EQ(Player()->GetSAMIFileName(), smi);

    // A link named like a medium to a file without extension opens, captions by the link's name.
    QFile::rename(movie, dir_.path() + "/real/abc123");
    const QString named = dir_.path() + "/named.mp4";
    ASSERT_TRUE(QFile::link(dir_.path() + "/real/abc123", named));
    const QString namedSmi = Write("named.smi", kSmi);
    frame_->OnDropFiles({named});
    ASSERT_TRUE(WaitPlaying(named));
    EXPECT_EQ(Player()->GetSAMIFileName(), namedSmi);

    QString dangling = dir_.path() + "/dangling.mp4";
    ASSERT_TRUE(QFile::link(dir_.path() + "/gone.mp4", dangling));
    EXPECT_FALSE(frame_->ResolveShortcut(dangling));
}

TEST_F(FrameOpenTest, ApplyingACaptionFileWhilePlayingReloadsAtTheSamePlace) {
    const QString movie = Movie("a.mp4");
    frame_->OpenMediaPath(movie);
    ASSERT_TRUE(WaitPlaying(movie));
    ASSERT_TRUE(WaitUntil([&] { return Player()->GetCurrentPosition() > 1.5; }, 8000));
    const double before = Player()->GetCurrentPosition();

    const QString smi = Write("later.SAMI", kSmi);
    QSignalSpy opens(Player(), &CMediaPlayer2::OpenStateChange);
    frame_->OnDropFiles({smi});
    EXPECT_EQ(Player()->GetSAMIFileName(), smi);
    ASSERT_TRUE(WaitUntil([&] { return opens.count() > 0 && frame_->PlayState() == 2; }, 8000));
    EXPECT_NEAR(Player()->GetCurrentPosition(), before, 1.0);

    // The Open Subtitle command applies the chosen file the same way.
    const QString chosen = Write("chosen.smi", kSmi);
    frame_->SetFileChooser([&](auto&&...) { return QStringList{chosen}; });
    QSignalSpy captions(frame_.get(), &CMainFrame::captionParsed);
    frame_->OnCommand(32807);
    EXPECT_EQ(Player()->GetSAMIFileName(), chosen);
    ASSERT_TRUE(WaitUntil([&] { return captions.count() > 0 && frame_->PlayState() == 2; }));

    // A caption file that is not there switches captions off without reloading.
    opens.clear();
    frame_->ApplySubtitleFile(dir_.path() + "/missing.smi");
    testenv::Spin(300);
    EXPECT_EQ(Player()->GetSAMIFileName(), "");
    EXPECT_EQ(opens.count(), 0);
}

TEST_F(FrameOpenTest, EveryWayOfOpeningAPlaylistReadsItAndSkipsWhatCannotPlay) {
    const QString one = Movie("list/one.mp4"), two = Movie("list/two.mp4");
    const QString notMedia = Write("list/notes.mp4", "only text\n");
    const QString m3u =
        Write("list/list.M3U",
              ("#EXTM3U\n" + dir_.path() + "/list/gone.mp4\n" + dir_.path() + "/list/nodot\n  " +
               notMedia + "  \r\n" + one + "\n" + two + "\n\n" + dir_.path() + "/after-blank.mp4\n")
                  .toUtf8());
    CMyFlatButton* next = frame_->ControlBar()->Button(controlbar::kIdNext);
    frame_->SetFileChooser([&](auto&&...) { return QStringList{m3u}; });
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"command line", [&] { frame_->OpenMediaPath(frame_->ResolveShortcut(m3u)); }},
        {"hand-over", [&] { CProfile::Write(profile::kHandOverFile, m3u), frame_->OnHandOver(); }},
        {"drop", [&] { frame_->OnDropFiles({m3u}); }},
        {"open dialog", [&] { frame_->OnCommand(57601); }},
    };
    for (const auto& [way, open] : ways) {
        SCOPED_TRACE(way);
        frame_->OnDropFiles({two});  // a single medium ends any list
        EXPECT_FALSE(next->isEnabled());
        open();
        EXPECT_EQ(frame_->PlaylistLength(), 5);
        EXPECT_TRUE(next->isEnabled());
        ASSERT_TRUE(WaitPlaying(one));  // the missing, dotless and textual entries passed over
        EXPECT_EQ(frame_->PlayList().Index(), 3);
    }
    frame_->OnCommand(32819);  // next
    EXPECT_EQ(Player()->GetFileName(), two);
    // Steps pass over failing entries in their own direction, round the ends.
    frame_->OnCommand(32819);
    ASSERT_TRUE(WaitPlaying(one));
    frame_->OnCommand(32820);
    ASSERT_TRUE(WaitPlaying(two));

    // A playlist that cannot be read disables Prev and Next and opens nothing.
    frame_->OpenPlaylist(dir_.path() + "/missing.m3u");
    EXPECT_FALSE(next->isEnabled());
    frame_->OnCommand(32819);
    EXPECT_EQ(Player()->GetFileName(), two);

    // Several files chosen to open become a playlist in name order; cancelling changes nothing.
    frame_->SetFileChooser([&](const QString&, const QString&, const QString&, bool multiple) {
        return multiple ? QStringList{two, one} : QStringList{};
    });
    frame_->OnCommand(57601);
    EXPECT_EQ(frame_->PlaylistLength(), 2);
    EXPECT_EQ(Player()->GetFileName(), one);
    frame_->SetFileChooser([](auto&&...) { return QStringList(); });
    frame_->OnCommand(57601);
    EXPECT_EQ(frame_->PlaylistLength(), 2);

    // A list of nothing playable ends, also after a step round it.
    const QString bad = Write("bad.m3u", (dir_.path() + "/gone1.mp4\n" + Write("text.mp4", "text") +
                                          "\n" + dir_.path() + "/gone2.mp4\n")
                                             .toUtf8());
    QSignalSpy errors(Player(), &CMediaPlayer2::Error);
    frame_->OpenMediaPath(bad);
    for (const int failed : {3, 6}) {  // round the list once, then again after a step, no further
        if (failed > 3) frame_->OnCommand(32819);
        ASSERT_TRUE(WaitUntil([&] { return errors.count() >= failed; }, 15000));
        testenv::Spin(1000);
        EXPECT_EQ(errors.count(), failed);
        EXPECT_EQ(frame_->PlayState(), 8);
    }
}

// A list goes on to its next entry, never round nor on to the folder's next number.
TEST_F(FrameOpenTest, AtItsEndAListGoesOnlyToItsNextEntry) {
    const QString second = testenv::MakeClip(
        "video-1s.mp4", {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1", "-c:v",
                         "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    const QString ep09 = Movie("ep/ep09.mp4", second), ep1a = Movie("ep/ep1a.mp4", second);
    Movie("ep/ep10.mp4", second);
    const QString list = Write("ep/eps.m3u", (ep1a + "\n" + ep09 + "\n").toUtf8());
    frame_->OnDropFiles({list});
    ASSERT_TRUE(WaitPlaying(ep1a));
    ASSERT_TRUE(WaitUntil([&] { return Player()->GetFileName() == ep09; }, 10000));
    ASSERT_TRUE(WaitPlaying(ep09));
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() != 2; }, 10000));
    testenv::Spin(500);
    EXPECT_EQ(Player()->GetFileName(), ep09);
    EXPECT_NE(frame_->PlayState(), 2);
}

}  // namespace
