// The real program given files that once killed it: a playlist the decoder stepped past, and
// captions in scripts no installed font covers. It must keep running and still play a good clip
// handed over to it afterwards.

#include <gtest/gtest.h>

#include "tests/support/DisplayServer.h"

namespace {

TEST(BadFiles, PlayerSurvivesAndPlaysOn) {
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
        QTemporaryDir home;  // also the runtime folder
        const QString folder = home.path();
        for (const char* copy : {"/clip.mp4", "/good.mp4"})
            ASSERT_TRUE(QFile::copy(testenv::VideoClip(), folder + copy));
        ASSERT_FALSE(testenv::WriteFile(folder + "/" + row.file, row.bytes).isEmpty());

        testenv::DisplayServer server("xcb", folder);
        const QString failure = server.Start();
        ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
        QProcessEnvironment env = server.Env();
        env.insert("XDG_CONFIG_HOME", folder + "/config");
        ASSERT_FALSE(  // the first-run question is answered already
            testenv::WriteFile(folder + "/config/Velmora/Velmora.ini", "[설정]\nREG=0\n")
                .isEmpty());
        env.insert("QT_QPA_PLATFORMTHEME", "");  // Qt's own file dialog, driven by keys
        const auto xdotool = [&](const QStringList& args) {
            return server.Output("xdotool", args);
        };
        const auto search = [&](const QString& title) {
            return xdotool({"search", "--onlyvisible", "--name", title});
        };
        // Waits for a shown window whose title matches the pattern and focuses it.
        const auto focus = [&](const QString& title) {
            QString id;
            testenv::WaitUntil([&] { return !(id = search(title)).isEmpty(); }, 15000, 100);
            if (!id.isEmpty()) xdotool({"windowfocus", "--sync", id});
            return !id.isEmpty();
        };

        QProcess* player =
            server.Run(VELMORA_BINARY,
                       row.openWithDialog ? QStringList() : QStringList{folder + "/clip.mp4"}, env);
        if (row.openWithDialog) {
            ASSERT_TRUE(focus("^Velmora$"));
            xdotool({"key", "ctrl+o"});
            ASSERT_TRUE(focus("열기"));
            xdotool({"type", "--delay", "10", folder + "/" + row.file});
            xdotool({"key", "Return"});
            testenv::WaitUntil([&] { return search("열기").isEmpty(); }, 5000, 100);
        } else {
            ASSERT_TRUE(focus("clip.mp4 - Velmora"));
        }
        testenv::Spin(2000);  // the bad input is read and the caption laid out
        EXPECT_EQ(player->state(), QProcess::Running);

        // A second start hands the good clip over to the running player, which plays it.
        QProcess* second = server.Run(VELMORA_BINARY, {folder + "/good.mp4"}, env);
        EXPECT_TRUE(second->waitForFinished(15000));
        EXPECT_TRUE(focus("good.mp4 - Velmora"));
        EXPECT_EQ(player->state(), QProcess::Running);
    }
}

}  // namespace
