// The real program given files that once killed it: a playlist the decoder stepped past, and
// captions in scripts no installed font covers. It must keep running and still play a good clip
// handed over to it afterwards.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/TestEnv.h"

namespace {

QString Xdotool(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished(5000);
    return p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()).section('\n', 0, 0)
                             : QString();
}

// The id of the first shown window whose title matches the pattern, once there is one.
QString WaitForWindow(const QString& pattern) {
    QString id;
    testenv::WaitUntil(
        [&] {
            return !(id = Xdotool({"search", "--onlyvisible", "--name", pattern})).isEmpty();
        },
        15000);
    return id;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(BadFiles, PlayerSurvivesAndPlaysOn) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
    const QString clip = testenv::VideoClip();
    ASSERT_FALSE(clip.isEmpty());

    const struct {
        const char* name;
        const char* file;  // written into the folder; the clip is copied beside it as clip.mp4
        QByteArray bytes;
        bool openWithDialog;  // Ctrl+O and the file's name, else the clip on the command line
    } rows[] = {
        {"two-byte playlist", "bad.m3u", "\xA2\xE8", true},
        {"captions in scripts without a font", "clip.smi",
         "<SAMI><BODY><SYNC Start=0><P>안녕하세요 नमस्ते বাংলা தமிழ் ខ្មែរ ܫܠܡܐ ދިވެހި ሰላም\n"
         "<SYNC Start=60000><P>&nbsp;</BODY></SAMI>",
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const QString folder = home.path();
        ASSERT_TRUE(QFile::copy(clip, folder + "/clip.mp4"));
        ASSERT_TRUE(QFile::copy(clip, folder + "/good.mp4"));
        Write(folder + "/" + row.file, row.bytes);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", folder + "/config");
        env.insert("XDG_RUNTIME_DIR", folder);
        env.insert("QT_QPA_PLATFORMTHEME", "");  // Qt's own file dialog, driven by keys
        QProcess player;
        struct Stop {
            QProcess& p;
            ~Stop() { p.kill(), p.waitForFinished(5000); }
        } stop{player};
        player.setProcessEnvironment(env);
        player.setProcessChannelMode(QProcess::ForwardedChannels);
        if (row.openWithDialog) {
            player.start(VELMORA_BINARY, {});
            ASSERT_TRUE(player.waitForStarted());
            const QString main = WaitForWindow("^Velmora$");
            ASSERT_FALSE(main.isEmpty());
            Xdotool({"windowfocus", "--sync", main});
            Xdotool({"key", "ctrl+o"});
            const QString dialog = WaitForWindow("열기");
            ASSERT_FALSE(dialog.isEmpty());
            Xdotool({"windowfocus", "--sync", dialog});
            Xdotool({"type", "--delay", "10", folder + "/" + row.file});
            Xdotool({"key", "Return"});
            testenv::WaitUntil([&] {
                return Xdotool({"search", "--onlyvisible", "--name", "열기"}).isEmpty();
            });
        } else {
            player.start(VELMORA_BINARY, {folder + "/clip.mp4"});
            ASSERT_TRUE(player.waitForStarted());
            ASSERT_FALSE(WaitForWindow("clip.mp4 - Velmora").isEmpty());
        }
        testenv::Spin(2000);  // the bad input is read and the caption laid out
        EXPECT_EQ(player.state(), QProcess::Running);

        // A second start hands the good clip over to the running player, which plays it.
        QProcess second;
        second.setProcessEnvironment(env);
        second.start(VELMORA_BINARY, {folder + "/good.mp4"});
        EXPECT_TRUE(second.waitForFinished(15000));
        EXPECT_FALSE(WaitForWindow("good.mp4 - Velmora").isEmpty());
        EXPECT_EQ(player.state(), QProcess::Running);
    }
}

}  // namespace
