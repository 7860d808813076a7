// The first-run question of the real program, answered with the keyboard and mouse on a display of
// the test's own, and what the answers leave in the settings and in the association store.

#include <gtest/gtest.h>

#include <QSettings>

#include "tests/support/DisplayServer.h"

namespace {

struct FirstRun : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        const QString failure = server.Start();
        ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
        env = server.Env();
        env.insert("XDG_CONFIG_HOME", home.path() + "/config");
        env.insert("XDG_DATA_HOME", home.path() + "/data");
        env.insert("XDG_DATA_DIRS", home.path() + "/system:/usr/share");  // the MIME database
        env.remove("XDG_CURRENT_DESKTOP");
        env.insert("QT_QPA_PLATFORMTHEME", "");
        clip = testenv::MakeClip("first-run.avi",
                                 {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=30",
                                  "-c:v", "mpeg4", "-pix_fmt", "yuv420p"});
        ASSERT_FALSE(clip.isEmpty());
    }
    QString Xdotool(const QStringList& args) { return server.Output("xdotool", args); }
    // Waits for a shown window whose title matches the pattern; its id, or empty.
    QString Window(const QString& title, int timeoutMs = 20000) {
        QString id;
        testenv::WaitUntil(
            [&] {
                return !(id = Xdotool({"search", "--onlyvisible", "--name", title})).isEmpty();
            },
            timeoutMs, 100);
        return id;
    }
    void Keys(const QString& window, const QStringList& keys) {
        Xdotool({"windowfocus", "--sync", window});
        for (const QString& k : keys) Xdotool({"key", k});
    }
    // Starts the player on the clip and waits until it plays it.
    QProcess* StartPlayer() {
        QProcess* p = server.Run(VELMORA_BINARY, {clip}, env);
        EXPECT_FALSE(Window("first-run.avi - Velmora$").isEmpty()) << p->readAll().toStdString();
        return p;
    }
    QString Question(int timeoutMs = 20000) { return Window("^Velmora$", timeoutMs); }
    void Close(QProcess* player) {
        player->terminate();  // the orderly close, as at logout
        EXPECT_TRUE(player->waitForFinished(20000));
    }
    QVariant Due() {
        return QSettings(home.path() + "/config/Velmora/Velmora.ini", QSettings::IniFormat)
            .value("설정/REG");
    }
    QString Run(const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(20000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    QTemporaryDir home;  // also the runtime folder
    testenv::DisplayServer server{"xcb", home.path()};
    QProcessEnvironment env;
    QString clip;
};

TEST_F(FirstRun, CancelAsksAgainNoSettlesIt) {
    QProcess* player = StartPlayer();
    const QString question = Question();
    ASSERT_FALSE(question.isEmpty());
    server.Shot().save(testenv::DataDir() + "/first-run-question.png");
    Keys(question, {"Escape"});  // Cancel
    Close(player);
    EXPECT_FALSE(Due().isValid());

    player = StartPlayer();
    ASSERT_FALSE(Question().isEmpty());  // asked again
    Keys(Question(), {"Tab", "space"});  // from "예" to "아니요"
    ASSERT_TRUE(testenv::WaitUntil([&] { return Due() == 0; }, 20000, 100));
    Close(player);

    player = StartPlayer();
    EXPECT_TRUE(Question(3000).isEmpty());  // not asked any more
    Close(player);
}

// Yes opens the association dialog; "전체 선택" and OK make the player the default everywhere, and
// xdg-open then hands a file to the running player.
TEST_F(FirstRun, YesOpensTheAssociationDialogAndOkAssociates) {
    QProcess* player = StartPlayer();
    Keys(Question(), {"Return"});
    const QString dialog = Window("^파일 연결$");
    ASSERT_FALSE(dialog.isEmpty());
    // "전체 선택" sits at 10, 206 (159 x 22) in the dialog, "확인" at 10, 243 (75 x 22).
    Xdotool({"mousemove", "--window", dialog, "89", "217", "click", "1"});
    testenv::Spin(300);
    server.Shot().save(testenv::DataDir() + "/first-run-associations.png");
    Xdotool({"mousemove", "--window", dialog, "47", "254", "click", "1"});  // "확인"
    ASSERT_TRUE(testenv::WaitUntil([&] { return Due() == 0; }, 20000, 100));

    QFile list(home.path() + "/config/mimeapps.list");
    list.open(QIODevice::ReadOnly);
    SCOPED_TRACE(list.readAll().toStdString());
    EXPECT_EQ(Run("xdg-mime", {"query", "default", "video/x-msvideo"}), "velmora-file.desktop");
    EXPECT_EQ(Run("xdg-mime", {"query", "default", "x-scheme-handler/mms"}),
              "velmora-file.desktop");
    const QString other = home.path() + "/다른 영상.avi";
    ASSERT_TRUE(QFile::copy(clip, other));
    Run("xdg-open", {other});
    EXPECT_FALSE(Window("다른 영상.avi - Velmora$").isEmpty());
    Close(player);
}

}  // namespace
